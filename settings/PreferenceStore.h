// The user's choices that are not part of the settings record (the record
// stays 352 bytes as other programs and older panels read it): on/off flags
// kept beside it, by name.
#pragma once

#include <cstddef>
#include <string>

namespace velmora {

class PreferenceStore {
public:
    // False when the flag was never stored or cannot be read.
    virtual bool readFlag(const char* name, bool& value) = 0;
    // False when the flag could not be written.
    virtual bool writeFlag(const char* name, bool value) = 0;
    // Text by name: UTF-8 here, Unicode text in the store, at most
    // PREFERENCE_TEXT_MAX_BYTES. False when it was never stored, cannot be
    // read, or is not text.
    virtual bool readText(const char* name, std::string& value) = 0;
    // False when the text could not be written (or is too long).
    virtual bool writeText(const char* name, const std::string& value) = 0;
    // Removes the named text or flag; true when it is gone (or never was).
    virtual bool erase(const char* name) = 0;

protected:
    ~PreferenceStore() = default;
};

constexpr size_t PREFERENCE_TEXT_MAX_BYTES = 64 * 1024;

// "PeakHold": the meters' peak-hold marks; on unless the user switched them off.
constexpr const char* PREFERENCE_PEAK_HOLD = "PeakHold";

} // namespace velmora
