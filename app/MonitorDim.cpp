#include "app/MonitorDim.h"

#include <algorithm>

namespace velmora {

std::array<uint8_t, 2> MonitorDim::lowered(const std::array<uint8_t, 2>& levels, int depthDb) {
    const int steps = 2 * std::clamp(depthDb, DIM_DB_MIN, DIM_DB_MAX); // 0.5 dB a step
    return {uint8_t(std::max(0, int(levels[0]) - steps)), uint8_t(std::max(0, int(levels[1]) - steps))};
}

std::array<uint8_t, 2> MonitorDim::begin(const PanelSettings& record, int pair, int depthDb) {
    pair_ = std::clamp(pair, 1, OUTPUT_PAIRS);
    depthDb_ = std::clamp(depthDb, DIM_DB_MIN, DIM_DB_MAX);
    const int left = 2 * (pair_ - 1);
    user_ = {record.outVolume[left], record.outVolume[left + 1]};
    dimmed_ = lowered(user_, depthDb_);
    active_ = true;
    return dimmed_;
}

bool MonitorDim::holdsDimmed(const PanelSettings& record) const {
    const int left = 2 * (pair_ - 1);
    return record.outVolume[left] == dimmed_[0] && record.outVolume[left + 1] == dimmed_[1];
}

void MonitorDim::follow(const PanelSettings& record) {
    if (active_ && !isBlank(record) && !holdsDimmed(record)) active_ = false;
}

PanelSettings MonitorDim::storedForm(const PanelSettings& record) const {
    if (!active_ || !holdsDimmed(record)) return record;
    PanelSettings stored = record;
    const int left = 2 * (pair_ - 1);
    stored.outVolume[left] = user_[0];
    stored.outVolume[left + 1] = user_[1];
    return stored;
}

} // namespace velmora
