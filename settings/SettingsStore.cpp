#include "settings/SettingsStore.h"

#include "settings/SettingsRepair.h"

#include <cstring>

namespace velmora {

bool loadSettings(SettingsStore& store, PanelSettings& record) {
    std::memset(&record, 0, sizeof record);
    uint32_t size = 0;
    if (!store.querySize(size) || size != PANEL_SETTINGS_SIZE) return false;
    // The value may change between the two reads: take it only when the
    // second read still finds exactly one record.
    uint8_t bytes[PANEL_SETTINGS_SIZE];
    uint32_t got = 0;
    if (!store.readBytes(bytes, sizeof bytes, got) || got != PANEL_SETTINGS_SIZE) return false;
    std::memcpy(&record, bytes, sizeof record);
    return true;
}

PanelSettings loadSettingsOrDefaults(SettingsStore& store, RecordRepair* repair) {
    if (repair) *repair = RecordRepair();
    PanelSettings record;
    if (!loadSettings(store, record) || !isValidSampleRate(record.sampleRate)) {
        makeDefaultSettings(record);
        return record;
    }
    // A damaged field is not sent as it stands: it takes its default and the
    // rest of the user's record is kept.
    const RecordRepair repaired = repairRecord(record);
    if (repair) *repair = repaired;
    return record;
}

SaveResult saveSettings(SettingsStore& store, const PanelSettings& record) {
    if (isBlank(record)) return SaveResult::SkippedBlank;
    const auto* bytes = reinterpret_cast<const uint8_t*>(&record);
    return store.writeBytes(bytes, PANEL_SETTINGS_SIZE) ? SaveResult::Written : SaveResult::Failed;
}

} // namespace velmora
