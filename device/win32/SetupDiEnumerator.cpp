#include "device/win32/SetupDiEnumerator.h"

#include <setupapi.h>

#include <cstring>
#include <vector>

namespace velmora {

namespace {

// Releases the information set however the look-up ends.
class InfoSet {
public:
    explicit InfoSet(HDEVINFO set) : set_(set) {}
    ~InfoSet() {
        if (valid()) SetupDiDestroyDeviceInfoList(set_);
    }
    InfoSet(const InfoSet&) = delete;
    InfoSet& operator=(const InfoSet&) = delete;
    bool valid() const { return set_ != INVALID_HANDLE_VALUE && set_ != nullptr; }
    HDEVINFO get() const { return set_; }

private:
    HDEVINFO set_;
};

} // namespace

GUID SetupDiEnumerator::toGuid(const InterfaceClassId& id) {
    GUID guid;
    guid.Data1 = id.data1;
    guid.Data2 = id.data2;
    guid.Data3 = id.data3;
    std::memcpy(guid.Data4, id.data4, sizeof guid.Data4);
    return guid;
}

SetupDiEnumerator::SetupDiEnumerator(const InterfaceClassId& interfaceClass) : class_(toGuid(interfaceClass)) {}

void SetupDiEnumerator::setInterfaceClass(const InterfaceClassId& interfaceClass) {
    class_ = toGuid(interfaceClass);
}

DeviceEnumerator::Result SetupDiEnumerator::interfaceAt(uint32_t index, DeviceInterfaceInfo& out) {
    InfoSet set(SetupDiGetClassDevsA(&class_, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (!set.valid()) return Result::None;

    SP_DEVICE_INTERFACE_DATA iface;
    std::memset(&iface, 0, sizeof iface);
    iface.cbSize = sizeof iface;
    if (!SetupDiEnumDeviceInterfaces(set.get(), nullptr, &class_, index, &iface)) return Result::None;

    // First the size of the detail, then the path and the device's data.
    DWORD size = 0;
    SetupDiGetDeviceInterfaceDetailA(set.get(), &iface, nullptr, 0, &size, nullptr);
    if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) return Result::DetailFailed;
    std::vector<unsigned char> buffer(size + 1, 0);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(buffer.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
    SP_DEVINFO_DATA devinfo;
    std::memset(&devinfo, 0, sizeof devinfo);
    devinfo.cbSize = sizeof devinfo;
    if (!SetupDiGetDeviceInterfaceDetailA(set.get(), &iface, detail, size, nullptr, &devinfo))
        return Result::DetailFailed;

    // The instance id is the unit's identity; the node number is valid only
    // while this set is open.
    std::vector<char> id(201, 0); // device ids are at most 200 characters
    DWORD needed = 0;
    if (!SetupDiGetDeviceInstanceIdA(set.get(), &devinfo, id.data(), DWORD(id.size()), &needed)) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0) return Result::DetailFailed;
        id.assign(needed + 1, 0);
        if (!SetupDiGetDeviceInstanceIdA(set.get(), &devinfo, id.data(), DWORD(id.size()), nullptr))
            return Result::DetailFailed;
    }

    out.path.assign(detail->DevicePath);
    out.instanceId.assign(id.data());
    out.devInst = devinfo.DevInst;
    return Result::Found;
}

} // namespace velmora
