#include "app/win32/CPanelApp.h"

#include "app/win32/AppMainWindow.h"
#include "app/win32/CPanelDlg.h"
#include "res/resource.h"
#include "settings/win32/RegistrySettingsStore.h"

#include <commctrl.h>

namespace velmora {

const std::string& CPanelApp::applicationName() {
    static const std::string name = RegistrySettingsStore::executableBaseName();
    return name;
}

bool CPanelApp::anotherInstanceRuns() {
    instanceMutex_ = CreateMutexA(nullptr, TRUE, MUTEX_NAME);
    const DWORD error = GetLastError();
    // The existence of the named object marks a running panel, not its
    // ownership; the handle is kept until the process ends.
    if (instanceMutex_) ReleaseMutex(instanceMutex_);
    return error == ERROR_ALREADY_EXISTS;
}

void CPanelApp::activateRunningPanel() {
    HWND running = findRunningPanelWindow();
    if (!running) return;
    SetForegroundWindow(running);
    if (IsIconic(running)) ShowWindow(running, SW_RESTORE);
}

int CPanelApp::run() {
    if (anotherInstanceRuns()) {
        activateRunningPanel();
        return 0;
    }

    RegistrySettingsStore store(REGISTRY_KEY, applicationName().c_str());
    InitCommonControls();

    CPanelDlg dialog(store, inBackground_);
    dialog.runModal(nullptr, IDD_VELPANEL_DIALOG);
    setAppMainWindow(nullptr);
    return 0;
}

} // namespace velmora
