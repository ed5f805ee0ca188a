// Where the on-screen level goes: in the corner of the monitor's work area
// nearest its notification area, which sits at the right (or bottom) end of
// the taskbar, whichever edge of the monitor the taskbar takes.
#pragma once

namespace velmora {

struct ScreenRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};
struct ScreenPoint {
    int x = 0, y = 0;
};

constexpr int ON_SCREEN_LEVEL_MARGIN = 12;
constexpr unsigned ON_SCREEN_LEVEL_MS = 1500;

// The top-left corner of a window of `width` x `height` on the monitor
// `monitor` whose work area (the monitor less the taskbar) is `work`.
ScreenPoint onScreenLevelPlace(const ScreenRect& monitor, const ScreenRect& work, int width, int height);

} // namespace velmora
