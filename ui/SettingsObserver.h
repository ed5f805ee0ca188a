// The page interface: everything the main window tells a page goes through
// these six operations (in this slot order), broadcast by PageList.
#pragma once

#include "device/DeviceWire.h"
#include "settings/PanelSettings.h"

namespace velmora {

class USBDevice;

class SettingsObserver {
public:
    virtual void onMeters(const MeterBlock& block) = 0;
    virtual void onSettings(PanelSettings record) = 0; // a private copy of all 352 bytes
    virtual void showPage(bool visible) = 0;
    virtual void setDevice(USBDevice* device) = 0;
    virtual void clearDevice() = 0;
    virtual void destroyPage() = 0; // destroys the page's window, then the page object

protected:
    virtual ~SettingsObserver() = default; // pages end through destroyPage
};

} // namespace velmora
