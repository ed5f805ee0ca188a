// The Control page's 26 meters (inputs 0..17, then outputs 0..7) drawn as
// one bank. A meter tick stores every level, moves the peak-hold marks and
// clip latches, then draws the rows that changed, in all meters, through one
// DC of the page: nothing is created, nothing allocated, and a meter whose
// picture did not change is not touched. While the page is not shown nothing
// is drawn; the meters paint their current picture when it is shown again.
// With the peak hold off (as built) the meters show the level alone.
#pragma once

#include "ui/MeterHold.h"
#include "ui/win32/CPeakMeter.h"

#include <cstdint>

namespace velmora {

class MeterBank {
public:
    static constexpr int METERS = MeterHold::METERS;
    static constexpr int FIRST_OUTPUT = 18;

    // Creates the meter windows on the page, inputs then outputs.
    void create(HWND page);
    // Every meter drawn and placed for another scale.
    void setScale(DisplayScale scale);

    CPeakMeter& meter(int index) { return meters_[index]; }
    const CPeakMeter& meter(int index) const { return meters_[index]; }

    // One tick: setLevel for each meter (stored only), then endTick.
    void setLevel(int index, int32_t level);
    void endTick();

    void setPeakHold(bool on);
    bool peakHold() const { return peakHold_; }
    // A click on a meter clears its clip latch; Reset Clip Indicators all.
    void clearClip(int index);
    void clearAllClips();

private:
    void showHold(uint32_t meters);
    void draw();

    HWND page_ = nullptr;
    CPeakMeter meters_[METERS];
    MeterHold hold_;
    bool peakHold_ = false;
};

} // namespace velmora
