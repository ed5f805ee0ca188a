// The four sample rates a unit runs at, in the order the menu, the command
// line and the requests list them.
#pragma once

#include <cstdint>

namespace velmora {

constexpr int SAMPLE_RATE_COUNT = 4;
constexpr int32_t SAMPLE_RATES[SAMPLE_RATE_COUNT] = {44100, 48000, 88200, 96000};
// The rates as a user reads them in a sentence.
constexpr const char* SAMPLE_RATE_LIST = "44100, 48000, 88200 or 96000";

// The position of `rate` in SAMPLE_RATES, or -1 for another rate.
constexpr int sampleRateIndex(int32_t rate) {
    for (int i = 0; i < SAMPLE_RATE_COUNT; ++i)
        if (SAMPLE_RATES[i] == rate) return i;
    return -1;
}

} // namespace velmora
