// The File menu's settings files: Save Settings As... and Load Settings...
// ask for the file in a file dialog and tell a failure in a box; the dialog
// and the box count as open boxes of the panel while they are shown.
#pragma once

#include "app/DiagnosticsLog.h"
#include "app/PanelRequests.h"

#include <windows.h>

namespace velmora {

class PanelCore;

class SettingsFileMenu {
public:
    SettingsFileMenu(PanelCore& core, DiagnosticsLog& log) : core_(core), requests_(core), log_(log) {}

    void attach(HWND window) { window_ = window; }
    // The two commands; false for any other.
    bool onCommand(unsigned id);

private:
    void settingsFile(bool save);

    PanelCore& core_;
    PanelRequests requests_;
    DiagnosticsLog& log_;
    HWND window_ = nullptr;
};

} // namespace velmora
