#include "settings/PanelSettings.h"

#include "settings/SampleRates.h"

#include <cstring>

namespace velmora {

void makeBlank(PanelSettings& record) {
    std::memset(&record, BLANK_BYTE, sizeof record);
}

bool isBlank(const PanelSettings& record) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&record);
    for (uint32_t i = 0; i < PANEL_SETTINGS_SIZE; ++i) {
        if (bytes[i] != BLANK_BYTE) return false;
    }
    return true;
}

bool isValidSampleRate(int32_t rate) {
    return sampleRateIndex(rate) >= 0;
}

void makeDefaultSettings(PanelSettings& record) {
    std::memset(&record, 0, sizeof record);
    for (int i = 0; i < OUTPUT_COUNT; ++i) {
        record.outVolume[i] = 127;
        record.outMute[i] = 0;
    }
    for (int k = 0; k < OUTPUT_PAIRS; ++k) record.outLink[k] = 1;
    record.digitalOutSelector = 0;
    record.cpldMixOutSel = 0;
    record.cpldDigitalMon = 0;
    record.clockStatus = 1;
    record.sampleRate = 44100;
    record.outputLevel = 0;
    record.digitalFormat = 0;
    record.inputChannels = 18;
    record.outputChannels = 8;
    record.latency = 4;
}

void setPanelVersion(PanelSettings& record) {
    record.panelVersionMajor = PANEL_VERSION_MAJOR;
    record.panelVersionMinor = PANEL_VERSION_MINOR;
}

} // namespace velmora
