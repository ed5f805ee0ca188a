// The global hotkeys of the main window: each bound action is registered
// with the system (RegisterHotKey, ids HOTKEY_ID_FIRST + action), and a
// WM_HOTKEY runs the action on the monitor pair and shows the on-screen level
// (unless the user turned it off). A combination another program holds is
// told by name and not kept. Config > "Hotkeys..." edits the bindings and the
// options; they are kept beside the record as the "Hotkeys" text. While the
// dialog is open nothing is registered, so that the keys reach its fields.
#pragma once

#include "app/DiagnosticsLog.h"
#include "app/HotkeyTable.h"
#include "app/MonitorActions.h"
#include "app/win32/OnScreenLevel.h"
#include "settings/PreferenceStore.h"

#include <windows.h>

#include <string>
#include <vector>

namespace velmora {

class PanelCore;

class GlobalHotkeys {
public:
    static constexpr int HOTKEY_ID_FIRST = 0x484B; // 15 ids, one per action
    // Posted to the main window after the start: tells which stored
    // combinations another program holds.
    static constexpr UINT WM_HOTKEYS_TAKEN = WM_APP + 21;
    // While another box of the panel is open, that box is told again later.
    static constexpr UINT_PTR TAKEN_RETRY_TIMER = 0x484B01;

    GlobalHotkeys(PanelCore& core, MonitorActions& monitor, PreferenceStore* store, DiagnosticsLog& log)
        : core_(core), monitor_(monitor), store_(store), log_(log) {}
    ~GlobalHotkeys() { detach(); }

    // Reads the stored settings and registers the bindings on `window`.
    void attach(HWND window);
    // Unregisters every binding (the window is going).
    void detach();
    // WM_HOTKEY; false for an id that is not one of ours.
    bool onHotkey(WPARAM id);
    // WM_HOTKEYS_TAKEN: the box naming the combinations not kept at the start.
    void onTakenAtStart();
    // WM_TIMER; false for a timer that is not ours.
    bool onTimer(WPARAM id);
    // Config > Hotkeys...; false for any other command.
    bool onCommand(unsigned id);

    const HotkeySettings& settings() const { return settings_; }
    HWND onScreenWindow() const { return level_.hwnd(); }

private:
    // Registers every binding of `settings_`; those another program holds
    // are unbound in `settings_` and their names answered.
    std::vector<std::string> registerAll();
    void unregisterAll();
    bool save();
    static std::string takenText(const std::vector<std::string>& taken);

    PanelCore& core_;
    MonitorActions& monitor_;
    PreferenceStore* store_;
    DiagnosticsLog& log_;
    HWND window_ = nullptr;
    HotkeySettings settings_;
    bool registered_[HOTKEY_ACTION_COUNT] = {};
    std::vector<std::string> takenAtStart_;
    OnScreenLevel level_;
};

// The dialog of Config > Hotkeys...: one hotkey field per action (its label
// before it), the monitor pair, the dim's depth, the coarse step and the
// on-screen level. True when the user pressed OK with settings that can be
// kept; `settings` then holds them.
bool runHotkeysDialog(HWND owner, HotkeySettings& settings);

} // namespace velmora
