// The real main window, run modally in this process under Wine: its place and
// size, the controls it builds and their looks, the background it paints, the
// system-menu entry and the about box, hiding, showing and ending, the window
// objects it keeps over many page switches, the keyboard, what screen readers
// hear, and every text drawn whole in its cell.
#include "app/win32/AppMainWindow.h"
#include "app/win32/CPanelDlg.h"
#include "settings/MemorySettingsStore.h"
#include "tests/ui_win32/PixelProbe.h"
#include "ui/ControlPageLogic.h"
#include "ui/SkinFonts.h"
#include "ui/win32/CSkinText.h"
#include "AccessibleProbe.h"
#include "WineTestSupport.h"
#include "GuiObjectCount.h"
#include "VelPanelVersion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
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
                EXPECT_EQ(font.lfHeight, fontChoice(SkinFont::Label).height);
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
            HWND about = findBoxWithText("VelPanel v" VELPANEL_VERSION_SHORT);
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

TEST(PanelWindow, AboutRequestsPiledUpWhileTheBoxIsOpenOnlyBringItForward) {
    runPanel([](HWND main) {
        static int most;
        static int ticks;
        most = 0;
        ticks = 0;
        for (int i = 0; i < 300; ++i) PostMessageA(main, WM_SYSCOMMAND, 16, 0);
        SetTimer(nullptr, 0, 30, [](HWND, UINT, UINT_PTR timer, DWORD) {
            int open = 0;
            EnumThreadWindows(GetCurrentThreadId(), [](HWND w, LPARAM count) -> BOOL {
                for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
                    if (textOf(c) == "VelPanel v" VELPANEL_VERSION_SHORT) ++*reinterpret_cast<int*>(count);
                return TRUE;
            }, reinterpret_cast<LPARAM>(&open));
            most = std::max(most, open);
            // Every request has been taken in by now: close what is open.
            if (++ticks < 10) return;
            if (HWND about = findBoxWithText("VelPanel v" VELPANEL_VERSION_SHORT)) SendMessageA(about, WM_COMMAND, IDOK, 0);
            else KillTimer(nullptr, timer);
        });
        SendMessageA(main, WM_SYSCOMMAND, 16, 0);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        EXPECT_EQ(most, 1);
        EXPECT_TRUE(IsWindow(main));
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

TEST(PanelWindow, AnOpenThatComesBeforeTheHideAtStartWins) {
    // A second start while this panel is still starting: its Open arrives
    // while the tray failure box holds the start, before the hide at start.
    static bool opened;
    opened = false;
    g_trayAnswer = FALSE;
    runPanel([](HWND main) { EXPECT_TRUE(IsWindowVisible(main)) << "the user asked for the window"; },
             [] {
                 HWND box = findBoxWithText("Create fail! : Tray");
                 if (box && !opened) {
                     opened = true;
                     PostMessageA(appMainWindow(), WM_COMMAND, 32771, 0);
                     PostMessageA(box, WM_COMMAND, IDOK, 0);
                 }
                 return opened && !box;
             });
    g_trayAnswer = TRUE;
    EXPECT_TRUE(opened);
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


// ---- keyboard, screen readers, text ----------------------------------------------

// COM for the accessibility objects of this thread, as the program has it.
struct ComApartment {
    ComApartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComApartment() { CoUninitialize(); }
};

// A descendant by control id (page controls are grandchildren of the window).
HWND descendant(HWND main, int id) {
    std::pair<int, HWND> search(id, nullptr);
    EnumChildWindows(main, [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<std::pair<int, HWND>*>(param);
        if (GetDlgCtrlID(window) != s->first) return TRUE;
        s->second = window;
        return FALSE;
    }, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

int focusedId() { return GetDlgCtrlID(GetFocus()); }
std::string heardValue(HWND window) { return testing::readAccessible(window).value; }

bool imageShown(HWND control, const char* image) {
    const test::Pixels want = test::resourcePixels(image), shot = test::capture(control);
    for (int y = 0; y < want.height; ++y)
        for (int x = 0; x < want.width; ++x)
            if (shot.at(x, y) != want.at(x, y)) return false;
    return true;
}

TEST(PanelWindow, TheKeyboardReachesEveryControlInOrder) {
    ComApartment com;
    runPanel([](HWND main) {
        SendMessageA(main, WM_COMMAND, 32771, 0); // Open
        // A record's check marks: the Tab key lands on them and chooses nothing.
        g_dialog->setRadioCheck(16433, true);
        g_dialog->setRadioCheck(16417, true);
        SetFocus(GetDlgItem(main, 8192));
        const std::vector<int> stops = {8192,  8194,  12384, 12385, 12386, 12387, 12388, 12389, 12390, 12391,
                                        12288, 12304, 12320, 12305, 12306, 12321, 12307, 12308, 12322, 12309,
                                        12310, 12323, 12311, 12289, 12336, 16433, 16417, 8192};
        for (bool back : {false, true}) {
            std::vector<int> walked = {focusedId()};
            for (size_t i = 1; i < stops.size(); ++i) {
                pressKey(main, VK_TAB, back);
                walked.push_back(focusedId());
            }
            EXPECT_EQ(walked, back ? std::vector<int>(stops.rbegin(), stops.rend()) : stops) << "Shift: " << back;
        }
        for (int id : {16432, 16433, 16416, 16417})
            EXPECT_EQ(SendMessageA(GetDlgItem(main, id), BM_GETCHECK, 0, 0), id % 2 ? BST_CHECKED : BST_UNCHECKED) << id;

        // The focused tab shows a focus rectangle; without the focus, its image alone.
        EXPECT_FALSE(imageShown(GetDlgItem(main, 8192), "BTN_CONTROLD"));
        pressKey(main, VK_TAB);
        EXPECT_TRUE(imageShown(GetDlgItem(main, 8192), "BTN_CONTROLD"));

        // A fader's page is 6 dB, Home and End its ends; its label follows.
        pressKey(main, VK_TAB);
        HWND fader = GetFocus();
        ASSERT_EQ(focusedId(), 12384);
        const std::pair<WPARAM, const char*> keys[] = {
            {VK_NEXT, "-6.0 dB"}, {VK_END, "-63.5 dB"}, {VK_HOME, "0.0 dB"}, {VK_DOWN, "-0.5 dB"}, {VK_PRIOR, "0.0 dB"}};
        for (const auto& [key, value] : keys) {
            pressKey(main, key);
            EXPECT_EQ(heardValue(fader), value) << key;
        }
        EXPECT_EQ(heardValue(descendant(main, 12400)), "0.0dB");

        // Space acts as a click on a switch and on a selector; arrows move within the selectors.
        SetFocus(descendant(main, 12288));
        pressKey(main, VK_SPACE);
        EXPECT_EQ(heardValue(descendant(main, 12288)), "on");
        SetFocus(descendant(main, 12336));
        pressKey(main, VK_DOWN);
        EXPECT_EQ(focusedId(), 12337);
        pressKey(main, VK_SPACE);
        EXPECT_EQ(SendMessageA(descendant(main, 12337), BM_GETCHECK, 0, 0), BST_CHECKED);

        // Ctrl+Tab and Ctrl+Shift+Tab switch pages as the tabs do.
        HWND control = GetParent(fader);
        SetFocus(fader);
        pressKey(main, VK_TAB, false, true);
        EXPECT_FALSE(shown(control));
        EXPECT_EQ(focusedId(), 8194);
        pressKey(main, VK_TAB, false, true);
        EXPECT_TRUE(shown(control));
        EXPECT_EQ(focusedId(), 8192);
        pressKey(main, VK_TAB, true, true);
        EXPECT_FALSE(shown(control));
        EXPECT_TRUE(IsWindowVisible(main));
    });
}

TEST(PanelWindow, ScreenReadersHearNamesValuesAndRolesAndTheWindowNamesStay) {
    ComApartment com;
    runPanel([](HWND main) {
        SendMessageA(main, WM_COMMAND, 32771, 0);
        g_dialog->setStatusText(2, "44100 Hz");
        HWND sampleRate = nullptr;
        for (HWND child : directChildren(main))
            if (clientRectOf(child).left == 790 && clientRectOf(child).top == 135) sampleRate = child;
        struct Heard {
            HWND window;
            const char* name;
            const char* value;
            long role;
            const char* windowName;
        };
        const Heard heard[] = {
            {GetDlgItem(main, 8192), "Control", "", ROLE_SYSTEM_PAGETAB, "control button"},
            {GetDlgItem(main, 16417), "Output level: -10dBv(Unbalanced)", "", ROLE_SYSTEM_RADIOBUTTON,
             "-10dBv(Unbalanced)"},
            {sampleRate, "Sample rate", "44100 Hz", ROLE_SYSTEM_STATICTEXT, "static winodw"},
            {descendant(main, 12386), "Output 3 volume", "0.0 dB", ROLE_SYSTEM_SLIDER, "peak window"},
            {descendant(main, 12304), "Output 1 mute", "off", ROLE_SYSTEM_CHECKBUTTON, "control button"},
            {descendant(main, 12323), "Outputs 7 and 8 link", "off", ROLE_SYSTEM_CHECKBUTTON, "control button"},
            {descendant(main, 12339), "S/PDIF output 4", "", ROLE_SYSTEM_RADIOBUTTON, "S/PDIF OUT"},
            {descendant(main, 12407), "Output 8 level", "0.0dB", ROLE_SYSTEM_STATICTEXT, "static winodw"},
            {descendant(main, 12352), "Input 1 meter", "0%", ROLE_SYSTEM_PROGRESSBAR, "peak window"},
            {GetParent(descendant(main, 12384)), "Control page", "", ROLE_SYSTEM_PROPERTYPAGE, ""},
        };
        for (const Heard& h : heard) {
            SCOPED_TRACE(h.name);
            const testing::AccessibleReading r = testing::readAccessible(h.window);
            ASSERT_TRUE(r.found);
            EXPECT_EQ(r.name, h.name);
            EXPECT_EQ(r.value, h.value);
            EXPECT_EQ(r.role, h.role);
            EXPECT_EQ(textOf(h.window), h.windowName) << "the window's own name is left alone";
        }
        // The default action is a click, as a reader does it: checked, selected.
        HWND mute = descendant(main, 12304);
        EXPECT_EQ(testing::readAccessible(mute).defaultAction, "Check");
        ASSERT_TRUE(testing::readAccessible(mute, true).found);
        ASSERT_TRUE(testing::readAccessible(GetDlgItem(main, 8194), true).found);
        testing::pumpMessages();
        EXPECT_EQ(testing::readAccessible(mute).state & STATE_SYSTEM_CHECKED, STATE_SYSTEM_CHECKED);
        EXPECT_EQ(heardValue(mute), "on");
        EXPECT_EQ(testing::readAccessible(GetDlgItem(main, 8194)).state & STATE_SYSTEM_SELECTED, STATE_SYSTEM_SELECTED);
        EXPECT_FALSE(shown(GetParent(mute)));
    });
}

// Right-most column that differs from the picture's top-left pixel (the
// background); -1 when nothing is drawn.
int inkRight(const test::Pixels& shot) {
    int right = -1;
    for (int y = 0; y < shot.height; ++y)
        for (int x = right + 1; x < shot.width; ++x)
            if (shot.at(x, y) != shot.at(0, 0)) right = x;
    return right;
}

// What a control shows against a twin of it that has all the room it wants:
// the same ink, all of it within the control.
void expectDrawnWhole(HWND shown, HWND twin, const std::string& what) {
    const test::Pixels part = test::capture(shown), whole = test::capture(twin);
    EXPECT_LT(inkRight(whole), part.width) << what << " fits";
    for (int y = 0; y < part.height; ++y)
        for (int x = 0; x < part.width; ++x)
            if (part.at(x, y) != whole.at(x, y)) {
                ADD_FAILURE() << what << ": differs from the whole text at " << x << "," << y;
                return;
            }
}

TEST(PanelWindow, EveryTextItsCellsCanShowIsDrawnWhole) {
    runPanel([](HWND main) {
        SendMessageA(main, WM_COMMAND, 32771, 0);
        // Metric check: each text's extent in the control's own font, after the
        // radio glyph, against the control's cell, with 2 pixels to spare for
        // rounding. Liberation Sans has Arial's metrics: the same holds on Windows.
        HDC dc = GetDC(main);
        std::map<std::string, int> leastSpare;
        auto measure = [&](const std::string& what, HWND control, const std::vector<std::string>& texts, int indent) {
            HFONT font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
            LOGFONTA look{};
            ASSERT_TRUE(GetObjectA(font, sizeof look, &look)) << what;
            EXPECT_EQ(look.lfWidth, 0) << what << ": nothing squeezed";
            HGDIOBJ old = SelectObject(dc, font);
            TEXTMETRICA metrics{};
            GetTextMetricsA(dc, &metrics);
            EXPECT_TRUE(metrics.tmPitchAndFamily & TMPF_TRUETYPE) << what << ": an outline font";
            RECT cell;
            GetClientRect(control, &cell);
            EXPECT_LE(metrics.tmHeight, cell.bottom) << what;
            for (const std::string& text : texts) {
                SIZE extent{};
                GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
                const int spare = cell.right - indent - extent.cx;
                EXPECT_GE(spare, 2) << what << " \"" << text << "\"";
                if (!leastSpare.count(what) || spare < leastSpare[what]) leastSpare[what] = spare;
            }
            SelectObject(dc, old);
        };
        std::vector<std::string> decibels;
        for (int v = 0; v <= 127; ++v) decibels.push_back(volumeLabel(v));
        for (int id = 12400; id <= 12407; ++id) measure("dB label", descendant(main, id), decibels, 0);
        for (int id : {16432, 16433, 16416, 16417})
            measure("radio", GetDlgItem(main, id), {textOf(GetDlgItem(main, id))}, RADIO_TEXT_INDENT);
        for (int id = 12336; id <= 12339; ++id) measure("S/PDIF OUT", descendant(main, id), {"S/PDIF OUT"}, RADIO_TEXT_INDENT);
        std::vector<HWND> status;
        for (HWND child : directChildren(main))
            if (clientRectOf(child).left == 790) status.push_back(child);
        std::sort(status.begin(), status.end(), [](HWND a, HWND b) { return clientRectOf(a).top < clientRectOf(b).top; });
        for (HWND line : status)
            measure("status", line, {"Velmora HS", "Internal", "Digital", "88200 Hz", "highspeed", "relaxed nomal",
                                     "18CH / 24 Bit"}, 0);
        std::vector<HWND> pages = pagesOf(main);
        HWND info = directChildren(pages[0]).size() < directChildren(pages[1]).size() ? pages[0] : pages[1];
        std::vector<HWND> lines = directChildren(info);
        std::sort(lines.begin(), lines.end(), [](HWND a, HWND b) { return clientRectOf(a).top < clientRectOf(b).top; });
        ASSERT_EQ(lines.size(), 4u);
        const std::vector<std::string> infoTexts[4] = {{"Qor"}, {"Velmora, REV1.0"}, {"2.1.3", "10.10.10"},
                                                       {"0001", "E2EINST1"}};
        for (int i = 0; i < 4; ++i) measure("Info line " + std::to_string(i), lines[i], infoTexts[i], 0);
        ReleaseDC(main, dc);
        for (const auto& [what, spare] : leastSpare) std::printf("[ figures  ] %s: %d px to spare\n", what.c_str(), spare);

        // Pixel check: the longest texts as the cells show them, against twins
        // with room to spare in a free strip of the same parent (same colours).
        HWND fader = descendant(main, 12384);
        SendMessageA(fader, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 50));
        SendMessageA(fader, WM_LBUTTONUP, 0, MAKELPARAM(8, 400)); // released below the track: -63.5dB
        testing::pumpMessages();
        g_dialog->setStatusText(3, "relaxed nomal");
        CSkinText labelTwin, statusTwin;
        labelTwin.create(GetParent(descendant(main, 12400)), 300, 8, 300, 12, -1, RGB(6, 6, 6), RGB(235, 235, 235),
                         "-63.5dB", SkinFont::SmallText);
        statusTwin.create(main, 24, 345, 300, 14, -1, RGB(123, 123, 123), RGB(221, 221, 221), "relaxed nomal");
        expectDrawnWhole(descendant(main, 12400), labelTwin.hwnd(), "-63.5dB");
        expectDrawnWhole(status[3], statusTwin.hwnd(), "relaxed nomal");
        SetFocus(main);
        for (int id : {16433, 16417, 12337}) {
            HWND radio = id < 16000 ? descendant(main, id) : GetDlgItem(main, id);
            const POINT at = id < 16000 ? POINT{300, 8} : POINT{24, 345};
            HWND twin = CreateWindowExA(0, "BUTTON", textOf(radio).c_str(), WS_CHILD | WS_VISIBLE | BS_RADIOBUTTON,
                                        at.x, at.y, 300, 16, GetParent(radio),
                                        reinterpret_cast<HMENU>(static_cast<INT_PTR>((id & 0xFFF0) | 0xE)),
                                        GetModuleHandleA(nullptr), nullptr);
            SendMessageA(twin, WM_SETFONT, SendMessageA(radio, WM_GETFONT, 0, 0), TRUE);
            expectDrawnWhole(radio, twin, textOf(radio));
            DestroyWindow(twin);
        }
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

namespace velmora {
namespace {

// ---- the screen's scale -------------------------------------------------------

// This process's DPI, as the platform took it from the registry at start.
DisplayScale processScale() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return DisplayScale{dpi};
}

TEST(PanelScale, TheWindowGrowsWithTheScreensScaleAndEveryTextIsDrawnWhole) {
    // Run at 96, 144 and 192 DPI (a prefix of its own for each scale).
    const DisplayScale scale = processScale();
    std::printf("[ figures  ] running at %d DPI\n", scale.dpi);
    runPanel([scale](HWND main) {
        SendMessageA(main, WM_COMMAND, 32771, 0);
        testing::pumpMessages();
        RECT client;
        GetClientRect(main, &client);
        EXPECT_EQ(client.right, scale.px(kBackgroundWidth));
        EXPECT_EQ(client.bottom, scale.px(kBackgroundHeight));
        HWND professional = GetDlgItem(main, 16433), spdif = descendant(main, 12336);
        EXPECT_EQ(clientRectOf(professional).left, scale.px(716));
        EXPECT_EQ(clientRectOf(GetParent(spdif)).left, scale.px(24));
        // Each text in its control's font fits its cell after the radio glyph
        // (which grows with the scale), with 2 pixels to spare.
        HDC dc = GetDC(main);
        auto spare = [dc](HWND control, const char* text, int indent) {
            HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
            SIZE extent{};
            GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &extent);
            SelectObject(dc, old);
            RECT cell;
            GetClientRect(control, &cell);
            return cell.right - indent - extent.cx;
        };
        const int radioIndent = scale.px(RADIO_TEXT_INDENT);
        EXPECT_GE(spare(professional, "Professional", radioIndent), 2);
        EXPECT_GE(spare(GetDlgItem(main, 16417), "-10dBv(Unbalanced)", radioIndent), 2);
        EXPECT_GE(spare(spdif, "S/PDIF OUT", radioIndent), 2);
        EXPECT_GE(spare(descendant(main, 12400), "-63.5dB", 0), 2);
        ReleaseDC(main, dc);
        // Pixels: the drawn ink of "Professional" and "S/PDIF OUT" ends
        // before the cell's right edge (a cut text runs into it).
        for (HWND control : {professional, spdif}) {
            // The window moved so that the control is on the screen.
            RECT at, frame;
            GetWindowRect(control, &at);
            GetWindowRect(main, &frame);
            SetWindowPos(main, nullptr, frame.left + 100 - at.left, frame.top + 100 - at.top, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            testing::pumpMessages();
            const test::Pixels shot = test::capture(control);
            // Ink: the text's dark pixels (the glyph's are lighter).
            auto ink = [](uint32_t p) { return ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) < 300; };
            int right = -1;
            for (int y = 0; y < shot.height; ++y)
                for (int x = 0; x < shot.width; ++x)
                    if (ink(shot.at(x, y))) right = std::max(right, x);
            EXPECT_GT(right, shot.width / 2) << textOf(control) << ": drawn";
            EXPECT_LT(right, shot.width - 2) << textOf(control) << ": ends inside its cell";
        }
    });
}

TEST(PanelScale, AMoveToAnotherScaleTakesTheSuggestedRectangleAndComesBackToTheSamePixels) {
    runPanel([](HWND main) {
        SendMessageA(main, WM_COMMAND, 32771, 0);
        testing::pumpMessages();
        const DisplayScale from = processScale();
        const DisplayScale to{from.dpi == 192 ? 144 : 192};
        RECT window, client;
        GetWindowRect(main, &window);
        GetClientRect(main, &client);
        const test::Pixels before = test::capture(main);
        auto moveTo = [&](DisplayScale scale, RECT suggested) {
            SendMessageA(main, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(scale.dpi, scale.dpi),
                         reinterpret_cast<LPARAM>(&suggested));
            testing::pumpMessages();
        };
        const int frameX = (window.right - window.left) - client.right;
        const int frameY = (window.bottom - window.top) - client.bottom;
        moveTo(to, RECT{10, 10, 10 + frameX + to.px(kBackgroundWidth), 10 + frameY + to.px(kBackgroundHeight)});
        RECT moved;
        GetWindowRect(main, &moved);
        EXPECT_EQ(moved.left, 10);
        EXPECT_EQ(moved.right - moved.left, frameX + to.px(kBackgroundWidth));
        const std::vector<HWND> pages = pagesOf(main);
        ASSERT_FALSE(pages.empty());
        RECT page;
        GetClientRect(pages[0], &page);
        EXPECT_EQ(page.right, to.px(662));
        EXPECT_EQ(clientRectOf(descendant(main, 12384)).top, to.px(62));
        LOGFONTA label{};
        GetObjectA(reinterpret_cast<HFONT>(SendMessageA(GetDlgItem(main, 16433), WM_GETFONT, 0, 0)), sizeof label,
                   &label);
        EXPECT_EQ(label.lfHeight, to.px(fontChoice(SkinFont::Label).height));
        moveTo(from, window);
        const test::Pixels after = test::capture(main);
        EXPECT_TRUE(after.data == before.data) << "the window's pixels at its first scale again";
    });
}

} // namespace
} // namespace velmora
