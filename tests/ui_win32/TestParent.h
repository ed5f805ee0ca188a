// A plain top-level window that hosts controls under test and records the
// notifications they send to their parent.
#pragma once

#include "ui/win32/Window.h"

#include <vector>

namespace velmora::test {

struct ScrollNote {
    WPARAM wParam;
    HWND control;
};

class TestParent : public Window {
public:
    bool create(int width = 480, int height = 320)
    {
        if (!registerClass("VelmoraTestParent", 0, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)))
            return false;
        return createWindow(0, "VelmoraTestParent", "test parent", WS_POPUP | WS_VISIBLE, 0, 0, width,
                            height, nullptr, 0);
    }

    std::vector<ScrollNote> scrolls;
    std::vector<WPARAM> commands;

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_VSCROLL) {
            scrolls.push_back({wParam, reinterpret_cast<HWND>(lParam)});
            return 0;
        }
        if (message == WM_COMMAND) {
            commands.push_back(wParam);
            return 0;
        }
        return defaultHandling(message, wParam, lParam);
    }
};

} // namespace velmora::test
