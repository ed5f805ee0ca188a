#include "device/win32/SetupDiEnumerator.h"

#include <setupapi.h>

#include <cstring>
#include <vector>

namespace velmora {

GUID SetupDiEnumerator::toGuid(const InterfaceClassId& id) {
    GUID guid;
    guid.Data1 = id.data1;
    guid.Data2 = id.data2;
    guid.Data3 = id.data3;
    std::memcpy(guid.Data4, id.data4, sizeof guid.Data4);
    return guid;
}

SetupDiEnumerator::SetupDiEnumerator(const InterfaceClassId& interfaceClass) : class_(toGuid(interfaceClass)) {}

SetupDiEnumerator::~SetupDiEnumerator() {
    endScan();
}

void SetupDiEnumerator::setInterfaceClass(const InterfaceClassId& interfaceClass) {
    class_ = toGuid(interfaceClass);
}

HDEVINFO SetupDiEnumerator::presentInterfaces() const {
    return SetupDiGetClassDevsA(&class_, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
}

void SetupDiEnumerator::beginScan() {
    endScan();
    scanSet_ = presentInterfaces();
}

void SetupDiEnumerator::endScan() {
    if (scanSet_ != INVALID_HANDLE_VALUE) SetupDiDestroyDeviceInfoList(scanSet_);
    scanSet_ = INVALID_HANDLE_VALUE;
}

DeviceEnumerator::Result SetupDiEnumerator::interfaceAt(uint32_t index, DeviceInterfaceInfo& out) {
    if (scanSet_ != INVALID_HANDLE_VALUE) return lookUp(scanSet_, index, out);
    HDEVINFO set = presentInterfaces();
    if (set == INVALID_HANDLE_VALUE) return Result::None;
    const Result result = lookUp(set, index, out);
    SetupDiDestroyDeviceInfoList(set);
    return result;
}

DeviceEnumerator::Result SetupDiEnumerator::lookUp(HDEVINFO set, uint32_t index, DeviceInterfaceInfo& out) {
    SP_DEVICE_INTERFACE_DATA iface;
    std::memset(&iface, 0, sizeof iface);
    iface.cbSize = sizeof iface;
    if (!SetupDiEnumDeviceInterfaces(set, nullptr, &class_, index, &iface)) return Result::None;

    // First the size of the detail, then the path and the device's data.
    DWORD size = 0;
    SetupDiGetDeviceInterfaceDetailA(set, &iface, nullptr, 0, &size, nullptr);
    if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) return Result::DetailFailed;
    std::vector<unsigned char> buffer(size + 1, 0);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(buffer.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
    SP_DEVINFO_DATA devinfo;
    std::memset(&devinfo, 0, sizeof devinfo);
    devinfo.cbSize = sizeof devinfo;
    if (!SetupDiGetDeviceInterfaceDetailA(set, &iface, detail, size, nullptr, &devinfo))
        return Result::DetailFailed;

    // The instance id is the unit's identity; the node number is valid only
    // while the set is open, and is kept for reference only.
    std::vector<char> id(201, 0); // device ids are at most 200 characters
    DWORD needed = 0;
    if (!SetupDiGetDeviceInstanceIdA(set, &devinfo, id.data(), DWORD(id.size()), &needed)) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0) return Result::DetailFailed;
        id.assign(needed + 1, 0);
        if (!SetupDiGetDeviceInstanceIdA(set, &devinfo, id.data(), DWORD(id.size()), nullptr))
            return Result::DetailFailed;
    }

    out.path.assign(detail->DevicePath);
    out.instanceId.assign(id.data());
    out.devInst = devinfo.DevInst;
    return Result::Found;
}

} // namespace velmora
