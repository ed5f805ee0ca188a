// What the user and the diagnostics log are told of a stored record that was
// repaired on its way to the unit: the outputs that had a damaged volume and
// were muted, by number, and the other damaged fields by name.
#pragma once

#include "settings/SettingsRepair.h"

#include <string>

namespace velmora {

// The notice shown once after the arrival, e.g. "Outputs 1, 3 and 5 had a
// damaged volume in your stored settings; they were muted. ..." followed by
// the other repaired fields. Empty when nothing was repaired.
std::string repairNoticeText(const RecordRepair& repair);

// The same on one line for the log: "volume of outputs 1, 3, 5 (muted);
// latency". Empty when nothing was repaired.
std::string repairLogText(const RecordRepair& repair);

} // namespace velmora
