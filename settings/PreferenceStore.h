// The user's choices that are not part of the settings record (the record
// stays 352 bytes as other programs and older panels read it): on/off flags
// kept beside it, by name.
#pragma once

namespace velmora {

class PreferenceStore {
public:
    // False when the flag was never stored or cannot be read.
    virtual bool readFlag(const char* name, bool& value) = 0;
    // False when the flag could not be written.
    virtual bool writeFlag(const char* name, bool value) = 0;

protected:
    ~PreferenceStore() = default;
};

// "PeakHold": the meters' peak-hold marks; on unless the user switched them off.
constexpr const char* PREFERENCE_PEAK_HOLD = "PeakHold";

} // namespace velmora
