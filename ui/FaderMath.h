// Fader arithmetic and input rules, apart from any window: the value's
// bounds, knob placement, pointer-to-value mapping and what each input does.
#pragma once

#include <cstdint>

namespace velmora {

// Lowered to upper first, then raised to lower.
int32_t limitToBounds(int64_t value, int32_t lower, int32_t upper);

// Knob top row: travel - value x travel / range (truncating).
int32_t faderKnobTop(int32_t value, int32_t travel, int32_t range);

// Value aimed at by pointer row y (knob centre): (travel + knobHeight/2 - y)
// x range / travel, the halving unsigned, the division signed and truncating.
// Not limited to the bounds.
int64_t faderValueFromPointer(int32_t y, int32_t travel, int32_t knobHeight, int32_t range);

// Up and Down move one step, PageUp and PageDown FADER_PAGE_STEPS, Home to
// the upper bound and End to the lower bound; any other key moves nothing.
enum class FaderKey { Up, Down, PageUp, PageDown, Home, End, Other };

// A page of a volume fader: 12 steps of 0.5 dB, 6 dB.
constexpr int32_t FADER_PAGE_STEPS = 12;

// What a window does after an input: post the scroll notification, repaint,
// take the keyboard focus, capture or release the mouse.
struct FaderAction {
    bool notify = false;
    bool repaint = false;
    bool takeFocus = false;
    bool capture = false;
    bool releaseCapture = false;
};

class FaderModel {
public:
    // Bounds and image heights; the value starts at the upper bound.
    void configure(int32_t lower, int32_t upper, int32_t backHeight, int32_t knobHeight);

    int32_t value() const { return value_; }
    int32_t lower() const { return lower_; }
    int32_t upper() const { return upper_; }
    bool focused() const { return focused_; }
    int32_t travel() const { return backHeight_ - knobHeight_; }
    int32_t range() const { return upper_ - lower_; }

    // setPos: stores the value limited to the bounds; notifies nobody.
    void setPos(int32_t value);
    int32_t knobTop() const;
    // The limited value at pointer row y (the current value when the images
    // give no travel).
    int32_t valueAt(int32_t y) const;

    FaderAction onKeyDown(FaderKey key);
    FaderAction onWheel(int32_t delta);
    FaderAction onButtonDown();
    // `held`: any mouse button, Shift or Ctrl; `inside`: pointer within the client area.
    FaderAction onMouseMove(bool held, bool inside, int32_t y);
    FaderAction onButtonUp(int32_t y);
    FaderAction onFocus(bool gained);

private:
    int32_t value_ = 0;
    int32_t lower_ = 0;
    int32_t upper_ = 0;
    int32_t backHeight_ = 0;
    int32_t knobHeight_ = 0;
    bool focused_ = false;
};

} // namespace velmora
