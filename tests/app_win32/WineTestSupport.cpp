#include "WineTestSupport.h"

namespace velmora {
namespace testing {

namespace {
const char kClassName[] = "VelmoraRecordingWindow";
}

RecordingWindow::RecordingWindow() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA existing;
    if (!GetClassInfoA(instance, kClassName, &existing)) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &RecordingWindow::proc;
        wc.hInstance = instance;
        wc.lpszClassName = kClassName;
        RegisterClassA(&wc);
    }
    hwnd_ = CreateWindowExA(0, kClassName, "recording", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                            instance, this);
}

RecordingWindow::~RecordingWindow() {
    if (hwnd_) {
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

LRESULT CALLBACK RecordingWindow::proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<RecordingWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self) {
        switch (message) {
        case WM_COMMAND:
            self->commands.push_back(wParam);
            self->commandControls.push_back(lParam);
            return 0;
        case WM_NULL:
            ++self->nullMessages;
            return 0;
        case WM_INITMENUPOPUP:
            if (self->onMenuPopup) self->onMenuPopup(reinterpret_cast<HMENU>(wParam));
            return 0;
        }
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

void pumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool pumpUntil(const std::function<bool()>& done, DWORD limitMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        pumpMessages();
        if (done()) return true;
        if (GetTickCount() - start > limitMs) return done();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

} // namespace testing
} // namespace velmora
