#include "settings/PresetFile.h"

#include "settings/SampleRates.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>

namespace velmora {

namespace {

using Json = nlohmann::ordered_json;

const char* const LEVEL_TEXT[2] = {"+ 4dBv(Balanced)", "-10dBv(Unbalanced)"};
const char* const FORMAT_TEXT[2] = {"Consumer", "Professional"};
const char* const CLOCK_TEXT[2] = {"Auto", "Internal Only"};
const char* const PAIR_NAME[OUTPUT_PAIRS] = {"1/2", "3/4", "5/6", "7/8"};

double volumeDb(int volume) { return (volume - 127) * 0.5; }

// The first broken rule, as a field name and what it must be.
struct Broken {
    std::string field;
    std::string reason;
};

// Reading stops at the first broken rule: the helpers answer false after
// setting `broken`.
class Reader {
public:
    explicit Reader(Broken& broken) : broken_(broken) {}

    bool fail(std::string field, std::string reason) {
        broken_.field = std::move(field);
        broken_.reason = std::move(reason);
        return false;
    }
    const Json* member(const Json& object, const std::string& parent, const char* key) {
        auto it = object.find(key);
        if (it == object.end()) {
            fail(parent + key, "is missing");
            return nullptr;
        }
        return &*it;
    }
    bool integer(const Json& object, const std::string& parent, const char* key, long long low, long long high,
                 long long& out) {
        const Json* value = member(object, parent, key);
        if (!value) return false;
        if (!value->is_number_integer() || value->get<long long>() < low || value->get<long long>() > high) {
            char reason[96];
            std::snprintf(reason, sizeof reason, "must be a whole number from %lld to %lld", low, high);
            return fail(parent + key, reason);
        }
        out = value->get<long long>();
        return true;
    }
    bool flag(const Json& object, const std::string& parent, const char* key, bool& out) {
        const Json* value = member(object, parent, key);
        if (!value) return false;
        if (!value->is_boolean()) return fail(parent + key, "must be true or false");
        out = value->get<bool>();
        return true;
    }
    // One of two texts: answers its index.
    bool choice(const Json& object, const char* key, const char* const texts[2], int& out) {
        const Json* value = member(object, "", key);
        if (!value) return false;
        for (int i = 0; i < 2; ++i) {
            if (value->is_string() && value->get<std::string>() == texts[i]) {
                out = i;
                return true;
            }
        }
        return fail(key, std::string("must be \"") + texts[0] + "\" or \"" + texts[1] + "\"");
    }

private:
    Broken& broken_;
};

bool readOutputs(Reader& r, const Json& root, PanelSettings& record) {
    const Json* outputs = r.member(root, "", "outputs");
    if (!outputs) return false;
    if (!outputs->is_array() || outputs->size() != OUTPUT_COUNT)
        return r.fail("outputs", "must be a list of the 8 outputs");
    for (int i = 0; i < OUTPUT_COUNT; ++i) {
        const std::string at = "outputs[" + std::to_string(i) + "].";
        const Json& output = (*outputs)[size_t(i)];
        if (!output.is_object()) return r.fail("outputs[" + std::to_string(i) + "]", "must be an object");
        long long number = 0;
        if (!r.integer(output, at, "output", i + 1, i + 1, number)) return false;

        const bool hasVolume = output.contains("volume");
        const bool hasDb = output.contains("volumeDb");
        if (!hasVolume && !hasDb) return r.fail(at + "volume", "is missing");
        long long volume = -1;
        if (hasVolume && !r.integer(output, at, "volume", 0, 127, volume)) return false;
        if (hasDb) {
            const Json& db = output["volumeDb"];
            const double steps = db.is_number() ? db.get<double>() * 2.0 + 127.0 : -1.0;
            if (!db.is_number() || !(steps >= 0.0 && steps <= 127.0) || steps != std::floor(steps))
                return r.fail(at + "volumeDb", "must be from -63.5 to 0.0 in steps of 0.5");
            if (hasVolume && (long long)steps != volume) {
                char reason[80];
                std::snprintf(reason, sizeof reason, "must agree with \"volume\" (%lld is %.1f dB)", volume,
                              volumeDb(int(volume)));
                return r.fail(at + "volumeDb", reason);
            }
            volume = (long long)steps;
        }
        bool mute = false;
        if (!r.flag(output, at, "mute", mute)) return false;
        record.outVolume[i] = uint8_t(volume);
        record.outMute[i] = mute ? 1 : 0;
    }
    return true;
}

bool readLinks(Reader& r, const Json& root, PanelSettings& record) {
    const Json* linked = r.member(root, "", "linked");
    if (!linked) return false;
    if (!linked->is_object()) return r.fail("linked", "must name the 4 output pairs");
    for (int k = 0; k < OUTPUT_PAIRS; ++k) {
        bool on = false;
        if (!r.flag(*linked, "linked.", PAIR_NAME[k], on)) return false;
        record.outLink[k] = on ? 1 : 0;
    }
    return true;
}

// The names of a version 2 file: "inputs" and every output's "name", or neither.
bool readNames(Reader& r, const Json& root, PresetNames& names) {
    names = PresetNames();
    auto inputs = root.find("inputs");
    if (inputs == root.end()) return true;
    if (!inputs->is_array() || inputs->size() != size_t(NAMED_INPUTS))
        return r.fail("inputs", "must be a list of the 18 inputs");
    auto name = [&r](const Json& channel, const std::string& at, ChannelKind kind, int number,
                     ChannelNames& into) {
        if (!channel.is_object()) return r.fail(at.substr(0, at.size() - 1), "must be an object");
        const Json* text = r.member(channel, at, "name");
        if (!text) return false;
        if (!text->is_string()) return r.fail(at + "name", "must be text");
        const std::string why = checkChannelName(text->get<std::string>());
        if (!why.empty()) return r.fail(at + "name", why);
        into.set(kind, number, text->get<std::string>());
        return true;
    };
    for (int i = 0; i < NAMED_INPUTS; ++i) {
        const std::string at = "inputs[" + std::to_string(i) + "].";
        long long number = 0;
        if (!name((*inputs)[size_t(i)], at, ChannelKind::Input, i + 1, names.names)) return false;
        if (!r.integer((*inputs)[size_t(i)], at, "input", i + 1, i + 1, number)) return false;
    }
    const Json& outputs = root["outputs"]; // checked before
    for (int i = 0; i < NAMED_OUTPUTS; ++i)
        if (!name(outputs[size_t(i)], "outputs[" + std::to_string(i) + "].", ChannelKind::Output, i + 1,
                  names.names))
            return false;
    names.present = true;
    return true;
}

bool readAll(Reader& r, const Json& root, PanelSettings& record, int32_t& clockMode, PresetNames& names) {
    if (!root.is_object()) return r.fail("file", "must hold one JSON object");
    const Json* format = r.member(root, "", "format");
    if (!format) return false;
    if (!format->is_string() || format->get<std::string>() != PRESET_FORMAT_NAME)
        return r.fail("format", std::string("must be \"") + PRESET_FORMAT_NAME + "\"");
    long long number = 0;
    if (!r.integer(root, "", "version", PRESET_OLDEST_VERSION, PRESET_FORMAT_VERSION, number)) return false;
    const bool carriesNames = number >= 2;

    const Json* rate = r.member(root, "", "sampleRate");
    if (!rate) return false;
    if (!rate->is_number_integer() || !isValidSampleRate(int32_t(rate->get<long long>())) ||
        rate->get<long long>() != int32_t(rate->get<long long>()))
        return r.fail("sampleRate", std::string("must be ") + SAMPLE_RATE_LIST);
    record.sampleRate = int32_t(rate->get<long long>());
    if (!r.integer(root, "", "latency", 1, 6, number)) return false;
    record.latency = int32_t(number);

    clockMode = PRESET_NO_CLOCK_MODE;
    if (root.contains("clockMode")) {
        int clock = 0;
        if (!r.choice(root, "clockMode", CLOCK_TEXT, clock)) return false;
        clockMode = clock;
    }
    int level = 0, spdifFormat = 0;
    if (!r.choice(root, "outputLevel", LEVEL_TEXT, level)) return false;
    if (!r.choice(root, "spdifFormat", FORMAT_TEXT, spdifFormat)) return false;
    record.outputLevel = level;
    record.digitalFormat = spdifFormat;
    if (!r.integer(root, "", "spdifOutput", 0, 3, number)) return false;
    record.digitalOutSelector = uint8_t(number);
    bool monitor = false, mix = false;
    if (!r.flag(root, "", "monitor", monitor) || !r.flag(root, "", "mix", mix)) return false;
    record.cpldDigitalMon = monitor ? 1 : 0;
    record.cpldMixOutSel = mix ? 0 : 1; // MIX on is the bit at 0
    if (!readOutputs(r, root, record) || !readLinks(r, root, record)) return false;
    names = PresetNames();
    return !carriesNames || readNames(r, root, names);
}

} // namespace

std::string PresetError::text() const { return field == "file" ? "The file " + reason : field + " " + reason; }

std::string writePreset(const PanelSettings& record, int32_t clockMode, const ChannelNames* names) {
    Json root;
    root["format"] = PRESET_FORMAT_NAME;
    root["version"] = PRESET_FORMAT_VERSION;
    root["sampleRate"] = record.sampleRate;
    root["latency"] = record.latency;
    if (clockMode == 0 || clockMode == 1) root["clockMode"] = CLOCK_TEXT[clockMode];
    root["outputLevel"] = LEVEL_TEXT[record.outputLevel == 1 ? 1 : 0];
    root["spdifFormat"] = FORMAT_TEXT[record.digitalFormat == 1 ? 1 : 0];
    root["spdifOutput"] = int(record.digitalOutSelector);
    root["monitor"] = record.cpldDigitalMon == 1;
    root["mix"] = record.cpldMixOutSel == 0;
    Json outputs = Json::array();
    for (int i = 0; i < OUTPUT_COUNT; ++i) {
        Json output;
        output["output"] = i + 1;
        output["volume"] = int(record.outVolume[i]);
        output["volumeDb"] = volumeDb(record.outVolume[i]);
        output["mute"] = record.outMute[i] == 1;
        if (names) output["name"] = names->name(ChannelKind::Output, i + 1);
        outputs.push_back(output);
    }
    root["outputs"] = outputs;
    if (names) {
        Json inputs = Json::array();
        for (int i = 0; i < NAMED_INPUTS; ++i)
            inputs.push_back({{"input", i + 1}, {"name", names->name(ChannelKind::Input, i + 1)}});
        root["inputs"] = inputs;
    }
    Json linked;
    for (int k = 0; k < OUTPUT_PAIRS; ++k) linked[PAIR_NAME[k]] = record.outLink[k] == 1;
    root["linked"] = linked;
    return root.dump(2) + "\n";
}

bool readPreset(const std::string& text, const PanelSettings& base, PanelSettings& record, int32_t& clockMode,
                PresetError& error, PresetNames* names) {
    if (text.size() > PRESET_MAX_BYTES) {
        error = {"file", "is larger than " + std::to_string(PRESET_MAX_BYTES / 1024) + " KiB"};
        return false;
    }
    const Json root = Json::parse(text, nullptr, false);
    if (root.is_discarded()) {
        error = {"file", "is not JSON"};
        return false;
    }
    Broken broken;
    Reader reader(broken);
    PanelSettings read = base;
    int32_t clock = PRESET_NO_CLOCK_MODE;
    PresetNames readNames;
    if (!readAll(reader, root, read, clock, readNames)) {
        error = {broken.field, broken.reason};
        return false;
    }
    record = read;
    clockMode = clock;
    if (names) *names = readNames;
    return true;
}

} // namespace velmora
