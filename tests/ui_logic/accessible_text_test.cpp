// What screen readers hear where the windows cannot show it (the ends of the
// ranges, damaged check states), and the keyboard's rules for radio groups
// and pages; what the tooltips over a channel's controls say.
#include "ui/AccessibleText.h"
#include "ui/ChannelTooltip.h"
#include "ui/KeyboardOrder.h"

#include <gtest/gtest.h>

using namespace velmora;

TEST(AccessibleText, ValuesAtTheEndsAndStatesOfADamagedRecord) {
    EXPECT_EQ(access::fader(7, 0).value, "-63.5 dB");
    EXPECT_EQ(access::fader(7, 127).value, "0.0 dB");
    // A switch is on only for state 1: a record's 0xFF is heard as off.
    EXPECT_EQ(access::mute(5, 255).value, "off");
    EXPECT_FALSE(access::link(1, 255).checked);
    EXPECT_EQ(access::mute(5, 1).defaultAction, "Uncheck");
    EXPECT_EQ(access::meter(true, 17, 127, 127).name, "Input 18 meter");
    EXPECT_EQ(access::meter(false, 0, 64, 127).value, "50%");
    EXPECT_EQ(access::meter(false, 0, 0, 0).value, "0%") << "no range, no division";
    EXPECT_STREQ(access::statusCaption(6), "");
}

TEST(KeyboardOrder, RadioGroupsStopAtTheirCheckMarkAndPagesGoRound) {
    const bool none[4] = {false, false, false, false};
    const bool third[4] = {false, false, true, false};
    EXPECT_EQ(radioTabStop(none, 4), 0);
    EXPECT_EQ(radioTabStop(third, 4), 2);
    EXPECT_EQ(nextPageIndex(1, 2, false), 0);
    EXPECT_EQ(nextPageIndex(0, 2, true), 1);
    EXPECT_EQ(nextPageIndex(-1, 2, true), 0);
    EXPECT_EQ(nextPageIndex(0, 0, false), -1);
}

TEST(ChannelTooltip, TheChannelThenItsNameWhole) {
    ChannelNames names;
    ASSERT_TRUE(names.set(ChannelKind::Output, 3, "Headphones"));
    ASSERT_TRUE(names.set(ChannelKind::Input, 18, "ヘッドホン"));
    EXPECT_EQ(channelTooltip(names, ChannelKind::Output, 3), "Output 3, Headphones");
    EXPECT_EQ(channelTooltip(names, ChannelKind::Input, 3), "Input 3")
        << "the input of the same number has no name";
    EXPECT_EQ(channelTooltip(names, ChannelKind::Input, 18), "Input 18, ヘッドホン");
    EXPECT_EQ(channelTooltip(names, ChannelKind::Output, 9), "Output 9") << "no channel, no name";
}
