// Vertical bar meter drawn from an unlit track and a lit bar: the lit bar is
// revealed from the bottom up to the level. The meter keeps what it shows
// (level, and the peak-hold mark and clip cap its owner sets) and what is on
// the screen, so that only rows that changed are drawn: by setLevel through
// its own DC, or by its owner for a whole bank of meters through one DC.
// WM_PAINT draws the whole meter. The images are shared by every meter and
// made when a meter is first drawn.
#pragma once

#include "ui/MeterMath.h"
#include "ui/MeterPicture.h"
#include "ui/win32/AccessibleClient.h"
#include "ui/win32/MeterImages.h"
#include "ui/win32/Window.h"

#include <functional>
#include <memory>
#include <string>

namespace velmora {

class CPeakMeter : public Window {
public:
    // False (and no window) when either image name is missing.
    bool create(HWND parent, int x, int y, int lower, int upper, int id, const char* backName,
                const char* foreName);

    // The track and bar drawn for another scale: the window takes their size
    // and moves to `at` (the parent's client area); the level stays.
    void setScale(DisplayScale scale, POINT at);

    // Accepts lower <= level <= upper, compared as unsigned numbers (so a
    // negative level is ignored), and draws the rows that changed now.
    void setLevel(int level);
    int level() const { return model_.level(); }

    // For an owner that draws a bank of meters in one pass: takeLevel and
    // setHold only store; drawChanges then draws, with the meter's top-left
    // corner at (x, y) of `target`, the rows that differ from what is on the
    // screen. A peak-hold mark of level 0 is none.
    void takeLevel(int level);
    void setHold(int32_t markLevel, bool clipped);
    bool needsDrawing() const { return drawn_ != picture(); }
    void drawChanges(HDC target, int x, int y);
    MeterPicture picture() const;
    POINT position() const { return position_; } // in the parent's client area

    // Called on a left click of the meter.
    void whenClicked(std::function<void()> clicked) { clicked_ = std::move(clicked); }

    AccessibleClient& accessible() { return accessible_; }

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void paint();

    // The shared images, made when the meter is first drawn.
    const MeterImages* images();

    std::string backName_;
    std::string foreName_;
    std::shared_ptr<const MeterImages> images_;
    int height_ = 0;
    DisplayScale scale_;
    PeakMeterModel model_; // level, bounds and the lit boundary
    int32_t markLevel_ = 0;
    bool clipped_ = false;
    MeterPicture drawn_;   // what the screen shows
    POINT position_{0, 0};
    std::function<void()> clicked_;
    AccessibleClient accessible_;
};

} // namespace velmora
