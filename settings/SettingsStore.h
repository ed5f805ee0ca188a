// Where the settings record is kept between runs: one binary value
// ("VelConfig" of section "velpanel" in the per-user profile).
#pragma once

#include "settings/PanelSettings.h"

#include <cstdint>
#include <string>

namespace velmora {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // The stored value's size in bytes; false when there is no readable value.
    virtual bool querySize(uint32_t& size) = 0;
    // Reads the value into buffer (capacity bytes). On success `size` is the
    // value's full size; false when it is missing, unreadable or larger than
    // the buffer.
    virtual bool readBytes(uint8_t* buffer, uint32_t capacity, uint32_t& size) = 0;
    // Replaces the stored value; false when the write failed.
    virtual bool writeBytes(const uint8_t* bytes, uint32_t size) = 0;
    // Where the value lives, as the user would look for it (a registry key).
    virtual std::string location() const { return "the settings store"; }
};

// Zeroes the record, then reads the stored value into it. True only when a
// value of exactly 352 bytes was read; otherwise the record stays zero.
bool loadSettings(SettingsStore& store, PanelSettings& record);

struct RecordRepair;

// The record a unit starts from: the stored one when it was read whole and
// holds one of the four sample rates, with every damaged field repaired
// (repairRecord); the defaults (every field) otherwise. Versions are left as
// loaded (zero in the defaults). `repair`, when given, learns what the
// repair changed (nothing for the defaults).
PanelSettings loadSettingsOrDefaults(SettingsStore& store, RecordRepair* repair = nullptr);

enum class SaveResult {
    Written,      // the 352 bytes replaced the stored value
    SkippedBlank, // the record is blank: the stored value was left alone
    Failed,       // the store refused the write
};

// Writes the record's 352 bytes. A blank record is never written: it would
// replace the user's stored settings with a value the next load rejects.
SaveResult saveSettings(SettingsStore& store, const PanelSettings& record);

} // namespace velmora
