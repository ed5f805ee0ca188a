#include "app/PanelRequests.h"

#include "app/PanelCore.h"
#include "device/USBDevice.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace velmora {

namespace {

using Json = nlohmann::ordered_json;

const unsigned RATE_COMMAND[4] = {CMD_RATE_44100, CMD_RATE_48000, CMD_RATE_88200, CMD_RATE_96000};
const int32_t RATES[4] = {44100, 48000, 88200, 96000};

RequestAnswer answer(int code, std::string text) { return RequestAnswer{code, std::move(text)}; }

RequestAnswer noUnit() { return answer(EXIT_NO_UNIT, "No Velmora is connected."); }

// The fields a settings file holds are the same in both records.
bool sameUserFields(const PanelSettings& a, const PanelSettings& b) {
    return std::equal(a.outVolume, a.outVolume + 8, b.outVolume) && std::equal(a.outMute, a.outMute + 8, b.outMute) &&
           std::equal(a.outLink, a.outLink + 4, b.outLink) && a.digitalOutSelector == b.digitalOutSelector &&
           a.cpldMixOutSel == b.cpldMixOutSel && a.cpldDigitalMon == b.cpldDigitalMon &&
           a.sampleRate == b.sampleRate && a.outputLevel == b.outputLevel && a.digitalFormat == b.digitalFormat &&
           a.latency == b.latency;
}

} // namespace

RequestAnswer PanelRequests::run(const PanelRequest& request) {
    switch (request.verb) {
    case RequestVerb::Show:
        core_.onCommand(CMD_OPEN);
        return answer(EXIT_DONE, "The panel is shown.");
    case RequestVerb::Exit:
        core_.onCommand(CMD_EXIT);
        return answer(EXIT_DONE, "The panel ends.");
    case RequestVerb::Status: return answer(EXIT_DONE, status());
    case RequestVerb::Save: return savePreset(request.file);
    default: break;
    }
    // A change while one of the panel's boxes waits for the user would not
    // be taken.
    if (core_.boxOpen()) return answer(EXIT_FAILED, "The panel shows a message; answer it first.");
    switch (request.verb) {
    case RequestVerb::Load: return loadPreset(request.file);
    case RequestVerb::Rate:
        for (int i = 0; i < 4; ++i)
            if (RATES[i] == request.value)
                return pickFromMenu(RATE_COMMAND[i], &PanelSettings::sampleRate, request.value, "sample rate");
        return answer(EXIT_USAGE, "The sample rate must be 44100, 48000, 88200 or 96000.");
    case RequestVerb::Latency:
        if (request.value < 1 || request.value > 6) return answer(EXIT_USAGE, "The latency must be 1 to 6.");
        return pickFromMenu(CMD_LATENCY_FIRST + unsigned(request.value) - 1, &PanelSettings::latency, request.value,
                            "latency");
    case RequestVerb::Volume:
    case RequestVerb::Mute: return changeOutput(request);
    default: return answer(EXIT_USAGE, "Not a request the panel knows.");
    }
}

RequestAnswer PanelRequests::runText(const std::string& wireText) {
    PanelRequest request;
    if (!decodeRequest(wireText, request))
        return answer(EXIT_USAGE,
                      "The running panel does not know the request \"" + wireText.substr(0, wireText.find('\n')) + "\".");
    return run(request);
}

RequestAnswer PanelRequests::pickFromMenu(unsigned command, int32_t PanelSettings::*field, int32_t value,
                                          const char* what) {
    if (!core_.currentDevice() || !core_.currentDevice()->isOpen()) return noUnit();
    core_.onCommand(command);
    char text[80];
    const bool taken = core_.settings().*field == value;
    std::snprintf(text, sizeof text, taken ? "The %s is %d." : "The unit did not take %s %d.", what, int(value));
    return answer(taken ? EXIT_DONE : EXIT_FAILED, text);
}

RequestAnswer PanelRequests::changeOutput(const PanelRequest& request) {
    if (!core_.currentDevice() || !core_.currentDevice()->isOpen()) return noUnit();
    if (request.output < 1 || request.output > OUTPUT_COUNT) return answer(EXIT_USAGE, "The output must be 1 to 8.");
    const int out = request.output - 1;
    PanelSettings candidate = core_.settings();
    char text[80];
    if (request.verb == RequestVerb::Volume) {
        const int volume = int(127.0 + request.db * 2.0);
        if (volume < 0 || volume > 127) return answer(EXIT_USAGE, "The volume must be from -63.5 to 0 dB.");
        // As on the Control page, a linked pair moves together.
        candidate.outVolume[out] = uint8_t(volume);
        if (candidate.outLink[out / 2] == 1) candidate.outVolume[out ^ 1] = uint8_t(volume);
        std::snprintf(text, sizeof text, "Output %d is at %.1f dB.", request.output, request.db);
    } else {
        candidate.outMute[out] = request.on ? 1 : 0;
        std::snprintf(text, sizeof text, "Output %d is %s.", request.output, request.on ? "muted" : "not muted");
    }
    core_.applyVolumes(candidate);
    core_.applyMixer(candidate);
    const PanelSettings& now = core_.settings();
    if (now.outVolume[out] != candidate.outVolume[out] || now.outMute[out] != candidate.outMute[out])
        return answer(EXIT_FAILED, "The unit did not take the change.");
    return answer(EXIT_DONE, text);
}

RequestAnswer PanelRequests::savePreset(const std::string& path) {
    const PanelSettings& master = core_.settings();
    if (isBlank(master) || !isValidSampleRate(master.sampleRate))
        return answer(EXIT_NO_UNIT, "There are no settings to save until a Velmora has been connected.");
    const std::string text = writePreset(master, core_.unitClockMode());
    // Written beside the file and then put in its place, so that a write that
    // fails half-way (a full disk) leaves an earlier file of that name whole.
    const std::string partial = path + ".partial";
    std::ofstream file(partial, std::ios::binary | std::ios::trunc);
    file.write(text.data(), std::streamsize(text.size()));
    file.close();
    std::error_code renamed;
    if (file) std::filesystem::rename(partial, path, renamed);
    if (!file || renamed) {
        std::error_code ignored;
        std::filesystem::remove(partial, ignored);
        return answer(EXIT_FAILED, "Could not write " + path + ".");
    }
    return answer(EXIT_DONE, "Settings saved to " + path + ".");
}

RequestAnswer PanelRequests::loadPreset(const std::string& path) {
    if (!core_.currentDevice() || !core_.currentDevice()->isOpen()) return noUnit();
    std::ifstream file(path, std::ios::binary);
    if (!file) return answer(EXIT_FAILED, "Could not read " + path + ".");
    // One byte beyond the limit is enough to refuse a file that is too large.
    std::string text(PRESET_MAX_BYTES + 1, '\0');
    file.read(&text[0], std::streamsize(text.size()));
    text.resize(size_t(file.gcount()));

    PanelSettings record;
    int32_t clockMode = PRESET_NO_CLOCK_MODE;
    PresetError error;
    if (!readPreset(text, core_.settings(), record, clockMode, error))
        return answer(EXIT_FAILED, path + ": " + error.text() + ". Nothing was changed.");
    core_.applyRecord(record, clockMode);
    if (!sameUserFields(core_.settings(), record))
        return answer(EXIT_FAILED, "The unit did not take every setting of " + path + ".");
    return answer(EXIT_DONE, "Settings loaded from " + path + ".");
}

std::string PanelRequests::status() {
    Json state;
    state["panel"] = "VelPanel " + std::to_string(PANEL_VERSION_MAJOR) + "." + std::to_string(PANEL_VERSION_MINOR);
    USBDevice* unit = core_.currentDevice();
    state["unit"] = unit ? Json(unit->instanceId()) : Json(nullptr);
    state["connected"] = unit != nullptr && unit->isOpen();
    const PanelSettings& master = core_.settings();
    if (!isBlank(master) && isValidSampleRate(master.sampleRate))
        state["settings"] = Json::parse(writePreset(master, core_.unitClockMode()));
    else
        state["settings"] = nullptr;
    return state.dump();
}

void PanelRequests::setWaiting(const PanelRequest& request) { waiting_ = request; }

RequestAnswer PanelRequests::runWaiting() {
    const PanelRequest request = waiting_;
    waiting_ = PanelRequest{};
    return run(request);
}

} // namespace velmora
