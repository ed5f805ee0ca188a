// The command line of VelPanel.exe. Bare, it starts the panel as always;
// with one request it asks the running panel to carry it out:
//
//   --load FILE          apply a settings file
//   --save FILE          save the current settings to a file
//   --rate HZ            sample rate: 44100, 48000, 88200 or 96000
//   --latency N          latency 1..6
//   --volume OUT DB      output 1..8 to -63.5..0 dB, taken to the nearest
//                        0.5 dB step
//   --mute OUT on|off    mute or unmute output 1..8
//   --show               show the panel's window
//   --exit               end the running panel (its settings are saved)
//   --status             the current state as JSON on standard output
//   --store N [NAME]     store the current settings as snapshot 1..8
//   --recall N|NAME      recall a snapshot by its number or its name
//   --step up|down [DB]  the monitor pair up or down by DB (0.5 unless given)
//   --dim on|off|toggle  the monitor pair's dim
//   --mute-all on|off    mute or unmute every output
//   --remote on|off      remote control over OSC on or off
//   --remote-port N      the UDP port it listens on (1..65535, default 9110)
//   --wait SECONDS       with a request: how long to wait for a unit (0..3600,
//                        default 10 when the request starts the panel)
//   --help               this text
//   --version            the version ("VelPanel 1.6.0")
//   --background         (alone) start the panel without showing anything at
//                        start: the sign-in entry's start
//
// The request travels to the running panel as a short text (RequestWire.h)
// and its answer comes back as an exit code and one line.
#pragma once

#include "app/RequestWire.h"

#include <string>
#include <vector>

namespace velmora {

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
// "VelPanel 1.6.0": what --version prints and the log's start line names.
std::string versionLine();

// A request that changes the unit: without a running panel it starts one,
// which carries it out once a unit has arrived.
bool requestChangesUnit(RequestVerb verb);

} // namespace velmora
