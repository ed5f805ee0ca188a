// The process's one device listener: SetupAPI enumeration of the interface
// class, Win32 transports for the units, and the hidden listener window.
#pragma once

#include "device/DeviceEvent.h"
#include "device/VelmoraInterface.h"

#include <cstdint>

namespace velmora {

class DeviceListener;
class ListenerWindow;

// Starts listening for units of `interfaceClass` and runs a first scan, so
// units already present are announced (event 1) before it returns. Answers
// the platform's error when the window class cannot be registered, else 0.
// Does nothing while the listener window exists.
uint32_t startListener(DeviceCallback callback, void* context,
                       const InterfaceClassId& interfaceClass = VELMORA_INTERFACE_CLASS);
// Stops the timer, destroys the window and lets every unit go without callbacks.
void stopListener();
// Rescans the present units now.
void scanDevices();
// Announces the present units to the client again (event 1), once the scan
// on the stack (if any) has ended.
void offerPresentUnits();
// Looks for the units again through the same coalesced scan as a burst of
// device changes; once it has run the client hears event 4.
void lookForUnitsSoon();
// Holds or lets go the poll of the units' event flags (see DeviceListener).
void holdEventPolls(bool held);

DeviceListener& processDeviceListener();
ListenerWindow& processListenerWindow();

} // namespace velmora
