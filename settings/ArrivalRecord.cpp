#include "settings/ArrivalRecord.h"

#include "device/USBDevice.h"

#include <cstring>

namespace velmora {

namespace {

void readVersions(PanelSettings& record, USBDevice* device) {
    std::memset(&record.driverVersion, 0, sizeof record.driverVersion);
    std::memset(&record.firmwareVersion, 0, sizeof record.firmwareVersion);
    if (device == nullptr || !device->isOpen()) return;
    // Both calls leave their output zeroed when the unit does not answer.
    device->getDriverVersion(record.driverVersion);
    device->getFirmwareVersion(record.firmwareVersion);
}

} // namespace

void makeDefaultSettings(PanelSettings& record, USBDevice* device) {
    makeDefaultSettings(record);
    readVersions(record, device);
}

PanelSettings chooseArrivalRecord(SettingsStore& store, USBDevice* device, RecordRepair* repair) {
    PanelSettings record = loadSettingsOrDefaults(store, repair);
    readVersions(record, device);
    setPanelVersion(record);
    return record;
}

} // namespace velmora
