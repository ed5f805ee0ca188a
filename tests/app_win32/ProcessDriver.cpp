#include "ProcessDriver.h"

#include <vector>

namespace velmora {
namespace testing {

std::string windowsPath(const std::string& hostPath) {
    std::string path = "Z:" + hostPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

Process::~Process() {
    if (!handle) return;
    // A test that stopped half-way leaves no panel of its own behind.
    if (running()) TerminateProcess(handle, 1);
    CloseHandle(handle);
}

bool Process::running() const {
    return handle && WaitForSingleObject(handle, 0) == WAIT_TIMEOUT;
}

long Process::waitExit(DWORD limitMs) {
    if (!handle || WaitForSingleObject(handle, limitMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(handle, &code);
    return static_cast<long>(code);
}

bool launch(const std::string& commandLine, Process& process) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return false;
    CloseHandle(info.hThread);
    process.handle = info.hProcess;
    process.id = info.dwProcessId;
    return true;
}

std::string runAndCapture(const std::string& commandLine, DWORD limitMs) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return {};
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION info = {};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    const BOOL started =
        CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info);
    CloseHandle(writeEnd);
    std::string output;
    if (started) {
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got) output.append(buffer, got);
        WaitForSingleObject(info.hProcess, limitMs);
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
    CloseHandle(readEnd);
    return output;
}

std::string windowText(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

namespace {
std::string classOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

struct Search {
    DWORD process;
    const char* text;
    bool byChildText;
    HWND found;
};

BOOL CALLBACK searchTopLevel(HWND window, LPARAM param) {
    auto* s = reinterpret_cast<Search*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != s->process || classOf(window) != "#32770") return TRUE;
    if (!s->byChildText) {
        if (windowText(window).rfind(s->text, 0) == 0) {
            s->found = window;
            return FALSE;
        }
        return TRUE;
    }
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (windowText(c) == s->text) {
            s->found = window;
            return FALSE;
        }
    return TRUE;
}
} // namespace

HWND findBoxWithText(DWORD processId, const char* text) {
    Search search{processId, text, true, nullptr};
    EnumWindows(searchTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND waitForDialog(DWORD processId, const char* captionPrefix, DWORD limitMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        Search search{processId, captionPrefix, false, nullptr};
        EnumWindows(searchTopLevel, reinterpret_cast<LPARAM>(&search));
        if (search.found || GetTickCount() - start > limitMs) return search.found;
        Sleep(20);
    }
}

bool waitFor(bool (*condition)(HWND), HWND window, DWORD limitMs) {
    const DWORD start = GetTickCount();
    while (!condition(window)) {
        if (GetTickCount() - start > limitMs) return false;
        Sleep(20);
    }
    return true;
}

} // namespace testing
} // namespace velmora
