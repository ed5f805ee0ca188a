// The application object: the single-instance rule, the registry key of the
// settings and the main window's modal run, which is the program's message loop.
#pragma once

#include <windows.h>

#include <string>

namespace velmora {

class CPanelApp {
public:
    // `inBackground`: started without a user watching (at sign-in, after an
    // upgrade): see CPanelDlg.
    explicit CPanelApp(bool inBackground = false) : inBackground_(inBackground) {}

    static constexpr const char* MUTEX_NAME = "Velmora-088FA840-B10D-11D7-BC36-006067709674";
    static constexpr const char* REGISTRY_KEY = "Qor";

    // Runs the whole program; answers the process exit code.
    int run();

    // The executable's base name: the settings' key below REGISTRY_KEY and
    // the caption of the program's message boxes.
    static const std::string& applicationName();
    // A panel process runs (from its first instruction to its end), whether
    // or not its window takes requests yet; a mutex this process may not
    // open exists all the same.
    static bool panelProcessRuns();

private:
    // True when another panel runs in this logon session. The handle of the
    // named mutex stays open for the life of the process.
    bool anotherInstanceRuns();
    // Shows and restores the running panel's window, whatever its state.
    static void activateRunningPanel();
    // How long a second start waits for the running panel to show itself.
    static constexpr DWORD kShowWaitMs = 2000;
    // How long it waits for a panel that is still starting.
    static constexpr DWORD kStartingWaitMs = 10000;

    HANDLE instanceMutex_ = nullptr;
    bool inBackground_;
};

} // namespace velmora
