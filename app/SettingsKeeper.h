// Keeps the store in step with the records the main window accepts. A record
// the next load would refuse (the blank state, a rate outside the four) is
// never written; a record equal to the last one written is not written again
// by saveIfChanged; and the first failed write of a run is remembered so that
// the user is told once, while the panel carries on from the record in memory.
#pragma once

#include "settings/PanelSettings.h"
#include "settings/SettingsStore.h"

#include <string>

namespace velmora {

class SettingsKeeper {
public:
    explicit SettingsKeeper(SettingsStore& store);

    // Writes the record (when it is one a load accepts).
    SaveResult save(const PanelSettings& record);
    // Writes it only when it differs from what was last written (answers
    // SkippedBlank when it did not write).
    SaveResult saveIfChanged(const PanelSettings& record);

    // True once per run, after the first write that failed.
    bool takeFailureNotice();
    bool lastWriteFailed() const { return lastWriteFailed_; }
    // Where the record is kept, for the user's eyes.
    std::string location() const;
    // What the user is told, once, of the first write that failed: where the
    // record lives, and that the panel goes on from the record in memory.
    std::string failureText() const;

    // A record a load accepts: not blank, one of the four rates.
    static bool isStorable(const PanelSettings& record);

private:
    SettingsStore& store_;
    PanelSettings written_;
    bool writtenKnown_ = false;
    bool lastWriteFailed_ = false;
    bool failureSeen_ = false;
    bool failureTold_ = false;
};

} // namespace velmora
