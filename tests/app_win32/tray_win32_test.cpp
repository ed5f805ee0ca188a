// The tray icon's window under Wine: what reaches the notification area (the
// calls are counted through the replaceable notify function), the commands a
// click delivers to the main window, and the popup menu as the menu loop
// shows it.
#include "app/win32/AppMainWindow.h"
#include "app/win32/CSystemTray.h"
#include "WineTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace velmora {
namespace {

using testing::RecordingWindow;
using testing::pumpMessages;
using testing::pumpUntil;

constexpr UINT kCallback = WM_USER + 100;
constexpr UINT kIconId = 163;
constexpr UINT kOpen = 32771;
constexpr UINT kExit = 32773;

struct NotifyCall {
    DWORD message;
    NOTIFYICONDATAA data;
};

std::vector<NotifyCall> g_calls;
BOOL g_answer = TRUE;

BOOL WINAPI recordNotify(DWORD message, PNOTIFYICONDATAA data) {
    NotifyCall call{message, {}};
    std::memcpy(&call.data, data, sizeof call.data);
    g_calls.push_back(call);
    return g_answer;
}

int countCalls(DWORD message) {
    int n = 0;
    for (const NotifyCall& call : g_calls) n += call.message == message;
    return n;
}

class TrayTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_calls.clear();
        g_answer = TRUE;
        saved_ = CSystemTray::notifyIcon;
        CSystemTray::notifyIcon = &recordNotify;
        setAppMainWindow(main_.hwnd());
        icon_ = LoadIconA(nullptr, MAKEINTRESOURCEA(32512)); // IDI_APPLICATION
    }
    void TearDown() override {
        setAppMainWindow(nullptr);
        CSystemTray::notifyIcon = saved_;
    }

    LRESULT notify(CSystemTray& tray, WPARAM id, UINT mouseMessage) {
        LRESULT result = tray.onTrayNotification(id, mouseMessage);
        pumpMessages();
        return result;
    }

    RecordingWindow main_;
    HICON icon_ = nullptr;
    CSystemTray::NotifyIconFn saved_ = nullptr;
};

TEST_F(TrayTest, CreateAddsTheIconWithTheVersionTwoRecord) {
    CSystemTray tray;
    ASSERT_TRUE(tray.create(main_.hwnd(), kCallback, "Velmora Control Panel", icon_, kIconId));
    ASSERT_EQ(g_calls.size(), 1u);
    const NotifyCall& add = g_calls[0];
    EXPECT_EQ(add.message, DWORD(NIM_ADD));
    EXPECT_EQ(add.data.cbSize, 504u) << "the version-2 size of the record on x64";
    EXPECT_EQ(add.data.hWnd, main_.hwnd()) << "notifications go to the main window";
    EXPECT_EQ(add.data.uID, kIconId);
    EXPECT_EQ(add.data.uFlags, UINT(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(add.data.uCallbackMessage, kCallback);
    EXPECT_EQ(add.data.hIcon, icon_);
    EXPECT_STREQ(add.data.szTip, "Velmora Control Panel");
    EXPECT_TRUE(tray.enabled());

    // The tray has a small invisible top-level popup window of its own.
    HWND own = tray.window();
    ASSERT_TRUE(IsWindow(own));
    EXPECT_FALSE(IsWindowVisible(own));
    EXPECT_EQ(GetParent(own), nullptr);
    EXPECT_TRUE(GetWindowLongA(own, GWL_STYLE) & WS_POPUP);
    RECT rect;
    GetWindowRect(own, &rect);
    EXPECT_EQ(rect.right - rect.left, 10);
    EXPECT_EQ(rect.bottom - rect.top, 10);
}

TEST_F(TrayTest, AnOverlongTipIsCutAtTheRecordsCapacity) {
    const std::string tip(300, 'T');
    CSystemTray tray;
    ASSERT_TRUE(tray.create(main_.hwnd(), kCallback, tip.c_str(), icon_, kIconId));
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(std::string(g_calls[0].data.szTip), std::string(127, 'T'));
    // Nothing was written past the tip into the fields that follow it.
    EXPECT_EQ(g_calls[0].data.dwState, 0u);
    EXPECT_EQ(g_calls[0].data.szInfo[0], '\0');
}

TEST_F(TrayTest, HideShowAndRemoveTalkToTheAreaOnlyWhenTheStateChanges) {
    {
        CSystemTray tray;
        ASSERT_TRUE(tray.create(main_.hwnd(), kCallback, "tip", icon_, kIconId));
        g_calls.clear();

        tray.showIcon(); // not hidden: nothing
        EXPECT_TRUE(g_calls.empty());
        tray.hideIcon();
        tray.hideIcon();
        EXPECT_EQ(countCalls(NIM_DELETE), 1) << "hiding twice deletes once";
        tray.showIcon();
        ASSERT_EQ(countCalls(NIM_ADD), 1);
        const NOTIFYICONDATAA& again = g_calls.back().data;
        EXPECT_EQ(again.uFlags, UINT(NIF_MESSAGE | NIF_ICON | NIF_TIP));
        EXPECT_EQ(again.uID, kIconId);
        EXPECT_EQ(again.hWnd, main_.hwnd());
        EXPECT_STREQ(again.szTip, "tip");

        tray.removeIcon();
        EXPECT_EQ(countCalls(NIM_DELETE), 2);
        EXPECT_FALSE(tray.enabled());
        tray.hideIcon();
        tray.showIcon();
        tray.removeIcon();
        EXPECT_EQ(g_calls.size(), 3u) << "a removed icon is gone for good";
    }
    EXPECT_EQ(g_calls.size(), 3u) << "destroying a removed tray deletes nothing more";
}

TEST_F(TrayTest, ANewTipReachesAShownIconAtOnceAndAHiddenOneWhenItComesBack) {
    CSystemTray tray;
    ASSERT_TRUE(tray.create(main_.hwnd(), kCallback, "Velmora Control Panel - No Device", icon_, kIconId));
    g_calls.clear();
    tray.setTip("Velmora Control Panel - 0001 - 48000 Hz");
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].message, DWORD(NIM_MODIFY));
    EXPECT_EQ(g_calls[0].data.uFlags, UINT(NIF_TIP));
    EXPECT_STREQ(g_calls[0].data.szTip, "Velmora Control Panel - 0001 - 48000 Hz");

    tray.hideIcon();
    g_calls.clear();
    tray.setTip(std::string(200, 'T').c_str()); // kept for the next add, cut to the record
    EXPECT_TRUE(g_calls.empty()) << "a hidden icon is not modified";
    tray.showIcon();
    ASSERT_EQ(countCalls(NIM_ADD), 1);
    EXPECT_EQ(g_calls.back().data.uFlags, UINT(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(std::string(g_calls.back().data.szTip), std::string(127, 'T'));
}

TEST_F(TrayTest, DestroyingTheTrayRemovesTheIconAndItsWindow) {
    HWND own = nullptr;
    {
        CSystemTray tray;
        ASSERT_TRUE(tray.create(main_.hwnd(), kCallback, "tip", icon_, kIconId));
        own = tray.window();
        g_calls.clear();
    }
    EXPECT_EQ(countCalls(NIM_DELETE), 1);
    EXPECT_EQ(g_calls.size(), 1u);
    EXPECT_FALSE(IsWindow(own));
}

TEST_F(TrayTest, AFailedCreateMakesNoLaterCallsToTheArea) {
    g_answer = FALSE;
    {
        CSystemTray tray;
        EXPECT_FALSE(tray.create(main_.hwnd(), kCallback, "tip", icon_, kIconId));
        EXPECT_FALSE(tray.enabled());
        g_calls.clear();
        tray.hideIcon();
        tray.showIcon();
        SendMessageA(tray.window(), CSystemTray::taskbarCreatedMessage(), 0, 0);
    }
    EXPECT_TRUE(g_calls.empty());
}

TEST_F(TrayTest, ARecreatedNotificationAreaGetsAShownIconBack) {
    CSystemTray tray;
    ASSERT_TRUE(tray.create(main_.hwnd(), kCallback, "tip", icon_, kIconId));
    const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    ASSERT_NE(taskbarCreated, 0u);
    g_calls.clear();

    // The shell broadcasts the message to every top-level window.
    SendMessageA(tray.window(), taskbarCreated, 0, 0);
    ASSERT_EQ(countCalls(NIM_ADD), 1);
    EXPECT_EQ(g_calls.back().data.uID, kIconId);
    EXPECT_EQ(g_calls.back().data.hWnd, main_.hwnd());

    tray.hideIcon();
    g_calls.clear();
    SendMessageA(tray.window(), taskbarCreated, 0, 0);
    EXPECT_TRUE(g_calls.empty()) << "a hidden icon stays out of the new area";
    tray.showIcon();
    EXPECT_EQ(countCalls(NIM_ADD), 1);

    tray.removeIcon();
    g_calls.clear();
    SendMessageA(tray.window(), taskbarCreated, 0, 0);
    EXPECT_TRUE(g_calls.empty()) << "a removed icon never comes back";
}

TEST_F(TrayTest, LeftClicksSendOpenToTheMainWindowOneCommandPerNotification) {
    CSystemTray tray;
    tray.create(main_.hwnd(), kCallback, "tip", icon_, kIconId);

    EXPECT_EQ(notify(tray, 164, WM_LBUTTONUP), 0);
    EXPECT_EQ(notify(tray, 0, WM_RBUTTONUP), 0);
    EXPECT_TRUE(main_.commands.empty()) << "another icon's notification is ignored";

    EXPECT_EQ(notify(tray, kIconId, WM_LBUTTONUP), 1);
    ASSERT_EQ(main_.commands.size(), 1u);
    EXPECT_EQ(main_.commands[0], WPARAM(kOpen));
    EXPECT_EQ(main_.commandControls[0], 0) << "a command with no control";

    // A double click arrives as release, double click, release.
    main_.commands.clear();
    for (UINT message : {UINT(WM_LBUTTONUP), UINT(WM_LBUTTONDBLCLK), UINT(WM_LBUTTONUP)})
        EXPECT_EQ(notify(tray, kIconId, message), 1);
    EXPECT_EQ(main_.commands, std::vector<WPARAM>(3, kOpen));

    main_.commands.clear();
    for (UINT message : {UINT(WM_MOUSEMOVE), UINT(WM_LBUTTONDOWN), UINT(WM_RBUTTONDOWN), UINT(WM_RBUTTONDBLCLK)})
        EXPECT_EQ(notify(tray, kIconId, message), 1) << message;
    EXPECT_TRUE(main_.commands.empty());
}

TEST_F(TrayTest, WithoutAParentTheTraysOwnWindowTakesTheNotifications) {
    CSystemTray tray;
    ASSERT_TRUE(tray.create(nullptr, kCallback, "tip", icon_, kIconId));
    ASSERT_FALSE(g_calls.empty());
    EXPECT_EQ(g_calls[0].data.hWnd, tray.window());

    EXPECT_EQ(SendMessageA(tray.window(), kCallback, kIconId, WM_LBUTTONUP), 1);
    EXPECT_EQ(SendMessageA(tray.window(), kCallback, 99, WM_LBUTTONUP), 0);
    pumpMessages();
    EXPECT_EQ(main_.commands, std::vector<WPARAM>(1, kOpen)) << "the command goes to the application's main window";
}

// The popup's look and the command it delivers, seen from inside the menu loop.
struct PopupSeen {
    bool opened = false;
    UINT defaultByPosition = UINT(-1);
    UINT firstId = 0, exitId = 0;
    bool firstIsDefault = false;
    std::string firstText, exitText; // Exit: the last item
    RECT menuRect{};
};

PopupSeen* g_seen = nullptr;
WPARAM g_key = 0; // character to type into the open menu; 0 dismisses it

HWND findMenuWindow() {
    return FindWindowA("#32768", nullptr);
}

void CALLBACK actOnMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    HWND menu = findMenuWindow();
    if (menu && g_seen) GetWindowRect(menu, &g_seen->menuRect);
    if (g_key)
        PostMessageA(menu ? menu : GetActiveWindow(), WM_CHAR, g_key, 0);
    else
        EndMenu();
}

void observe(HMENU popup) {
    PopupSeen& seen = *g_seen;
    seen.opened = true;
    seen.defaultByPosition = GetMenuDefaultItem(popup, TRUE, 0);
    seen.firstId = GetMenuItemID(popup, 0);
    const int last = GetMenuItemCount(popup) - 1;
    seen.exitId = GetMenuItemID(popup, last);
    seen.firstIsDefault = (GetMenuState(popup, 0, MF_BYPOSITION) & MFS_DEFAULT) != 0;
    char text[64] = {};
    GetMenuStringA(popup, 0, text, sizeof text, MF_BYPOSITION);
    seen.firstText = text;
    GetMenuStringA(popup, UINT(last), text, sizeof text, MF_BYPOSITION);
    seen.exitText = text;
    SetTimer(nullptr, 0, 100, &actOnMenu);
}

TEST_F(TrayTest, RightClickShowsThePopupWithOpenAsDefaultAndDismissingSendsNothing) {
    CSystemTray tray;
    tray.create(main_.hwnd(), kCallback, "tip", icon_, kIconId);
    SetCursorPos(300, 200);
    POINT cursor;
    GetCursorPos(&cursor);

    PopupSeen seen;
    g_seen = &seen;
    g_key = 0;
    main_.onMenuPopup = &observe;
    EXPECT_EQ(notify(tray, kIconId, WM_RBUTTONUP), 1);
    g_seen = nullptr;

    ASSERT_TRUE(seen.opened);
    EXPECT_EQ(seen.defaultByPosition, 0u) << "\"&Open\" is the default item";
    EXPECT_TRUE(seen.firstIsDefault);
    EXPECT_EQ(seen.firstId, kOpen);
    EXPECT_EQ(seen.firstText, "&Open");
    EXPECT_EQ(seen.exitId, kExit);
    EXPECT_EQ(seen.exitText, "E&xit");
    EXPECT_EQ(seen.menuRect.left, cursor.x) << "left-aligned at the cursor";
    EXPECT_EQ(seen.menuRect.top, cursor.y);

    EXPECT_TRUE(main_.commands.empty()) << "a dismissed menu sends nothing";
    EXPECT_EQ(main_.nullMessages, 1) << "the null message posted after the menu closed";
    EXPECT_EQ(findMenuWindow() ? IsWindowVisible(findMenuWindow()) : FALSE, FALSE);
}

TEST_F(TrayTest, ChoosingExitInThePopupDeliversTheExitCommand) {
    CSystemTray tray;
    tray.create(main_.hwnd(), kCallback, "tip", icon_, kIconId);

    PopupSeen seen;
    g_seen = &seen;
    g_key = 'x';
    main_.onMenuPopup = &observe;
    EXPECT_EQ(notify(tray, kIconId, WM_RBUTTONUP), 1);
    g_seen = nullptr;
    ASSERT_TRUE(seen.opened);
    pumpUntil([&] { return !main_.commands.empty(); }, 2000);
    EXPECT_EQ(main_.commands, std::vector<WPARAM>(1, kExit));
}

} // namespace
} // namespace velmora
