#include "app/VolumeSteps.h"

#include <cmath>
#include <cstdio>

namespace velmora {

std::optional<uint8_t> volumeStepOfDb(double db) {
    // The range is checked on the dB value itself, before any conversion to
    // an integer: NaN, infinities and 1e300 end here.
    if (!std::isfinite(db) || db < VOLUME_MIN_DB || db > VOLUME_MAX_DB) return std::nullopt;
    // Half steps round away from zero: -0.25 dB is -0.5 dB, the quieter one.
    const long halfDb = std::lround(db * 2.0);
    return uint8_t(VOLUME_STEP_MAX + halfDb);
}

double volumeDbOfStep(int step) { return (double(step) - VOLUME_STEP_MAX) * 0.5; }

std::string volumeDbText(int step) {
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", volumeDbOfStep(step));
    return text;
}

} // namespace velmora
