// The fader with the images in use: 163-pixel track, 14-pixel knob, 0..127.
#include "ui/FaderMath.h"

#include <gtest/gtest.h>

#include <utility>

using namespace velmora;

namespace {

FaderModel fader() {
    FaderModel f;
    f.configure(0, 127, 163, 14);
    return f;
}

} // namespace

TEST(FaderModel, NewFaderShowsItsTopAndSetPosLimits) {
    FaderModel f = fader();
    EXPECT_EQ(f.value(), 127);
    EXPECT_EQ(f.travel(), 149);
    f.setPos(200);
    EXPECT_EQ(f.value(), 127);
    f.setPos(-5);
    EXPECT_EQ(f.value(), 0);
    f.setPos(64);
    EXPECT_EQ(f.value(), 64);
}

TEST(FaderModel, KnobRowsForValues) {
    FaderModel f = fader();
    const struct { int value, top; } rows[] = {{127, 0}, {64, 74}, {0, 149}, {1, 148}, {126, 2}};
    for (auto r : rows) {
        f.setPos(r.value);
        EXPECT_EQ(f.knobTop(), r.top) << r.value;
    }
}

TEST(FaderModel, PointerAimsTheKnobCentreAndIsLimited) {
    const FaderModel f = fader();
    const struct { int y, value; } rows[] = {
        {7, 127}, {156, 0}, {6, 127}, {-500, 127}, {157, 0}, {2000, 0},
        {81, 63},  // (149 + 7 - 81) x 127 / 149 = 63.9, truncated
        {8, 126}, {155, 0}, {154, 1}};
    for (auto r : rows) EXPECT_EQ(f.valueAt(r.y), r.value) << "y " << r.y;
    // Every value the knob can show is reached by pointing at the knob's centre row.
    for (int v = 0; v <= 127; ++v) {
        FaderModel g = fader();
        g.setPos(v);
        EXPECT_NEAR(g.valueAt(g.knobTop() + 7), v, 1) << v;
    }
}

TEST(FaderModel, KeysAndWheelStepByOneAndAlwaysNotify) {
    FaderModel f = fader();
    f.setPos(60);
    FaderAction a = f.onKeyDown(FaderKey::Up);
    EXPECT_EQ(f.value(), 61);
    EXPECT_TRUE(a.notify && a.repaint);
    f.onKeyDown(FaderKey::Down);
    f.onKeyDown(FaderKey::Down);
    EXPECT_EQ(f.value(), 59);
    a = f.onKeyDown(FaderKey::Other);
    EXPECT_EQ(f.value(), 59);
    EXPECT_TRUE(a.notify) << "an unrelated key still notifies";

    for (int delta : {1, 120, 240, 0x7FFF}) {
        f.setPos(59);
        EXPECT_TRUE(f.onWheel(delta).notify);
        EXPECT_EQ(f.value(), 60) << delta;
    }
    for (int delta : {0, -1, -120, -720}) {
        f.setPos(59);
        f.onWheel(delta);
        EXPECT_EQ(f.value(), 58) << delta;
    }
    f.setPos(127);
    EXPECT_TRUE(f.onWheel(120).notify);
    EXPECT_EQ(f.value(), 127);
    f.setPos(0);
    f.onKeyDown(FaderKey::Down);
    EXPECT_EQ(f.value(), 0);
}

TEST(FaderModel, PageKeysMoveSixDecibelsHomeAndEndTheBounds) {
    FaderModel f = fader();
    const std::pair<FaderKey, int> steps[] = {{FaderKey::PageUp, 72},   {FaderKey::PageDown, 60}, {FaderKey::Home, 127},
                                              {FaderKey::PageUp, 127},  {FaderKey::End, 0},       {FaderKey::PageDown, 0}};
    f.setPos(60);
    for (const auto& [key, value] : steps) {
        EXPECT_TRUE(f.onKeyDown(key).notify);
        EXPECT_EQ(f.value(), value);
    }
}

TEST(FaderModel, MouseDragMovesOnlyInsideAndReleaseSetsFromAnywhere) {
    FaderModel f = fader();
    FaderAction a = f.onButtonDown();
    EXPECT_TRUE(a.takeFocus && a.capture);
    EXPECT_FALSE(a.notify);
    EXPECT_EQ(f.value(), 127);

    a = f.onMouseMove(true, true, 156);
    EXPECT_EQ(f.value(), 0);
    EXPECT_TRUE(a.notify);
    a = f.onMouseMove(true, false, -40); // dragged above the track, outside
    EXPECT_EQ(f.value(), 0);
    EXPECT_FALSE(a.notify || a.repaint);
    a = f.onButtonUp(-40); // released there
    EXPECT_EQ(f.value(), 127);
    EXPECT_TRUE(a.notify && a.releaseCapture);
    f.onButtonUp(400);
    EXPECT_EQ(f.value(), 0);
}

TEST(FaderModel, HoverTakesTheFocusOnce) {
    FaderModel f = fader();
    EXPECT_TRUE(f.onMouseMove(false, true, 50).takeFocus);
    EXPECT_EQ(f.value(), 127);
    f.onFocus(true);
    EXPECT_TRUE(f.focused());
    EXPECT_FALSE(f.onMouseMove(false, true, 50).takeFocus);
    EXPECT_TRUE(f.onFocus(false).repaint);
    EXPECT_FALSE(f.focused());
}

TEST(FaderModel, MissingImagesNeverDivideByZero) {
    FaderModel f;
    f.configure(0, 127, 0, 0); // no track, no knob
    EXPECT_EQ(f.valueAt(10), 127);
    f.onButtonUp(10);
    EXPECT_EQ(f.value(), 127);
    FaderModel g;
    g.configure(5, 5, 163, 14); // no range
    EXPECT_EQ(g.knobTop(), 0);
    EXPECT_EQ(g.valueAt(80), 5);
}
