// The Config menu's two meter items. "Peak Hold" is a check item: the
// meters show peak-hold marks and clip latches while it is checked; the
// choice is kept per user beside the settings record and is on until the
// user switches it off. "Reset Clip Indicators" clears every clip latch.
// The page that shows the meters learns both through MeterOptions.
#pragma once

#include "app/PanelView.h"
#include "settings/PreferenceStore.h"
#include "ui/MeterOptions.h"

namespace velmora {

class MeterMenu {
public:
    // `store` may be null: the choice then lives for the run only.
    MeterMenu(PreferenceStore* store, PanelView& view) : store_(store), view_(view) {}

    // At start: the stored choice goes to the check mark and the meters.
    void attach(MeterOptions* meters);
    // True when `id` is one of the two items (then handled).
    bool onCommand(unsigned id);
    bool peakHold() const { return peakHold_; }

private:
    void show();

    PreferenceStore* store_;
    PanelView& view_;
    MeterOptions* meters_ = nullptr;
    bool peakHold_ = true;
};

} // namespace velmora
