#include "ui/MeterHold.h"

namespace velmora {

void MeterHold::update(const int32_t levels[METERS]) {
    changed_ = 0;
    for (int i = 0; i < METERS; ++i) {
        Meter& m = meters_[i];
        const int32_t before = m.mark;
        const bool clippedBefore = m.clipped;
        // The meter itself ignores a level out of its range.
        if (levels[i] >= 0 && levels[i] <= FULL_SCALE) m.level = levels[i];
        if (m.level >= m.mark) {
            m.mark = m.level;
            m.ticksHeld = 0;
        } else if (++m.ticksHeld > HOLD_TICKS) {
            m.mark -= FALL_PER_TICK;
            if (m.mark < m.level) m.mark = m.level;
        }
        if (m.level >= FULL_SCALE) m.clipped = true;
        if (m.mark != before || m.clipped != clippedBefore) changed_ |= 1u << i;
    }
}

int32_t MeterHold::mark(int meter) const { return meter >= 0 && meter < METERS ? meters_[meter].mark : 0; }

bool MeterHold::clipped(int meter) const { return meter >= 0 && meter < METERS && meters_[meter].clipped; }

void MeterHold::clearClip(int meter) {
    if (meter < 0 || meter >= METERS || !meters_[meter].clipped) return;
    meters_[meter].clipped = false;
    changed_ |= 1u << meter;
}

void MeterHold::clearAllClips() {
    for (int i = 0; i < METERS; ++i) clearClip(i);
}

} // namespace velmora
