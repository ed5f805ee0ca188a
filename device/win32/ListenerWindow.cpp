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
    timerId_ = 0;
    listener_.setTimerId(0);
    hwnd_ = nullptr;
    DestroyWindow(hwnd);
}

void ListenerWindow::handle(UINT message, WPARAM wParam) {
    if (message == WM_TIMER) {
        listener_.onTimer(uintptr_t(wParam));
    } else if (message == WM_DEVICECHANGE) {
        if (const char* line = listener_.onDeviceChange(uint32_t(wParam))) g_debugOutput(line);
    }
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
