#include "app/win32/AppMainWindow.h"

namespace velmora {

namespace {
HWND g_mainWindow = nullptr;

// Any value will do as long as it is not 0: GetPropA answers 0 for "no property".
HANDLE const kMarker = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x564C4D52));

BOOL CALLBACK findMarkedWindow(HWND window, LPARAM found) {
    if (GetPropA(window, kMainWindowProperty) == kMarker) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}
} // namespace

const char* const kMainWindowProperty = "Velmora.PanelMainWindow";

HWND appMainWindow() { return g_mainWindow; }

void setAppMainWindow(HWND window, bool findable) {
    if (g_mainWindow && g_mainWindow != window && IsWindow(g_mainWindow))
        RemovePropA(g_mainWindow, kMainWindowProperty);
    g_mainWindow = window;
    if (window && findable) SetPropA(window, kMainWindowProperty, kMarker);
}

HWND findRunningPanelWindow() {
    HWND found = nullptr;
    EnumWindows(findMarkedWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

} // namespace velmora
