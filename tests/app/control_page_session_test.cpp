// The user at the Control page of a connected panel: what each control does
// to the unit, the store and the page itself.
#include "tests/app/ControlPageHarness.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using namespace testing_app;

class ControlSession : public ::testing::Test {
protected:
    void SetUp() override {
        panel.core.onDeviceEvent(unit.device, DEVICE_ARRIVED);
        ASSERT_TRUE(panel.page->logic.settingsReceived());
        vm_reset_counters(&unit.model);
    }
    uint32_t frames() const { return vm_ioctl_count(&unit.model, VM_IOCTL_RAW_WRITE); }

    Unit unit;
    PanelWithControlPage panel;
};

TEST_F(ControlSession, LinkedFaderMovesItsPartnerOnTheUnitAndInTheStore) {
    panel.page->moveFader(2, 90); // pair 3/4, linked by default
    EXPECT_EQ(frames(), 2u);
    EXPECT_EQ(unit.model.codec[VOLUME_REGISTER[2]], 90 | 0x80);
    EXPECT_EQ(unit.model.codec[VOLUME_REGISTER[3]], 90 | 0x80);
    EXPECT_EQ(panel.stored().outVolume[2], 90);
    EXPECT_EQ(panel.stored().outVolume[3], 90);
    EXPECT_EQ(panel.page->controls.fader[3], 90);
    EXPECT_EQ(panel.page->controls.label[3], "-18.5dB");
    // Nothing else was written (the status refresh only reads), no message.
    for (int32_t writeCommand : {3, 5, 9, 14, 17}) EXPECT_EQ(vm_command_count(&unit.model, writeCommand), 0u);
    EXPECT_TRUE(panel.view.errors.empty());
}

TEST_F(ControlSession, UnlinkedFaderMovesAlone) {
    panel.page->click(LINK_BUTTON + 0);
    EXPECT_EQ(panel.stored().outLink[0], 0);
    EXPECT_EQ(frames(), 0u);
    panel.page->moveFader(1, 10);
    EXPECT_EQ(frames(), 1u);
    EXPECT_EQ(unit.model.codec[VOLUME_REGISTER[1]], 10 | 0x80);
    EXPECT_EQ(unit.model.codec[VOLUME_REGISTER[0]], 127 | 0x80);
    EXPECT_EQ(panel.stored().outVolume[1], 10);
    EXPECT_EQ(panel.stored().outVolume[0], 127);
}

TEST_F(ControlSession, MuteMonMixAndSelectorReachTheUnit) {
    panel.page->moveFader(5, 70);
    panel.page->click(MUTE_BUTTON + 5);
    EXPECT_EQ(unit.model.codec[VOLUME_REGISTER[5]], 0x80);
    EXPECT_EQ(panel.page->controls.buttonCheck(MUTE_BUTTON + 5), 1);
    EXPECT_EQ(panel.stored().outMute[5], 1);
    panel.page->click(MUTE_BUTTON + 5);
    EXPECT_EQ(unit.model.codec[VOLUME_REGISTER[5]], 70 | 0x80);
    panel.page->click(MUTE_BUTTON + 5);

    panel.page->click(MON_BUTTON);
    EXPECT_NE(unit.model.cpld & VM_CPLD_DIGITAL_MON, 0);
    // MIX shows on while the select bit is clear: a click turns it off and
    // sets the bit.
    panel.page->click(MIX_BUTTON);
    EXPECT_NE(unit.model.cpld & VM_CPLD_MIX_OUT_SEL, 0);
    EXPECT_EQ(panel.page->controls.buttonCheck(MIX_BUTTON), 0);

    panel.page->click(SPDIF_SELECTOR + 2);
    EXPECT_EQ(unit.model.digitalOutSelector, 2u);
    EXPECT_EQ(panel.page->controls.selector, 2);

    const PanelSettings stored = panel.stored();
    EXPECT_EQ(stored.outMute[5], 1);
    EXPECT_EQ(stored.cpldDigitalMon, 1);
    EXPECT_EQ(stored.cpldMixOutSel, 1);
    EXPECT_EQ(stored.digitalOutSelector, 2);
    EXPECT_TRUE(panel.view.errors.empty());
}

TEST_F(ControlSession, ApplyMixerPublishesIntoThePageBeforeItsHandlerReturns) {
    // While the page's click is still on the stack, the main window hands
    // the accepted record back: the master is already that record, and it
    // carries the unit's read-back of the CPLD bit.
    int seen = 0;
    panel.page->onSettingsHook = [&](const PanelSettings& r) {
        ++seen;
        EXPECT_TRUE(sameBytes(r, panel.core.settings()));
        EXPECT_EQ(r.cpldDigitalMon, 1);
    };
    panel.page->click(MON_BUTTON);
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(panel.info->records.back().cpldDigitalMon, 1);

    // A fader move publishes once too (applyVolumes publishes nothing).
    seen = 0;
    panel.page->onSettingsHook = nullptr;
    const int before = panel.page->settingsCalls;
    panel.page->moveFader(7, 3);
    EXPECT_EQ(panel.page->settingsCalls, before + 1);
}

TEST_F(ControlSession, OutputLevelButtonsResendThroughTheMasterAndThePageFollows) {
    panel.page->moveFader(0, 8);
    panel.core.onCommand(ID_LEVEL_UNBALANCED);
    EXPECT_EQ(unit.model.codec[VOLUME_REGISTER[0]], 0x80); // 8 - 10 < 0
    EXPECT_EQ(unit.model.codec[VOLUME_REGISTER[2]], 117 | 0x80);
    EXPECT_EQ(panel.page->logic.settings().outputLevel, 1);
    // A fader move afterwards keeps the level the page was given.
    panel.page->moveFader(4, 100);
    EXPECT_EQ(unit.model.codec[VOLUME_REGISTER[4]], 90 | 0x80);
    EXPECT_EQ(panel.stored().outputLevel, 1);
}

TEST_F(ControlSession, MetersReachTheTwentySixMeters) {
    uint8_t block[VM_METER_SIZE] = {};
    block[0] = 127;
    block[17] = 63;
    block[32] = 15;
    block[39] = 0x81; // magnitude 127
    vm_hold_meters(&unit.model, block);
    for (int i = 0; i < 40; ++i) panel.core.onMeterTimer();
    // History settles one below: 126, 62, 14, 126; the page's meter law
    // gives 26.33745 ln(1 + s), truncated.
    EXPECT_EQ(panel.page->controls.inputLevel[0], 127);  // 26.337 × ln 127 = 127.58
    EXPECT_EQ(panel.page->controls.inputLevel[17], 109); // 26.337 × ln 63 = 109.12
    EXPECT_EQ(panel.page->controls.outputLevel[0], 71);  // 26.337 × ln 15 = 71.32
    EXPECT_EQ(panel.page->controls.outputLevel[7], 127);
    EXPECT_EQ(panel.page->controls.inputLevel[5], 0);
}

TEST(ControlSessionNoUnit, ChangesBeforeTheFirstRecordStayInThePage) {
    PanelWithControlPage panel;
    panel.page->moveFader(0, 5);
    panel.page->click(MON_BUTTON);
    EXPECT_TRUE(isBlank(panel.core.settings()));
    EXPECT_EQ(panel.store.writeCount(), 0);
    Unit unit;
    panel.core.onDeviceEvent(unit.device, DEVICE_ARRIVED);
    // The unit comes up with the defaults, the page shows them.
    EXPECT_EQ(unit.model.codec[VOLUME_REGISTER[0]], 127 | 0x80);
    EXPECT_EQ(panel.page->controls.fader[0], 127);
    EXPECT_EQ(panel.page->controls.buttonCheck(MON_BUTTON), 0);
}

} // namespace
} // namespace velmora
