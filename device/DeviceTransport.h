// One unit's channel to the driver, as the device layer sees it: open a path,
// make one synchronous exchange, close. The Win32 transport does this with
// CreateFileA/DeviceIoControl/CloseHandle; tests use the device model instead.
#pragma once

#include <cstdint>
#include <memory>

namespace velmora {

class DeviceTransport {
public:
    virtual ~DeviceTransport() = default;

    // Opens the channel at `path` (interface path + "\CONTROL"). False when refused.
    virtual bool open(const char* path) = 0;
    virtual bool isOpen() const = 0;
    // One exchange of an I/O-control code. `bytesReturned` is written only on
    // success (the driver leaves it untouched on failure).
    virtual bool exchange(uint32_t code, const void* in, uint32_t inSize,
                          void* out, uint32_t outSize, uint32_t* bytesReturned) = 0;
    virtual void close() = 0;
    // The platform's error code of the last exchange that failed (0 when the
    // transport has none to give).
    virtual uint32_t lastError() const { return 0; }
};

} // namespace velmora
