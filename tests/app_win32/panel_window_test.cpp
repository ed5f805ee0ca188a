// The real main window, run modally in this process under Wine: its place and
// size, the controls it builds and their looks, the background it paints, the
// system-menu entry and the about box, hiding, showing and ending, and the
// window objects it keeps over many page switches.
#include "app/win32/AppMainWindow.h"
#include "app/win32/CPanelDlg.h"
#include "settings/MemorySettingsStore.h"
#include "WineTestSupport.h"
#include "GuiObjectCount.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace velmora {
namespace {

constexpr int kTemplate = 102;
constexpr int kBackgroundWidth = 892, kBackgroundHeight = 372;

// ---- running the window ------------------------------------------------------

BOOL g_trayAnswer = TRUE;
int g_trayAdds = 0;
std::string g_trayTip; // the tip of the latest add or modify
BOOL WINAPI fakeNotify(DWORD message, PNOTIFYICONDATAA data) {
    if (message == NIM_ADD) ++g_trayAdds;
    if ((message == NIM_ADD || message == NIM_MODIFY) && data && (data->uFlags & NIF_TIP)) g_trayTip = data->szTip;
    return g_trayAnswer;
}

CPanelDlg* g_dialog = nullptr; // the window under test, while it runs

std::function<void(HWND)> g_script;
std::function<bool()> g_beforeStart; // runs on each tick until it answers true
bool g_started = false;

int g_ticks = 0;

void CALLBACK tick(HWND, UINT, UINT_PTR timer, DWORD) {
    if (g_started) return;
    if (g_beforeStart && !g_beforeStart()) return;
    HWND main = appMainWindow();
    // A few turns of the modal loop after start: the dialog manager's own
    // first show has happened by then.
    if (!main || ++g_ticks < 3) return;
    g_started = true;
    KillTimer(nullptr, timer);
    g_script(main);
    if (IsWindow(main)) SendMessageA(main, WM_COMMAND, 32773, 0); // Exit
}

// Runs the main window until `script` (called shortly after start) and an
// Exit command end it. Answers the modal result.
INT_PTR runPanel(std::function<void(HWND)> script, std::function<bool()> beforeStart = nullptr) {
    MemorySettingsStore store;
    g_script = std::move(script);
    g_beforeStart = std::move(beforeStart);
    g_started = false;
    g_ticks = 0;
    CSystemTray::NotifyIconFn saved = CSystemTray::notifyIcon;
    CSystemTray::notifyIcon = &fakeNotify;
    SetTimer(nullptr, 0, 20, &tick);
    INT_PTR result;
    {
        CPanelDlg dialog(store);
        g_dialog = &dialog;
        result = dialog.runModal(nullptr, kTemplate);
        g_dialog = nullptr;
    }
    CSystemTray::notifyIcon = saved;
    MSG msg; // the quit message that ended the run must not end the next one
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
    EXPECT_TRUE(g_started) << "the window never came up";
    return result;
}

// ---- looking at the window -----------------------------------------------------

RECT clientRectOf(HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::vector<HWND> directChildren(HWND parent) {
    std::vector<HWND> children;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) children.push_back(c);
    return children;
}

std::string classOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string textOf(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string rectText(const RECT& r) {
    char text[64];
    std::snprintf(text, sizeof text, "(%ld, %ld, %ld, %ld)", r.left, r.top, r.right, r.bottom);
    return text;
}

// The dialog among this thread's top-level windows that holds a static text
// `text` (a message box or the about box), or null.
HWND findBoxWithText(const char* text) {
    struct Search {
        const char* text;
        HWND found;
    } search{text, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        if (classOf(window) != "#32770" || window == appMainWindow()) return TRUE;
        for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            if (textOf(c) == s->text) {
                s->found = window;
                return FALSE;
            }
        return TRUE;
    }, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

COLORREF pixelOf(HDC dc, int x, int y) {
    return GetPixel(dc, x, y);
}

// ---- the tests -------------------------------------------------------------------

TEST(PanelWindow, SitsCentredByItsBackgroundWithTheOuterSizeFromTheSystemMetrics) {
    runPanel([](HWND main) {
        EXPECT_FALSE(IsWindowVisible(main)) << "hidden right after start";
        RECT outer;
        GetWindowRect(main, &outer);
        const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
        EXPECT_EQ(outer.left, (screenW - kBackgroundWidth) / 2);
        EXPECT_EQ(outer.top, (screenH - kBackgroundHeight) / 2);
        EXPECT_EQ(outer.right - outer.left,
                  kBackgroundWidth + 2 * GetSystemMetrics(SM_CXBORDER) + GetSystemMetrics(SM_CXFRAME));
        EXPECT_EQ(outer.bottom - outer.top,
                  kBackgroundHeight + 2 * GetSystemMetrics(SM_CYBORDER) + GetSystemMetrics(SM_CYFRAME) +
                      GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYMENU));
        RECT client;
        GetClientRect(main, &client);
        std::printf("[ figures  ] screen %dx%d, outer %ldx%ld at (%ld, %ld), client %ldx%ld\n", screenW, screenH,
                    outer.right - outer.left, outer.bottom - outer.top, outer.left, outer.top, client.right,
                    client.bottom);

        EXPECT_EQ(textOf(main), "Velmora Control Panel - No Device");
        EXPECT_TRUE(GetMenu(main)) << "the main menu";
        EXPECT_TRUE(GetWindowLongA(main, GWL_EXSTYLE) & WS_EX_APPWINDOW);
        EXPECT_TRUE(SendMessageA(main, WM_GETICON, ICON_BIG, 0));
        EXPECT_TRUE(SendMessageA(main, WM_GETICON, ICON_SMALL, 0));
        EXPECT_EQ(SendMessageA(main, WM_QUERYDRAGICON, 0, 0), SendMessageA(main, WM_GETICON, ICON_BIG, 0));
    });
}

TEST(PanelWindow, BuildsItsControlsAtTheirPlaces) {
    runPanel([](HWND main) {
        struct Expected {
            int id;
            RECT rect;
            const char* text;
            bool ownerDrawn;
        };
        const Expected controls[] = {
            {8192, {25, 22, 120, 41}, "control button", true},
            {8194, {120, 22, 215, 41}, "config button", true},
            {16432, {716, 244, 796, 260}, "Consumer", false},
            {16433, {716, 260, 796, 276}, "Professional", false},
            {16416, {716, 291, 836, 307}, "+ 4dBv(Balanced)", false},
            {16417, {716, 307, 836, 323}, "-10dBv(Unbalanced)", false},
        };
        for (const Expected& e : controls) {
            HWND control = GetDlgItem(main, e.id);
            ASSERT_TRUE(control) << e.id;
            EXPECT_EQ(rectText(clientRectOf(control)), rectText(e.rect)) << e.id;
            EXPECT_EQ(textOf(control), e.text);
            EXPECT_EQ(classOf(control), "Button");
            const LONG style = GetWindowLongA(control, GWL_STYLE);
            EXPECT_TRUE(style & WS_VISIBLE) << e.id;
            EXPECT_TRUE(style & WS_CHILD) << e.id;
            EXPECT_EQ(style & BS_TYPEMASK, e.ownerDrawn ? BS_OWNERDRAW : BS_RADIOBUTTON)
                << e.id << ": the radio buttons are plain, so only the program sets their marks";
            if (!e.ownerDrawn) {
                EXPECT_EQ(SendMessageA(control, BM_GETCHECK, 0, 0), BST_UNCHECKED) << "no mark after start";
                LOGFONTA font{};
                ASSERT_TRUE(GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)),
                                       sizeof font, &font));
                EXPECT_EQ(font.lfHeight, 12);
                EXPECT_EQ(font.lfWeight, FW_BOLD);
                EXPECT_STREQ(font.lfFaceName, "Arial");
                EXPECT_FALSE(font.lfItalic || font.lfUnderline || font.lfStrikeOut);
            }
        }

        // The status column: six borderless texts without an id, top to bottom.
        std::vector<RECT> status;
        for (HWND child : directChildren(main)) {
            const RECT r = clientRectOf(child);
            if (r.left == 790) {
                EXPECT_EQ(GetDlgCtrlID(child), -1);
                EXPECT_TRUE(GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE);
                status.push_back(r);
            }
        }
        std::sort(status.begin(), status.end(), [](const RECT& a, const RECT& b) { return a.top < b.top; });
        const int tops[] = {96, 120, 135, 158, 183, 202};
        ASSERT_EQ(status.size(), 6u);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(rectText(status[i]), rectText(RECT{790, tops[i], 790 + 74, tops[i] + 14})) << i;
    });
}

// The two pages: child dialogs at (24, 53) with the size of their backgrounds,
// Control page first.
std::vector<HWND> pagesOf(HWND main) {
    std::vector<HWND> pages;
    for (HWND child : directChildren(main))
        if (classOf(child) == "#32770") pages.push_back(child);
    return pages;
}

bool shown(HWND window) { return (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0; }

TEST(PanelWindow, TabsAndOpenSwitchBetweenTheTwoPages) {
    runPanel([](HWND main) {
        std::vector<HWND> pages = pagesOf(main);
        ASSERT_EQ(pages.size(), 2u);
        for (HWND page : pages)
            EXPECT_EQ(rectText(clientRectOf(page)), rectText(RECT{24, 53, 24 + 662, 53 + 282}));
        // Which one is the Control page: the one with the faders and meters.
        HWND control = directChildren(pages[0]).size() > directChildren(pages[1]).size() ? pages[0] : pages[1];
        HWND info = control == pages[0] ? pages[1] : pages[0];
        EXPECT_TRUE(shown(control)) << "Control page after start";
        EXPECT_FALSE(shown(info));

        SendMessageA(main, WM_COMMAND, 8194, 0);
        EXPECT_FALSE(shown(control));
        EXPECT_TRUE(shown(info));
        SendMessageA(main, WM_COMMAND, 8193, 0); // no control has this id
        EXPECT_TRUE(shown(info));
        SendMessageA(main, WM_COMMAND, 8192, 0);
        EXPECT_TRUE(shown(control));
        EXPECT_FALSE(shown(info));

        SendMessageA(main, WM_COMMAND, 8194, 0);
        SendMessageA(main, WM_CLOSE, 0, 0);
        SendMessageA(main, WM_COMMAND, 32771, 0); // Open
        EXPECT_TRUE(IsWindowVisible(main));
        EXPECT_TRUE(shown(control)) << "Open always shows the Control page";
        EXPECT_FALSE(shown(info));
    });
}

TEST(PanelWindow, RadioButtonsTakeThePanelsColoursAndOtherControlsTheDefault) {
    runPanel([](HWND main) {
        HDC dc = GetDC(main);
        for (int id : {16416, 16417, 16432, 16433}) {
            SetTextColor(dc, RGB(1, 2, 3));
            SetBkMode(dc, OPAQUE);
            auto brush = reinterpret_cast<HBRUSH>(
                SendMessageA(main, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                             reinterpret_cast<LPARAM>(GetDlgItem(main, id))));
            LOGBRUSH look{};
            ASSERT_TRUE(GetObjectA(brush, sizeof look, &look)) << id;
            EXPECT_EQ(look.lbStyle, UINT(BS_SOLID));
            EXPECT_EQ(look.lbColor, RGB(221, 221, 221));
            EXPECT_EQ(GetTextColor(dc), RGB(47, 47, 47));
            EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
            LOGFONTA font{};
            GetObjectA(GetCurrentObject(dc, OBJ_FONT), sizeof font, &font);
            EXPECT_STREQ(font.lfFaceName, "Arial");
            EXPECT_EQ(font.lfWeight, FW_BOLD);
        }
        // A tab is no radio button: it keeps the platform's default colours.
        SetTextColor(dc, RGB(1, 2, 3));
        SendMessageA(main, WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(GetDlgItem(main, 8192)));
        EXPECT_NE(GetTextColor(dc), RGB(47, 47, 47));
        ReleaseDC(main, dc);
    });
}

TEST(PanelWindow, PaintsItsBackgroundOneToOne) {
    runPanel([](HWND main) {
        SendMessageA(main, WM_COMMAND, 32771, 0); // Open
        ASSERT_TRUE(IsWindowVisible(main));
        RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);

        HBITMAP bak = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), "BAK", IMAGE_BITMAP, 0, 0, 0));
        ASSERT_TRUE(bak);
        HDC screen = GetDC(main);
        HDC source = CreateCompatibleDC(screen);
        HDC copy = CreateCompatibleDC(screen);
        HBITMAP shot = CreateCompatibleBitmap(screen, kBackgroundWidth, kBackgroundHeight);
        HGDIOBJ oldSource = SelectObject(source, bak);
        HGDIOBJ oldCopy = SelectObject(copy, shot);
        BitBlt(copy, 0, 0, kBackgroundWidth, kBackgroundHeight, screen, 0, 0, SRCCOPY);
        // Points of the background that no control covers.
        const POINT points[] = {{2, 2}, {10, 200}, {300, 10}, {700, 60}, {889, 369}, {12, 360}, {700, 230}};
        for (const POINT& p : points)
            EXPECT_EQ(pixelOf(copy, p.x, p.y), pixelOf(source, p.x, p.y)) << p.x << "," << p.y;
        SelectObject(source, oldSource);
        SelectObject(copy, oldCopy);
        DeleteObject(shot);
        DeleteObject(bak);
        DeleteDC(source);
        DeleteDC(copy);
        ReleaseDC(main, screen);
    });
}

TEST(PanelWindow, SystemMenuOpensTheAboutBox) {
    runPanel([](HWND main) {
        HMENU system = GetSystemMenu(main, FALSE);
        ASSERT_TRUE(system);
        const int count = GetMenuItemCount(system);
        ASSERT_GE(count, 2);
        EXPECT_EQ(GetMenuItemID(system, count - 1), 16u);
        char text[64] = {};
        GetMenuStringA(system, count - 1, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(text, "VelPanel Information(&A)...");
        EXPECT_TRUE(GetMenuState(system, count - 2, MF_BYPOSITION) & MF_SEPARATOR);

        static bool seen;
        static std::string caption;
        seen = false;
        SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR timer, DWORD) {
            HWND about = findBoxWithText("VelPanel v1.06");
            if (!about) return;
            KillTimer(nullptr, timer);
            seen = true;
            caption = textOf(about);
            SendMessageA(about, WM_COMMAND, IDOK, 0); // "Close"
        });
        // The command's low four bits are the platform's own.
        SendMessageA(main, WM_SYSCOMMAND, 16 | 3, 0);
        EXPECT_TRUE(seen);
        EXPECT_EQ(caption, "VelPanel");
        EXPECT_TRUE(IsWindow(main)) << "the about box ends alone";
    });
}

TEST(PanelWindow, CloseHidesOpenShowsAndTheMouseOverTheBackgroundTakesTheFocus) {
    runPanel([](HWND main) {
        SendMessageA(main, WM_COMMAND, 32771, 0);
        EXPECT_TRUE(IsWindowVisible(main));
        SendMessageA(main, WM_CLOSE, 0, 0);
        EXPECT_FALSE(IsWindowVisible(main));
        EXPECT_TRUE(IsWindow(main)) << "closing only hides";
        SendMessageA(main, WM_COMMAND, 32771, 0);
        EXPECT_TRUE(IsWindowVisible(main));

        SetFocus(GetDlgItem(main, 16416));
        ASSERT_EQ(GetFocus(), GetDlgItem(main, 16416));
        SendMessageA(main, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
        EXPECT_EQ(GetFocus(), main);
    });
}

// Presses a key on the focused window as the modal loop delivers it: through
// the dialog manager (and its message filter), then to the window. Shift and
// Ctrl are held as asked while the key is handled.
void pressKey(HWND main, WPARAM key, bool shift = false, bool control = false) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    BYTE held[256];
    std::copy(std::begin(keys), std::end(keys), held);
    held[VK_SHIFT] = shift ? 0x80 : 0;
    held[VK_CONTROL] = control ? 0x80 : 0;
    SetKeyboardState(held);
    HWND target = GetFocus() ? GetFocus() : main;
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, 0xC0000001);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!IsDialogMessageA(main, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    SetKeyboardState(keys);
}

TEST(PanelWindow, EscapeAndEnterHideTheWindowLikeItsCloseBox) {
    for (WPARAM key : {WPARAM(VK_ESCAPE), WPARAM(VK_RETURN)}) {
        runPanel([key](HWND main) {
            SendMessageA(main, WM_COMMAND, 32771, 0);
            ASSERT_TRUE(IsWindowVisible(main));
            SetFocus(GetDlgItem(main, 8192));
            pressKey(main, key);
            EXPECT_FALSE(IsWindowVisible(main)) << "key " << key;
            EXPECT_TRUE(IsWindow(main)) << "key " << key << ": the panel runs on";
            SendMessageA(main, WM_COMMAND, 32771, 0);
            EXPECT_TRUE(IsWindowVisible(main)) << "Open shows it again";
        });
    }
}

TEST(PanelWindow, AFailedTrayIconIsReportedAndTheWindowCarriesOn) {
    static bool boxSeen;
    boxSeen = false;
    g_trayAnswer = FALSE;
    runPanel([](HWND main) { EXPECT_TRUE(IsWindow(main)); },
             [] {
                 if (boxSeen) return true;
                 HWND box = findBoxWithText("Create fail! : Tray");
                 if (box) {
                     boxSeen = true;
                     PostMessageA(box, WM_COMMAND, IDOK, 0);
                 }
                 return false;
             });
    g_trayAnswer = TRUE;
    EXPECT_TRUE(boxSeen);
}

TEST(PanelWindow, ThousandPageSwitchesKeepTheWindowObjectsCount) {
    runPanel([](HWND main) {
        SendMessageA(main, WM_COMMAND, 32771, 0);
        auto switchPages = [main](int times) {
            for (int i = 0; i < times; ++i) {
                SendMessageA(main, WM_COMMAND, 8194, 0);
                UpdateWindow(main);
                SendMessageA(main, WM_COMMAND, 8192, 0);
                UpdateWindow(main);
                testing::pumpMessages();
            }
        };
        switchPages(10); // caches settle
        const GuiObjectCount before = countGuiObjects();
        switchPages(1000);
        const GuiObjectCount after = countGuiObjects();
        std::printf("[ figures  ] 1000 page switches: GDI objects %d -> %d, USER objects %d -> %d\n", before.gdi,
                    after.gdi, before.user, after.user);
        EXPECT_LE(after.gdi - before.gdi, 4);
        EXPECT_LE(after.user - before.user, 0);
    });
}

TEST(PanelWindow, TheTrayTipSaysNoDeviceUntilAUnitComes) {
    runPanel([](HWND) {
        EXPECT_EQ(g_trayTip, "Velmora Control Panel - No Device");
        g_dialog->setTrayTip("Velmora Control Panel - 0001 - 48000 Hz");
        EXPECT_EQ(g_trayTip, "Velmora Control Panel - 0001 - 48000 Hz");
    });
}

} // namespace
} // namespace velmora
