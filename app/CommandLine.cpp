#include "app/CommandLine.h"

#include "app/VolumeSteps.h"
#include "settings/SampleRates.h"
#include "VelPanelVersion.h"

#include <CLI/CLI.hpp>

#include <cstdlib>
#include <iterator>
#include <optional>
#include <utility>

namespace velmora {

namespace {

// The parser of the options, filling `request`; the verbs are flags and
// options of one app so that exactly one of them can be required.
struct Parser {
    CLI::App app{"VelPanel: the Velmora control panel.", "VelPanel.exe"};
    std::string load, save;
    int rate = 0, latency = 0, wait = 10;
    std::pair<int, double> volume{0, 0.0};
    std::pair<int, std::string> mute{0, ""};
    bool show = false, exit = false, status = false, background = false;
    std::vector<std::string> store;
    std::string recall;
    std::vector<std::string> step;
    std::string dim, muteAll;
    std::string remote;
    int remotePort = 0;

    Parser() {
        app.set_help_flag("--help,-h", "Print this help and end");
        app.set_version_flag("--version", versionLine(), "Print the version and end");
        app.add_option("--load", load, "Apply the settings in FILE (a .velpanel file)")->type_name("FILE");
        app.add_option("--save", save, "Save the current settings to FILE")->type_name("FILE");
        app.add_option("--rate", rate, "Set the sample rate")
            ->type_name("HZ")
            ->check(CLI::IsMember(std::vector<int>(std::begin(SAMPLE_RATES), std::end(SAMPLE_RATES))));
        app.add_option("--latency", latency, "Set the latency, 1 (highspeed) to 6 (relaxed)")
            ->type_name("1..6")
            ->check(CLI::Range(1, 6));
        app.add_option("--volume", volume, "Set output OUT (1..8) to DB (-63.5..0, to the nearest 0.5 step)")
            ->type_name("OUT DB");
        app.add_option("--mute", mute, "Mute (on) or unmute (off) output OUT (1..8)")->type_name("OUT on|off");
        app.add_option("--store", store, "Store the current settings as snapshot N (1..8), named NAME")
            ->type_name("N [NAME]")
            ->expected(1, 2);
        app.add_option("--recall", recall, "Recall snapshot N (1..8) or the one named NAME")->type_name("N|NAME");
        app.add_option("--step", step, "The monitor pair up or down by DB (default 0.5)")
            ->type_name("up|down [DB]")
            ->expected(1, 2);
        app.add_option("--dim", dim, "Dim the monitor pair (on), give back its level (off), or the other way")
            ->type_name("on|off|toggle");
        app.add_option("--mute-all", muteAll, "Mute (on) or unmute (off) every output")->type_name("on|off");
        app.add_option("--remote", remote, "Remote control over OSC on or off")->type_name("on|off");
        app.add_option("--remote-port", remotePort, "The UDP port remote control listens on (default 9110)")
            ->type_name("PORT")
            ->check(CLI::Range(1, 65535));
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

std::string versionLine() { return "VelPanel " VELPANEL_VERSION; }

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
    } catch (const CLI::CallForVersion&) {
        // Answered here, like the help: the panel is not asked.
        result.ok = true;
        result.request.verb = RequestVerb::Help;
        result.message = versionLine();
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
    take("--store", RequestVerb::Store);
    take("--recall", RequestVerb::Recall);
    take("--step", RequestVerb::Step);
    take("--dim", RequestVerb::Dim);
    take("--mute-all", RequestVerb::MuteAll);
    // --remote and --remote-port together are one request.
    if (parser.app.count("--remote") + parser.app.count("--remote-port") > 0) {
        ++verbs;
        r.verb = RequestVerb::Remote;
    }
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
        // Any dB in the range is taken to the nearest step the unit has; the
        // running panel's answer states the step.
        const std::optional<uint8_t> step = volumeStepOfDb(r.db);
        if (!step) {
            result.message = "--volume: the volume must be a number from -63.5 to 0 dB.";
            return result;
        }
        r.db = volumeDbOfStep(*step);
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
    if (r.verb == RequestVerb::Store) {
        const std::string& slot = parser.store[0];
        r.value = slot.size() == 1 && slot[0] >= '1' && slot[0] <= '8' ? slot[0] - '0' : 0;
        r.file = parser.store.size() > 1 ? parser.store[1] : "";
    }
    if (r.verb == RequestVerb::Recall) {
        const std::string& slot = parser.recall;
        r.value = slot.size() == 1 && slot[0] >= '1' && slot[0] <= '8' ? slot[0] - '0' : 0;
        r.file = r.value ? "" : slot;
        // A number is a slot, never a name.
        if (!slot.empty() && slot.find_first_not_of("0123456789") == std::string::npos && r.value == 0) {
            result.message = "--recall: the snapshot must be 1 to 8 or a name.";
            return result;
        }
    }
    if (r.verb == RequestVerb::Store || r.verb == RequestVerb::Recall) {
        const RequestCheck check = checkRequest(r);
        if (!check.ok) {
            result.message = (r.verb == RequestVerb::Store ? "--store: " : "--recall: ") + check.problem;
            return result;
        }
    }
    if (r.verb == RequestVerb::Step) {
        const std::string& way = parser.step[0];
        if (way != "up" && way != "down") {
            result.message = "--step: say up or down.";
            return result;
        }
        r.on = way == "up";
        r.db = 0.5;
        if (parser.step.size() > 1) {
            const std::string& amount = parser.step[1];
            char* end = nullptr;
            r.db = std::strtod(amount.c_str(), &end);
            if (amount.empty() || end != amount.c_str() + amount.size()) r.db = 0.0;
        }
        const int halfDb = stepHalfDb(r.db);
        if (halfDb == 0) {
            result.message = "--step: the step must be a number from 0.5 to 63.5 dB.";
            return result;
        }
        r.db = halfDb * 0.5;
    }
    if (r.verb == RequestVerb::Dim) {
        if (parser.dim != "on" && parser.dim != "off" && parser.dim != "toggle") {
            result.message = "--dim: say on, off or toggle.";
            return result;
        }
        r.value = parser.dim == "toggle" ? 2 : parser.dim == "on" ? 1 : 0;
    }
    if (r.verb == RequestVerb::MuteAll) {
        if (parser.muteAll != "on" && parser.muteAll != "off") {
            result.message = "--mute-all: say on or off.";
            return result;
        }
        r.on = parser.muteAll == "on";
    }
    if (r.verb == RequestVerb::Remote) {
        if (parser.app.count("--remote")) {
            if (parser.remote != "on" && parser.remote != "off") {
                result.message = "--remote: say on or off.";
                return result;
            }
            r.output = 1;
            r.on = parser.remote == "on";
        }
        r.value = parser.remotePort;
    }
    if ((r.verb == RequestVerb::Load || r.verb == RequestVerb::Save) && r.file.empty()) {
        result.message = r.verb == RequestVerb::Load ? "--load: name a file." : "--save: name a file.";
        return result;
    }
    result.ok = true;
    return result;
}

bool requestChangesUnit(RequestVerb verb) {
    return verb == RequestVerb::Load || verb == RequestVerb::Rate || verb == RequestVerb::Latency ||
           verb == RequestVerb::Volume || verb == RequestVerb::Mute || verb == RequestVerb::Recall ||
           verb == RequestVerb::Step || verb == RequestVerb::Dim || verb == RequestVerb::MuteAll;
}

} // namespace velmora
