#include "app/TrayTipListener.h"

#include "app/PanelView.h"
#include "device/USBDevice.h"

namespace velmora {

void TrayTipListener::unitArrived(const USBDevice& unit, const PanelSettings& record) {
    unitHeld_ = true;
    tip_.setRate(record.sampleRate);
    tip_.setUnit(unitSerial(unit.instanceId().c_str()));
    show();
}

void TrayTipListener::unitRemoved(const USBDevice&) {
    unitHeld_ = false;
    tip_.setUnit(std::string());
    show();
}

void TrayTipListener::settingsPublished(const PanelSettings& record) {
    if (!unitHeld_) return;
    tip_.setRate(record.sampleRate);
    show();
}

void TrayTipListener::setAway(bool away) {
    away_ = away;
    show();
}

void TrayTipListener::show() {
    const std::string text = away_ && unitHeld_ ? trayTipInUseElsewhere() : tip_.text();
    if (text == shown_) return;
    shown_ = text;
    view_.setTrayTip(shown_.c_str());
}

} // namespace velmora
