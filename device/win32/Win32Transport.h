// The control channel of one unit through the Windows file API: CreateFileA
// on the channel path, one DeviceIoControl per exchange, CloseHandle.
#pragma once

#include "device/DeviceTransport.h"

#include <windows.h>

namespace velmora {

class Win32Transport : public DeviceTransport {
public:
    Win32Transport() = default;
    ~Win32Transport() override;

    Win32Transport(const Win32Transport&) = delete;
    Win32Transport& operator=(const Win32Transport&) = delete;

    bool open(const char* path) override;
    bool isOpen() const override;
    bool exchange(uint32_t code, const void* in, uint32_t inSize,
                  void* out, uint32_t outSize, uint32_t* bytesReturned) override;
    void close() override;

    // The platform error of the last refused open, 0 after a good one.
    DWORD lastOpenError() const { return lastOpenError_; }
    uint32_t lastError() const override { return lastExchangeError_; }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    DWORD lastOpenError_ = 0;
    DWORD lastExchangeError_ = 0;
};

} // namespace velmora
