// The Control page's layout against the positions it is drawn for.
#include "ui/ControlPageLayout.h"

#include <gtest/gtest.h>

using namespace velmora::controlpage;

TEST(ControlPageLayout, InputMetersStandInGroupsOfEightEightAndTwo) {
    const int xs[18] = {16, 31, 46, 61, 76, 91, 106, 121, 146, 161, 176, 191, 206, 221, 236, 251, 276, 291};
    for (int i = 0; i < 18; ++i) {
        EXPECT_EQ(inputMeterPosition(i).x, xs[i]) << i;
        EXPECT_EQ(inputMeterPosition(i).y, 68);
    }
}

TEST(ControlPageLayout, PairColumnsReadMeterFaderFaderMeterThenMuteLinkMute) {
    for (int k = 0; k < PAIRS; ++k) {
        const int l = 2 * k, r = 2 * k + 1;
        // Buttons below touch edge to edge: 331-351, 351-380, 380-400 for pair 0.
        EXPECT_EQ(mutePosition(l).x, 331 + 83 * k);
        EXPECT_EQ(mutePosition(l).x + MUTE_SIZE.width, linkPosition(k).x);
        EXPECT_EQ(linkPosition(k).x + LINK_SIZE.width, mutePosition(r).x);
        EXPECT_EQ(mutePosition(r).x + MUTE_SIZE.width, 400 + 83 * k);
        EXPECT_LT(outputMeterPosition(l).x + METER_SIZE.width, faderPosition(l).x + 1);
        EXPECT_LT(faderPosition(l).x + FADER_SIZE.width, faderPosition(r).x + 1);
        EXPECT_LT(faderPosition(r).x + FADER_SIZE.width, outputMeterPosition(r).x + 1);
        EXPECT_EQ(labelPosition(l).x, 330 + 83 * k);
        EXPECT_EQ(labelPosition(r).x, 368 + 83 * k);
    }
    EXPECT_EQ(faderPosition(7).x, 367 + 249);
    EXPECT_EQ(outputMeterPosition(6).x, 335 + 249);
}
