// The monitor pair's actions against a whole panel whose store is written
// through UndimmedRecordStore, as the main window does: the unit's registers
// and the bytes in the store are the oracles of the dim rules.
#include "app/CommandLine.h"
#include "app/HotkeyTable.h"
#include "app/MonitorActions.h"
#include "app/OnScreenLevelPlace.h"
#include "app/PanelRequests.h"
#include "app/UndimmedRecordStore.h"
#include "tests/app/PanelHarness.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using namespace testing_app;

struct DimPanel {
    DimPanel() {
        core.pageList().add(new RecordingPage(pages, "control"));
        core.pageList().select(0);
        core.onDeviceEvent(unit.device, DEVICE_ARRIVED);
        requests.setMonitor(&actions);
    }
    int unitStep(int output) const { return unit.model.codec[VOLUME_REGISTER[output - 1]] & 0x7F; }
    PanelSettings stored() const {
        PanelSettings r{};
        if (store.value().size() == sizeof r) std::memcpy(&r, store.value().data(), sizeof r);
        return r;
    }
    // The Control page's fader of `output` moved to `step` (unlinked pair).
    void fader(int output, int step) {
        PanelSettings copy = core.settings();
        copy.outVolume[output - 1] = uint8_t(step);
        core.applyVolumes(copy);
        core.applyMixer(copy);
    }

    PageTrace pages;
    RecordingView view;
    MemorySettingsStore store;
    MonitorDim dim;
    UndimmedRecordStore undimmed{store, dim};
    PanelCore core{view, undimmed};
    Unit unit;
    MonitorActions actions{core, dim, &store};
    PanelRequests requests{core, &store};
};

TEST(MonitorDim, DimAndUndimGiveBackTheExactLevelsAndTheStoreNeverHoldsTheDimmedOnes) {
    DimPanel p;
    PanelCommands commands(p.core);
    ASSERT_TRUE(commands.setLink(1, false).done());
    ASSERT_TRUE(commands.setPairVolumeSteps(1, 101, 90).done());

    MonitorAnswer dimmed = p.actions.dim(DimWish::Toggle);
    EXPECT_EQ(dimmed.shown, "Dim -20 dB");
    EXPECT_EQ(p.unitStep(1), 61);
    EXPECT_EQ(p.unitStep(2), 50);
    EXPECT_EQ(p.stored().outVolume[0], 101);
    EXPECT_EQ(p.stored().outVolume[1], 90);
    // Another change while dimmed is stored with the user's levels.
    ASSERT_TRUE(commands.setVolumeStep(5, 70).done());
    EXPECT_EQ(p.stored().outVolume[4], 70);
    EXPECT_EQ(p.stored().outVolume[0], 101);
    // The unit going away saves the master: still the user's levels.
    p.core.onDeviceEvent(p.unit.device, DEVICE_REMOVED);
    EXPECT_EQ(p.stored().outVolume[0], 101);
    EXPECT_EQ(p.stored().outVolume[1], 90);
    p.core.onDeviceEvent(p.unit.device, DEVICE_ARRIVED);
    EXPECT_EQ(p.unitStep(1), 101);

    p.actions.dim(DimWish::On);
    EXPECT_EQ(p.actions.dim(DimWish::Off).shown, "Outputs 1-2  -13.0 / -18.5 dB");
    EXPECT_EQ(p.unitStep(1), 101);
    EXPECT_EQ(p.unitStep(2), 90);
    EXPECT_EQ(p.actions.dim(DimWish::Off).code, EXIT_DONE); // not dimmed: nothing to give back

    // A snapshot or a settings file made while dimmed takes the user's levels.
    p.actions.dim(DimWish::On);
    EXPECT_EQ(p.requests.run(PanelRequest{RequestVerb::Store, "Dimmed", 1, 0, 0.0, false}).code, EXIT_DONE);
    std::string slot;
    ASSERT_TRUE(p.store.readText("Snapshot1", slot));
    EXPECT_NE(slot.find("\"volume\": 101"), std::string::npos) << slot;
    EXPECT_EQ(slot.find("\"volume\": 61"), std::string::npos) << slot;
    p.actions.dim(DimWish::Off);

    // A depth of 40 dB stops at the bottom step and still comes back exactly.
    HotkeySettings deep;
    deep.dimDb = 40;
    p.actions.setSettings(deep);
    ASSERT_TRUE(commands.setPairVolumeSteps(1, 70, 3).done());
    p.actions.dim(DimWish::On);
    EXPECT_EQ(p.unitStep(1), 0);
    EXPECT_EQ(p.unitStep(2), 0);
    p.actions.dim(DimWish::Toggle);
    EXPECT_EQ(p.unitStep(1), 70);
    EXPECT_EQ(p.unitStep(2), 3);
}

TEST(MonitorDim, AChangeOfThePairWhileDimmedEndsTheDimAtTheNewLevel) {
    DimPanel p;
    PanelCommands commands(p.core);
    ASSERT_TRUE(commands.setLink(1, false).done());
    ASSERT_TRUE(commands.setPairVolumeSteps(1, 100, 100).done());

    // A step: the new level is the dimmed one plus the step, and it is the user's.
    p.actions.dim(DimWish::On);
    EXPECT_EQ(p.actions.step(1).shown, "Outputs 1-2  -33.0 dB");
    EXPECT_FALSE(p.dim.active());
    EXPECT_EQ(p.stored().outVolume[0], 61);
    EXPECT_EQ(p.actions.dim(DimWish::Toggle).shown, "Dim -20 dB"); // dims again from there
    EXPECT_EQ(p.unitStep(1), 21);

    // A fader of the pair: the dim ends there, and the next toggle dims anew.
    p.fader(2, 30);
    EXPECT_FALSE(p.dim.active());
    EXPECT_EQ(p.stored().outVolume[1], 30);
    EXPECT_EQ(p.stored().outVolume[0], 21);

    // A request's volume for the pair, and a snapshot recall, end it as well.
    p.actions.dim(DimWish::On);
    ASSERT_TRUE(commands.setVolumeStep(1, 120).done());
    EXPECT_FALSE(p.dim.active());
    EXPECT_EQ(p.stored().outVolume[0], 120);
    ASSERT_EQ(p.requests.run(PanelRequest{RequestVerb::Store, "Loud", 2, 0, 0.0, false}).code, EXIT_DONE);
    p.actions.dim(DimWish::On);
    EXPECT_EQ(p.actions.recall(7).code, EXIT_FAILED); // an empty slot changes nothing: still dimmed
    EXPECT_TRUE(p.dim.active());
    EXPECT_EQ(p.actions.recall(2).shown, "Snapshot 2  Loud");
    EXPECT_FALSE(p.dim.active());
    EXPECT_EQ(p.unitStep(1), 120);

    // A dim refused (no unit) leaves nothing dimmed and nothing stored.
    p.core.onDeviceEvent(p.unit.device, DEVICE_REMOVED);
    EXPECT_EQ(p.actions.dim(DimWish::On).code, EXIT_NO_UNIT);
    EXPECT_FALSE(p.dim.active());
    EXPECT_EQ(p.actions.step(1).code, EXIT_NO_UNIT);
}

TEST(MonitorActions, StepsMutesAndSnapshotsActOnTheChosenPairAndSayWhatHappened) {
    DimPanel p;
    HotkeySettings settings;
    settings.pair = 2;
    p.actions.setSettings(settings);
    // Linked (the default): both outputs of pair 2 move; the top stops at 0 dB.
    EXPECT_EQ(p.actions.run(int(HotkeyAction::VolumeDownCoarse)).shown, "Outputs 3-4  -3.0 dB");
    EXPECT_EQ(p.unitStep(3), 121);
    EXPECT_EQ(p.unitStep(4), 121);
    EXPECT_EQ(p.unitStep(1), 127);
    EXPECT_EQ(p.actions.run(int(HotkeyAction::VolumeUpCoarse)).code, EXIT_DONE);
    EXPECT_EQ(p.actions.run(int(HotkeyAction::VolumeUp)).shown, "Outputs 3-4  0.0 dB");
    EXPECT_EQ(p.unitStep(3), 127);

    EXPECT_EQ(p.actions.run(int(HotkeyAction::MuteToggle)).shown, "Muted");
    EXPECT_EQ(p.unit.model.codec[VOLUME_REGISTER[2]], 0x80);
    EXPECT_EQ(p.unit.model.codec[VOLUME_REGISTER[0]], 0x80 | 127);
    EXPECT_EQ(p.actions.run(int(HotkeyAction::MuteToggle)).shown, "Outputs 3-4  0.0 dB");
    EXPECT_EQ(p.actions.run(int(HotkeyAction::MuteAll)).shown, "All outputs muted");
    for (int out = 1; out <= 8; ++out) EXPECT_EQ(p.unit.model.codec[VOLUME_REGISTER[out - 1]], 0x80) << out;
    EXPECT_EQ(p.actions.run(int(HotkeyAction::MuteAll)).shown, "All outputs unmuted");
    EXPECT_EQ(p.stored().outMute[7], 0);

    EXPECT_EQ(p.requests.run(PanelRequest{RequestVerb::Store, "Mixing", 3, 0, 0.0, false}).code, EXIT_DONE);
    PanelCommands(p.core).setVolumeStep(1, 10);
    const MonitorAnswer recalled = p.actions.run(int(HotkeyAction::Snapshot1) + 2);
    EXPECT_EQ(recalled.shown, "Snapshot 3  Mixing");
    EXPECT_EQ(p.unitStep(1), 127);
    EXPECT_EQ(p.actions.run(int(HotkeyAction::Snapshot1) + 4).code, EXIT_FAILED); // empty slot

    // The same through the requests the command line sends.
    PanelRequest step{RequestVerb::Step, "", 0, 0, 3.0, false};
    RequestAnswer answer = p.requests.runText(encodeRequest(step));
    EXPECT_EQ(answer.code, EXIT_DONE);
    EXPECT_EQ(answer.text, "Outputs 3-4 are at -3.0 dB.");
    EXPECT_EQ(p.requests.run(PanelRequest{RequestVerb::Dim, "", 2, 0, 0.0, false}).code, EXIT_DONE);
    EXPECT_EQ(p.unitStep(3), 81);
    EXPECT_EQ(p.requests.run(PanelRequest{RequestVerb::Dim, "", 3, 0, 0.0, false}).code, EXIT_USAGE);
    EXPECT_EQ(p.requests.run(PanelRequest{RequestVerb::Step, "", 0, 0, 0.1, true}).code, EXIT_USAGE);
    EXPECT_EQ(p.requests.run(PanelRequest{RequestVerb::MuteAll, "", 0, 0, 0.0, true}).text, "All outputs are muted.");
}

TEST(Hotkeys, TheTextBesideTheRecordKeepsEveryBindingAndOptionAndRefusesWhatCannotBeAHotkey) {
    HotkeySettings s;
    EXPECT_EQ(s.actionOf(KeyCombo{MOD_KEY_CTRL, 0x26}), -1); // nothing bound by default
    ASSERT_TRUE(readKeyCombo("Ctrl+Alt+Up", s.bindings[0]));
    ASSERT_TRUE(readKeyCombo("Ctrl+Num Plus", s.bindings[2]));
    ASSERT_TRUE(readKeyCombo("Volume Mute", s.bindings[4]));
    ASSERT_TRUE(readKeyCombo("Ctrl+Shift+Win+F13", s.bindings[14]));
    s.pair = 4;
    s.dimDb = 6;
    s.coarseHalfDb = 5;
    s.onScreen = false;
    EXPECT_EQ(hotkeySettingsProblem(s), "");
    const std::string text = writeHotkeyText(s);
    EXPECT_NE(text.find("volume-up=Ctrl+Alt+Up\n"), std::string::npos);
    EXPECT_NE(text.find("coarse-db=2.5\n"), std::string::npos);
    HotkeySettings back;
    std::string problem;
    ASSERT_TRUE(readHotkeyText(text, back, problem)) << problem;
    EXPECT_EQ(writeHotkeyText(back), text);
    EXPECT_EQ(back.actionOf(KeyCombo{MOD_KEY_CTRL | MOD_KEY_ALT, 0x26}), 0);

    // Lines that cannot be read are named and skipped; the rest is kept.
    EXPECT_FALSE(readHotkeyText("pair=5\ndim-db=41\nmute=A\ndim=Ctrl+Alt+Up\nvolume-up=Ctrl+Alt+Up\n"
                                "volume-down=Ctrl+Alt+Up\nsnapshot-9=F1\nmute-all=Hyper+F1\n",
                                back, problem));
    EXPECT_EQ(back.pair, 1);
    EXPECT_EQ(back.dimDb, 20);
    EXPECT_EQ(back.actionOf(KeyCombo{MOD_KEY_CTRL | MOD_KEY_ALT, 0x26}), int(HotkeyAction::DimToggle));
    EXPECT_FALSE(back.bindings[4].bound());
    EXPECT_NE(problem.find("mute=A"), std::string::npos);

    HotkeySettings twice;
    twice.bindings[0] = twice.bindings[5] = KeyCombo{MOD_KEY_CTRL | MOD_KEY_ALT, 'D'};
    EXPECT_EQ(hotkeySettingsProblem(twice), "Ctrl+Alt+D is bound to both Volume up 0.5 dB and Dim on/off.");
    EXPECT_NE(keyComboProblem(KeyCombo{MOD_KEY_SHIFT, 'A'}), "");
    EXPECT_EQ(keyComboProblem(KeyCombo{0, 0xAF}), "");
}

TEST(Hotkeys, TheCommandLineTakesStepsDimAndMuteAllAsTheRunningPanelChecksThem) {
    auto parse = [](std::vector<std::string> args) { return parseCommandLine(args); };
    ParsedCommandLine up = parse({"--step", "up"});
    ASSERT_TRUE(up.ok) << up.message;
    EXPECT_TRUE(up.request.on);
    EXPECT_EQ(up.request.db, 0.5);
    ParsedCommandLine down = parse({"--step", "down", "2.7"});
    ASSERT_TRUE(down.ok) << down.message;
    EXPECT_EQ(down.request.db, 2.5);
    EXPECT_FALSE(parse({"--step", "down", "0"}).ok);
    EXPECT_FALSE(parse({"--step", "down", "nan"}).ok);
    EXPECT_FALSE(parse({"--step", "sideways"}).ok);
    EXPECT_EQ(parse({"--dim", "toggle"}).request.value, 2);
    EXPECT_FALSE(parse({"--dim", "half"}).ok);
    EXPECT_TRUE(parse({"--mute-all", "on"}).request.on);
    EXPECT_FALSE(parse({"--mute-all", "yes"}).ok);
    EXPECT_TRUE(requestChangesUnit(RequestVerb::Dim));
    // What the command line sends reads back as the same request.
    PanelRequest read;
    ASSERT_TRUE(decodeRequest(encodeRequest(down.request), read));
    EXPECT_EQ(read.verb, RequestVerb::Step);
    EXPECT_EQ(describeRequest(read), "step down 2.5 dB");
}

} // namespace
} // namespace velmora

namespace velmora {
namespace {

TEST(OnScreenLevel, GoesToTheCornerOfTheNotificationAreaWhereverTheTaskbarIs) {
    const ScreenRect monitor{1920, 0, 3200, 1024};
    auto at = [&](ScreenRect work) {
        const ScreenPoint p = onScreenLevelPlace(monitor, work, 200, 40);
        return std::make_pair(p.x, p.y);
    };
    EXPECT_EQ(at({1920, 0, 3200, 984}), std::make_pair(2988, 932));   // bottom
    EXPECT_EQ(at({1920, 40, 3200, 1024}), std::make_pair(2988, 52));  // top
    EXPECT_EQ(at({1980, 0, 3200, 1024}), std::make_pair(1992, 972));  // left
    EXPECT_EQ(at({1920, 0, 3140, 1024}), std::make_pair(2928, 972));  // right
}

} // namespace
} // namespace velmora
