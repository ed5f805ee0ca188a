#include "app/TrayTipListener.h"

#include "app/PanelView.h"
#include "device/USBDevice.h"

namespace velmora {

void TrayTipListener::unitArrived(const USBDevice& unit, const PanelSettings& record) {
    unitHeld_ = true;
    const bool rateChanged = tip_.setRate(record.sampleRate);
    const bool unitChanged = tip_.setUnit(unitSerial(unit.instanceId().c_str()));
    show(rateChanged || unitChanged);
}

void TrayTipListener::unitRemoved(const USBDevice&) {
    unitHeld_ = false;
    show(tip_.setUnit(std::string()));
}

void TrayTipListener::settingsPublished(const PanelSettings& record) {
    if (unitHeld_) show(tip_.setRate(record.sampleRate));
}

void TrayTipListener::show(bool changed) {
    if (changed) view_.setTrayTip(tip_.text().c_str());
}

} // namespace velmora
