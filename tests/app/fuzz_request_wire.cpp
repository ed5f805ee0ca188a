// Arbitrary text as the running panel receives it (at most 4,096 bytes, as
// the channel takes): reading it never crashes; an unknown verb is named
// back printable and short; a request that passes the checks holds only
// values the unit can take (the volume on a step within 0.25 dB of what was
// asked), and sent on again it reads back the same.
#include "app/RequestWire.h"
#include "app/SnapshotName.h"
#include "app/VolumeSteps.h"
#include "settings/SampleRates.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

using namespace velmora;

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return 0;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const DecodedRequest decoded = decodeRequestText(text);
    if (decoded.result == WireResult::UnknownVerb) {
        require(!decoded.verb.empty() && decoded.verb.size() <= 35);
        for (const char c : decoded.verb) require(c >= 0x20 && c < 0x7F);
    }
    if (decoded.result != WireResult::Taken) return 0;
    const PanelRequest& r = decoded.request;
    (void)describeRequest(r);
    const RequestCheck check = checkRequest(r);
    if (!check.ok) {
        require(!check.problem.empty());
        return 0;
    }
    switch (r.verb) {
    case RequestVerb::Volume: {
        require(r.output >= 1 && r.output <= 8);
        const std::optional<uint8_t> step = volumeStepOfDb(r.db);
        require(step.has_value() && *step <= VOLUME_STEP_MAX);
        require(std::fabs(volumeDbOfStep(*step) - r.db) <= 0.25);
        break;
    }
    case RequestVerb::Mute: require(r.output >= 1 && r.output <= 8); break;
    case RequestVerb::Rate: require(sampleRateIndex(r.value) >= 0); break;
    case RequestVerb::Latency: require(r.value >= 1 && r.value <= 6); break;
    case RequestVerb::Load:
    case RequestVerb::Save:
        require(!r.file.empty());
        for (const char c : r.file) require(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
        break;
    case RequestVerb::Store:
        require(r.value >= 1 && r.value <= SNAPSHOT_COUNT);
        require(r.file.empty() || snapshotNameProblem(r.file).empty());
        break;
    case RequestVerb::Recall:
        require((r.value >= 1 && r.value <= SNAPSHOT_COUNT) || (r.value == 0 && snapshotNameProblem(r.file).empty()));
        break;
    case RequestVerb::Step: require(stepHalfDb(r.db) >= 1 && stepHalfDb(r.db) <= VOLUME_STEP_MAX); break;
    case RequestVerb::Dim: require(r.value >= 0 && r.value <= 2); break;
    case RequestVerb::Remote:
        require((r.output == 0 || r.output == 1) && r.value >= 0 && r.value <= 65535 && (r.output || r.value));
        break;
    case RequestVerb::MuteAll:
    case RequestVerb::Show:
    case RequestVerb::Exit:
    case RequestVerb::Status: break;
    default: require(false);
    }
    PanelRequest back;
    require(decodeRequest(encodeRequest(r), back));
    require(checkRequest(back).ok);
    require(encodeRequest(back) == encodeRequest(r));
    return 0;
}
