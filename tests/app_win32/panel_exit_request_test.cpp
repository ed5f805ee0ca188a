// --exit's search and wait, against a window and a mutex of this test
// process: a marked window gets Exit and, as its process does not end, the
// answer is "not in time" within the bound; the mutex of a panel that is
// still starting (no window yet) is waited for likewise; with neither there
// is no panel.
#include "app/win32/AppMainWindow.h"
#include "app/win32/CPanelApp.h"
#include "app/win32/PanelExitRequest.h"
#include "WineTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace velmora {
namespace {

using testing::RecordingWindow;

constexpr WPARAM kExitCommand = 32773;
constexpr DWORD kBoundMs = 300;

TEST(PanelExitRequest, APanelThatDoesNotEndIsNotInTime) {
    EXPECT_EQ(requestPanelExit(kBoundMs), PanelExitOutcome::NoPanel);

    RecordingWindow window;
    setAppMainWindow(window.hwnd()); // marks it as a panel's main window
    const DWORD start = GetTickCount();
    EXPECT_EQ(requestPanelExit(kBoundMs), PanelExitOutcome::NotInTime);
    EXPECT_LT(GetTickCount() - start, 10 * kBoundMs) << "the bound holds";
    testing::pumpMessages();
    EXPECT_EQ(std::count(window.commands.begin(), window.commands.end(), kExitCommand), 1) << "Exit, once";
    setAppMainWindow(nullptr);

    HANDLE starting = CreateMutexA(nullptr, FALSE, CPanelApp::MUTEX_NAME);
    ASSERT_TRUE(starting);
    EXPECT_EQ(requestPanelExit(kBoundMs), PanelExitOutcome::NotInTime) << "a panel without its window yet";
    CloseHandle(starting);
    EXPECT_EQ(requestPanelExit(kBoundMs), PanelExitOutcome::NoPanel);
}

} // namespace
} // namespace velmora
