// A stored record is read back field by field: a field outside the values
// the unit and the pages know takes its default, the others are kept, so
// that what the pages show is what is sent to the unit. A damaged volume is
// never sent loud: its output is muted as well.
#pragma once

#include "settings/PanelSettings.h"

#include <cstdint>

namespace velmora {

// One bit per field that was out of range and took its default.
enum RepairedField : uint32_t {
    REPAIRED_VOLUME = 1u << 0,     // a volume above 127 (its output is muted too)
    REPAIRED_MUTE = 1u << 1,       // a mute other than 0 or 1
    REPAIRED_LINK = 1u << 2,       // a link other than 0 or 1
    REPAIRED_SELECTOR = 1u << 3,   // an S/PDIF selector above 3
    REPAIRED_MIX = 1u << 4,        // the mix-out bit other than 0 or 1
    REPAIRED_MONITOR = 1u << 5,    // the digital-monitor bit other than 0 or 1
    REPAIRED_CLOCK = 1u << 6,      // a clock status outside 0..2
    REPAIRED_LEVEL = 1u << 7,      // an output level other than 0 or 1
    REPAIRED_FORMAT = 1u << 8,     // a digital format other than 0 or 1
    REPAIRED_CHANNELS = 1u << 9,   // a channel count outside 1..64
    REPAIRED_LATENCY = 1u << 10,   // a latency outside 1..6
};

// What a repair changed.
struct RecordRepair {
    uint32_t fields = 0;       // RepairedField bits
    uint8_t mutedOutputs = 0;  // bit n: output n+1 had a volume above 127
    bool any() const { return fields != 0; }
};

// Puts every out-of-range field of `record` back to its default and answers
// what it changed (nothing: the record was sound). An output whose volume is
// above 127 takes the default volume (0.0 dB, the loudest) and is muted,
// whatever its stored mute said, so that the damage never reaches the
// speakers at full level. The sample rate is not looked at here: a record
// without one of the four rates is no record at all.
RecordRepair repairRecord(PanelSettings& record);
// repairRecord's fields alone (0: the record was sound).
uint32_t repairSettings(PanelSettings& record);

// A latency the unit can run at: 1 "highspeed" .. 6 "relaxed".
bool isValidLatency(int32_t latency);

} // namespace velmora
