#include "app/win32/CSystemTray.h"

#include "app/win32/AppMainWindow.h"

#include <cstring>

namespace velmora {

namespace {
const char kTrayWindowClass[] = "VelmoraTrayWindow";

uint32_t runningMajorVersion() {
    return static_cast<uint32_t>(LOBYTE(LOWORD(GetVersion())));
}
} // namespace

CSystemTray::NotifyIconFn CSystemTray::notifyIcon = &Shell_NotifyIconA;

CSystemTray::CSystemTray() {
    std::memset(&iconData_, 0, sizeof iconData_);
}

CSystemTray::~CSystemTray() {
    removeIcon();
    destroyWindow();
}

UINT CSystemTray::taskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

bool CSystemTray::create(HWND parent, UINT callbackMessage, const char* tooltip, HICON icon, UINT id) {
    if (!TrayIconState::systemHasTray(runningMajorVersion())) {
        state_.created(false);
        return false;
    }
    taskbarCreatedMessage(); // registered before the shell can broadcast it

    if (!hwnd()) {
        registerClass(kTrayWindowClass);
        createWindow(0, kTrayWindowClass, "", WS_POPUP, 0, 0, 10, 10, nullptr, 0);
    }

    std::memset(&iconData_, 0, sizeof iconData_);
    iconData_.cbSize = kIconDataSize;
    iconData_.hWnd = (parent && IsWindow(parent)) ? parent : hwnd();
    iconData_.uID = id;
    iconData_.hIcon = icon;
    iconData_.uCallbackMessage = callbackMessage;
    iconData_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    // The tip holds 127 characters and a terminator; a longer text is cut.
    if (tooltip) lstrcpynA(iconData_.szTip, tooltip, static_cast<int>(sizeof iconData_.szTip));

    const bool added = notifyIcon(NIM_ADD, &iconData_) != FALSE;
    state_.created(added);
    return added;
}

bool CSystemTray::perform(TrayIconCall call) {
    switch (call) {
    case TrayIconCall::Add:
        iconData_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        return notifyIcon(NIM_ADD, &iconData_) != FALSE;
    case TrayIconCall::Delete:
        return notifyIcon(NIM_DELETE, &iconData_) != FALSE;
    case TrayIconCall::Modify:
        iconData_.uFlags = NIF_TIP;
        return notifyIcon(NIM_MODIFY, &iconData_) != FALSE;
    case TrayIconCall::None:
        break;
    }
    return false;
}

void CSystemTray::hideIcon() { perform(state_.hide()); }
void CSystemTray::showIcon() { perform(state_.show()); }
void CSystemTray::removeIcon() { perform(state_.remove()); }

void CSystemTray::setTip(const char* tip) {
    lstrcpynA(iconData_.szTip, tip ? tip : "", static_cast<int>(sizeof iconData_.szTip));
    perform(state_.retip());
}

void CSystemTray::setIcon(HICON icon) {
    iconData_.hIcon = icon;
    // While shown the picture changes now (the rule of a new tip); hidden,
    // the next add carries it.
    if (state_.retip() != TrayIconCall::Modify) return;
    iconData_.uFlags = NIF_ICON;
    notifyIcon(NIM_MODIFY, &iconData_);
}

LRESULT CSystemTray::onTrayNotification(WPARAM wParam, LPARAM lParam) {
    const TrayClickAction action =
        TrayIconState::classify(iconData_.uID, wParam, static_cast<uintptr_t>(lParam));
    if (action == TrayClickAction::Ignore) return 0;
    if (action == TrayClickAction::Nothing) return 1;

    HWND target = appMainWindow();
    if (action == TrayClickAction::OpenCommand) SetForegroundWindow(target);

    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(iconData_.uID));
    if (!menu) return 0;
    HMENU popup = GetSubMenu(menu, 0);
    if (!popup) {
        DestroyMenu(menu);
        return 0;
    }

    if (action == TrayClickAction::PopupMenu) {
        SetMenuDefaultItem(popup, defaultMenuItem_, defaultItemByPosition_ ? TRUE : FALSE);
        POINT cursor = {};
        GetCursorPos(&cursor);
        SetForegroundWindow(target);
        TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_LEFTBUTTON, cursor.x, cursor.y, 0, target, nullptr);
        // Without it the menu would not close when the user clicks elsewhere.
        PostMessageA(target, WM_NULL, 0, 0);
    } else {
        const UINT command = defaultItemByPosition_
                                 ? GetMenuItemID(popup, static_cast<int>(defaultMenuItem_))
                                 : defaultMenuItem_;
        SendMessageA(target, WM_COMMAND, command, 0);
    }
    DestroyMenu(menu);
    return 1;
}

LRESULT CSystemTray::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != 0 && message == iconData_.uCallbackMessage)
        return onTrayNotification(wParam, lParam);
    if (message != 0 && message == taskbarCreatedMessage()) {
        perform(state_.areaRecreated());
        return 0;
    }
    return defaultHandling(message, wParam, lParam);
}

} // namespace velmora
