#include "ui/MeterMath.h"

#include <cmath>

namespace velmora {

int32_t meterLevel(uint8_t byte) {
    const int s = static_cast<int8_t>(byte);
    if (s < 0) return 0;
    // The scale is a single-precision constant (bits 0x41D2B319) used in double.
    const double scale = static_cast<double>(26.33745f);
    return static_cast<int32_t>(scale * std::log(1.0 + s));
}

void PeakMeterModel::configure(int32_t lower, int32_t upper, int32_t height) {
    lower_ = lower;
    upper_ = upper;
    height_ = height;
    level_ = lower;
}

bool PeakMeterModel::setLevel(int32_t level) {
    const uint32_t u = static_cast<uint32_t>(level);
    if (u < static_cast<uint32_t>(lower_) || u > static_cast<uint32_t>(upper_)) return false;
    level_ = level;
    return true;
}

int32_t PeakMeterModel::litTopFor(int32_t level) const {
    const uint32_t span = static_cast<uint32_t>(upper_) - static_cast<uint32_t>(lower_);
    if (span == 0) return height_; // no range: nothing lit
    const uint32_t lit = static_cast<uint32_t>(level) * static_cast<uint32_t>(height_) / span;
    return static_cast<int32_t>(static_cast<uint32_t>(height_) - lit);
}

} // namespace velmora
