#include "app/win32/CPanelDlg.h"

#include "app/CommandLine.h"
#include "app/MenuCommands.h"
#include "app/win32/AppMainWindow.h"
#include "app/win32/LogFolder.h"
#include "app/win32/CPanelApp.h"
#include "app/win32/WideText.h"
#include "device/win32/DeviceListenerService.h"
#include "res/resource.h"
#include "ui/AccessibleText.h"
#include "ui/KeyboardOrder.h"
#include "ui/UnitLabel.h"
#include "ui/win32/CControlPage.h"
#include "ui/win32/CInfoPage.h"
#include "ui/win32/SkinFontCache.h"

#include <new>

#include <wtsapi32.h>

namespace velmora {

namespace {
const COLORREF kPanelColor = RGB(221, 221, 221);
const COLORREF kRadioTextColor = RGB(47, 47, 47);

const COLORREF kStatusTextColor = RGB(123, 123, 123);
const int kStatusTextX = 790;
const int kStatusTextTop[PanelView::STATUS_TEXT_COUNT] = {96, 120, 135, 158, 183, 202};
const int kStatusTextWidth = 74;
const int kStatusTextHeight = 14;
const RECT kControlTab{25, 22, 120, 41};
const RECT kInfoTab{120, 22, 215, 41};
const POINT kPageOrigin{controlpage::PAGE_POSITION.x, controlpage::PAGE_POSITION.y}; // both pages

// A cell of the window's layout (pixels at 96 DPI) at a scale.
PixelBox scaled(DisplayScale scale, const RECT& cell) {
    return scale.box(cell.left, cell.top, cell.right - cell.left, cell.bottom - cell.top);
}

struct RadioButton {
    const char* text;
    int id;
    RECT bounds;
};
const char kFormatGroup[] = "Digital format";
const char kLevelGroup[] = "Output level";
const RadioButton kFormatButtons[2] = {
    {"Consumer", 16432, {716, 244, 796, 260}},
    {"Professional", 16433, {716, 260, 796, 276}},
};
const RadioButton kLevelButtons[2] = {
    {"+ 4dBv(Balanced)", 16416, {716, 291, 836, 307}},
    {"-10dBv(Unbalanced)", 16417, {716, 307, 836, 323}},
};
// The four radio buttons form the one id family that takes the panel's font
// and colours.
bool isRadioFamily(int id) { return (id & 0xF000) == 0x4000; }

// The about box: its "Close" button (and Escape) end it. While it is open its
// window is kept in `open`, so that a second request only brings it forward.
class AboutBox : public Dialog {
public:
    explicit AboutBox(HWND& open) : open_(open) {}

protected:
    INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_INITDIALOG) open_ = hwnd();
        if (message == WM_DESTROY) open_ = nullptr;
        if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
            endDialog(LOWORD(wParam));
            return TRUE;
        }
        return Dialog::handleMessage(message, wParam, lParam);
    }

private:
    HWND& open_;
};
} // namespace

CPanelDlg::CPanelDlg(SettingsStore& store, bool inBackground)
    // A store that keeps preferences beside the record keeps the Peak Hold choice.
    : recordStore_(store, dim_), core_(*this, recordStore_), log_(logFilePath()), requests_(core_, log_, dynamic_cast<PreferenceStore*>(&store)),
      settingsMenu_(core_, log_, dynamic_cast<PreferenceStore*>(&store)),
      snapshotMenu_(core_, dynamic_cast<PreferenceStore*>(&store), log_),
      meterMenu_(dynamic_cast<PreferenceStore*>(&store), *this),
      namesDialog_(core_, dynamic_cast<PreferenceStore*>(&store), log_),
      monitor_(core_, dim_, dynamic_cast<PreferenceStore*>(&store)),
      hotkeys_(core_, monitor_, dynamic_cast<PreferenceStore*>(&store), log_),
      remote_(core_, dynamic_cast<PreferenceStore*>(&store), log_), inBackground_(inBackground),
      keepHidden_(inBackground) {
    events_.add(&log_);
    events_.add(&namesShown_);
    events_.add(&remote_.control());
    core_.setEvents(&events_);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    icon_ = LoadIconA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME));
    smallIcon_ = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
}

CPanelDlg::~CPanelDlg() {
    tray_.removeIcon();
    if (smallIcon_) DestroyIcon(smallIcon_);
}

BOOL CPanelDlg::onInitDialog() {
    setAppMainWindow(hwnd(), false);
    addAboutEntry();

    SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_ ? smallIcon_ : icon_));

    keepOwnLayoutOnDpiChange(hwnd());
    scale_ = windowScale(hwnd());
    background_ = SkinImage("BAK", scale_);
    placeWindow(background_.size());

    panelBrush_ = SkinBrush(kPanelColor);

    createTabs();
    createStatusTexts();
    createRadioButtons();
    createPages();
    if (!scale_.unscaled()) scaleWindow(scale_);
    meterMenu_.attach(controlPage_);
    arrangeKeyboardOrder();
    describeControls();
    core_.pageList().select(0);
    tabControl_.setCheckState(1);

    // From here on a second start finds the panel and its requests are taken.
    // Nothing runs them before the start is over (the first scan has run)
    // but the loop of a box of the start, which answers them at once; an
    // Exit (the installer's) ends the panel from inside such a box.
    requests_.attach(hwnd());
    settingsMenu_.attach(hwnd());
    snapshotMenu_.attach(hwnd());
    // Every change of the names goes through the panel's events; the page's
    // tooltips and accessible names are one of their listeners.
    const auto namesChanged = [this](const ChannelNames& names) { tellNamesChanged(names); };
    namesDialog_.attach(hwnd(), namesChanged);
    requests_.requests().onNamesChanged(namesChanged);
    settingsMenu_.requests().onNamesChanged(namesChanged);
    snapshotMenu_.onNamesChanged(namesChanged);
    monitor_.onNamesChanged(namesChanged);
    namesShown_.attach(controlPage_, hwnd(), namesDialog_.stored());
    requests_.requests().setMonitor(&monitor_);
    settingsMenu_.requests().setMonitor(&monitor_);
    snapshotMenu_.keepUserLevels(&dim_);
    hotkeys_.attach(hwnd());
    remote_.attach(hwnd(), namesChanged);
    remote_.control().setMonitor(&monitor_);
    requests_.requests().onRemote([this](const PanelRequest& request) { return remote_.change(request); });
    setAppMainWindow(hwnd());

    // With no unit yet the tip says so; each arrival and removal renews it.
    trayTheme_.refresh();
    HICON trayIcon = trayTheme_.icon() ? trayTheme_.icon() : icon_;
    if (!tray_.create(hwnd(), WM_TRAY_NOTIFY, trayTip(std::string(), 0).c_str(), trayIcon, IDR_TRAY_MENU)) {
        if (inBackground_)
            tray_.awaitArea();
        else {
            PanelCore::BoxScope box(core_);
            MessageBoxA(hwnd(), "Create fail! : Tray", CPanelApp::applicationName().c_str(), MB_OK);
        }
    }
    keyFilter_.install(&CPanelDlg::filterDialogKey, this);

    log_.write("start: " + versionLine() + ": " + narrow(GetCommandLineW()) + (inBackground_ ? " (in the background)" : ""));

    // Whose the console is decides whether the unit may be touched; the
    // window hears of every change of the panel's own session.
    DWORD session = 0;
    const bool sessionKnown = ProcessIdToSessionId(GetCurrentProcessId(), &session) != 0;
    core_.startAtConsole(!sessionKnown || session == WTSGetActiveConsoleSessionId());
    sessionsWatched_ = WTSRegisterSessionNotification(hwnd(), NOTIFY_FOR_THIS_SESSION) != 0;

    // The first scan runs now: a unit already attached arrives before the
    // window hides.
    startListener(&PanelCore::deviceCallback, &core_, VELMORA_INTERFACE_CLASS);

    PostMessageA(hwnd(), WM_HIDE_AT_START, 0, 0);
    return TRUE; // the dialog manager sets the default focus
}

void CPanelDlg::addAboutEntry() {
    HMENU systemMenu = GetSystemMenu(hwnd(), FALSE);
    if (!systemMenu) return;
    char text[256] = {};
    if (LoadStringA(GetModuleHandleA(nullptr), IDS_ABOUTBOX, text, sizeof text) <= 0 || !text[0]) return;
    AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(systemMenu, MF_STRING, IDM_ABOUTBOX, text);
}

void CPanelDlg::placeWindow(SIZE size) {
    const int x = (GetSystemMetrics(SM_CXSCREEN) - size.cx) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - size.cy) / 2;
    const int width = size.cx + 2 * systemMetricFor(SM_CXBORDER, scale_) + systemMetricFor(SM_CXFRAME, scale_);
    const int height = size.cy + 2 * systemMetricFor(SM_CYBORDER, scale_) + systemMetricFor(SM_CYFRAME, scale_) +
                       systemMetricFor(SM_CYCAPTION, scale_) + systemMetricFor(SM_CYMENU, scale_);
    MoveWindow(hwnd(), x, y, width, height, FALSE);
    // The sum of metrics above is the frame at 96 DPI; at other scales the
    // platform's frame may differ by a pixel: the client area takes exactly
    // the background's size.
    RECT client{};
    GetClientRect(hwnd(), &client);
    if (client.right != size.cx || client.bottom != size.cy)
        MoveWindow(hwnd(), x, y, width + size.cx - client.right, height + size.cy - client.bottom, FALSE);
}

void CPanelDlg::scaleWindow(DisplayScale scale) {
    scale_ = scale;
    background_ = background_.rescaled(scale);
    tabControl_.setScale(scale);
    placeChild(tabControl_.hwnd(), scaled(scale, kControlTab));
    tabInfo_.setScale(scale);
    placeChild(tabInfo_.hwnd(), scaled(scale, kInfoTab));
    for (int i = 0; i < STATUS_TEXT_COUNT; ++i) {
        statusText_[i].setScale(scale);
        placeChild(statusText_[i].hwnd(), scale.box(kStatusTextX, kStatusTextTop[i], kStatusTextWidth, kStatusTextHeight));
    }
    HFONT font = skinFont(SkinFont::Label, scale);
    for (int i = 0; i < 2; ++i) {
        for (const auto& [button, spec] : {std::make_pair(&formatButtons_[i], &kFormatButtons[i]),
                                           std::make_pair(&levelButtons_[i], &kLevelButtons[i])}) {
            SendMessageA(button->hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
            placeChild(button->hwnd(), scaled(scale, spec->bounds));
        }
    }
    for (CSkinPage* page : pages_)
        if (page) page->setScale(scale, POINT{scale.px(kPageOrigin.x), scale.px(kPageOrigin.y)});
    InvalidateRect(hwnd(), nullptr, TRUE);
}

void CPanelDlg::onDpiChanged(int dpi, const RECT& suggested) {
    // The images of the old scale are let go as each control takes the new
    // ones; the window then takes the place the platform suggests.
    scaleWindow(displayScaleFor(dpi));
    SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    updateTrayIcon();
}

void CPanelDlg::updateTrayIcon() {
    if (trayTheme_.refresh()) tray_.setIcon(trayTheme_.icon());
}

void CPanelDlg::createTabs() {
    tabControl_.create("control button", CSkinButton::kStyle | WS_GROUP | WS_TABSTOP, kControlTab, hwnd(),
                       ID_TAB_CONTROL);
    tabControl_.loadImages("BTN_CONTROLU", "BTN_CONTROLD");
    tabInfo_.create("config button", CSkinButton::kStyle | WS_TABSTOP, kInfoTab, hwnd(), ID_TAB_INFO);
    tabInfo_.loadImages("BTN_INFOU", "BTN_INFOD");
}

void CPanelDlg::createStatusTexts() {
    for (int i = 0; i < STATUS_TEXT_COUNT; ++i) {
        statusText_[i].create(hwnd(), kStatusTextX, kStatusTextTop[i], kStatusTextWidth, kStatusTextHeight, -1,
                              kStatusTextColor, kPanelColor, "");
        statusText_[i].setAlign(CSkinText::kAlignLeft);
        statusText_[i].setShowsData(true); // readings of the unit
    }
}

namespace {
// Creates one page and hands it to the list; a page the list could not take
// is destroyed here, so that nothing is left behind when memory runs out.
template <typename Page, typename... Args>
Page* addPage(PageList& pages, HWND parent, const char* background, Args... args) {
    Page* page = new Page(args...);
    try {
        page->createPage(parent, kPageOrigin.x, kPageOrigin.y, background); // a page without a window is kept all the same
        pages.add(page);
    } catch (const std::bad_alloc&) {
        page->destroyPage();
        throw;
    }
    return page;
}
} // namespace

void CPanelDlg::createPages() {
    try {
        controlPage_ = addPage<CControlPage>(core_.pageList(), hwnd(), "BAK_PAGE_CONTROL",
                                             static_cast<SettingsApplier*>(&core_));
        pages_[0] = controlPage_;
        pageWindows_[0] = controlPage_->hwnd();
        pages_[1] = addPage<CInfoPage>(core_.pageList(), hwnd(), "BAK_PAGE_INFO");
        pageWindows_[1] = pages_[1]->hwnd();
    } catch (const std::bad_alloc&) {
        core_.pageList().destroyAll();
        controlPage_ = nullptr;
        pages_[0] = pages_[1] = nullptr;
        PanelCore::BoxScope box(core_);
        MessageBoxA(hwnd(), "Out of memory.", CPanelApp::applicationName().c_str(), MB_OK | MB_ICONSTOP);
    }
}

void CPanelDlg::createRadioButtons() {
    // Each pair is a group: the Tab key stops at its checked member, the
    // arrow keys move within it.
    HFONT font = skinFont(SkinFont::Label);
    for (int i = 0; i < 2; ++i)
        formatButtons_[i].create(kFormatButtons[i].text, kFormatButtons[i].id, kFormatButtons[i].bounds, hwnd(), font,
                                 i == 0 ? WS_GROUP : 0);
    for (int i = 0; i < 2; ++i)
        levelButtons_[i].create(kLevelButtons[i].text, kLevelButtons[i].id, kLevelButtons[i].bounds, hwnd(), font,
                                i == 0 ? WS_GROUP : 0);
    placeGroupTabStop(formatButtons_, 2);
    placeGroupTabStop(levelButtons_, 2);
}

void CPanelDlg::arrangeKeyboardOrder() {
    // The Tab key follows the children's order: the tabs, the pages (the
    // shown one's controls), the digital format, the output level; the
    // status column, which takes no focus, goes last as a group of its own.
    const HWND order[] = {tabControl_.hwnd(),    tabInfo_.hwnd(),       pageWindows_[0],       pageWindows_[1],
                          formatButtons_[0].hwnd(), formatButtons_[1].hwnd(), levelButtons_[0].hwnd(),
                          levelButtons_[1].hwnd()};
    HWND previous = HWND_TOP;
    for (HWND window : order) {
        if (!window) continue;
        SetWindowPos(window, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
        previous = window;
    }
    if (HWND status = statusText_[0].hwnd())
        SetWindowLongPtrA(status, GWL_STYLE, GetWindowLongPtrA(status, GWL_STYLE) | WS_GROUP);
}

void CPanelDlg::describeControls() {
    tabControl_.accessible().describeWith([this] { return access::pageTab("Control", tabControl_.getCheckState()); });
    tabInfo_.accessible().describeWith([this] { return access::pageTab("Information", tabInfo_.getCheckState()); });
    for (int i = 0; i < STATUS_TEXT_COUNT; ++i) {
        CSkinText& line = statusText_[i];
        line.accessible().describeWith([i, &line] { return access::captionedText(access::statusCaption(i), line.text()); });
    }
    for (int i = 0; i < 2; ++i) {
        CRadioButton& format = formatButtons_[i];
        const char* formatText = kFormatButtons[i].text;
        format.accessible().describeWith([&format, formatText] {
            return access::radio(kFormatGroup, formatText, format.checked());
        });
        CRadioButton& level = levelButtons_[i];
        const char* levelText = kLevelButtons[i].text;
        level.accessible().describeWith([&level, levelText] {
            return access::radio(kLevelGroup, levelText, level.checked());
        });
    }
}

bool CPanelDlg::filterDialogKey(void* context, const MSG& message) {
    return static_cast<CPanelDlg*>(context)->switchPageByKey(message);
}

bool CPanelDlg::switchPageByKey(const MSG& message) {
    // Ctrl+Tab and Ctrl+Shift+Tab anywhere in the window switch pages as the
    // tabs do; the focus goes to the tab of the page now shown.
    if (message.message != WM_KEYDOWN || message.wParam != VK_TAB || GetKeyState(VK_CONTROL) >= 0) return false;
    if (!hwnd() || (message.hwnd != hwnd() && !IsChild(hwnd(), message.hwnd))) return false;
    const PageList& pages = core_.pageList();
    const int next = nextPageIndex(pages.currentIndex(), static_cast<int>(pages.size()), GetKeyState(VK_SHIFT) < 0);
    if (next < 0) return true;
    core_.onCommand(next == 1 ? ID_TAB_INFO : ID_TAB_CONTROL);
    CSkinButton& tab = next == 1 ? tabInfo_ : tabControl_;
    SendMessageA(hwnd(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    SendMessageA(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(tab.hwnd()), TRUE);
    return true;
}

void CPanelDlg::onPaint() {
    if (IsIconic(hwnd())) {
        PaintDC paint(hwnd());
        SendMessageA(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(paint.get()), 0);
        RECT client;
        GetClientRect(hwnd(), &client);
        const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
        const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
        DrawIcon(paint.get(), x, y, icon_);
        return;
    }
    PaintDC paint(hwnd());
    drawBitmap(paint.get(), background_.get(), 0, 0);
}

INT_PTR CPanelDlg::onControlColor(HDC dc, HWND control) {
    if (!isRadioFamily(GetDlgCtrlID(control))) return FALSE;
    SelectObject(dc, skinFont(SkinFont::Label, scale_));
    SetTextColor(dc, kRadioTextColor);
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(panelBrush_.get());
}

BOOL CPanelDlg::onCommand(WPARAM wParam) {
    const unsigned id = LOWORD(wParam);
    const unsigned code = HIWORD(wParam);
    // Menu items (0), accelerators (1) and button clicks (BN_CLICKED, 0) only.
    if (code > 1) return FALSE;
    if (id == IDOK || id == IDCANCEL) {
        // Enter and Escape hide the window like its close box: the panel
        // keeps running in the notification area (File > Exit ends it).
        core_.onClose();
        return TRUE;
    }
    if (id == CMD_OPEN_LOG_FOLDER) {
        PanelCore::BoxScope box(core_);
        if (!openLogFolder())
            messageBox(hwnd(), "The log folder could not be opened: " + logFolder(), CPanelApp::applicationName(),
                       MB_OK | MB_ICONSTOP);
        return TRUE;
    }
    if (settingsMenu_.onCommand(id)) return TRUE;
    if (snapshotMenu_.onCommand(id)) return TRUE;
    if (id == CMD_RESET_CLIPS) remote_.control().clearClips();
    if (meterMenu_.onCommand(id)) return TRUE;
    if (namesDialog_.onCommand(id)) return TRUE;
    if (hotkeys_.onCommand(id)) return TRUE;
    if (remote_.onCommand(id)) return TRUE;
    core_.onCommand(id);
    return TRUE;
}

void CPanelDlg::tellNamesChanged(const ChannelNames& names) {
    events_.namesChanged(names);
}

void CPanelDlg::runAboutBox() {
    // Requests that pile up while the box is open must not nest boxes.
    if (aboutBox_ && IsWindow(aboutBox_)) {
        SetForegroundWindow(aboutBox_);
        return;
    }
    AboutBox about(aboutBox_);
    PanelCore::BoxScope box(core_);
    about.runModal(hwnd(), IDD_ABOUTBOX);
    aboutBox_ = nullptr;
}

INT_PTR CPanelDlg::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT handled = 0;
    if (requests_.handleMessage(message, wParam, lParam, handled)) {
        setMessageResult(handled);
        return TRUE;
    }
    if (remote_.handleMessage(message)) {
        setMessageResult(0);
        return TRUE;
    }
    switch (message) {
    case WM_INITDIALOG:
        return onInitDialog();
    case WM_TRAY_NOTIFY:
        setMessageResult(tray_.onTrayNotification(wParam, lParam));
        return TRUE;
    case WM_HOTKEY:
        hotkeys_.onHotkey(wParam);
        setMessageResult(0);
        return TRUE;
    case GlobalHotkeys::WM_HOTKEYS_TAKEN:
        hotkeys_.onTakenAtStart();
        setMessageResult(0);
        return TRUE;
    case WM_PANEL_NOTICE:
        core_.onNotice();
        setMessageResult(0);
        return TRUE;
    case WM_HIDE_AT_START:
        // The dialog manager shows a modal dialog once more when its queue
        // first runs empty, which may come after this message; from here on
        // only the window's own show (the Open command) makes it visible.
        // An Open that came first (a second start while this one was still
        // starting) wins: the user asked for the window.
        if (!openedOnce_) {
            keepHidden_ = true;
            core_.onHideAtStart();
        }
        setMessageResult(0);
        return TRUE;
    case WM_WINDOWPOSCHANGING:
        if (keepHidden_) reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~SWP_SHOWWINDOW;
        return FALSE;
    case WM_CLOSE:
        core_.onClose();
        return TRUE;
    case WM_COMMAND:
        return onCommand(wParam);
    case WM_INITMENUPOPUP:
        // Config > Snapshots and the tray's Snapshots: names and the current slot.
        snapshotMenu_.onMenuPopup(reinterpret_cast<HMENU>(wParam));
        return FALSE;
    case WM_TIMER:
        if (hotkeys_.onTimer(wParam)) return FALSE;
        core_.onTimer(static_cast<unsigned>(wParam));
        if (wParam == METER_TIMER) remote_.control().onMeterTick(core_.meterHistory());
        return FALSE;
    case WM_POWERBROADCAST:
        core_.onPowerEvent(static_cast<uint32_t>(wParam));
        setMessageResult(TRUE);
        return TRUE;
    case WM_WTSSESSION_CHANGE:
        core_.onSessionChange(static_cast<uint32_t>(wParam));
        setMessageResult(0);
        return TRUE;
    case WM_DESTROY:
        if (sessionsWatched_) WTSUnRegisterSessionNotification(hwnd());
        sessionsWatched_ = false;
        keyFilter_.remove();
        hotkeys_.detach();
        core_.onDestroy();
        remote_.close();
        setAppMainWindow(nullptr);
        return FALSE;
    case WM_PAINT:
        onPaint();
        return TRUE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return onControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_MOUSEMOVE:
        // Over the window's own background: the window itself takes the
        // keyboard focus (a focused fader shows its unfocused knob again).
        if (GetFocus() != hwnd()) {
            takingFocus_ = true;
            SetFocus(hwnd());
            takingFocus_ = false;
        }
        return FALSE;
    case WM_SETFOCUS:
        // The dialog manager would hand the focus straight back to a control.
        return takingFocus_ ? TRUE : FALSE;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == IDM_ABOUTBOX) {
            runAboutBox();
            return TRUE;
        }
        return FALSE;
    case WM_SETTINGCHANGE:
        if (TrayIconTheme::concernsIcon(wParam, lParam, IsWindowUnicode(hwnd()) != FALSE)) updateTrayIcon();
        return FALSE;
    case kDpiChangedMessage:
        onDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        setMessageResult(0);
        return TRUE;
    case WM_QUERYDRAGICON:
        // One of the messages whose answer is the dialog procedure's own value.
        return reinterpret_cast<INT_PTR>(icon_);
    }
    return FALSE;
}

// PanelView

void CPanelDlg::setTitle(const char* text) { SetWindowTextA(hwnd(), text); }

void CPanelDlg::setStatusText(int index, const char* text) {
    if (index >= 0 && index < STATUS_TEXT_COUNT) statusText_[index].setText(text ? text : "");
}

void CPanelDlg::setMenuCheck(unsigned commandId, bool checked) {
    HMENU menu = GetMenu(hwnd());
    if (menu) CheckMenuItem(menu, commandId, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void CPanelDlg::setRadioCheck(unsigned controlId, bool checked) {
    for (CRadioButton* group : {formatButtons_, levelButtons_}) {
        for (int i = 0; i < 2; ++i) {
            if (group[i].hwnd() && GetDlgCtrlID(group[i].hwnd()) == static_cast<int>(controlId)) {
                group[i].setChecked(checked);
                placeGroupTabStop(group, 2);
                return;
            }
        }
    }
}

void CPanelDlg::setTabCheck(unsigned controlId, int state) {
    if (controlId == ID_TAB_CONTROL)
        tabControl_.setCheckState(state);
    else if (controlId == ID_TAB_INFO)
        tabInfo_.setCheckState(state);
}

void CPanelDlg::showError(const char* text) {
    MessageBoxA(hwnd(), text, CPanelApp::applicationName().c_str(), MB_OK | MB_ICONSTOP);
}

bool CPanelDlg::askYesNo(const char* text) {
    return MessageBoxA(hwnd(), text, CPanelApp::applicationName().c_str(),
                       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

void CPanelDlg::showNotice(const char* text) {
    MessageBoxA(hwnd(), text, CPanelApp::applicationName().c_str(), MB_OK | MB_ICONWARNING);
}

void CPanelDlg::scheduleNotice() { PostMessageA(hwnd(), WM_PANEL_NOTICE, 0, 0); }

bool CPanelDlg::windowShown() const { return hwnd() && IsWindowVisible(hwnd()); }

void CPanelDlg::showWindow(bool visible) {
    if (visible) {
        keepHidden_ = false;
        openedOnce_ = true;
    }
    ShowWindow(hwnd(), visible ? SW_SHOW : SW_HIDE);
}

void CPanelDlg::showTrayIcon(bool visible) {
    if (visible)
        tray_.showIcon();
    else
        tray_.hideIcon();
}

void CPanelDlg::setTrayTip(const char* text) { tray_.setTip(text); }

void CPanelDlg::startTimer(unsigned id, unsigned periodMs) { SetTimer(hwnd(), id, periodMs, nullptr); }

void CPanelDlg::stopTimer(unsigned id) { KillTimer(hwnd(), id); }

void CPanelDlg::quit() { PostQuitMessage(0); }

void CPanelDlg::stopListener() { ::velmora::stopListener(); }

void CPanelDlg::offerPresentUnits() { ::velmora::offerPresentUnits(); }

void CPanelDlg::lookForUnits() { ::velmora::lookForUnitsSoon(); }

void CPanelDlg::holdEventPolls(bool held) { ::velmora::holdEventPolls(held); }

} // namespace velmora
