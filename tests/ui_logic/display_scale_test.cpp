// Every position and size of the layout tables at the screen's scale.
#include "ui/ControlPageLayout.h"
#include "ui/DisplayScale.h"
#include "ui/InfoPageLogic.h"

#include <gtest/gtest.h>

#include <vector>

namespace velmora {
namespace {

using namespace controlpage;

TEST(DisplayScale, At96DpiEveryNumberOfTheTablesStaysAsItIs)
{
    const DisplayScale same{96};
    std::vector<int> numbers = {BACKGROUND_SIZE.width, BACKGROUND_SIZE.height, PAGE_POSITION.x, PAGE_POSITION.y,
                                MUTE_SIZE.width, LINK_SIZE.height, METER_SIZE.width, METER_SIZE.height,
                                FADER_SIZE.height, FADER_KNOB_SIZE.height, LABEL_SIZE.width, SELECTOR_SIZE.width,
                                infopage::SERIAL_LINE.y, infopage::PRODUCT_LINE.width, 0, -7};
    for (int i = 0; i < INPUT_METERS; ++i)
        numbers.push_back(inputMeterPosition(i).x);
    for (int output = 0; output < OUTPUTS; ++output)
        numbers.insert(numbers.end(), {outputMeterPosition(output).x, faderPosition(output).x,
                                       labelPosition(output).x, mutePosition(output).x});
    for (int v : numbers)
        EXPECT_EQ(same.px(v), v);
    const PixelBox cell = same.box(790, 96, 74, 14);
    EXPECT_EQ(cell.left, 790);
    EXPECT_EQ(cell.bottom, 110);
    EXPECT_TRUE(same.unscaled());
}

TEST(DisplayScale, RoundsToTheNearestPixelHalvesAwayFromZero)
{
    struct Case { int dpi; int v; int px; };
    const Case cases[] = {
        {120, 7, 9},   {120, 150, 188}, {120, 2, 3},   {120, 1, 1},  {120, -2, -3}, {120, 892, 1115},
        {144, 7, 11},  {144, 150, 225}, {144, 1, 2},   {144, 17, 26}, {144, -1, -2}, {144, 372, 558},
        {168, 7, 12},  {168, 150, 263}, {168, 14, 25}, {168, 662, 1159},
        {192, 7, 14},  {192, 150, 300}, {192, 83, 166}, {192, -63, -126},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DisplayScale{c.dpi}.px(c.v), c.px) << c.dpi << " DPI, " << c.v;
    EXPECT_EQ(DisplayScale{120}.percent(), 125);
    EXPECT_EQ(DisplayScale{168}.percent(), 175);
}

TEST(DisplayScale, CellsThatTouchStillTouchAndTheArtFollowsTheNextLargerSet)
{
    // The two tabs (25..120, 120..215) and the input meters' wells stay
    // adjacent or apart at every scale; the artwork set is the next larger.
    for (int dpi : {96, 120, 144, 168, 192, 240}) {
        const DisplayScale s{dpi};
        EXPECT_EQ(s.box(25, 22, 95, 19).right, s.box(120, 22, 95, 19).left) << dpi;
        for (int i = 1; i < INPUT_METERS; ++i)
            EXPECT_GT(s.px(inputMeterPosition(i).x), s.px(inputMeterPosition(i - 1).x) + s.px(METER_SIZE.width)) << dpi;
    }
    EXPECT_EQ(artPercentFor(DisplayScale{96}), 100);
    EXPECT_EQ(artPercentFor(DisplayScale{120}), 150);
    EXPECT_EQ(artPercentFor(DisplayScale{144}), 150);
    EXPECT_EQ(artPercentFor(DisplayScale{168}), 200);
    EXPECT_EQ(artPercentFor(DisplayScale{288}), 200);
    EXPECT_EQ(displayScaleFor(0).dpi, 96);
    EXPECT_EQ(displayScaleFor(9999).dpi, 480);
}

} // namespace
} // namespace velmora
