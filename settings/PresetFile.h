// Settings saved to a file and loaded again (a ".velpanel" preset): the
// fields the user sets, by name, in human-readable JSON with a format
// version. Reading checks every field by the rules a stored record must meet
// and names the first field that breaks them.
//
//   {
//     "format": "VelPanel settings", "version": 2,
//     "sampleRate": 48000, "latency": 4, "clockMode": "Auto",
//     "outputLevel": "+ 4dBv(Balanced)", "spdifFormat": "Consumer", "spdifOutput": 0,
//     "monitor": false, "mix": true,
//     "outputs": [ {"output": 1, "volume": 127, "volumeDb": 0.0, "mute": false, "name": ""}, ... eight ],
//     "inputs": [ {"input": 1, "name": "Kick"}, ... eighteen ],
//     "linked": {"1/2": true, "3/4": true, "5/6": true, "7/8": true}
//   }
//
// "monitor" and "mix" are the MON and MIX switches as the Control page shows
// them (MIX on is the mix-out bit at 0). A volume may be given as stored
// (0..127), in dB (-63.5..0.0 in steps of 0.5) or both, then agreeing.
// "clockMode" ("Auto" or "Internal Only") may be left out: the unit's clock
// is then left as it is.
//
// Version 2 carries the channel names: "inputs" and each output's "name"
// (left out together when the names were not written). Version 1 files, which
// have none, still load and leave the names as they are.
#pragma once

#include "settings/ChannelNames.h"
#include "settings/PanelSettings.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace velmora {

constexpr int PRESET_FORMAT_VERSION = 2;
constexpr int PRESET_OLDEST_VERSION = 1;
constexpr size_t PRESET_MAX_BYTES = 64 * 1024;
constexpr const char* PRESET_FORMAT_NAME = "VelPanel settings";
constexpr const char* PRESET_EXTENSION = ".velpanel";

// The clock mode a preset carries; none when the unit's was not known.
constexpr int32_t PRESET_NO_CLOCK_MODE = -1;

struct PresetError {
    std::string field;  // "sampleRate", "outputs[3].volume", "file", ...
    std::string reason; // "must be 44100, 48000, 88200 or 96000"
    // "outputs[3].volume must be ..." (or the reason alone for the file itself).
    std::string text() const;
};

// The preset of a record; `clockMode` 0 "Auto", 1 "Internal Only", or
// PRESET_NO_CLOCK_MODE to leave it out.
// With `names` the channel names are written too.
std::string writePreset(const PanelSettings& record, int32_t clockMode, const ChannelNames* names = nullptr);

// The channel names a preset carried, if it carried any.
struct PresetNames {
    bool present = false;
    ChannelNames names;
};

// Reads a preset. The record starts as `base` (the unit's versions, channel
// counts and the like are not in a preset) and takes every field the preset
// holds. False with `error` set when the text is not a whole, sound preset;
// `record` and `clockMode` are then left alone.
// `names` (when given) hears the channel names of a version 2 file; a name
// that is no channel name makes the whole file refused.
bool readPreset(const std::string& text, const PanelSettings& base, PanelSettings& record, int32_t& clockMode,
                PresetError& error, PresetNames* names = nullptr);

} // namespace velmora
