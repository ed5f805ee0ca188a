// What the user reads about the unit: the tray tip with serial and rate.
#include "ui/UnitLabel.h"

#include <gtest/gtest.h>

#include <string>

using namespace velmora;

TEST(TrayTip, NamesTheUnitAndItsRateOrNoDeviceAndChangesOnlyWithThem) {
    EXPECT_EQ(unitSerial("VELMORA\\UNIT\\0001"), "0001");
    EXPECT_EQ(trayTip("0001", 0), "Velmora Control Panel - 0001") << "a rate not known is left out";
}

TEST(TrayTip, ALongSerialIsShortenedWithAnEllipsisAndTheRateStays) {
    // A serial the size of a whole instance id: the tip fits its record, the
    // rate is whole at the end, the serial says it was cut.
    const std::string longTip = trayTip(std::string(300, '7'), 96000);
    EXPECT_EQ(longTip.size(), TRAY_TIP_MAX);
    EXPECT_EQ(longTip.substr(0, 27), "Velmora Control Panel - 777");
    EXPECT_EQ(longTip.substr(longTip.size() - 14), "... - 96000 Hz");
    // At the edge: the longest serial that fits is shown whole, one more
    // character and it is shortened, and the tip never grows past the limit.
    const size_t fits = TRAY_TIP_MAX - std::string("Velmora Control Panel -  - 44100 Hz").size();
    const std::string whole(fits, 'A');
    EXPECT_EQ(trayTip(whole, 44100), "Velmora Control Panel - " + whole + " - 44100 Hz");
    const std::string over = trayTip(whole + "B", 44100);
    EXPECT_EQ(over.size(), TRAY_TIP_MAX);
    EXPECT_EQ(over.find('B'), std::string::npos);
    EXPECT_EQ(over.substr(over.size() - 14), "... - 44100 Hz");
    // Without a rate the serial takes the room the rate would have had.
    EXPECT_EQ(trayTip(whole + "BCDEFGHIJK", 0), "Velmora Control Panel - " + whole + "BCDEFGHIJK");
}

TEST(TrayTip, FollowsTheUnitAndItsRate) {

    TrayTipState tip;
    EXPECT_EQ(tip.text(), "Velmora Control Panel - No Device");
    EXPECT_FALSE(tip.setRate(44100)) << "without a unit the rate is not shown";
    EXPECT_TRUE(tip.setUnit("0001"));
    EXPECT_EQ(tip.text(), "Velmora Control Panel - 0001 - 44100 Hz");
    EXPECT_FALSE(tip.setRate(44100));
    EXPECT_TRUE(tip.setUnit(""));
    EXPECT_EQ(tip.text(), "Velmora Control Panel - No Device");
}
