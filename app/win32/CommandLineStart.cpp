#include "app/win32/CommandLineStart.h"

#include "app/win32/AppMainWindow.h"
#include "app/win32/CPanelApp.h"
#include "app/win32/PanelExitRequest.h"
#include "app/win32/ParentConsole.h"
#include "app/win32/RequestChannel.h"
#include "app/win32/WideText.h"

#include <windows.h>

namespace velmora {

namespace {

// How long a request may take in the running panel: a failed send waits
// for the user to answer its box.
constexpr DWORD kAnswerLimitMs = 120000;
// How long a panel that is starting (its mutex made, its window not yet)
// is waited for.
constexpr DWORD kStartingPanelMs = 10000;

bool panelStarting() {
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, CPanelApp::MUTEX_NAME);
    if (!mutex) return GetLastError() != ERROR_FILE_NOT_FOUND;
    CloseHandle(mutex);
    return true;
}

// The running panel's window, waiting for one that is starting.
HWND runningPanel() {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND panel = findRunningPanelWindow()) return panel;
        if (!panelStarting() || GetTickCount() - start > kStartingPanelMs) return nullptr;
        Sleep(50);
    }
}

int printAnswer(const RequestAnswer& answer) {
    if (answer.code == EXIT_DONE)
        printOutputLine(answer.text.c_str());
    else
        printErrorLine(("VelPanel: " + answer.text).c_str());
    return answer.code;
}

int runPanel(bool background, const PanelRequest& startRequest) {
    CPanelApp app(background);
    app.setStartRequest(startRequest);
    return app.run();
}

} // namespace

int runCommandLine(const ParsedCommandLine& parsed) {
    if (!parsed.ok) {
        printErrorLine(("VelPanel: " + parsed.message).c_str());
        printErrorLine("VelPanel: see VelPanel.exe --help");
        return EXIT_USAGE;
    }
    PanelRequest request = parsed.request;
    switch (request.verb) {
    case RequestVerb::None: return runPanel(parsed.background, request);
    case RequestVerb::Help: printOutputLine(parsed.message.c_str()); return EXIT_DONE;
    case RequestVerb::Exit: return runPanelExitVerb();
    default: break;
    }
    // The panel may run in another folder: a file is named in full.
    if (request.verb == RequestVerb::Load || request.verb == RequestVerb::Save)
        request.file = fullPathName(request.file);

    HWND panel = runningPanel();
    if (!panel) {
        if (request.verb != RequestVerb::Show && !requestChangesUnit(request.verb)) {
            printErrorLine("VelPanel: no panel is running");
            return EXIT_NO_PANEL;
        }
        // This process becomes the panel; a change waits for the unit.
        const int code = runPanel(false, request);
        if (code != CPanelApp::ANOTHER_PANEL_RUNS) return code;
        // Another start made the panel meanwhile: the request goes to it.
        panel = runningPanel();
        if (!panel) {
            printErrorLine("VelPanel: no panel is running");
            return EXIT_NO_PANEL;
        }
    }
    // The running panel may bring its window to the front.
    DWORD panelProcess = 0;
    GetWindowThreadProcessId(panel, &panelProcess);
    AllowSetForegroundWindow(panelProcess);
    return printAnswer(sendRequest(panel, request, kAnswerLimitMs));
}

} // namespace velmora
