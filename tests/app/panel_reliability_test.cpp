// What happens while a message box of the panel is open: the unit can be
// unplugged (and plugged again), timers and queued input keep coming. No
// operation touches a unit that left, the master stays as the removal saved
// it, queued input is not taken, and the store always holds a whole record
// that is either the old or the new one.
#include "app/DiagnosticsLog.h"
#include "tests/app/PanelHarness.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace velmora {
namespace {

using namespace testing_app;

constexpr int32_t CMD_WRITE_CPLD = 5;

// A panel with a unit whose model can be unplugged (and freed) while a box
// is open, as the listener would release it.
struct Session {
    Session() {
        user = defaults();
        user.outVolume[0] = 90;
        user.outVolume[1] = 90;
        panel.storeRecord(user);
        unit = std::make_unique<Unit>("0001");
        panel.arrive(*unit);
        accepted = panel.stored();
    }
    void fail(uint32_t code, int32_t command, uint32_t count) {
        ASSERT_TRUE(vm_inject_fault(&unit->model, code, command, VM_FAULT_FAIL, count));
    }
    // At the first failure box: the unit is pulled out and freed; with `replug` a
    // new unit with the same serial arrives before the box is closed.
    void unplugAtFirstBox(bool replug) {
        panel.view.whileBoxOpen = [this, replug](const std::string& text) {
            if (!unit || text == PanelCore::FACTORY_DEFAULT_QUESTION) return;
            panel.remove(*unit);
            storedAtRemoval = panel.stored();
            unit.reset(); // the listener's release frees it: any later use is caught
            if (replug) {
                again = std::make_unique<Unit>("0001");
                panel.arrive(*again);
            }
        };
    }

    PanelSettings user;
    PanelSettings accepted; // the user's record as the arrival stored it
    Panel panel;
    std::unique_ptr<Unit> unit;
    std::unique_ptr<Unit> again;
    PanelSettings storedAtRemoval;
};

TEST(UnitLeavesDuringABox, EveryOperationStopsAndLeavesTheMasterAsTheRemovalSavedIt) {
    struct Action {
        const char* what;
        uint32_t code;
        int32_t command;
        uint32_t failures;
        std::function<void(Panel&)> run;
    };
    const Action actions[] = {
        {"MON", VM_IOCTL_COMMAND, CMD_WRITE_CPLD, 1, [](Panel& p) {
             PanelSettings c = p.control->records.back();
             c.cpldDigitalMon = 1;
             p.core.applyMixer(c);
         }},
        {"fader", VM_IOCTL_RAW_WRITE, VM_ANY_COMMAND, 2, [](Panel& p) {
             PanelSettings c = p.control->records.back();
             c.outVolume[0] = c.outVolume[1] = 80;
             p.pageChangesVolumes(c);
         }},
        {"Factory Default", VM_IOCTL_RAW_WRITE, VM_ANY_COMMAND, 8,
         [](Panel& p) { p.core.onCommand(CMD_FACTORY_DEFAULT); }},
        {"output level", VM_IOCTL_RAW_WRITE, VM_ANY_COMMAND, 8,
         [](Panel& p) { p.core.onCommand(ID_LEVEL_UNBALANCED); }},
    };
    for (const Action& action : actions) {
        for (bool replug : {false, true}) {
            SCOPED_TRACE(std::string(action.what) + (replug ? ", plugged again" : ", unplugged"));
            Session s;
            Panel& panel = s.panel;
            ASSERT_TRUE(panel.view.errors.empty());
            s.fail(action.code, action.command, action.failures);
            s.unplugAtFirstBox(replug);

            action.run(panel);

            // One box for the unit that left, none after it.
            EXPECT_EQ(panel.view.errors.size(), 1u);
            // The removal saved the record the unit had; nothing overwrote it.
            EXPECT_EQ(bytesOf(s.storedAtRemoval), bytesOf(s.accepted));
            if (!replug) {
                EXPECT_TRUE(isBlank(panel.core.settings()));
                EXPECT_EQ(bytesOf(panel.stored()), bytesOf(s.accepted));
                continue;
            }
            // The new unit came up with the stored record, and the page, the
            // master and the store say what it has.
            ASSERT_EQ(panel.core.currentDevice(), s.again->device);
            expectUnitHolds(s.again->model, s.user);
            EXPECT_EQ(bytesOf(panel.control->records.back()), bytesOf(panel.core.settings()));
            EXPECT_EQ(bytesOf(panel.stored()), bytesOf(panel.core.settings()));
        }
    }
}

TEST(UnitLeavesDuringABox, FactoryDefaultQuestionAnsweredAfterTheUnitLeftSendsNothing) {
    Session s;
    s.panel.view.whileBoxOpen = [&s](const std::string&) {
        s.panel.remove(*s.unit);
        s.unit.reset();
    };
    s.panel.core.onCommand(CMD_FACTORY_DEFAULT);
    EXPECT_EQ(s.panel.view.questions.size(), 1u);
    EXPECT_TRUE(s.panel.view.errors.empty());
    EXPECT_EQ(bytesOf(s.panel.stored()), bytesOf(s.accepted));
}

// ---------------------------------------------------------------------------
// Input queued before a box is handled while it is open

TEST(InputDuringABox, QueuedChangesAreNotTakenAndPageStoreAndUnitAgree) {
    Unit unit;
    Panel panel;
    panel.arrive(unit);
    const PanelSettings start = panel.core.settings();

    // The first notch's frame fails; three more notches and a menu command
    // were queued behind it and come in while its box is open.
    vm_inject_fault(&unit.model, VM_IOCTL_RAW_WRITE, VM_ANY_COMMAND, VM_FAULT_FAIL, 1);
    int boxes = 0;
    panel.view.whileBoxOpen = [&](const std::string&) {
        ++boxes;
        for (uint8_t v : {125, 124, 123}) {
            PanelSettings notch = panel.control->records.back();
            notch.outVolume[3] = v;
            panel.pageChangesVolumes(notch);
        }
        panel.core.onCommand(CMD_RATE_96000);
        panel.core.onCommand(ID_LEVEL_UNBALANCED);
    };
    PanelSettings first = panel.control->records.back();
    first.outVolume[3] = 126;
    panel.pageChangesVolumes(first);

    EXPECT_EQ(boxes, 1);
    // The failed notch left output 3 at what the unit has; nothing queued
    // behind it was sent.
    EXPECT_EQ(unit.model.codec[VOLUME_REGISTER[3]], 0x80 | 127);
    EXPECT_EQ(unit.model.config[0], 44100);
    EXPECT_EQ(bytesOf(panel.core.settings()), bytesOf(start));
    EXPECT_EQ(bytesOf(panel.control->records.back()), bytesOf(start));
    EXPECT_EQ(bytesOf(panel.stored()), bytesOf(start));
    expectUnitHolds(unit.model, start);

    // Once the box is closed the same notch goes through.
    panel.view.whileBoxOpen = nullptr;
    panel.pageChangesVolumes(first);
    EXPECT_EQ(unit.model.codec[VOLUME_REGISTER[3]], 0x80 | 126);
    EXPECT_EQ(panel.stored().outVolume[3], 126);
}

// ---------------------------------------------------------------------------
// Write-ahead: the store gets the record before the unit does

TEST(WriteAhead, TheStoreHoldsTheNewRecordWhileItIsSentAndWhatTheUnitHasAfterwards) {
    Unit unit;
    Panel panel;
    panel.arrive(unit);
    // While the CPLD write is under way (its failure box shows), the store
    // already holds MON on; once the write has failed it is back to off.
    vm_inject_fault(&unit.model, VM_IOCTL_COMMAND, CMD_WRITE_CPLD, VM_FAULT_FAIL, 1);
    int storedWhileSending = -1;
    panel.view.whileBoxOpen = [&](const std::string&) { storedWhileSending = panel.stored().cpldDigitalMon; };
    PanelSettings mon = panel.control->records.back();
    mon.cpldDigitalMon = 1;
    panel.core.applyMixer(mon);
    EXPECT_EQ(storedWhileSending, 1);
    EXPECT_EQ(panel.stored().cpldDigitalMon, 0);
    EXPECT_EQ(panel.control->records.back().cpldDigitalMon, 0);

    // A latency chosen from the menu is stored at once; one the unit refuses
    // is taken back.
    panel.core.onCommand(CMD_LATENCY_FIRST + 5);
    EXPECT_EQ(panel.stored().latency, 6);
    EXPECT_EQ(unit.model.latency, 6u);
    vm_inject_fault(&unit.model, VM_IOCTL_COMMAND, VM_ANY_COMMAND, VM_FAULT_FAIL, 1);
    panel.core.onCommand(CMD_LATENCY_FIRST);
    EXPECT_EQ(panel.stored().latency, 6);
    EXPECT_EQ(panel.core.settings().latency, 6);
}

// ---------------------------------------------------------------------------
// A store that cannot be written

TEST(UnwritableStore, ThePanelGoesOnFromMemoryAndTellsTheUserOnce) {
    Unit unit;
    Panel panel;
    panel.storeRecord(defaults());
    panel.store.failWrites(true);
    panel.arrive(unit);
    PanelSettings change = panel.control->records.back();
    change.outMute[5] = 1;
    panel.pageChangesVolumes(change);
    change = panel.control->records.back();
    change.outVolume[2] = 50;
    panel.pageChangesVolumes(change);

    // The change is in effect on the unit and in the master, not reset.
    EXPECT_EQ(unit.model.codec[VOLUME_REGISTER[5]], 0x80);
    EXPECT_EQ(panel.core.settings().outVolume[2], 50);
    // Told once, from the window's loop, naming where the record lives.
    EXPECT_EQ(panel.view.noticesScheduled, 1);
    panel.core.onNotice();
    ASSERT_EQ(panel.view.notices.size(), 1u);
    EXPECT_NE(panel.view.notices[0].find("the settings store"), std::string::npos);
    EXPECT_TRUE(panel.view.errors.empty());
}

// ---------------------------------------------------------------------------
// Damaged stored records and values the unit reports

TEST(DamagedRecord, EachDamagedFieldIsSentAndShownAsItsDefault) {
    Unit unit;
    Panel panel;
    PanelSettings stored = defaults();
    stored.outVolume[0] = 100;
    stored.outVolume[6] = 200;
    stored.outMute[1] = 0xFF;
    stored.outputLevel = 2;
    stored.digitalOutSelector = 255;
    stored.cpldDigitalMon = 0xFF;
    stored.latency = 9;
    panel.storeRecord(stored);
    unit.model.digitalOutSelector = 2;

    panel.arrive(unit);

    PanelSettings want = stored;
    want.outVolume[6] = 127;
    want.outMute[6] = 1; // a damaged volume is never sent at 0.0 dB
    want.outMute[1] = 0;
    want.outputLevel = 0;
    want.digitalOutSelector = 0;
    want.cpldDigitalMon = 0;
    want.latency = 4;
    EXPECT_TRUE(panel.view.errors.empty());
    expectUnitHolds(unit.model, want);
    const PanelSettings shown = panel.control->records.back();
    EXPECT_EQ(shown.outVolume[0], 100);
    EXPECT_EQ(shown.outVolume[6], 127);
    EXPECT_EQ(shown.outMute[6], 1);
    EXPECT_EQ(shown.outputLevel, 0);
    EXPECT_EQ(shown.digitalOutSelector, 0);
    EXPECT_EQ(panel.stored().outputLevel, 0);

    // A latency the unit reports outside 1..6 is not stored.
    unit.model.latency = 7;
    panel.stateChanged(unit);
    panel.core.onStatusTimer();
    EXPECT_EQ(panel.core.settings().latency, 4);
    EXPECT_EQ(panel.stored().latency, 4);
}

TEST(DamagedRecord, DamagedVolumesArriveMutedAndTheUserIsToldOnceAfterTheArrival) {
    Unit unit;
    Panel panel;
    PanelSettings stored = defaults();
    const uint8_t volumes[8] = {200, 127, 140, 0, 128, 60, 127, 126};
    std::memcpy(stored.outVolume, volumes, sizeof volumes);
    stored.outMute[2] = 0xFF; // damaged too: muted all the same
    stored.latency = 9;
    panel.storeRecord(stored);
    // The damage stays in the store, so every arrival repairs it anew; and
    // the arrival shows a box of its own (the configuration is refused).
    panel.store.failWrites(true);
    vm_inject_fault(&unit.model, VM_IOCTL_COMMAND, 9, VM_FAULT_FAIL, 1);
    int scheduledWhileArrivalBox = -1;
    panel.view.whileBoxOpen = [&](const std::string&) { scheduledWhileArrivalBox = panel.view.noticesScheduled; };
    const std::string logPath = ::testing::TempDir() + "repair.log";
    std::remove(logPath.c_str());
    DiagnosticsLog log(logPath);
    panel.core.setEvents(&log);

    panel.arrive(unit);

    // The log tells it after the arrival's line.
    panel.core.setEvents(nullptr);
    std::stringstream logged;
    logged << std::ifstream(logPath).rdbuf();
    const std::string text = logged.str();
    const size_t repairLine = text.find(
        "the stored record was damaged; repaired: volume of outputs 1, 3, 5 (muted); an output's mute; the latency\n");
    ASSERT_NE(repairLine, std::string::npos) << text;
    EXPECT_LT(text.find("arrival "), repairLine) << text;

    PanelSettings want = stored;
    for (int output : {0, 2, 4}) {
        want.outVolume[output] = 127;
        want.outMute[output] = 1;
    }
    want.latency = 4;
    want.sampleRate = unit.model.config[0]; // the refused rate is not taken
    expectUnitHolds(unit.model, want);
    EXPECT_EQ(panel.control->records.back().outMute[4], 1);

    // Not a box inside the arrival: posted once it is over, and shown from
    // the window's loop in a box that counts as open.
    ASSERT_EQ(panel.view.errors.size(), 1u);
    EXPECT_EQ(scheduledWhileArrivalBox, 0);
    EXPECT_TRUE(panel.view.notices.empty());
    EXPECT_EQ(panel.view.noticesScheduled, 2); // the failed save, the repair
    bool boxCounted = false;
    panel.view.whileBoxOpen = [&](const std::string&) { boxCounted = panel.core.boxOpen(); };
    panel.core.onNotice();
    panel.core.onNotice();
    panel.core.onNotice(); // one callback too many shows nothing
    ASSERT_EQ(panel.view.notices.size(), 2u);
    EXPECT_TRUE(boxCounted);
    EXPECT_EQ(panel.view.notices[1],
              "Outputs 1, 3 and 5 had a damaged volume in your stored settings; they were muted. Set their volume "
              "on the Control page, then unmute them.\n\nAlso damaged and set back to the default: an output's "
              "mute and the latency.");

    // The same damage found again in this run is not told again.
    panel.remove(unit);
    panel.arrive(unit);
    EXPECT_EQ(panel.view.noticesScheduled, 2);
    EXPECT_EQ(unit.model.codec[VOLUME_REGISTER[2]], 0x80);
}

} // namespace
} // namespace velmora
