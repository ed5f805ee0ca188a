// Which of the user's changes the main window takes.
//
// While one of the panel's message boxes is open, its message loop hands on
// input that was queued before it (fader notches, clicks, menu commands):
// such changes are not taken, and once the last box has closed the pages are
// to be shown the accepted record again.
//
// A page hands one change to applyVolumes and then the same record to
// applyMixer. The gate carries what the first half found over to the second:
// the outputs whose volume frame failed, and whether the unit went away in
// between (the rest of the change is then not applied either).
#pragma once

#include "settings/PanelSettings.h"

#include <cstdint>

namespace velmora {

class UserChangeGate {
public:
    // One bit per output.
    using ChannelMask = uint8_t;

    // Counts one open box while it lives.
    class Box {
    public:
        explicit Box(UserChangeGate& gate) : gate_(gate) { ++gate_.boxes_; }
        ~Box() { --gate_.boxes_; }
        Box(const Box&) = delete;
        Box& operator=(const Box&) = delete;

    private:
        UserChangeGate& gate_;
    };

    // False (and remembered) while a box is open.
    bool accept();
    bool boxOpen() const { return boxes_ > 0; }
    // True once after the last box closed when a change was turned away
    // while it was open: the pages should be shown the accepted record.
    bool takeTurnedAway();

    // The first half of a page's change ended.
    void volumesDone(const PanelSettings& candidate, bool unitLeft, ChannelMask failed);
    // What the first half left for the second, when `candidate` is the same
    // change; forgets it in any case.
    struct FirstHalf {
        bool sameChange = false;
        bool unitLeft = false;
        ChannelMask failed = 0;
    };
    FirstHalf takeFirstHalf(const PanelSettings& candidate);
    // Anything else happened in between: the halves no longer belong together.
    void forgetFirstHalf() { firstHalf_.pending = false; }

private:
    int boxes_ = 0;
    bool turnedAway_ = false;
    struct {
        bool pending = false;
        bool unitLeft = false;
        ChannelMask failed = 0;
        PanelSettings candidate;
    } firstHalf_;
};

} // namespace velmora
