#include "app/MeterSmoothing.h"

namespace velmora {

int8_t MeterSmoothing::smooth(int8_t block, int8_t history) {
    // Single-precision constants, exact products and sum in double; the two
    // constants add up to slightly less than 1, so a steady v settles at v - 1.
    static constexpr double NEW_WEIGHT = double(0.95f);
    static constexpr double OLD_WEIGHT = double(0.05f);
    return int8_t(int(double(block) * NEW_WEIGHT + double(history) * OLD_WEIGHT));
}

void MeterSmoothing::take(const MeterBlock& read) {
    for (uint32_t i = 0; i < METER_BLOCK_SIZE; ++i)
        history_.level[i] = uint8_t(smooth(int8_t(read.level[i]), int8_t(history_.level[i])));
}

} // namespace velmora
