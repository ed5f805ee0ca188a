// The user's choices for remote control over OSC, kept beside the record as
// one text value ("RemoteControl"): on or off (off until the user turns it
// on), the UDP port (9110), and the other hosts that may connect, by address
// or subnet ("192.168.1.20, 10.0.0.0/8"). 127.0.0.1 may always connect.
#pragma once

#include "settings/PreferenceStore.h"

#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

constexpr const char* PREFERENCE_REMOTE_CONTROL = "RemoteControl";
constexpr uint16_t REMOTE_DEFAULT_PORT = 9110;
constexpr uint32_t LOOPBACK_HOST = 0x7F000001; // 127.0.0.1, as a number

// Hosts `network`/`prefix` (an IPv4 address as a number, most significant
// byte first).
struct HostRange {
    uint32_t network = 0;
    int prefix = 32;
    bool contains(uint32_t host) const;
    bool operator==(const HostRange& other) const { return network == other.network && prefix == other.prefix; }
};

struct RemoteSettings {
    bool on = false;
    uint16_t port = REMOTE_DEFAULT_PORT;
    std::vector<HostRange> allowed; // besides 127.0.0.1

    // 127.0.0.1, or a host in one of the allowed ranges.
    bool allows(uint32_t host) const;
    // Other hosts may connect: the socket listens on every address, not
    // only on 127.0.0.1.
    bool othersAllowed() const { return !allowed.empty(); }
    bool operator==(const RemoteSettings& other) const {
        return on == other.on && port == other.port && allowed == other.allowed;
    }
};

// "192.168.1.0/24" from a range; "10.0.0.5" for a single host.
std::string hostRangeText(const HostRange& range);
// The ranges as the user wrote them, separated by commas, spaces or
// semicolons. False, with `problem` naming the first bad entry, when any is
// not a dotted IPv4 address with an optional /0..32 (host bits are cleared).
bool parseHostRanges(const std::string& text, std::vector<HostRange>& ranges, std::string& problem);
std::string hostRangesText(const std::vector<HostRange>& ranges);

// The stored value: {"on": bool, "port": 1..65535, "allow": "ranges"}.
std::string remoteSettingsText(const RemoteSettings& settings);
// False, with `problem` and `settings` unchanged, for a text that is not that.
bool readRemoteSettings(const std::string& text, RemoteSettings& settings, std::string& problem);

// The stored choices; never stored gives the defaults (off) and true; a
// damaged value gives the defaults, `problem`, and false.
bool loadRemoteSettings(PreferenceStore& store, RemoteSettings& settings, std::string& problem);
bool saveRemoteSettings(PreferenceStore& store, const RemoteSettings& settings);

} // namespace velmora
