#include "ui/FaderMath.h"

namespace velmora {

int32_t limitToBounds(int64_t value, int32_t lower, int32_t upper) {
    if (value > upper) value = upper;
    if (value < lower) value = lower;
    return static_cast<int32_t>(value);
}

int32_t faderKnobTop(int32_t value, int32_t travel, int32_t range) {
    if (range <= 0) return 0; // no range: the knob stays at the top
    return static_cast<int32_t>(travel - int64_t(value) * travel / range);
}

int64_t faderValueFromPointer(int32_t y, int32_t travel, int32_t knobHeight, int32_t range) {
    const int64_t halfKnob = static_cast<uint32_t>(knobHeight) / 2u;
    if (travel <= 0) return 0;
    return (int64_t(travel) + halfKnob - y) * range / travel;
}

void FaderModel::configure(int32_t lower, int32_t upper, int32_t backHeight, int32_t knobHeight) {
    lower_ = lower;
    upper_ = upper;
    backHeight_ = backHeight;
    knobHeight_ = knobHeight;
    value_ = upper;
}

void FaderModel::setPos(int32_t value) { value_ = limitToBounds(value, lower_, upper_); }

int32_t FaderModel::knobTop() const { return faderKnobTop(value_, travel(), range()); }

int32_t FaderModel::valueAt(int32_t y) const {
    if (travel() <= 0) return value_; // images missing: the pointer aims at nothing
    return limitToBounds(faderValueFromPointer(y, travel(), knobHeight_, range()), lower_, upper_);
}

FaderAction FaderModel::onKeyDown(FaderKey key) {
    int64_t v = value_;
    switch (key) {
    case FaderKey::Up: ++v; break;
    case FaderKey::Down: --v; break;
    case FaderKey::PageUp: v += FADER_PAGE_STEPS; break;
    case FaderKey::PageDown: v -= FADER_PAGE_STEPS; break;
    case FaderKey::Home: v = upper_; break;
    case FaderKey::End: v = lower_; break;
    case FaderKey::Other: break;
    }
    value_ = limitToBounds(v, lower_, upper_);
    FaderAction a;
    a.notify = a.repaint = true;
    return a;
}

FaderAction FaderModel::onWheel(int32_t delta) {
    value_ = limitToBounds(int64_t(value_) + (delta > 0 ? 1 : -1), lower_, upper_);
    FaderAction a;
    a.notify = a.repaint = true;
    return a;
}

FaderAction FaderModel::onButtonDown() {
    FaderAction a;
    a.takeFocus = a.capture = true;
    return a;
}

FaderAction FaderModel::onMouseMove(bool held, bool inside, int32_t y) {
    FaderAction a;
    if (held) {
        if (!inside) return a;
        value_ = valueAt(y);
        a.notify = a.repaint = true;
    } else if (!focused_) {
        a.takeFocus = true; // hovering lights the knob
    }
    return a;
}

FaderAction FaderModel::onButtonUp(int32_t y) {
    value_ = valueAt(y);
    FaderAction a;
    a.notify = a.repaint = a.releaseCapture = true;
    return a;
}

FaderAction FaderModel::onFocus(bool gained) {
    focused_ = gained;
    FaderAction a;
    a.repaint = true;
    return a;
}

} // namespace velmora
