// The status column and menu marks from the unit, and the meter path.
#include "tests/app/PanelHarness.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using namespace testing_app;

class StatusPanel : public ::testing::Test {
protected:
    void SetUp() override { panel.arrive(unit); }
    Unit unit;
    Panel panel;
};

TEST_F(StatusPanel, TextsAndMarksFollowTheUnit) {
    vm_hw_set_digital_input(&unit.model, 88200); // auto clock locks to it
    vm_hw_set_latency(&unit.model, 3);
    panel.core.onStatusTimer();
    const RecordingView& v = panel.view;
    EXPECT_EQ(v.status[0], "Velmora HS");
    EXPECT_EQ(v.status[1], "Digital");
    EXPECT_EQ(v.status[2], "88200 Hz");
    EXPECT_EQ(v.status[3], "fast");
    EXPECT_EQ(v.status[4], "18CH / 24 Bit");
    EXPECT_EQ(v.status[5], "8CH / 24 Bit");
    EXPECT_TRUE(v.checked(CMD_RATE_88200));
    for (unsigned id : {CMD_RATE_44100, CMD_RATE_48000, CMD_RATE_96000}) EXPECT_FALSE(v.checked(id));
    EXPECT_TRUE(v.checked(CMD_LATENCY_FIRST + 2));
    int latencyMarks = 0;
    for (unsigned id = CMD_LATENCY_FIRST; id <= CMD_LATENCY_LAST; ++id) latencyMarks += v.checked(id);
    EXPECT_EQ(latencyMarks, 1);
    EXPECT_TRUE(v.checked(CMD_CLOCK_AUTO));
    EXPECT_FALSE(v.checked(CMD_CLOCK_INTERNAL));
}

TEST_F(StatusPanel, HiddenTheReadsGoOnButNoTextIsMadeUntilOpenShowsTheLatest) {
    panel.core.onStatusTimer();
    panel.core.onHideAtStart();
    RecordingView& v = panel.view;
    for (std::string& text : v.status) text = "(unchanged)";
    vm_hw_set_digital_input(&unit.model, 96000);
    vm_hw_set_latency(&unit.model, 6);
    panel.core.onStatusTimer();
    for (const std::string& text : v.status) EXPECT_EQ(text, "(unchanged)");
    EXPECT_TRUE(v.checked(CMD_RATE_96000)); // the unit was read all the same
    v.calls.clear();
    panel.core.onCommand(CMD_OPEN);
    EXPECT_EQ(v.status[1], "Digital");
    EXPECT_EQ(v.status[2], "96000 Hz");
    EXPECT_EQ(v.status[3], "relaxed");
    EXPECT_EQ(v.status[4], "18CH / 24 Bit");
    EXPECT_EQ(v.calls.back(), "show"); // the texts came first: the first frame is current
    panel.core.onStatusTimer(); // shown: every refresh shows again
    EXPECT_EQ(v.status[2], "96000 Hz");
}

TEST_F(StatusPanel, TrayTipFollowsTheUnitsRateOncePerChange) {
    Unit second("0002");
    panel.arrive(second); // not taken: the tip keeps the first unit
    EXPECT_EQ(panel.view.trayTip, "Velmora Control Panel - 0001 - 44100 Hz");
    vm_hw_set_digital_input(&unit.model, 96000); // an external clock moves the rate
    panel.view.calls.clear();
    panel.core.onStatusTimer();
    panel.core.onStatusTimer();
    EXPECT_EQ(panel.view.countCalls("tip:Velmora Control Panel - 0001 - 96000 Hz"), 1u);
    EXPECT_EQ(panel.view.trayTip, "Velmora Control Panel - 0001 - 96000 Hz");
}

TEST_F(StatusPanel, LatencyTextIsKeptWhileTheUnitDoesNotName) {
    panel.core.onStatusTimer();
    EXPECT_EQ(panel.view.status[3], "normal");
    vm_hw_set_latency(&unit.model, 6);
    vm_inject_fault(&unit.model, VM_IOCTL_COMMAND, 12, VM_FAULT_FAIL, 1);
    panel.core.onStatusTimer();
    EXPECT_EQ(panel.view.status[3], "normal"); // no name: the old text stays
    EXPECT_TRUE(panel.view.checked(CMD_LATENCY_LAST)); // but the mark moves
    panel.core.onStatusTimer();
    EXPECT_EQ(panel.view.status[3], "relaxed");
}

TEST_F(StatusPanel, LatencyOutsideTheMenuShowsNoMark) {
    unit.model.latency = 7; // the unit's table has no entry 7: no name either
    panel.core.onStatusTimer();
    for (unsigned id = CMD_LATENCY_FIRST; id <= CMD_LATENCY_LAST; ++id) EXPECT_FALSE(panel.view.checked(id));
    EXPECT_EQ(panel.view.status[3], "normal");
}

TEST_F(StatusPanel, FailedReadsFallBackOnTheRecord) {
    vm_inject_fault(&unit.model, VM_IOCTL_COMMAND, VM_ANY_COMMAND, VM_FAULT_FAIL, 8);
    panel.core.onStatusTimer();
    EXPECT_EQ(panel.view.status[1], "Internal"); // the record's clockStatus
    EXPECT_EQ(panel.view.status[2], "44100 Hz");
    EXPECT_EQ(panel.view.status[3], "normal");
    EXPECT_TRUE(panel.view.checked(CMD_RATE_44100));
    EXPECT_TRUE(panel.view.checked(CMD_LATENCY_FIRST + 3));
    EXPECT_FALSE(panel.view.checked(CMD_CLOCK_AUTO)); // a failed clock-mode read checks neither
    EXPECT_FALSE(panel.view.checked(CMD_CLOCK_INTERNAL));
}

TEST(PanelStatus, RefreshWithoutAUnitShowsTheRecordAndNoMarks) {
    Panel panel;
    PanelSettings blank;
    makeBlank(blank);
    panel.core.refreshFromDevice(blank);
    EXPECT_EQ(panel.view.status[0], "Velmora HS");
    EXPECT_EQ(panel.view.status[1], "");
    EXPECT_EQ(panel.view.status[2], "-1 Hz");
    EXPECT_EQ(panel.view.status[3], "");
    EXPECT_EQ(panel.view.status[4], "-1CH / 24 Bit");
    for (const auto& mark : panel.view.menu) EXPECT_FALSE(mark.second) << mark.first;
    EXPECT_EQ(panel.store.writeCount(), 0);
}

// ---------------------------------------------------------------------------
// Meters

TEST(PanelMeters, SteadyByteSettlesOneStepTowardZero) {
    for (int v = -128; v <= 127; ++v) {
        int8_t h = 0;
        for (int i = 0; i < 40; ++i) h = MeterSmoothing::smooth(int8_t(v), h);
        const int expected = v > 0 ? v - 1 : v < 0 ? v + 1 : 0;
        EXPECT_EQ(h, expected) << v;
    }
    // From rest, one step is 95 % of the new value, truncated toward zero.
    EXPECT_EQ(MeterSmoothing::smooth(100, 0), 94);
    EXPECT_EQ(MeterSmoothing::smooth(-100, 0), -94);
    EXPECT_EQ(MeterSmoothing::smooth(0, 100), 5);
    EXPECT_EQ(MeterSmoothing::smooth(0, 19), 0);
    EXPECT_EQ(MeterSmoothing::smooth(1, 1), 0);
}

TEST(PanelMeters, TickReadsSmoothsAndHandsTheBlockToEveryPage) {
    Unit unit;
    Panel panel;
    for (uint8_t b : panel.core.meterHistory().level) EXPECT_EQ(b, 0);
    panel.arrive(unit);
    uint8_t block[VM_METER_SIZE] = {};
    block[0] = 100;
    block[17] = 0xFF;   // a signed peak of -1 arrives as magnitude 1
    block[32] = 0x80;   // stays 0x80: -128
    block[39] = 127;
    vm_hold_meters(&unit.model, block);
    for (int i = 0; i < 30; ++i) panel.core.onMeterTimer();
    const MeterBlock& h = panel.core.meterHistory();
    EXPECT_EQ(h.level[0], 99);
    EXPECT_EQ(h.level[17], 0);
    EXPECT_EQ(int8_t(h.level[32]), -127);
    EXPECT_EQ(h.level[39], 126);
    EXPECT_EQ(panel.control->meterCalls, 30);
    EXPECT_EQ(panel.info->meterCalls, 30);
    EXPECT_EQ(0, std::memcmp(panel.control->lastMeters.level, h.level, 64));
}

TEST(PanelMeters, FailedReadChangesNothingAndNoUnitClearsTheHistory) {
    Unit unit;
    Panel panel;
    panel.arrive(unit);
    uint8_t block[VM_METER_SIZE] = {};
    block[5] = 60;
    vm_hold_meters(&unit.model, block);
    panel.core.onMeterTimer();
    const uint8_t after = panel.core.meterHistory().level[5];
    EXPECT_EQ(after, 56); // 60 × 0.95f is just below 57

    vm_inject_fault(&unit.model, VM_IOCTL_READ_METERS, VM_ANY_COMMAND, VM_FAULT_SHORT, 1);
    panel.core.onMeterTimer();
    EXPECT_EQ(panel.core.meterHistory().level[5], after);
    EXPECT_EQ(panel.control->meterCalls, 1);

    panel.remove(unit);
    panel.core.onMeterTimer();
    for (uint8_t b : panel.core.meterHistory().level) EXPECT_EQ(b, 0);
    EXPECT_EQ(panel.control->meterCalls, 1);
}

} // namespace
} // namespace velmora
