// What the main window's logic reports as it happens: units coming and
// going, sends that failed, records written. The diagnostics log keeps them,
// and a request from the command line that waits for a unit learns of its
// arrival. Called on the GUI thread, never from the meter tick.
#pragma once

#include "settings/PanelSettings.h"

#include <string>

namespace velmora {

class USBDevice;

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

protected:
    ~PanelEvents() = default;
};

} // namespace velmora
