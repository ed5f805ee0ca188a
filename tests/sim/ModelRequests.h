// Small helpers for the model tests: one 260-byte request exchange and
// little-endian field access, written against the wire layout.
#pragma once

#include "sim/model/VelmoraModel.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace velmora::test {

using Request = std::array<uint8_t, 260>;

inline uint32_t le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline void putLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

inline Request makeRequest(int32_t command, uint32_t arg = 0) {
    Request r{};
    putLe32(r.data(), uint32_t(command));
    putLe32(r.data() + 4, arg);
    return r;
}

struct Exchange {
    bool ok = false;
    uint32_t returned = 0xDEADBEEF; // stays so when the model leaves it alone
};

// Sends `r` in place, as the driver's buffered transfer does.
inline Exchange send(VelmoraModel& m, Request& r) {
    Exchange e;
    e.ok = vm_ioctl(&m, VM_IOCTL_COMMAND, r.data(), 260, r.data(), 260, &e.returned) == 1;
    return e;
}

inline Exchange read(VelmoraModel& m, uint32_t code, uint8_t* out, uint32_t size) {
    Exchange e;
    e.ok = vm_ioctl(&m, code, nullptr, 0, out, size, &e.returned) == 1;
    return e;
}

inline Exchange rawWrite(VelmoraModel& m, const uint8_t* steps, uint32_t n) {
    Exchange e;
    uint8_t echo[4096] = {};
    e.ok = vm_ioctl(&m, VM_IOCTL_RAW_WRITE, steps, n, echo, n, &e.returned) == 1;
    if (e.ok && std::memcmp(echo, steps, e.returned) != 0) e.ok = false; // must echo the steps
    return e;
}

} // namespace velmora::test
