#include "app/PanelRequests.h"

#include "app/PanelCore.h"
#include "app/RegularFile.h"
#include "app/VolumeSteps.h"
#include "device/USBDevice.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <utility>

namespace velmora {

namespace {

using Json = nlohmann::ordered_json;

RequestAnswer answer(int code, std::string text) { return RequestAnswer{code, std::move(text)}; }

RequestAnswer noUnit() { return answer(EXIT_NO_UNIT, "No Velmora is connected."); }

// The answer to a command: `doneText` when it was carried out, otherwise
// why not, with `what` naming the change the unit did not take.
RequestAnswer answerFor(const CommandOutcome& outcome, const std::string& doneText, const std::string& what) {
    switch (outcome.status) {
    case CommandStatus::Done: return answer(EXIT_DONE, doneText);
    case CommandStatus::NoUnit: return noUnit();
    case CommandStatus::BoxOpen: return answer(EXIT_FAILED, describeOutcome(outcome));
    case CommandStatus::BadValue: return answer(EXIT_USAGE, describeOutcome(outcome));
    case CommandStatus::Refused: {
        std::string text = "The unit did not take " + what + ": ";
        for (size_t i = 0; i < outcome.refused.size(); ++i) text += (i ? "; " : "") + outcome.refused[i];
        return answer(EXIT_FAILED, text + ".");
    }
    }
    return answer(EXIT_FAILED, describeOutcome(outcome));
}

std::string number(int32_t value) { return std::to_string(value); }

} // namespace

RequestAnswer PanelRequests::runText(const std::string& wireText) {
    const DecodedRequest decoded = decodeRequestText(wireText);
    switch (decoded.result) {
    case WireResult::Taken: return run(decoded.request);
    case WireResult::UnknownVerb:
        return answer(EXIT_USAGE, "The running panel does not know the request \"" + decoded.verb + "\".");
    case WireResult::Malformed: break;
    }
    return answer(EXIT_USAGE, "The running panel could not read the request.");
}

RequestAnswer PanelRequests::run(const PanelRequest& request) {
    // Every value is checked here as the command line checks it: a request
    // may come from a panel of another version, or from another program.
    const RequestCheck check = checkRequest(request);
    if (!check.ok) return answer(EXIT_USAGE, check.problem);
    switch (request.verb) {
    case RequestVerb::Show:
        commands_.show();
        return answer(EXIT_DONE, "The panel is shown.");
    case RequestVerb::Exit:
        commands_.exit();
        return answer(EXIT_DONE, "The panel ends.");
    case RequestVerb::Status: return answer(EXIT_DONE, status());
    case RequestVerb::Save: return savePreset(request.file);
    case RequestVerb::Load: return loadPreset(request.file);
    case RequestVerb::Rate: {
        const CommandOutcome outcome = commands_.setSampleRate(request.value);
        return answerFor(outcome, "The sample rate is " + number(outcome.held) + ".",
                         "the sample rate " + number(request.value));
    }
    case RequestVerb::Latency: {
        const CommandOutcome outcome = commands_.setLatency(request.value);
        return answerFor(outcome, "The latency is " + number(outcome.held) + ".",
                         "the latency " + number(request.value));
    }
    case RequestVerb::Volume: {
        const CommandOutcome outcome = commands_.setVolumeDb(request.output, request.db);
        // The answer states the step the output is at, not the dB asked for.
        return answerFor(outcome,
                         "Output " + std::to_string(request.output) + " is at " + volumeDbText(outcome.held) + " dB.",
                         "the volume of output " + std::to_string(request.output));
    }
    case RequestVerb::Mute: {
        const CommandOutcome outcome = commands_.setMute(request.output, request.on);
        return answerFor(outcome,
                         "Output " + std::to_string(request.output) + (outcome.held ? " is muted." : " is not muted."),
                         std::string(request.on ? "muting" : "unmuting") + " output " + std::to_string(request.output));
    }
    case RequestVerb::Remote:
        if (!remote_) return answer(EXIT_FAILED, "This panel has no remote control.");
        return remote_(request);
    case RequestVerb::Store: {
        const SnapshotAnswer stored = snapshots_.store(request.value, request.file);
        return answer(stored.code, stored.text);
    }
    case RequestVerb::Recall: {
        const int slot = request.value ? request.value : snapshots_.slotNamed(request.file);
        if (slot == 0) return answer(EXIT_FAILED, "No snapshot is named \"" + request.file + "\".");
        const SnapshotAnswer recalled = snapshots_.recall(slot);
        return answer(recalled.code, recalled.text);
    }
    case RequestVerb::Step:
    case RequestVerb::Dim:
    case RequestVerb::MuteAll: {
        if (!monitor_) return answer(EXIT_FAILED, "This panel has no monitor pair to change.");
        const MonitorAnswer done = request.verb == RequestVerb::Step
                                       ? monitor_->step(request.on ? stepHalfDb(request.db) : -stepHalfDb(request.db))
                                   : request.verb == RequestVerb::Dim ? monitor_->dim(DimWish(request.value))
                                                                      : monitor_->muteAll(request.on);
        return answer(done.code, done.text);
    }
    default: return answer(EXIT_USAGE, "Not a request the panel knows.");
    }
}

RequestAnswer PanelRequests::savePreset(const std::string& path) {
    // While dimmed, the file gets the user's levels of the pair.
    const PanelSettings master = monitor_ ? monitor_->dimState().storedForm(core_.settings()) : core_.settings();
    if (isBlank(master) || !isValidSampleRate(master.sampleRate))
        return answer(EXIT_NO_UNIT, "There are no settings to save until a Velmora has been connected.");
    ChannelNames names;
    std::string problem;
    if (names_) loadChannelNames(*names_, names, problem);
    const std::string text = writePreset(master, core_.unitClockMode(), names_ ? &names : nullptr);
    // Written beside the file and then put in its place, so that a write that
    // fails half-way (a full disk) leaves an earlier file of that name whole.
    const FileOutcome written = replaceRegularFile(path, text);
    if (written != FileOutcome::Done)
        return answer(EXIT_FAILED, "Could not write " + path + ": it " + describeFileOutcome(written) + ".");
    return answer(EXIT_DONE, "Settings saved to " + path + ".");
}

RequestAnswer PanelRequests::loadPreset(const std::string& path) {
    if (!core_.currentDevice() || !core_.currentDevice()->isOpen() || core_.leavesUnitAlone()) return noUnit();
    std::string text;
    const FileOutcome read = readRegularFile(path, PRESET_MAX_BYTES, text);
    if (read != FileOutcome::Done)
        return answer(EXIT_FAILED, "Could not read " + path + ": it " + describeFileOutcome(read) + ".");

    PanelSettings record;
    int32_t clockMode = PRESET_NO_CLOCK_MODE;
    PresetError error;
    PresetNames names;
    if (!readPreset(text, core_.settings(), record, clockMode, error, &names))
        return answer(EXIT_FAILED, path + ": " + error.text() + ". Nothing was changed.");
    // The names are the panel's, not the unit's: kept whatever the unit takes.
    bool renamed = false;
    if (names.present && names_ && !replaceChannelNames(*names_, names.names, renamed))
        return answer(EXIT_FAILED, "Could not store the channel names of " + path + ". Nothing was changed.");
    if (renamed && namesChanged_) namesChanged_(names.names);
    // Every part the unit refused is named, the clock mode included.
    const CommandOutcome outcome = commands_.applyRecord(record, clockMode);
    return answerFor(outcome, "Settings loaded from " + path + ".", "every setting of " + path);
}

std::string PanelRequests::status() {
    Json state;
    state["panel"] = "VelPanel " + std::to_string(PANEL_VERSION_MAJOR) + "." + std::to_string(PANEL_VERSION_MINOR);
    USBDevice* unit = core_.currentDevice();
    state["unit"] = unit ? Json(unit->instanceId()) : Json(nullptr);
    state["connected"] = unit != nullptr && unit->isOpen();
    ChannelNames names;
    std::string problem;
    if (names_) loadChannelNames(*names_, names, problem); // a damaged value leaves every name empty
    state["inputs"] = Json::array();
    for (int number = 1; number <= NAMED_INPUTS; ++number)
        state["inputs"].push_back({{"number", number}, {"name", names.name(ChannelKind::Input, number)}});
    const PanelSettings& master = core_.settings();
    if (!isBlank(master) && isValidSampleRate(master.sampleRate)) {
        state["settings"] = Json::parse(writePreset(master, core_.unitClockMode()));
        for (Json& output : state["settings"]["outputs"])
            output["name"] = names.name(ChannelKind::Output, output["output"].get<int>());
    } else {
        state["settings"] = nullptr;
    }
    return state.dump();
}

} // namespace velmora
