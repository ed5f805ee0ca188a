// bench_meter_tick: one meter tick through the Win32 layer, measured under
// Wine. The real Control page (the program's own skin) in a shown window is
// fed meter blocks whose levels wander as music does, with the peak hold on,
// and each tick is timed; every call the program's code makes into gdi32,
// and into user32 for DCs and painting, is counted by routing this
// program's import table through counting stubs. For comparison the same
// ticks are run with every meter repainted whole, as invalidating each
// meter on every tick did.
//
//   bench_meter_tick [ticks]          (default 2000)
//
// Prints a readable report and one line "bench ..." of key=value figures.
#include "tests/support/CountingAllocator.h"
#include "tests/ui_win32/PixelProbe.h"
#include "tests/ui_win32/TestParent.h"
#include "ui/win32/CControlPage.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

// ---- counting the program's own calls into a DLL --------------------------------

// A stub per import: inc qword [counter]; jmp qword [target]; counter; target.
struct Stub {
    unsigned char code[16];
    unsigned long long counter;
    void* target;
};

struct CountedCall {
    std::string dll, name;
    Stub* stub;
};

std::vector<CountedCall> g_counted;

bool wanted(const std::string& dll, const char* name) {
    if (dll == "gdi32.dll") return true;
    static const char* const userCalls[] = {"GetDC",         "GetDCEx",   "GetWindowDC",  "ReleaseDC",
                                            "BeginPaint",    "EndPaint",  "FillRect",     "DrawTextA",
                                            "InvalidateRect", "ValidateRect", "RedrawWindow", "UpdateWindow"};
    if (dll != "user32.dll") return false;
    for (const char* call : userCalls)
        if (std::strcmp(call, name) == 0) return true;
    return false;
}

void countImports() {
    auto* base = reinterpret_cast<unsigned char*>(GetModuleHandleA(nullptr));
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto* stubs = static_cast<Stub*>(VirtualAlloc(nullptr, 1 << 20, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE));
    size_t used = 0;
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name; ++d) {
        std::string dll = reinterpret_cast<const char*>(base + d->Name);
        std::transform(dll.begin(), dll.end(), dll.begin(), [](char c) { return char(std::tolower(c)); });
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + (d->OriginalFirstThunk ? d->OriginalFirstThunk : d->FirstThunk));
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const char* name = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name;
            if (!wanted(dll, name) || used >= (1 << 20) / sizeof(Stub)) continue;
            Stub* stub = &stubs[used++];
            stub->counter = 0;
            stub->target = reinterpret_cast<void*>(slots->u1.Function);
            unsigned char* c = stub->code;
            const int32_t toCounter = int32_t(reinterpret_cast<unsigned char*>(&stub->counter) - (c + 7));
            const int32_t toTarget = int32_t(reinterpret_cast<unsigned char*>(&stub->target) - (c + 13));
            c[0] = 0x48; c[1] = 0xFF; c[2] = 0x05; std::memcpy(c + 3, &toCounter, 4); // inc qword [rip+x]
            c[7] = 0xFF; c[8] = 0x25; std::memcpy(c + 9, &toTarget, 4);               // jmp qword [rip+y]
            c[13] = c[14] = c[15] = 0xCC;
            DWORD old = 0;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &old);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(stub->code);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
            g_counted.push_back({dll, name, stub});
        }
    }
    FlushInstructionCache(GetCurrentProcess(), stubs, used * sizeof(Stub));
}

std::map<std::string, unsigned long long> snapshot() {
    std::map<std::string, unsigned long long> counts;
    for (const CountedCall& call : g_counted) counts[call.dll.substr(0, call.dll.find('.')) + "." + call.name] = call.stub->counter;
    return counts;
}

// ---- the ticks ---------------------------------------------------------------------

// Levels that wander as music does: each meter drifts a few bytes a tick,
// with now and then a peak; output 3 sits at full scale.
struct Music {
    uint32_t seed = 12345;
    int bytes[26] = {};
    uint32_t next() { return seed = seed * 1664525u + 1013904223u; }
    velmora::MeterBlock block() {
        velmora::MeterBlock b{};
        for (int i = 0; i < 26; ++i) {
            const int step = int((next() >> 24) % 15) - 7; // -7..7
            bytes[i] = std::clamp(bytes[i] + step, 0, 127);
            if ((next() >> 26) == 0) bytes[i] = 120; // a peak, one tick in 64
        }
        bytes[18 + 3] = 127;
        for (int i = 0; i < 18; ++i) b.level[i] = uint8_t(bytes[i]);
        for (int j = 0; j < 8; ++j) b.level[32 + j] = uint8_t(bytes[18 + j]);
        return b;
    }
};

struct Run {
    std::vector<double> microseconds;
    std::map<std::string, double> callsPerTick;
    double gdiCallsPerTick = 0, dcCallsPerTick = 0, allocationsPerTick = 0;
    long objectsBefore = 0, objectsAfter = 0;
};

Run run(velmora::CControlPage& page, int ticks, bool repaintWhole) {
    Music music;
    for (int i = 0; i < 50; ++i) page.onMeters(music.block()); // warm up
    Run r;
    r.microseconds.reserve(size_t(ticks));
    LARGE_INTEGER frequency, t0, t1;
    QueryPerformanceFrequency(&frequency);
    const auto before = snapshot();
    r.objectsBefore = velmora::test::liveGdiHandles();
    const unsigned long long allocations = velmora_testing::g_allocations;
    for (int i = 0; i < ticks; ++i) {
        const velmora::MeterBlock b = music.block();
        QueryPerformanceCounter(&t0);
        page.onMeters(b);
        if (repaintWhole) RedrawWindow(page.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        QueryPerformanceCounter(&t1);
        r.microseconds.push_back(double(t1.QuadPart - t0.QuadPart) * 1e6 / double(frequency.QuadPart));
    }
    r.objectsAfter = velmora::test::liveGdiHandles();
    r.allocationsPerTick = double(velmora_testing::g_allocations - allocations) / ticks;
    const auto after = snapshot();
    for (const auto& [name, count] : after) {
        const double perTick = double(count - before.at(name)) / ticks;
        if (perTick <= 0) continue;
        r.callsPerTick[name] = perTick;
        (name.rfind("gdi32.", 0) == 0 ? r.gdiCallsPerTick : r.dcCallsPerTick) += perTick;
    }
    std::sort(r.microseconds.begin(), r.microseconds.end());
    return r;
}

double percentile(const std::vector<double>& sorted, double p) {
    return sorted.empty() ? 0.0 : sorted[std::min(sorted.size() - 1, size_t(p * double(sorted.size())))];
}

void report(const char* title, const Run& r) {
    std::printf("%s\n", title);
    std::printf("  time per tick: median %.1f us, 90th percentile %.1f us\n", percentile(r.microseconds, 0.5),
                percentile(r.microseconds, 0.9));
    std::printf("  calls into gdi32 per tick: %.2f; user32 DC and paint calls per tick: %.2f\n", r.gdiCallsPerTick,
                r.dcCallsPerTick);
    for (const auto& [name, perTick] : r.callsPerTick) std::printf("    %-28s %8.2f\n", name.c_str(), perTick);
    std::printf("  GDI objects %ld before, %ld after; allocations per tick %.2f\n", r.objectsBefore, r.objectsAfter,
                r.allocationsPerTick);
}

} // namespace

int main(int argc, char** argv) {
    const int ticks = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    countImports();
    velmora::test::TestParent parent;
    if (!parent.create(892, 372)) return 1;
    auto* page = new velmora::CControlPage(nullptr);
    if (!page->createPage(parent.hwnd(), 24, 53, "BAK_PAGE_CONTROL")) return 1;
    page->setPeakHold(true);
    UpdateWindow(parent.hwnd());
    velmora::test::pumpMessages();

    const Run onePass = run(*page, ticks, false);
    const Run whole = run(*page, ticks, true);
    std::printf("One meter tick through the Win32 layer: the Control page shown, 26 meters, peak hold on, %d ticks\n\n",
                ticks);
    report("one drawing pass (the program):", onePass);
    report("every meter repainted whole (for comparison):", whole);
    std::printf("bench ticks=%d us_median=%.1f us_p90=%.1f gdi_calls=%.2f dc_calls=%.2f objects_delta=%ld "
                "allocations=%.2f whole_us_median=%.1f whole_gdi_calls=%.2f whole_dc_calls=%.2f\n",
                ticks, percentile(onePass.microseconds, 0.5), percentile(onePass.microseconds, 0.9),
                onePass.gdiCallsPerTick, onePass.dcCallsPerTick, onePass.objectsAfter - onePass.objectsBefore,
                onePass.allocationsPerTick, percentile(whole.microseconds, 0.5), whole.gdiCallsPerTick,
                whole.dcCallsPerTick);
    page->destroyPage();
    parent.destroyWindow();
    return 0;
}
