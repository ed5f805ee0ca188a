// The commands every controller of the panel uses (the command line's
// requests, the File menu's settings files, later remote clients, snapshots
// and hotkeys). Each runs through the same apply operations as the pages and
// menus, so that it is sent, stored, shown and told as they are, and answers
// a typed outcome: done with the value now held, no unit, a box is open, a
// bad value (named), or the unit refused (naming the sends).
#pragma once

#include "settings/PanelSettings.h"

#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

class PanelCore;

enum class CommandStatus {
    Done,     // carried out; `held` is the value the panel now holds
    NoUnit,   // no unit is open (or it went away meanwhile)
    BoxOpen,  // a box of the panel waits for the user: nothing was done
    BadValue, // a value the unit cannot take: nothing was done
    Refused,  // the unit refused some of it; `refused` names the sends
};

struct CommandOutcome {
    CommandStatus status = CommandStatus::Done;
    int32_t held = 0;                 // Done, Refused: the value the panel now holds
    std::string badValue;             // BadValue: what is wrong, one sentence
    std::vector<std::string> refused; // Refused: each send the unit refused

    bool done() const { return status == CommandStatus::Done; }
};

class PanelCommands {
public:
    explicit PanelCommands(PanelCore& core) : core_(core) {}

    // Output 1..8 to a step 0..127 (127 = 0.0 dB); a linked pair moves
    // together, as on the Control page. `held` is the output's step.
    CommandOutcome setVolumeStep(int output, int step);
    // The same in dB, any finite value from -63.5 to 0, taken to the nearest
    // 0.5 dB step (VolumeSteps.h).
    CommandOutcome setVolumeDb(int output, double db);
    // Output 1..8 muted or not; `held` 1 or 0.
    CommandOutcome setMute(int output, bool on);
    // The two outputs of pair 1..4 to steps `left` and `right` (0..127) in
    // one change, whether linked or not; `held` the left output's step.
    CommandOutcome setPairVolumeSteps(int pair, int left, int right);
    // Every output whose bit is set in `outputs` (bit 0: output 1) muted or
    // not, in one change; `held` 1 when all of them are muted afterwards.
    CommandOutcome setMutes(unsigned outputs, bool on);
    // Pair 1..4 (outputs 1/2 .. 7/8) linked or not; `held` 1 or 0.
    CommandOutcome setLink(int pair, bool on);
    // One of the four rates; `held` the rate.
    CommandOutcome setSampleRate(int32_t rate);
    // 1 (highspeed) .. 6 (relaxed); `held` the latency.
    CommandOutcome setLatency(int32_t latency);
    // 0 "Auto", 1 "Internal Only"; `held` the mode.
    CommandOutcome setClockMode(int32_t mode);
    // The MON switch (the digital-monitor bit); `held` the bit read back.
    CommandOutcome setDigitalMon(bool on);
    // The mix-out bit (the MIX switch shows it inverted); `held` the bit read back.
    CommandOutcome setMixOutSel(bool on);
    // The S/PDIF output selector 0..3; `held` the selector.
    CommandOutcome setSpdifSource(int32_t selector);
    // 0 "+ 4dBv(Balanced)", 1 "-10dBv(Unbalanced)"; `held` the level.
    CommandOutcome setOutputLevel(int32_t level);
    // 0 "Consumer", 1 "Professional"; `held` the format.
    CommandOutcome setDigitalFormat(int32_t format);
    // A whole record (a settings file, a snapshot) as one change, then the
    // clock mode (0, 1, or -1 to leave it). Refused names every part the unit
    // did not take, the clock mode included.
    CommandOutcome applyRecord(const PanelSettings& record, int32_t clockMode);
    // The window, on the Control page.
    CommandOutcome show();
    // Ends the panel (its settings are saved as it ends).
    CommandOutcome exit();

private:
    // Whether a change may run now; otherwise `outcome` says why not.
    bool mayChange(CommandOutcome& outcome) const;
    // A change of one or more fields of the master, in one step; `held`
    // reads the value now held from the master afterwards.
    template <typename Edit, typename Held>
    CommandOutcome change(Edit edit, Held held);
    // What became of an operation: the unit stayed, it took the change, the
    // refused sends since `mark`.
    CommandOutcome finish(bool unitStayed, bool taken, uint64_t mark, int32_t held, const char* part) const;

    PanelCore& core_;
};

// The outcome's sentence for a user, when it was not done ("No Velmora is
// connected.", "The unit refused: Function error ...").
std::string describeOutcome(const CommandOutcome& outcome);

} // namespace velmora
