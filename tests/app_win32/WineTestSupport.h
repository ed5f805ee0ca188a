// Helpers for the Wine tests of the program's shell: a top-level window that
// records the commands it receives, and message pumping with a bound.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

namespace velmora {
namespace testing {

// A hidden top-level window that records every WM_COMMAND and WM_NULL it gets.
class RecordingWindow {
public:
    RecordingWindow();
    ~RecordingWindow();
    RecordingWindow(const RecordingWindow&) = delete;
    RecordingWindow& operator=(const RecordingWindow&) = delete;

    HWND hwnd() const { return hwnd_; }
    std::vector<WPARAM> commands;   // wParam of each WM_COMMAND
    std::vector<LPARAM> commandControls;
    int nullMessages = 0;
    // Called with each popup menu the window's menu loop opens.
    std::function<void(HMENU)> onMenuPopup;

private:
    static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};

// Dispatches every queued message of this thread.
void pumpMessages();

// Pumps messages until `done` answers true or about `limitMs` passed; answers
// the last value of `done`.
bool pumpUntil(const std::function<bool()>& done, DWORD limitMs = 10000);

} // namespace testing
} // namespace velmora
