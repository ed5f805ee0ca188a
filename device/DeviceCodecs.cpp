#include "device/DeviceCodecs.h"

#include <cstdio>
#include <cstring>

namespace velmora {

void splitPackedVersion(uint32_t packed, VersionInfo& out) {
    std::memset(&out, 0, sizeof out);
    out.major = int32_t(packed >> 24);
    out.minor = int32_t((packed >> 16) & 0xFF);
    out.third = int32_t((packed >> 8) & 0xFF);
    out.fourth = int32_t(packed & 0xFF);
}

namespace {

const char* releaseSuffix(int32_t kind) {
    switch (kind) {
    case 1: return "a";
    case 2: return "b";
    case 3: return "rc";
    default: return "d"; // 0 and every unknown kind above 4
    }
}

} // namespace

void decodeDriverVersion(uint32_t packed, VersionInfo& out) {
    splitPackedVersion(packed, out);
    out.tag = 0x30;
    if (out.third == 4) {
        std::snprintf(out.text, sizeof out.text, "%d.%02d", out.major, out.minor);
    } else {
        std::snprintf(out.text, sizeof out.text, "%d.%02d%s%d", out.major, out.minor,
                      releaseSuffix(out.third), out.fourth);
    }
}

void decodeFirmwareVersion(uint32_t packed, VersionInfo& out) {
    splitPackedVersion(packed, out);
    out.tag = uint8_t(packed & 0xFF);
    std::snprintf(out.text, sizeof out.text, "%d.%d.%d", out.major, out.minor, out.third);
}

void setFirmwareName(VersionInfo& out, const uint8_t name[16]) {
    std::memcpy(out.name, name, sizeof out.name);
    out.name[sizeof out.name - 1] = '\0';
}

void convertMeterLevels(uint8_t* levels, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const uint8_t b = levels[i];
        if (b > 127) levels[i] = uint8_t(256u - b); // 0x80 stays 0x80
    }
}

void copyLatencyText(DeviceRequest& reply, char out[256]) {
    reply.data[sizeof reply.data - 1] = 0;
    std::memcpy(out, reply.data, sizeof reply.data);
}

} // namespace velmora
