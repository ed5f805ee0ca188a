// Arbitrary text through the preset reader: a file it takes holds only values
// a stored record may hold, and what it takes is written and read back the same.
#include "settings/PresetFile.h"
#include "settings/SettingsRepair.h"

#include <cstdlib>
#include <cstring>
#include <string>

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PanelSettings base;
    makeDefaultSettings(base);
    PanelSettings read = base;
    int32_t clock = PRESET_NO_CLOCK_MODE;
    PresetError error;
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (!readPreset(text, base, read, clock, error)) {
        if (error.field.empty() || std::memcmp(&read, &base, sizeof read) != 0) std::abort();
        return 0;
    }
    PanelSettings check = read;
    if (repairSettings(check) != 0 || !isValidSampleRate(read.sampleRate)) std::abort();
    if (clock != PRESET_NO_CLOCK_MODE && clock != 0 && clock != 1) std::abort();
    PanelSettings again;
    int32_t clockAgain = 0;
    if (!readPreset(writePreset(read, clock), base, again, clockAgain, error)) std::abort();
    if (std::memcmp(&again, &read, sizeof read) != 0 || clockAgain != clock) std::abort();
    return 0;
}
