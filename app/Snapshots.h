// Eight snapshots of the user's settings, each recalled in one step. A slot
// is kept beside the record as one text value ("Snapshot1".."Snapshot8"):
// its name on the first line, then the settings as a settings file holds
// them, the channel names included, so that the settings-file reader checks
// both. A recall applies the names as loading that file does; a slot stored
// without names leaves them as they are. A slot that does not read back whole
// is refused by its number and changes nothing.
#pragma once

#include "app/MonitorDim.h"
#include "app/PanelCommands.h"
#include "app/SnapshotName.h"
#include "settings/PreferenceStore.h"
#include "settings/PresetFile.h"

#include <array>
#include <functional>
#include <string>

namespace velmora {

class PanelCore;


struct SnapshotAnswer {
    int code = 0;     // a RequestExit code
    std::string text; // one sentence for the user
    bool applied = false; // recall: the slot went to the unit, in whole or in part
};


class Snapshots {
public:
    Snapshots(PanelCore& core, PreferenceStore* store) : core_(core), commands_(core), store_(store) {}

    // While the monitor pair is dimmed, a snapshot takes the user's levels
    // of the pair, not the dimmed ones (none: the settings as held).
    void keepUserLevels(const MonitorDim* dim) { dim_ = dim; }

    // The current settings into slot 1..8 under `name` (empty: the slot's
    // name, or "Snapshot N" for an empty slot).
    SnapshotAnswer store(int slot, const std::string& name);
    // Slot 1..8 applied as one change; what the unit refused is named.
    SnapshotAnswer recall(int slot);
    // The slot of that name (the first), 0 when none.
    int slotNamed(const std::string& name);
    // Each slot's name, empty for an empty or damaged slot.
    std::array<std::string, SNAPSHOT_COUNT> names();
    // The slot whose settings equal the current ones, 0 when none.
    int currentSlot();
    // Who hears the channel names a recall brought.
    void onNamesChanged(std::function<void(const ChannelNames&)> changed) { namesChanged_ = std::move(changed); }

private:
    enum class Read { Empty, Damaged, Sound };
    // Slot `slot`'s name and settings; `problem` says why a slot is damaged.
    Read read(int slot, std::string& name, PanelSettings& record, int32_t& clockMode, std::string& problem,
              PresetNames* names = nullptr);

    PanelCore& core_;
    PanelCommands commands_;
    PreferenceStore* store_;
    std::function<void(const ChannelNames&)> namesChanged_;
    const MonitorDim* dim_ = nullptr;
};

} // namespace velmora
