#include "app/win32/OnScreenLevel.h"

#include "app/OnScreenLevelPlace.h"
#include "app/win32/WideText.h"

namespace velmora {

namespace {

const COLORREF kBackground = RGB(32, 32, 32);
const COLORREF kText = RGB(240, 240, 240);
const int kPadX = 16, kPadY = 10;

} // namespace

OnScreenLevel::~OnScreenLevel() {
    if (window_) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

bool OnScreenLevel::create() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (!GetClassInfoExW(instance, WINDOW_CLASS, &windowClass)) {
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = windowProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
        windowClass.lpszClassName = WINDOW_CLASS;
        if (!RegisterClassExW(&windowClass)) return false;
    }
    window_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, WINDOW_CLASS, L"", WS_POPUP, 0, 0,
                              10, 10, nullptr, nullptr, instance, nullptr);
    if (!window_) return false;
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    font_.reset(CreateFontW(-20, 0, 0, 0, FW_SEMIBOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Tahoma"));
    background_.reset(CreateSolidBrush(kBackground));
    return true;
}

SIZE OnScreenLevel::measure(const std::wstring& text) {
    RECT r{0, 0, 0, 0};
    WindowDC dc(window_);
    ScopedSelect font(dc.get(), font_.get());
    DrawTextW(dc.get(), text.c_str(), int(text.size()), &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    return SIZE{r.right - r.left + 2 * kPadX, r.bottom - r.top + 2 * kPadY};
}

void OnScreenLevel::show(const std::string& text) {
    if (!window_ && !create()) return;
    const std::wstring wide = widen(text);
    const bool sameText = wide == text_ && IsWindowVisible(window_);
    text_ = wide;
    if (!sameText) SetWindowTextW(window_, text_.c_str()); // the accessible name
    const SIZE size = measure(text_);
    RECT shown{};
    GetWindowRect(window_, &shown);
    if (IsWindowVisible(window_) && shown.right - shown.left == size.cx && shown.bottom - shown.top == size.cy) {
        // A repeated hotkey (a held key): the window stays where it is, with
        // the new text, for another 1.5 s.
        InvalidateRect(window_, nullptr, FALSE);
        SetTimer(window_, HIDE_TIMER, ON_SCREEN_LEVEL_MS, nullptr);
        NotifyWinEvent(EVENT_SYSTEM_ALERT, window_, OBJID_CLIENT, CHILDID_SELF);
        return;
    }
    // The monitor under the cursor; its work area tells where the taskbar is.
    POINT cursor{0, 0};
    GetCursorPos(&cursor);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromPoint(cursor, MONITOR_DEFAULTTOPRIMARY), &info);
    const ScreenPoint at = onScreenLevelPlace(
        ScreenRect{info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom},
        ScreenRect{info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom}, size.cx, size.cy);
    SetWindowPos(window_, HWND_TOPMOST, at.x, at.y, size.cx, size.cy, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(window_, nullptr, TRUE);
    SetTimer(window_, HIDE_TIMER, ON_SCREEN_LEVEL_MS, nullptr);
    // A screen reader speaks an alert's name: the text just shown.
    NotifyWinEvent(EVENT_SYSTEM_ALERT, window_, OBJID_CLIENT, CHILDID_SELF);
}

void OnScreenLevel::hide() {
    if (!window_) return;
    KillTimer(window_, HIDE_TIMER);
    ShowWindow(window_, SW_HIDE);
}

void OnScreenLevel::paint() {
    PaintDC paint(window_);
    RECT client;
    GetClientRect(window_, &client);
    FillRect(paint.get(), &client, background_.get());
    ScopedSelect font(paint.get(), font_.get());
    SetTextColor(paint.get(), kText);
    SetBkMode(paint.get(), TRANSPARENT);
    DrawTextW(paint.get(), text_.c_str(), int(text_.size()), &client,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

LRESULT CALLBACK OnScreenLevel::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<OnScreenLevel*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_NCHITTEST: return HTTRANSPARENT; // clicks go to the window below
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
        if (self) {
            self->paint();
            return 0;
        }
        break;
    case WM_TIMER:
        if (self && wParam == HIDE_TIMER) {
            self->hide();
            return 0;
        }
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace velmora
