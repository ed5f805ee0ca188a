// VelPanel.exe as a process: one panel per session (a second start ends at
// once and brings the running panel back), the window hidden after start, the
// tray failure reported under a desktop without a notification area, and the
// end through Exit.
#include "ProcessDriver.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace velmora {
namespace {

using namespace velmora::testing;

constexpr const char* kTitle = "Velmora Control Panel";
constexpr DWORD kLimitMs = 20000;

std::string panelExe() {
    const char* exe = std::getenv("VELPANEL_EXE");
    return exe ? windowsPath(exe) : std::string();
}

bool hidden(HWND window) { return !IsWindowVisible(window); }
bool visible(HWND window) { return IsWindowVisible(window) != FALSE; }
bool iconic(HWND window) { return IsIconic(window) != FALSE; }

// Starts the panel and waits for its main window, dismissing the tray
// failure box that a desktop without a notification area brings.
HWND startPanel(Process& process, bool& trayBoxSeen) {
    trayBoxSeen = false;
    if (!launch("\"" + panelExe() + "\"", process)) return nullptr;
    const DWORD start = GetTickCount();
    HWND main = nullptr;
    while (GetTickCount() - start < kLimitMs) {
        if (HWND box = findBoxWithText(process.id, "Create fail! : Tray")) {
            trayBoxSeen = true;
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
        main = waitForDialog(process.id, kTitle, 0);
        if (main && trayBoxSeen && hidden(main)) break;
        Sleep(20);
    }
    return main;
}

TEST(PanelStartup, ASecondStartEndsAtOnceAndRestoresTheRunningPanel) {
    ASSERT_FALSE(panelExe().empty()) << "VELPANEL_EXE names the program";
    Process first;
    bool trayBoxSeen = false;
    HWND main = startPanel(first, trayBoxSeen);
    ASSERT_TRUE(main) << "the first panel's main window";
    EXPECT_TRUE(trayBoxSeen) << "without a notification area the tray failure is reported";
    EXPECT_EQ(windowText(main), "Velmora Control Panel - No Device");
    EXPECT_TRUE(waitFor(hidden, main, kLimitMs)) << "hidden after start";

    // A second start while the panel hides in the notification area: it ends
    // at once and leaves the panel as it was.
    {
        Process second;
        ASSERT_TRUE(launch("\"" + panelExe() + "\"", second));
        EXPECT_EQ(second.waitExit(kLimitMs), 0);
        EXPECT_TRUE(first.running());
        EXPECT_TRUE(hidden(main));
    }

    // A second start while the panel is minimised restores it.
    SendMessageA(main, WM_COMMAND, 32771, 0); // Open
    ASSERT_TRUE(waitFor(visible, main, kLimitMs));
    ShowWindow(main, SW_MINIMIZE);
    ASSERT_TRUE(waitFor(iconic, main, kLimitMs));
    {
        Process second;
        ASSERT_TRUE(launch("\"" + panelExe() + "\"", second));
        EXPECT_EQ(second.waitExit(kLimitMs), 0) << "the second start ends";
        EXPECT_EQ(waitForDialog(second.id, "", 0), nullptr);
    }
    EXPECT_TRUE(waitFor([](HWND w) { return !IsIconic(w); }, main, kLimitMs)) << "restored";
    EXPECT_TRUE(visible(main));

    // Exit ends the panel; a new start then runs as the first instance again.
    PostMessageA(main, WM_COMMAND, 32773, 0);
    EXPECT_EQ(first.waitExit(kLimitMs), 0);
    Process again;
    HWND mainAgain = startPanel(again, trayBoxSeen);
    ASSERT_TRUE(mainAgain) << "the mutex went with the first panel";
    EXPECT_TRUE(again.running());
    // Escape on the shown window ends the run like Exit.
    SendMessageA(mainAgain, WM_COMMAND, 32771, 0);
    PostMessageA(mainAgain, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(again.waitExit(kLimitMs), 0);
}

} // namespace
} // namespace velmora
