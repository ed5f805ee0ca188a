// The meters as the pages are shown them: each block read from the unit is
// blended into the history, so that a peak falls back over a few ticks.
#pragma once

#include "device/DeviceWire.h"

#include <cstdint>

namespace velmora {

class MeterSmoothing {
public:
    // One smoothing step of a meter byte: (block × 0.95 + history × 0.05),
    // both bytes signed, truncated toward zero.
    static int8_t smooth(int8_t block, int8_t history);

    // Blends a block read from the unit into the history.
    void take(const MeterBlock& read);
    // No unit: every meter at rest.
    void clear() { history_ = MeterBlock{}; }
    const MeterBlock& history() const { return history_; }

private:
    MeterBlock history_ = {};
};

} // namespace velmora
