#include "device/win32/Win32Transport.h"

namespace velmora {

Win32Transport::~Win32Transport() {
    close();
}

bool Win32Transport::open(const char* path) {
    close();
    if (!path) return false;
    handle_ = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, 0, nullptr);
    lastOpenError_ = handle_ == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    return handle_ != INVALID_HANDLE_VALUE;
}

bool Win32Transport::isOpen() const {
    return handle_ != INVALID_HANDLE_VALUE;
}

bool Win32Transport::exchange(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                              uint32_t* bytesReturned) {
    if (handle_ == INVALID_HANDLE_VALUE) return false;
    // The driver leaves the count unwritten when a request fails (a unit
    // pulled with the handle open), so it starts at 0 and is passed on only
    // after success.
    DWORD returned = 0;
    if (!DeviceIoControl(handle_, code, const_cast<void*>(in), inSize, out, outSize, &returned, nullptr)) {
        lastExchangeError_ = GetLastError();
        return false;
    }
    if (bytesReturned) *bytesReturned = returned;
    return true;
}

void Win32Transport::close() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
}

} // namespace velmora
