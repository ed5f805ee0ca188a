// requestbench: the round trip of a request to the running panel, three ways
// in one run, each timed with QueryPerformanceCounter:
//   process  a second VelPanel.exe started with the request, until it ends
//            with the answer (what a batch file waits for);
//   channel  the request channel alone: sendRequest from this process, the
//            request and its answer as WM_COPYDATA;
//   bare     SendMessageTimeout of WM_NULL to the panel's window and back.
// The channel and bare rounds alternate, so that both see the same load.
// Two parts of the channel are timed apart as well:
//   copy     a WM_COPYDATA of a request's size that the panel refuses at
//            once (a kind it does not take): the copy between processes;
//   window   the message-only answer window made and destroyed.
//
//   requestbench <VelPanel.exe> <rounds> [process rounds]
//
// Prints one line per way: "<way> n=N median_us=.. p99_us=.. failed=N";
// exit status 1 when no panel runs.
#include "app/RequestWire.h"
#include "app/win32/AppMainWindow.h"
#include "app/win32/RequestChannel.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace velmora;

namespace {

struct Timer {
    LARGE_INTEGER frequency{};
    Timer() { QueryPerformanceFrequency(&frequency); }
    static LONGLONG now() {
        LARGE_INTEGER t;
        QueryPerformanceCounter(&t);
        return t.QuadPart;
    }
    double microseconds(LONGLONG from) const { return double(now() - from) * 1e6 / double(frequency.QuadPart); }
};

struct Figures {
    std::vector<double> us;
    int failed = 0;

    void print(const char* way) {
        std::sort(us.begin(), us.end());
        const auto at = [this](double q) {
            if (us.empty()) return 0.0;
            size_t index = size_t(q * double(us.size() - 1) + 0.5);
            return us[std::min(index, us.size() - 1)];
        };
        std::printf("%s n=%zu median_us=%.1f p99_us=%.1f failed=%d\n", way, us.size(), at(0.5), at(0.99), failed);
    }
};

// One VelPanel.exe --status from start to end; false when it failed.
bool runProcess(const std::wstring& exe, const Timer& timer, double& us) {
    std::wstring commandLine = L"\"" + exe + L"\" --status";
    // The answer (the status JSON) goes to NUL, not onto this console.
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                             nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nul;
    startup.hStdOutput = nul;
    startup.hStdError = nul;
    PROCESS_INFORMATION process{};
    const LONGLONG start = Timer::now();
    const BOOL started = CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                        &startup, &process);
    if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
    if (!started) return false;
    WaitForSingleObject(process.hProcess, 60000);
    us = timer.microseconds(start);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code == 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: requestbench <VelPanel.exe> <rounds> [process rounds]\n");
        return 2;
    }
    const int rounds = std::max(1, std::atoi(argv[2]));
    const int processRounds = argc > 3 ? std::max(0, std::atoi(argv[3])) : std::max(1, rounds / 20);
    const int wide = MultiByteToWideChar(CP_UTF8, 0, argv[1], -1, nullptr, 0);
    std::wstring exe(size_t(wide > 0 ? wide - 1 : 0), L'\0');
    if (wide > 1) MultiByteToWideChar(CP_UTF8, 0, argv[1], -1, exe.data(), wide);

    const HWND panel = findRunningPanelWindow();
    if (!panel) {
        std::fprintf(stderr, "no panel is running\n");
        return 1;
    }
    const Timer timer;
    PanelRequest status;
    status.verb = RequestVerb::Status;
    Figures channel, bare, process, copy, window;
    const std::string requestText = encodeRequest(status);
    // A first request of each kind outside the figures: classes registered,
    // pages of both programs touched.
    sendRequest(panel, encodeRequest(status), 10000);
    for (int i = 0; i < rounds; ++i) {
        LONGLONG start = Timer::now();
        DWORD_PTR result = 0;
        if (SendMessageTimeoutW(panel, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result))
            bare.us.push_back(timer.microseconds(start));
        else
            ++bare.failed;
        start = Timer::now();
        const RequestAnswer answer = sendRequest(panel, encodeRequest(status), 10000);
        if (answer.code == EXIT_DONE)
            channel.us.push_back(timer.microseconds(start));
        else
            ++channel.failed;

        COPYDATASTRUCT refused{0, DWORD(requestText.size()), const_cast<char*>(requestText.data())};
        start = Timer::now();
        if (SendMessageTimeoutW(panel, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&refused), SMTO_ABORTIFHUNG, 5000,
                                &result))
            copy.us.push_back(timer.microseconds(start));
        else
            ++copy.failed;
        start = Timer::now();
        if (HWND made = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {
            DestroyWindow(made);
            window.us.push_back(timer.microseconds(start));
        } else {
            ++window.failed;
        }
    }
    for (int i = 0; i < processRounds; ++i) {
        double us = 0;
        if (runProcess(exe, timer, us))
            process.us.push_back(us);
        else
            ++process.failed;
    }
    bare.print("bare");
    channel.print("channel");
    copy.print("copy");
    window.print("window");
    process.print("process");
    return 0;
}
