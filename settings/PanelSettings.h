// The user's device settings: one fixed 352-byte little-endian record, stored
// as one binary value and re-applied whenever a unit arrives.
#pragma once

#include "VelPanelVersion.h"
#include "device/DeviceWire.h"

#include <cstddef>
#include <cstdint>

namespace velmora {

constexpr uint32_t PANEL_SETTINGS_SIZE = 352;
constexpr int PANEL_VERSION_MAJOR = VELPANEL_VERSION_MAJOR;
constexpr int PANEL_VERSION_MINOR = VELPANEL_VERSION_MINOR;
constexpr int OUTPUT_COUNT = 8;
constexpr int OUTPUT_PAIRS = 4;

struct PanelSettings {
    uint8_t outVolume[8];        // 0..127, 0.5 dB steps, 127 = 0.0 dB
    uint8_t outMute[8];          // 0 or 1
    uint8_t outLink[4];          // pairs 1/2, 3/4, 5/6, 7/8: 0 or 1
    uint8_t digitalOutSelector;  // 0..3
    uint8_t cpldMixOutSel;       // 0 or 1
    uint8_t cpldDigitalMon;      // 0 or 1
    uint8_t unused23;
    int32_t clockStatus;         // 0 "Auto", 1 "Internal", 2 "Digital"
    int32_t sampleRate;          // 44100, 48000, 88200 or 96000
    int32_t outputLevel;         // 0 "+ 4dBv(Balanced)", 1 "-10dBv(Unbalanced)"
    int32_t digitalFormat;       // 0 "Consumer", 1 "Professional"
    int32_t inputChannels;
    int32_t outputChannels;
    VersionInfo driverVersion;
    VersionInfo firmwareVersion;
    int32_t panelVersionMajor;
    int32_t panelVersionMinor;
    uint8_t unused256[92];
    int32_t latency;             // 1..6
};

static_assert(sizeof(PanelSettings) == PANEL_SETTINGS_SIZE, "PanelSettings is 352 bytes");
static_assert(offsetof(PanelSettings, outVolume) == 0, "outVolume");
static_assert(offsetof(PanelSettings, outMute) == 8, "outMute");
static_assert(offsetof(PanelSettings, outLink) == 16, "outLink");
static_assert(offsetof(PanelSettings, digitalOutSelector) == 20, "digitalOutSelector");
static_assert(offsetof(PanelSettings, cpldMixOutSel) == 21, "cpldMixOutSel");
static_assert(offsetof(PanelSettings, cpldDigitalMon) == 22, "cpldDigitalMon");
static_assert(offsetof(PanelSettings, clockStatus) == 24, "clockStatus");
static_assert(offsetof(PanelSettings, sampleRate) == 28, "sampleRate");
static_assert(offsetof(PanelSettings, outputLevel) == 32, "outputLevel");
static_assert(offsetof(PanelSettings, digitalFormat) == 36, "digitalFormat");
static_assert(offsetof(PanelSettings, inputChannels) == 40, "inputChannels");
static_assert(offsetof(PanelSettings, outputChannels) == 44, "outputChannels");
static_assert(offsetof(PanelSettings, driverVersion) == 48, "driverVersion");
static_assert(offsetof(PanelSettings, firmwareVersion) == 148, "firmwareVersion");
static_assert(offsetof(PanelSettings, panelVersionMajor) == 248, "panelVersionMajor");
static_assert(offsetof(PanelSettings, panelVersionMinor) == 252, "panelVersionMinor");
static_assert(offsetof(PanelSettings, unused256) == 256, "unused");
static_assert(offsetof(PanelSettings, latency) == 348, "latency");

// Every byte 0xFF: the state of a master copy that holds no unit's settings.
constexpr uint8_t BLANK_BYTE = 0xFF;

void makeBlank(PanelSettings& record);
bool isBlank(const PanelSettings& record);

// The four sample rates a unit runs at.
bool isValidSampleRate(int32_t rate);

// The defaults of a fresh installation, with both version records zero.
void makeDefaultSettings(PanelSettings& record);

// The panel's own version (major and minor), as arrival writes it into the record.
void setPanelVersion(PanelSettings& record);

} // namespace velmora
