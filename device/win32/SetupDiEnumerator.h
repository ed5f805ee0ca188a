// Device-interface enumeration of one interface class through SetupAPI: each
// index takes a fresh information set of the present interfaces, reads the
// interface path and the device instance id, and lets the set go again.
#pragma once

#include "device/DeviceEnumerator.h"
#include "device/VelmoraInterface.h"

#include <windows.h>

namespace velmora {

class SetupDiEnumerator : public DeviceEnumerator {
public:
    explicit SetupDiEnumerator(const InterfaceClassId& interfaceClass = VELMORA_INTERFACE_CLASS);

    void setInterfaceClass(const InterfaceClassId& interfaceClass);
    const GUID& interfaceClass() const { return class_; }

    Result interfaceAt(uint32_t index, DeviceInterfaceInfo& out) override;

    static GUID toGuid(const InterfaceClassId& id);

private:
    GUID class_;
};

} // namespace velmora
