// Version decoding of any packed value and any firmware name bytes: the text
// always ends inside its 64 bytes and the name inside its 16.
#include "device/DeviceCodecs.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void checkTerminated(const char* text, size_t size) {
    if (!std::memchr(text, 0, size)) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    const uint32_t packed = velmora::readLe32(data);
    uint8_t name[16] = {};
    std::memcpy(name, data + 4, size - 4 < sizeof name ? size - 4 : sizeof name);

    velmora::VersionInfo driver;
    std::memset(&driver, 0xFF, sizeof driver);
    velmora::decodeDriverVersion(packed, driver);
    checkTerminated(driver.text, sizeof driver.text);
    if (driver.tag != 0x30 || driver.name[0] != 0 || driver.reserved[0] || driver.reserved[1] || driver.reserved[2])
        std::abort();
    if (uint32_t(driver.major) != (packed >> 24) || driver.fourth != int32_t(packed & 0xFF)) std::abort();

    velmora::VersionInfo firmware;
    std::memset(&firmware, 0xFF, sizeof firmware);
    velmora::decodeFirmwareVersion(packed, firmware);
    checkTerminated(firmware.text, sizeof firmware.text);
    if (firmware.tag != uint8_t(packed)) std::abort();
    velmora::setFirmwareName(firmware, name);
    checkTerminated(firmware.name, sizeof firmware.name);
    checkTerminated(firmware.text, sizeof firmware.text);
    return 0;
}
