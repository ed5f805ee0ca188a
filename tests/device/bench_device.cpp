// Costs of the device layer's hot paths against the device model:
//  - the meter read (20 times a second while a unit is open), with heap
//    allocations counted by a replaced global operator new;
//  - one volume change: a 35-step frame built and written raw;
//  - a listener rescan of a full table of 128 units where nothing changed.
#include "device/DeviceListener.h"
#include "device/USBDevice.h"
#include "device/VelmoraController.h"
#include "sim/fake/ModelTransport.h"
#include "tests/device/ScriptedTransport.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "tests/support/CountingAllocator.h"

using velmora_testing::g_allocations;

namespace velmora {
namespace {

struct ModelUnit {
    VelmoraModel model;
    USBDevice* device;
    ModelUnit() {
        vm_init(&model);
        device = new USBDevice("\\\\?\\velmora#bench", "VELMORA\\UNIT\\BENCH", 1,
                               std::make_unique<ModelTransport>(&model));
        device->addRef();
        device->open();
    }
    ~ModelUnit() { device->release(); }
};

void BM_ReadMeters(benchmark::State& state) {
    ModelUnit unit;
    uint8_t block[METER_BLOCK_SIZE];
    const unsigned long long before = g_allocations;
    for (auto _ : state) {
        benchmark::DoNotOptimize(unit.device->readMeters(block));
        benchmark::ClobberMemory();
    }
    state.counters["allocs/read"] =
        benchmark::Counter(double(g_allocations - before) / double(state.iterations()));
}
BENCHMARK(BM_ReadMeters);

void BM_VolumeFrame(benchmark::State& state) {
    ModelUnit unit;
    VelmoraController controller;
    controller.setSender(&sendStepsToDevice, unit.device);
    uint8_t value = 0;
    const unsigned long long before = g_allocations;
    for (auto _ : state) {
        benchmark::DoNotOptimize(controller.setOutVolume(3, value));
        value = uint8_t((value + 1) & 0x7F);
    }
    state.counters["allocs/frame"] =
        benchmark::Counter(double(g_allocations - before) / double(state.iterations()));
    controller.setSender(nullptr, nullptr);
}
BENCHMARK(BM_VolumeFrame);

class FullTable : public DeviceEnumerator {
public:
    std::vector<DeviceInterfaceInfo> units;
    FullTable() {
        for (int i = 0; i < DeviceListener::MAX_UNITS; ++i) {
            DeviceInterfaceInfo info;
            info.path = "\\\\?\\velmora#unit#" + std::to_string(i) + "#{dd35d54e-850e-4e69-9fa8-431c9e47b446}";
            info.instanceId = "VELMORA\\UNIT\\SERIAL" + std::to_string(i);
            units.push_back(info);
        }
    }
    Result interfaceAt(uint32_t index, DeviceInterfaceInfo& out) override {
        if (index >= units.size()) return Result::None;
        out = units[index];
        return Result::Found;
    }
};

void BM_RescanFullTable(benchmark::State& state) {
    FullTable table;
    DeviceListener listener(table, []() {
        return std::unique_ptr<DeviceTransport>(new test::ScriptedTransport(std::make_shared<test::TransportScript>()));
    });
    listener.start([](void*, USBDevice*, DeviceEvent) {}, nullptr);
    listener.scan();
    for (auto _ : state) listener.scan();
    listener.stop();
}
BENCHMARK(BM_RescanFullTable);

} // namespace
} // namespace velmora

BENCHMARK_MAIN();
