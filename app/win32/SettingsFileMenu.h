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
    // `names`: where the channel names are kept, written to and read from files.
    SettingsFileMenu(PanelCore& core, DiagnosticsLog& log, PreferenceStore* names = nullptr)
        : core_(core), requests_(core, names), log_(log) {}

    void attach(HWND window) { window_ = window; }
    PanelRequests& requests() { return requests_; }
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
