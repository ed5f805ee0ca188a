#include "app/RequestWire.h"

#include "app/SnapshotName.h"
#include "app/VolumeSteps.h"
#include "settings/PanelSettings.h"
#include "settings/SampleRates.h"

#include <cerrno>
#include <cmath>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace velmora {

namespace {

const char* const VERB_NAMES[] = {"", "help", "load", "save", "rate", "latency", "volume", "mute", "show", "exit",
                                  "status", "store", "recall", "step", "dim", "mute-all",
                                  "remote"};
constexpr int VERB_COUNT = int(sizeof VERB_NAMES / sizeof VERB_NAMES[0]);

// An unknown verb is named back to the sender: printable and short.
constexpr size_t VERB_SHOWN_MAX = 32;

std::string shownVerb(const std::string& verb) {
    std::string shown;
    for (size_t i = 0; i < verb.size() && i < VERB_SHOWN_MAX; ++i) {
        const unsigned char c = static_cast<unsigned char>(verb[i]);
        shown += c >= 0x20 && c < 0x7F ? char(c) : '?';
    }
    if (verb.size() > VERB_SHOWN_MAX) shown += "...";
    return shown;
}

// A whole line that is a decimal integer in the range of int32_t.
bool readInteger(const std::string& line, int32_t& out) {
    if (line.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(line.c_str(), &end, 10);
    if (errno != 0 || end != line.c_str() + line.size() || value < INT32_MIN || value > INT32_MAX) return false;
    out = int32_t(value);
    return true;
}

// A whole line that is a number. A value beyond the double range reads as
// an infinity, and NaN reads as NaN: the checks turn both away.
bool readNumber(const std::string& line, double& out) {
    if (line.empty()) return false;
    char* end = nullptr;
    const double value = std::strtod(line.c_str(), &end);
    if (end != line.c_str() + line.size()) return false;
    out = value;
    return true;
}

// The next line of `text` from `pos` (without its line break); false when
// there is no line break left and `last` is not set.
bool nextLine(const std::string& text, size_t& pos, std::string& line, bool last = false) {
    if (pos > text.size()) return false;
    const size_t end = text.find('\n', pos);
    if (end == std::string::npos) {
        if (!last) return false;
        line = text.substr(pos);
        pos = text.size() + 1;
        return true;
    }
    line = text.substr(pos, end - pos);
    pos = end + 1;
    return true;
}

bool isOutput(int output) { return output >= 1 && output <= OUTPUT_COUNT; }

RequestCheck refuse(std::string problem) { return RequestCheck{false, std::move(problem)}; }

} // namespace

std::string encodeRequest(const PanelRequest& r) {
    const int verb = int(r.verb) >= 0 && int(r.verb) < VERB_COUNT ? int(r.verb) : 0;
    // "%.1f" of a large dB value has hundreds of digits: measured first.
    const char* const format = "%d\n%d\n%.1f\n%d";
    const int length = std::snprintf(nullptr, 0, format, int(r.value), r.output, r.db, r.on ? 1 : 0);
    std::string numbers(size_t(length > 0 ? length : 0) + 1, '\0');
    std::snprintf(&numbers[0], numbers.size(), format, int(r.value), r.output, r.db, r.on ? 1 : 0);
    numbers.resize(numbers.size() - 1);
    return std::string(VERB_NAMES[verb]) + "\n" + numbers + "\n" + r.file;
}

DecodedRequest decodeRequestText(const std::string& text) {
    DecodedRequest decoded;
    size_t pos = 0;
    std::string verb, value, output, db, on, file;
    if (!nextLine(text, pos, verb) || verb.empty()) return decoded;
    int known = 0;
    for (int i = 1; i < VERB_COUNT; ++i)
        if (verb == VERB_NAMES[i]) known = i;
    if (known == 0) {
        decoded.result = WireResult::UnknownVerb;
        decoded.verb = shownVerb(verb);
        return decoded;
    }
    if (!nextLine(text, pos, value) || !nextLine(text, pos, output) || !nextLine(text, pos, db) ||
        !nextLine(text, pos, on, true))
        return decoded;
    // The file name is all the rest, line breaks included, and may be empty:
    // a name cut at a line break would be another file (the checks refuse
    // control characters in a name).
    if (pos < text.size()) file = text.substr(pos);
    PanelRequest r;
    r.verb = RequestVerb(known);
    int32_t outputNumber = 0;
    if (!readInteger(value, r.value) || !readInteger(output, outputNumber) || !readNumber(db, r.db))
        return decoded;
    r.output = int(outputNumber);
    r.on = on == "1";
    r.file = file;
    decoded.result = WireResult::Taken;
    decoded.request = r;
    return decoded;
}

bool decodeRequest(const std::string& text, PanelRequest& request) {
    const DecodedRequest decoded = decodeRequestText(text);
    if (decoded.result != WireResult::Taken) return false;
    request = decoded.request;
    return true;
}

int stepHalfDb(double db) {
    if (!std::isfinite(db) || db < 0.5 || db > -VOLUME_MIN_DB) return 0;
    return int(std::lround(db * 2.0));
}

RequestCheck checkRequest(const PanelRequest& r) {
    switch (r.verb) {
    case RequestVerb::Load:
    case RequestVerb::Save:
        if (r.file.empty()) return refuse("Name a file.");
        // A control character (a NUL above all) would make the file another
        // one than the name says once it reaches the system.
        for (const char c : r.file)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
                return refuse("The file name holds a control character.");
        return RequestCheck{true, {}};
    case RequestVerb::Rate:
        if (sampleRateIndex(r.value) < 0) return refuse(std::string("The sample rate must be ") + SAMPLE_RATE_LIST + ".");
        return RequestCheck{true, {}};
    case RequestVerb::Latency:
        if (r.value < 1 || r.value > 6) return refuse("The latency must be 1 to 6.");
        return RequestCheck{true, {}};
    case RequestVerb::Volume:
        if (!isOutput(r.output)) return refuse("The output must be 1 to 8.");
        if (!volumeStepOfDb(r.db)) return refuse("The volume must be a number from -63.5 to 0 dB.");
        return RequestCheck{true, {}};
    case RequestVerb::Mute:
        if (!isOutput(r.output)) return refuse("The output must be 1 to 8.");
        return RequestCheck{true, {}};
    case RequestVerb::Store:
        if (r.value < 1 || r.value > SNAPSHOT_COUNT) return refuse("The snapshot must be 1 to 8.");
        if (!r.file.empty() && !snapshotNameProblem(r.file).empty()) return refuse(snapshotNameProblem(r.file));
        return RequestCheck{true, {}};
    case RequestVerb::Recall:
        if (r.value == 0 && !r.file.empty()) {
            if (!snapshotNameProblem(r.file).empty()) return refuse(snapshotNameProblem(r.file));
            return RequestCheck{true, {}};
        }
        if (r.value < 1 || r.value > SNAPSHOT_COUNT) return refuse("The snapshot must be 1 to 8 or a name.");
        return RequestCheck{true, {}};
    case RequestVerb::Remote:
        if (r.output != 0 && r.output != 1) return refuse("Remote control is on or off.");
        if (r.value < 0 || r.value > 65535) return refuse("The remote control's port must be 1 to 65535.");
        if (r.output == 0 && r.value == 0) return refuse("Say --remote on|off or --remote-port N.");
        return RequestCheck{true, {}};
    case RequestVerb::Step:
        if (stepHalfDb(r.db) == 0) return refuse("The step must be a number from 0.5 to 63.5 dB.");
        return RequestCheck{true, {}};
    case RequestVerb::Dim:
        if (r.value < 0 || r.value > 2) return refuse("The dim must be on, off or toggle.");
        return RequestCheck{true, {}};
    case RequestVerb::MuteAll:
    case RequestVerb::Show:
    case RequestVerb::Exit:
    case RequestVerb::Status: return RequestCheck{true, {}};
    default: return refuse("Not a request the panel knows.");
    }
}

std::string describeRequest(const PanelRequest& r) {
    char text[64];
    const int verb = int(r.verb) >= 0 && int(r.verb) < VERB_COUNT ? int(r.verb) : 0;
    switch (r.verb) {
    case RequestVerb::Load:
    case RequestVerb::Save: return std::string(VERB_NAMES[verb]) + " " + r.file;
    case RequestVerb::Rate: std::snprintf(text, sizeof text, "rate %d Hz", int(r.value)); return text;
    case RequestVerb::Latency: std::snprintf(text, sizeof text, "latency %d", int(r.value)); return text;
    case RequestVerb::Volume: std::snprintf(text, sizeof text, "volume %d %.1f dB", r.output, r.db); return text;
    case RequestVerb::Mute: std::snprintf(text, sizeof text, "mute %d %s", r.output, r.on ? "on" : "off"); return text;
    case RequestVerb::Step:
        std::snprintf(text, sizeof text, "step %s %.1f dB", r.on ? "up" : "down", r.db);
        return text;
    case RequestVerb::Dim: return r.value == 2 ? "dim toggle" : r.value == 1 ? "dim on" : "dim off";
    case RequestVerb::MuteAll: return r.on ? "mute-all on" : "mute-all off";
    case RequestVerb::Store:
    case RequestVerb::Recall:
        std::snprintf(text, sizeof text, " %d", int(r.value));
        return std::string(VERB_NAMES[verb]) + (r.value ? text : "") + (r.file.empty() ? "" : " " + r.file);
    case RequestVerb::Remote:
        return std::string("remote") + (r.output ? (r.on ? " on" : " off") : "") +
               (r.value ? " port " + std::to_string(r.value) : "");
    default: return VERB_NAMES[verb];
    }
}

} // namespace velmora
