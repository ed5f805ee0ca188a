// Pure encoders and decoders of the control channel's buffers. Nothing here
// touches the platform, so the fuzzers and the unit tests reach every branch.
#pragma once

#include "device/DeviceWire.h"

#include <cstddef>
#include <cstdint>

namespace velmora {

// Splits a packed version (bits 31..24 major, 23..16 minor, 15..8 third,
// 7..0 fourth) into `out` after zeroing it; no text yet.
void splitPackedVersion(uint32_t packed, VersionInfo& out);

// The driver's packed version: release kind in `third` (1 a, 2 b, 3 rc,
// 4 release, anything else d), pre-release number in `fourth`. Text
// "1.05", "1.05b2", "1.05d0"; tag '0'.
void decodeDriverVersion(uint32_t packed, VersionInfo& out);

// The firmware's packed version: text "%d.%d.%d" of major, minor, third; tag
// is bits 7..0. The name stays zero.
void decodeFirmwareVersion(uint32_t packed, VersionInfo& out);

// Copies the 16 name bytes of the firmware-name reply and terminates them.
void setFirmwareName(VersionInfo& out, const uint8_t name[16]);

// Turns a peak-level block into magnitudes in place: every byte above 127 is
// negated (256 - b); 0x80 negates to itself and stays.
void convertMeterLevels(uint8_t* levels, size_t count);

// Copies the latency entry text of a command-12 reply into `out` (256 bytes):
// byte 259 of the request is forced to NUL first, so at most 255 characters.
void copyLatencyText(DeviceRequest& reply, char out[256]);

} // namespace velmora
