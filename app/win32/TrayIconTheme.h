// The notification area icon for the taskbar's theme and high contrast, at
// the small-icon size of the system's scale (the notification area's). The
// window asks again on WM_SETTINGCHANGE ("ImmersiveColorSet", high contrast)
// and when its scale changes.
#pragma once

#include "app/TrayIconLook.h"

#include <windows.h>

namespace velmora {

class TrayIconTheme {
public:
    TrayIconTheme() = default;
    ~TrayIconTheme();
    TrayIconTheme(const TrayIconTheme&) = delete;
    TrayIconTheme& operator=(const TrayIconTheme&) = delete;

    // Reads the theme and loads the icon when its look or size changed.
    // True when the icon is another than before.
    bool refresh();
    HICON icon() const { return icon_; }
    TrayLook look() const { return look_; }

    // The settings change that may alter the icon: the taskbar's colours
    // ("ImmersiveColorSet") or high contrast. `text` is lParam of
    // WM_SETTINGCHANGE as the receiving window gets it (wide or not).
    static bool concernsIcon(WPARAM action, LPARAM text, bool wideText);

private:
    TrayLook look_ = TrayLook::Dark;
    int size_ = 0;
    HICON icon_ = nullptr;
};

// The taskbar's SystemUsesLightTheme, -1 when the value is missing.
int64_t taskbarLightTheme();
bool highContrastOn();

} // namespace velmora
