// The Control page's meters under Wine with the program's own skin: a meter
// tick draws only what changed, creates no GDI object and allocates nothing,
// and what it leaves on the screen is what a whole repaint shows; the
// peak-hold marks and clip caps appear, clear on a click and vanish with
// the hold switched off. Pixels are read back from the rendered windows.
#include "tests/support/CountingAllocator.h"
#include "tests/ui_win32/PixelProbe.h"
#include "tests/ui_win32/TestParent.h"
#include "ui/win32/CControlPage.h"

#include <gtest/gtest.h>

#include <vector>

namespace velmora {
namespace {

using test::capture;
using test::Pixels;
using test::pumpMessages;
using test::resourcePixels;

class MeterBankTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(parent.create(892, 372));
        page = new CControlPage(nullptr);
        ASSERT_TRUE(page->createPage(parent.hwnd(), 24, 53, "BAK_PAGE_CONTROL"));
        for (HWND child = ::GetWindow(page->hwnd(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            if (::GetDlgCtrlID(child) == 12352 || ::GetDlgCtrlID(child) == 12368)
                meters.push_back(child); // the 18 inputs, then the 8 outputs
        ASSERT_EQ(meters.size(), 26u);
        back = resourcePixels("PEAK_BACK");
        fore = resourcePixels("PEAK_FORE");
        ::UpdateWindow(parent.hwnd());
    }
    void TearDown() override
    {
        page->destroyPage();
        parent.destroyWindow();
        pumpMessages();
    }

    // Input meters read bytes 0..17, outputs 32..39.
    static MeterBlock block(std::initializer_list<std::pair<int, uint8_t>> bytes)
    {
        MeterBlock b{};
        for (auto [index, value] : bytes)
            b.level[index] = value;
        return b;
    }

    // Rows of a meter as read back that are neither the track's nor the bar's own row.
    std::vector<int> foreignRows(const Pixels& shot) const
    {
        std::vector<int> rows;
        for (int y = 0; y < shot.height; ++y)
            if (!shot.rowEquals(y, back, y) && !shot.rowEquals(y, fore, y))
                rows.push_back(y);
        return rows;
    }

    test::TestParent parent;
    CControlPage* page = nullptr;
    std::vector<HWND> meters;
    Pixels back, fore;
};

TEST_F(MeterBankTest, ATickDrawsWhatChangedCreatesNothingAndLeavesWhatARepaintShows)
{
    page->setPeakHold(true);
    auto tick = [&](int n) {
        MeterBlock b{};
        for (int i = 0; i < 18; ++i)
            b.level[i] = uint8_t((n * 7 + i * 13) % 128);
        for (int j = 0; j < 8; ++j)
            b.level[32 + j] = uint8_t(j == 3 ? 127 : (n * 3 + j * 29) % 140);
        page->onMeters(b);
    };
    for (int n = 0; n < 40; ++n) // everything the meters draw from exists now
        tick(n);
    const long handles = test::liveGdiHandles();
    const unsigned long long allocations = velmora_testing::g_allocations;
    for (int n = 40; n < 2040; ++n) {
        tick(n);
        for (HWND meter : meters)
            ASSERT_FALSE(::GetUpdateRect(meter, nullptr, FALSE)) << "a tick leaves no meter to repaint";
    }
    EXPECT_EQ(test::liveGdiHandles(), handles) << "GDI objects made by 2000 ticks";
    EXPECT_EQ(velmora_testing::g_allocations, allocations) << "allocations made by 2000 ticks";

    std::vector<Pixels> drawn;
    for (HWND meter : meters)
        drawn.push_back(capture(meter));
    ::RedrawWindow(page->hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    for (size_t i = 0; i < meters.size(); ++i)
        EXPECT_EQ(capture(meters[i]).data, drawn[i].data) << "meter " << i;
}

TEST_F(MeterBankTest, MarksHoldThePeakCapsLatchFullScaleAndClicksClearThem)
{
    page->setPeakHold(true);
    page->onMeters(block({{0, 127}, {1, 63}, {32 + 7, 127}})); // input 1: level 109, lit from row 22
    page->onMeters(block({}));                                 // all fall to 0 at once
    const Pixels input0 = capture(meters[0]), input1 = capture(meters[1]), output7 = capture(meters[25]);

    // Input 1: one light row where the peak stood, the track elsewhere.
    std::vector<int> mark;
    for (int y = 0; y < 150; ++y)
        if (!input1.rowEquals(y, back, y))
            mark.push_back(y);
    ASSERT_EQ(mark.size(), 1u) << "one row differs from the track";
    const int row = mark[0];
    EXPECT_NEAR(row, 22, 1);
    bool copiesABarRow = false;
    for (int y : {row - 1, row, row + 1})
        copiesABarRow |= input1.rowEquals(row, fore, y);
    EXPECT_TRUE(copiesABarRow) << "the mark shows a lit row of the bar";

    // Full scale latched a red cap over the top rows, on inputs and outputs.
    for (const Pixels* shot : {&input0, &output7}) {
        const std::vector<int> rows = foreignRows(*shot);
        ASSERT_GE(rows.size(), 3u);
        EXPECT_EQ(rows.front(), 0);
        const uint32_t cap = shot->at(3, 1);
        EXPECT_GT(cap >> 16, 200u);
        EXPECT_LT((cap >> 8) & 0xFF, 80u);
        EXPECT_LT(cap & 0xFF, 80u);
    }

    // The latch holds through falling levels until its meter is clicked.
    for (int n = 0; n < 100; ++n)
        page->onMeters(block({}));
    EXPECT_EQ(capture(meters[0]).at(3, 1), input0.at(3, 1));
    ::SendMessageA(meters[0], WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 75));
    ::SendMessageA(meters[0], WM_LBUTTONUP, 0, MAKELPARAM(3, 75));
    EXPECT_TRUE(foreignRows(capture(meters[0])).empty()) << "cleared, and the mark fell back";
    EXPECT_FALSE(foreignRows(capture(meters[25])).empty()) << "another meter keeps its latch";
    page->resetClips();
    EXPECT_TRUE(foreignRows(capture(meters[25])).empty());

    // Switched off, a meter shows its level alone, as it always did.
    page->onMeters(block({{2, 127}, {5, 31}}));
    page->setPeakHold(false);
    page->onMeters(block({{2, 31}, {5, 31}}));
    EXPECT_EQ(capture(meters[2]).data, capture(meters[5]).data);
    EXPECT_TRUE(foreignRows(capture(meters[2])).empty());
}

} // namespace
} // namespace velmora
