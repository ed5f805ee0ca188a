// The panel's main window: a modal dialog on template 102 that owns the tray
// icon, the skinned controls, the two pages and the window's brush, and
// forwards everything that carries a rule to PanelCore through the PanelView
// interface it implements. Escape and Enter hide it like its close box; the
// Tab key walks tabs, the Control page's controls and the radio buttons;
// Ctrl+Tab switches pages.
#pragma once

#include "app/DiagnosticsLog.h"
#include "app/MeterMenu.h"
#include "app/MonitorActions.h"
#include "app/MonitorDim.h"
#include "app/PanelCore.h"
#include "app/UndimmedRecordStore.h"
#include "app/PanelEventsFanout.h"
#include "app/PanelView.h"
#include "app/win32/CSystemTray.h"
#include "app/win32/ChannelNamesShown.h"
#include "app/win32/DialogMessageFilter.h"
#include "app/win32/GlobalHotkeys.h"
#include "app/win32/NamesDialog.h"
#include "app/win32/RemoteHost.h"
#include "app/win32/RequestHost.h"
#include "app/win32/SettingsFileMenu.h"
#include "app/win32/SnapshotMenu.h"
#include "app/win32/TrayIconTheme.h"
#include "settings/SettingsStore.h"
#include "ui/win32/CRadioButton.h"
#include "ui/win32/CSkinButton.h"
#include "ui/win32/CSkinText.h"
#include "ui/win32/Dialog.h"
#include "ui/win32/SkinResources.h"
#include "ui/win32/WindowDpi.h"

#include <windows.h>

namespace velmora {

class CControlPage;
class CSkinPage;

class CPanelDlg : public Dialog, public PanelView {
public:
    static constexpr UINT WM_TRAY_NOTIFY = WM_USER + 100;
    static constexpr UINT WM_HIDE_AT_START = WM_USER + 101;
    // Posted to itself: a notice PanelCore asked for (scheduleNotice).
    static constexpr UINT WM_PANEL_NOTICE = WM_APP + 1;

    // In the background (a start at sign-in or after an upgrade, with no user
    // watching) the window is never shown at start, and an icon that the
    // notification area refuses is not reported: it is added when the area
    // announces itself, since at sign-in the panel may start before the area.
    explicit CPanelDlg(SettingsStore& store, bool inBackground = false);
    ~CPanelDlg() override;

    CSystemTray& tray() { return tray_; }
    PanelCore& core() { return core_; }

    // PanelView
    void setTitle(const char* text) override;
    void setStatusText(int index, const char* text) override;
    void setMenuCheck(unsigned commandId, bool checked) override;
    void setRadioCheck(unsigned controlId, bool checked) override;
    void setTabCheck(unsigned controlId, int state) override;
    void showError(const char* text) override;
    bool askYesNo(const char* text) override;
    void showNotice(const char* text) override;
    void scheduleNotice() override;
    void showWindow(bool visible) override;
    bool windowShown() const override;
    void showTrayIcon(bool visible) override;
    void setTrayTip(const char* text) override;
    void startTimer(unsigned id, unsigned periodMs) override;
    void stopTimer(unsigned id) override;
    void quit() override;
    void stopListener() override;
    void offerPresentUnits() override;
    void lookForUnits() override;
    void holdEventPolls(bool held) override;

protected:
    INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    BOOL onInitDialog();
    void addAboutEntry();
    void placeWindow(SIZE background);
    // Every control, font and image of the window drawn for `scale`, each
    // placed by its 96-DPI layout scaled.
    void scaleWindow(DisplayScale scale);
    void onDpiChanged(int dpi, const RECT& suggested);
    // The tray icon that suits the taskbar now, handed to the tray when it changed.
    void updateTrayIcon();
    void createTabs();
    void createStatusTexts();
    void createRadioButtons();
    void createPages();
    void arrangeKeyboardOrder();
    void describeControls();
    static bool filterDialogKey(void* context, const MSG& message);
    bool switchPageByKey(const MSG& message);
    void onPaint();
    INT_PTR onControlColor(HDC dc, HWND control);
    BOOL onCommand(WPARAM wParam);
    void runAboutBox();
    // Names changed from anywhere: told once to every listener of the panel.
    void tellNamesChanged(const ChannelNames& names);

    // Members in the order of construction; the tray goes last.
    TrayIconTheme trayTheme_; // outlives the tray, which shows its icon
    CSystemTray tray_;
    MonitorDim dim_;                    // the monitor pair's dim, which the stored record never holds
    UndimmedRecordStore recordStore_;   // the record store as the core writes through it
    PanelCore core_; // the master settings, the unit, the page list
    DiagnosticsLog log_;
    RequestHost requests_; // the command line's requests
    SettingsFileMenu settingsMenu_; // File > Save Settings As..., Load Settings...
    SnapshotMenu snapshotMenu_; // Config > Snapshots and the tray's Snapshots
    PanelEventsFanout events_;
    MeterMenu meterMenu_; // Peak Hold and Reset Clip Indicators
    NamesDialog namesDialog_; // Config > Names...
    ChannelNamesShown namesShown_; // the names in the Control page's tooltips and accessible names
    MonitorActions monitor_;  // the hotkeys' and the requests' monitor pair
    GlobalHotkeys hotkeys_;   // the global hotkeys, Config > Hotkeys..., the on-screen level
    RemoteHost remote_; // remote control over OSC, Config > Remote Control...
    DisplayScale scale_; // the window's monitor's
    SkinImage background_; // loaded at the first paint, then held at its scale
    SkinBrush panelBrush_;
    CSkinButton tabControl_;
    CSkinButton tabInfo_;
    CSkinText statusText_[STATUS_TEXT_COUNT];
    CRadioButton formatButtons_[2];
    CRadioButton levelButtons_[2];
    HWND pageWindows_[2] = {}; // Control page, Info page
    CSkinPage* pages_[2] = {}; // the same pages, owned by the page list
    CControlPage* controlPage_ = nullptr; // owned by the page list
    DialogMessageFilter keyFilter_;
    HICON icon_ = nullptr;
    HICON smallIcon_ = nullptr;
    bool takingFocus_ = false;
    bool inBackground_;
    bool keepHidden_;         // hidden at start until the window's own show
    bool openedOnce_ = false; // the Open command has shown the window
    HWND aboutBox_ = nullptr; // the about box while it is open
    bool sessionsWatched_ = false; // registered for the session's changes
};

} // namespace velmora
