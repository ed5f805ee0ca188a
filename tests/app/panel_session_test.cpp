// Whole sessions of the panel against the device model: what the unit's
// registers hold after each user action, what the store holds, what the
// window and the pages were told.
#include "tests/app/PanelHarness.h"
#include "VelPanelVersion.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using namespace testing_app;

// A stored record that differs from the defaults in every field the panel
// sends to the unit.
PanelSettings userRecord() {
    PanelSettings r = defaults();
    const uint8_t volumes[8] = {127, 100, 64, 0, 5, 117, 90, 126};
    for (int i = 0; i < 8; ++i) r.outVolume[i] = volumes[i];
    r.outMute[2] = 1;
    r.outMute[7] = 1;
    r.outLink[1] = 0;
    r.digitalOutSelector = 2;
    r.cpldMixOutSel = 1;
    r.cpldDigitalMon = 1;
    r.sampleRate = 96000;
    r.digitalFormat = 1;
    r.latency = 2;
    return r;
}

// ---------------------------------------------------------------------------
// Arrival

TEST(PanelArrival, StoredRecordReachesEveryRegisterOfTheUnit) {
    for (int level = 0; level <= 1; ++level) {
        SCOPED_TRACE(level);
        Unit unit;
        Panel panel;
        PanelSettings r = userRecord();
        r.outputLevel = level;
        panel.storeRecord(r);

        panel.arrive(unit);

        expectUnitHolds(unit.model, r);
        EXPECT_EQ(panel.core.currentDevice(), unit.device);
        EXPECT_EQ(unit.device->refCount(), 2);
        EXPECT_TRUE(panel.view.errors.empty());

        // The master is the stored record with the unit's versions and the
        // panel's own; the pages and the store got exactly that.
        const PanelSettings& master = panel.core.settings();
        EXPECT_EQ(0, std::memcmp(master.outVolume, r.outVolume, 24));
        EXPECT_EQ(master.panelVersionMajor, VELPANEL_VERSION_MAJOR);
        EXPECT_EQ(master.panelVersionMinor, VELPANEL_VERSION_MINOR);
        EXPECT_STREQ(master.driverVersion.text, "1.06");
        EXPECT_STREQ(master.firmwareVersion.text, "2.1.3");
        EXPECT_STREQ(master.firmwareVersion.name, "VELMORA-FW");
        ASSERT_FALSE(panel.control->records.empty());
        EXPECT_TRUE(sameBytes(panel.control->records.back(), master));
        EXPECT_TRUE(sameBytes(panel.info->records.back(), master));
        EXPECT_EQ(panel.control->device, unit.device);
        EXPECT_EQ(panel.info->device, unit.device);
        EXPECT_TRUE(sameBytes(panel.stored(), master));

        EXPECT_TRUE(panel.view.radioChecked(ID_FORMAT_PROFESSIONAL));
        EXPECT_FALSE(panel.view.radioChecked(ID_FORMAT_CONSUMER));
        EXPECT_EQ(panel.view.radioChecked(ID_LEVEL_UNBALANCED), level == 1);
        EXPECT_EQ(panel.view.radioChecked(ID_LEVEL_BALANCED), level == 0);
    }
}

TEST(PanelArrival, StepsComeInTheirOrder) {
    Unit unit;
    Panel panel;
    panel.arrive(unit);
    const std::vector<std::string> expected = {
        "title:Velmora Control Panel - Ver " VELPANEL_VERSION_SHORT " - No Device",
        "title:Velmora Control Panel - Ver " VELPANEL_VERSION_SHORT,
        "tray:show",
        "timer+1/50",
        "timer+2/500",
        "tip:Velmora Control Panel - 0001 - 44100 Hz",
    };
    EXPECT_EQ(panel.view.calls, expected);
    // The pages get the device before any record, then the record of the
    // applies and the one published at the end.
    const std::vector<std::string> pageCalls = {
        "control:device", "info:device", "control:settings", "info:settings",
        "control:settings", "info:settings",
    };
    EXPECT_EQ(panel.pages.calls, pageCalls);
}

TEST(PanelArrival, WithoutStoredRecordTheDefaultsAreApplied) {
    Unit unit;
    Panel panel;
    panel.arrive(unit);
    expectUnitHolds(unit.model, defaults());
    EXPECT_EQ(unit.model.config[0], 44100); // the model powers up at 48000
    PanelSettings stored = panel.stored();
    EXPECT_EQ(stored.sampleRate, 44100);
    EXPECT_EQ(stored.latency, 4);
    EXPECT_EQ(stored.panelVersionMajor, VELPANEL_VERSION_MAJOR);
}

TEST(PanelArrival, StoredRateOutsideTheFourDiscardsTheWholeRecord) {
    for (int32_t rate : {22050, 0, -1, 192000}) {
        SCOPED_TRACE(rate);
        Unit unit;
        Panel panel;
        PanelSettings r = userRecord();
        r.sampleRate = rate;
        panel.storeRecord(r);
        panel.arrive(unit);
        expectUnitHolds(unit.model, defaults());
        EXPECT_EQ(panel.core.settings().outVolume[3], 127);
    }
}

TEST(PanelArrival, WrongSizeStoredValueGivesTheDefaults) {
    Unit unit;
    Panel panel;
    std::vector<uint8_t> bytes = bytesOf(userRecord());
    bytes.push_back(0);
    panel.store.setValue(bytes);
    panel.arrive(unit);
    expectUnitHolds(unit.model, defaults());
}

TEST(PanelArrival, SecondUnitIsIgnoredWhileOneIsCurrent) {
    Unit first("0001"), second("0002");
    Panel panel;
    panel.arrive(first);
    const uint32_t before = vm_total_exchanges(&second.model);
    panel.view.calls.clear();

    panel.arrive(second);
    panel.stateChanged(second);
    panel.remove(second);

    EXPECT_EQ(panel.core.currentDevice(), first.device);
    EXPECT_EQ(second.device->refCount(), 1);
    EXPECT_EQ(vm_total_exchanges(&second.model), before);
    EXPECT_FALSE(second.device->isOpen());
    EXPECT_TRUE(panel.view.calls.empty());
}

TEST(PanelArrival, NullDeviceAndNullContextDoNothing) {
    Panel panel;
    panel.core.onDeviceEvent(nullptr, DEVICE_ARRIVED);
    EXPECT_EQ(panel.core.currentDevice(), nullptr);
    Unit unit;
    PanelCore::deviceCallback(nullptr, unit.device, DEVICE_ARRIVED);
    EXPECT_EQ(unit.device->refCount(), 1);
    PanelCore::deviceCallback(&panel.core, unit.device, DEVICE_ARRIVED);
    EXPECT_EQ(panel.core.currentDevice(), unit.device);
}

// ---------------------------------------------------------------------------
// Unopened unit

TEST(PanelUnopened, FailedOpenKeepsTheUnitButAppliesNothingAndSavesNothing) {
    Unit unit;
    Panel panel;
    panel.storeRecord(userRecord());
    const std::vector<uint8_t> storedBefore = panel.store.value();
    unit.transport->failNextOpens(1);

    panel.arrive(unit);
    EXPECT_EQ(panel.core.currentDevice(), unit.device);
    EXPECT_EQ(vm_total_exchanges(&unit.model), 0u);
    EXPECT_EQ(panel.view.title, "Velmora Control Panel - Ver " VELPANEL_VERSION_SHORT " - No Device");
    EXPECT_TRUE(panel.view.timers.empty());
    EXPECT_TRUE(isBlank(panel.core.settings()));
    EXPECT_TRUE(panel.control->records.empty());

    // The radio pairs and the menu have no unit to talk to, and make no
    // record out of the blank master.
    panel.core.onCommand(ID_LEVEL_UNBALANCED);
    panel.core.onCommand(ID_FORMAT_PROFESSIONAL);
    panel.core.onCommand(CMD_FACTORY_DEFAULT);
    panel.core.onCommand(CMD_RATE_96000);
    panel.core.onStatusTimer();
    panel.core.onMeterTimer();
    EXPECT_TRUE(isBlank(panel.core.settings()));
    EXPECT_TRUE(panel.view.errors.empty());
    EXPECT_TRUE(panel.view.radioChecked(ID_LEVEL_UNBALANCED));

    panel.remove(unit);
    EXPECT_EQ(panel.core.currentDevice(), nullptr);
    EXPECT_EQ(unit.device->refCount(), 1);
    EXPECT_EQ(panel.store.writeCount(), 0);
    EXPECT_EQ(panel.store.value(), storedBefore);
    EXPECT_FALSE(panel.view.visible);
    EXPECT_FALSE(panel.view.trayShown);

    // It opens on its next arrival.
    panel.arrive(unit);
    expectUnitHolds(unit.model, userRecord());
}

// ---------------------------------------------------------------------------
// User changes while connected

class ConnectedPanel : public ::testing::Test {
protected:
    void SetUp() override {
        panel.storeRecord(userRecord());
        panel.arrive(unit);
        vm_reset_counters(&unit.model);
        writesBefore = panel.store.writeCount();
        panel.view.calls.clear();
    }
    PanelSettings pageCopy() const { return panel.control->records.back(); }
    uint32_t rawWrites() const { return vm_ioctl_count(&unit.model, VM_IOCTL_RAW_WRITE); }

    Unit unit;
    Panel panel;
    int writesBefore = 0;
};

TEST_F(ConnectedPanel, UnchangedRecordSendsNothingButIsStillPublished) {
    const size_t published = panel.control->records.size();
    panel.pageChangesVolumes(pageCopy());
    EXPECT_EQ(rawWrites(), 0u);
    for (int32_t writeCommand : {3, 5, 9, 14, 17}) EXPECT_EQ(vm_command_count(&unit.model, writeCommand), 0u);
    EXPECT_EQ(panel.store.writeCount(), writesBefore);
    EXPECT_EQ(panel.control->records.size(), published + 1);
}

TEST_F(ConnectedPanel, CpldReadBackDecidesWhatTheMasterKeeps) {
    // A page record with a damaged MON value 2: the unit stores a bit, and the
    // master keeps what the unit reads back.
    PanelSettings copy = pageCopy();
    copy.cpldDigitalMon = 0;
    panel.core.applyMixer(copy);
    copy = pageCopy();
    copy.cpldDigitalMon = 2;
    panel.core.applyMixer(copy);
    EXPECT_EQ(panel.core.settings().cpldDigitalMon, 1);
    EXPECT_EQ(panel.control->records.back().cpldDigitalMon, 1);
}

TEST_F(ConnectedPanel, DigitalFormatButtons) {
    panel.core.onCommand(ID_FORMAT_CONSUMER);
    EXPECT_EQ(unit.model.dit[DIGITAL_FORMAT_REGISTER], 0);
    EXPECT_EQ(unit.model.ditFrames, 2u); // arrival's frame and this one
    EXPECT_TRUE(panel.view.radioChecked(ID_FORMAT_CONSUMER));
    EXPECT_FALSE(panel.view.radioChecked(ID_FORMAT_PROFESSIONAL));
    EXPECT_EQ(panel.stored().digitalFormat, 0);
    EXPECT_EQ(panel.control->records.back().digitalFormat, 0);
    // The same button again sends nothing.
    panel.core.onCommand(ID_FORMAT_CONSUMER);
    EXPECT_EQ(rawWrites(), 1u);
}

TEST_F(ConnectedPanel, OutputLevelResendsEveryChannelAndIsStoredAtOnce) {
    panel.core.onCommand(ID_LEVEL_UNBALANCED);
    EXPECT_EQ(rawWrites(), 8u);
    PanelSettings r = userRecord();
    r.outputLevel = 1;
    expectUnitHolds(unit.model, r);
    // 5 - 10 is below 0 and 127 - 10 is 117.
    EXPECT_EQ(unit.model.codec[VOLUME_REGISTER[4]], 0x80);
    EXPECT_EQ(unit.model.codec[VOLUME_REGISTER[0]], 117 | 0x80);
    EXPECT_EQ(panel.core.settings().outputLevel, 1);
    EXPECT_EQ(panel.stored().outputLevel, 1);
    EXPECT_EQ(panel.control->records.back().outputLevel, 1);
    EXPECT_TRUE(panel.view.radioChecked(ID_LEVEL_UNBALANCED));
    EXPECT_FALSE(panel.view.radioChecked(ID_LEVEL_BALANCED));

    panel.core.onCommand(ID_LEVEL_BALANCED);
    EXPECT_EQ(rawWrites(), 16u);
    expectUnitHolds(unit.model, userRecord());
    EXPECT_EQ(panel.stored().outputLevel, 0);
}

TEST_F(ConnectedPanel, StateChangeTakesTheUnitsRateIntoTheRecord) {
    ASSERT_TRUE(vm_hw_set_sample_rate(&unit.model, 44100));
    vm_hw_set_latency(&unit.model, 5);
    panel.stateChanged(unit);
    EXPECT_EQ(panel.core.settings().sampleRate, 44100);
    EXPECT_EQ(panel.core.settings().latency, 5);
    EXPECT_EQ(panel.stored().sampleRate, 44100);
    EXPECT_EQ(panel.stored().latency, 5);
    EXPECT_EQ(panel.control->records.back().sampleRate, 44100);
    EXPECT_EQ(panel.info->records.back().latency, 5);
}

TEST_F(ConnectedPanel, StateChangeNeverStoresARateTheNextLoadWouldRefuse) {
    unit.model.config[0] = 22050; // a unit reporting a rate outside the four
    unit.model.config[1] = 16;
    panel.stateChanged(unit);
    EXPECT_EQ(panel.core.settings().sampleRate, 96000);
    EXPECT_EQ(panel.core.settings().inputChannels, 16);
    EXPECT_EQ(panel.stored().sampleRate, 96000);
    EXPECT_EQ(panel.stored().outVolume[1], 100);

    // Same rate but not 18 inputs: the configuration is sent again.
    vm_reset_counters(&unit.model);
    panel.core.applyConfiguration(panel.core.settings());
    EXPECT_EQ(vm_command_count(&unit.model, 9), 1u);
    EXPECT_EQ(unit.model.config[0], 96000);
}

TEST_F(ConnectedPanel, StateChangeWithFailedReadsKeepsTheRecord) {
    vm_inject_fault(&unit.model, VM_IOCTL_COMMAND, VM_ANY_COMMAND, VM_FAULT_FAIL, 2);
    unit.model.config[0] = 44100;
    panel.stateChanged(unit);
    EXPECT_EQ(panel.core.settings().sampleRate, 96000);
    EXPECT_EQ(panel.core.settings().latency, 2);
}

TEST_F(ConnectedPanel, RateMenuChangesTheUnitAndIsStoredAtOnce) {
    panel.core.onCommand(CMD_RATE_48000);
    EXPECT_EQ(unit.model.config[0], 48000);
    EXPECT_EQ(unit.model.config[2], 24); // the unit's own values go back unchanged
    EXPECT_EQ(unit.model.config[4], 24);
    // Stored before the status refresh comes round: a kill now keeps it.
    EXPECT_EQ(panel.core.settings().sampleRate, 48000);
    EXPECT_EQ(panel.stored().sampleRate, 48000);
    EXPECT_EQ(panel.control->records.back().sampleRate, 48000);

    panel.core.onStatusTimer();
    EXPECT_TRUE(panel.view.checked(CMD_RATE_48000));
    EXPECT_FALSE(panel.view.checked(CMD_RATE_96000));
    const int writes = panel.store.writeCount();
    panel.core.onStatusTimer();
    panel.core.onStatusTimer();
    EXPECT_EQ(panel.store.writeCount(), writes);

    // A page change afterwards keeps the unit's rate.
    PanelSettings copy = panel.control->records.back();
    copy.outVolume[6] = 10;
    panel.pageChangesVolumes(copy);
    EXPECT_EQ(panel.stored().sampleRate, 48000);
}

TEST_F(ConnectedPanel, LatencyChosenFromTheMenuSurvivesAReplugAndFactoryDefaultResetsIt) {
    // Setting the latency raises no state event: the status refresh is what
    // brings it into the record.
    panel.core.onCommand(CMD_LATENCY_FIRST + 4);
    EXPECT_EQ(unit.model.latency, 5u);
    panel.core.onStatusTimer();
    EXPECT_EQ(panel.core.settings().latency, 5);
    EXPECT_EQ(panel.stored().latency, 5);
    EXPECT_EQ(panel.info->records.back().latency, 5);

    panel.remove(unit);
    vm_unplug(&unit.model);
    vm_plug(&unit.model); // powers up at latency 4
    panel.arrive(unit);
    EXPECT_EQ(unit.model.latency, 5u);

    panel.core.onCommand(CMD_FACTORY_DEFAULT);
    EXPECT_EQ(unit.model.latency, 4u);
    EXPECT_EQ(panel.stored().latency, 4);
}

TEST_F(ConnectedPanel, FactoryDefaultRightAfterMenuChoicesResetsTheUnit) {
    panel.core.onCommand(CMD_LATENCY_FIRST);
    panel.core.onCommand(CMD_RATE_48000);
    panel.core.onCommand(CMD_FACTORY_DEFAULT);
    EXPECT_EQ(unit.model.latency, 4u);
    EXPECT_EQ(unit.model.config[0], 44100);
    EXPECT_EQ(panel.stored().latency, 4);
    EXPECT_EQ(panel.stored().sampleRate, 44100);
}

TEST_F(ConnectedPanel, RateMenuSendsNothingWhenTheConfigurationCannotBeRead) {
    vm_inject_fault(&unit.model, VM_IOCTL_COMMAND, 8, VM_FAULT_FAIL, 1);
    panel.core.onCommand(CMD_RATE_44100);
    EXPECT_EQ(vm_command_count(&unit.model, 9), 0u);
    EXPECT_EQ(unit.model.config[0], 96000);
    EXPECT_TRUE(panel.view.errors.empty());
}

TEST_F(ConnectedPanel, ClockAndLatencyMenus) {
    panel.core.onCommand(CMD_CLOCK_INTERNAL);
    EXPECT_EQ(unit.model.clockMode, 1u);
    for (unsigned id = CMD_LATENCY_FIRST; id <= CMD_LATENCY_LAST; ++id) {
        panel.core.onCommand(id);
        EXPECT_EQ(unit.model.latency, id - 32778);
    }
    panel.core.onStatusTimer();
    EXPECT_TRUE(panel.view.checked(CMD_CLOCK_INTERNAL));
    EXPECT_FALSE(panel.view.checked(CMD_CLOCK_AUTO));
    EXPECT_TRUE(panel.view.checked(CMD_LATENCY_LAST));
    EXPECT_EQ(panel.view.status[3], "relaxed");
    panel.core.onCommand(CMD_CLOCK_AUTO);
    EXPECT_EQ(unit.model.clockMode, 0u);
}

TEST_F(ConnectedPanel, FactoryDefaultBringsUnitAndStoreToTheDefaults) {
    panel.core.onCommand(CMD_CLOCK_INTERNAL);
    panel.core.onCommand(CMD_FACTORY_DEFAULT);
    expectUnitHolds(unit.model, defaults());
    EXPECT_EQ(unit.model.clockMode, 0u);
    const PanelSettings stored = panel.stored();
    PanelSettings expected = defaults();
    EXPECT_EQ(0, std::memcmp(&stored, &expected, 48)); // every user field
    EXPECT_EQ(stored.latency, 4);
    EXPECT_STREQ(stored.firmwareVersion.text, "2.1.3");
    EXPECT_TRUE(sameBytes(panel.control->records.back(), panel.core.settings()));
    EXPECT_TRUE(panel.view.errors.empty());
}

// ---------------------------------------------------------------------------
// Removal, window and end of the run

TEST_F(ConnectedPanel, RemovalSavesHidesAndForgetsTheUnit) {
    // The change misses the store (a refused write): the removal's save is
    // what keeps it.
    panel.store.failWrites(true);
    PanelSettings copy = pageCopy();
    copy.outVolume[5] = 33;
    panel.pageChangesVolumes(copy);
    panel.store.failWrites(false);
    ASSERT_NE(panel.stored().outVolume[5], 33);
    const PanelSettings master = panel.core.settings();
    panel.view.calls.clear();

    panel.remove(unit);
    EXPECT_TRUE(sameBytes(panel.stored(), master));
    EXPECT_TRUE(isBlank(panel.core.settings()));
    EXPECT_EQ(panel.core.currentDevice(), nullptr);
    EXPECT_EQ(unit.device->refCount(), 1);
    EXPECT_FALSE(unit.device->isOpen());
    // The tip hears of the removal as it begins, with the log.
    const std::vector<std::string> expected = {
        "timer-1", "tip:Velmora Control Panel - No Device", "title:Velmora Control Panel - Ver " VELPANEL_VERSION_SHORT " - No Device",
        "hide", "tray:hide"};
    EXPECT_EQ(panel.view.calls, expected);
    // The controller has no sender any more.
    EXPECT_FALSE(panel.core.controller().setOutVolume(0, 0));

    // With the unit gone the status timer and the meter timer do nothing.
    const int writes = panel.store.writeCount();
    panel.core.onStatusTimer();
    panel.core.onMeterTimer();
    panel.core.onCommand(CMD_FACTORY_DEFAULT);
    panel.core.onDestroy();
    EXPECT_EQ(panel.store.writeCount(), writes);
    EXPECT_TRUE(sameBytes(panel.stored(), master));

    // Back again: the unit comes up as it was left.
    vm_unplug(&unit.model);
    vm_plug(&unit.model);
    panel.arrive(unit);
    EXPECT_EQ(unit.model.codec[VOLUME_REGISTER[5]], 33 | 0x80);
}

TEST_F(ConnectedPanel, DestroySavesReleasesAndStopsTheListener) {
    panel.store.failWrites(true);
    PanelSettings copy = pageCopy();
    copy.digitalOutSelector = 1;
    panel.core.applyMixer(copy);
    panel.store.failWrites(false);
    panel.core.onDestroy();
    EXPECT_EQ(panel.stored().digitalOutSelector, 1);
    EXPECT_EQ(unit.device->refCount(), 1);
    EXPECT_FALSE(unit.device->isOpen());
    EXPECT_EQ(panel.view.listenerStops, 1);
    EXPECT_EQ(panel.core.currentDevice(), nullptr);
}

TEST(PanelWindow, DestroyWithoutAnyUnitLeavesTheStoreAlone) {
    Panel panel;
    panel.storeRecord(userRecord());
    panel.core.onDestroy();
    EXPECT_EQ(panel.store.writeCount(), 0);
    EXPECT_TRUE(sameBytes(panel.stored(), userRecord()));
    EXPECT_EQ(panel.view.listenerStops, 1);
}

TEST(PanelWindow, OpenAlwaysShowsTheControlPage) {
    Panel panel;
    panel.core.onCommand(ID_TAB_INFO);
    EXPECT_EQ(panel.core.pageList().currentIndex(), 1);
    EXPECT_FALSE(panel.control->shown);
    EXPECT_TRUE(panel.info->shown);
    EXPECT_EQ(panel.view.tabs[ID_TAB_INFO], 1);
    EXPECT_EQ(panel.view.tabs[ID_TAB_CONTROL], 0);
    panel.core.onClose();
    EXPECT_FALSE(panel.view.visible);
    panel.view.calls.clear();

    panel.core.onCommand(CMD_OPEN);
    const std::vector<std::string> expected = {"tab:8192=1", "tab:8194=0", "show"};
    EXPECT_EQ(panel.view.calls, expected);
    EXPECT_EQ(panel.core.pageList().currentIndex(), 0);
    EXPECT_TRUE(panel.control->shown);
    EXPECT_FALSE(panel.info->shown);

    panel.core.onCommand(ID_TAB_UNUSED);
    panel.core.onHideAtStart();
    EXPECT_FALSE(panel.view.visible);
    EXPECT_EQ(panel.view.quits, 0);
    panel.core.onCommand(CMD_EXIT);
    EXPECT_EQ(panel.view.quits, 1);
}

TEST(PanelWindow, RadioButtonsWithoutAUnitOnlyMoveTheirMarks) {
    Panel panel;
    panel.core.onCommand(ID_FORMAT_PROFESSIONAL);
    panel.core.onCommand(ID_LEVEL_UNBALANCED);
    EXPECT_TRUE(panel.view.radioChecked(ID_FORMAT_PROFESSIONAL));
    EXPECT_TRUE(panel.view.radioChecked(ID_LEVEL_UNBALANCED));
    EXPECT_TRUE(isBlank(panel.core.settings()));
    EXPECT_TRUE(panel.control->records.empty());

    // The next arrival puts the marks back to the stored record.
    Unit unit;
    panel.arrive(unit);
    EXPECT_TRUE(panel.view.radioChecked(ID_FORMAT_CONSUMER));
    EXPECT_FALSE(panel.view.radioChecked(ID_FORMAT_PROFESSIONAL));
    EXPECT_TRUE(panel.view.radioChecked(ID_LEVEL_BALANCED));
    EXPECT_FALSE(panel.view.radioChecked(ID_LEVEL_UNBALANCED));
}

TEST(PanelWindow, PageChangeWithoutAUnitIsStoredAsMasterAndPublishedButNotSaved) {
    Panel panel;
    PanelSettings r = userRecord();
    panel.core.applyVolumes(r);
    panel.core.applyMixer(r);
    EXPECT_TRUE(sameBytes(panel.core.settings(), r));
    EXPECT_TRUE(sameBytes(panel.info->records.back(), r));
    EXPECT_EQ(panel.store.writeCount(), 0);

    // An arrival still sends the unit everything it stores, not only what
    // differs from that record.
    Unit unit;
    panel.storeRecord(r);
    panel.arrive(unit);
    expectUnitHolds(unit.model, r);
}

} // namespace
} // namespace velmora
