// Which of the panel's notification area icons suits the taskbar: light
// strokes on a dark taskbar, dark strokes on a light one, and a plain
// white-on-black picture while high contrast is on.
#pragma once

#include <cstdint>

namespace velmora {

enum class TrayLook { Dark, Light, HighContrast };

// `lightTheme`: the taskbar's SystemUsesLightTheme value, or a negative
// number when there is none (Windows before 10 1903, whose taskbar is dark).
constexpr TrayLook trayLookFor(bool highContrast, int64_t lightTheme)
{
    return highContrast ? TrayLook::HighContrast : lightTheme > 0 ? TrayLook::Light : TrayLook::Dark;
}

} // namespace velmora
