#include "ui/UnitLabel.h"

#include <cstring>

namespace velmora {

namespace {
const char kPanelName[] = "Velmora Control Panel";
} // namespace

std::string unitSerial(const char* instanceId) {
    if (!instanceId) return {};
    const char* last = std::strrchr(instanceId, '\\');
    const char* serial = last ? last + 1 : instanceId;
    std::string out;
    for (const char* c = serial; *c; ++c)
        if (*c >= 0x20 && *c <= 0x7E) out += *c;
    return out;
}

std::string trayTipInUseElsewhere() { return std::string(kPanelName) + " - the unit is in use by another session"; }

std::string trayTip(const std::string& serial, int32_t sampleRate) {
    std::string tip = kPanelName;
    if (serial.empty()) return tip + " - No Device";
    const std::string rate = sampleRate > 0 ? " - " + std::to_string(sampleRate) + " Hz" : std::string();
    // The rate always stays whole; a serial too long for the rest is shortened
    // and says so with an ellipsis.
    const size_t room = TRAY_TIP_MAX - tip.size() - 3 - rate.size();
    tip += " - ";
    if (serial.size() <= room) {
        tip += serial;
    } else {
        const char kEllipsis[] = "...";
        tip += serial.substr(0, room - (sizeof kEllipsis - 1));
        tip += kEllipsis;
    }
    return tip + rate;
}

bool TrayTipState::setUnit(const std::string& serial) {
    serial_ = serial;
    return update();
}

bool TrayTipState::setRate(int32_t sampleRate) {
    rate_ = sampleRate;
    return update();
}

bool TrayTipState::update() {
    std::string text = trayTip(serial_, rate_);
    if (text == text_) return false;
    text_ = std::move(text);
    return true;
}

} // namespace velmora
