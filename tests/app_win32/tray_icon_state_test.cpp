// The tray icon's rules: when the notification area is asked to add or delete
// the icon, and which action a notification from it asks for.
#include "app/TrayIconState.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

constexpr uint32_t kIconId = 163;
constexpr uintptr_t kLeftUp = 0x0202, kLeftDouble = 0x0203, kRightUp = 0x0205;
constexpr uintptr_t kMouseMove = 0x0200, kRightDown = 0x0204, kLeftDown = 0x0201;

TEST(TrayIconState, ShownIconHidesOnceAndShowsOnlyAfterHiding) {
    TrayIconState state;
    state.created(true);
    EXPECT_EQ(state.show(), TrayIconCall::None) << "show without an earlier hide";
    EXPECT_EQ(state.hide(), TrayIconCall::Delete);
    EXPECT_EQ(state.hide(), TrayIconCall::None) << "a second hide deletes nothing";
    EXPECT_TRUE(state.hidden());
    EXPECT_EQ(state.show(), TrayIconCall::Add);
    EXPECT_EQ(state.show(), TrayIconCall::None);
    EXPECT_FALSE(state.hidden());
    EXPECT_EQ(state.hide(), TrayIconCall::Delete);
}

TEST(TrayIconState, RemovedIconIsGoneForGood) {
    TrayIconState shown;
    shown.created(true);
    EXPECT_EQ(shown.remove(), TrayIconCall::Delete);
    EXPECT_FALSE(shown.enabled());
    EXPECT_EQ(shown.remove(), TrayIconCall::None);
    EXPECT_EQ(shown.hide(), TrayIconCall::None);
    EXPECT_EQ(shown.show(), TrayIconCall::None);
    EXPECT_EQ(shown.areaRecreated(), TrayIconCall::None);

    // A hidden icon is not in the area, yet removing it still deletes (the
    // area ignores a delete of an absent icon) and ends it.
    TrayIconState hidden;
    hidden.created(true);
    hidden.hide();
    EXPECT_EQ(hidden.remove(), TrayIconCall::Delete);
    EXPECT_EQ(hidden.show(), TrayIconCall::None);
}

TEST(TrayIconState, FailedCreateMakesEveryLaterOperationANoOp) {
    TrayIconState state;
    state.created(false);
    EXPECT_FALSE(state.enabled());
    EXPECT_EQ(state.hide(), TrayIconCall::None);
    EXPECT_EQ(state.show(), TrayIconCall::None);
    EXPECT_EQ(state.remove(), TrayIconCall::None);
    EXPECT_EQ(state.areaRecreated(), TrayIconCall::None);

    TrayIconState fresh; // never created
    EXPECT_EQ(fresh.remove(), TrayIconCall::None);
}

TEST(TrayIconState, RecreatedAreaGetsBackOnlyAShownIcon) {
    TrayIconState state;
    state.created(true);
    EXPECT_EQ(state.areaRecreated(), TrayIconCall::Add);
    EXPECT_EQ(state.areaRecreated(), TrayIconCall::Add) << "every recreation empties the area";
    EXPECT_FALSE(state.hidden());
    state.hide();
    EXPECT_EQ(state.areaRecreated(), TrayIconCall::None) << "a hidden icon stays out";
    EXPECT_EQ(state.show(), TrayIconCall::Add) << "and comes back with the next show";
}

TEST(TrayIconState, IconRefusedAtABackgroundStartComesWithTheArea) {
    // At sign-in the panel may start before the notification area exists.
    TrayIconState state;
    state.created(false);
    state.awaitArea();
    EXPECT_EQ(state.areaRecreated(), TrayIconCall::Add) << "the area announces itself";
    EXPECT_EQ(state.hide(), TrayIconCall::Delete) << "the unit is pulled out";
    EXPECT_EQ(state.areaRecreated(), TrayIconCall::None) << "a hidden icon waits for the next show";
    EXPECT_EQ(state.show(), TrayIconCall::Add);
    EXPECT_EQ(state.remove(), TrayIconCall::Delete) << "the panel ends";
}

TEST(TrayIconState, OnlySystemsFromMajorVersionFourHaveATray) {
    EXPECT_FALSE(TrayIconState::systemHasTray(3));
    EXPECT_TRUE(TrayIconState::systemHasTray(4));
    EXPECT_TRUE(TrayIconState::systemHasTray(10));
}

TEST(TrayIconState, NotificationsMapToActions) {
    EXPECT_EQ(TrayIconState::classify(kIconId, kIconId, kRightUp), TrayClickAction::PopupMenu);
    EXPECT_EQ(TrayIconState::classify(kIconId, kIconId, kLeftUp), TrayClickAction::OpenCommand);
    EXPECT_EQ(TrayIconState::classify(kIconId, kIconId, kLeftDouble), TrayClickAction::OpenCommand);
    for (uintptr_t other : {kMouseMove, kRightDown, kLeftDown, uintptr_t(0)})
        EXPECT_EQ(TrayIconState::classify(kIconId, kIconId, other), TrayClickAction::Nothing) << other;
}

TEST(TrayIconState, AnotherIconsNotificationIsIgnoredWhateverTheMouseDid) {
    for (uintptr_t message : {kRightUp, kLeftUp, kLeftDouble, kMouseMove}) {
        EXPECT_EQ(TrayIconState::classify(kIconId, 164, message), TrayClickAction::Ignore);
        EXPECT_EQ(TrayIconState::classify(kIconId, 0, message), TrayClickAction::Ignore);
        // The whole wParam is compared with the id, not only its low word.
        EXPECT_EQ(TrayIconState::classify(kIconId, uintptr_t(0x10000) + kIconId, message), TrayClickAction::Ignore);
    }
}

TEST(TrayIconState, OnlyTheLowWordOfLParamNamesTheMouseMessage) {
    // Newer shells put the icon id or coordinates into the high word.
    EXPECT_EQ(TrayIconState::classify(kIconId, kIconId, (uintptr_t(0x00A3) << 16) | kLeftUp),
              TrayClickAction::OpenCommand);
    EXPECT_EQ(TrayIconState::classify(kIconId, kIconId, (uintptr_t(0x7FFF) << 16) | kRightUp),
              TrayClickAction::PopupMenu);
}

} // namespace
} // namespace velmora
