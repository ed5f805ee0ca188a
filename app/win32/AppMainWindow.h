// The application's main window, as the whole process sees it (the tray asks
// for it at the moment of each click).
#pragma once

#include <windows.h>

namespace velmora {

HWND appMainWindow();
// `findable`: marked (see below) so that a second start finds it, which the
// panel's window is only once it takes requests.
void setAppMainWindow(HWND window, bool findable = true);

// The property that marks the panel's main window, so that a second start can
// find the running panel among the top-level windows of the session.
extern const char* const kMainWindowProperty;

// The running panel's main window, or null.
HWND findRunningPanelWindow();

} // namespace velmora
