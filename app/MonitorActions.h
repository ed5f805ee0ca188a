// What the hotkeys and the matching requests do to the monitor pair (outputs
// 1-2 unless the user picks another pair): a volume step of either size, the
// pair's mute, the dim, every output's mute, a snapshot recalled. Each runs
// as one PanelCommands change, and answers an exit code, a sentence for the
// command line and the short text of the on-screen level ("Outputs 1-2
// -12.5 dB", "Muted", "Dim -20 dB", "Snapshot 3  Mixing").
#pragma once

#include "app/HotkeyTable.h"
#include "app/MonitorDim.h"
#include "app/PanelCommands.h"
#include "app/Snapshots.h"
#include "settings/PreferenceStore.h"

#include <functional>
#include <string>

namespace velmora {

class PanelCore;

struct MonitorAnswer {
    int code = 0;      // a RequestExit code
    std::string text;  // one sentence for the command line
    std::string shown; // the on-screen level's text
};

enum class DimWish { Off = 0, On = 1, Toggle = 2 };

class MonitorActions {
public:
    // `dim` is the one the stored record follows (UndimmedRecordStore);
    // `store` keeps the snapshots.
    MonitorActions(PanelCore& core, MonitorDim& dim, PreferenceStore* store)
        : core_(core), dim_(dim), commands_(core), snapshots_(core, store) {
        snapshots_.keepUserLevels(&dim_);
    }

    // The pair, the dim's depth and the coarse step (the bindings are not
    // used here).
    void setSettings(const HotkeySettings& settings) { settings_ = settings; }
    const HotkeySettings& settings() const { return settings_; }
    const MonitorDim& dimState() const { return dim_; }
    // Who hears the channel names a recalled snapshot brought.
    void onNamesChanged(std::function<void(const ChannelNames&)> changed) {
        snapshots_.onNamesChanged(std::move(changed));
    }

    // The pair's levels up (+) or down (-) by `halfDb` steps of 0.5 dB, each
    // output kept within -63.5..0 dB. During a dim the dim ends at the new
    // level.
    MonitorAnswer step(int halfDb);
    // The dim on, off or the other way; off gives back the exact levels
    // from before the dim.
    MonitorAnswer dim(DimWish wish);
    // The pair muted or not; the toggle unmutes only when both of its
    // outputs are muted.
    MonitorAnswer mute(bool on);
    MonitorAnswer toggleMute();
    // Every output muted or not; the toggle mutes unless all are muted.
    MonitorAnswer muteAll(bool on);
    MonitorAnswer toggleMuteAll();
    // Snapshot 1..8.
    MonitorAnswer recall(int slot);
    // A hotkey's action (HotkeyAction).
    MonitorAnswer run(int action);

    // "Outputs 1-2"
    static std::string pairText(int pair);

private:
    // Runs `change` with the dim ended; the dim comes back when nothing changed.
    template <typename Change>
    CommandOutcome withDimEnded(Change change);
    MonitorAnswer answerOf(const CommandOutcome& outcome, std::string text, std::string shown) const;
    // "-12.5 dB" of the pair as held now ("-12.5 / -14.0 dB" when its two
    // levels differ, ", muted" when both are), and with the pair before it.
    std::string levelText() const;
    std::string levelShown() const;

    PanelCore& core_;
    MonitorDim& dim_;
    PanelCommands commands_;
    Snapshots snapshots_;
    HotkeySettings settings_;
};

} // namespace velmora
