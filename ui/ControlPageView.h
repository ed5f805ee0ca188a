// What the Control page's logic needs of its window: the displayed state of
// its controls. Setters repaint and notify nobody.
#pragma once

#include <cstdint>

namespace velmora {

enum class MeterGroup { Input, Output };

class ControlPageView {
public:
    // Skinned buttons by control id (MON, MIX, mutes, links).
    virtual void setButtonCheck(int controlId, int32_t state) = 0;
    virtual int32_t buttonCheck(int controlId) const = 0;
    // Faders by output 0..7: setFaderPos limits to the fader's bounds.
    virtual void setFaderPos(int output, int32_t value) = 0;
    virtual int32_t faderPos(int output) const = 0;
    // dB labels by output 0..7.
    virtual void setLabelText(int output, const char* text) = 0;
    // Unchecks all four S/PDIF selectors, then checks `selected` (0..3).
    virtual void checkSelector(int selected) = 0;
    // Input meters 0..17, output meters 0..7; the meter applies its own range rule.
    virtual void setMeterLevel(MeterGroup group, int index, int32_t level) = 0;

protected:
    ~ControlPageView() = default;
};

} // namespace velmora
