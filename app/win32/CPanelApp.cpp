#include "app/win32/CPanelApp.h"

#include "app/win32/AppMainWindow.h"
#include "app/win32/CPanelDlg.h"
#include "res/resource.h"
#include "settings/win32/RegistrySettingsStore.h"

#include <commctrl.h>
#include <objbase.h>

namespace velmora {

const std::string& CPanelApp::applicationName() {
    static const std::string name = RegistrySettingsStore::executableBaseName();
    return name;
}

bool CPanelApp::panelProcessRuns() {
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, MUTEX_NAME);
    if (!mutex) return GetLastError() != ERROR_FILE_NOT_FOUND;
    CloseHandle(mutex);
    return true;
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
    // A panel that is still starting can be found once it takes requests.
    HWND running = findRunningPanelWindow();
    for (const DWORD start = GetTickCount(); !running && GetTickCount() - start < kStartingWaitMs;) {
        Sleep(50);
        running = findRunningPanelWindow();
    }
    if (!running) return;
    // The running panel may be hidden (in the notification area, or with no
    // unit and no icon): its own Open command shows it on the Control page,
    // whatever hid it. This process may hand the foreground on, the panel
    // may then take it.
    DWORD panelProcess = 0;
    GetWindowThreadProcessId(running, &panelProcess);
    if (panelProcess) AllowSetForegroundWindow(panelProcess);
    PostMessageA(running, WM_COMMAND, MAKEWPARAM(ID_OPEN, 0), 0);
    // Give the panel a moment to show itself before it is brought forward;
    // a panel that does not answer is left as it is.
    const DWORD start = GetTickCount();
    while (!IsWindowVisible(running) && IsWindow(running) && GetTickCount() - start < kShowWaitMs) Sleep(10);
    SetForegroundWindow(running);
    if (IsIconic(running)) ShowWindow(running, SW_RESTORE);
}

int CPanelApp::run() {
    if (anotherInstanceRuns()) {
        // A user who starts the program wants to see the panel; a start in
        // the background (the sign-in entry run again) leaves it as it is.
        if (!inBackground_) activateRunningPanel();
        return 0;
    }

    RegistrySettingsStore store(REGISTRY_KEY, applicationName().c_str());
    InitCommonControls();
    // Screen readers reach the controls through COM objects of this thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

    {
        CPanelDlg dialog(store, inBackground_);
        dialog.runModal(nullptr, IDD_VELPANEL_DIALOG);
        setAppMainWindow(nullptr);
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return 0;
}

} // namespace velmora
