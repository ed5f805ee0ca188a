// The diagnostics log a user can attach to a bug report: one line per event
// (start, units arriving and leaving with their versions, every failed send
// with its code, saves, command-line requests), with the local time, in two
// files of at most `maxBytes` each: when the current one is full it is moved
// over "<name>.1" in one replacing move and a new one starts. The older file
// is never removed first: when the move fails (another program holds a
// file) the current one grows on, up to HARD_CAP_FACTOR times `maxBytes`,
// and the log says so once. Saves of the same record in a burst (a fader
// swept) are one line with their count. Texts are escaped (LogText.h), so
// that an event is always one line. Never written from the meter tick. A log
// that cannot be written loses its lines quietly.
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
    static constexpr size_t HARD_CAP_FACTOR = 4;
    // Saves with the same outcome and place, each at most this many seconds
    // after the one before, are one burst.
    static constexpr std::time_t SAVE_BURST_SECONDS = 2;
    // The time of a line; tests give their own.
    using Clock = std::function<std::time_t()>;
    // Moves the current file over the older one in one step, replacing it
    // (moveReplacing); tests give their own.
    using Mover = std::function<bool(const std::string& from, const std::string& to)>;

    explicit DiagnosticsLog(std::string path, size_t maxBytes = DEFAULT_MAX_BYTES, Clock clock = nullptr,
                            Mover mover = nullptr);
    // Writes a burst of saves still held.
    ~DiagnosticsLog();
    DiagnosticsLog(const DiagnosticsLog&) = delete;
    DiagnosticsLog& operator=(const DiagnosticsLog&) = delete;

    // Appends one line (escaped; a newline is added) after a burst of saves
    // still held, rotating first when it would not fit.
    void write(const std::string& text);
    // Writes a burst of saves still held (it is otherwise written with the
    // next line).
    void flush();

    const std::string& path() const { return path_; }
    std::string olderPath() const { return path_ + ".1"; }

    // PanelEvents
    void unitArrived(const USBDevice& unit, const PanelSettings& record) override;
    void unitNotOpened(const USBDevice& unit) override;
    void unitRemoved(const USBDevice& unit) override;
    void sendFailed(const USBDevice& unit, const char* message) override;
    void recordSaved(bool written, const std::string& location) override;
    void unitFollowed(int32_t sampleRate, int32_t latency) override;
    void recordRepaired(const RecordRepair& repair) override;
    void recordReapplied(const USBDevice& unit, const PanelSettings& record) override;

private:
    // Saves of one text, not yet written.
    struct SaveBurst {
        std::string text;
        std::time_t first = 0;
        std::time_t last = 0;
        unsigned count = 0;
    };

    void append(std::time_t when, const std::string& text);

    std::string path_;
    size_t maxBytes_;
    Clock clock_;
    Mover mover_;
    SaveBurst burst_;
    bool moveFailureTold_ = false;
};

} // namespace velmora
