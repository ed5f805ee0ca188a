// Peak-hold marks and clip latches over meter ticks.
#include "ui/MeterHold.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

// Runs `ticks` meter ticks with meter 0 at `level` and every other at 0.
void run(MeterHold& hold, int32_t level, int ticks) {
    int32_t levels[MeterHold::METERS] = {};
    levels[0] = level;
    for (int i = 0; i < ticks; ++i) hold.update(levels);
}

TEST(MeterHold, TheMarkHoldsThePeakForASecondAndAHalfThenFallsToTheLevel) {
    MeterHold hold;
    run(hold, 100, 1);
    EXPECT_EQ(hold.mark(0), 100);
    EXPECT_EQ(hold.changed(), 1u);
    run(hold, 40, MeterHold::HOLD_TICKS);
    EXPECT_EQ(hold.mark(0), 100); // held
    EXPECT_EQ(hold.changed(), 0u);
    run(hold, 40, 1);
    EXPECT_EQ(hold.mark(0), 100 - MeterHold::FALL_PER_TICK);
    run(hold, 40, 100);
    EXPECT_EQ(hold.mark(0), 40); // fell to the level shown, no lower
    run(hold, 70, 1);
    EXPECT_EQ(hold.mark(0), 70); // a new peak takes the mark up at once
    // A level the meter ignores leaves it where it was.
    run(hold, 500, 1);
    run(hold, -1, 1);
    EXPECT_EQ(hold.mark(0), 70);
    EXPECT_FALSE(hold.clipped(0));
}

TEST(MeterHold, FullScaleLatchesTheClipUntilItIsCleared) {
    MeterHold hold;
    int32_t levels[MeterHold::METERS] = {};
    levels[25] = 127;
    levels[3] = 126;
    hold.update(levels);
    EXPECT_TRUE(hold.clipped(25));
    EXPECT_FALSE(hold.clipped(3));
    levels[25] = 0;
    for (int i = 0; i < 200; ++i) hold.update(levels);
    EXPECT_TRUE(hold.clipped(25)); // latched
    hold.clearClip(25);
    EXPECT_FALSE(hold.clipped(25));
    EXPECT_EQ(hold.changed(), 1u << 25);
    levels[0] = levels[17] = 127;
    hold.update(levels);
    hold.clearAllClips();
    EXPECT_FALSE(hold.clipped(0));
    EXPECT_FALSE(hold.clipped(17));
}

} // namespace
} // namespace velmora
