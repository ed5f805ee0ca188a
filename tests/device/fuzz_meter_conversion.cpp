// Meter conversion on arbitrary blocks: every byte ends as a magnitude
// 0..128, and 128 only where the driver sent 0x80.
#include "device/DeviceCodecs.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> block(data, data + size);
    velmora::convertMeterLevels(block.data(), block.size());
    for (size_t i = 0; i < size; ++i) {
        const int magnitude = std::abs(int(int8_t(data[i])));
        if (block[i] != uint8_t(magnitude)) std::abort();
        if (block[i] > 127 && data[i] != 0x80) std::abort();
    }
    // Converting a converted block changes nothing.
    std::vector<uint8_t> again(block);
    velmora::convertMeterLevels(again.data(), again.size());
    if (again != block) std::abort();
    return 0;
}
