// What the device listener asks of the platform's device-interface
// enumeration: for each index, nothing more, an interface found, or an
// interface whose detail could not be read.
#pragma once

#include <cstdint>
#include <string>

namespace velmora {

struct DeviceInterfaceInfo {
    std::string path;       // the interface path, as long as the platform gives it
    std::string instanceId; // device instance id text: the unit's stable identity
    uint32_t devInst = 0;   // the platform's numeric node handle; for reference only
};

class DeviceEnumerator {
public:
    enum class Result { None, Found, DetailFailed };

    virtual ~DeviceEnumerator() = default;

    // One scan asks for index 0, 1, 2 ... between these two calls, so an
    // enumerator can answer every index from one snapshot of the present
    // interfaces: a unit that goes while a scan runs does not shift the
    // indexes of the others (which would hide a present unit from the scan).
    virtual void beginScan() {}
    virtual void endScan() {}

    // The present interface at `index` of the class; `out` is filled only
    // when the answer is Found.
    virtual Result interfaceAt(uint32_t index, DeviceInterfaceInfo& out) = 0;
};

} // namespace velmora
