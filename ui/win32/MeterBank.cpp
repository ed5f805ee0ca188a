#include "ui/win32/MeterBank.h"

#include "ui/ControlPageLayout.h"

namespace velmora {

using namespace controlpage;

static_assert(MeterBank::FIRST_OUTPUT == INPUT_METERS && MeterBank::METERS == INPUT_METERS + OUTPUT_METERS,
              "the bank holds the page's inputs, then its outputs");

void MeterBank::create(HWND page)
{
    page_ = page;
    for (int index = 0; index < METERS; ++index) {
        const bool input = index < FIRST_OUTPUT;
        const Point at = input ? inputMeterPosition(index) : outputMeterPosition(index - FIRST_OUTPUT);
        meters_[index].create(page, at.x, at.y, METER_LOWER, METER_UPPER, input ? ID_INPUT_METERS : ID_OUTPUT_METERS,
                              METER_BACK, METER_FORE);
        meters_[index].whenClicked([this, index] { clearClip(index); });
    }
}

void MeterBank::setScale(DisplayScale scale)
{
    for (int index = 0; index < METERS; ++index) {
        const bool input = index < FIRST_OUTPUT;
        const Point at = input ? inputMeterPosition(index) : outputMeterPosition(index - FIRST_OUTPUT);
        meters_[index].setScale(scale, POINT{scale.px(at.x), scale.px(at.y)});
    }
}

void MeterBank::setLevel(int index, int32_t level)
{
    if (index >= 0 && index < METERS)
        meters_[index].takeLevel(level);
}

void MeterBank::endTick()
{
    if (peakHold_) {
        int32_t levels[METERS];
        for (int i = 0; i < METERS; ++i)
            levels[i] = meters_[i].level();
        hold_.update(levels);
        showHold(hold_.changed());
    }
    draw();
}

void MeterBank::showHold(uint32_t meters)
{
    for (int i = 0; i < METERS; ++i)
        if (meters & (1u << i))
            meters_[i].setHold(peakHold_ ? hold_.mark(i) : 0, peakHold_ && hold_.clipped(i));
}

void MeterBank::setPeakHold(bool on)
{
    if (on == peakHold_)
        return;
    peakHold_ = on;
    // Marks and latches start afresh; off, the meters show the level alone.
    hold_ = MeterHold();
    showHold(~0u);
    draw();
}

void MeterBank::clearClip(int index)
{
    if (!peakHold_ || index < 0 || index >= METERS)
        return;
    hold_.clearClip(index);
    showHold(1u << index);
    draw();
}

void MeterBank::clearAllClips()
{
    if (!peakHold_)
        return;
    hold_.clearAllClips();
    showHold(~0u);
    draw();
}

void MeterBank::draw()
{
    if (!page_ || !::IsWindowVisible(page_))
        return;
    bool any = false;
    for (const CPeakMeter& meter : meters_)
        any = any || (meter.hwnd() && meter.needsDrawing());
    if (!any)
        return;
    WindowDC dc(page_);
    if (!dc)
        return;
    for (CPeakMeter& meter : meters_) {
        if (!meter.hwnd() || !meter.needsDrawing())
            continue;
        const POINT at = meter.position();
        meter.drawChanges(dc.get(), at.x, at.y);
    }
}

} // namespace velmora
