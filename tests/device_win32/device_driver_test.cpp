// The device layer end to end under Wine, against the simulated bus driver:
// units plugged and pulled on the simulated bus reach the process listener
// through the platform's device-change broadcast, are recognised by their
// instance id across scans, and answer the control channel.
#include "device/DeviceListener.h"
#include "device/USBDevice.h"
#include "device/VelmoraController.h"
#include "device/win32/DeviceListenerService.h"
#include "device/win32/SetupDiEnumerator.h"
#include "sim/driver/VelmoraSimBus.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace velmora {
namespace {

std::string windowsPath(const char* unixPath) {
    std::string path = std::string("Z:") + unixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

// Runs the bus's control tool and answers its exit status.
int simTool(const std::string& arguments) {
    std::string command = "\"" + windowsPath(VELMORA_SIM_TOOL) + "\" " + arguments;
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    // The tool's messages (an unplug of a unit that is not there) stay out
    // of the test's output.
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE nul = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             OPEN_EXISTING, 0, nullptr);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = si.hStdOutput = si.hStdError = nul;
    PROCESS_INFORMATION pi;
    const BOOL started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
    if (!started) return -1;
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return int(code);
}

bool dumpUnit(const char* serial, VsbDump& dump) {
    HANDLE bus = CreateFileA(VSB_USER_PATH, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
    if (bus == INVALID_HANDLE_VALUE) return false;
    VsbUnitRequest request;
    std::memset(&request, 0, sizeof request);
    std::strncpy(request.serial, serial, sizeof request.serial - 1);
    DWORD returned = 0;
    const BOOL ok = DeviceIoControl(bus, VSB_IOCTL_DUMP, &request, sizeof request, &dump, sizeof dump, &returned, nullptr);
    CloseHandle(bus);
    return ok && returned == sizeof dump;
}

// Dispatches messages until `done` holds or 10 s have passed.
bool pumpUntil(const std::function<bool()>& done) {
    const DWORD start = GetTickCount();
    MSG msg;
    while (!done()) {
        if (GetTickCount() - start > 10000) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    return true;
}

struct Client {
    struct Event {
        std::string id;
        DeviceEvent event;
    };
    std::vector<Event> events;
    USBDevice* current = nullptr;
    bool openedOnArrival = false;

    size_t count(DeviceEvent event, const std::string& id) const {
        size_t n = 0;
        for (const Event& e : events) n += e.event == event && e.id == id;
        return n;
    }

    static void callback(void* context, USBDevice* unit, DeviceEvent event) {
        Client* c = static_cast<Client*>(context);
        c->events.push_back({unit->instanceId(), event});
        if (event == DEVICE_ARRIVED && !c->current) {
            unit->addRef();
            c->openedOnArrival = unit->open();
            c->current = unit;
        } else if (event == DEVICE_REMOVED && unit == c->current) {
            unit->close();
            unit->release();
            c->current = nullptr;
        }
    }
};

const std::string UNIT_A = "VELMORA\\UNIT\\H1A";
const std::string UNIT_B = "VELMORA\\UNIT\\H1B";

class DeviceDriverTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        installed = simTool("install \"" + windowsPath(VELMORA_SIM_INF) + "\"") == 0;
    }
    void SetUp() override {
        ASSERT_TRUE(installed) << "the simulated bus driver did not install";
        simTool("unplug H1A");
        simTool("unplug H1B");
        simTool("wait-absent H1A 5000");
        simTool("wait-absent H1B 5000");
    }
    void TearDown() override {
        stopListener();
        simTool("unplug H1A");
        simTool("unplug H1B");
    }
    static bool installed;
};
bool DeviceDriverTest::installed = false;

TEST_F(DeviceDriverTest, EnumerationFindsThePluggedUnitByInstanceId) {
    ASSERT_EQ(simTool("plug H1A"), 0);
    ASSERT_EQ(simTool("wait-present H1A 5000"), 0);
    SetupDiEnumerator enumerator;
    DeviceInterfaceInfo info;
    ASSERT_EQ(enumerator.interfaceAt(0, info), DeviceEnumerator::Result::Found);
    EXPECT_EQ(info.instanceId, UNIT_A);
    EXPECT_FALSE(info.path.empty());
    EXPECT_LE(info.path.size(), 259u);
    // Asked again, the same unit answers with the same identity.
    DeviceInterfaceInfo again;
    ASSERT_EQ(enumerator.interfaceAt(0, again), DeviceEnumerator::Result::Found);
    EXPECT_EQ(again.instanceId, info.instanceId);
    EXPECT_EQ(again.path, info.path);
    EXPECT_EQ(enumerator.interfaceAt(1, again), DeviceEnumerator::Result::None);
}

TEST_F(DeviceDriverTest, AUnitLeavingDuringAScanHidesNoOther) {
    ASSERT_EQ(simTool("plug H1A"), 0);
    ASSERT_EQ(simTool("wait-present H1A 5000"), 0);
    ASSERT_EQ(simTool("plug H1B"), 0);
    ASSERT_EQ(simTool("wait-present H1B 5000"), 0);
    SetupDiEnumerator enumerator;
    DeviceInterfaceInfo info;
    enumerator.beginScan();
    ASSERT_EQ(enumerator.interfaceAt(0, info), DeviceEnumerator::Result::Found);
    const std::string first = info.instanceId;
    const std::string second = first == UNIT_A ? UNIT_B : UNIT_A;
    // The first unit goes while the scan is between two indexes.
    ASSERT_EQ(simTool(first == UNIT_A ? "unplug H1A" : "unplug H1B"), 0);
    ASSERT_EQ(simTool(first == UNIT_A ? "wait-absent H1A 5000" : "wait-absent H1B 5000"), 0);
    ASSERT_EQ(enumerator.interfaceAt(1, info), DeviceEnumerator::Result::Found);
    EXPECT_EQ(info.instanceId, second);
    enumerator.endScan();
    // The next scan no longer finds the unit that left.
    enumerator.beginScan();
    ASSERT_EQ(enumerator.interfaceAt(0, info), DeviceEnumerator::Result::Found);
    EXPECT_EQ(info.instanceId, second);
    EXPECT_EQ(enumerator.interfaceAt(1, info), DeviceEnumerator::Result::None);
    enumerator.endScan();
}

TEST_F(DeviceDriverTest, UnitsComeAndGoThroughTheListener) {
    Client client;
    ASSERT_EQ(startListener(&Client::callback, &client), 0u);
    EXPECT_TRUE(client.events.empty());

    // Plugged: the broadcast makes the listener scan and announce the unit.
    ASSERT_EQ(simTool("plug H1A"), 0);
    ASSERT_TRUE(pumpUntil([&] { return client.count(DEVICE_ARRIVED, UNIT_A) == 1; }));
    ASSERT_NE(client.current, nullptr);
    EXPECT_TRUE(client.openedOnArrival);
    USBDevice* unit = client.current;

    VersionInfo version;
    EXPECT_TRUE(unit->getDriverVersion(version));
    EXPECT_NE(version.text[0], 0);
    int32_t config[5] = {};
    ASSERT_TRUE(unit->getConfiguration(config));
    EXPECT_EQ(config[1], 18);
    EXPECT_EQ(config[3], 8);

    // A volume travels as serial steps through the raw write to the unit's
    // output converter.
    VelmoraController controller;
    controller.setSender(&sendStepsToDevice, unit);
    ASSERT_TRUE(controller.setOutVolume(6, 42));
    ASSERT_TRUE(controller.setDigitalFormat(1));
    controller.setSender(nullptr, nullptr);
    VsbDump dump;
    ASSERT_TRUE(dumpUnit("H1A", dump));
    EXPECT_EQ(dump.model.codec[11], 42 | 0x80);
    EXPECT_EQ(dump.model.dit[13], 1);
    EXPECT_EQ(dump.openHandles, 1u);

    // Rescans find the same unit, whatever node number it has this time.
    for (int i = 0; i < 5; ++i) scanDevices();
    EXPECT_EQ(client.events.size(), 1u);

    // A change flagged by the unit arrives with the poll timer.
    ASSERT_EQ(simTool("set H1A event"), 0);
    ASSERT_TRUE(pumpUntil([&] { return client.count(DEVICE_STATE_CHANGED, UNIT_A) >= 1; }));

    // A second unit is announced on its own.
    ASSERT_EQ(simTool("plug H1B"), 0);
    ASSERT_TRUE(pumpUntil([&] { return client.count(DEVICE_ARRIVED, UNIT_B) == 1; }));
    EXPECT_EQ(client.count(DEVICE_ARRIVED, UNIT_A), 1u);
    EXPECT_EQ(client.current, unit);

    // Pulled out with the channel open: removal, then the unit's requests fail.
    ASSERT_EQ(simTool("unplug H1A"), 0);
    if (client.current == unit) { // the listener has not seen the broadcast yet
        EXPECT_EQ(unit->getLatency(), 0);
        uint8_t meters[64];
        std::memset(meters, 0x55, sizeof meters);
        EXPECT_FALSE(unit->readMeters(meters));
        for (uint8_t b : meters) ASSERT_EQ(b, 0);
    }
    ASSERT_TRUE(pumpUntil([&] { return client.count(DEVICE_REMOVED, UNIT_A) == 1; }));
    EXPECT_EQ(client.current, nullptr);
    EXPECT_EQ(processDeviceListener().unitCount(), 1);

    // Plugged in again: a new arrival.
    ASSERT_EQ(simTool("plug H1A"), 0);
    ASSERT_TRUE(pumpUntil([&] { return client.count(DEVICE_ARRIVED, UNIT_A) == 2; }));
    EXPECT_EQ(client.count(DEVICE_ARRIVED, UNIT_B), 1u);

    // Stop: no callbacks, every channel closed.
    const size_t before = client.events.size();
    USBDevice* last = client.current;
    ASSERT_NE(last, nullptr);
    last->close();
    last->release();
    client.current = nullptr;
    stopListener();
    EXPECT_EQ(client.events.size(), before);
    ASSERT_TRUE(dumpUnit("H1A", dump));
    EXPECT_EQ(dump.openHandles, 0u);
}

} // namespace
} // namespace velmora
