// hotkeybench: a hotkey's way to the unit's register under Wine, timed with
// QueryPerformanceCounter. Each round sends the panel's window the WM_HOTKEY
// that the system sends for a bound combination (volume up, then volume down
// in the next round, so that the level stays) and waits for the window to
// have handled it: the volume frame has then been written to the unit
// through the driver, and the on-screen level shown. Beside each round a
// bare WM_NULL to the same window, for the message's own way.
//
//   hotkeybench <rounds>
//
// Prints "hotkey n=N median_us=.. p99_us=.. failed=N" and the same for "bare";
// exit status 1 when no panel runs.
#include "app/win32/AppMainWindow.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kHotkeyIdFirst = 0x484B; // volume up; volume down is the next id

struct Figures {
    std::vector<double> us;
    int failed = 0;
    void print(const char* way) {
        std::sort(us.begin(), us.end());
        const auto at = [this](double q) {
            if (us.empty()) return 0.0;
            return us[std::min(us.size() - 1, size_t(q * double(us.size() - 1) + 0.5))];
        };
        std::printf("%s n=%zu median_us=%.1f p99_us=%.1f failed=%d\n", way, us.size(), at(0.5), at(0.99), failed);
    }
};

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    const HWND panel = velmora::findRunningPanelWindow();
    if (!panel) {
        std::fprintf(stderr, "hotkeybench: no panel runs\n");
        return 1;
    }
    LARGE_INTEGER frequency, t0, t1;
    QueryPerformanceFrequency(&frequency);
    Figures hotkey, bare;
    auto timed = [&](Figures& figures, UINT message, WPARAM wParam, LPARAM lParam) {
        DWORD_PTR result = 0;
        QueryPerformanceCounter(&t0);
        const LRESULT sent = SendMessageTimeoutW(panel, message, wParam, lParam, SMTO_NORMAL, 5000, &result);
        QueryPerformanceCounter(&t1);
        if (!sent) ++figures.failed;
        else figures.us.push_back(double(t1.QuadPart - t0.QuadPart) * 1e6 / double(frequency.QuadPart));
    };
    for (int i = 0; i < rounds; ++i) {
        const int id = kHotkeyIdFirst + (i % 2);                 // up, down, up, ...
        const LPARAM keys = MAKELPARAM(3, i % 2 ? VK_DOWN : VK_UP); // Ctrl+Alt+Up / Down
        timed(hotkey, WM_HOTKEY, WPARAM(id), keys);
        timed(bare, WM_NULL, 0, 0);
    }
    hotkey.print("hotkey");
    bare.print("bare");
    return 0;
}
