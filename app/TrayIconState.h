// The rules of the notification-area icon, kept apart from the Win32 calls:
// when the icon is added or deleted (enabled/hidden state), and what a click
// on it does. CSystemTray asks this class and performs the answer.
#pragma once

#include <cstdint>

namespace velmora {

// What the tray must ask the notification area to do.
enum class TrayIconCall {
    None,   // nothing to do
    Add,    // add the icon from the stored record (message, icon and tip valid)
    Delete, // delete the icon
    Modify, // change the shown icon's tip
};

// What a notification from the icon asks for.
enum class TrayClickAction {
    Ignore,      // not our icon: answer 0, do nothing
    PopupMenu,   // show the popup menu at the cursor
    OpenCommand, // send the popup's default command to the main window
    Nothing,     // another mouse message: answer 1, do nothing
};

class TrayIconState {
public:
    // Mouse messages as the notification area reports them in lParam's low word.
    static constexpr uint32_t kLeftButtonUp = 0x0202;
    static constexpr uint32_t kLeftButtonDoubleClick = 0x0203;
    static constexpr uint32_t kRightButtonUp = 0x0205;
    // Systems before this major version have no notification area.
    static constexpr uint32_t kFirstMajorVersionWithTray = 4;

    bool enabled() const { return enabled_; }
    bool hidden() const { return hidden_; }

    // Whether creating the icon is worth trying on a system of this major version.
    static bool systemHasTray(uint32_t majorVersion) { return majorVersion >= kFirstMajorVersionWithTray; }

    // The answer of the notification area to the first add.
    void created(bool added) {
        enabled_ = added;
        hidden_ = false;
    }

    // The first add was refused, yet the icon is wanted: it counts as shown,
    // so that the area's arrival (areaRecreated) or the next show adds it. A
    // delete of the absent icon meanwhile is ignored by the area.
    void awaitArea() {
        enabled_ = true;
        hidden_ = false;
    }

    TrayIconCall hide() {
        if (!enabled_ || hidden_) return TrayIconCall::None;
        hidden_ = true;
        return TrayIconCall::Delete;
    }

    TrayIconCall show() {
        if (!enabled_ || !hidden_) return TrayIconCall::None;
        hidden_ = false;
        return TrayIconCall::Add;
    }

    // A new tip reaches the notification area only while the icon is shown;
    // otherwise it waits in the record for the next add.
    TrayIconCall retip() const {
        if (!enabled_ || hidden_) return TrayIconCall::None;
        return TrayIconCall::Modify;
    }

    TrayIconCall remove() {
        if (!enabled_) return TrayIconCall::None;
        enabled_ = false;
        return TrayIconCall::Delete;
    }

    // The notification area was created anew (the shell restarted): every icon
    // in it is gone, so an icon that should be showing has to be added again.
    TrayIconCall areaRecreated() const {
        if (!enabled_ || hidden_) return TrayIconCall::None;
        return TrayIconCall::Add;
    }

    // Which action a notification asks for: `notifiedId` is the notification's
    // icon id (wParam), `mouseMessage` the low 16 bits of lParam.
    static TrayClickAction classify(uint32_t iconId, uintptr_t notifiedId, uintptr_t lParam) {
        if (notifiedId != iconId) return TrayClickAction::Ignore;
        const uint32_t mouseMessage = static_cast<uint32_t>(lParam & 0xFFFF);
        switch (mouseMessage) {
        case kRightButtonUp:
            return TrayClickAction::PopupMenu;
        case kLeftButtonUp:
        case kLeftButtonDoubleClick:
            return TrayClickAction::OpenCommand;
        default:
            return TrayClickAction::Nothing;
        }
    }

private:
    bool enabled_ = false;
    bool hidden_ = false;
};

} // namespace velmora
