// A request to the running panel: what it asks, its exit codes, and the
// short text it travels as between two starts of VelPanel.exe (and, later,
// remote clients). The text is five lines and the file name:
//
//   verb \n value \n output \n dB ("%.1f") \n on (1 or 0) \n file
//
// Panels of other versions read and write the same lines; a verb a panel
// does not know is answered as such. The checks here are the ones the
// command line makes, so that the running panel never takes a value the
// command line would refuse, whoever sent it.
#pragma once

#include <cstdint>
#include <string>

namespace velmora {

enum class RequestVerb {
    None, Help, Load, Save, Rate, Latency, Volume, Mute, Show, Exit, Status, Store, Recall,
    Step,    // the monitor pair up (on) or down by `db` (0.5..63.5, to the nearest 0.5 step)
    Dim,     // the monitor pair's dim: `value` 0 off, 1 on, 2 the other way
    MuteAll, // every output muted (on) or not
    Remote,  // remote control: on or off (`output` 1) and its port (`value`)
};

struct PanelRequest {
    RequestVerb verb = RequestVerb::None;
    std::string file;   // --load, --save; --store, --recall: the snapshot's name
    int32_t value = 0;  // --rate, --latency; --store, --recall: the slot 1..8 (recall by name: 0);
                        // remote: the UDP port 1..65535 (0: as it is)
    int output = 0;     // --volume, --mute: 1..8; remote: 1 when `on` says on or off (0: as it is)
    double db = 0.0;    // --volume; --step: the step
    bool on = false;    // --mute, --mute-all; --step: up; remote: remote control on
};

// Exit codes of a request.
enum RequestExit : int {
    EXIT_DONE = 0,
    EXIT_FAILED = 1,   // the panel could not do it (a file, a unit that refused)
    EXIT_USAGE = 2,    // the command line is wrong
    EXIT_NO_PANEL = 3, // no panel runs, and the request needs one
    EXIT_NO_UNIT = 4,  // the panel runs without a unit, and the request needs one
};

// The request as the text sent to the running panel.
std::string encodeRequest(const PanelRequest& request);

// What the running panel made of a text.
enum class WireResult {
    Taken,       // a request of a known verb with readable numbers
    UnknownVerb, // well formed, but the verb is not one this panel knows
    Malformed,   // not a request at all (too few lines, numbers unreadable)
};
struct DecodedRequest {
    WireResult result = WireResult::Malformed;
    PanelRequest request; // Taken: the request, not yet checked
    std::string verb;     // UnknownVerb: the verb as it came, printable and short
};
DecodedRequest decodeRequestText(const std::string& text);
// The same, true only for a request of a known verb.
bool decodeRequest(const std::string& text, PanelRequest& request);

// The values of a request checked as the command line checks them: the
// output 1..8, the volume a finite number from -63.5 to 0 dB (any such value
// is taken to its nearest 0.5 dB step), the rate one of the four, the
// latency 1..6, a file named for load and save, a snapshot slot 1..8 (or,
// for a recall, 0 and a name) with a name of 1..24 characters, a step of
// 0.5 to 63.5 dB, a dim of 0 (off), 1 (on) or 2 (toggle).
struct RequestCheck {
    bool ok = false;
    std::string problem; // when not ok: one sentence for the user
};
RequestCheck checkRequest(const PanelRequest& request);

// A step's size in 0.5 dB steps (1..127); 0 for a step that is not a
// finite number from 0.5 to 63.5 dB.
int stepHalfDb(double db);

// The one-line name of a request, for the log ("volume 3 -12.5 dB").
std::string describeRequest(const PanelRequest& request);

} // namespace velmora
