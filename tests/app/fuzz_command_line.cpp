// Arbitrary arguments through the command-line parser (split at NUL bytes):
// it never crashes, a request it takes is one of the known ones with sound
// values, and it travels to the running panel and back unchanged.
#include "app/CommandLine.h"

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> args(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            args.emplace_back();
        else
            args.back() += char(data[i]);
    }
    if (args.size() > 8) return 0;
    const ParsedCommandLine parsed = parseCommandLine(args);
    if (!parsed.ok) {
        if (parsed.message.empty()) std::abort();
        return 0;
    }
    const PanelRequest& r = parsed.request;
    if (r.verb == RequestVerb::Volume || r.verb == RequestVerb::Mute) {
        if (r.output < 1 || r.output > 8) std::abort();
        if (r.verb == RequestVerb::Volume && (r.db > 0.0 || r.db < -63.5 || std::fmod(r.db * 2.0, 1.0) != 0.0))
            std::abort();
    }
    if (r.verb == RequestVerb::Latency && (r.value < 1 || r.value > 6)) std::abort();
    if (r.verb == RequestVerb::Step && (r.db < 0.5 || r.db > 63.5 || std::fmod(r.db * 2.0, 1.0) != 0.0)) std::abort();
    if (r.verb == RequestVerb::Dim && (r.value < 0 || r.value > 2)) std::abort();
    if ((r.verb == RequestVerb::Step || r.verb == RequestVerb::Dim || r.verb == RequestVerb::MuteAll) && !checkRequest(r).ok)
        std::abort();
    if (r.verb == RequestVerb::None || r.verb == RequestVerb::Help) return 0;
    // A file name with a line break cannot travel in one line: such a name
    // is not one Windows allows anyway.
    if (r.file.find('\n') != std::string::npos) return 0;
    PanelRequest back;
    if (!decodeRequest(encodeRequest(r), back) || encodeRequest(back) != encodeRequest(r)) std::abort();
    return 0;
}
