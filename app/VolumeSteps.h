// Output volumes in dB and in the steps the unit takes: 0..127, 0.5 dB per
// step, 127 = 0.0 dB. Every caller that starts from dB (the command line,
// the requests the running panel takes, later remote clients) converts here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace velmora {

constexpr int VOLUME_STEP_MAX = 127;
constexpr double VOLUME_MIN_DB = -63.5;
constexpr double VOLUME_MAX_DB = 0.0;

// The step nearest to `db` (a value halfway between two steps goes to the
// lower one); none when `db` is not a finite number from -63.5 to 0.
std::optional<uint8_t> volumeStepOfDb(double db);

// The dB of a step 0..127: (step - 127) x 0.5.
double volumeDbOfStep(int step);

// The dB of a step as a user reads it: "%.1f" ("-12.5", "0.0").
std::string volumeDbText(int step);

} // namespace velmora
