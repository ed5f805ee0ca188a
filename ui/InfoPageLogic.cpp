#include "ui/InfoPageLogic.h"

#include "ui/UnitLabel.h"

namespace velmora {

std::string firmwareLine(const PanelSettings& record) {
    const char* text = record.firmwareVersion.text;
    const size_t capacity = sizeof record.firmwareVersion.text;
    size_t n = 0;
    while (n < capacity && text[n] != '\0') ++n;
    return std::string(text, n);
}

void InfoPageLogic::onSettings(const PanelSettings& record) {
    view_.setFirmwareText(firmwareLine(record).c_str());
}

void InfoPageLogic::onDevice(const char* instanceId) {
    view_.setSerialText(unitSerial(instanceId).c_str());
}

} // namespace velmora
