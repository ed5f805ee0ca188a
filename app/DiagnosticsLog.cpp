#include "app/DiagnosticsLog.h"

#include "device/USBDevice.h"

#include <cstdio>

namespace velmora {

namespace {

long fileSize(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return 0;
    long size = 0;
    if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
    std::fclose(file);
    return size < 0 ? 0 : size;
}

// A text field that may fill its whole size without a terminator.
std::string boundedText(const char* field, size_t size) {
    size_t length = 0;
    while (length < size && field[length]) ++length;
    return std::string(field, length);
}

// A version's text as the unit gave it, bounded to its field.
std::string versionText(const VersionInfo& version) {
    std::string text = boundedText(version.text, sizeof version.text);
    const std::string name = boundedText(version.name, sizeof version.name);
    if (!name.empty()) text += " " + name;
    return text.empty() ? "?" : text;
}

} // namespace

DiagnosticsLog::DiagnosticsLog(std::string path, size_t maxBytes, Clock clock)
    : path_(std::move(path)), maxBytes_(maxBytes), clock_(clock ? std::move(clock) : [] { return std::time(nullptr); }) {}

void DiagnosticsLog::write(const std::string& text) {
    if (path_.empty()) return;
    char stamp[32] = "";
    const std::time_t now = clock_();
    if (const std::tm* local = std::localtime(&now)) std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", local);
    const std::string line = std::string(stamp) + "  " + text + "\n";

    if (size_t(fileSize(path_)) + line.size() > maxBytes_) {
        // The file in use cannot be renamed over the older one on every
        // platform: the older one goes first.
        std::remove(olderPath().c_str());
        std::rename(path_.c_str(), olderPath().c_str());
    }
    if (std::FILE* file = std::fopen(path_.c_str(), "ab")) {
        std::fwrite(line.data(), 1, line.size(), file);
        std::fclose(file);
    }
}

void DiagnosticsLog::unitArrived(const USBDevice& unit, const PanelSettings& record) {
    write("arrival " + unit.instanceId() + ": driver " + versionText(record.driverVersion) + ", firmware " +
          versionText(record.firmwareVersion) + ", " + std::to_string(record.sampleRate) + " Hz, latency " +
          std::to_string(record.latency));
}

void DiagnosticsLog::unitNotOpened(const USBDevice& unit) {
    write("arrival " + unit.instanceId() + ": its control channel did not open; nothing applied");
}

void DiagnosticsLog::unitRemoved(const USBDevice& unit) { write("removal " + unit.instanceId()); }

void DiagnosticsLog::sendFailed(const USBDevice& unit, const char* message) {
    const USBDevice::Failure& failure = unit.lastFailure();
    char detail[96];
    if (failure.command >= 0)
        std::snprintf(detail, sizeof detail, "I/O control 0x%06X command %d, error %u", unsigned(failure.code),
                      int(failure.command), unsigned(failure.systemError));
    else
        std::snprintf(detail, sizeof detail, "I/O control 0x%06X, error %u", unsigned(failure.code),
                      unsigned(failure.systemError));
    write("send failed on " + unit.instanceId() + ": " + message + " (" + detail + ")");
}

void DiagnosticsLog::recordSaved(bool written, const std::string& location) {
    write(written ? "settings saved to " + location : "settings could NOT be saved to " + location);
}

} // namespace velmora
