#include "app/OnScreenLevelPlace.h"

namespace velmora {

ScreenPoint onScreenLevelPlace(const ScreenRect& monitor, const ScreenRect& work, int width, int height) {
    const int m = ON_SCREEN_LEVEL_MARGIN;
    ScreenPoint at{work.right - width - m, work.bottom - height - m}; // taskbar at the bottom or right, or none
    if (work.top > monitor.top) at.y = work.top + m;                   // taskbar at the top: top right
    else if (work.left > monitor.left) at.x = work.left + m;           // at the left: bottom left
    if (at.x < work.left) at.x = work.left;
    if (at.y < work.top) at.y = work.top;
    return at;
}

} // namespace velmora
