// What screen readers hear where the windows cannot show it (the ends of the
// ranges, damaged check states).
#include "ui/AccessibleText.h"

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
