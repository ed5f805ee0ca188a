#include "app/MonitorActions.h"

#include "app/PanelCore.h"
#include "app/RequestWire.h"
#include "app/VolumeSteps.h"

#include <algorithm>

namespace velmora {

namespace {

bool changedAnything(const CommandOutcome& outcome) {
    return outcome.status == CommandStatus::Done || outcome.status == CommandStatus::Refused;
}

} // namespace

std::string MonitorActions::pairText(int pair) {
    return "Outputs " + std::to_string(2 * pair - 1) + "-" + std::to_string(2 * pair);
}

std::string MonitorActions::levelText() const {
    const PanelSettings& r = core_.settings();
    const int left = 2 * (settings_.pair - 1);
    std::string text = volumeDbText(r.outVolume[left]);
    if (r.outVolume[left + 1] != r.outVolume[left]) text += " / " + volumeDbText(r.outVolume[left + 1]);
    text += " dB";
    if (r.outMute[left] == 1 && r.outMute[left + 1] == 1) text += ", muted";
    return text;
}

std::string MonitorActions::levelShown() const { return pairText(settings_.pair) + "  " + levelText(); }

template <typename Change>
CommandOutcome MonitorActions::withDimEnded(Change change) {
    const MonitorDim before = dim_;
    dim_.end();
    const CommandOutcome outcome = change();
    if (!changedAnything(outcome)) dim_ = before;
    return outcome;
}

MonitorAnswer MonitorActions::answerOf(const CommandOutcome& outcome, std::string text, std::string shown) const {
    switch (outcome.status) {
    case CommandStatus::Done: return MonitorAnswer{EXIT_DONE, std::move(text), std::move(shown)};
    case CommandStatus::NoUnit: return MonitorAnswer{EXIT_NO_UNIT, describeOutcome(outcome), describeOutcome(outcome)};
    case CommandStatus::BadValue: return MonitorAnswer{EXIT_USAGE, describeOutcome(outcome), describeOutcome(outcome)};
    case CommandStatus::BoxOpen:
    case CommandStatus::Refused: break;
    }
    return MonitorAnswer{EXIT_FAILED, describeOutcome(outcome), describeOutcome(outcome)};
}

MonitorAnswer MonitorActions::step(int halfDb) {
    dim_.follow(core_.settings());
    const int pair = settings_.pair;
    const int left = 2 * (pair - 1);
    const PanelSettings& r = core_.settings();
    const bool known = !isBlank(r);
    const int a = known ? std::clamp(int(r.outVolume[left]) + halfDb, 0, VOLUME_STEP_MAX) : 0;
    const int b = known ? std::clamp(int(r.outVolume[left + 1]) + halfDb, 0, VOLUME_STEP_MAX) : 0;
    const CommandOutcome outcome = withDimEnded([&] { return commands_.setPairVolumeSteps(pair, a, b); });
    return answerOf(outcome, pairText(pair) + " are at " + levelText() + ".", levelShown());
}

MonitorAnswer MonitorActions::dim(DimWish wish) {
    dim_.follow(core_.settings());
    const bool on = wish == DimWish::Toggle ? !dim_.active() : wish == DimWish::On;
    if (on && dim_.active())
        return MonitorAnswer{EXIT_DONE, pairText(dim_.pair()) + " are dimmed already.",
                             "Dim -" + std::to_string(dim_.depthDb()) + " dB"};
    if (!on && !dim_.active()) return MonitorAnswer{EXIT_DONE, pairText(settings_.pair) + " are not dimmed.", levelShown()};
    if (!on) {
        // The dimmed pair gets the user's levels back, whatever pair is chosen now.
        const int pair = dim_.pair();
        const std::array<uint8_t, 2> user = dim_.userLevels();
        const CommandOutcome outcome =
            withDimEnded([&] { return commands_.setPairVolumeSteps(pair, user[0], user[1]); });
        return answerOf(outcome, pairText(pair) + " are back at " + levelText() + ".", levelShown());
    }
    const PanelSettings& r = core_.settings();
    if (isBlank(r)) return MonitorAnswer{EXIT_NO_UNIT, "No Velmora is connected.", "No Velmora is connected."};
    // The dim begins before the change, so that the record stored with the
    // change keeps the user's levels.
    const MonitorDim before = dim_;
    const std::array<uint8_t, 2> dimmed = dim_.begin(r, settings_.pair, settings_.dimDb);
    const CommandOutcome outcome = commands_.setPairVolumeSteps(settings_.pair, dimmed[0], dimmed[1]);
    if (!changedAnything(outcome)) dim_ = before;
    else dim_.follow(core_.settings());
    return answerOf(outcome, pairText(settings_.pair) + " are dimmed by " + std::to_string(dim_.depthDb()) + " dB.",
                    "Dim -" + std::to_string(dim_.depthDb()) + " dB");
}

MonitorAnswer MonitorActions::toggleMute() {
    const int left = 2 * (settings_.pair - 1);
    const PanelSettings& r = core_.settings();
    return mute(!(r.outMute[left] == 1 && r.outMute[left + 1] == 1));
}

MonitorAnswer MonitorActions::mute(bool on) {
    const int left = 2 * (settings_.pair - 1);
    const CommandOutcome outcome = commands_.setMutes(3u << left, on);
    const std::string text = pairText(settings_.pair) + (on ? " are muted." : " are not muted.");
    return answerOf(outcome, text, on ? "Muted" : levelShown());
}

MonitorAnswer MonitorActions::muteAll(bool on) {
    const CommandOutcome outcome = commands_.setMutes((1u << OUTPUT_COUNT) - 1, on);
    return answerOf(outcome, on ? "All outputs are muted." : "No output is muted.",
                    on ? "All outputs muted" : "All outputs unmuted");
}

MonitorAnswer MonitorActions::toggleMuteAll() {
    const PanelSettings& r = core_.settings();
    bool all = true;
    for (int i = 0; i < OUTPUT_COUNT; ++i) all = all && r.outMute[i] == 1;
    return muteAll(!all);
}

MonitorAnswer MonitorActions::recall(int slot) {
    const std::string name = slot >= 1 && slot <= SNAPSHOT_COUNT ? snapshots_.names()[size_t(slot - 1)] : "";
    SnapshotAnswer answer;
    withDimEnded([&] {
        answer = snapshots_.recall(slot);
        CommandOutcome outcome;
        // A recall that changed nothing (an empty or damaged slot, no unit) keeps the dim.
        outcome.status = answer.applied ? CommandStatus::Done : CommandStatus::NoUnit;
        return outcome;
    });
    if (answer.code != EXIT_DONE) return MonitorAnswer{answer.code, answer.text, answer.text};
    return MonitorAnswer{EXIT_DONE, answer.text, "Snapshot " + std::to_string(slot) + "  " + name};
}

MonitorAnswer MonitorActions::run(int action) {
    switch (HotkeyAction(action)) {
    case HotkeyAction::VolumeUp: return step(1);
    case HotkeyAction::VolumeDown: return step(-1);
    case HotkeyAction::VolumeUpCoarse: return step(settings_.coarseHalfDb);
    case HotkeyAction::VolumeDownCoarse: return step(-settings_.coarseHalfDb);
    case HotkeyAction::MuteToggle: return toggleMute();
    case HotkeyAction::DimToggle: return dim(DimWish::Toggle);
    case HotkeyAction::MuteAll: return toggleMuteAll();
    default: break;
    }
    if (action >= int(HotkeyAction::Snapshot1) && action < HOTKEY_ACTION_COUNT)
        return recall(action - int(HotkeyAction::Snapshot1) + 1);
    return MonitorAnswer{EXIT_USAGE, "Not an action the panel knows.", ""};
}

} // namespace velmora
