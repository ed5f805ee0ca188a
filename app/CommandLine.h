// The command line of VelPanel.exe. Bare, it starts the panel as always;
// with one request it asks the running panel to carry it out:
//
//   --load FILE          apply a settings file
//   --save FILE          save the current settings to a file
//   --rate HZ            sample rate: 44100, 48000, 88200 or 96000
//   --latency N          latency 1..6
//   --volume OUT DB      output 1..8 to -63.5..0 dB in steps of 0.5
//   --mute OUT on|off    mute or unmute output 1..8
//   --show               show the panel's window
//   --exit               end the running panel (its settings are saved)
//   --status             the current state as JSON on standard output
//   --wait SECONDS       with a request: how long to wait for a unit (0..3600,
//                        default 10 when the request starts the panel)
//   --help               this text
//   --background         (alone) start the panel without showing anything at
//                        start: the sign-in entry's start
//
// The request travels to the running panel as a short text and its answer
// comes back as an exit code and one line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

enum class RequestVerb { None, Help, Load, Save, Rate, Latency, Volume, Mute, Show, Exit, Status };

struct PanelRequest {
    RequestVerb verb = RequestVerb::None;
    std::string file;   // --load, --save
    int32_t value = 0;  // --rate, --latency
    int output = 0;     // --volume, --mute: 1..8
    double db = 0.0;    // --volume
    bool on = false;    // --mute
};

// Exit codes of a request.
enum RequestExit : int {
    EXIT_DONE = 0,
    EXIT_FAILED = 1,   // the panel could not do it (a file, a unit that refused)
    EXIT_USAGE = 2,    // the command line is wrong
    EXIT_NO_PANEL = 3, // no panel runs, and the request needs one
    EXIT_NO_UNIT = 4,  // the panel runs without a unit, and the request needs one
};

struct ParsedCommandLine {
    bool ok = false;
    bool background = false; // --background: a bare start with no user watching
    // --wait: how long a request waits for a unit (the sender asks again
    // while the panel answers "no unit"); given or not.
    int waitSeconds = 10;
    bool waitGiven = false;
    PanelRequest request;
    std::string message; // what is wrong, or the help text
};

// `args` are the arguments after the program's name.
ParsedCommandLine parseCommandLine(const std::vector<std::string>& args);
std::string commandLineHelp();

// A request that changes the unit: without a running panel it starts one,
// which carries it out once a unit has arrived.
bool requestChangesUnit(RequestVerb verb);

// The request as the text sent to the running panel, and back.
std::string encodeRequest(const PanelRequest& request);
bool decodeRequest(const std::string& text, PanelRequest& request);

// The one-line name of a request, for the log ("volume 3 -12.5 dB").
std::string describeRequest(const PanelRequest& request);

} // namespace velmora
