#include "settings/SettingsRepair.h"

namespace velmora {

namespace {

// Sets `field` to `fallback` when `valid` is false; answers `flag` then.
template <typename T>
uint32_t keepOr(T& field, bool valid, T fallback, uint32_t flag) {
    if (valid) return 0;
    field = fallback;
    return flag;
}

bool isBit(int32_t value) { return value == 0 || value == 1; }

} // namespace

bool isValidLatency(int32_t latency) { return latency >= 1 && latency <= 6; }

RecordRepair repairRecord(PanelSettings& record) {
    PanelSettings defaults;
    makeDefaultSettings(defaults);

    RecordRepair result;
    uint32_t repaired = 0;
    for (int i = 0; i < OUTPUT_COUNT; ++i) {
        repaired |= keepOr(record.outMute[i], isBit(record.outMute[i]), defaults.outMute[i], REPAIRED_MUTE);
        if (keepOr(record.outVolume[i], record.outVolume[i] <= 127, defaults.outVolume[i], REPAIRED_VOLUME)) {
            // The default volume is the loudest: the output stays silent
            // until the user sets it again.
            record.outMute[i] = 1;
            result.mutedOutputs = uint8_t(result.mutedOutputs | (1u << i));
            repaired |= REPAIRED_VOLUME;
        }
    }
    for (int k = 0; k < OUTPUT_PAIRS; ++k)
        repaired |= keepOr(record.outLink[k], isBit(record.outLink[k]), defaults.outLink[k], REPAIRED_LINK);
    repaired |= keepOr(record.digitalOutSelector, record.digitalOutSelector <= 3, defaults.digitalOutSelector,
                       REPAIRED_SELECTOR);
    repaired |= keepOr(record.cpldMixOutSel, isBit(record.cpldMixOutSel), defaults.cpldMixOutSel, REPAIRED_MIX);
    repaired |= keepOr(record.cpldDigitalMon, isBit(record.cpldDigitalMon), defaults.cpldDigitalMon,
                       REPAIRED_MONITOR);
    repaired |= keepOr(record.clockStatus, record.clockStatus >= 0 && record.clockStatus <= 2,
                       defaults.clockStatus, REPAIRED_CLOCK);
    repaired |= keepOr(record.outputLevel, isBit(record.outputLevel), defaults.outputLevel, REPAIRED_LEVEL);
    repaired |= keepOr(record.digitalFormat, isBit(record.digitalFormat), defaults.digitalFormat, REPAIRED_FORMAT);
    repaired |= keepOr(record.inputChannels, record.inputChannels >= 1 && record.inputChannels <= 64,
                       defaults.inputChannels, REPAIRED_CHANNELS);
    repaired |= keepOr(record.outputChannels, record.outputChannels >= 1 && record.outputChannels <= 64,
                       defaults.outputChannels, REPAIRED_CHANNELS);
    repaired |= keepOr(record.latency, isValidLatency(record.latency), defaults.latency, REPAIRED_LATENCY);
    result.fields = repaired;
    return result;
}

uint32_t repairSettings(PanelSettings& record) { return repairRecord(record).fields; }

} // namespace velmora
