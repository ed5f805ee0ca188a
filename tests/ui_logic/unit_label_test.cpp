// What the user reads about the unit: the tray tip with serial and rate.
#include "ui/UnitLabel.h"

#include <gtest/gtest.h>

#include <string>

using namespace velmora;

TEST(TrayTip, NamesTheUnitAndItsRateOrNoDeviceAndChangesOnlyWithThem) {
    EXPECT_EQ(unitSerial("VELMORA\\UNIT\\0001"), "0001");
    EXPECT_EQ(trayTip("0001", 0), "Velmora Control Panel - 0001") << "a rate not known is left out";
    // A serial the size of a whole instance id keeps the tip in its record.
    EXPECT_EQ(trayTip(std::string(300, '7'), 96000).size(), TRAY_TIP_MAX);

    TrayTipState tip;
    EXPECT_EQ(tip.text(), "Velmora Control Panel - No Device");
    EXPECT_FALSE(tip.setRate(44100)) << "without a unit the rate is not shown";
    EXPECT_TRUE(tip.setUnit("0001"));
    EXPECT_EQ(tip.text(), "Velmora Control Panel - 0001 - 44100 Hz");
    EXPECT_FALSE(tip.setRate(44100));
    EXPECT_TRUE(tip.setUnit(""));
    EXPECT_EQ(tip.text(), "Velmora Control Panel - No Device");
}
