// Every failed send shows its own message, once per failure, and the apply
// goes on with the next setting. Failures come from the model's fault table.
#include "tests/app/PanelHarness.h"
#include "VelPanelVersion.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using namespace testing_app;

const char* const CONFIGURATION = "Function error USBDevice::setConfiguration()";
const char* const VOLUME = "Function error VelmoraController::setOutVolume()";
const char* const FORMAT = "Function error VelmoraController::setDigitalFormat()";
const char* const SELECTOR = "Function error USBDevice::setDigitalOutSelector()";
const char* const MONITOR = "Function error USBDevice::setVelCpldDigitalMon()";
const char* const MIX = "Function error USBDevice::setVelCpldMixOutSel()";

class FailingPanel : public ::testing::Test {
protected:
    void SetUp() override {
        panel.arrive(unit);
        panel.view.errors.clear();
        vm_reset_counters(&unit.model);
    }
    PanelSettings pageCopy() const { return panel.control->records.back(); }
    void fail(uint32_t code, int32_t command, uint32_t count = 1) {
        ASSERT_TRUE(vm_inject_fault(&unit.model, code, command, VM_FAULT_FAIL, count));
    }

    Unit unit;
    Panel panel;
};

TEST(PanelFailuresAtArrival, EveryFailedSendOfTheArrivalIsReportedAndTheRestGoesOn) {
    Unit unit;
    Panel panel;
    // Three of the eight volume frames, the configuration and the selector fail.
    vm_inject_fault(&unit.model, VM_IOCTL_COMMAND, 9, VM_FAULT_FAIL, 1);
    vm_inject_fault(&unit.model, VM_IOCTL_RAW_WRITE, VM_ANY_COMMAND, VM_FAULT_FAIL, 3);
    vm_inject_fault(&unit.model, VM_IOCTL_COMMAND, 3, VM_FAULT_FAIL, 1);
    panel.arrive(unit);
    const std::vector<std::string> expected = {CONFIGURATION, VOLUME, VOLUME, VOLUME, SELECTOR};
    EXPECT_EQ(panel.view.errors, expected);
    // Outputs 3..7 and everything after the failures reached the unit.
    for (int ch = 3; ch < 8; ++ch) EXPECT_EQ(unit.model.codec[VOLUME_REGISTER[ch]], 0xFF);
    EXPECT_EQ(unit.model.codec[VOLUME_REGISTER[0]], 0);
    EXPECT_EQ(unit.model.dit[DIGITAL_FORMAT_REGISTER], 0);
    EXPECT_EQ(unit.model.ditFrames, 1u);
    // The arrival completes: title, tray and timers.
    EXPECT_EQ(panel.view.title, "Velmora Control Panel - Ver " VELPANEL_VERSION_SHORT);
    EXPECT_EQ(panel.view.timers.size(), 2u);
}

TEST(PanelFailuresAtArrival, UnreadableConfigurationIsReportedAndNothingUndefinedIsSent) {
    Unit unit;
    Panel panel;
    vm_inject_fault(&unit.model, VM_IOCTL_COMMAND, 8, VM_FAULT_FAIL, 1);
    panel.arrive(unit);
    ASSERT_FALSE(panel.view.errors.empty());
    EXPECT_EQ(panel.view.errors[0], CONFIGURATION);
    EXPECT_EQ(panel.view.errors.size(), 1u);
    EXPECT_EQ(vm_command_count(&unit.model, 9), 0u);
    EXPECT_EQ(unit.model.config[0], 48000); // the unit keeps its rate
}

TEST(PanelFailuresAtArrival, ShortConfigurationAnswerCountsAsAFailure) {
    Unit unit;
    Panel panel;
    vm_inject_fault(&unit.model, VM_IOCTL_COMMAND, 9, VM_FAULT_SHORT, 1);
    panel.arrive(unit);
    const std::vector<std::string> expected = {CONFIGURATION};
    EXPECT_EQ(panel.view.errors, expected);
}

TEST_F(FailingPanel, VolumeMessageOncePerFailedChannel) {
    PanelSettings copy = pageCopy();
    for (int ch = 0; ch < 8; ++ch) copy.outVolume[ch] = uint8_t(60 + ch);
    fail(VM_IOCTL_RAW_WRITE, VM_ANY_COMMAND, 2);
    panel.pageChangesVolumes(copy);
    EXPECT_EQ(panel.view.errors, std::vector<std::string>(2, VOLUME));
    EXPECT_EQ(vm_ioctl_count(&unit.model, VM_IOCTL_RAW_WRITE), 8u);
    // A failed channel keeps what the unit has, in the master, on the page
    // and in the store, so that the next move sends it again.
    EXPECT_EQ(panel.core.settings().outVolume[0], 127);
    EXPECT_EQ(panel.control->records.back().outVolume[0], 127);
    EXPECT_EQ(panel.stored().outVolume[0], 127);
    EXPECT_EQ(unit.model.codec[VOLUME_REGISTER[0]], 0xFF);
    EXPECT_EQ(panel.core.settings().outVolume[2], 62);
    EXPECT_EQ(unit.model.codec[VOLUME_REGISTER[2]], (62 | 0x80));
    copy = pageCopy();
    copy.outVolume[0] = 60;
    panel.pageChangesVolumes(copy);
    EXPECT_EQ(unit.model.codec[VOLUME_REGISTER[0]], (60 | 0x80));
}

TEST_F(FailingPanel, VolumeAboveTheRangeIsRefusedAndReported) {
    PanelSettings copy = pageCopy();
    copy.outVolume[4] = 200;
    panel.pageChangesVolumes(copy);
    EXPECT_EQ(panel.view.errors, std::vector<std::string>(1, VOLUME));
    EXPECT_EQ(vm_ioctl_count(&unit.model, VM_IOCTL_RAW_WRITE), 0u);

    // The refused volume is not taken: under the other level the output is
    // sent from what it had, 127 - 10.
    EXPECT_EQ(panel.core.settings().outVolume[4], 127);
    panel.view.errors.clear();
    panel.core.onCommand(ID_LEVEL_UNBALANCED);
    EXPECT_TRUE(panel.view.errors.empty());
    EXPECT_EQ(unit.model.codec[VOLUME_REGISTER[4]], 0x80 | 117);
}

TEST_F(FailingPanel, FormatMessage) {
    fail(VM_IOCTL_RAW_WRITE, VM_ANY_COMMAND);
    panel.core.onCommand(ID_FORMAT_PROFESSIONAL);
    EXPECT_EQ(panel.view.errors, std::vector<std::string>(1, FORMAT));
    EXPECT_EQ(unit.model.dit[DIGITAL_FORMAT_REGISTER], 0);
}

TEST_F(FailingPanel, MixerMessagesEachOnceAndTheRestStillSent) {
    PanelSettings copy = pageCopy();
    copy.digitalFormat = 1;
    copy.digitalOutSelector = 2;
    copy.cpldDigitalMon = 1;
    copy.cpldMixOutSel = 1;
    fail(VM_IOCTL_COMMAND, 3);
    fail(VM_IOCTL_COMMAND, 5, 1); // the monitor bit's write
    panel.core.applyMixer(copy);
    const std::vector<std::string> expected = {SELECTOR, MONITOR};
    EXPECT_EQ(panel.view.errors, expected);
    EXPECT_EQ(unit.model.dit[DIGITAL_FORMAT_REGISTER], 1);
    EXPECT_EQ(unit.model.cpld & VM_CPLD_DIGITAL_MON, 0);
    EXPECT_NE(unit.model.cpld & VM_CPLD_MIX_OUT_SEL, 0);
    EXPECT_EQ(panel.stored().digitalFormat, 1);
}

TEST_F(FailingPanel, CpldReadFailureReportsTheMixMessage) {
    PanelSettings copy = pageCopy();
    copy.cpldMixOutSel = 1;
    fail(VM_IOCTL_COMMAND, 4);
    panel.core.applyMixer(copy);
    EXPECT_EQ(panel.view.errors, std::vector<std::string>(1, MIX));
    EXPECT_EQ(vm_command_count(&unit.model, 5), 0u);
}

TEST_F(FailingPanel, LatencyAndClockFailuresAreSilent) {
    fail(VM_IOCTL_COMMAND, 14, 2);
    fail(VM_IOCTL_COMMAND, 17, 1);
    panel.core.onCommand(CMD_LATENCY_FIRST);
    panel.core.onCommand(CMD_CLOCK_INTERNAL);
    PanelSettings copy = pageCopy();
    copy.latency = 6;
    panel.core.applyLatency(copy);
    EXPECT_TRUE(panel.view.errors.empty());
    EXPECT_EQ(unit.model.latency, 4u);
}

TEST_F(FailingPanel, StoreThatRefusesWritesIsWrittenAgainNextTime) {
    panel.store.failWrites(true);
    PanelSettings copy = pageCopy();
    copy.outVolume[0] = 12;
    panel.pageChangesVolumes(copy);
    EXPECT_EQ(panel.stored().outVolume[0], 127);
    panel.store.failWrites(false);
    panel.pageChangesVolumes(pageCopy()); // nothing sent, but the store is behind
    EXPECT_EQ(panel.stored().outVolume[0], 12);
    EXPECT_TRUE(panel.view.errors.empty());
}

} // namespace
} // namespace velmora
