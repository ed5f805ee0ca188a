// What the device listener tells its one client.
#pragma once

namespace velmora {

class USBDevice;

enum DeviceEvent : int {
    DEVICE_ARRIVED = 1,       // a unit arrived; not yet open
    DEVICE_REMOVED = 2,       // a unit went away; closed and released right after the call
    DEVICE_STATE_CHANGED = 3, // the driver flagged a change of the unit's state
    DEVICE_UNITS_SCANNED = 4, // the scan the client asked to hear of has run (no unit)
};

typedef void (*DeviceCallback)(void* context, USBDevice* device, DeviceEvent event);

} // namespace velmora
