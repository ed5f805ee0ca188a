// Wire formats of the Velmora driver's control channel: I/O-control codes,
// command numbers and the three fixed buffers. All multi-byte fields are
// little-endian; the layouts below are checked at compile time.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velmora {

// I/O-control codes: device type 0x22, buffered transfer, any access.
constexpr uint32_t ioctlCode(uint32_t function) { return (0x22u << 16) | (function << 2); }

enum IoControl : uint32_t {
    IOCTL_IDENTITY_1     = 0x220000, // 64 bytes of identity text
    IOCTL_IDENTITY_2     = 0x220004, // 64 bytes of identity text
    IOCTL_DRIVER_FLAG    = 0x22009C, // 32-bit flag
    IOCTL_DRIVER_VERSION = 0x2200A4, // 32-bit packed driver version
    IOCTL_RAW_WRITE      = 0x2200C0, // n bytes of serial steps, answered in place
    IOCTL_READ_METERS    = 0x2200CC, // 64-byte MeterBlock
    IOCTL_COMMAND        = 0x2200D0, // 260-byte DeviceRequest, answered in place
    IOCTL_EVENT          = 0x220038, // 8 bytes, event word
};
static_assert(ioctlCode(0) == IOCTL_IDENTITY_1, "function 0");
static_assert(ioctlCode(1) == IOCTL_IDENTITY_2, "function 1");
static_assert(ioctlCode(39) == IOCTL_DRIVER_FLAG, "function 39");
static_assert(ioctlCode(41) == IOCTL_DRIVER_VERSION, "function 41");
static_assert(ioctlCode(48) == IOCTL_RAW_WRITE, "function 48");
static_assert(ioctlCode(51) == IOCTL_READ_METERS, "function 51");
static_assert(ioctlCode(52) == IOCTL_COMMAND, "function 52");
static_assert(ioctlCode(14) == IOCTL_EVENT, "function 14");

// Command codes carried at offset 0 of a DeviceRequest.
enum Command : int32_t {
    CMD_SET_DIGITAL_OUT_SELECTOR = 3,
    CMD_READ_CPLD                = 4,
    CMD_WRITE_CPLD               = 5,
    CMD_GET_CONFIGURATION        = 8,
    CMD_SET_CONFIGURATION        = 9,
    CMD_SELECT_LATENCY_ENTRY     = 11,
    CMD_LATENCY_ENTRY_TEXT       = 12,
    CMD_GET_LATENCY              = 13,
    CMD_SET_LATENCY              = 14,
    CMD_GET_CLOCK_MODE           = 16,
    CMD_SET_CLOCK_MODE           = 17,
    CMD_GET_CLOCK_STATUS         = 18,
    CMD_FIRMWARE_VERSION         = 24,
    CMD_FIRMWARE_NAME            = 25,
};

// CPLD register bits the panel uses.
constexpr uint8_t CPLD_MIX_OUT_SEL = 0x08;
constexpr uint8_t CPLD_DIGITAL_MON = 0x10;

constexpr uint32_t DEVICE_REQUEST_SIZE = 260;
constexpr uint32_t VERSION_INFO_SIZE   = 100;
constexpr uint32_t METER_BLOCK_SIZE    = 64;
constexpr uint32_t IDENTITY_TEXT_SIZE  = 64;
constexpr uint32_t EVENT_WORD_SIZE     = 8;
constexpr uint32_t INTERFACE_PATH_MAX  = 259; // characters, plus NUL

// The 260-byte command request, sent and answered in place: the driver
// overwrites the parameters from offset 4 with its reply.
struct DeviceRequest {
    int32_t command;
    uint8_t data[256];
};
static_assert(sizeof(DeviceRequest) == DEVICE_REQUEST_SIZE, "DeviceRequest is 260 bytes");
static_assert(offsetof(DeviceRequest, command) == 0, "command at 0");
static_assert(offsetof(DeviceRequest, data) == 4, "parameters at 4");

// The 100-byte version record filled by getDriverVersion/getFirmwareVersion
// and stored twice inside PanelSettings.
struct VersionInfo {
    int32_t major;
    int32_t minor;
    int32_t third;
    int32_t fourth;
    uint8_t tag;
    char text[64];
    char name[16];
    uint8_t reserved[3];
};
static_assert(sizeof(VersionInfo) == VERSION_INFO_SIZE, "VersionInfo is 100 bytes");
static_assert(offsetof(VersionInfo, major) == 0, "major at 0");
static_assert(offsetof(VersionInfo, minor) == 4, "minor at 4");
static_assert(offsetof(VersionInfo, third) == 8, "third at 8");
static_assert(offsetof(VersionInfo, fourth) == 12, "fourth at 12");
static_assert(offsetof(VersionInfo, tag) == 16, "tag at 16");
static_assert(offsetof(VersionInfo, text) == 17, "text at 17");
static_assert(offsetof(VersionInfo, name) == 81, "name at 81");
static_assert(offsetof(VersionInfo, reserved) == 97, "reserved at 97");

// The 64-byte peak-level block: inputs at bytes 0..17, outputs at 32..39.
struct MeterBlock {
    uint8_t level[METER_BLOCK_SIZE];
};
static_assert(sizeof(MeterBlock) == METER_BLOCK_SIZE, "MeterBlock is 64 bytes");
constexpr int METER_INPUTS = 18;
constexpr int METER_OUTPUTS = 8;
constexpr int METER_FIRST_INPUT = 0;
constexpr int METER_FIRST_OUTPUT = 32;

// Little-endian helpers for buffers that are not naturally aligned.
inline uint32_t readLe32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline void writeLe32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); p[2] = uint8_t(v >> 16); p[3] = uint8_t(v >> 24);
}

} // namespace velmora
