// Benchmarks of the main window's logic against the device model:
//  - the meter tick (exchange, smoothing, the Control page's 26 levels), with
//    every heap allocation counted by a replaced global operator new;
//  - a table of driver exchanges per user action, counted by the model.
#include "tests/app/ControlPageHarness.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <new>

#include "tests/support/CountingAllocator.h"

using velmora_testing::g_allocations;

namespace velmora {
namespace {

using namespace testing_app;

void BM_MeterTick(benchmark::State& state) {
    Unit unit;
    PanelWithControlPage panel;
    panel.core.onDeviceEvent(unit.device, DEVICE_ARRIVED);
    panel.core.onMeterTimer(); // warm
    const long setsBefore = panel.page->controls.meterSets;
    const unsigned long long allocationsBefore = g_allocations;
    for (auto _ : state) {
        panel.core.onMeterTimer();
        benchmark::DoNotOptimize(panel.core.meterHistory());
    }
    const double ticks = double(state.iterations());
    state.counters["allocs_per_tick"] = double(g_allocations - allocationsBefore) / ticks;
    state.counters["meter_sets_per_tick"] = double(panel.page->controls.meterSets - setsBefore) / ticks;
}
BENCHMARK(BM_MeterTick);

void BM_StatusTick(benchmark::State& state) {
    Unit unit;
    PanelWithControlPage panel;
    panel.core.onDeviceEvent(unit.device, DEVICE_ARRIVED);
    const unsigned long long allocationsBefore = g_allocations;
    for (auto _ : state) panel.core.onStatusTimer();
    state.counters["allocs_per_tick"] = double(g_allocations - allocationsBefore) / double(state.iterations());
}
BENCHMARK(BM_StatusTick);

// ---------------------------------------------------------------------------
// Exchanges per user action

struct Counts {
    uint32_t total, commands, rawWrites, meterReads;
    uint32_t writeCommands; // 3, 5, 9, 14, 17
};

Counts countOf(const VelmoraModel& m) {
    Counts c;
    c.total = vm_total_exchanges(&m);
    c.commands = vm_ioctl_count(&m, VM_IOCTL_COMMAND);
    c.rawWrites = vm_ioctl_count(&m, VM_IOCTL_RAW_WRITE);
    c.meterReads = vm_ioctl_count(&m, VM_IOCTL_READ_METERS);
    c.writeCommands = 0;
    for (int32_t cmd : {3, 5, 9, 14, 17}) c.writeCommands += vm_command_count(&m, cmd);
    return c;
}

void nothing(Unit&, PanelWithControlPage&) {}

// One action on a freshly connected panel with the default record; `prepare`
// runs first and is not counted.
template <typename Prepare, typename Action>
void row(const char* name, Prepare prepare, Action action) {
    Unit unit;
    PanelWithControlPage panel;
    panel.core.onDeviceEvent(unit.device, DEVICE_ARRIVED);
    prepare(unit, panel);
    vm_reset_counters(&unit.model);
    const int writesBefore = panel.store.writeCount();
    action(unit, panel);
    const Counts c = countOf(unit.model);
    std::printf("| %-38s | %5u | %8u | %10u | %9u | %11u | %5d |\n", name, c.total, c.commands, c.rawWrites,
                c.commands - c.writeCommands, c.writeCommands, panel.store.writeCount() - writesBefore);
}

void printExchangeTable() {
    std::printf("Driver exchanges per user action (counted by the device model)\n");
    std::printf("| %-38s | %5s | %8s | %10s | %9s | %11s | %5s |\n", "action", "total", "commands", "raw writes",
                "cmd reads", "cmd writes", "saves");
    std::printf("|%s|%s|%s|%s|%s|%s|%s|\n", std::string(40, '-').c_str(), "-------", "----------", "------------",
                "-----------", "-------------", "-------");
    row("arrival (defaults, model at power-on)",
        [](Unit& u, PanelWithControlPage& p) {
            p.core.onDeviceEvent(u.device, DEVICE_REMOVED);
            vm_unplug(&u.model);
            vm_plug(&u.model);
            p.store.erase();
        },
        [](Unit& u, PanelWithControlPage& p) { p.core.onDeviceEvent(u.device, DEVICE_ARRIVED); });
    row("fader move, linked pair", nothing, [](Unit&, PanelWithControlPage& p) { p.page->moveFader(0, 100); });
    row("fader move, unlinked pair", [](Unit&, PanelWithControlPage& p) { p.page->click(LINK_BUTTON + 1); },
        [](Unit&, PanelWithControlPage& p) { p.page->moveFader(2, 100); });
    row("mute", nothing, [](Unit&, PanelWithControlPage& p) { p.page->click(MUTE_BUTTON + 3); });
    row("link", nothing, [](Unit&, PanelWithControlPage& p) { p.page->click(LINK_BUTTON + 2); });
    row("MON", nothing, [](Unit&, PanelWithControlPage& p) { p.page->click(MON_BUTTON); });
    row("MIX", nothing, [](Unit&, PanelWithControlPage& p) { p.page->click(MIX_BUTTON); });
    row("S/PDIF selector", nothing, [](Unit&, PanelWithControlPage& p) { p.page->click(SPDIF_SELECTOR + 1); });
    row("digital format (Professional)", nothing, [](Unit&, PanelWithControlPage& p) { p.core.onCommand(ID_FORMAT_PROFESSIONAL); });
    row("output level (-10dBv)", nothing, [](Unit&, PanelWithControlPage& p) { p.core.onCommand(ID_LEVEL_UNBALANCED); });
    row("sample rate menu (96000)", nothing, [](Unit&, PanelWithControlPage& p) { p.core.onCommand(CMD_RATE_96000); });
    row("Factory Default (after 4 changes)",
        [](Unit&, PanelWithControlPage& p) {
            p.page->moveFader(0, 90);
            p.page->click(MON_BUTTON);
            p.core.onCommand(ID_FORMAT_PROFESSIONAL);
            p.core.onCommand(CMD_LATENCY_FIRST);
        },
        [](Unit&, PanelWithControlPage& p) { p.core.onCommand(CMD_FACTORY_DEFAULT); });
    row("Factory Default (already default)", nothing, [](Unit&, PanelWithControlPage& p) { p.core.onCommand(CMD_FACTORY_DEFAULT); });
    row("meter tick", nothing, [](Unit&, PanelWithControlPage& p) { p.core.onMeterTimer(); });
    row("status tick", nothing, [](Unit&, PanelWithControlPage& p) { p.core.onStatusTimer(); });
    row("state change event", nothing, [](Unit& u, PanelWithControlPage& p) { p.core.onDeviceEvent(u.device, DEVICE_STATE_CHANGED); });
    row("removal", nothing, [](Unit& u, PanelWithControlPage& p) { p.core.onDeviceEvent(u.device, DEVICE_REMOVED); });
    std::printf("\n");
}

} // namespace
} // namespace velmora

int main(int argc, char** argv) {
    velmora::printExchangeTable();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
