// Keeps the table of present Velmora units and tells one client when a unit
// arrives (event 1), goes away (event 2) or flags a change of state (event 3).
// Platform-free: the platform supplies the enumeration, the transports, the
// device-change codes and the poll timer.
//
// The client's handler runs inside a scan or a poll and may pump messages
// (a message box), so scan, poll and stop can arrive again from inside a
// callback. Such nested calls never touch the table while it is being
// walked: a nested scan is deferred and run once the outer operation ends, a
// nested poll is dropped (the next tick polls again), and a nested stop is
// deferred and silences every further callback at once.
#pragma once

#include "device/DeviceEnumerator.h"
#include "device/DeviceEvent.h"
#include "device/DeviceTransport.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace velmora {

class USBDevice;

class DeviceListener {
public:
    static constexpr int MAX_UNITS = 128;
    static constexpr uintptr_t POLL_TIMER_ID = 4711;
    static constexpr uint32_t POLL_PERIOD_MS = 500;

    // Creates the transport of a new unit; an empty answer skips the unit.
    using TransportFactory = std::function<std::unique_ptr<DeviceTransport>()>;

    DeviceListener(DeviceEnumerator& enumerator, TransportFactory transportFactory);
    ~DeviceListener();

    DeviceListener(const DeviceListener&) = delete;
    DeviceListener& operator=(const DeviceListener&) = delete;

    // Keeps the client and empties the table. Does nothing while started.
    void start(DeviceCallback callback, void* context);
    // Finds arrived and departed units and tells the client.
    void scan();
    // Polls the event flag of every open unit, in slot order.
    void poll();
    // Closes and releases every unit without callbacks; afterwards stopped.
    void stop();
    // Announces every unit of the table to the client again (event 1), in
    // slot order: a client that let its unit go takes another one that is
    // still present. From inside a callback it runs once the scan or poll on
    // the stack has ended, when the table holds only units still present.
    void announcePresent();
    // The next scan that runs tells the client once it has ended (event 4,
    // no unit), after the arrivals and removals it found.
    void reportNextScan() { reportScan_ = true; }
    // While held, polls read no unit's event flag: reading it clears it, and
    // the unit may be another session's meanwhile (its panel reads it).
    void holdPolls(bool held) { pollsHeld_ = held; }

    // Platform events, forwarded as they come. A device-change code either
    // runs a scan (answer null) or names a diagnostic line to print.
    const char* onDeviceChange(uint32_t code);
    // The device-change codes that call for a scan.
    static bool isScanCode(uint32_t code);
    // A timer message: polls when `id` is the poll timer's (non-zero) id.
    void onTimer(uintptr_t id);
    void setTimerId(uintptr_t id) { timerId_ = id; }
    uintptr_t timerId() const { return timerId_; }

    bool started() const { return started_; }
    USBDevice* unitAt(int slot) const;
    int unitCount() const;

private:
    struct Slot {
        USBDevice* unit = nullptr;
    };

    void runScans();
    void scanOnce(bool& retry);
    void finishOperation();
    void releaseAll();
    void notify(USBDevice* unit, DeviceEvent event);
    int findUnit(const std::string& instanceId) const;
    static void forwardEvent(void* context, USBDevice* unit, DeviceEvent event);

    DeviceEnumerator& enumerator_;
    TransportFactory transportFactory_;
    DeviceCallback callback_ = nullptr;
    void* context_ = nullptr;
    Slot table_[MAX_UNITS];
    uintptr_t timerId_ = 0;
    bool started_ = false;
    int busy_ = 0;              // scans and polls on the stack
    bool rescanPending_ = false;
    bool announcePending_ = false;
    bool stopPending_ = false;
    bool reportScan_ = false;
    bool pollsHeld_ = false;
};

} // namespace velmora
