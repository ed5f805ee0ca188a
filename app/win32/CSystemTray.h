// The panel's icon in the notification area. A window object of its own (a
// small invisible popup window) that adds, hides, shows and removes the icon
// and turns clicks on it into commands for the main window. The rules live in
// TrayIconState; this class performs them with the platform's calls.
#pragma once

#include "app/TrayIconState.h"
#include "ui/win32/Window.h"

#include <windows.h>
#include <shellapi.h>

namespace velmora {

class CSystemTray : public Window {
public:
    // How the icon reaches the notification area; replaceable so that tests can
    // count and answer the calls.
    typedef BOOL(WINAPI* NotifyIconFn)(DWORD message, PNOTIFYICONDATAA data);
    static NotifyIconFn notifyIcon;

    // The record's size as the notification area expects it for the version-2
    // layout (128-character tip, balloon fields, no GUID).
    static constexpr DWORD kIconDataSize = NOTIFYICONDATAA_V2_SIZE;

    CSystemTray();
    ~CSystemTray() override;

    // Creates the tray's own window and adds the icon. `parent` (may be null)
    // receives the callback message; without it the tray's own window does.
    bool create(HWND parent, UINT callbackMessage, const char* tooltip, HICON icon, UINT id);
    // After a refused create: the icon is wanted all the same and is added
    // when the notification area announces itself (or at the next show).
    void awaitArea() { state_.awaitArea(); }
    void hideIcon();
    void showIcon();
    void removeIcon();
    // Replaces the tip (cut to 127 characters): at once while the icon is
    // shown, else at its next showIcon.
    void setTip(const char* tip);

    // Replaces the icon: at once while it is shown, else at its next showIcon.
    // The caller keeps the handle alive while the tray holds it.
    void setIcon(HICON icon);

    // One notification from the icon: wParam the icon id, lParam's low word
    // the mouse message. Answers 0 when it did nothing, 1 otherwise.
    virtual LRESULT onTrayNotification(WPARAM wParam, LPARAM lParam);

    HWND window() const { return hwnd(); }
    bool enabled() const { return state_.enabled(); }
    bool hidden() const { return state_.hidden(); }
    const NOTIFYICONDATAA& iconData() const { return iconData_; }

    // The message the shell broadcasts when it recreates the notification area.
    static UINT taskbarCreatedMessage();

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool perform(TrayIconCall call);

    TrayIconState state_;
    NOTIFYICONDATAA iconData_;
    UINT defaultMenuItem_ = 0;
    bool defaultItemByPosition_ = true;
};

} // namespace velmora
