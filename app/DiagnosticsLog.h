// The diagnostics log a user can attach to a bug report: one line per event
// (start, units arriving and leaving with their versions, every failed send
// with its code, saves, command-line requests), with the local time, in two
// files of at most `maxBytes` each: when the current one is full it becomes
// "<name>.1" (replacing the older one) and a new one starts. Never written
// from the meter tick. A log that cannot be written loses its lines quietly.
#pragma once

#include "app/PanelEvents.h"

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

namespace velmora {

class DiagnosticsLog : public PanelEvents {
public:
    static constexpr size_t DEFAULT_MAX_BYTES = 256 * 1024;
    // The time of a line; tests give their own.
    using Clock = std::function<std::time_t()>;

    explicit DiagnosticsLog(std::string path, size_t maxBytes = DEFAULT_MAX_BYTES, Clock clock = nullptr);

    // Appends one line (a newline is added), rotating first when it would
    // not fit.
    void write(const std::string& text);

    const std::string& path() const { return path_; }
    std::string olderPath() const { return path_ + ".1"; }

    // PanelEvents
    void unitArrived(const USBDevice& unit, const PanelSettings& record) override;
    void unitNotOpened(const USBDevice& unit) override;
    void unitRemoved(const USBDevice& unit) override;
    void sendFailed(const USBDevice& unit, const char* message) override;
    void recordSaved(bool written, const std::string& location) override;

private:
    std::string path_;
    size_t maxBytes_;
    Clock clock_;
};

} // namespace velmora
