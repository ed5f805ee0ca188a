#include "app/RemoteSettings.h"

#include <nlohmann/json.hpp>

#include <cctype>

namespace velmora {

namespace {

uint32_t maskOf(int prefix) { return prefix <= 0 ? 0 : prefix >= 32 ? 0xFFFFFFFFu : ~(0xFFFFFFFFu >> prefix); }

// A decimal number of 1 to `digits` digits at `at`, at most `max`.
bool readNumber(const std::string& text, size_t& at, unsigned max, size_t digits, unsigned& value) {
    size_t n = 0;
    value = 0;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) && n < digits) {
        value = value * 10 + unsigned(text[at++] - '0');
        ++n;
    }
    return n > 0 && value <= max && !(at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])));
}

bool parseRange(const std::string& entry, HostRange& range) {
    size_t at = 0;
    uint32_t address = 0;
    for (int part = 0; part < 4; ++part) {
        unsigned byte = 0;
        if (part > 0 && (at >= entry.size() || entry[at++] != '.')) return false;
        if (!readNumber(entry, at, 255, 3, byte)) return false;
        address = address << 8 | byte;
    }
    unsigned prefix = 32;
    if (at < entry.size()) {
        if (entry[at++] != '/' || !readNumber(entry, at, 32, 2, prefix)) return false;
    }
    if (at != entry.size()) return false;
    range.prefix = int(prefix);
    range.network = address & maskOf(range.prefix);
    return true;
}

} // namespace

bool HostRange::contains(uint32_t host) const { return (host & maskOf(prefix)) == network; }

bool RemoteSettings::allows(uint32_t host) const {
    if (host == LOOPBACK_HOST) return true;
    for (const HostRange& range : allowed)
        if (range.contains(host)) return true;
    return false;
}

std::string hostRangeText(const HostRange& range) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        text += std::to_string((range.network >> shift) & 0xFF);
        if (shift) text += '.';
    }
    if (range.prefix != 32) text += "/" + std::to_string(range.prefix);
    return text;
}

bool parseHostRanges(const std::string& text, std::vector<HostRange>& ranges, std::string& problem) {
    std::vector<HostRange> read;
    size_t at = 0;
    while (at < text.size()) {
        const size_t end = text.find_first_of(", ;\t\r\n", at);
        const std::string entry = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        at = end == std::string::npos ? text.size() : end + 1;
        if (entry.empty()) continue;
        HostRange range;
        if (!parseRange(entry, range)) {
            problem = "\"" + entry.substr(0, 40) + "\" is not an IPv4 address or subnet (such as 192.168.1.0/24).";
            return false;
        }
        if (read.size() >= 32) {
            problem = "At most 32 hosts or subnets may be allowed.";
            return false;
        }
        read.push_back(range);
    }
    ranges = std::move(read);
    return true;
}

std::string hostRangesText(const std::vector<HostRange>& ranges) {
    std::string text;
    for (const HostRange& range : ranges) text += (text.empty() ? "" : ", ") + hostRangeText(range);
    return text;
}

std::string remoteSettingsText(const RemoteSettings& settings) {
    nlohmann::json value;
    value["on"] = settings.on;
    value["port"] = settings.port;
    value["allow"] = hostRangesText(settings.allowed);
    return value.dump();
}

bool readRemoteSettings(const std::string& text, RemoteSettings& settings, std::string& problem) {
    const nlohmann::json value = nlohmann::json::parse(text, nullptr, false);
    if (!value.is_object() || !value.contains("on") || !value["on"].is_boolean() || !value.contains("port") ||
        !value["port"].is_number_integer() || !value.contains("allow") || !value["allow"].is_string()) {
        problem = "the remote control's settings are not readable";
        return false;
    }
    const int64_t port = value["port"].get<int64_t>();
    if (port < 1 || port > 65535) {
        problem = "the remote control's port is not 1 to 65535";
        return false;
    }
    RemoteSettings read;
    if (!parseHostRanges(value["allow"].get<std::string>(), read.allowed, problem)) return false;
    read.on = value["on"].get<bool>();
    read.port = uint16_t(port);
    settings = read;
    return true;
}

bool loadRemoteSettings(PreferenceStore& store, RemoteSettings& settings, std::string& problem) {
    settings = RemoteSettings{};
    std::string text;
    if (!store.readText(PREFERENCE_REMOTE_CONTROL, text)) return true;
    return readRemoteSettings(text, settings, problem);
}

bool saveRemoteSettings(PreferenceStore& store, const RemoteSettings& settings) {
    return store.writeText(PREFERENCE_REMOTE_CONTROL, remoteSettingsText(settings));
}

} // namespace velmora
