// The main menu's check marks of the unit's sample rate, latency and clock
// mode, as the status refresh shows them: none without an open unit.
#pragma once

#include <cstdint>

namespace velmora {

class PanelView;

// `clockMode` is the unit's answer (0 "Auto", 1 "Internal Only"; another
// value checks neither).
void showMenuChecks(PanelView& view, bool unitOpen, int32_t rate, int32_t latency, int32_t clockMode);

} // namespace velmora
