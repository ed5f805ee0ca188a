// The device listener's hidden top-level window of class "DeviceListener":
// it receives the broadcast device-change messages and carries the 500 ms
// poll timer, and forwards both to the platform-free DeviceListener.
#pragma once

#include "device/DeviceListener.h"
#include "device/ScanCoalescer.h"

#include <windows.h>

namespace velmora {

class ListenerWindow {
public:
    using DebugOutputFn = void (*)(const char* line);
    static constexpr const char* CLASS_NAME = "DeviceListener";
    // The one-shot timer that runs the scan a burst of device-change
    // messages asked for.
    static constexpr UINT_PTR SCAN_TIMER_ID = 4720;

    explicit ListenerWindow(DeviceListener& listener);
    ~ListenerWindow();

    ListenerWindow(const ListenerWindow&) = delete;
    ListenerWindow& operator=(const ListenerWindow&) = delete;

    // Registers the class (already registered counts as success), creates
    // the window and starts the poll timer. Answers the registration error,
    // or 0; a window that cannot be created leaves hwnd() null.
    DWORD create();
    // Stops the timer and destroys the window.
    void destroy();

    HWND hwnd() const { return hwnd_; }
    UINT_PTR timerId() const { return timerId_; }
    // A device change waits for its scan.
    bool scanPending() const { return coalescer_.pending(); }
    // Asks for a scan as a device change does: it joins a burst in progress.
    void scanSoon();

    // Where diagnostic lines go; none restores OutputDebugStringA.
    static void setDebugOutput(DebugOutputFn output);

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    void handle(UINT message, WPARAM wParam);
    void onScanTimer();

    DeviceListener& listener_;
    ScanCoalescer coalescer_;
    HWND hwnd_ = nullptr;
    UINT_PTR timerId_ = 0;
};

} // namespace velmora
