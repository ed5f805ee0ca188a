#include "app/CommandLine.h"

#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <utility>

namespace velmora {

namespace {

const char* const VERB_NAMES[] = {"", "help", "load", "save", "rate", "latency", "volume", "mute", "show", "exit",
                                  "status"};

// A volume in dB the outputs can take: -63.5..0 in steps of 0.5.
bool isVolumeDb(double db) {
    const double steps = db * 2.0 + 127.0;
    return steps >= 0.0 && steps <= 127.0 && steps == std::floor(steps);
}

// The parser of the options, filling `request`; the verbs are flags and
// options of one app so that exactly one of them can be required.
struct Parser {
    CLI::App app{"VelPanel: the Velmora control panel.", "VelPanel.exe"};
    std::string load, save;
    int rate = 0, latency = 0, wait = 10;
    std::pair<int, double> volume{0, 0.0};
    std::pair<int, std::string> mute{0, ""};
    bool show = false, exit = false, status = false, background = false;

    Parser() {
        app.set_help_flag("--help,-h", "Print this help and end");
        app.add_option("--load", load, "Apply the settings in FILE (a .velpanel file)")->type_name("FILE");
        app.add_option("--save", save, "Save the current settings to FILE")->type_name("FILE");
        app.add_option("--rate", rate, "Set the sample rate")
            ->type_name("HZ")
            ->check(CLI::IsMember({44100, 48000, 88200, 96000}));
        app.add_option("--latency", latency, "Set the latency, 1 (highspeed) to 6 (relaxed)")
            ->type_name("1..6")
            ->check(CLI::Range(1, 6));
        app.add_option("--volume", volume, "Set output OUT (1..8) to DB (-63.5..0, steps of 0.5)")
            ->type_name("OUT DB");
        app.add_option("--mute", mute, "Mute (on) or unmute (off) output OUT (1..8)")->type_name("OUT on|off");
        app.add_flag("--show", show, "Show the panel's window");
        app.add_flag("--exit", exit, "End the running panel; its settings are saved");
        app.add_flag("--status", status, "Print the current state as JSON");
        app.add_option("--wait", wait, "With a request: wait up to SECONDS for a unit (default 10 when no panel runs)")
            ->type_name("SECONDS")
            ->check(CLI::Range(0, 3600));
        app.add_flag("--background", background, "Start the panel without showing anything (the sign-in start)");
    }
};

} // namespace

std::string commandLineHelp() {
    Parser parser;
    return parser.app.help() +
           "\nWithout options the panel starts (or the running one is shown).\n"
           "Exit codes: 0 done, 1 failed, 2 wrong command line, 3 no panel running, 4 no unit.\n";
}

ParsedCommandLine parseCommandLine(const std::vector<std::string>& args) {
    ParsedCommandLine result;
    Parser parser;
    std::vector<std::string> reversed(args.rbegin(), args.rend()); // CLI11 takes them last first
    try {
        parser.app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        result.ok = true;
        result.request.verb = RequestVerb::Help;
        result.message = commandLineHelp();
        return result;
    } catch (const CLI::ParseError& error) {
        result.message = error.what();
        return result;
    }

    PanelRequest& r = result.request;
    int verbs = 0;
    auto take = [&](const char* name, RequestVerb verb) {
        if (parser.app.count(name) == 0) return;
        ++verbs;
        r.verb = verb;
    };
    take("--load", RequestVerb::Load);
    take("--save", RequestVerb::Save);
    take("--rate", RequestVerb::Rate);
    take("--latency", RequestVerb::Latency);
    take("--volume", RequestVerb::Volume);
    take("--mute", RequestVerb::Mute);
    take("--show", RequestVerb::Show);
    take("--exit", RequestVerb::Exit);
    take("--status", RequestVerb::Status);
    if (verbs > 1) {
        result.message = "One request at a time, please (see --help).";
        return result;
    }
    result.background = parser.background;
    if (result.background && verbs > 0) {
        result.message = "--background goes alone: it is a start of the panel, not a request.";
        return result;
    }
    result.waitGiven = parser.app.count("--wait") > 0;
    result.waitSeconds = parser.wait;
    if (result.waitGiven && verbs == 0) {
        result.message = "--wait goes with a request (see --help).";
        return result;
    }
    r.file = r.verb == RequestVerb::Load ? parser.load : parser.save;
    r.value = r.verb == RequestVerb::Rate ? parser.rate : parser.latency;
    if (r.verb == RequestVerb::Volume) {
        r.output = parser.volume.first;
        r.db = parser.volume.second;
        if (r.output < 1 || r.output > 8) {
            result.message = "--volume: the output must be 1 to 8.";
            return result;
        }
        if (!isVolumeDb(r.db)) {
            result.message = "--volume: the volume must be from -63.5 to 0 dB in steps of 0.5.";
            return result;
        }
    }
    if (r.verb == RequestVerb::Mute) {
        r.output = parser.mute.first;
        if (r.output < 1 || r.output > 8) {
            result.message = "--mute: the output must be 1 to 8.";
            return result;
        }
        if (parser.mute.second != "on" && parser.mute.second != "off") {
            result.message = "--mute: say on or off.";
            return result;
        }
        r.on = parser.mute.second == "on";
    }
    if ((r.verb == RequestVerb::Load || r.verb == RequestVerb::Save) && r.file.empty()) {
        result.message = std::string("--") + VERB_NAMES[int(r.verb)] + ": name a file.";
        return result;
    }
    result.ok = true;
    return result;
}

bool requestChangesUnit(RequestVerb verb) {
    return verb == RequestVerb::Load || verb == RequestVerb::Rate || verb == RequestVerb::Latency ||
           verb == RequestVerb::Volume || verb == RequestVerb::Mute;
}

std::string encodeRequest(const PanelRequest& r) {
    char numbers[96];
    std::snprintf(numbers, sizeof numbers, "%d\n%d\n%.1f\n%d", int(r.value), r.output, r.db, r.on ? 1 : 0);
    return std::string(VERB_NAMES[int(r.verb)]) + "\n" + numbers + "\n" + r.file;
}

bool decodeRequest(const std::string& text, PanelRequest& request) {
    std::istringstream in(text);
    std::string verb, value, output, db, on, file;
    if (!std::getline(in, verb) || !std::getline(in, value) || !std::getline(in, output) ||
        !std::getline(in, db) || !std::getline(in, on))
        return false;
    std::getline(in, file); // may be empty; the file name is the rest
    PanelRequest r;
    bool known = false;
    for (int i = 1; i < int(sizeof VERB_NAMES / sizeof VERB_NAMES[0]); ++i) {
        if (verb == VERB_NAMES[i]) {
            r.verb = RequestVerb(i);
            known = true;
        }
    }
    if (!known) return false;
    try {
        r.value = std::stoi(value);
        r.output = std::stoi(output);
        r.db = std::stod(db);
    } catch (const std::exception&) {
        return false;
    }
    r.on = on == "1";
    r.file = file;
    request = r;
    return true;
}

std::string describeRequest(const PanelRequest& r) {
    char text[64];
    switch (r.verb) {
    case RequestVerb::Load:
    case RequestVerb::Save: return std::string(VERB_NAMES[int(r.verb)]) + " " + r.file;
    case RequestVerb::Rate: std::snprintf(text, sizeof text, "rate %d Hz", int(r.value)); return text;
    case RequestVerb::Latency: std::snprintf(text, sizeof text, "latency %d", int(r.value)); return text;
    case RequestVerb::Volume: std::snprintf(text, sizeof text, "volume %d %.1f dB", r.output, r.db); return text;
    case RequestVerb::Mute: std::snprintf(text, sizeof text, "mute %d %s", r.output, r.on ? "on" : "off"); return text;
    default: return VERB_NAMES[int(r.verb)];
    }
}

} // namespace velmora
