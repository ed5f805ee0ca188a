// The Config menu's Peak Hold and Reset Clip Indicators: the stored choice,
// the check mark and what the meters are told.
#include "app/MenuCommands.h"
#include "app/MeterMenu.h"
#include "tests/app/PanelHarness.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using testing_app::RecordingView;

struct RecordingMeters : MeterOptions {
    std::vector<std::string> calls;
    void setPeakHold(bool on) override { calls.push_back(on ? "hold:on" : "hold:off"); }
    void resetClips() override { calls.push_back("reset"); }
};

TEST(MeterMenu, PeakHoldIsOnUntilSwitchedOffAndTheChoiceIsKeptForTheNextStart) {
    MemorySettingsStore store;
    RecordingView view;
    RecordingMeters meters;
    {
        MeterMenu menu(&store, view);
        menu.attach(&meters);
        EXPECT_TRUE(view.checked(CMD_PEAK_HOLD)); // nothing stored: on
        EXPECT_TRUE(menu.onCommand(CMD_PEAK_HOLD));
        EXPECT_FALSE(view.checked(CMD_PEAK_HOLD));
        EXPECT_TRUE(menu.onCommand(CMD_RESET_CLIPS));
        EXPECT_FALSE(menu.onCommand(CMD_OPEN)); // not its own
    }
    EXPECT_EQ(meters.calls, (std::vector<std::string>{"hold:on", "hold:off", "reset"}));
    bool stored = true;
    ASSERT_TRUE(store.readFlag(PREFERENCE_PEAK_HOLD, stored));
    EXPECT_FALSE(stored);

    // The next start shows the stored choice; switching on again stores it.
    RecordingView next;
    RecordingMeters nextMeters;
    MeterMenu menu(&store, next);
    menu.attach(&nextMeters);
    EXPECT_FALSE(next.checked(CMD_PEAK_HOLD));
    EXPECT_EQ(nextMeters.calls, (std::vector<std::string>{"hold:off"}));
    menu.onCommand(CMD_PEAK_HOLD);
    ASSERT_TRUE(store.readFlag(PREFERENCE_PEAK_HOLD, stored));
    EXPECT_TRUE(stored);

    // Without a store the choice holds for the run.
    RecordingView bare;
    MeterMenu unstored(nullptr, bare);
    unstored.attach(nullptr);
    unstored.onCommand(CMD_PEAK_HOLD);
    EXPECT_FALSE(unstored.peakHold());
    EXPECT_FALSE(bare.checked(CMD_PEAK_HOLD));
}

} // namespace
} // namespace velmora
