#include "tests/app/PanelHarness.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using namespace testing_app;

class PageListTest : public ::testing::Test {
protected:
    PageListTest() {
        a = new RecordingPage(trace, "a");
        b = new RecordingPage(trace, "b");
        list.add(a);
        list.add(b);
    }
    PageTrace trace;
    PageList list;
    RecordingPage* a;
    RecordingPage* b;
};

TEST_F(PageListTest, SelectHidesEveryPageAndShowsTheChosenOneInTheSamePass) {
    EXPECT_EQ(list.select(1), -1);
    const std::vector<std::string> first = {"a:hide", "b:hide", "b:show"};
    EXPECT_EQ(trace.calls, first);
    EXPECT_EQ(list.currentIndex(), 1);
    trace.calls.clear();

    EXPECT_EQ(list.select(0), 1);
    const std::vector<std::string> second = {"a:hide", "a:show", "b:hide"};
    EXPECT_EQ(trace.calls, second);
    EXPECT_TRUE(a->shown);
    EXPECT_FALSE(b->shown);
}

TEST_F(PageListTest, IndexOutsideTheListHidesAllAndKeepsTheCurrentIndex) {
    list.select(1);
    for (int32_t index : {5, 2, -1, -7}) {
        EXPECT_EQ(list.select(index), 1);
        EXPECT_EQ(list.currentIndex(), 1);
        EXPECT_FALSE(a->shown);
        EXPECT_FALSE(b->shown);
    }
}

TEST(PageListEmpty, SelectOnAnEmptyListDoesNothing) {
    PageList list;
    EXPECT_EQ(list.select(0), -1);
    EXPECT_EQ(list.currentIndex(), -1);
    list.sendMeters(MeterBlock{});
    list.destroyAll();
}

TEST_F(PageListTest, EveryPageGetsItsOwnCopyOfTheRecord) {
    a->onSettingsHook = [](PanelSettings& mine) { mine.outVolume[0] = 1; };
    PanelSettings r = defaults();
    list.sendSettings(r);
    ASSERT_EQ(a->records.size(), 1u);
    ASSERT_EQ(b->records.size(), 1u);
    EXPECT_EQ(a->records[0].outVolume[0], 1);
    EXPECT_EQ(b->records[0].outVolume[0], 127);
    EXPECT_EQ(r.outVolume[0], 127);
}

TEST_F(PageListTest, BroadcastsReachEveryPageInListOrder) {
    MeterBlock block = {};
    block.level[33] = 42;
    list.sendMeters(block);
    EXPECT_EQ(a->meterCalls, 1);
    EXPECT_EQ(b->lastMeters.level[33], 42);

    Unit unit;
    list.sendDevice(unit.device);
    list.sendSettings(defaults());
    const std::vector<std::string> order = {"a:device", "b:device", "a:settings", "b:settings"};
    EXPECT_EQ(trace.calls, order);
    EXPECT_EQ(a->device, unit.device);
    EXPECT_EQ(b->device, unit.device);
}

TEST_F(PageListTest, DestroyAllDestroysEachPageOnceAndKeepsTheIndex) {
    list.select(1);
    list.add(nullptr); // skipped
    trace.calls.clear();
    list.destroyAll();
    const std::vector<std::string> order = {"a:destroy", "b:destroy"};
    EXPECT_EQ(trace.calls, order);
    EXPECT_EQ(trace.destroyed, 2);
    EXPECT_EQ(list.size(), 0u);
    EXPECT_EQ(list.currentIndex(), 1);
    list.destroyAll(); // nothing left
    EXPECT_EQ(trace.destroyed, 2);
}

TEST(PageListLifetime, DestroyingTheListDestroysThePages) {
    PageTrace trace;
    {
        PageList list;
        list.add(new RecordingPage(trace, "a"));
        list.add(new RecordingPage(trace, "b"));
    }
    EXPECT_EQ(trace.destroyed, 2);
}

TEST(PageListNull, NullEntryIsSkippedByEveryOperation) {
    PageTrace trace;
    PageList list;
    auto* page = new RecordingPage(trace, "a");
    list.add(nullptr);
    list.add(page);
    EXPECT_EQ(list.select(1), -1);
    EXPECT_TRUE(page->shown);
    EXPECT_EQ(list.select(0), 1); // the null entry cannot be selected
    EXPECT_EQ(list.currentIndex(), 1);
    list.sendSettings(defaults());
    list.sendMeters(MeterBlock{});
    list.sendDevice(nullptr);
    EXPECT_EQ(page->records.size(), 1u);
}

} // namespace
} // namespace velmora
