// The device-interface class that the Velmora driver publishes for each unit:
// {DD35D54E-850E-4E69-9FA8-431C9E47B446}. Laid out as the platform's GUID
// (32-bit word, two 16-bit words, eight bytes) so the Win32 side can copy it.
#pragma once

#include <cstdint>

namespace velmora {

struct InterfaceClassId {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
};
static_assert(sizeof(InterfaceClassId) == 16, "an interface class is 16 bytes");

constexpr InterfaceClassId VELMORA_INTERFACE_CLASS = {
    0xDD35D54Eu, 0x850E, 0x4E69, {0x9F, 0xA8, 0x43, 0x1C, 0x9E, 0x47, 0xB4, 0x46}};

} // namespace velmora
