// Counts this process's GDI objects and USER objects (windows, menus). Wine's
// GetGuiResources answers 0, so the handle tables are probed instead: a handle
// value whose high word is 0 names the table slot whatever its generation.
#pragma once

#include <windows.h>

namespace velmora {

struct GuiObjectCount {
    int gdi = 0;
    int user = 0;
};

inline GuiObjectCount countGuiObjects() {
    GuiObjectCount count;
    const DWORD self = GetCurrentProcessId();
    for (ULONG_PTR slot = 1; slot < 0x10000; ++slot) {
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(slot))) ++count.gdi;
        HWND window = reinterpret_cast<HWND>(slot);
        if (IsWindow(window)) {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            if (process == self) ++count.user;
        } else if (IsMenu(reinterpret_cast<HMENU>(slot))) {
            ++count.user;
        }
    }
    return count;
}

} // namespace velmora
