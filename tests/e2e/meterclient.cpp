// meterclient: the bare cost of the panel's meter polling. Opens the first
// Velmora unit's control channel and reads its 64-byte meter block 20 times a
// second for the given number of seconds, with nothing else around it (no
// window, no smoothing, no drawing).
//
//   meterclient <seconds> [per-second]
//   meterclient timed <rounds>     one exchange after the other, each timed
//
// Prints "exchanges=N failed=N" at the end (timed: "exchange n=N
// median_us=.. p99_us=.. failed=N"); exit status 1 when no unit opens.
#include <windows.h>
#include <setupapi.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const GUID kUnitInterface = {0xDD35D54E, 0x850E, 0x4E69, {0x9F, 0xA8, 0x43, 0x1C, 0x9E, 0x47, 0xB4, 0x46}};
const DWORD kReadMeters = 0x2200CC;

std::string firstUnitPath() {
    HDEVINFO set = SetupDiGetClassDevsA(&kUnitInterface, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) return {};
    std::string path;
    SP_DEVICE_INTERFACE_DATA iface{};
    iface.cbSize = sizeof iface;
    if (SetupDiEnumDeviceInterfaces(set, nullptr, &kUnitInterface, 0, &iface)) {
        DWORD size = 0;
        SetupDiGetDeviceInterfaceDetailA(set, &iface, nullptr, 0, &size, nullptr);
        std::vector<char> buffer(size ? size : 1);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(buffer.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
        if (size && SetupDiGetDeviceInterfaceDetailA(set, &iface, detail, size, nullptr, nullptr))
            path = detail->DevicePath;
    }
    SetupDiDestroyDeviceInfoList(set);
    return path;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: meterclient <seconds> [per-second]\n");
        return 2;
    }
    const bool timed = std::string(argv[1]) == "timed";
    const double seconds = timed ? 0.0 : std::atof(argv[1]);
    const int perSecond = argc > 2 ? std::atoi(argv[2]) : 20;
    const std::string path = firstUnitPath();
    if (path.empty()) {
        std::fprintf(stderr, "meterclient: no unit\n");
        return 1;
    }
    HANDLE channel = CreateFileA((path + "\\CONTROL").c_str(), GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (channel == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "meterclient: cannot open %s\\CONTROL\n", path.c_str());
        return 1;
    }
    LARGE_INTEGER frequency, start, tick;
    QueryPerformanceFrequency(&frequency);
    if (timed) {
        // A bare exchange with the unit: the 64-byte meter read, back to back.
        const int rounds = argc > 2 ? std::atoi(argv[2]) : 1000;
        std::vector<double> us;
        int failed = 0;
        unsigned char block[64];
        for (int i = 0; i < rounds; ++i) {
            DWORD got = 0;
            QueryPerformanceCounter(&start);
            const BOOL ok = DeviceIoControl(channel, kReadMeters, nullptr, 0, block, sizeof block, &got, nullptr);
            QueryPerformanceCounter(&tick);
            if (ok && got == 64) us.push_back(double(tick.QuadPart - start.QuadPart) * 1e6 / double(frequency.QuadPart));
            else ++failed;
        }
        CloseHandle(channel);
        std::sort(us.begin(), us.end());
        const auto at = [&](double q) { return us.empty() ? 0.0 : us[std::min(us.size() - 1, size_t(q * double(us.size() - 1) + 0.5))]; };
        std::printf("exchange n=%zu median_us=%.1f p99_us=%.1f failed=%d\n", us.size(), at(0.5), at(0.99), failed);
        return 0;
    }
    QueryPerformanceCounter(&start);
    const long long total = static_cast<long long>(seconds * perSecond);
    long long done = 0, failed = 0;
    unsigned char block[64];
    for (long long i = 0; i < total; ++i) {
        // Wait for the i-th period boundary, then one exchange.
        const long long due = start.QuadPart + i * frequency.QuadPart / perSecond;
        for (;;) {
            QueryPerformanceCounter(&tick);
            const long long left = (due - tick.QuadPart) * 1000 / frequency.QuadPart;
            if (left <= 0) break;
            Sleep(static_cast<DWORD>(left));
        }
        DWORD got = 0;
        if (DeviceIoControl(channel, kReadMeters, nullptr, 0, block, sizeof block, &got, nullptr) && got == 64)
            ++done;
        else
            ++failed;
    }
    CloseHandle(channel);
    std::printf("exchanges=%lld failed=%lld\n", done, failed);
    return 0;
}
