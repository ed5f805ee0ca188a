// The simulated bus driver under Wine, seen as the panel sees it: units found
// through the interface class, "<path>\CONTROL" opened with CreateFileA and
// buffered DeviceIoControl exchanges. What a unit answers is checked against
// the driver's own dump of the unit's model, and against the serial decoder's
// register files for the raw write.
//
// Runs in a prefix prepared by scripts/sim-prefix.sh (driver installed, a
// persistent wineserver); each test uses serials of its own.
#include <windows.h>
#include <setupapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "device/DeviceWire.h"
#include "sim/driver/VelmoraSimBus.h"

namespace {

const GUID kUnitClass = {0xDD35D54E, 0x850E, 0x4E69, {0x9F, 0xA8, 0x43, 0x1C, 0x9E, 0x47, 0xB4, 0x46}};

double nowMs()
{
    static LARGE_INTEGER freq = [] { LARGE_INTEGER f; QueryPerformanceFrequency(&f); return f; }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) * 1000.0 / double(freq.QuadPart);
}

// The bus's private channel.
class Bus {
public:
    Bus()
    {
        handle_ = CreateFileA(VSB_USER_PATH, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    }
    ~Bus() { if (ok()) CloseHandle(handle_); }
    bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }

    // 0 on success, else the platform error.
    DWORD call(DWORD code, const void* in, DWORD inLen, void* out, DWORD outLen, DWORD* got = nullptr)
    {
        DWORD n = 0;
        if (!DeviceIoControl(handle_, code, const_cast<void*>(in), inLen, out, outLen, &n, nullptr))
            return GetLastError();
        if (got) *got = n;
        return 0;
    }
    DWORD unitCall(DWORD code, const char* serial)
    {
        VsbUnitRequest r{};
        std::strncpy(r.serial, serial, sizeof(r.serial) - 1);
        return call(code, &r, sizeof(r), nullptr, 0);
    }
    DWORD plug(const char* serial) { return unitCall(VSB_IOCTL_PLUG, serial); }
    DWORD unplug(const char* serial) { return unitCall(VSB_IOCTL_UNPLUG, serial); }
    DWORD set(const char* serial, uint32_t what, uint32_t value)
    {
        VsbSetRequest r{};
        std::strncpy(r.serial, serial, sizeof(r.serial) - 1);
        r.what = what;
        r.value = value;
        return call(VSB_IOCTL_SET, &r, sizeof(r), nullptr, 0);
    }
    DWORD fault(const char* serial, uint32_t code, int32_t command, int32_t mode, uint32_t count)
    {
        VsbFaultRequest r{};
        std::strncpy(r.serial, serial, sizeof(r.serial) - 1);
        r.code = code;
        r.command = command;
        r.mode = mode;
        r.count = count;
        return call(VSB_IOCTL_FAULT, &r, sizeof(r), nullptr, 0);
    }
    bool dump(const char* serial, VsbDump& d)
    {
        VsbUnitRequest r{};
        std::strncpy(r.serial, serial, sizeof(r.serial) - 1);
        DWORD got = 0;
        std::vector<uint8_t> buf(sizeof(VsbDump));
        std::memcpy(buf.data(), &r, sizeof(r));
        if (call(VSB_IOCTL_DUMP, buf.data(), sizeof(r), buf.data(), DWORD(buf.size()), &got) || got != sizeof(VsbDump))
            return false;
        std::memcpy(&d, buf.data(), sizeof(d));
        return d.modelSize == sizeof(VelmoraModel);
    }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

struct Interface {
    std::string path;
    std::string instance;
};

// One scan as the panel makes it: present interfaces of the class (flags 0x12).
std::vector<Interface> enumerateUnits()
{
    std::vector<Interface> found;
    HDEVINFO set = SetupDiGetClassDevsA(&kUnitClass, nullptr, nullptr, 0x12);
    if (set == INVALID_HANDLE_VALUE)
        return found;
    for (DWORD i = 0;; ++i) {
        SP_DEVICE_INTERFACE_DATA iface{};
        iface.cbSize = sizeof(iface);
        if (!SetupDiEnumDeviceInterfaces(set, nullptr, &kUnitClass, i, &iface))
            break;
        DWORD size = 0;
        SetupDiGetDeviceInterfaceDetailA(set, &iface, nullptr, 0, &size, nullptr);
        std::vector<char> buf(size + 8);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(buf.data());
        detail->cbSize = sizeof(*detail);
        SP_DEVINFO_DATA dev{};
        dev.cbSize = sizeof(dev);
        char instance[256] = {};
        if (!SetupDiGetDeviceInterfaceDetailA(set, &iface, detail, DWORD(buf.size()), nullptr, &dev))
            continue;
        if (!SetupDiGetDeviceInstanceIdA(set, &dev, instance, sizeof(instance), nullptr))
            continue;
        found.push_back({detail->DevicePath, instance});
    }
    SetupDiDestroyDeviceInfoList(set);
    return found;
}

std::string instanceOf(const char* serial) { return std::string("VELMORA\\UNIT\\") + serial; }

// Waits (by polling the enumeration, with a deadline) until the unit is, or is
// no longer, enumerable; answers its path when present.
bool waitUnit(const char* serial, bool present, std::string* path = nullptr, double timeoutMs = 5000)
{
    const double deadline = nowMs() + timeoutMs;
    for (;;) {
        bool seen = false;
        for (const auto& i : enumerateUnits())
            if (_stricmp(i.instance.c_str(), instanceOf(serial).c_str()) == 0) {
                seen = true;
                if (path) *path = i.path;
            }
        if (seen == present)
            return true;
        if (nowMs() > deadline)
            return false;
        Sleep(1);
    }
}

HANDLE openControl(const std::string& path)
{
    return CreateFileA((path + "\\CONTROL").c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, 0, nullptr);
}

struct Exchange {
    bool ok;
    DWORD returned;
    DWORD error;
};

Exchange exchange(HANDLE h, DWORD code, void* buf, DWORD len)
{
    DWORD got = 0xDEADBEEF;
    BOOL ok = DeviceIoControl(h, code, buf, len, buf, len, &got, nullptr);
    return {ok != FALSE, got, ok ? 0 : GetLastError()};
}

velmora::DeviceRequest command(int32_t code)
{
    velmora::DeviceRequest r{};
    r.command = code;
    return r;
}

// One register write as the unit's port expects it: idle, select low, 16 bits
// of two steps each (clock low, then high), select high.
std::vector<uint8_t> frame(bool converter, uint8_t address, uint8_t data)
{
    const uint8_t one[2] = {uint8_t(converter ? 0x5F : 0x7E), 0x7F};
    const uint8_t zero[2] = {uint8_t(converter ? 0x1F : 0x7C), uint8_t(converter ? 0x3F : 0x7D)};
    std::vector<uint8_t> steps{0xFF, 0x7F};
    uint32_t bits = (converter ? 0x5u : 0x1u) << 13 | uint32_t(address & 0x1F) << 8 | data;
    for (int b = 15; b >= 0; --b) {
        const uint8_t* s = (bits >> b) & 1 ? one : zero;
        steps.push_back(s[0]);
        steps.push_back(s[1]);
    }
    steps.push_back(0xFF);
    return steps;
}

class SimDriver : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(bus.ok()) << "the simulated bus is not running (scripts/sim-prefix.sh)"; }
    // Plugs a unit and opens its control channel the way the panel does.
    HANDLE plugAndOpen(const char* serial, std::string* pathOut = nullptr)
    {
        EXPECT_EQ(0u, bus.plug(serial));
        std::string path;
        EXPECT_TRUE(waitUnit(serial, true, &path)) << serial << " never became enumerable";
        HANDLE h = openControl(path);
        EXPECT_NE(INVALID_HANDLE_VALUE, h) << "enumerable but cannot be opened: " << path << " error " << GetLastError();
        if (pathOut) *pathOut = path;
        return h;
    }
    void unplugAndWait(const char* serial)
    {
        EXPECT_EQ(0u, bus.unplug(serial));
        EXPECT_TRUE(waitUnit(serial, false)) << serial << " still enumerable";
    }
    Bus bus;
};

TEST_F(SimDriver, TwoUnitsAreEnumeratedAndEachAnswersFromItsOwnModel)
{
    HANDLE a = plugAndOpen("SNA1");
    HANDLE b = plugAndOpen("SNA2");
    ASSERT_NE(INVALID_HANDLE_VALUE, a);
    ASSERT_NE(INVALID_HANDLE_VALUE, b);

    // Both in one scan, each interface on its own unit's instance.
    int seen = 0;
    for (const auto& i : enumerateUnits())
        if (_stricmp(i.instance.c_str(), instanceOf("SNA1").c_str()) == 0 ||
            _stricmp(i.instance.c_str(), instanceOf("SNA2").c_str()) == 0)
            ++seen;
    EXPECT_EQ(2, seen);

    // Command 8 answers the whole request with the model's configuration.
    VsbDump da{};
    ASSERT_TRUE(bus.dump("SNA1", da));
    velmora::DeviceRequest req = command(velmora::CMD_GET_CONFIGURATION);
    Exchange x = exchange(a, velmora::IOCTL_COMMAND, &req, sizeof(req));
    ASSERT_TRUE(x.ok) << x.error;
    EXPECT_EQ(260u, x.returned);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(uint32_t(da.model.config[i]), velmora::readLe32(req.data + 4 * i)) << "value " << i;

    // A hardware change on one unit shows on that unit only, with its event flag.
    ASSERT_EQ(0u, bus.set("SNA2", VSB_SET_RATE, 96000));
    req = command(velmora::CMD_GET_CONFIGURATION);
    ASSERT_TRUE(exchange(b, velmora::IOCTL_COMMAND, &req, sizeof(req)).ok);
    EXPECT_EQ(96000u, velmora::readLe32(req.data));
    req = command(velmora::CMD_GET_CONFIGURATION);
    ASSERT_TRUE(exchange(a, velmora::IOCTL_COMMAND, &req, sizeof(req)).ok);
    EXPECT_EQ(uint32_t(da.model.config[0]), velmora::readLe32(req.data));
    uint8_t event[8] = {};
    x = exchange(b, velmora::IOCTL_EVENT, event, sizeof(event));
    ASSERT_TRUE(x.ok);
    EXPECT_EQ(8u, x.returned);
    EXPECT_EQ(1u, velmora::readLe32(event) & 1u);
    std::memset(event, 0, sizeof(event));
    ASSERT_TRUE(exchange(b, velmora::IOCTL_EVENT, event, sizeof(event)).ok);
    EXPECT_EQ(0u, velmora::readLe32(event) & 1u) << "reading the event word clears it";
    ASSERT_TRUE(exchange(a, velmora::IOCTL_EVENT, event, sizeof(event)).ok);
    EXPECT_EQ(0u, velmora::readLe32(event) & 1u) << "the other unit saw no change";

    // Fixed-size reads: identity 64, version 4 (the model's), meters 64 and moving.
    char identity[64] = {};
    x = exchange(a, velmora::IOCTL_IDENTITY_1, identity, sizeof(identity));
    ASSERT_TRUE(x.ok);
    EXPECT_EQ(64u, x.returned);
    EXPECT_EQ(0, std::memcmp(identity, da.model.identity1, 64));
    uint8_t version[4] = {};
    x = exchange(a, velmora::IOCTL_DRIVER_VERSION, version, sizeof(version));
    ASSERT_TRUE(x.ok);
    EXPECT_EQ(4u, x.returned);
    EXPECT_EQ(da.model.driverVersion, velmora::readLe32(version));
    uint8_t m1[64] = {}, m2[64] = {};
    x = exchange(a, velmora::IOCTL_READ_METERS, m1, sizeof(m1));
    ASSERT_TRUE(x.ok);
    EXPECT_EQ(64u, x.returned);
    ASSERT_TRUE(exchange(a, velmora::IOCTL_READ_METERS, m2, sizeof(m2)).ok);
    EXPECT_NE(0, std::memcmp(m1, m2, 64)) << "the meter generator advances per read";

    // The model counted exactly what went through the channel.
    VsbDump after{};
    ASSERT_TRUE(bus.dump("SNA1", after));
    EXPECT_EQ(2u, after.model.ioctlCount[VM_SLOT_READ_METERS]);
    EXPECT_EQ(2u, after.model.commandCount[velmora::CMD_GET_CONFIGURATION]);
    EXPECT_EQ(1u, after.openHandles);

    // Figure: one 260-byte exchange.
    const int n = 500;
    const double t0 = nowMs();
    for (int i = 0; i < n; ++i) {
        req = command(velmora::CMD_GET_CONFIGURATION);
        ASSERT_TRUE(exchange(a, velmora::IOCTL_COMMAND, &req, sizeof(req)).ok);
    }
    std::printf("[figure] 260-byte exchange: %.1f us mean over %d\n", (nowMs() - t0) * 1000.0 / n, n);

    CloseHandle(a);
    CloseHandle(b);
    unplugAndWait("SNA1");
    unplugAndWait("SNA2");
}

TEST_F(SimDriver, RawWriteCarriesFramesToTheUnitsRegisterFiles)
{
    HANDLE h = plugAndOpen("SNR1");
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    VsbDump before{};
    ASSERT_TRUE(bus.dump("SNR1", before));

    // Output 3 (register 7) at 100, as the panel writes it (| 0x80).
    std::vector<uint8_t> volume = frame(true, 7, 100 | 0x80);
    ASSERT_EQ(35u, volume.size());
    Exchange x = exchange(h, velmora::IOCTL_RAW_WRITE, volume.data(), DWORD(volume.size()));
    ASSERT_TRUE(x.ok) << x.error;
    EXPECT_EQ(35u, x.returned);
    // S/PDIF format register 13 of the digital-output interface.
    std::vector<uint8_t> format = frame(false, 13, 1);
    ASSERT_TRUE(exchange(h, velmora::IOCTL_RAW_WRITE, format.data(), DWORD(format.size())).ok);
    // Wrong leading bits (1, 1, 1): the chip ignores the frame.
    std::vector<uint8_t> bad = frame(true, 8, 0xAA);
    bad[4] = 0x5F, bad[5] = 0x7F;
    ASSERT_TRUE(exchange(h, velmora::IOCTL_RAW_WRITE, bad.data(), DWORD(bad.size())).ok);

    VsbDump after{};
    ASSERT_TRUE(bus.dump("SNR1", after));
    EXPECT_EQ(100 | 0x80, after.model.codec[7]);
    EXPECT_EQ(1, after.model.dit[13]);
    EXPECT_EQ(before.model.codec[8], after.model.codec[8]);
    EXPECT_EQ(before.model.codecFrames + 1, after.model.codecFrames);
    EXPECT_EQ(before.model.ditFrames + 1, after.model.ditFrames);
    EXPECT_EQ(before.model.malformedFrames + 1, after.model.malformedFrames);

    CloseHandle(h);
    unplugAndWait("SNR1");
}

TEST_F(SimDriver, UnplugTakesTheUnitAwayAndRefusesItsOpenHandle)
{
    std::string path;
    HANDLE h = plugAndOpen("SNU1", &path);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    ASSERT_EQ(0u, bus.set("SNU1", VSB_SET_RATE, 88200));

    unplugAndWait("SNU1");
    velmora::DeviceRequest req = command(velmora::CMD_GET_CONFIGURATION);
    Exchange x = exchange(h, velmora::IOCTL_COMMAND, &req, sizeof(req));
    EXPECT_FALSE(x.ok);
    EXPECT_EQ(5u, x.error);
    EXPECT_EQ(0xDEADBEEFu, x.returned) << "bytes returned left unwritten";
    HANDLE again = openControl(path);
    EXPECT_EQ(INVALID_HANDLE_VALUE, again) << "a gone unit cannot be opened";
    if (again != INVALID_HANDLE_VALUE) CloseHandle(again);

    VsbDump d{};
    ASSERT_TRUE(bus.dump("SNU1", d));
    EXPECT_EQ(0u, d.plugged);
    EXPECT_EQ(1u, d.openHandles);
    CloseHandle(h);
    ASSERT_TRUE(bus.dump("SNU1", d));
    EXPECT_EQ(0u, d.openHandles);

    // Plugged in again: a unit at power-on under the same instance.
    HANDLE h2 = plugAndOpen("SNU1");
    ASSERT_NE(INVALID_HANDLE_VALUE, h2);
    req = command(velmora::CMD_GET_CONFIGURATION);
    x = exchange(h2, velmora::IOCTL_COMMAND, &req, sizeof(req));
    ASSERT_TRUE(x.ok);
    EXPECT_EQ(48000u, velmora::readLe32(req.data));

    // The bus refuses what it cannot honour, and says so.
    EXPECT_EQ(DWORD(ERROR_ALREADY_EXISTS), bus.plug("SNU1")) << "a serial is on the bus once";
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), bus.plug("SN\\X")) << "a serial cannot reach into the instance id";
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), bus.plug(""));
    EXPECT_NE(0u, bus.unplug("NOSUCHUNIT"));
    EXPECT_NE(0u, bus.set("SNU1", VSB_SET_RATE, 12345)) << "the unit does not run at that rate";
    EXPECT_NE(0u, bus.set("SNU1", VSB_SET_LATENCY, 7));

    CloseHandle(h2);
    unplugAndWait("SNU1");
}

TEST_F(SimDriver, InjectedFaultsReachTheClientAndThenClear)
{
    HANDLE h = plugAndOpen("SNF1");
    ASSERT_NE(INVALID_HANDLE_VALUE, h);

    ASSERT_EQ(0u, bus.fault("SNF1", velmora::IOCTL_COMMAND, velmora::CMD_GET_CONFIGURATION, VM_FAULT_FAIL, 1));
    ASSERT_EQ(0u, bus.fault("SNF1", velmora::IOCTL_READ_METERS, VM_ANY_COMMAND, VM_FAULT_SHORT, 2));

    velmora::DeviceRequest other = command(velmora::CMD_GET_LATENCY);
    EXPECT_TRUE(exchange(h, velmora::IOCTL_COMMAND, &other, sizeof(other)).ok) << "another command is not hit";
    velmora::DeviceRequest req = command(velmora::CMD_GET_CONFIGURATION);
    EXPECT_FALSE(exchange(h, velmora::IOCTL_COMMAND, &req, sizeof(req)).ok);
    req = command(velmora::CMD_GET_CONFIGURATION);
    Exchange x = exchange(h, velmora::IOCTL_COMMAND, &req, sizeof(req));
    EXPECT_TRUE(x.ok) << "the fault hit once";
    EXPECT_EQ(260u, x.returned);

    uint8_t meters[64];
    EXPECT_EQ(63u, exchange(h, velmora::IOCTL_READ_METERS, meters, 64).returned);
    EXPECT_EQ(63u, exchange(h, velmora::IOCTL_READ_METERS, meters, 64).returned);
    EXPECT_EQ(64u, exchange(h, velmora::IOCTL_READ_METERS, meters, 64).returned);

    EXPECT_NE(0u, bus.fault("SNF1", velmora::IOCTL_COMMAND, 8, 99, 1)) << "unknown fault mode";
    EXPECT_NE(0u, bus.fault("NOSUCHUNIT", velmora::IOCTL_COMMAND, 8, VM_FAULT_FAIL, 1));

    CloseHandle(h);
    unplugAndWait("SNF1");
}

// What the panel's listener relies on: a hidden top-level window that did not
// register for notifications hears of each plug and unplug, and when it hears
// of it the scan it starts already finds (or no longer finds) the unit.
struct ChangeWindow {
    static LRESULT CALLBACK proc(HWND w, UINT msg, WPARAM wp, LPARAM lp)
    {
        if (msg == WM_DEVICECHANGE && wp == 0x0007 /* DBT_DEVNODES_CHANGED */) {
            auto* self = reinterpret_cast<ChangeWindow*>(GetWindowLongPtrA(w, GWLP_USERDATA));
            if (self && self->serial) {
                ++self->messages;
                bool seen = false;
                for (const auto& i : enumerateUnits())
                    seen |= _stricmp(i.instance.c_str(), instanceOf(self->serial).c_str()) == 0;
                self->seenAtMessage.push_back(seen);
            }
        }
        return DefWindowProcA(w, msg, wp, lp);
    }
    ChangeWindow()
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "SimDriverChangeWindow";
        RegisterClassA(&wc);
        hwnd = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, LONG_PTR(this));
    }
    ~ChangeWindow() { DestroyWindow(hwnd); }
    // Pumps messages until `count` change messages arrived or the deadline passed.
    bool pumpUntil(int count, double timeoutMs = 5000)
    {
        const double deadline = nowMs() + timeoutMs;
        while (messages < count && nowMs() < deadline) {
            MSG m;
            while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&m);
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        }
        return messages >= count;
    }
    HWND hwnd = nullptr;
    const char* serial = nullptr;
    int messages = 0;
    std::vector<bool> seenAtMessage;
};

TEST_F(SimDriver, HiddenWindowsHearOfPlugAndUnplugOnceTheScanCanSeeIt)
{
    ChangeWindow window;
    ASSERT_NE(nullptr, window.hwnd);
    window.serial = "SNW1";

    ASSERT_EQ(0u, bus.plug("SNW1"));
    ASSERT_TRUE(window.pumpUntil(1)) << "no device-change message after a plug";
    ASSERT_FALSE(window.seenAtMessage.empty());
    EXPECT_TRUE(window.seenAtMessage.back()) << "the message came before the unit could be enumerated";

    const int before = window.messages;
    ASSERT_EQ(0u, bus.unplug("SNW1"));
    ASSERT_TRUE(window.pumpUntil(before + 1)) << "no device-change message after an unplug";
    EXPECT_FALSE(window.seenAtMessage.back()) << "the unit was still enumerable when the message came";
    EXPECT_TRUE(waitUnit("SNW1", false));
}

TEST_F(SimDriver, HundredPlugCyclesLeaveTheBusClean)
{
    std::vector<double> plugToEnumerable, cycle;
    for (int i = 0; i < 100; ++i) {
        const double t0 = nowMs();
        ASSERT_EQ(0u, bus.plug("SNC1")) << "cycle " << i;
        std::string path;
        ASSERT_TRUE(waitUnit("SNC1", true, &path)) << "cycle " << i;
        plugToEnumerable.push_back(nowMs() - t0);
        HANDLE h = openControl(path);
        ASSERT_NE(INVALID_HANDLE_VALUE, h) << "cycle " << i << " error " << GetLastError();
        velmora::DeviceRequest req = command(velmora::CMD_GET_CONFIGURATION);
        Exchange x = exchange(h, velmora::IOCTL_COMMAND, &req, sizeof(req));
        ASSERT_TRUE(x.ok) << "cycle " << i;
        ASSERT_EQ(260u, x.returned);
        CloseHandle(h);
        ASSERT_EQ(0u, bus.unplug("SNC1")) << "cycle " << i;
        ASSERT_TRUE(waitUnit("SNC1", false)) << "cycle " << i;
        cycle.push_back(nowMs() - t0);
    }
    VsbList list{};
    DWORD got = 0;
    ASSERT_EQ(0u, bus.call(VSB_IOCTL_LIST, nullptr, 0, &list, sizeof(list), &got));
    int records = 0;
    for (uint32_t i = 0; i < list.count; ++i)
        if (std::strcmp(list.units[i].serial, "SNC1") == 0) {
            ++records;
            EXPECT_EQ(0u, list.units[i].plugged);
            EXPECT_EQ(0u, list.units[i].openHandles);
        }
    EXPECT_LE(records, 1) << "records of a serial do not pile up";

    std::sort(plugToEnumerable.begin(), plugToEnumerable.end());
    std::sort(cycle.begin(), cycle.end());
    std::printf("[figure] plug->enumerable ms: min %.1f median %.1f max %.1f\n", plugToEnumerable.front(),
                plugToEnumerable[50], plugToEnumerable.back());
    std::printf("[figure] plug/open/exchange/unplug cycle ms: min %.1f median %.1f max %.1f\n", cycle.front(),
                cycle[50], cycle.back());
}

} // namespace
