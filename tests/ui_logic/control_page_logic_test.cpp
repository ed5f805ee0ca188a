// The Control page's rules through a recording view and a recording main
// window, including a main window that publishes back into the page while
// the page's handler is still running.
#include "ui/ControlPageLayout.h"
#include "tests/support/SettingsRecords.h"
#include "ui/ControlPageLogic.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

using namespace velmora;
using namespace velmora::controlpage;

namespace {

// Displayed state of the page's controls; faders limit like the real ones.
struct FakeView : ControlPageView {
    std::map<int, int32_t> checks;
    int32_t faders[8] = {127, 127, 127, 127, 127, 127, 127, 127};
    std::string labels[8] = {"0.0dB", "0.0dB", "0.0dB", "0.0dB", "0.0dB", "0.0dB", "0.0dB", "0.0dB"};
    int selector = 0;
    int32_t inputLevels[18] = {};
    int32_t outputLevels[8] = {};
    int setFaderCalls = 0;

    void setButtonCheck(int id, int32_t state) override { checks[id] = state; }
    int32_t buttonCheck(int id) const override {
        auto it = checks.find(id);
        return it == checks.end() ? 0 : it->second;
    }
    void setFaderPos(int output, int32_t v) override {
        ++setFaderCalls;
        faders[output] = v > 127 ? 127 : v < 0 ? 0 : v;
    }
    int32_t faderPos(int output) const override { return faders[output]; }
    void setLabelText(int output, const char* text) override { labels[output] = text; }
    void checkSelector(int k) override { selector = k; }
    void setMeterLevel(MeterGroup g, int i, int32_t level) override {
        (g == MeterGroup::Input ? inputLevels : outputLevels)[i] = level;
    }
};

struct Call {
    std::string op;
    PanelSettings record;
};

struct RecordingOwner : SettingsApplier {
    std::vector<Call> calls;
    // Runs inside applyMixer, as the main window's publish does.
    std::function<void(PanelSettings)> publish;

    void applyVolumes(PanelSettings c) override { calls.push_back({"volumes", c}); }
    void applyMixer(PanelSettings c) override {
        calls.push_back({"mixer", c});
        if (publish) publish(c);
    }
    std::vector<std::string> ops() const {
        std::vector<std::string> v;
        for (const Call& c : calls) v.push_back(c.op);
        return v;
    }
};

using velmora_testing::defaults;

using Ops = std::vector<std::string>;

class ControlPageTest : public ::testing::Test {
protected:
    FakeView view;
    RecordingOwner owner;
    ControlPageLogic page{view, &owner};

    void feed(const PanelSettings& r) {
        page.onSettings(r);
        view.setFaderCalls = 0;
    }
    // The user drags fader i to v: the fader changes itself, then notifies.
    bool drag(int i, int32_t v) {
        view.faders[i] = v;
        return page.onFaderScroll(faderId(i));
    }
};

} // namespace

TEST_F(ControlPageTest, UnfedPageChangesOnlyItsControlsAndItsCopy) {
    EXPECT_FALSE(page.settingsReceived());
    EXPECT_TRUE(page.onCommand(ID_MON));
    EXPECT_EQ(view.buttonCheck(ID_MON), 1);
    EXPECT_EQ(page.settings().cpldDigitalMon, 1);
    EXPECT_TRUE(drag(4, 10));
    EXPECT_TRUE(page.onCommand(muteId(1)));
    EXPECT_TRUE(page.onCommand(selectorId(2)));
    EXPECT_TRUE(owner.calls.empty());

    // The first record replaces everything the page held.
    PanelSettings r = defaults();
    page.onSettings(r);
    EXPECT_TRUE(page.settingsReceived());
    EXPECT_EQ(std::memcmp(&page.settings(), &r, sizeof r), 0);
    EXPECT_EQ(view.buttonCheck(ID_MON), 0);
    EXPECT_EQ(view.faders[4], 127);
    EXPECT_EQ(view.selector, 0);

    // From now on every change is forwarded.
    page.onCommand(ID_MON);
    EXPECT_EQ(owner.ops(), Ops{"mixer"});
}

TEST_F(ControlPageTest, LinkedFaderMovesItsPartnerWithoutNotification) {
    feed(defaults()); // all pairs linked
    ASSERT_TRUE(drag(2, 100));
    EXPECT_EQ(view.labels[2], "-13.5dB");
    EXPECT_EQ(view.faders[3], 100);
    EXPECT_EQ(view.labels[3], "-13.5dB");
    EXPECT_EQ(view.setFaderCalls, 1) << "only the partner is set from the page";
    ASSERT_EQ(owner.ops(), (Ops{"volumes", "mixer"}));
    for (const Call& c : owner.calls) {
        EXPECT_EQ(c.record.outVolume[2], 100);
        EXPECT_EQ(c.record.outVolume[3], 100);
        EXPECT_EQ(c.record.outVolume[1], 127) << "other pairs untouched";
    }

    // The right output of a pair leads its left one the same way.
    ASSERT_TRUE(drag(7, 0));
    EXPECT_EQ(view.faders[6], 0);
    EXPECT_EQ(view.labels[6], "-63.5dB");
    EXPECT_EQ(view.labels[7], "-63.5dB");
}

TEST_F(ControlPageTest, UnlinkedFaderMovesAlone) {
    PanelSettings r = defaults();
    r.outLink[1] = 0;
    r.outLink[2] = 2; // only exactly 1 links a pair
    feed(r);
    drag(2, 126);
    EXPECT_EQ(view.labels[2], "-0.5dB");
    EXPECT_EQ(view.faders[3], 127);
    EXPECT_EQ(view.labels[3], "0.0dB");
    EXPECT_EQ(owner.calls.back().record.outVolume[3], 127);
    drag(4, 0);
    EXPECT_EQ(view.faders[5], 127);
    EXPECT_EQ(owner.calls.back().record.outVolume[4], 0);
    EXPECT_EQ(owner.calls.back().record.outVolume[5], 127);
    EXPECT_EQ(view.setFaderCalls, 0);
}

TEST_F(ControlPageTest, TogglesStoreTheirFieldsAndForwardAsEachDemands) {
    feed(defaults());

    page.onCommand(muteId(5));
    EXPECT_EQ(view.buttonCheck(muteId(5)), 1);
    EXPECT_EQ(view.buttonCheck(muteId(4)), 0) << "mutes of a linked pair are independent";
    ASSERT_EQ(owner.ops(), (Ops{"volumes", "mixer"}));
    EXPECT_EQ(owner.calls[0].record.outMute[5], 1);
    EXPECT_EQ(owner.calls[0].record.outMute[4], 0);

    owner.calls.clear();
    page.onCommand(linkId(0));
    EXPECT_EQ(owner.ops(), Ops{"mixer"});
    EXPECT_EQ(owner.calls[0].record.outLink[0], 0);
    EXPECT_EQ(view.buttonCheck(linkId(0)), 0);

    owner.calls.clear();
    page.onCommand(ID_MON);
    EXPECT_EQ(owner.ops(), Ops{"mixer"});
    EXPECT_EQ(owner.calls[0].record.cpldDigitalMon, 1);

    // Defaults hold mix-out select 0, shown as MIX on; switching it off stores 1.
    EXPECT_EQ(view.buttonCheck(ID_MIX), 1);
    owner.calls.clear();
    page.onCommand(ID_MIX);
    EXPECT_EQ(view.buttonCheck(ID_MIX), 0);
    EXPECT_EQ(owner.ops(), Ops{"mixer"});
    EXPECT_EQ(owner.calls[0].record.cpldMixOutSel, 1);
    page.onCommand(ID_MIX);
    EXPECT_EQ(owner.calls.back().record.cpldMixOutSel, 0);
}

TEST_F(ControlPageTest, SwitchingALinkOnDoesNotLineThePairUp) {
    PanelSettings r = defaults();
    r.outLink[3] = 0;
    r.outVolume[6] = 40;
    r.outVolume[7] = 90;
    feed(r);
    page.onCommand(linkId(3));
    EXPECT_EQ(owner.calls.back().record.outLink[3], 1);
    EXPECT_EQ(view.faders[6], 40);
    EXPECT_EQ(view.faders[7], 90);
    EXPECT_EQ(owner.calls.back().record.outVolume[7], 90);
}

TEST_F(ControlPageTest, ToggleFromAnyStateOtherThanZeroGoesToZero) {
    PanelSettings r = defaults();
    r.outMute[0] = 255;
    r.cpldDigitalMon = 7;
    feed(r);
    EXPECT_EQ(view.buttonCheck(muteId(0)), 255) << "check states take the byte unchanged";
    EXPECT_EQ(view.buttonCheck(ID_MON), 7);
    page.onCommand(muteId(0));
    page.onCommand(ID_MON);
    EXPECT_EQ(view.buttonCheck(muteId(0)), 0);
    EXPECT_EQ(view.buttonCheck(ID_MON), 0);
    EXPECT_EQ(owner.calls.back().record.outMute[0], 0);
    EXPECT_EQ(owner.calls.back().record.cpldDigitalMon, 0);
}

TEST_F(ControlPageTest, SelectorChecksOneAndForwardsEvenWhenUnchanged) {
    feed(defaults());
    page.onCommand(selectorId(3));
    EXPECT_EQ(view.selector, 3);
    EXPECT_EQ(owner.ops(), Ops{"mixer"});
    EXPECT_EQ(owner.calls[0].record.digitalOutSelector, 3);
    page.onCommand(selectorId(3));
    ASSERT_EQ(owner.calls.size(), 2u);
    EXPECT_EQ(std::memcmp(&owner.calls[0].record, &owner.calls[1].record, sizeof(PanelSettings)), 0);
}

TEST_F(ControlPageTest, RecordIsShownWithSelectorModFourAndLabelsOfTheFader) {
    PanelSettings r = defaults();
    r.digitalOutSelector = 7;
    r.outVolume[0] = 100;
    r.outVolume[1] = 0;
    r.outVolume[2] = 200; // above the fader's top
    r.outMute[3] = 1;
    r.outLink[1] = 0;
    r.cpldMixOutSel = 1;
    r.cpldDigitalMon = 1;
    page.onSettings(r);
    EXPECT_EQ(view.selector, 3);
    EXPECT_EQ(view.labels[0], "-13.5dB");
    EXPECT_EQ(view.labels[1], "-63.5dB");
    EXPECT_EQ(view.faders[2], 127);
    EXPECT_EQ(view.labels[2], "0.0dB") << "the label reads what the knob shows";
    EXPECT_EQ(page.settings().outVolume[2], 200) << "the copy keeps the record as published";
    EXPECT_EQ(view.buttonCheck(muteId(3)), 1);
    EXPECT_EQ(view.buttonCheck(linkId(1)), 0);
    EXPECT_EQ(view.buttonCheck(linkId(0)), 1);
    EXPECT_EQ(view.buttonCheck(ID_MIX), 0);
    EXPECT_EQ(view.buttonCheck(ID_MON), 1);
    EXPECT_TRUE(owner.calls.empty()) << "showing a record sends nothing";
}

TEST_F(ControlPageTest, MainWindowPublishingDuringTheCallIsWhatThePageKeeps) {
    feed(defaults());
    // The main window accepts the change but reads MON back as off (the
    // unit refused the bit) and publishes that into the page before
    // applyMixer returns.
    owner.publish = [this](PanelSettings accepted) {
        accepted.cpldDigitalMon = 0;
        page.onSettings(accepted);
    };
    page.onCommand(ID_MON);
    EXPECT_EQ(owner.calls[0].record.cpldDigitalMon, 1) << "the candidate carried the change";
    EXPECT_EQ(page.settings().cpldDigitalMon, 0);
    EXPECT_EQ(view.buttonCheck(ID_MON), 0) << "nothing of the old copy is written after forwarding";

    // A fader move: applyVolumes and applyMixer each get the page's change.
    owner.calls.clear();
    owner.publish = [this](PanelSettings accepted) {
        accepted.outVolume[0] = accepted.outVolume[1] = 50;
        page.onSettings(accepted);
    };
    drag(0, 80);
    ASSERT_EQ(owner.ops(), (Ops{"volumes", "mixer"}));
    EXPECT_EQ(owner.calls[0].record.outVolume[0], 80);
    EXPECT_EQ(owner.calls[1].record.outVolume[0], 80);
    EXPECT_EQ(page.settings().outVolume[0], 50);
    EXPECT_EQ(view.faders[0], 50);
    EXPECT_EQ(view.faders[1], 50);
    EXPECT_EQ(view.labels[1], "-38.5dB");
}

TEST_F(ControlPageTest, IdsOutsideThePagesControlsAreIgnored) {
    feed(defaults());
    for (int id : {ID_MUTE_FIRST + 8, ID_MUTE_FIRST + 15, ID_LINK_FIRST + 4, ID_SELECTOR_FIRST + 4,
                   ID_SELECTOR_FIRST + 15, ID_INPUT_METERS, ID_OUTPUT_METERS, ID_LABEL_FIRST, 12290, 0, -1})
        EXPECT_FALSE(page.onCommand(id)) << id;
    for (int id : {ID_FADER_FIRST + 8, ID_FADER_FIRST + 15, ID_MUTE_FIRST, ID_LABEL_FIRST + 1, -1})
        EXPECT_FALSE(page.onFaderScroll(id)) << id;
    EXPECT_TRUE(owner.calls.empty());
    const PanelSettings d = defaults();
    EXPECT_EQ(std::memcmp(&page.settings(), &d, sizeof d), 0);
}

TEST_F(ControlPageTest, MetersTakeInputsFromZeroAndOutputsFromThirtyTwo) {
    MeterBlock block{};
    for (int i = 0; i < 64; ++i) block.level[i] = 0x7F; // loudest everywhere
    for (int i = 0; i < 18; ++i) block.level[i] = uint8_t(i == 17 ? 0x80 : i);
    block.level[32] = 100;
    block.level[39] = 1;
    page.onMeters(block);
    EXPECT_EQ(view.inputLevels[0], 0);
    EXPECT_EQ(view.inputLevels[1], 18);
    EXPECT_EQ(view.inputLevels[7], 54);
    EXPECT_EQ(view.inputLevels[15], 73);
    EXPECT_EQ(view.inputLevels[17], 0) << "a negative peak byte is level 0";
    EXPECT_EQ(view.outputLevels[0], 121);
    EXPECT_EQ(view.outputLevels[1], 127);
    EXPECT_EQ(view.outputLevels[7], 18);
    EXPECT_TRUE(owner.calls.empty());
}

TEST(VolumeLabel, HalfDecibelSteps) {
    EXPECT_EQ(volumeLabel(127), "0.0dB");
    EXPECT_EQ(volumeLabel(126), "-0.5dB");
    EXPECT_EQ(volumeLabel(100), "-13.5dB");
    EXPECT_EQ(volumeLabel(1), "-63.0dB");
    EXPECT_EQ(volumeLabel(0), "-63.5dB");
}
