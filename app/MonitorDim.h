// The dim of the monitor pair: the pair's two levels lowered by a depth and
// given back exactly on the second press. While dimmed, the user's levels
// are remembered here; the record that is stored carries them in place of
// the dimmed ones (UndimmedRecordStore), so that a panel killed during a dim
// comes back at the user's level. A change of the pair's levels by anyone
// (a fader, a request, a step) ends the dim at the new level.
#pragma once

#include "settings/PanelSettings.h"

#include <array>
#include <cstdint>

namespace velmora {

constexpr int DIM_DB_MIN = 6;
constexpr int DIM_DB_MAX = 40;
constexpr int DIM_DB_DEFAULT = 20;

class MonitorDim {
public:
    bool active() const { return active_; }
    // The pair 1..4 that is dimmed (0 when none).
    int pair() const { return active_ ? pair_ : 0; }
    int depthDb() const { return depthDb_; }
    // The user's levels of the dimmed pair (meaningful while active).
    const std::array<uint8_t, 2>& userLevels() const { return user_; }
    // Whether the dim is in effect on `record`: begun, and the pair still at
    // the dimmed levels (a change by anyone ends it, even before follow()).
    bool holds(const PanelSettings& record) const { return active_ && holdsDimmed(record); }

    // The levels `levels` lowered by `depthDb` (whole dB), never below the
    // bottom step.
    static std::array<uint8_t, 2> lowered(const std::array<uint8_t, 2>& levels, int depthDb);

    // The dim begins on pair 1..4 of `record`: its levels are the user's,
    // the dimmed ones are answered. A depth outside 6..40 dB is taken as the
    // nearest bound.
    std::array<uint8_t, 2> begin(const PanelSettings& record, int pair, int depthDb);
    void end() { active_ = false; }
    // Ends the dim when the record's pair no longer holds the dimmed levels
    // (someone changed them): the new levels are the user's from then on.
    void follow(const PanelSettings& record);
    // The record as it is to be stored: while dimmed, the user's levels in
    // place of the dimmed ones.
    PanelSettings storedForm(const PanelSettings& record) const;

private:
    bool holdsDimmed(const PanelSettings& record) const;

    bool active_ = false;
    int pair_ = 0;
    int depthDb_ = DIM_DB_DEFAULT;
    std::array<uint8_t, 2> user_{};
    std::array<uint8_t, 2> dimmed_{};
};

} // namespace velmora
