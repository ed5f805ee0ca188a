// The Control and Info pages under Wine with the program's own resources:
// layout read back from the real windows, user input sent as the platform
// delivers it, the way back to the main window recorded, pixels compared
// with the resource bitmaps, GDI handles counted.
#include "tests/ui_win32/PixelProbe.h"
#include "tests/ui_win32/TestParent.h"
#include "ui/PageList.h"
#include "ui/SettingsApplier.h"
#include "ui/win32/CControlPage.h"
#include "ui/win32/CInfoPage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <cstring>
#include <string>
#include <vector>

namespace velmora {
namespace {

using test::capture;
using test::Pixels;
using test::pumpMessages;
using test::resourcePixels;

// Stands in for the main window: records every apply and, as the real one
// does, publishes the accepted record back to the pages before applyMixer
// returns.
class RecordingApplier : public SettingsApplier {
public:
    void applyVolumes(PanelSettings candidate) override
    {
        calls += "V";
        records.push_back(candidate);
    }
    void applyMixer(PanelSettings candidate) override
    {
        calls += "M";
        records.push_back(candidate);
        if (pages)
            pages->sendSettings(candidate);
    }

    // The record of the latest apply; all 0xFF (and a failure) when none came.
    PanelSettings last() const
    {
        PanelSettings none;
        std::memset(&none, 0xFF, sizeof none);
        if (records.empty()) {
            ADD_FAILURE() << "nothing reached the main window";
            return none;
        }
        return records.back();
    }

    std::string calls;
    std::vector<PanelSettings> records;
    PageList* pages = nullptr;
};

PanelSettings sampleRecord()
{
    PanelSettings record;
    std::memset(&record, 0, sizeof record);
    for (int i = 0; i < 8; ++i)
        record.outVolume[i] = 127;
    record.cpldMixOutSel = 1;
    std::strcpy(record.firmwareVersion.text, "1.2.3");
    return record;
}

struct ChildWindow {
    HWND hwnd;
    int id;
    RECT rect; // in the page's client coordinates
    std::string className;
    std::string text;
};

std::vector<ChildWindow> childrenOf(HWND page)
{
    std::vector<ChildWindow> out;
    for (HWND child = ::GetWindow(page, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        ChildWindow c{child, ::GetDlgCtrlID(child), {}, {}, {}};
        ::GetWindowRect(child, &c.rect);
        ::MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&c.rect), 2);
        char buffer[128] = {};
        ::GetClassNameA(child, buffer, sizeof buffer);
        c.className = buffer;
        ::GetWindowTextA(child, buffer, sizeof buffer);
        c.text = buffer;
        out.push_back(c);
    }
    return out;
}

void sendClick(HWND control)
{
    ::SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    ::SendMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    pumpMessages();
}

class PagesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(parent.create(892, 372));
        control = new CControlPage(&applier);
        ASSERT_TRUE(control->createPage(parent.hwnd(), 24, 53, "BAK_PAGE_CONTROL"));
        info = new CInfoPage();
        ASSERT_TRUE(info->createPage(parent.hwnd(), 24, 53, "BAK_PAGE_INFO"));
        pages.add(control);
        pages.add(info);
        pages.select(0);
        applier.pages = &pages;
        pumpMessages();
    }
    void TearDown() override
    {
        pages.destroyAll();
        parent.destroyWindow();
        pumpMessages();
    }

    HWND item(int id) const { return ::GetDlgItem(control->hwnd(), id); }

    test::TestParent parent;
    RecordingApplier applier;
    PageList pages;
    CControlPage* control = nullptr;
    CInfoPage* info = nullptr;
};

// ------------------------------------------------------------------ layout

struct Expected {
    int id;
    int x, y, w, h;
    const char* className; // null: any of the program's own classes
    const char* text;
};

TEST_F(PagesTest, ControlPageBuildsItsControlsAtTheirPlacesInTheTabKeysOrder)
{
    RECT page{};
    ::GetWindowRect(control->hwnd(), &page);
    ::MapWindowPoints(nullptr, parent.hwnd(), reinterpret_cast<POINT*>(&page), 2);
    EXPECT_EQ(page.left, 24);
    EXPECT_EQ(page.top, 53);
    EXPECT_EQ(page.right - page.left, 662);
    EXPECT_EQ(page.bottom - page.top, 282);

    std::vector<Expected> expected;
    expected.push_back({12288, 270, 260, 37, 17, "Button", "control button"});
    expected.push_back({12289, 596, 260, 37, 17, "Button", "control button"});
    for (int k = 0; k < 4; ++k) {
        expected.push_back({12304 + 2 * k, 331 + 83 * k, 242, 20, 14, "Button", "control button"});
        expected.push_back({12305 + 2 * k, 380 + 83 * k, 242, 20, 14, "Button", "control button"});
    }
    for (int k = 0; k < 4; ++k)
        expected.push_back({12320 + k, 351 + 83 * k, 242, 29, 14, "Button", "control button"});
    const int selectorX[4] = {330, 411, 495, 579};
    for (int k = 0; k < 4; ++k)
        expected.push_back({12336 + k, selectorX[k], 33, 80, 16, "Button", "S/PDIF OUT"});
    const int inputX[18] = {16, 31, 46, 61, 76, 91, 106, 121, 146, 161, 176, 191, 206, 221, 236, 251, 276, 291};
    for (int i = 0; i < 18; ++i)
        expected.push_back({12352, inputX[i], 68, 7, 150, nullptr, "peak window"});
    for (int k = 0; k < 4; ++k) {
        expected.push_back({12368, 335 + 83 * k, 68, 7, 150, nullptr, "peak window"});
        expected.push_back({12368, 388 + 83 * k, 68, 7, 150, nullptr, "peak window"});
    }
    for (int k = 0; k < 4; ++k) {
        expected.push_back({12384 + 2 * k, 345 + 83 * k, 62, 17, 163, nullptr, "peak window"});
        expected.push_back({12385 + 2 * k, 367 + 83 * k, 62, 17, 163, nullptr, "peak window"});
    }
    for (int k = 0; k < 4; ++k) {
        expected.push_back({12400 + 2 * k, 330 + 83 * k, 227, 32, 12, nullptr, "static winodw"});
        expected.push_back({12401 + 2 * k, 368 + 83 * k, 227, 32, 12, nullptr, "static winodw"});
    }

    std::vector<ChildWindow> children = childrenOf(control->hwnd());
    ASSERT_EQ(children.size(), expected.size()); // 14 buttons, 4 selectors, 26 meters, 8 faders, 8 labels
    // The Tab key follows the windows' order: the faders, the switches left
    // to right, the selectors; meters and labels after them, as built.
    const int keyboardOrder[] = {12384, 12385, 12386, 12387, 12388, 12389, 12390, 12391, 12288, 12304, 12320,
                                 12305, 12306, 12321, 12307, 12308, 12322, 12309, 12310, 12323, 12311, 12289,
                                 12336, 12337, 12338, 12339};
    for (size_t n = 0; n < std::size(keyboardOrder); ++n)
        EXPECT_EQ(children[n].id, keyboardOrder[n]) << "place " << n;
    for (const Expected& e : expected) {
        SCOPED_TRACE("id " + std::to_string(e.id) + " at " + std::to_string(e.x));
        auto c = std::find_if(children.begin(), children.end(), [&](const ChildWindow& w) {
            return w.id == e.id && w.rect.left == e.x && w.rect.top == e.y;
        });
        ASSERT_NE(c, children.end());
        EXPECT_EQ(c->rect.right - c->rect.left, e.w);
        EXPECT_EQ(c->rect.bottom - c->rect.top, e.h);
        if (e.className) {
            EXPECT_STREQ(c->className.c_str(), e.className);
        }
        EXPECT_STREQ(c->text.c_str(), e.text);
        children.erase(c);
    }

    // Skinned buttons are owner-drawn (and Tab stops); selectors are plain
    // radio buttons, selector 0 checked; labels start at "0.0dB".
    EXPECT_EQ(::GetWindowLongA(item(12288), GWL_STYLE) & ~(WS_TABSTOP | WS_GROUP) & 0xFFFFFFFF, 0x5000000B);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(::GetWindowLongA(item(12336 + k), GWL_STYLE) & BS_TYPEMASK, BS_RADIOBUTTON);
        EXPECT_EQ(::SendMessageA(item(12336 + k), BM_GETCHECK, 0, 0), k == 0 ? BST_CHECKED : BST_UNCHECKED);
    }
}

TEST_F(PagesTest, PagesPaintTheirBackgroundsOneToOne)
{
    for (auto [page, name] : {std::pair<HWND, const char*>{control->hwnd(), "BAK_PAGE_CONTROL"},
                              std::pair<HWND, const char*>{info->hwnd(), "BAK_PAGE_INFO"}}) {
        SCOPED_TRACE(name);
        pages.select(page == control->hwnd() ? 0 : 1);
        const Pixels background = resourcePixels(name);
        ASSERT_EQ(background.width, 662);
        const Pixels shot = capture(page);
        ASSERT_EQ(shot.width, 662);
        ASSERT_EQ(shot.height, 282);
        std::vector<RECT> covered;
        for (const ChildWindow& c : childrenOf(page))
            covered.push_back(c.rect);
        int compared = 0, differing = 0;
        for (int y = 0; y < shot.height; ++y)
            for (int x = 0; x < shot.width; ++x) {
                bool underChild = false;
                for (const RECT& r : covered)
                    underChild |= x >= r.left && x < r.right && y >= r.top && y < r.bottom;
                if (underChild)
                    continue;
                ++compared;
                differing += shot.at(x, y) != background.at(x, y);
            }
        EXPECT_GT(compared, 662 * 282 / 2);
        EXPECT_EQ(differing, 0);
    }
}

TEST_F(PagesTest, SelectorsTakeTheirColoursFromThePage)
{
    const Pixels shot = capture(item(12337));
    ASSERT_EQ(shot.width, 80);
    int brush = 0, text = 0;
    for (uint32_t p : shot.data) {
        brush += p == test::rgb(235, 235, 235);
        text += p == test::rgb(47, 47, 47);
    }
    EXPECT_GT(brush, 80 * 16 / 3) << "selectorBrush behind the selector";
    EXPECT_GT(text, 0) << "the selector's text colour";
}

// ------------------------------------------------------------- user input

TEST_F(PagesTest, ChangesBeforeTheFirstRecordStayInThePage)
{
    sendClick(item(12288)); // MON
    EXPECT_EQ(applier.calls, "");
    EXPECT_EQ(control->logic().settings().cpldDigitalMon, 1);
    EXPECT_FALSE(control->logic().settingsReceived());

    pages.sendSettings(sampleRecord());
    EXPECT_EQ(control->logic().settings().cpldDigitalMon, 0) << "the first record replaces the page's copy";
    sendClick(item(12288));
    EXPECT_EQ(applier.calls, "M");
    EXPECT_EQ(applier.last().cpldDigitalMon, 1);
}

TEST_F(PagesTest, TogglesReachTheMainWindowInTheirOrder)
{
    pages.sendSettings(sampleRecord());

    sendClick(item(12304 + 3)); // mute of output 3
    EXPECT_EQ(applier.calls, "VM") << "a mute: applyVolumes, then applyMixer";
    EXPECT_EQ(applier.last().outMute[3], 1);
    EXPECT_EQ(applier.last().outMute[2], 0) << "mutes of a pair stay independent";

    applier.calls.clear();
    sendClick(item(12320 + 1)); // link of pair 1
    EXPECT_EQ(applier.calls, "M") << "a link: applyMixer alone";
    EXPECT_EQ(applier.last().outLink[1], 1);

    applier.calls.clear();
    sendClick(item(12289)); // MIX on stores 0
    EXPECT_EQ(applier.calls, "M");
    EXPECT_EQ(applier.last().cpldMixOutSel, 0);

    applier.calls.clear();
    sendClick(item(12336 + 2)); // S/PDIF OUT selector 2
    EXPECT_EQ(applier.calls, "M");
    EXPECT_EQ(applier.last().digitalOutSelector, 2);
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(::SendMessageA(item(12336 + k), BM_GETCHECK, 0, 0), k == 2 ? BST_CHECKED : BST_UNCHECKED);

    // A double click on a switch is two clicks: it ends where it began.
    applier.calls.clear();
    HWND mute = item(12304);
    ::SendMessageA(mute, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    ::SendMessageA(mute, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    ::SendMessageA(mute, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(2, 2));
    ::SendMessageA(mute, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    pumpMessages();
    EXPECT_EQ(applier.calls, "VMVM");
    EXPECT_EQ(applier.last().outMute[0], 0);
}

TEST_F(PagesTest, SwitchImagesFollowTheRecordShown)
{
    const Pixels off = resourcePixels("BTN_LINK_OFF");
    const Pixels on = resourcePixels("BTN_LINK_ON");
    auto shows = [](HWND hwnd, const Pixels& image) {
        const Pixels shot = capture(hwnd);
        return shot.width == image.width && shot.height == image.height && shot.data == image.data;
    };
    ASSERT_TRUE(shows(item(12322), off));
    PanelSettings record = sampleRecord();
    record.outLink[2] = 1;
    pages.sendSettings(record);
    EXPECT_TRUE(shows(item(12322), on));
    record.outLink[2] = 0xFF; // a byte that is neither on nor off shows off
    pages.sendSettings(record);
    EXPECT_TRUE(shows(item(12322), off));
    sendClick(item(12322)); // a click from it stores off,
    EXPECT_TRUE(shows(item(12322), off));
    EXPECT_EQ(applier.last().outLink[2], 0);
    sendClick(item(12322)); // and the next one on
    EXPECT_TRUE(shows(item(12322), on));
    EXPECT_EQ(applier.last().outLink[2], 1);
}

TEST_F(PagesTest, FaderDragMovesTheLinkedPartnerAndReachesTheMainWindow)
{
    PanelSettings record = sampleRecord();
    record.outLink[1] = 1;
    pages.sendSettings(record);
    const Pixels labelBefore = capture(item(12403));

    HWND fader2 = item(12384 + 2);
    // Released at row 38: (149 + 7 - 38) * 127 / 149 = 100.6, position 100 (-13.5dB).
    ::SendMessageA(fader2, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 50));
    ::SendMessageA(fader2, WM_LBUTTONUP, 0, MAKELPARAM(8, 38));
    pumpMessages();
    EXPECT_EQ(applier.calls, "VM");
    ASSERT_FALSE(applier.records.empty());
    EXPECT_EQ(applier.last().outVolume[2], 100);
    EXPECT_EQ(applier.last().outVolume[3], 100) << "linked partner follows";
    EXPECT_EQ(applier.last().outVolume[0], 127);
    // The partner's label changed on screen, and reads what fader 2's reads.
    const Pixels labelAfter = capture(item(12403));
    EXPECT_NE(labelAfter.data, labelBefore.data);
    EXPECT_EQ(capture(item(12402)).data, labelAfter.data);

    // Unlinked pair 0: only the moved fader changes.
    applier.calls.clear();
    HWND fader0 = item(12384);
    ::SendMessageA(fader0, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 50));
    ::SendMessageA(fader0, WM_LBUTTONUP, 0, MAKELPARAM(8, 400)); // below the track
    pumpMessages();
    EXPECT_EQ(applier.calls, "VM");
    EXPECT_EQ(applier.last().outVolume[0], 0);
    EXPECT_EQ(applier.last().outVolume[1], 127);
    EXPECT_EQ(applier.last().outVolume[2], 100);
}

TEST_F(PagesTest, ArrowKeysReachAFocusedFaderThroughTheDialogManager)
{
    pages.sendSettings(sampleRecord());
    HWND fader = item(12384 + 5);
    ::SetFocus(fader);
    pumpMessages();
    auto press = [&](WPARAM key) {
        ::PostMessageA(fader, WM_KEYDOWN, key, 0);
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            // As the main window's modal loop does for its descendants.
            if (!::IsDialogMessageA(parent.hwnd(), &msg) && !::IsDialogMessageA(control->hwnd(), &msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
        }
    };
    press(VK_DOWN);
    press(VK_DOWN);
    EXPECT_EQ(::GetFocus(), fader) << "the arrow keys did not move the focus away";
    ASSERT_EQ(applier.calls, "VMVM");
    EXPECT_EQ(applier.last().outVolume[5], 125);
    press(VK_UP);
    ASSERT_EQ(applier.calls, "VMVMVM");
    EXPECT_EQ(applier.last().outVolume[5], 126);
}

TEST_F(PagesTest, MeterBlockLightsTheRightMeters)
{
    const Pixels back = resourcePixels("PEAK_BACK");
    const Pixels fore = resourcePixels("PEAK_FORE");
    ASSERT_EQ(fore.height, 150);
    std::vector<HWND> inputs, outputs;
    for (const ChildWindow& c : childrenOf(control->hwnd())) {
        if (c.id == 12352)
            inputs.push_back(c.hwnd);
        if (c.id == 12368)
            outputs.push_back(c.hwnd);
    }
    ASSERT_EQ(inputs.size(), 18u);
    ASSERT_EQ(outputs.size(), 8u);

    MeterBlock block{};
    block.level[0] = 127;  // input 0: the whole bar
    block.level[17] = 124; // input 17: 124..127 all give the whole bar
    block.level[18] = 127; // bytes 18..31 are not meters
    block.level[32 + 1] = 0x80; // output 1: a negative byte reads 0
    block.level[32 + 7] = 126;
    pages.sendMeters(block);

    EXPECT_EQ(capture(inputs[0]).data, fore.data);
    EXPECT_EQ(capture(inputs[17]).data, fore.data);
    EXPECT_EQ(capture(inputs[5]).data, back.data);
    EXPECT_EQ(capture(outputs[1]).data, back.data);
    EXPECT_EQ(capture(outputs[7]).data, fore.data);

    // The Info page ignores meter blocks.
    pages.select(1);
    const Pixels infoBefore = capture(info->hwnd());
    pages.sendMeters(block);
    EXPECT_EQ(capture(info->hwnd()).data, infoBefore.data);
}

TEST_F(PagesTest, AtEachScaleThePageItsMetersAndFadersShowTheArtDrawnForIt)
{
    // 200 %, 150 % (the art carried for them) and back to 100 %, twice: the
    // meter's track and bar are the bitmaps drawn for the scale pixel for
    // pixel, not a stretched 100 % copy; every control stands at its scaled
    // place; and the images of a scale left are let go (GDI handles).
    control->setPeakHold(true); // input 17 latches a clip cap, input 0 stays lit
    MeterBlock block{};
    block.level[0] = 127;
    block.level[17] = 127;
    pages.sendMeters(block);
    block.level[1] = 63; // input 1: a peak-hold mark once it falls
    pages.sendMeters(block);
    block.level[17] = 0;
    block.level[1] = 0;
    pages.sendMeters(block);
    pumpMessages();
    long handles[2] = {};
    for (int round = 0; round < 2; ++round) {
      for (int percent : {200, 125, 150, 100}) {
        SCOPED_TRACE(percent);
        const DisplayScale scale{percent * 96 / 100};
        ::SetWindowPos(parent.hwnd(), nullptr, 0, 0, scale.px(892), scale.px(372), SWP_NOMOVE | SWP_NOZORDER);
        control->setScale(scale, POINT{scale.px(24), scale.px(53)});
        pumpMessages();
        if (percent == 125) {
            // No art of its own: the 150 % set resampled to the scaled size,
            // the bar still running green at the bottom to red at the top.
            const Pixels meter = capture(::GetDlgItem(control->hwnd(), 12352));
            ASSERT_EQ(meter.width, 9);
            ASSERT_EQ(meter.height, 188);
            const uint32_t bottom = meter.at(4, 186);
            EXPECT_GT((bottom >> 8) & 0xFF, (bottom >> 16) & 0xFF) << "green below";
            continue;
        }
        const std::string suffix = percent == 100 ? "" : "_" + std::to_string(percent);
        const Pixels back = resourcePixels(("PEAK_BACK" + suffix).c_str());
        const Pixels fore = resourcePixels(("PEAK_FORE" + suffix).c_str());
        const Pixels page = resourcePixels(("BAK_PAGE_CONTROL" + suffix).c_str());
        ASSERT_EQ(fore.height, scale.px(150));
        std::vector<HWND> inputs;
        for (const ChildWindow& c : childrenOf(control->hwnd()))
            if (c.id == 12352)
                inputs.push_back(c.hwnd);
        ASSERT_EQ(inputs.size(), 18u);
        EXPECT_EQ(capture(inputs[5]).data, back.data);
        // Both full-scale meters latched a clip cap as tall as the scale makes
        // 4 rows: the bar below it on input 0, the track on input 17.
        const int capRows = scale.px(4);
        const Pixels lit = capture(inputs[0]), clipped = capture(inputs[17]);
        EXPECT_GT(clipped.at(1, capRows - 1) >> 16, 200u);
        // The peak-hold mark is as thick as the scale makes one row.
        const Pixels marked = capture(inputs[1]);
        int markRows = 0;
        for (int y = 0; y < back.height; ++y)
            markRows += !marked.rowEquals(y, back, y);
        EXPECT_EQ(markRows, scale.px(1));
        for (int y = capRows; y < fore.height; ++y) {
            EXPECT_TRUE(lit.rowEquals(y, fore, y)) << "bar row " << y;
            EXPECT_TRUE(clipped.rowEquals(y, back, y)) << "track row " << y;
            if (!lit.rowEquals(y, fore, y) || !clipped.rowEquals(y, back, y))
                break;
        }
        const Pixels shown = capture(control->hwnd());
        ASSERT_EQ(shown.width, page.width);
        ASSERT_EQ(shown.height, page.height);
        // The strip above the S/PDIF OUT selectors holds no control (as far
        // as the screen shows it: the page may reach past its edge).
        const int seen = std::min(page.width, ::GetSystemMetrics(SM_CXSCREEN) - scale.px(24));
        for (int y = 0; y < scale.px(30); ++y) {
            const auto row = page.data.begin() + static_cast<ptrdiff_t>(y) * page.width;
            if (!std::equal(row, row + seen, shown.data.begin() + static_cast<ptrdiff_t>(y) * page.width)) {
                ADD_FAILURE() << "the page's background differs in row " << y;
                break;
            }
        }
        for (const ChildWindow& c : childrenOf(control->hwnd())) {
            if (c.id == 12384 + 5) { // fader 5
                EXPECT_EQ(c.rect.left, scale.px(367 + 83 * 2));
                EXPECT_EQ(c.rect.top, scale.px(62));
                EXPECT_EQ(c.rect.bottom - c.rect.top, scale.px(163));
            }
            if (c.id == 12336 + 3) { // the last S/PDIF OUT selector
                EXPECT_EQ(c.rect.right, scale.px(579 + 80));
            }
        }
        if (percent == 100)
            handles[round] = test::liveGdiHandles();
      }
    }
    // A second round through the scales ends with what the first ended with.
    EXPECT_EQ(handles[1], handles[0]);
}

// ---------------------------------------------------------------- info page

TEST_F(PagesTest, InfoPageLinesAndFirmwareVersion)
{
    const std::vector<ChildWindow> lines = childrenOf(info->hwnd());
    ASSERT_EQ(lines.size(), 4u);
    const int expectedLines[4][4] = {{111, 46, 50, 14}, {111, 60, 90, 14}, {111, 74, 90, 14}, {111, 88, 90, 14}};
    for (int n = 0; n < 4; ++n) {
        EXPECT_EQ(lines[n].rect.left, expectedLines[n][0]);
        EXPECT_EQ(lines[n].rect.top, expectedLines[n][1]);
        EXPECT_EQ(lines[n].rect.right - lines[n].rect.left, expectedLines[n][2]);
        EXPECT_EQ(lines[n].rect.bottom - lines[n].rect.top, expectedLines[n][3]);
        EXPECT_EQ(lines[n].text, "static winodw");
    }
    pages.select(1);
    const uint32_t back = test::rgb(236, 236, 236);
    auto inked = [&](HWND line) {
        int n = 0;
        for (uint32_t p : capture(line).data)
            n += p != back;
        return n;
    };
    EXPECT_GT(inked(lines[0].hwnd), 0) << "maker line";
    EXPECT_GT(inked(lines[1].hwnd), inked(lines[0].hwnd)) << "the product line is longer";
    EXPECT_EQ(inked(lines[2].hwnd), 0) << "no firmware line before a record";
    EXPECT_EQ(inked(lines[3].hwnd), 0) << "no serial line without a unit";

    pages.sendSettings(sampleRecord());
    const int version = inked(lines[2].hwnd);
    EXPECT_GT(version, 0);
    bool textColour = false;
    for (uint32_t p : capture(lines[2].hwnd).data)
        textColour |= p == test::rgb(63, 63, 63);
    EXPECT_TRUE(textColour);

    PanelSettings empty = sampleRecord();
    empty.firmwareVersion.text[0] = '\0';
    pages.sendSettings(empty);
    EXPECT_EQ(inked(lines[2].hwnd), 0) << "an empty version empties the line";

    PanelSettings unterminated = sampleRecord();
    std::memset(unterminated.firmwareVersion.text, '8', sizeof unterminated.firmwareVersion.text);
    pages.sendSettings(unterminated); // shows its 64 bytes, cut short; must not read beyond them
    EXPECT_GT(inked(lines[2].hwnd), version);

    // The version is the unit's data: an ampersand in it is drawn, as a
    // fixed label draws the escaped "&&" (the oracle beside the lines).
    CSkinText oracle;
    ASSERT_TRUE(oracle.create(info->hwnd(), 0, 0, 90, 14, -1, RGB(63, 63, 63), RGB(236, 236, 236), "V1&&B"));
    PanelSettings ampersand = sampleRecord();
    std::snprintf(ampersand.firmwareVersion.text, sizeof ampersand.firmwareVersion.text, "V1&B");
    pages.sendSettings(ampersand);
    EXPECT_TRUE(capture(lines[2].hwnd).data == capture(oracle.hwnd()).data) << "the firmware line shows V1&B";
}

// ---------------------------------------------------------------- lifetime

TEST_F(PagesTest, PagesOutliveTheWindowThatTookTheirWindowsDown)
{
    // The main window's end destroys every child window before the page
    // list destroys the page objects; broadcasts may still arrive between.
    pages.sendSettings(sampleRecord());
    parent.destroyWindow();
    pumpMessages();
    EXPECT_EQ(control->hwnd(), nullptr);
    EXPECT_EQ(info->hwnd(), nullptr);
    MeterBlock block{};
    block.level[3] = 100;
    pages.sendMeters(block);
    PanelSettings record = sampleRecord();
    record.digitalOutSelector = 3;
    pages.sendSettings(record);
    pages.select(1);
    EXPECT_EQ(applier.calls, "");
    pages.destroyAll();
    control = nullptr;
    info = nullptr;
}

TEST_F(PagesTest, PageSwitchingAndDestroyingLeakNoGdiObjects)
{
    for (int i = 0; i < 10; ++i) { // warm the system's own caches
        pages.select(i % 2);
        ::UpdateWindow(parent.hwnd());
    }
    pumpMessages();
    const long before = test::liveGdiHandles();
    ASSERT_GT(before, 0);
    for (int i = 0; i < 1000; ++i) {
        pages.select(i % 2);
        ::UpdateWindow(parent.hwnd());
        pumpMessages();
    }
    pages.select(0);
    pumpMessages();
    const long after = test::liveGdiHandles();
    std::printf("GDI objects around 1000 page switches: handle table %ld -> %ld (GetGuiResources %lu)\n",
                before, after, static_cast<unsigned long>(test::gdiObjectCount()));
    EXPECT_EQ(after, before);

    // Destroying the pages frees their windows and every bitmap, font and brush.
    const HWND controlWindow = control->hwnd();
    const HWND infoWindow = info->hwnd();
    pages.destroyAll();
    pumpMessages();
    EXPECT_FALSE(::IsWindow(controlWindow));
    EXPECT_FALSE(::IsWindow(infoWindow));
    const long destroyed = test::liveGdiHandles();
    // Every image is loaded once and shared by the controls showing it.
    // Control page: 1 background + 10 switch images (for 14 switches) + the
    // brush of the selectors and dB labels + the meters' 2 images, the 2
    // memory DCs they stay selected in and the clip cap's brush + 3 fader
    // images; Info page: background + its lines' brush. The fonts are the
    // panel's shared ones and stay.
    const long owned = 1 + 10 + 1 + 5 + 3 + 2;
    std::printf("GDI objects released by destroying both pages: %ld (pages own %ld)\n", after - destroyed,
                owned);
    EXPECT_GE(after - destroyed, owned);
    control = nullptr;
    info = nullptr;

    // A second pair of pages, built and torn down again, leaves nothing behind.
    for (int round = 0; round < 3; ++round) {
        control = new CControlPage(&applier);
        ASSERT_TRUE(control->createPage(parent.hwnd(), 24, 53, "BAK_PAGE_CONTROL"));
        info = new CInfoPage();
        ASSERT_TRUE(info->createPage(parent.hwnd(), 24, 53, "BAK_PAGE_INFO"));
        pages.add(control);
        pages.add(info);
        pages.select(round % 2);
        ::UpdateWindow(parent.hwnd());
        pages.destroyAll();
        pumpMessages();
        EXPECT_EQ(test::liveGdiHandles(), destroyed) << "round " << round;
    }
}

} // namespace
} // namespace velmora
