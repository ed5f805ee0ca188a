// The snapshots in the menus: Config > Snapshots > "Store Current As..."
// (a dialog asking for the slot and its name) and one item per slot in
// Config > Snapshots and the tray's Snapshots menu ("1 Tracking"), the slot
// whose settings equal the current ones checked. A recall the unit refuses
// in part, and a damaged slot, are told in a box; the dialog and the box
// count as open boxes of the panel.
#pragma once

#include "app/DiagnosticsLog.h"
#include "app/Snapshots.h"

#include <windows.h>

namespace velmora {

class PanelCore;

class SnapshotMenu {
public:
    SnapshotMenu(PanelCore& core, PreferenceStore* store, DiagnosticsLog& log)
        : core_(core), snapshots_(core, store), log_(log) {}

    void attach(HWND window) { window_ = window; }
    // Who hears the channel names a recalled snapshot brought.
    void onNamesChanged(std::function<void(const ChannelNames&)> changed) {
        snapshots_.onNamesChanged(std::move(changed));
    }
    // The store and recall commands; false for any other.
    bool onCommand(unsigned id);
    // WM_INITMENUPOPUP: a menu holding the slots gets their names and checks.
    void onMenuPopup(HMENU menu);
    // While the monitor pair is dimmed, a stored snapshot takes its levels from before the dim.
    void keepUserLevels(const MonitorDim* dim) { snapshots_.keepUserLevels(dim); }

private:
    void storeCurrent();
    void tell(const SnapshotAnswer& answer);

    PanelCore& core_;
    Snapshots snapshots_;
    DiagnosticsLog& log_;
    HWND window_ = nullptr;
};

} // namespace velmora
