// VelPanel.exe as a process: one panel per session (a second start ends at
// once and brings the running panel back), the window hidden after start, the
// tray failure reported under a desktop without a notification area, and the
// end through Exit.
#include "ProcessDriver.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
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
HWND startPanel(Process& process, bool& trayBoxSeen, const std::string& exe = panelExe()) {
    trayBoxSeen = false;
    if (!launch("\"" + exe + "\"", process)) return nullptr;
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

// The stored value of a key below HKCU as Wine's own `reg` shows it: the hex
// digits of the REG_BINARY value, or "" when there is none.
std::string storedHex(const std::string& key) {
    const std::string out = runAndCapture("reg query \"HKCU\\" + key + "\" /v VelConfig");
    const size_t type = out.find("REG_BINARY");
    if (type == std::string::npos) return {};
    std::string hex;
    for (size_t i = type + 10; i < out.size() && out[i] != '\n'; ++i)
        if (std::isxdigit(static_cast<unsigned char>(out[i]))) hex += out[i];
    return hex;
}

// A copy of the program under another name keeps its settings under that name.
std::string copyProgramAs(const char* baseName) {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    const std::string copy = std::string(temp) + baseName + ".exe";
    return CopyFileA(panelExe().c_str(), copy.c_str(), FALSE) ? copy : std::string();
}

TEST(PanelStartup, ARunWithoutAUnitLeavesTheStoredSettingsAsTheyWere) {
    // A stored record (352 bytes) under the name of a renamed copy.
    std::string seed;
    for (int i = 0; i < 352; ++i) {
        char byte[3];
        std::snprintf(byte, sizeof byte, "%02X", (i * 7 + 3) & 0xFF);
        seed += byte;
    }
    const std::string key = "Software\\Qor\\PanelSeed\\velpanel";
    runAndCapture("reg add \"HKCU\\" + key + "\" /v VelConfig /t REG_BINARY /d " + seed + " /f");
    ASSERT_EQ(storedHex(key), seed);

    const std::string copy = copyProgramAs("PanelSeed");
    ASSERT_FALSE(copy.empty());
    Process panel;
    bool trayBoxSeen = false;
    HWND main = startPanel(panel, trayBoxSeen, copy);
    ASSERT_TRUE(main);
    EXPECT_TRUE(trayBoxSeen);
    // Open and close the window, switch pages, then Exit: no unit came, so
    // the blank settings of the run must not replace the stored ones.
    SendMessageA(main, WM_COMMAND, 32771, 0);
    SendMessageA(main, WM_COMMAND, 8194, 0);
    SendMessageA(main, WM_CLOSE, 0, 0);
    PostMessageA(main, WM_COMMAND, 32773, 0);
    EXPECT_EQ(panel.waitExit(kLimitMs), 0);
    EXPECT_EQ(storedHex(key), seed);
    DeleteFileA(copy.c_str());
}

} // namespace
} // namespace velmora
