// Which unit the panel works with, as the user reads it: the unit's serial
// taken from its device instance id (the Info page's serial line) and the
// notification-area tip with the unit and its sample rate.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace velmora {

// The serial of a unit: the last part of its instance id ("VELMORA\UNIT\0001"
// gives "0001"), printable characters only; empty for a missing or empty id.
std::string unitSerial(const char* instanceId);

// The tip of the notification-area icon holds at most this many characters.
constexpr size_t TRAY_TIP_MAX = 127;

// "Velmora Control Panel - 0001 - 48000 Hz"; a rate of 0 or less is left
// out; without a serial "Velmora Control Panel - No Device". At most
// TRAY_TIP_MAX characters: the rate stays whole and a serial too long for the
// rest ends in "...".
std::string trayTip(const std::string& serial, int32_t sampleRate);
// The tip while another session has the console and the panel leaves the
// unit alone.
std::string trayTipInUseElsewhere();

// The tip as the unit and its rate change. Each setter answers whether the
// text changed, so that the icon is only touched when it has to be.
class TrayTipState {
public:
    bool setUnit(const std::string& serial);
    bool setRate(int32_t sampleRate);
    const std::string& text() const { return text_; }

private:
    bool update();

    std::string serial_;
    int32_t rate_ = 0;
    std::string text_ = trayTip(std::string(), 0);
};

} // namespace velmora
