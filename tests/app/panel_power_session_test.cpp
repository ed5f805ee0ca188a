// The host's sleep, another session at the console and the locked screen,
// against the device model: the unit gets the user's record back after a
// wake or a return to the console, and the stored record never takes the
// unit's power-on values or another user's.
#include "tests/app/PanelHarness.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using namespace testing_app;
using PS = PowerAndSession;

struct Session {
    Session() {
        user = defaults();
        const uint8_t volumes[8] = {100, 90, 80, 70, 60, 50, 40, 30};
        for (int i = 0; i < 8; ++i) user.outVolume[i] = volumes[i];
        user.outMute[3] = 1;
        user.cpldDigitalMon = 1;
        user.digitalOutSelector = 2;
        user.sampleRate = 96000;
        user.latency = 3;
        panel.storeRecord(user);
        panel.arrive(unit);
        accepted = panel.stored();
        expectUnitHolds(unit.model, user);
    }
    // What the listener's poll and the two timers do meanwhile.
    void ticks() {
        panel.stateChanged(unit);
        panel.core.onTimer(STATUS_TIMER);
        panel.core.onTimer(METER_TIMER);
    }
    void scanned() { panel.core.onDeviceEvent(nullptr, DEVICE_UNITS_SCANNED); }
    uint32_t sends() const {
        return vm_ioctl_count(&unit.model, VM_IOCTL_RAW_WRITE) + vm_command_count(&unit.model, 3) +
               vm_command_count(&unit.model, 5) + vm_command_count(&unit.model, 9) +
               vm_command_count(&unit.model, 11);
    }

    Unit unit;
    Panel panel;
    PanelSettings user;
    PanelSettings accepted;
};

TEST(PanelSleep, UnitResetDuringSleepGetsTheRecordBackAndTheStoreNeverTakesItsPowerOnValues) {
    // Both resume messages in either order, one of them alone, and a resume
    // whose suspend the panel never saw.
    const std::vector<std::vector<uint32_t>> wakes = {
        {PS::POWER_SUSPEND, PS::POWER_RESUME_AUTOMATIC, PS::POWER_RESUME_SUSPEND},
        {PS::POWER_SUSPEND, PS::POWER_RESUME_SUSPEND, PS::POWER_RESUME_AUTOMATIC},
        {PS::POWER_SUSPEND, PS::POWER_RESUME_AUTOMATIC},
        {PS::POWER_RESUME_AUTOMATIC},
    };
    for (const auto& wake : wakes) {
        SCOPED_TRACE(wake.size());
        Session s;
        s.panel.view.calls.clear();
        vm_hw_power_cycle(&s.unit.model); // every register at its power-on value
        for (uint32_t event : wake) {
            s.panel.core.onPowerEvent(event);
            s.ticks(); // what comes before the scan follows nothing
        }
        EXPECT_TRUE(s.panel.view.timers.empty());
        EXPECT_GE(s.panel.view.unitLookups, 1);
        EXPECT_TRUE(sameBytes(s.panel.stored(), s.accepted));
        EXPECT_EQ(s.panel.core.settings().sampleRate, 96000);

        s.scanned(); // the unit stayed
        expectUnitHolds(s.unit.model, s.user);
        EXPECT_TRUE(sameBytes(s.panel.stored(), s.accepted));
        EXPECT_EQ(s.panel.view.timers, (std::set<unsigned>{METER_TIMER, STATUS_TIMER}));
        EXPECT_TRUE(s.panel.view.errors.empty());

        // From here on the unit is followed again.
        vm_hw_set_sample_rate(&s.unit.model, 44100);
        s.panel.stateChanged(s.unit);
        EXPECT_EQ(s.panel.stored().sampleRate, 44100);
    }
}

TEST(PanelConsole, AnotherSessionsChangesNeverReachTheRecordAndTheRecordReturnsWithTheConsole) {
    for (uint32_t away : {PS::SESSION_CONSOLE_DISCONNECT, PS::SESSION_REMOTE_CONNECT}) {
        Session s;
        s.panel.core.onSessionChange(away);
        EXPECT_TRUE(s.panel.view.timers.empty());
        EXPECT_NE(s.panel.view.trayTip.find("in use by another session"), std::string::npos);

        // The other user's panel sets the unit its way.
        vm_hw_set_sample_rate(&s.unit.model, 48000);
        s.unit.model.codec[VOLUME_REGISTER[0]] = 0x80 | 127;
        const uint32_t sendsBefore = s.sends();
        const uint32_t readsBefore = vm_ioctl_count(&s.unit.model, VM_IOCTL_READ_METERS);
        s.ticks();
        PanelSettings change = s.panel.core.settings();
        change.outVolume[1] = 10;
        s.panel.pageChangesVolumes(change);
        EXPECT_FALSE(s.panel.core.setSampleRate(44100));
        s.panel.core.onSessionChange(PS::SESSION_REMOTE_DISCONNECT); // still away
        EXPECT_EQ(s.sends(), sendsBefore);
        EXPECT_EQ(vm_ioctl_count(&s.unit.model, VM_IOCTL_READ_METERS), readsBefore);
        EXPECT_TRUE(sameBytes(s.panel.stored(), s.accepted));

        s.panel.core.onSessionChange(PS::SESSION_CONSOLE_CONNECT);
        expectUnitHolds(s.unit.model, s.user);
        EXPECT_TRUE(sameBytes(s.panel.stored(), s.accepted));
        EXPECT_EQ(s.panel.view.trayTip.find("in use by another session"), std::string::npos);
        EXPECT_EQ(s.panel.view.timers.size(), 2u);
    }
}

TEST(PanelConsole, UnitArrivingWhileAwayIsLeftAloneUntilTheConsoleReturns) {
    Unit unit;
    Panel panel;
    PanelSettings user = defaults();
    user.outVolume[0] = 20;
    user.sampleRate = 88200;
    panel.storeRecord(user);
    panel.core.startAtConsole(false);
    panel.arrive(unit);
    EXPECT_EQ(unit.model.codecFrames, 0u);
    EXPECT_EQ(vm_command_count(&unit.model, 9), 0u); // no configuration sent
    EXPECT_TRUE(panel.view.timers.empty());
    panel.core.onSessionChange(PS::SESSION_CONSOLE_CONNECT);
    expectUnitHolds(unit.model, user);
}

TEST(PanelLock, NoMeterReadsWhileLockedAndNoStaleFrameAfter) {
    Session s;
    vm_hold_meters(&s.unit.model, std::vector<uint8_t>(64, 100).data());
    s.panel.core.onTimer(METER_TIMER);
    ASSERT_NE(s.panel.control->lastMeters.level[0], 0);

    s.panel.core.onSessionChange(PS::SESSION_LOCK);
    EXPECT_EQ(s.panel.view.timers, std::set<unsigned>{STATUS_TIMER});
    EXPECT_EQ(s.panel.control->lastMeters.level[0], 0); // at rest, not the last frame
    const uint32_t reads = vm_ioctl_count(&s.unit.model, VM_IOCTL_READ_METERS);
    const uint32_t polls = vm_command_count(&s.unit.model, 8);
    s.ticks();
    EXPECT_EQ(vm_ioctl_count(&s.unit.model, VM_IOCTL_READ_METERS), reads);
    EXPECT_GT(vm_command_count(&s.unit.model, 8), polls); // the status refresh goes on

    s.panel.core.onSessionChange(PS::SESSION_UNLOCK);
    EXPECT_EQ(s.panel.view.timers.size(), 2u);
    vm_hold_meters(&s.unit.model, std::vector<uint8_t>(64, 20).data());
    s.panel.core.onTimer(METER_TIMER);
    EXPECT_EQ(vm_ioctl_count(&s.unit.model, VM_IOCTL_READ_METERS), reads + 1);
    // The first frame is the fresh one blended with rest, not with the old 100.
    EXPECT_EQ(s.panel.control->lastMeters.level[0], MeterSmoothing::smooth(20, 0));
}

} // namespace
} // namespace velmora
