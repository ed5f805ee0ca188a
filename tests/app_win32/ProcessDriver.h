// Drives the real VelPanel.exe from a test program under Wine: starts it,
// finds its windows by process, dismisses its message boxes and runs Wine's
// own tools.
#pragma once

#include <windows.h>

#include <string>

namespace velmora {
namespace testing {

// "Z:\..." for a path of the host's file system.
std::string windowsPath(const std::string& hostPath);

// A process the test started; one still running when it goes is ended.
struct Process {
    HANDLE handle = nullptr;
    DWORD id = 0;
    ~Process();
    bool running() const;
    // Waits up to `limitMs` for the end; answers the exit code or -1.
    long waitExit(DWORD limitMs);
};

bool launch(const std::string& commandLine, Process& process);

// Runs a command line and answers its standard output (empty on failure).
std::string runAndCapture(const std::string& commandLine, DWORD limitMs = 30000);

// The first top-level dialog of the process whose caption starts with
// `captionPrefix`, waiting up to `limitMs`; null when none came.
HWND waitForDialog(DWORD processId, const char* captionPrefix, DWORD limitMs);

// A top-level dialog of the process holding a static text `text` (a message
// box); null when there is none now.
HWND findBoxWithText(DWORD processId, const char* text);

bool waitFor(bool (*condition)(HWND), HWND window, DWORD limitMs);

std::string windowText(HWND window);

} // namespace testing
} // namespace velmora
