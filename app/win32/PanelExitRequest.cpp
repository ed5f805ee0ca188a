#include "app/win32/PanelExitRequest.h"

#include "app/PanelCore.h"
#include "app/win32/AppMainWindow.h"
#include "app/win32/CPanelApp.h"
#include "app/win32/ParentConsole.h"

namespace velmora {

namespace {
constexpr DWORD kPollMs = 50;

class Deadline {
public:
    explicit Deadline(DWORD limitMs) : start_(GetTickCount()), limit_(limitMs) {}
    DWORD left() const {
        const DWORD spent = GetTickCount() - start_;
        return spent >= limit_ ? 0 : limit_ - spent;
    }

private:
    DWORD start_;
    DWORD limit_;
};

// Waits for the end of the process that owns `panel`; without a handle on
// that process, for the end of the window.
bool waitForPanelEnd(HWND panel, const Deadline& deadline) {
    DWORD processId = 0;
    GetWindowThreadProcessId(panel, &processId);
    if (HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId)) {
        const bool ended = WaitForSingleObject(process, deadline.left()) == WAIT_OBJECT_0;
        CloseHandle(process);
        return ended;
    }
    while (IsWindow(panel)) {
        if (deadline.left() == 0) return false;
        Sleep(kPollMs);
    }
    return true;
}
} // namespace

PanelExitOutcome requestPanelExit(DWORD limitMs) {
    const Deadline deadline(limitMs);
    bool ended = false;
    for (;;) {
        if (HWND panel = findRunningPanelWindow()) {
            if (!PostMessageA(panel, WM_COMMAND, MAKEWPARAM(CMD_EXIT, 0), 0) && IsWindow(panel))
                return PanelExitOutcome::NotInTime;
            if (!waitForPanelEnd(panel, deadline)) return PanelExitOutcome::NotInTime;
            ended = true;
            continue;
        }
        if (!CPanelApp::panelProcessRuns()) return ended ? PanelExitOutcome::Ended : PanelExitOutcome::NoPanel;
        if (deadline.left() == 0) return PanelExitOutcome::NotInTime;
        Sleep(kPollMs);
    }
}

int runPanelExitVerb() {
    const PanelExitOutcome outcome = requestPanelExit(kPanelExitLimitMs);
    printErrorLine(reasonFor(outcome));
    return exitCodeFor(outcome);
}

} // namespace velmora
