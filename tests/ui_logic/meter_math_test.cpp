// Meter bytes to levels, and the meter's range rule and lit rows with the
// images in use (150 rows, 0..127).
#include "ui/MeterMath.h"

#include <gtest/gtest.h>

using namespace velmora;

TEST(MeterLevel, SampleTable) {
    const struct { int byte, level; } rows[] = {
        {0, 0}, {1, 18}, {2, 28}, {3, 36}, {7, 54}, {15, 73}, {31, 91}, {63, 109},
        {100, 121}, {123, 126}, {124, 127}, {125, 127}, {126, 127}, {127, 127}};
    for (auto r : rows) EXPECT_EQ(meterLevel(uint8_t(r.byte)), r.level) << r.byte;
    for (int b = 0x80; b <= 0xFF; ++b) EXPECT_EQ(meterLevel(uint8_t(b)), 0) << b;
    // Louder never reads lower, and every level fits the meters' 0..127.
    for (int b = 1; b < 128; ++b) {
        EXPECT_GE(meterLevel(uint8_t(b)), meterLevel(uint8_t(b - 1))) << b;
        EXPECT_LE(meterLevel(uint8_t(b)), 127) << b;
    }
}

TEST(PeakMeterModel, LitRowsForLevels) {
    PeakMeterModel m;
    m.configure(0, 127, 150);
    EXPECT_EQ(m.level(), 0);
    EXPECT_EQ(m.litTop(), 150) << "a new meter lights nothing";
    const struct { int level, top; } rows[] = {{0, 150}, {1, 149}, {64, 75}, {126, 2}, {127, 0}};
    for (auto r : rows) {
        EXPECT_TRUE(m.setLevel(r.level)) << r.level;
        EXPECT_EQ(m.litTop(), r.top) << r.level;
    }
}

TEST(PeakMeterModel, OutOfRangeLevelsLeaveThePreviousOne) {
    PeakMeterModel m;
    m.configure(0, 127, 150);
    ASSERT_TRUE(m.setLevel(64));
    for (int level : {128, -1, 1000, INT32_MIN, INT32_MAX}) {
        EXPECT_FALSE(m.setLevel(level)) << level;
        EXPECT_EQ(m.level(), 64);
        EXPECT_EQ(m.litTop(), 75);
    }
    EXPECT_TRUE(m.setLevel(64)) << "the same level is accepted again";
}

TEST(PeakMeterModel, NoRangeLightsNothing) {
    PeakMeterModel m;
    m.configure(0, 0, 150);
    EXPECT_TRUE(m.setLevel(0));
    EXPECT_EQ(m.litTop(), 150);
}
