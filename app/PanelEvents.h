// What the main window's logic reports as it happens, whatever caused it (a
// page, a menu, a request, the unit itself): units coming and going, the
// record as published, a rate or latency the master took from the unit,
// sends that failed, records written. The tray tip, the diagnostics log, a
// request waiting for a unit and remote clients listen. Called on the GUI
// thread, never from the meter tick.
#pragma once

#include "settings/ChannelNames.h"
#include "settings/PanelSettings.h"

#include <cstdint>
#include <string>

namespace velmora {

class ChannelNames;
class USBDevice;
struct RecordRepair;

class PanelEvents {
public:
    // A unit became current and its record was applied (`record` is the
    // accepted master).
    virtual void unitArrived(const USBDevice& unit, const PanelSettings& record) = 0;
    // A unit became current but its control channel did not open.
    virtual void unitNotOpened(const USBDevice& unit) = 0;
    // The current unit is going away (still readable during the call).
    virtual void unitRemoved(const USBDevice& unit) = 0;
    // A send to the unit failed; `message` is what the user is shown.
    virtual void sendFailed(const USBDevice& unit, const char* message) = 0;
    // The record was written to `location`, or the write failed.
    virtual void recordSaved(bool written, const std::string& location) = 0;
    // The pages were handed `record`: the settings as the panel now shows them.
    virtual void settingsPublished(const PanelSettings& record) { (void)record; }
    // The unit runs at another rate or latency than the master said (set on
    // the unit itself, or a choice that did not reach it): the master took
    // the unit's values. Published right after.
    virtual void unitFollowed(int32_t sampleRate, int32_t latency) {
        (void)sampleRate;
        (void)latency;
    }
    // The stored record an arrival loaded had damaged fields; they were
    // repaired before the record was sent (told after unitArrived).
    virtual void recordRepaired(const RecordRepair& repair) { (void)repair; }
    // The user's record was applied again to the unit that stayed current,
    // after a wake or when this session came back to the console.
    virtual void recordReapplied(const USBDevice& unit, const PanelSettings& record) {
        (void)unit;
        (void)record;
    }
    // The user's channel names changed (the Names dialog, a settings file, a
    // snapshot, a request, a remote client): `names` are the names now stored.
    virtual void namesChanged(const ChannelNames& names) { (void)names; }

protected:
    ~PanelEvents() = default;
};

} // namespace velmora
