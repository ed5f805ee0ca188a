// Peak-hold marks and clip latches of the Control page's 26 meters, apart
// from any drawing. Each meter keeps the highest level of the last ~1.5 s
// (then the mark falls, two levels a tick, down to the level shown) and a clip
// latch that closes when the meter reaches full scale and stays closed until
// the user clears it. The meter tick costs no allocation.
#pragma once

#include <cstdint>

namespace velmora {

class MeterHold {
public:
    static constexpr int METERS = 26;          // 18 inputs, then 8 outputs
    static constexpr int FULL_SCALE = 127;     // the top of a meter
    static constexpr int HOLD_TICKS = 30;      // 1.5 s of 50 ms meter ticks
    static constexpr int FALL_PER_TICK = 2;    // levels the mark falls a tick after the hold

    // One meter tick: the level each meter now shows (a level outside
    // 0..127 is one the meter ignores and leaves the meter as it was).
    void update(const int32_t levels[METERS]);

    // The mark's level (0: no mark), and whether the clip latch is closed.
    int32_t mark(int meter) const;
    bool clipped(int meter) const;
    // One bit per meter whose mark or latch changed in the last update or
    // clear: only those need drawing again.
    uint32_t changed() const { return changed_; }

    void clearClip(int meter);
    void clearAllClips();

private:
    struct Meter {
        int32_t level = 0;
        int32_t mark = 0;
        int32_t ticksHeld = 0;
        bool clipped = false;
    };
    Meter meters_[METERS];
    uint32_t changed_ = 0;
};

} // namespace velmora
