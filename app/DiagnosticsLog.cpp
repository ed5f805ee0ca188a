#include "app/DiagnosticsLog.h"

#include "app/LogText.h"
#include "app/RegularFile.h"
#include "app/RepairNotice.h"
#include "device/USBDevice.h"

#include <cstdio>

namespace velmora {

namespace {

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

std::string stampedLine(std::time_t when, const std::string& text) {
    char stamp[32] = "";
    if (const std::tm* local = std::localtime(&when)) std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", local);
    return std::string(stamp) + "  " + text + "\n";
}

} // namespace

DiagnosticsLog::DiagnosticsLog(std::string path, size_t maxBytes, Clock clock, Mover mover)
    : path_(std::move(path)), maxBytes_(maxBytes), clock_(clock ? std::move(clock) : [] { return std::time(nullptr); }),
      mover_(mover ? std::move(mover) : moveReplacing) {}

DiagnosticsLog::~DiagnosticsLog() { flush(); }

void DiagnosticsLog::write(const std::string& text) {
    flush();
    append(clock_(), escapeLogText(text));
}

void DiagnosticsLog::flush() {
    if (burst_.count == 0) return;
    std::string text = burst_.text;
    if (burst_.count > 1)
        text += " (" + std::to_string(burst_.count) + " times in " + std::to_string(burst_.last - burst_.first) + " s)";
    burst_.count = 0;
    append(burst_.first, text);
}

void DiagnosticsLog::append(std::time_t when, const std::string& text) {
    if (path_.empty()) return;
    const std::string line = stampedLine(when, text);
    uint64_t size = 0;
    const FileOutcome current = regularFileSize(path_, size);
    if (current != FileOutcome::Done && current != FileOutcome::Missing) return;

    if (size > 0 && size + line.size() > maxBytes_) {
        // One replacing move: the older file stays until the newer one has
        // taken its place.
        if (mover_(path_, olderPath())) {
            size = 0;
            moveFailureTold_ = false;
        } else if (!moveFailureTold_) {
            moveFailureTold_ = true;
            const std::string note =
                stampedLine(when, "the log could not be moved to " + escapeLogText(olderPath()) +
                                      "; this file grows on up to " +
                                      std::to_string(maxBytes_ * HARD_CAP_FACTOR / 1024) + " KiB");
            if (size + note.size() <= maxBytes_ * HARD_CAP_FACTOR &&
                appendToRegularFile(path_, note) == FileOutcome::Done)
                size += note.size();
        }
    }
    if (size + line.size() > maxBytes_ * HARD_CAP_FACTOR) return;
    appendToRegularFile(path_, line);
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

void DiagnosticsLog::unitFollowed(int32_t sampleRate, int32_t latency) {
    // The rate or latency changed on the unit itself (an external clock, the
    // driver): the record follows it.
    write("the unit runs at " + std::to_string(sampleRate) + " Hz, latency " + std::to_string(latency) +
          "; the record follows");
}

void DiagnosticsLog::recordReapplied(const USBDevice& unit, const PanelSettings& record) {
    write("record applied again to " + unit.instanceId() + " (a wake, or back at the console): " +
          std::to_string(record.sampleRate) + " Hz, latency " + std::to_string(record.latency));
}

void DiagnosticsLog::recordRepaired(const RecordRepair& repair) {
    write("the stored record was damaged; repaired: " + repairLogText(repair));
}

void DiagnosticsLog::recordSaved(bool written, const std::string& location) {
    const std::string text =
        escapeLogText(written ? "settings saved to " + location : "settings could NOT be saved to " + location);
    const std::time_t now = clock_();
    if (burst_.count > 0 && burst_.text == text && now >= burst_.last && now - burst_.last <= SAVE_BURST_SECONDS) {
        ++burst_.count;
        burst_.last = now;
        return;
    }
    flush();
    burst_ = {text, now, now, 1};
}

} // namespace velmora
