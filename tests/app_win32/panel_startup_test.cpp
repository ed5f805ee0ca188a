// VelPanel.exe as a process: one panel per session (a second start ends at
// once and shows the running panel, whatever hid it), the window hidden after
// start, the tray failure reported under a desktop without a notification
// area, Escape and Enter hiding the window, and the end through Exit.
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

// Whether the Control page is the page shown: the page holding the first
// fader is visible.
bool controlPageShown(HWND main) {
    HWND found = nullptr;
    EnumChildWindows(main, [](HWND window, LPARAM out) -> BOOL {
        if (GetDlgCtrlID(window) != 12384) return TRUE;
        *reinterpret_cast<HWND*>(out) = window;
        return FALSE;
    }, reinterpret_cast<LPARAM>(&found));
    return found && (GetWindowLongA(GetParent(found), GWL_STYLE) & WS_VISIBLE);
}

// A second start of the program: it ends at once, with code 0 and no window
// of its own.
void startASecondTime() {
    Process second;
    ASSERT_TRUE(launch("\"" + panelExe() + "\"", second));
    EXPECT_EQ(second.waitExit(kLimitMs), 0) << "the second start ends";
    EXPECT_EQ(waitForDialog(second.id, "", 0), nullptr);
}

TEST(PanelStartup, ASecondStartShowsTheRunningPanelWhateverHidItAndEnds) {
    ASSERT_FALSE(panelExe().empty()) << "VELPANEL_EXE names the program";
    Process first;
    bool trayBoxSeen = false;
    HWND main = startPanel(first, trayBoxSeen);
    ASSERT_TRUE(main) << "the first panel's main window";
    EXPECT_TRUE(trayBoxSeen) << "without a notification area the tray failure is reported";
    EXPECT_EQ(windowText(main), "Velmora Control Panel - No Device");
    EXPECT_TRUE(waitFor(hidden, main, kLimitMs)) << "hidden after start";

    // Hidden at start, with no unit and no icon to click: a second start is
    // the user's way back to the panel.
    startASecondTime();
    EXPECT_TRUE(waitFor(visible, main, kLimitMs)) << "shown by the second start";
    EXPECT_TRUE(first.running());

    // Hidden by its close box on the Info page: shown again, on the Control page.
    SendMessageA(main, WM_COMMAND, 8194, 0);
    SendMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(waitFor(hidden, main, kLimitMs));
    startASecondTime();
    EXPECT_TRUE(waitFor(visible, main, kLimitMs));
    EXPECT_TRUE(controlPageShown(main));

    // Minimised: restored.
    ShowWindow(main, SW_MINIMIZE);
    ASSERT_TRUE(waitFor(iconic, main, kLimitMs));
    startASecondTime();
    EXPECT_TRUE(waitFor([](HWND w) { return !IsIconic(w); }, main, kLimitMs)) << "restored";
    EXPECT_TRUE(visible(main));

    // Escape and Enter hide the window like its close box: the panel runs on.
    for (WPARAM key : {WPARAM(VK_ESCAPE), WPARAM(VK_RETURN)}) {
        PostMessageA(main, WM_KEYDOWN, key, 1);
        EXPECT_TRUE(waitFor(hidden, main, kLimitMs)) << "key " << key;
        EXPECT_TRUE(first.running()) << "key " << key;
        startASecondTime();
        ASSERT_TRUE(waitFor(visible, main, kLimitMs));
    }

    // Exit ends the panel; a new start then runs as the first instance again.
    PostMessageA(main, WM_COMMAND, 32773, 0);
    EXPECT_EQ(first.waitExit(kLimitMs), 0);
    Process again;
    HWND mainAgain = startPanel(again, trayBoxSeen);
    ASSERT_TRUE(mainAgain) << "the mutex went with the first panel";
    EXPECT_TRUE(again.running());
    PostMessageA(mainAgain, WM_COMMAND, 32773, 0);
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
