// SetupAPI enumeration, the file-API transport and the process-wide listener
// under Wine with no Velmora driver installed.
#include "device/DeviceListener.h"
#include "device/USBDevice.h"
#include "device/win32/DeviceListenerService.h"
#include "device/win32/ListenerWindow.h"
#include "device/win32/SetupDiEnumerator.h"
#include "device/win32/Win32Transport.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

namespace velmora {
namespace {

TEST(SetupDiEnumeratorTest, InterfaceClassConvertsToTheGuid) {
    // {DD35D54E-850E-4E69-9FA8-431C9E47B446}
    const GUID expected = {0xDD35D54E, 0x850E, 0x4E69, {0x9F, 0xA8, 0x43, 0x1C, 0x9E, 0x47, 0xB4, 0x46}};
    SetupDiEnumerator enumerator;
    EXPECT_TRUE(IsEqualGUID(enumerator.interfaceClass(), expected));
    EXPECT_EQ(std::memcmp(&VELMORA_INTERFACE_CLASS, &expected, 16), 0);
}

TEST(SetupDiEnumeratorTest, NoDriverMeansNoUnits) {
    SetupDiEnumerator enumerator;
    DeviceInterfaceInfo info;
    info.path = "untouched";
    EXPECT_EQ(enumerator.interfaceAt(0, info), DeviceEnumerator::Result::None);
    EXPECT_EQ(enumerator.interfaceAt(5, info), DeviceEnumerator::Result::None);
    EXPECT_EQ(info.path, "untouched");
}

TEST(Win32TransportTest, MissingPathFailsAndTheObjectStaysUsable) {
    Win32Transport transport;
    EXPECT_FALSE(transport.open("\\\\?\\root#velmora#0000#{dd35d54e-850e-4e69-9fa8-431c9e47b446}\\CONTROL"));
    EXPECT_FALSE(transport.isOpen());
    EXPECT_NE(transport.lastOpenError(), 0u);
    uint8_t buffer[8] = {};
    uint32_t returned = 77;
    EXPECT_FALSE(transport.exchange(0x220038, nullptr, 0, buffer, sizeof buffer, &returned));
    EXPECT_EQ(returned, 77u);
    transport.close();
    EXPECT_FALSE(transport.open("C:\\no\\such\\dir\\CONTROL"));
    EXPECT_FALSE(transport.open(nullptr));

    // A name that does exist opens and closes again.
    ASSERT_TRUE(transport.open("NUL"));
    EXPECT_TRUE(transport.isOpen());
    EXPECT_EQ(transport.lastOpenError(), 0u);
    transport.close();
    EXPECT_FALSE(transport.isOpen());
    transport.close();
}

TEST(Win32TransportTest, ControlChannelOverAMissingUnit) {
    USBDevice* device = new USBDevice("\\\\?\\root#velmora#0000#{dd35d54e-850e-4e69-9fa8-431c9e47b446}",
                                      "ROOT\\VELMORA\\0000", 1, std::make_unique<Win32Transport>());
    device->addRef();
    EXPECT_FALSE(device->open());
    EXPECT_FALSE(device->open());
    int32_t config[5];
    EXPECT_FALSE(device->getConfiguration(config));
    device->release();
}

int g_callbacks = 0;
void countCallback(void*, USBDevice*, DeviceEvent) { ++g_callbacks; }

TEST(ProcessListenerTest, StartScanStopWithoutUnits) {
    g_callbacks = 0;
    EXPECT_EQ(startListener(&countCallback, nullptr), 0u);
    HWND hwnd = processListenerWindow().hwnd();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_TRUE(processDeviceListener().started());
    EXPECT_EQ(startListener(&countCallback, nullptr), 0u); // running: nothing happens
    EXPECT_EQ(processListenerWindow().hwnd(), hwnd);
    scanDevices();
    SendMessageA(hwnd, WM_DEVICECHANGE, 0x0007, 0);
    SendMessageA(hwnd, WM_TIMER, 4711, 0);
    EXPECT_EQ(g_callbacks, 0);
    EXPECT_EQ(processDeviceListener().unitCount(), 0);
    stopListener();
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(processDeviceListener().started());
    stopListener(); // twice is harmless

    // Started again after a stop.
    EXPECT_EQ(startListener(&countCallback, nullptr), 0u);
    EXPECT_NE(processListenerWindow().hwnd(), nullptr);
    stopListener();
}

} // namespace
} // namespace velmora
