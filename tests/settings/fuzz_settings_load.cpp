// Arbitrary stored bytes through load, the arrival choice and save: the
// chosen record always has a valid rate and sound fields, and no blank
// record is ever written.
#include "settings/MemorySettingsStore.h"
#include "settings/SettingsRepair.h"
#include "settings/SettingsStore.h"

#include <cstdlib>
#include <cstring>
#include <vector>

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemorySettingsStore store(std::vector<uint8_t>(data, data + size));

    PanelSettings loaded;
    const bool ok = loadSettings(store, loaded);
    if (ok != (size == PANEL_SETTINGS_SIZE)) std::abort();
    if (ok && std::memcmp(&loaded, data, PANEL_SETTINGS_SIZE) != 0) std::abort();
    if (!ok) {
        const auto* p = reinterpret_cast<const uint8_t*>(&loaded);
        for (size_t i = 0; i < sizeof loaded; ++i) if (p[i] != 0) std::abort();
    }

    PanelSettings chosen = loadSettingsOrDefaults(store);
    if (!isValidSampleRate(chosen.sampleRate)) std::abort();
    if (isBlank(chosen)) std::abort();
    // Every field of the chosen record is one the unit and the pages know.
    PanelSettings again = chosen;
    if (repairSettings(again) != 0) std::abort();

    // Saving whatever was loaded: a blank record leaves the store untouched.
    const int writesBefore = store.writeCount();
    const std::vector<uint8_t> before = store.value();
    SaveResult saved = saveSettings(store, loaded);
    if (isBlank(loaded)) {
        if (saved != SaveResult::SkippedBlank || store.writeCount() != writesBefore || store.value() != before)
            std::abort();
    } else if (saved != SaveResult::Written || store.value().size() != PANEL_SETTINGS_SIZE) {
        std::abort();
    }
    if (saveSettings(store, chosen) != SaveResult::Written) std::abort();
    PanelSettings back;
    if (!loadSettings(store, back) || std::memcmp(&back, &chosen, sizeof back) != 0) std::abort();
    return 0;
}
