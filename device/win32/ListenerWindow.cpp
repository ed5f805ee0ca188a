#include "device/win32/ListenerWindow.h"

namespace velmora {

namespace {

void writeDebugLine(const char* line) {
    OutputDebugStringA(line);
}

ListenerWindow::DebugOutputFn g_debugOutput = &writeDebugLine;

} // namespace

ListenerWindow::ListenerWindow(DeviceListener& listener) : listener_(listener) {}

ListenerWindow::~ListenerWindow() {
    destroy();
}

void ListenerWindow::setDebugOutput(DebugOutputFn output) {
    g_debugOutput = output ? output : &writeDebugLine;
}

DWORD ListenerWindow::create() {
    if (hwnd_) return 0;
    HINSTANCE instance = GetModuleHandleA(nullptr);

    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.lpfnWndProc = &ListenerWindow::windowProc;
    wc.hInstance = instance;
    wc.lpszClassName = CLASS_NAME;
    if (!RegisterClassA(&wc)) {
        const DWORD error = GetLastError();
        if (error != ERROR_CLASS_ALREADY_EXISTS) return error;
    }

    hwnd_ = CreateWindowExA(0, CLASS_NAME, "", 0, 0, 0, 0, 0, nullptr, nullptr, instance, this);
    if (hwnd_) {
        timerId_ = SetTimer(hwnd_, DeviceListener::POLL_TIMER_ID, DeviceListener::POLL_PERIOD_MS, nullptr);
        listener_.setTimerId(timerId_);
    }
    return 0;
}

void ListenerWindow::destroy() {
    if (!hwnd_) return;
    HWND hwnd = hwnd_;
    if (timerId_ != 0) KillTimer(hwnd, timerId_);
    KillTimer(hwnd, SCAN_TIMER_ID);
    coalescer_ = ScanCoalescer();
    timerId_ = 0;
    listener_.setTimerId(0);
    hwnd_ = nullptr;
    DestroyWindow(hwnd);
}

void ListenerWindow::handle(UINT message, WPARAM wParam) {
    if (message == WM_TIMER) {
        if (wParam == SCAN_TIMER_ID)
            onScanTimer();
        else
            listener_.onTimer(uintptr_t(wParam));
    } else if (message == WM_DEVICECHANGE) {
        const uint32_t code = uint32_t(wParam);
        if (DeviceListener::isScanCode(code)) {
            // The scan runs once the burst is over (SetTimer re-arms the
            // same timer).
            SetTimer(hwnd_, SCAN_TIMER_ID, coalescer_.onChange(GetTickCount64()), nullptr);
        } else if (const char* line = listener_.onDeviceChange(code)) {
            g_debugOutput(line);
        }
    }
}

void ListenerWindow::scanSoon() {
    if (hwnd_) SetTimer(hwnd_, SCAN_TIMER_ID, coalescer_.onChange(GetTickCount64()), nullptr);
}

void ListenerWindow::onScanTimer() {
    uint32_t retry = 0;
    if (!coalescer_.takeDue(GetTickCount64(), retry)) {
        if (retry > 0)
            SetTimer(hwnd_, SCAN_TIMER_ID, retry, nullptr);
        else
            KillTimer(hwnd_, SCAN_TIMER_ID);
        return;
    }
    KillTimer(hwnd_, SCAN_TIMER_ID);
    // A change that comes while this scan runs (its callbacks may pump
    // messages) arms the timer again and gets a scan of its own.
    listener_.scan();
}

LRESULT CALLBACK ListenerWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const CREATESTRUCTA* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    if (auto* self = reinterpret_cast<ListenerWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA))) {
        self->handle(message, wParam);
        if (message == WM_NCDESTROY) SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    }
    // Every message, handled or not, also goes to the default procedure.
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

} // namespace velmora
