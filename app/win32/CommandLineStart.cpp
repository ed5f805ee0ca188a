#include "app/win32/CommandLineStart.h"

#include "app/win32/AppMainWindow.h"
#include "app/win32/CPanelApp.h"
#include "app/win32/PanelExitRequest.h"
#include "app/win32/ParentConsole.h"
#include "app/win32/RequestChannel.h"
#include "app/win32/WideText.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace velmora {

namespace {

// How long a request may take in the running panel: a failed send waits
// for the user to answer its box.
constexpr DWORD kAnswerLimitMs = 120000;
// How long a panel that is starting (its mutex made, its window not yet
// findable) is waited for.
constexpr DWORD kStartingPanelMs = 10000;
// How long a panel this start made may take until it takes requests.
constexpr DWORD kStartedPanelMs = 15000;
// While the panel has no unit and the wait is not over: ask again after this.
constexpr DWORD kAskAgainMs = 250;

DWORD since(DWORD start) { return GetTickCount() - start; }

bool panelStarting() { return CPanelApp::panelProcessRuns(); }

// The running panel's window, waiting for one that is starting.
HWND runningPanel() {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND panel = findRunningPanelWindow()) return panel;
        if (!panelStarting() || since(start) > kStartingPanelMs) return nullptr;
        Sleep(50);
    }
}

// Starts this program as a separate panel in the background (as the sign-in
// entry does), in its own folder; answers its process, or null.
HANDLE startPanel() {
    std::vector<wchar_t> exe(32768);
    const DWORD n = GetModuleFileNameW(nullptr, exe.data(), DWORD(exe.size()));
    if (n == 0 || n >= exe.size()) return nullptr;
    const std::wstring path(exe.data(), n);
    std::wstring folder = path.substr(0, path.find_last_of(L"\\/") + 1);
    std::wstring commandLine = L"\"" + path + L"\" --background";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

// The window of the panel just started (or of another that won the race),
// once it takes requests; null when none comes.
HWND startedPanel(HANDLE process) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND panel = findRunningPanelWindow()) return panel;
        const bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
        if ((ended && !panelStarting()) || since(start) > kStartedPanelMs) return nullptr;
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

int runPanel(bool background) {
    CPanelApp app(background);
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
    case RequestVerb::None: return runPanel(parsed.background);
    case RequestVerb::Help: printOutputLine(parsed.message.c_str()); return EXIT_DONE;
    case RequestVerb::Exit: return runPanelExitVerb();
    default: break;
    }
    if (request.verb == RequestVerb::Load || request.verb == RequestVerb::Save) request.file = fullPathName(request.file);
    const std::string wireText = encodeRequest(request);
    if (wireText.size() > REQUEST_MAX_BYTES)
        return printAnswer(RequestAnswer{EXIT_USAGE, "The request is too long (" + std::to_string(wireText.size()) +
                                                         " bytes; the panel takes at most " +
                                                         std::to_string(REQUEST_MAX_BYTES) + ")."});

    bool started = false;
    HWND panel = runningPanel();
    if (!panel && panelStarting())
        return printAnswer(RequestAnswer{EXIT_FAILED, "The panel did not answer: it is still starting."});
    if (!panel) {
        if (request.verb != RequestVerb::Show && !requestChangesUnit(request.verb)) {
            printErrorLine("VelPanel: no panel is running");
            return EXIT_NO_PANEL;
        }
        HANDLE process = startPanel();
        if (!process) return printAnswer(RequestAnswer{EXIT_FAILED, "The panel could not be started."});
        panel = startedPanel(process);
        CloseHandle(process);
        if (!panel) return printAnswer(RequestAnswer{EXIT_FAILED, "The panel did not answer: it did not start in time."});
        started = true;
    }
    // The running panel may bring its window to the front.
    DWORD panelProcess = 0;
    GetWindowThreadProcessId(panel, &panelProcess);
    AllowSetForegroundWindow(panelProcess);

    // Each answer is final: "no unit" was carried out nowhere, so asking
    // again while the wait lasts is safe.
    const DWORD waitMs = started || parsed.waitGiven ? DWORD(parsed.waitSeconds) * 1000 : 0;
    const DWORD start = GetTickCount();
    for (;;) {
        const RequestAnswer answer = sendRequest(panel, wireText, kAnswerLimitMs);
        const DWORD spent = since(start);
        if (answer.code != EXIT_NO_UNIT || spent >= waitMs) return printAnswer(answer);
        Sleep(std::min(kAskAgainMs, waitMs - spent));
        HWND again = findRunningPanelWindow();
        if (!again) return printAnswer(answer);
        panel = again;
    }
}

} // namespace velmora
