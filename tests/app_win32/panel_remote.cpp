// panel_remote: asks the running panel for what a user would do, for the
// screenshot script. The panel's main window is the one marked by the panel
// itself (see AppMainWindow.h).
//
//   panel_remote wait [ms]       wait for the main window, pressing OK on a tray failure box
//   panel_remote open            the tray's Open command (shows the Control page)
//   panel_remote command <id>    post WM_COMMAND <id> to the main window
//   panel_remote popup           a right click on the tray icon (the popup menu opens)
//   panel_remote cancel-menu     closes an open popup menu
//   panel_remote title           prints the main window's title
//   panel_remote fader <n> <steps>  moves fader n (0..7) by that many wheel notches (+ up) and
//                                   waits until its label shows where it went
//   panel_remote point <x> <y>   puts the mouse pointer there (a tip shows where it rests)
//
// A first argument --desktop=NAME works on that desktop (a Wine virtual
// desktop started as "explorer /desktop=NAME,...") instead of the default one.
//
// Exit status: 0 done, 1 failed or timed out, 2 usage.
#include "app/win32/AppMainWindow.h"
#include "tests/app_win32/AccessibleProbe.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

using velmora::findRunningPanelWindow;

namespace {

const UINT kTrayNotify = WM_USER + 100;
const UINT kTrayIconId = 163;

BOOL CALLBACK pressOkOnTrayBox(HWND window, LPARAM) {
    char text[64] = {};
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        GetWindowTextA(child, text, sizeof text);
        if (std::strcmp(text, "Create fail! : Tray") == 0) {
            PostMessageA(window, WM_COMMAND, IDOK, 0);
            return FALSE;
        }
    }
    return TRUE;
}

HWND descendant(HWND top, int id) {
    std::pair<int, HWND> search(id, nullptr);
    EnumChildWindows(top, [](HWND window, LPARAM found) -> BOOL {
        auto* s = reinterpret_cast<std::pair<int, HWND>*>(found);
        if (GetDlgCtrlID(window) != s->first) return TRUE;
        s->second = window;
        return FALSE;
    }, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

HWND waitForPanel(DWORD limitMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        EnumWindows(pressOkOnTrayBox, 0);
        HWND main = findRunningPanelWindow();
        if (main || GetTickCount() - start > limitMs) return main;
        Sleep(50);
    }
}

} // namespace

int main(int argc, char** argv) {
    const char* desktopName = nullptr;
    if (argc > 1 && std::strncmp(argv[1], "--desktop=", 10) == 0) {
        desktopName = argv[1] + 10;
        ++argv;
        --argc;
    }
    if (argc < 2) {
        std::fprintf(stderr, "usage: panel_remote wait [ms] | open | command <id> | popup | cancel-menu | title"
                             " | fader <n> <steps> | point <x> <y>\n");
        return 2;
    }
    const char* action = argv[1];
    const DWORD limit = (std::strcmp(action, "wait") == 0 && argc > 2) ? std::strtoul(argv[2], nullptr, 10) : 5000;
    if (desktopName) {
        // The virtual desktop comes up with the program started in it.
        const DWORD start = GetTickCount();
        HDESK desktop = nullptr;
        while (!(desktop = OpenDesktopA(desktopName, 0, FALSE, GENERIC_ALL)) && GetTickCount() - start < limit)
            Sleep(50);
        if (!desktop || !SetThreadDesktop(desktop)) {
            std::fprintf(stderr, "panel_remote: no desktop %s\n", desktopName);
            return 1;
        }
    }
    HWND main = waitForPanel(limit);
    if (!main) {
        std::fprintf(stderr, "panel_remote: no panel window\n");
        return 1;
    }
    if (std::strcmp(action, "wait") == 0) return 0;
    if (std::strcmp(action, "open") == 0) return PostMessageA(main, WM_COMMAND, 32771, 0) ? 0 : 1;
    if (std::strcmp(action, "command") == 0 && argc > 2)
        return PostMessageA(main, WM_COMMAND, std::strtoul(argv[2], nullptr, 10), 0) ? 0 : 1;
    if (std::strcmp(action, "popup") == 0) {
        // Where the click happened: the menu opens at the cursor.
        SetCursorPos(1000, 700); // near the notification area of a 1024x768 desktop
        return PostMessageA(main, kTrayNotify, kTrayIconId, WM_RBUTTONUP) ? 0 : 1;
    }
    if (std::strcmp(action, "cancel-menu") == 0) {
        HWND menu = FindWindowA("#32768", nullptr);
        if (menu) PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        return PostMessageA(main, WM_CANCELMODE, 0, 0) ? 0 : 1;
    }
    if (std::strcmp(action, "fader") == 0 && argc > 3) {
        const int output = std::atoi(argv[2]);
        const int steps = std::atoi(argv[3]);
        HWND fader = descendant(main, 12384 + output);
        HWND label = descendant(main, 12400 + output);
        if (!fader || !label) return 1;
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        // The fader's value reads "-31.5 dB": position 127 + 2 x dB.
        const double before = std::atof(velmora::testing::readAccessible(fader).value.c_str());
        int target = static_cast<int>(127 + 2 * before) + steps;
        target = target < 0 ? 0 : target > 127 ? 127 : target;
        char wanted[32];
        std::snprintf(wanted, sizeof wanted, "%.1fdB", (target - 127) * 0.5);
        const short delta = steps > 0 ? WHEEL_DELTA : -WHEEL_DELTA;
        for (int i = 0; i < std::abs(steps); ++i)
            if (!PostMessageA(fader, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)), 0)) return 1;
        const DWORD start = GetTickCount();
        while (velmora::testing::readAccessible(label).value != wanted && GetTickCount() - start < 30000) Sleep(50);
        const bool reached = velmora::testing::readAccessible(label).value == wanted;
        CoUninitialize();
        return reached ? 0 : 1;
    }
    if (std::strcmp(action, "taskbar-theme") == 0 && argc > 2) {
        // The taskbar turns light (1) or dark (0, or -1: no value, as before
        // the light theme), announced as the platform does to every window.
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize", 0,
                            nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
            return 1;
        const long light = std::strtol(argv[2], nullptr, 10);
        const DWORD value = static_cast<DWORD>(light);
        if (light < 0)
            RegDeleteValueW(key, L"SystemUsesLightTheme");
        else
            RegSetValueExW(key, L"SystemUsesLightTheme", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
        RegCloseKey(key);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"ImmersiveColorSet"),
                            SMTO_ABORTIFHUNG, 5000, &ignored);
        return 0;
    }
    if (std::strcmp(action, "point") == 0 && argc > 3)
        return SetCursorPos(std::atoi(argv[2]), std::atoi(argv[3])) ? 0 : 1;
    if (std::strcmp(action, "title") == 0) {
        char text[256] = {};
        GetWindowTextA(main, text, sizeof text);
        std::printf("%s\n", text);
        return 0;
    }
    std::fprintf(stderr, "panel_remote: unknown action %s\n", action);
    return 2;
}
