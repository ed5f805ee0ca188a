// Device-interface enumeration of one interface class through SetupAPI: the
// information set of the present interfaces is taken once per scan (or per
// look-up outside a scan); each index reads the interface path and the
// device instance id.
#pragma once

#include "device/DeviceEnumerator.h"
#include "device/VelmoraInterface.h"

#include <windows.h>
#include <setupapi.h>

namespace velmora {

class SetupDiEnumerator : public DeviceEnumerator {
public:
    explicit SetupDiEnumerator(const InterfaceClassId& interfaceClass = VELMORA_INTERFACE_CLASS);
    ~SetupDiEnumerator() override;

    SetupDiEnumerator(const SetupDiEnumerator&) = delete;
    SetupDiEnumerator& operator=(const SetupDiEnumerator&) = delete;

    void setInterfaceClass(const InterfaceClassId& interfaceClass);
    const GUID& interfaceClass() const { return class_; }

    void beginScan() override;
    void endScan() override;
    Result interfaceAt(uint32_t index, DeviceInterfaceInfo& out) override;

    static GUID toGuid(const InterfaceClassId& id);

private:
    HDEVINFO presentInterfaces() const;
    Result lookUp(HDEVINFO set, uint32_t index, DeviceInterfaceInfo& out);

    GUID class_;
    HDEVINFO scanSet_ = INVALID_HANDLE_VALUE; // the snapshot of the running scan
};

} // namespace velmora
