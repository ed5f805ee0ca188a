#include "app/MeterMenu.h"

#include "app/MenuCommands.h"

namespace velmora {

void MeterMenu::attach(MeterOptions* meters) {
    meters_ = meters;
    bool stored = true;
    peakHold_ = store_ && store_->readFlag(PREFERENCE_PEAK_HOLD, stored) ? stored : true;
    show();
}

bool MeterMenu::onCommand(unsigned id) {
    if (id == CMD_PEAK_HOLD) {
        peakHold_ = !peakHold_;
        // A choice that cannot be stored still holds for this run.
        if (store_) store_->writeFlag(PREFERENCE_PEAK_HOLD, peakHold_);
        show();
        return true;
    }
    if (id == CMD_RESET_CLIPS) {
        if (meters_) meters_->resetClips();
        return true;
    }
    return false;
}

void MeterMenu::show() {
    view_.setMenuCheck(CMD_PEAK_HOLD, peakHold_);
    if (meters_) meters_->setPeakHold(peakHold_);
}

} // namespace velmora
