// The skinned controls rendered under Wine and read back pixel by pixel.
// The skin used here (make_test_skin.py) gives every source row its own
// colour, so a read-back row names the image and the row it came from.
#include "tests/ui_win32/PixelProbe.h"
#include "tests/ui_win32/TestParent.h"
#include "ui/win32/CFader.h"
#include "ui/win32/CPeakMeter.h"
#include "ui/win32/CSkinButton.h"
#include "ui/win32/CSkinText.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>

namespace velmora {
namespace {

using test::capture;
using test::Pixels;
using test::pumpMessages;
using test::resourcePixels;

class SkinControls : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(parent.create());
        pumpMessages();
    }
    void TearDown() override
    {
        parent.destroyWindow();
        pumpMessages();
    }
    test::TestParent parent;
};

// ---------------------------------------------------------------- buttons

bool showsImage(HWND hwnd, const Pixels& image)
{
    const Pixels shot = capture(hwnd);
    if (shot.width < image.width || shot.height < image.height)
        return false;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if (shot.at(x, y) != image.at(x, y))
                return false;
    return true;
}

TEST_F(SkinControls, ButtonShowsDownImageOnlyForCheckStateOne)
{
    const Pixels up = resourcePixels("TEST_BTN_UP");
    const Pixels down = resourcePixels("TEST_BTN_DOWN");
    ASSERT_EQ(up.width, 20);
    ASSERT_EQ(down.height, 14);

    CSkinButton button;
    ASSERT_TRUE(button.create("control button", CSkinButton::kStyle, RECT{10, 10, 105, 29},
                              parent.hwnd(), 12288));
    EXPECT_EQ(::GetWindowLongA(button.hwnd(), GWL_STYLE) & 0xFFFFFFFF, 0x5000000B);
    EXPECT_EQ(::GetDlgCtrlID(button.hwnd()), 12288);
    ASSERT_TRUE(button.loadImages("TEST_BTN_UP", "TEST_BTN_DOWN"));
    button.sizeToImage();
    RECT rc{};
    ::GetWindowRect(button.hwnd(), &rc);
    ::MapWindowPoints(nullptr, parent.hwnd(), reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ(rc.left, 10);
    EXPECT_EQ(rc.top, 10);
    EXPECT_EQ(rc.right - rc.left, 20);
    EXPECT_EQ(rc.bottom - rc.top, 14);

    EXPECT_EQ(button.getCheckState(), 0);
    EXPECT_TRUE(showsImage(button.hwnd(), up));
    button.setCheckState(1);
    EXPECT_TRUE(showsImage(button.hwnd(), down));
    button.setCheckState(255); // a settings byte of 0xFF
    EXPECT_EQ(button.getCheckState(), 255);
    EXPECT_TRUE(showsImage(button.hwnd(), up));
    button.setCheckState(-1);
    EXPECT_TRUE(showsImage(button.hwnd(), up));
    button.setCheckState(1);
    EXPECT_TRUE(showsImage(button.hwnd(), down));
    button.setCheckState(0);
    EXPECT_TRUE(showsImage(button.hwnd(), up));
}

TEST_F(SkinControls, ButtonWithoutDownImageOrImagesAtAll)
{
    const Pixels up = resourcePixels("TEST_BTN_UP");
    CSkinButton upOnly;
    ASSERT_TRUE(upOnly.create("control button", CSkinButton::kStyle, RECT{10, 10, 30, 24},
                              parent.hwnd(), 1));
    ASSERT_TRUE(upOnly.loadImages("TEST_BTN_UP", nullptr));
    upOnly.setCheckState(1);
    EXPECT_TRUE(showsImage(upOnly.hwnd(), up));

    // A missing down image is reported, a missing up image loads nothing.
    CSkinButton broken;
    ASSERT_TRUE(broken.create("config button", CSkinButton::kStyle, RECT{40, 10, 60, 24},
                              parent.hwnd(), 2));
    EXPECT_FALSE(broken.loadImages("TEST_BTN_UP", "NO_SUCH_IMAGE"));
    EXPECT_FALSE(broken.loadImages("NO_SUCH_IMAGE", "TEST_BTN_DOWN"));
    // With no image the button draws nothing of its own: it shows no pixel
    // of either test image.
    broken.setCheckState(1);
    const Pixels shot = capture(broken.hwnd());
    const Pixels down = resourcePixels("TEST_BTN_DOWN");
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x) {
            ASSERT_NE(shot.at(x, y), up.at(x, y));
            ASSERT_NE(shot.at(x, y), down.at(x, y));
        }
}

TEST_F(SkinControls, ButtonPressDoesNotChangeItsImageAndClickReportsId)
{
    const Pixels up = resourcePixels("TEST_BTN_UP");
    CSkinButton button;
    ASSERT_TRUE(button.create("control button", CSkinButton::kStyle, RECT{10, 10, 30, 24},
                              parent.hwnd(), 12304));
    ASSERT_TRUE(button.loadImages("TEST_BTN_UP", "TEST_BTN_DOWN"));
    ::SendMessageA(button.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    pumpMessages();
    EXPECT_TRUE(showsImage(button.hwnd(), up)) << "pressed and held";
    EXPECT_EQ(button.getCheckState(), 0);
    ::SendMessageA(button.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    pumpMessages();
    EXPECT_TRUE(showsImage(button.hwnd(), up)) << "released";
    EXPECT_EQ(button.getCheckState(), 0) << "the owner, not the button, changes the state";
    ASSERT_EQ(parent.commands.size(), 1u);
    EXPECT_EQ(LOWORD(parent.commands[0]), 12304);
    EXPECT_EQ(HIWORD(parent.commands[0]), BN_CLICKED);
}

// ------------------------------------------------------------------- text

struct Ink {
    int left = -1, right = -1, top = -1, bottom = -1; // inclusive; -1 when nothing inked
};

Ink inkOf(const Pixels& shot, uint32_t background)
{
    Ink ink;
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x)
            if (shot.at(x, y) != background) {
                if (ink.left < 0 || x < ink.left) ink.left = x;
                if (x > ink.right) ink.right = x;
                if (ink.top < 0) ink.top = y;
                ink.bottom = y;
            }
    return ink;
}

TEST_F(SkinControls, TextAlignmentModes)
{
    const uint32_t back = test::rgb(235, 235, 235);
    CSkinText text;
    ASSERT_TRUE(text.create(parent.hwnd(), 20, 20, 120, 30, -1, RGB(6, 6, 6), RGB(235, 235, 235), "W-W"));
    char name[32] = {};
    ::GetWindowTextA(text.hwnd(), name, sizeof name);
    EXPECT_STREQ(name, "static winodw");
    EXPECT_EQ(::GetWindowLongA(text.hwnd(), GWL_STYLE) & (WS_BORDER | WS_CHILD | WS_VISIBLE),
              WS_CHILD | WS_VISIBLE);

    const Ink left = inkOf(capture(text.hwnd()), back); // initial alignment: left
    ASSERT_GE(left.left, 0) << "nothing drawn";
    EXPECT_LE(left.left, 2);
    const int inkWidth = left.right - left.left;
    EXPECT_GT(inkWidth, 8);
    EXPECT_LT(inkWidth, 60);
    // Vertically centred in the 30-pixel window.
    EXPECT_LE(std::abs(left.top - (29 - left.bottom)), 3) << left.top << ".." << left.bottom;

    for (int mode : {1, 2, -3}) {
        text.setAlign(mode);
        const Ink right = inkOf(capture(text.hwnd()), back);
        EXPECT_GE(right.right, 117) << "mode " << mode;
        EXPECT_EQ(right.right - right.left, inkWidth) << "mode " << mode;
    }
    text.setAlign(6);
    const Ink centred = inkOf(capture(text.hwnd()), back);
    EXPECT_LE(std::abs(centred.left - (119 - centred.right)), 2) << centred.left << ".." << centred.right;
    EXPECT_EQ(centred.right - centred.left, inkWidth);
    text.setAlign(0);
    EXPECT_EQ(inkOf(capture(text.hwnd()), back).left, left.left);
}

TEST_F(SkinControls, TextColoursEmptyTextAndPrefix)
{
    const uint32_t back = test::rgb(221, 221, 221);
    CSkinText text;
    ASSERT_TRUE(text.create(parent.hwnd(), 20, 20, 74, 14, -1, RGB(123, 0, 0), RGB(221, 221, 221), ""));
    Pixels shot = capture(text.hwnd());
    for (uint32_t p : shot.data)
        ASSERT_EQ(p, back) << "an empty text paints only the background";

    text.setText("H");
    shot = capture(text.hwnd());
    const Ink plain = inkOf(shot, back);
    ASSERT_GE(plain.left, 0);
    bool pureTextColour = false;
    for (uint32_t p : shot.data)
        pureTextColour |= (p == test::rgb(123, 0, 0));
    EXPECT_TRUE(pureTextColour) << "text colour";
    // 12-pixel cell: the glyph fits well inside 12 rows.
    EXPECT_LE(plain.bottom - plain.top, 11);

    // Prefix processing: "&&" draws one ampersand, "&H" draws H underlined
    // (deeper ink, no ampersand before it).
    text.setText("&H");
    const Ink underlined = inkOf(capture(text.hwnd()), back);
    EXPECT_EQ(underlined.left, plain.left);
    EXPECT_GE(underlined.bottom, plain.bottom);
    text.setText("&&");
    const Ink one = inkOf(capture(text.hwnd()), back);
    text.setText("&&&&");
    const Ink two = inkOf(capture(text.hwnd()), back);
    EXPECT_GT(one.right, one.left);
    EXPECT_GT(two.right - two.left, one.right - one.left);
    EXPECT_LT(two.right - two.left, 3 * (one.right - one.left + 1));

    text.setText("");
    shot = capture(text.hwnd());
    for (uint32_t p : shot.data)
        ASSERT_EQ(p, back) << "setText(\"\") leaves no trace of the previous text";
}

TEST_F(SkinControls, DataTextDrawsAmpersandsAsTheyAreAndEndsACutTextWithAnEllipsis)
{
    // Oracle: a fixed label given the escaped text ("&&" draws one ampersand)
    // draws exactly what a data window draws for the text itself.
    const uint32_t back = test::rgb(230, 230, 230);
    CSkinText label, data;
    ASSERT_TRUE(label.create(parent.hwnd(), 10, 10, 120, 14, -1, RGB(40, 40, 40), RGB(230, 230, 230), ""));
    ASSERT_TRUE(data.create(parent.hwnd(), 10, 40, 120, 14, -1, RGB(40, 40, 40), RGB(230, 230, 230), ""));
    data.setShowsData(true);
    for (const auto& [raw, escaped] : {std::pair{"R&D 01", "R&&D 01"}, std::pair{"&&", "&&&&"}, std::pair{"A&", "A&&"}}) {
        data.setText(raw);
        label.setText(escaped);
        const Pixels shown = capture(data.hwnd());
        EXPECT_TRUE(shown.data == capture(label.hwnd()).data) << raw << " is drawn as the label " << escaped;
        EXPECT_GE(inkOf(shown, back).left, 0) << raw;
    }

    // Too long for a 40-pixel window: the label is clipped with tall letters
    // up to its edge, the data ends in dots (ink only in the lowest rows of
    // its last columns) inside the window.
    CSkinText narrowLabel, narrowData;
    ASSERT_TRUE(narrowLabel.create(parent.hwnd(), 10, 70, 40, 14, -1, RGB(40, 40, 40), RGB(230, 230, 230),
                                   "HHHHHHHHHHHH"));
    ASSERT_TRUE(narrowData.create(parent.hwnd(), 10, 100, 40, 14, -1, RGB(40, 40, 40), RGB(230, 230, 230),
                                  "HHHHHHHHHHHH"));
    narrowData.setShowsData(true);
    const auto tailHeight = [back](const Pixels& shot, const Ink& ink) {
        int top = shot.height;
        for (int y = 0; y < shot.height; ++y)
            for (int x = ink.right - 5; x <= ink.right; ++x)
                if (shot.at(x, y) != back && y < top) top = y;
        return ink.bottom - top + 1;
    };
    const Pixels clipped = capture(narrowLabel.hwnd());
    const Ink clippedInk = inkOf(clipped, back);
    ASSERT_GE(clippedInk.left, 0);
    EXPECT_GE(clippedInk.right, 38) << "a label is cut at the window's edge";
    EXPECT_GE(tailHeight(clipped, clippedInk), 6) << "a cut label ends in a letter";
    const Pixels ended = capture(narrowData.hwnd());
    const Ink endedInk = inkOf(ended, back);
    ASSERT_GE(endedInk.left, 0);
    EXPECT_LE(tailHeight(ended, endedInk), 3) << "data cut short ends in an ellipsis";
    EXPECT_GT(endedInk.bottom - endedInk.top, 5) << "letters before the ellipsis";
}

// ------------------------------------------------------------------ fader

class FaderTest : public SkinControls {
protected:
    void SetUp() override
    {
        SkinControls::SetUp();
        back = resourcePixels("FADER_BACK");
        knobOff = resourcePixels("FADER_KNOB_OFF");
        knobOn = resourcePixels("FADER_KNOB_ON");
        ASSERT_EQ(back.height, 163);
        ASSERT_EQ(knobOff.height, 14);
        ASSERT_TRUE(fader.create(parent.hwnd(), 40, 30, 0, 127, 12387, "FADER_BACK", "FADER_KNOB_OFF",
                                 "FADER_KNOB_ON"));
        ::SetFocus(parent.hwnd());
        pumpMessages();
        parent.scrolls.clear();
    }

    // The knob's top row as read back; -1 unless the whole picture is the
    // track with exactly one knob (of the expected look) over it.
    int knobTopShown(const Pixels& knob)
    {
        const Pixels shot = capture(fader.hwnd());
        if (shot.width != 17 || shot.height != 163)
            return -1;
        int top = -1;
        for (int y = 0; y < shot.height; ++y)
            if (!shot.rowEquals(y, back, y)) {
                top = y;
                break;
            }
        if (top < 0 || top + knob.height > shot.height)
            return -1;
        for (int y = 0; y < shot.height; ++y) {
            const bool inKnob = y >= top && y < top + knob.height;
            if (inKnob ? !shot.rowEquals(y, knob, y - top) : !shot.rowEquals(y, back, y))
                return -1;
        }
        return top;
    }

    int notes()
    {
        pumpMessages();
        for (const auto& note : parent.scrolls) {
            EXPECT_EQ(note.wParam, static_cast<WPARAM>(SB_THUMBPOSITION));
            EXPECT_EQ(note.control, fader.hwnd());
        }
        const int count = static_cast<int>(parent.scrolls.size());
        parent.scrolls.clear();
        return count;
    }

    void send(UINT message, WPARAM wParam, int x, int y)
    {
        ::SendMessageA(fader.hwnd(), message, wParam,
                       MAKELPARAM(static_cast<WORD>(static_cast<short>(x)), static_cast<WORD>(static_cast<short>(y))));
    }

    Pixels back, knobOff, knobOn;
    CFader fader;
};

TEST_F(FaderTest, WindowAndKnobPositions)
{
    char name[32] = {};
    ::GetWindowTextA(fader.hwnd(), name, sizeof name);
    EXPECT_STREQ(name, "peak window");
    EXPECT_EQ(::GetDlgCtrlID(fader.hwnd()), 12387);
    EXPECT_EQ(fader.getPos(), 127) << "a new fader shows its upper bound";
    EXPECT_EQ(knobTopShown(knobOff), 0);
    fader.setPos(64);
    EXPECT_EQ(knobTopShown(knobOff), 74);
    fader.setPos(0);
    EXPECT_EQ(knobTopShown(knobOff), 149);
    fader.setPos(126);
    EXPECT_EQ(knobTopShown(knobOff), 2);
    fader.setPos(200);
    EXPECT_EQ(fader.getPos(), 127);
    EXPECT_EQ(knobTopShown(knobOff), 0);
    fader.setPos(-5);
    EXPECT_EQ(fader.getPos(), 0);
    EXPECT_EQ(notes(), 0) << "setPos notifies nobody";

    CFader none; // no background name: no window
    EXPECT_FALSE(none.create(parent.hwnd(), 0, 0, 0, 127, 1, nullptr, "FADER_KNOB_OFF", "FADER_KNOB_ON"));
    EXPECT_EQ(none.hwnd(), nullptr);
}

TEST_F(FaderTest, DragMovesOnlyInsideAndReleaseSetsFromPointer)
{
    fader.setPos(100);
    send(WM_LBUTTONDOWN, MK_LBUTTON, 8, 40);
    EXPECT_EQ(::GetCapture(), fader.hwnd());
    EXPECT_EQ(::GetFocus(), fader.hwnd());
    EXPECT_EQ(fader.getPos(), 100) << "button down alone does not move";
    EXPECT_EQ(notes(), 0);
    EXPECT_EQ(knobTopShown(knobOn), 32) << "focus lights the knob"; // 149 - 14900 / 127

    send(WM_MOUSEMOVE, MK_LBUTTON, 8, 7); // the knob's centre at the top
    EXPECT_EQ(fader.getPos(), 127);
    send(WM_MOUSEMOVE, MK_LBUTTON, 8, 156); // and at the bottom
    EXPECT_EQ(fader.getPos(), 0);
    send(WM_MOUSEMOVE, MK_LBUTTON, 8, 81); // (149 + 7 - 81) * 127 / 149 = 63.9
    EXPECT_EQ(fader.getPos(), 63);
    EXPECT_EQ(notes(), 3);
    EXPECT_EQ(knobTopShown(knobOn), 76); // 149 - 9387 / 127

    send(WM_MOUSEMOVE, MK_LBUTTON, 8, 300); // outside: nothing
    send(WM_MOUSEMOVE, MK_LBUTTON, 30, 50);
    send(WM_MOUSEMOVE, MK_LBUTTON, 8, -20);
    EXPECT_EQ(fader.getPos(), 63);
    EXPECT_EQ(notes(), 0);

    send(WM_LBUTTONUP, 0, 8, 400); // released below the track
    EXPECT_EQ(fader.getPos(), 0);
    EXPECT_EQ(notes(), 1);
    EXPECT_EQ(::GetCapture(), nullptr);

    send(WM_LBUTTONDOWN, MK_LBUTTON, 8, 100);
    send(WM_LBUTTONUP, 0, 8, -30); // released above the track
    EXPECT_EQ(fader.getPos(), 127);
    EXPECT_EQ(notes(), 1);

    // Released over the fader after a press elsewhere.
    send(WM_LBUTTONUP, 0, 3, 156);
    EXPECT_EQ(fader.getPos(), 0);
    EXPECT_EQ(notes(), 1);

    // Shift or Ctrl held also drags; the right button too.
    send(WM_MOUSEMOVE, MK_SHIFT, 8, 7);
    EXPECT_EQ(fader.getPos(), 127);
    send(WM_MOUSEMOVE, MK_CONTROL, 8, 156);
    EXPECT_EQ(fader.getPos(), 0);
    send(WM_MOUSEMOVE, MK_RBUTTON, 8, 7);
    EXPECT_EQ(fader.getPos(), 127);
    EXPECT_EQ(notes(), 3);
}

TEST_F(FaderTest, WheelAndKeysStepByOneAndAlwaysNotify)
{
    fader.setPos(50);
    ::SetFocus(fader.hwnd());
    pumpMessages();
    parent.scrolls.clear();

    send(WM_MOUSEWHEEL, MAKEWPARAM(0, 1), 0, 0);
    EXPECT_EQ(fader.getPos(), 51);
    send(WM_MOUSEWHEEL, MAKEWPARAM(0, 480), 0, 0);
    EXPECT_EQ(fader.getPos(), 52) << "one step per message whatever the delta";
    send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), 0, 0);
    EXPECT_EQ(fader.getPos(), 51);
    send(WM_MOUSEWHEEL, MAKEWPARAM(0, 0), 0, 0);
    EXPECT_EQ(fader.getPos(), 50) << "a zero delta counts as downward";
    EXPECT_EQ(notes(), 4);

    ::SendMessageA(fader.hwnd(), WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(fader.getPos(), 51);
    ::SendMessageA(fader.hwnd(), WM_KEYDOWN, VK_DOWN, 0);
    ::SendMessageA(fader.hwnd(), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(fader.getPos(), 49);
    ::SendMessageA(fader.hwnd(), WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(fader.getPos(), 49);
    EXPECT_EQ(notes(), 4) << "every key-down notifies, unrelated keys too";

    fader.setPos(127);
    ::SendMessageA(fader.hwnd(), WM_KEYDOWN, VK_UP, 0);
    send(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0, 0);
    EXPECT_EQ(fader.getPos(), 127);
    fader.setPos(0);
    ::SendMessageA(fader.hwnd(), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(fader.getPos(), 0);
    EXPECT_EQ(notes(), 3) << "limited at the bounds, still notified";
}

TEST_F(FaderTest, HoverTakesFocusAndLosingItDimsTheKnob)
{
    EXPECT_EQ(knobTopShown(knobOff), 0);
    send(WM_MOUSEMOVE, 0, 8, 100);
    EXPECT_EQ(::GetFocus(), fader.hwnd());
    EXPECT_EQ(knobTopShown(knobOn), 0);
    EXPECT_EQ(fader.getPos(), 127) << "hovering does not move the value";
    EXPECT_EQ(notes(), 0);

    CFader other;
    ASSERT_TRUE(other.create(parent.hwnd(), 80, 30, 0, 127, 12388, "FADER_BACK", "FADER_KNOB_OFF",
                             "FADER_KNOB_ON"));
    ::SendMessageA(other.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(8, 100));
    EXPECT_EQ(::GetFocus(), other.hwnd());
    EXPECT_EQ(knobTopShown(knobOff), 0) << "the first fader lost the focus";
    send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), 0, 0);
    EXPECT_EQ(fader.getPos(), 126);
}

// ------------------------------------------------------------------ meter

class MeterTest : public SkinControls {
protected:
    void SetUp() override
    {
        SkinControls::SetUp();
        back = resourcePixels("PEAK_BACK");
        fore = resourcePixels("PEAK_FORE");
        ASSERT_EQ(back.height, 150);
        ASSERT_TRUE(meter.create(parent.hwnd(), 100, 40, 0, 127, 12352, "PEAK_BACK", "PEAK_FORE"));
    }

    // The first lit row as read back (150 when nothing is lit); -1 unless
    // rows above it are the track and rows from it on are the lit bar.
    int litFromShown()
    {
        const Pixels shot = capture(meter.hwnd());
        if (shot.width != 7 || shot.height != 150)
            return -1;
        int top = 150;
        for (int y = 0; y < 150; ++y)
            if (shot.rowEquals(y, fore, y)) {
                top = y;
                break;
            }
        for (int y = 0; y < 150; ++y)
            if (y < top ? !shot.rowEquals(y, back, y) : !shot.rowEquals(y, fore, y))
                return -1;
        return top;
    }

    Pixels back, fore;
    CPeakMeter meter;
};

TEST_F(MeterTest, LitRowsFollowAcceptedLevels)
{
    char name[32] = {};
    ::GetWindowTextA(meter.hwnd(), name, sizeof name);
    EXPECT_STREQ(name, "peak window");
    EXPECT_EQ(litFromShown(), 150) << "a new meter shows nothing lit";
    meter.setLevel(1);
    EXPECT_EQ(litFromShown(), 149);
    meter.setLevel(64);
    EXPECT_EQ(litFromShown(), 75);
    meter.setLevel(126);
    EXPECT_EQ(litFromShown(), 2);
    meter.setLevel(127);
    EXPECT_EQ(litFromShown(), 0);
    meter.setLevel(128);
    EXPECT_EQ(meter.level(), 127);
    EXPECT_EQ(litFromShown(), 0) << "128 leaves the previous level";
    meter.setLevel(30);
    meter.setLevel(-1);
    EXPECT_EQ(meter.level(), 30);
    EXPECT_EQ(litFromShown(), 115) << "-1 leaves the previous level"; // 150 - 4500 / 127
    meter.setLevel(0);
    EXPECT_EQ(litFromShown(), 150);

    CPeakMeter missing;
    EXPECT_FALSE(missing.create(parent.hwnd(), 0, 0, 0, 127, 1, "PEAK_BACK", nullptr));
    EXPECT_FALSE(missing.create(parent.hwnd(), 0, 0, 0, 127, 1, nullptr, "PEAK_FORE"));
    EXPECT_EQ(missing.hwnd(), nullptr);
}

TEST_F(MeterTest, RepaintingLeaksNoGdiObjects)
{
    for (int i = 0; i < 50; ++i) { // warm up any lazily created stock objects
        meter.setLevel(i);
        ::UpdateWindow(meter.hwnd());
    }
    const DWORD reportedBefore = test::gdiObjectCount();
    const long before = test::liveGdiHandles();
    ASSERT_GT(before, 0);
    for (int i = 0; i < 10000; ++i) {
        meter.setLevel(i % 128);
        ::UpdateWindow(meter.hwnd());
    }
    const long after = test::liveGdiHandles();
    std::printf("GDI objects around 10000 meter setLevel+UpdateWindow: handle table %ld -> %ld, "
                "GetGuiResources %lu -> %lu\n",
                before, after, static_cast<unsigned long>(reportedBefore),
                static_cast<unsigned long>(test::gdiObjectCount()));
    EXPECT_EQ(after, before);
}

TEST_F(FaderTest, PaintingAndFocusChangesLeakNoGdiObjects)
{
    const long before = test::liveGdiHandles();
    ASSERT_GT(before, 0);
    for (int i = 0; i < 2000; ++i) {
        fader.setPos(i % 128);
        ::SetFocus(i % 2 ? fader.hwnd() : parent.hwnd());
        ::UpdateWindow(fader.hwnd());
    }
    EXPECT_EQ(test::liveGdiHandles(), before);

    // Controls release their images and fonts with their windows. The
    // first round warms the system's own caches (window DCs, regions).
    auto round = [&](int n) {
        CFader extra;
        CPeakMeter meter;
        CSkinText text;
        CSkinButton button;
        ASSERT_TRUE(extra.create(parent.hwnd(), 100, 30, 0, 127, 1, "FADER_BACK", "FADER_KNOB_OFF",
                                 "FADER_KNOB_ON"));
        ASSERT_TRUE(meter.create(parent.hwnd(), 130, 30, 0, 127, 2, "PEAK_BACK", "PEAK_FORE"));
        ASSERT_TRUE(text.create(parent.hwnd(), 150, 30, 40, 14, -1, 0, RGB(255, 255, 255), "x"));
        ASSERT_TRUE(button.create("control button", CSkinButton::kStyle, RECT{200, 30, 220, 44},
                                  parent.hwnd(), 3));
        ASSERT_TRUE(button.loadImages("TEST_BTN_UP", "TEST_BTN_DOWN"));
        ::UpdateWindow(parent.hwnd());
        EXPECT_GE(test::liveGdiHandles(), before + 8) << "round " << n; // 3 + 2 images, a font, 2 images
    };
    round(0);
    pumpMessages();
    const long warm = test::liveGdiHandles();
    for (int n = 1; n <= 20; ++n) {
        round(n);
        pumpMessages();
    }
    EXPECT_EQ(test::liveGdiHandles(), warm);
}

} // namespace
} // namespace velmora
