// The listener window under Wine: device-change codes sent to the real
// window either rescan or print their line, timer messages poll only for
// the listener's own id, and the class may already be registered.
#include "device/DeviceListener.h"
#include "device/USBDevice.h"
#include "device/win32/ListenerWindow.h"
#include "tests/device/ScriptedTransport.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace velmora {
namespace {

using test::ScriptedTransport;
using test::TransportScript;

std::vector<std::string> g_lines;
void captureLine(const char* line) { g_lines.push_back(line); }

class ListedEnumerator : public DeviceEnumerator {
public:
    std::vector<std::string> serials;
    int calls = 0;
    Result interfaceAt(uint32_t index, DeviceInterfaceInfo& out) override {
        ++calls;
        if (index >= serials.size()) return Result::None;
        out.path = "\\\\?\\root#velmora#" + serials[index];
        out.instanceId = "VELMORA\\UNIT\\" + serials[index];
        out.devInst = index + 1;
        return Result::Found;
    }
};

struct Event {
    std::string id;
    DeviceEvent event;
};

class ListenerWindowTest : public ::testing::Test {
protected:
    ListenerWindowTest()
        : listener(enumerator, [this]() {
              auto script = std::make_shared<TransportScript>();
              script->answer = [](uint32_t code, uint8_t* out, uint32_t, uint32_t&) {
                  if (code == 0x220038) out[0] = 1; // the event flag is always up
                  return true;
              };
              scripts.push_back(script);
              return std::unique_ptr<DeviceTransport>(new ScriptedTransport(script));
          }),
          window(listener) {
        g_lines.clear();
        ListenerWindow::setDebugOutput(&captureLine);
        listener.start(&ListenerWindowTest::callback, this);
    }
    ~ListenerWindowTest() override {
        window.destroy();
        listener.stop();
        ListenerWindow::setDebugOutput(nullptr);
    }
    static void callback(void* context, USBDevice* unit, DeviceEvent event) {
        auto* t = static_cast<ListenerWindowTest*>(context);
        t->events.push_back({unit->instanceId(), event});
        if (t->onEvent) t->onEvent(unit, event);
    }
    // Sends one device-change message and lets the window's messages run
    // until the scan it may have asked for is over.
    LRESULT deviceChange(WPARAM code) {
        const LRESULT result = SendMessageA(window.hwnd(), WM_DEVICECHANGE, code, 0);
        pumpWhile([this] { return window.scanPending(); });
        return result;
    }
    template <typename Condition>
    static void pumpWhile(Condition condition, DWORD limitMs = 5000) {
        const DWORD start = GetTickCount();
        MSG msg;
        while (condition() && GetTickCount() - start < limitMs) {
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
            Sleep(5);
        }
    }

    ListedEnumerator enumerator;
    std::vector<std::shared_ptr<TransportScript>> scripts;
    DeviceListener listener;
    ListenerWindow window;
    std::vector<Event> events;
    std::function<void(USBDevice*, DeviceEvent)> onEvent;
};

TEST_F(ListenerWindowTest, HiddenTopLevelWindowWithThePollTimer) {
    ASSERT_EQ(window.create(), 0u);
    HWND hwnd = window.hwnd();
    ASSERT_NE(hwnd, nullptr);
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    EXPECT_STREQ(name, "DeviceListener");
    EXPECT_EQ(GetWindowTextLengthA(hwnd), 0);
    EXPECT_EQ(GetParent(hwnd), nullptr);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_EQ(window.timerId(), 4711u);
    EXPECT_EQ(listener.timerId(), 4711u);
    WNDCLASSA wc;
    ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "DeviceListener", &wc));
    EXPECT_EQ(wc.style, 0u);
    EXPECT_EQ(wc.hIcon, nullptr);
    EXPECT_EQ(wc.hCursor, nullptr);
    EXPECT_EQ(wc.hbrBackground, nullptr);

    window.destroy();
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(listener.timerId(), 0u);
}

TEST_F(ListenerWindowTest, ClassAlreadyRegisteredCountsAsSuccess) {
    ASSERT_EQ(window.create(), 0u);
    DeviceListener other(enumerator, nullptr);
    ListenerWindow second(other);
    // The class is registered by now (by this window or an earlier test):
    // the second registration fails with 1410, which is no failure.
    EXPECT_EQ(second.create(), 0u);
    EXPECT_NE(second.hwnd(), nullptr);
    EXPECT_NE(second.hwnd(), window.hwnd());
}

TEST_F(ListenerWindowTest, DeviceChangeCodesRescanOrPrint) {
    ASSERT_EQ(window.create(), 0u);
    struct Code { WPARAM code; const char* line; };
    const Code printed[] = {
        {0x0017, "DBT_QUERYCHANGECONFIG\n"},    {0x0018, "DBT_CONFIGCHANGED\n"},
        {0x0019, "DBT_CONFIGCHANGECANCELED\n"}, {0x8002, "DBT_DEVICEQUERYREMOVEFAILED\n"},
        {0x8003, "DBT_DEVICEREMOVEPENDING\n"},  {0x8005, "DBT_DEVICETYPESPECIFIC\n"},
        {0xFFFF, "DBT_USERDEFINED\n"},
    };
    for (const Code& c : printed) {
        g_lines.clear();
        deviceChange(c.code);
        ASSERT_EQ(g_lines.size(), 1u) << std::hex << c.code;
        EXPECT_EQ(g_lines[0], c.line);
    }
    g_lines.clear();
    deviceChange(0x8001);
    deviceChange(0x0000);
    EXPECT_TRUE(g_lines.empty());
    EXPECT_EQ(enumerator.calls, 0);

    enumerator.serials = {"A"};
    deviceChange(0x0007);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].event, DEVICE_ARRIVED);
    enumerator.serials = {"A", "B"};
    deviceChange(0x8000);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].id, "VELMORA\\UNIT\\B");
    enumerator.serials = {"B"};
    deviceChange(0x8004);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[2].id, "VELMORA\\UNIT\\A");
    EXPECT_EQ(events[2].event, DEVICE_REMOVED);
    EXPECT_TRUE(g_lines.empty());
    deviceChange(0x0018); // no rescan
    EXPECT_EQ(events.size(), 3u);
}

TEST_F(ListenerWindowTest, AStormOfDeviceChangeMessagesGivesOneScanAfterIt) {
    ASSERT_EQ(window.create(), 0u);
    for (int i = 0; i < 100; ++i) PostMessageA(window.hwnd(), WM_DEVICECHANGE, 0x0007, 0);
    // The last change of the burst is a unit that came: it is not missed.
    enumerator.serials = {"A"};
    pumpWhile([] { return true; }, 50); // the burst is taken in
    EXPECT_TRUE(window.scanPending());
    EXPECT_EQ(enumerator.calls, 0);
    pumpWhile([this] { return window.scanPending(); });
    EXPECT_EQ(enumerator.calls, 2); // one scan: unit A, then the end of the list
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].event, DEVICE_ARRIVED);
}

TEST_F(ListenerWindowTest, DebugLinesReachTheDebugOutput) {
    ASSERT_EQ(window.create(), 0u);
    ListenerWindow::setDebugOutput(nullptr); // the real OutputDebugStringA
    static std::vector<std::string> raised;
    raised.clear();
    PVOID handler = AddVectoredExceptionHandler(1, [](EXCEPTION_POINTERS* info) -> LONG {
        if (info->ExceptionRecord->ExceptionCode == DBG_PRINTEXCEPTION_C &&
            info->ExceptionRecord->NumberParameters >= 2) {
            raised.emplace_back(reinterpret_cast<const char*>(info->ExceptionRecord->ExceptionInformation[1]));
            return EXCEPTION_CONTINUE_EXECUTION;
        }
        return EXCEPTION_CONTINUE_SEARCH;
    });
    deviceChange(0x0018);
    RemoveVectoredExceptionHandler(handler);
    if (raised.empty()) GTEST_SKIP() << "this platform does not raise debug output as an exception";
    EXPECT_EQ(raised, std::vector<std::string>{"DBT_CONFIGCHANGED\n"});
}

TEST_F(ListenerWindowTest, OnlyTheListenersTimerPolls) {
    ASSERT_EQ(window.create(), 0u);
    KillTimer(window.hwnd(), window.timerId()); // ticks are sent by hand here
    enumerator.serials = {"A", "B"};
    deviceChange(0x0007);
    ASSERT_TRUE(listener.unitAt(1)->open()); // only B is open
    events.clear();
    SendMessageA(window.hwnd(), WM_TIMER, 4712, 0);
    SendMessageA(window.hwnd(), WM_TIMER, 0, 0);
    EXPECT_TRUE(events.empty());
    SendMessageA(window.hwnd(), WM_TIMER, 4711, 0);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].id, "VELMORA\\UNIT\\B");
    EXPECT_EQ(events[0].event, DEVICE_STATE_CHANGED);
    EXPECT_EQ(scripts[0]->count(0x220038), 0u);
}

TEST_F(ListenerWindowTest, TheRunningTimerPollsOpenUnits) {
    enumerator.serials = {"A"};
    ASSERT_EQ(window.create(), 0u);
    listener.scan();
    ASSERT_TRUE(listener.unitAt(0)->open());
    events.clear();
    // Wait (at most 10 s) for the first tick of the 500 ms timer.
    const DWORD start = GetTickCount();
    MSG msg;
    while (events.empty() && GetTickCount() - start < 10000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events[0].event, DEVICE_STATE_CHANGED);
}

TEST_F(ListenerWindowTest, StopFromInsideACallbackIsSafe) {
    ASSERT_EQ(window.create(), 0u);
    HWND hwnd = window.hwnd();
    enumerator.serials = {"A", "B"};
    onEvent = [&](USBDevice* unit, DeviceEvent) {
        // The client shuts down while handling the first arrival.
        window.destroy();
        listener.stop();
        EXPECT_EQ(unit->instanceId(), "VELMORA\\UNIT\\A"); // still alive here
    };
    deviceChange(0x0007);
    EXPECT_EQ(events.size(), 1u); // B is never announced
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(listener.unitCount(), 0);
    EXPECT_FALSE(listener.started());
    for (auto& s : scripts) EXPECT_TRUE(s->destroyed);
}

} // namespace
} // namespace velmora
