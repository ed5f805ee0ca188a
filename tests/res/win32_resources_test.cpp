// The resources as Windows' own loader sees them, linked into this test
// program exactly as into VelPanel.exe: bitmaps by name, menus, strings,
// dialog templates turned into windows, the icon group, the version block and
// the application manifest.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "res/resource.h"
#include "VelPanelVersion.h"

namespace {

HINSTANCE self() { return GetModuleHandleA(nullptr); }

struct Named {
  const char* name;
  int width, height, bits;
};

const Named kBitmaps[] = {
    {"BAK", 892, 372, 8},           {"BAK_PAGE_CONTROL", 662, 282, 8},
    {"BAK_PAGE_INFO", 662, 282, 8}, {"BTN_CONTROLU", 95, 19, 8},
    {"BTN_CONTROLD", 95, 19, 8},    {"BTN_INFOU", 94, 19, 8},
    {"BTN_INFOD", 94, 19, 8},       {"BTN_MON_OFF", 37, 17, 8},
    {"BTN_MON_ON", 37, 17, 8},      {"BTN_MIX_OFF", 37, 17, 8},
    {"BTN_MIX_ON", 37, 17, 8},      {"BTN_MUTELEFT_OFF", 20, 14, 8},
    {"BTN_MUTELEFT_ON", 20, 14, 8}, {"BTN_MUTERIGHT_OFF", 20, 14, 8},
    {"BTN_MUTERIGHT_ON", 20, 14, 8}, {"BTN_LINK_OFF", 29, 14, 8},
    {"BTN_LINK_ON", 29, 14, 8},     {"FADER_BACK", 17, 163, 8},
    {"FADER_KNOB_OFF", 17, 14, 8},  {"FADER_KNOB_ON", 17, 14, 8},
    {"PEAK_BACK", 7, 150, 4},       {"PEAK_FORE", 7, 150, 8},
    {"BTN_CONTROLF", 0, 0, 8},      {"BTN_CONTROLX", 0, 0, 8},
    {"BTN_CONFIGU", 0, 0, 8},       {"BTN_CONFIGD", 0, 0, 8},
    {"BTN_SPDIFOUT_ON", 0, 0, 8},   {"BTN_SPDIFOUT_OFF", 0, 0, 8},
};

std::string menuText(HMENU m, UINT pos) {
  char buf[128] = {};
  GetMenuStringA(m, pos, buf, sizeof buf, MF_BYPOSITION);
  return buf;
}

std::string windowText(HWND h) {
  char buf[256] = {};
  GetWindowTextA(h, buf, sizeof buf);
  return buf;
}

INT_PTR CALLBACK passiveDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

HWND makeDialog(int id, HWND parent) {
  return CreateDialogParamA(self(), MAKEINTRESOURCEA(id), parent, passiveDialog, 0);
}

}  // namespace

TEST(Win32Resources, EveryBitmapLoadsByNameAtItsSizeAndDepth) {
  for (const Named& b : kBitmaps) {
    SCOPED_TRACE(b.name);
    HBITMAP ddb = LoadBitmapA(self(), b.name);
    ASSERT_NE(ddb, nullptr);
    BITMAP info = {};
    ASSERT_NE(GetObjectA(ddb, sizeof info, &info), 0);
    if (b.width) {
      EXPECT_EQ(info.bmWidth, b.width);
      EXPECT_EQ(info.bmHeight, b.height);
    }
    DeleteObject(ddb);
    HBITMAP dib = static_cast<HBITMAP>(
        LoadImageA(self(), b.name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(dib, nullptr);
    DIBSECTION section = {};
    ASSERT_EQ(GetObjectA(dib, sizeof section, &section), int(sizeof section));
    EXPECT_EQ(section.dsBmih.biBitCount, b.bits);
    EXPECT_EQ(section.dsBmih.biCompression, DWORD(BI_RGB));
    DeleteObject(dib);
  }
}

TEST(Win32Resources, BackgroundsCarryTheColoursTheSelfPaintingControlsUse) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  struct Probe {
    const char* bitmap;
    int x, y;
    COLORREF colour;
  } probes[] = {
      {"BAK", 790, 96, RGB(221, 221, 221)},  {"BAK", 863, 215, RGB(221, 221, 221)},
      {"BAK", 716, 244, RGB(221, 221, 221)}, {"BAK", 835, 322, RGB(221, 221, 221)},
      {"BAK_PAGE_CONTROL", 330, 227, RGB(235, 235, 235)},
      {"BAK_PAGE_CONTROL", 648, 238, RGB(235, 235, 235)},
      {"BAK_PAGE_CONTROL", 658, 48, RGB(235, 235, 235)},
      {"BAK_PAGE_INFO", 111, 46, RGB(236, 236, 236)},
      {"BAK_PAGE_INFO", 200, 87, RGB(236, 236, 236)},
  };
  for (const Probe& p : probes) {
    SCOPED_TRACE(std::string(p.bitmap) + " " + std::to_string(p.x) + "," + std::to_string(p.y));
    HBITMAP bmp = LoadBitmapA(self(), p.bitmap);
    ASSERT_NE(bmp, nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    EXPECT_EQ(GetPixel(dc, p.x, p.y), p.colour);
    SelectObject(dc, old);
    DeleteObject(bmp);
  }
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
}

TEST(Win32Resources, TrayMenuFirstPopupOpensThenExits) {
  HMENU menu = LoadMenuA(self(), MAKEINTRESOURCEA(IDR_TRAY_MENU));
  ASSERT_NE(menu, nullptr);
  HMENU popup = GetSubMenu(menu, 0);
  ASSERT_NE(popup, nullptr);
  ASSERT_EQ(GetMenuItemCount(popup), 6);
  EXPECT_EQ(GetMenuItemID(popup, 0), UINT(ID_OPEN));
  EXPECT_EQ(menuText(popup, 0), "&Open");
  EXPECT_EQ(GetMenuState(popup, 1, MF_BYPOSITION) & MF_SEPARATOR, UINT(MF_SEPARATOR));
  // The snapshots and the log folder, then Exit last, as Windows users expect.
  HMENU snapshots = GetSubMenu(popup, 2);
  ASSERT_NE(snapshots, nullptr);
  EXPECT_EQ(menuText(popup, 2), "&Snapshots");
  ASSERT_EQ(GetMenuItemCount(snapshots), 8);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(GetMenuItemID(snapshots, i), UINT(ID_SNAPSHOT_1 + i));
  EXPECT_EQ(GetMenuItemID(popup, 3), UINT(ID_OPEN_LOG_FOLDER));
  EXPECT_EQ(GetMenuState(popup, 4, MF_BYPOSITION) & MF_SEPARATOR, UINT(MF_SEPARATOR));
  EXPECT_EQ(GetMenuItemID(popup, 5), UINT(ID_EXIT));
  EXPECT_EQ(menuText(popup, 5), "E&xit");
  DestroyMenu(menu);
}

TEST(Win32Resources, MainMenuCarriesTheConfigCommandsInTheirSubmenus) {
  HMENU menu = LoadMenuA(self(), MAKEINTRESOURCEA(IDR_MAIN_MENU));
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(GetMenuItemCount(menu), 2);
  EXPECT_EQ(menuText(menu, 0), "&File");
  EXPECT_EQ(menuText(menu, 1), "&Config");
  HMENU file = GetSubMenu(menu, 0);
  ASSERT_EQ(GetMenuItemCount(file), 4);
  EXPECT_EQ(GetMenuItemID(file, 0), UINT(ID_SAVE_SETTINGS_AS));
  EXPECT_EQ(GetMenuItemID(file, 1), UINT(ID_LOAD_SETTINGS));
  EXPECT_EQ(GetMenuState(file, 2, MF_BYPOSITION) & MF_SEPARATOR, UINT(MF_SEPARATOR));
  EXPECT_EQ(GetMenuItemID(file, 3), UINT(ID_EXIT));

  HMENU config = GetSubMenu(menu, 1);
  // The defined items, then a separator, "Peak Hold" (checked) and "Reset
  // Clip Indicators", a separator, "Names..." and the Snapshots:
  // "Store Current As...", a separator, slots 1..8; then "Hotkeys...", a
  // separator and "Remote Control...".
  ASSERT_EQ(GetMenuItemCount(config), 15);
  EXPECT_EQ(GetMenuItemID(config, 12), UINT(ID_HOTKEYS));
  EXPECT_EQ(menuText(config, 12), "&Hotkeys...");
  EXPECT_EQ(GetMenuItemID(config, 14), UINT(ID_REMOTE_CONTROL));
  EXPECT_EQ(menuText(config, 14), "&Remote Control...");
  EXPECT_EQ(GetMenuItemID(config, 10), UINT(ID_NAMES));
  EXPECT_EQ(menuText(config, 10), "&Names...");
  HMENU snapshots = GetSubMenu(config, 11);
  ASSERT_NE(snapshots, nullptr);
  ASSERT_EQ(GetMenuItemCount(snapshots), 10);
  EXPECT_EQ(GetMenuItemID(snapshots, 0), UINT(ID_SNAPSHOT_STORE));
  for (int i = 0; i < 8; ++i) EXPECT_EQ(GetMenuItemID(snapshots, i + 2), UINT(ID_SNAPSHOT_1 + i));
  EXPECT_EQ(GetMenuItemID(config, 7), UINT(ID_PEAK_HOLD));
  EXPECT_TRUE(GetMenuState(config, 7, MF_BYPOSITION) & MF_CHECKED);
  EXPECT_EQ(GetMenuItemID(config, 8), UINT(ID_RESET_CLIPS));
  EXPECT_EQ(GetMenuItemID(config, 0), UINT(ID_FACTORY_DEFAULT));
  EXPECT_EQ(menuText(config, 0), "&Factory Default");
  struct Sub {
    int pos;
    const char* title;
    std::vector<std::pair<UINT, std::string>> items;
  } subs[] = {
      {2, "Samplerate",
       {{ID_RATE_44100, "44100 Hz"}, {ID_RATE_48000, "48000 Hz"},
        {ID_RATE_88200, "88200 Hz"}, {ID_RATE_96000, "96000 Hz"}}},
      {3, "Clock", {{ID_CLOCK_AUTO, "Auto"}, {ID_CLOCK_INTERNAL, "Internal Only"}}},
      {5, "Latency",
       {{ID_LATENCY_1, "highspeed"}, {ID_LATENCY_2, "rapid"}, {ID_LATENCY_3, "fast"},
        {ID_LATENCY_4, "normal"}, {ID_LATENCY_5, "relaxed nomal"}, {ID_LATENCY_6, "relaxed"}}},
  };
  for (int sep : {1, 4})
    EXPECT_EQ(GetMenuState(config, sep, MF_BYPOSITION) & MF_SEPARATOR, UINT(MF_SEPARATOR)) << sep;
  for (const Sub& s : subs) {
    SCOPED_TRACE(s.title);
    EXPECT_EQ(menuText(config, s.pos), s.title);
    HMENU sub = GetSubMenu(config, s.pos);
    ASSERT_NE(sub, nullptr);
    ASSERT_EQ(GetMenuItemCount(sub), int(s.items.size()));
    for (size_t i = 0; i < s.items.size(); ++i) {
      EXPECT_EQ(GetMenuItemID(sub, int(i)), s.items[i].first);
      EXPECT_EQ(menuText(sub, UINT(i)), s.items[i].second);
    }
  }
  DestroyMenu(menu);
}

TEST(Win32Resources, AboutEntryStringIsThere) {
  char buf[128] = {};
  ASSERT_GT(LoadStringA(self(), IDS_ABOUTBOX, buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "VelPanel Information(&A)...");
}

TEST(Win32Resources, MainWindowTemplateIsAFixedFrameAppWindowWithTheMainMenu) {
  HWND w = makeDialog(IDD_VELPANEL_DIALOG, nullptr);
  ASSERT_NE(w, nullptr);
  LONG style = GetWindowLongA(w, GWL_STYLE), ex = GetWindowLongA(w, GWL_EXSTYLE);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & WS_VISIBLE);
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CHILD));
  EXPECT_TRUE(ex & WS_EX_APPWINDOW);
  EXPECT_EQ(windowText(w), "Velmora Control Panel - No Device");
  HMENU bar = GetMenu(w);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(menuText(bar, 1), "&Config");
  EXPECT_EQ(GetWindow(w, GW_CHILD), nullptr);

  // The two page templates: empty children that the Tab key walks into.
  for (int id : {IDD_PAGE_CONTROL, IDD_PAGE_INFO}) {
    SCOPED_TRACE(id);
    HWND page = makeDialog(id, w);
    ASSERT_NE(page, nullptr);
    LONG ps = GetWindowLongA(page, GWL_STYLE);
    EXPECT_TRUE(ps & WS_CHILD);
    EXPECT_TRUE(ps & WS_VISIBLE);
    EXPECT_FALSE(ps & (WS_CAPTION | WS_THICKFRAME));
    EXPECT_TRUE(GetWindowLongA(page, GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
    EXPECT_EQ(GetWindow(page, GW_CHILD), nullptr);
    DestroyWindow(page);
  }
  DestroyWindow(w);
}

TEST(Win32Resources, NamesDialogLabelsEveryFieldWithItsChannelInTabOrder) {
  HWND w = makeDialog(IDD_NAMES, nullptr);
  ASSERT_NE(w, nullptr);
  // Each field comes right after its label (a screen reader names a field by
  // the text before it), and Tab walks the fields in the channels' order.
  HWND field = GetDlgItem(w, IDC_NAME_FIRST);
  ASSERT_NE(field, nullptr);
  for (int i = 0; i < 26; ++i) {
    const std::string channel = i < 18 ? "Input " + std::to_string(i + 1) : "Output " + std::to_string(i - 17);
    ASSERT_EQ(GetDlgCtrlID(field), IDC_NAME_FIRST + i) << channel;
    EXPECT_EQ(windowText(GetWindow(field, GW_HWNDPREV)), channel);
    EXPECT_TRUE(GetWindowLongA(field, GWL_STYLE) & WS_TABSTOP) << channel;
    field = GetNextDlgTabItem(w, field, FALSE);
  }
  EXPECT_EQ(GetDlgCtrlID(field), IDOK);
  EXPECT_EQ(GetDlgCtrlID(GetNextDlgTabItem(w, field, FALSE)), IDCANCEL);
  DestroyWindow(w);
}

TEST(Win32Resources, HotkeysDialogLabelsEveryFieldAndWalksThemByKeyboard) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_HOTKEY_CLASS};
  InitCommonControlsEx(&controls);
  HWND w = makeDialog(IDD_HOTKEYS, nullptr);
  ASSERT_NE(w, nullptr);
  // The actions, then the options, then the snapshots: each field after its
  // label, in Tab order; the check box carries its own text.
  const std::vector<std::pair<int, std::string>> order = {
      {IDC_HOTKEY_FIRST + 0, "Volume up 0.5 dB"}, {IDC_HOTKEY_FIRST + 1, "Volume down 0.5 dB"},
      {IDC_HOTKEY_FIRST + 2, "Volume up, coarse step"}, {IDC_HOTKEY_FIRST + 3, "Volume down, coarse step"},
      {IDC_HOTKEY_FIRST + 4, "Mute on/off"}, {IDC_HOTKEY_FIRST + 5, "Dim on/off"},
      {IDC_HOTKEY_FIRST + 6, "Mute all outputs on/off"}, {IDC_HOTKEY_PAIR, "Monitor pair"},
      {IDC_HOTKEY_DIM, "Dim by (6 to 40 dB)"}, {IDC_HOTKEY_COARSE, "Coarse step"}, {IDC_HOTKEY_ON_SCREEN, ""}};
  HWND field = GetDlgItem(w, IDC_HOTKEY_FIRST);
  ASSERT_NE(field, nullptr);
  for (const auto& [id, label] : order) {
    ASSERT_EQ(GetDlgCtrlID(field), id) << label;
    if (!label.empty()) EXPECT_EQ(windowText(GetWindow(field, GW_HWNDPREV)), label);
    field = GetNextDlgTabItem(w, field, FALSE);
  }
  for (int slot = 1; slot <= 8; ++slot) {
    ASSERT_EQ(GetDlgCtrlID(field), IDC_HOTKEY_FIRST + 6 + slot);
    EXPECT_EQ(windowText(GetWindow(field, GW_HWNDPREV)), "Recall snapshot " + std::to_string(slot));
    field = GetNextDlgTabItem(w, field, FALSE);
  }
  EXPECT_EQ(GetDlgCtrlID(field), IDOK);
  DestroyWindow(w);
}

TEST(Win32Resources, RemoteDialogIsCompleteByKeyboardWithEachLabelBeforeItsField) {
  HWND w = makeDialog(IDD_REMOTE, nullptr);
  ASSERT_NE(w, nullptr);
  HWND control = GetDlgItem(w, IDC_REMOTE_ON);
  ASSERT_NE(control, nullptr);
  const int order[] = {IDC_REMOTE_ON, IDC_REMOTE_PORT, IDC_REMOTE_HOSTS, IDOK, IDCANCEL};
  for (int id : order) {
    ASSERT_EQ(GetDlgCtrlID(control), id);
    EXPECT_TRUE(GetWindowLongA(control, GWL_STYLE) & WS_TABSTOP) << id;
    control = GetNextDlgTabItem(w, control, FALSE);
  }
  EXPECT_EQ(windowText(GetWindow(GetDlgItem(w, IDC_REMOTE_PORT), GW_HWNDPREV)), "&Port:");
  EXPECT_EQ(windowText(GetWindow(GetDlgItem(w, IDC_REMOTE_HOSTS), GW_HWNDPREV)).rfind("Other &hosts", 0), 0u);
  DestroyWindow(w);
}

TEST(Win32Resources, AboutBoxShowsIconVersionAndClose) {
  HWND w = makeDialog(IDD_ABOUTBOX, nullptr);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(windowText(w), "VelPanel");
  LONG style = GetWindowLongA(w, GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & WS_THICKFRAME);
  HWND close = GetDlgItem(w, IDOK);
  ASSERT_NE(close, nullptr);
  EXPECT_EQ(windowText(close), "Close");
  EXPECT_EQ(GetWindowLongA(close, GWL_STYLE) & 0xF, BS_DEFPUSHBUTTON);
  std::set<std::string> texts;
  bool icon = false;
  for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    texts.insert(windowText(c));
    if ((GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
      icon = SendMessageA(c, STM_GETICON, 0, 0) != 0;
  }
  EXPECT_TRUE(texts.count("VelPanel v" VELPANEL_VERSION_SHORT));
  EXPECT_TRUE(icon) << "the about box's icon control found no icon 128";
  DestroyWindow(w);
}

TEST(Win32Resources, IconGroupHoldsSixteenThirtyTwoAndFortyEightPixelImages) {
  HRSRC res = FindResourceA(self(), MAKEINTRESOURCEA(IDR_MAINFRAME), MAKEINTRESOURCEA(14));
  ASSERT_NE(res, nullptr);  // RT_GROUP_ICON
  auto* dir = static_cast<const BYTE*>(LockResource(LoadResource(self(), res)));
  ASSERT_NE(dir, nullptr);
  for (int size : {16, 32, 48}) {
    SCOPED_TRACE(size);
    int id = LookupIconIdFromDirectoryEx(const_cast<BYTE*>(dir), TRUE, size, size, LR_DEFAULTCOLOR);
    ASSERT_NE(id, 0);
    HRSRC img = FindResourceA(self(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(3));  // RT_ICON
    ASSERT_NE(img, nullptr);
    auto* bits = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(self(), img)));
    EXPECT_EQ(bits->biWidth, size);
    HICON icon = static_cast<HICON>(
        LoadImageA(self(), MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, size, size, 0));
    EXPECT_NE(icon, nullptr);
    DestroyIcon(icon);
  }
}

TEST(Win32Resources, VersionBlockNamesMakerAndProduct) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  DWORD handle = 0, size = GetFileVersionInfoSizeA(path, &handle);
  ASSERT_GT(size, 0u);
  std::vector<char> data(size);
  ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, data.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT len = 0;
  ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &len));
  EXPECT_EQ(fixed->dwFileVersionMS, DWORD(MAKELONG(VELPANEL_VERSION_MINOR, VELPANEL_VERSION_MAJOR)));
  EXPECT_EQ(fixed->dwFileVersionLS, DWORD(MAKELONG(0, VELPANEL_VERSION_PATCH)));
  auto value = [&](const char* key) {
    char* s = nullptr;
    UINT n = 0;
    std::string q = std::string("\\StringFileInfo\\040904b0\\") + key;
    return VerQueryValueA(data.data(), q.c_str(), reinterpret_cast<void**>(&s), &n) && s
               ? std::string(s)
               : std::string();
  };
  EXPECT_EQ(value("CompanyName"), "Qor");
  EXPECT_EQ(value("FileVersion"), VELPANEL_FILE_VERSION);
  EXPECT_EQ(value("ProductName"), "VelPanel");
  EXPECT_EQ(value("FileDescription"), "Velmora Control Panel");
}

TEST(Win32Resources, ManifestAsksForCommonControlsSixWindowsSevenToElevenAndTheInvokersRights) {
  HRSRC res = FindResourceA(self(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
  ASSERT_NE(res, nullptr);
  const char* data = static_cast<const char*>(LockResource(LoadResource(self(), res)));
  ASSERT_NE(data, nullptr);
  const std::string xml(data, SizeofResource(self(), res));
  for (const char* part : {
           "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
           "publicKeyToken=\"6595b64144ccf1df\"",
           "<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>",
           "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // Windows 7
           "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // Windows 8
           "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // Windows 8.1
           "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // Windows 10 and 11
           ">true/pm</dpiAware>", ">PerMonitorV2, PerMonitor</dpiAwareness>"})
    EXPECT_NE(xml.find(part), std::string::npos) << part;

  // The loader took it: this process draws at the screen's scale itself,
  EXPECT_TRUE(IsProcessDPIAware());
  // and in it the platform's "Button" class is
  // the common controls' (version 6) one, by the activation context.
  ACTCTX_SECTION_KEYED_DATA found{};
  found.cbSize = sizeof found;
  EXPECT_TRUE(FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_WINDOW_CLASS_REDIRECTION, L"Button",
                                       &found));
}
