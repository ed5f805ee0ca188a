#include "app/SettingsKeeper.h"

#include "settings/SettingsStore.h"

#include <cstring>

namespace velmora {

SettingsKeeper::SettingsKeeper(SettingsStore& store) : store_(store) { makeBlank(written_); }

bool SettingsKeeper::isStorable(const PanelSettings& record) {
    return !isBlank(record) && isValidSampleRate(record.sampleRate);
}

SaveResult SettingsKeeper::save(const PanelSettings& record) {
    if (!isStorable(record)) return SaveResult::SkippedBlank;
    const SaveResult result = saveSettings(store_, record);
    if (result == SaveResult::Written) {
        written_ = record;
        writtenKnown_ = true;
        lastWriteFailed_ = false;
    } else if (result == SaveResult::Failed) {
        writtenKnown_ = false; // the next save writes again
        lastWriteFailed_ = true;
        failureSeen_ = true;
    }
    return result;
}

SaveResult SettingsKeeper::saveIfChanged(const PanelSettings& record) {
    if (writtenKnown_ && std::memcmp(&written_, &record, sizeof record) == 0) return SaveResult::SkippedBlank;
    return save(record);
}

bool SettingsKeeper::takeFailureNotice() {
    if (!failureSeen_ || failureTold_) return false;
    failureTold_ = true;
    return true;
}

std::string SettingsKeeper::location() const { return store_.location(); }

std::string SettingsKeeper::failureText() const {
    return "Your settings could not be saved to " + location() +
           ".\n\nVelPanel goes on with the settings you have made, but they will be lost when it "
           "ends. Check that this registry key may be written.";
}

} // namespace velmora
