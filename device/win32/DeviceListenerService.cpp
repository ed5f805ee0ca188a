#include "device/win32/DeviceListenerService.h"

#include "device/DeviceListener.h"
#include "device/win32/ListenerWindow.h"
#include "device/win32/SetupDiEnumerator.h"
#include "device/win32/Win32Transport.h"

#include <new>

namespace velmora {

namespace {

struct ProcessListener {
    SetupDiEnumerator enumerator;
    DeviceListener listener{enumerator, []() {
        return std::unique_ptr<DeviceTransport>(new (std::nothrow) Win32Transport());
    }};
    ListenerWindow window{listener};
};

ProcessListener& processListener() {
    static ProcessListener instance;
    return instance;
}

} // namespace

uint32_t startListener(DeviceCallback callback, void* context, const InterfaceClassId& interfaceClass) {
    ProcessListener& p = processListener();
    if (p.window.hwnd()) return 0;
    if (!p.listener.started()) p.enumerator.setInterfaceClass(interfaceClass);
    p.listener.start(callback, context);
    const DWORD error = p.window.create();
    if (error != 0) return error;
    // Without a window nothing later is noticed, but the units present now
    // are still announced.
    p.listener.scan();
    return 0;
}

void stopListener() {
    ProcessListener& p = processListener();
    p.window.destroy();
    p.listener.stop();
}

void scanDevices() {
    processListener().listener.scan();
}

void offerPresentUnits() {
    processListener().listener.announcePresent();
}

void holdEventPolls(bool held) { processListener().listener.holdPolls(held); }

void lookForUnitsSoon() {
    ProcessListener& p = processListener();
    p.listener.reportNextScan();
    if (p.window.hwnd())
        p.window.scanSoon();
    else
        p.listener.scan(); // without a window no timer runs it
}

DeviceListener& processDeviceListener() {
    return processListener().listener;
}

ListenerWindow& processListenerWindow() {
    return processListener().window;
}

} // namespace velmora
