// The record a unit gets when it arrives: the stored one when it is sound,
// the defaults otherwise, always with the unit's own versions.
#pragma once

#include "settings/PanelSettings.h"
#include "settings/SettingsStore.h"

namespace velmora {

class USBDevice;

// The defaults; with an open unit also its driver and firmware versions
// (both stay zero when `device` is null or closed).
void makeDefaultSettings(PanelSettings& record, USBDevice* device);

// Loads the stored record (defaults when it is missing or not 352 bytes);
// a stored sample rate other than the four rates discards the whole record
// for the defaults, a damaged field is repaired (repairRecord; `repair`, when
// given, learns what changed). Then the versions are read from `device` and
// the panel's own version is set. The store is only read.
PanelSettings chooseArrivalRecord(SettingsStore& store, USBDevice* device, RecordRepair* repair = nullptr);

} // namespace velmora
