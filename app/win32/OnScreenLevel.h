// The on-screen level: a small topmost window that never takes the focus,
// showing for 1.5 s what a hotkey did ("Outputs 1-2  -12.5 dB"), near the
// notification area of the monitor under the cursor. Its text is its window
// text, so that a screen reader hears it as the name of the alert it is told
// of. The window is made at the first show and lives until this object goes.
#pragma once

#include "ui/win32/Gdi.h"

#include <windows.h>

#include <string>

namespace velmora {

class OnScreenLevel {
public:
    static constexpr UINT_PTR HIDE_TIMER = 0x4F4C01;
    static constexpr const wchar_t* WINDOW_CLASS = L"VelPanelOnScreenLevel";

    OnScreenLevel() = default;
    ~OnScreenLevel();
    OnScreenLevel(const OnScreenLevel&) = delete;
    OnScreenLevel& operator=(const OnScreenLevel&) = delete;

    // Shows `text` (UTF-8) from now for 1.5 s, without activating anything.
    void show(const std::string& text);
    void hide();
    HWND hwnd() const { return window_; }

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool create();
    void paint();
    SIZE measure(const std::wstring& text);

    HWND window_ = nullptr;
    Font font_;
    Brush background_;
    std::wstring text_;
};

} // namespace velmora
