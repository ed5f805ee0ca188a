// Snapshots stored and recalled through the requests, against a whole panel
// and the device model: the unit's registers and the stored record are the
// oracle for what a recall claims.
#include "app/PanelRequests.h"
#include "app/Snapshots.h"
#include "tests/app/PanelHarness.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using namespace testing_app;

int unitStep(const Unit& unit, int output) { return unit.model.codec[VOLUME_REGISTER[output - 1]] & 0x7F; }

PanelRequest snapshotRequest(RequestVerb verb, int slot, const std::string& name = "") {
    PanelRequest r;
    r.verb = verb;
    r.value = slot;
    r.file = name;
    return r;
}

TEST(Snapshots, AStoredSnapshotRecalledGivesTheUnitItsSettingsAndIsSavedAsTheRecord) {
    Panel panel;
    Unit unit;
    panel.arrive(unit);
    PanelRequests requests(panel.core, &panel.store);
    PanelCommands commands(panel.core);
    ASSERT_TRUE(commands.setVolumeDb(3, -12.0).done());
    ASSERT_TRUE(commands.setSampleRate(96000).done());
    EXPECT_EQ(requests.run(snapshotRequest(RequestVerb::Store, 2, "Mischen ü")).code, EXIT_DONE);
    Snapshots snapshots(panel.core, &panel.store);
    EXPECT_EQ(snapshots.currentSlot(), 2);

    ASSERT_TRUE(commands.setVolumeDb(3, -40.0).done());
    ASSERT_TRUE(commands.setSampleRate(44100).done());
    EXPECT_EQ(snapshots.currentSlot(), 0);
    // By name and by number; the unit's registers hold the stored settings.
    const RequestAnswer recalled = requests.run(snapshotRequest(RequestVerb::Recall, 0, "Mischen ü"));
    EXPECT_EQ(recalled.code, EXIT_DONE) << recalled.text;
    EXPECT_EQ(unitStep(unit, 3), 103);
    EXPECT_EQ(unit.model.config[0], 96000);
    EXPECT_EQ(panel.stored().outVolume[2], 103);
    EXPECT_EQ(snapshots.currentSlot(), 2);
    EXPECT_EQ(snapshots.names()[1], "Mischen ü");

    // Unknown names, empty slots and bad names are refused without a change.
    EXPECT_EQ(requests.run(snapshotRequest(RequestVerb::Recall, 0, "Tracking")).code, EXIT_FAILED);
    EXPECT_EQ(requests.run(snapshotRequest(RequestVerb::Recall, 5)).code, EXIT_FAILED);
    EXPECT_EQ(requests.run(snapshotRequest(RequestVerb::Store, 9, "x")).code, EXIT_USAGE);
    EXPECT_EQ(requests.run(snapshotRequest(RequestVerb::Store, 1, std::string(25, 'a'))).code, EXIT_USAGE);
    EXPECT_EQ(requests.run(snapshotRequest(RequestVerb::Store, 1, "bad\xC3")).code, EXIT_USAGE);
    std::string text;
    EXPECT_FALSE(panel.store.readText("Snapshot1", text));
}

TEST(Snapshots, TheChannelNamesTravelWithASnapshotAndAnOlderSlotLeavesThem) {
    Panel panel;
    Unit unit;
    panel.arrive(unit);
    PanelRequests requests(panel.core, &panel.store);
    int told = 0;
    requests.onNamesChanged([&](const ChannelNames&) { ++told; });
    ChannelNames named;
    ASSERT_TRUE(named.set(ChannelKind::Output, 3, "Kopfhörer"));
    ASSERT_TRUE(named.set(ChannelKind::Input, 1, "Kick"));
    ASSERT_TRUE(saveChannelNames(panel.store, named));
    ASSERT_EQ(requests.run(snapshotRequest(RequestVerb::Store, 4, "Mix")).code, EXIT_DONE);
    // A slot written before snapshots carried names: the settings alone.
    ASSERT_TRUE(panel.store.writeText("Snapshot5", "Old\n" + writePreset(panel.core.settings(), PRESET_NO_CLOCK_MODE)));

    const ChannelNames renamed;
    ASSERT_TRUE(saveChannelNames(panel.store, renamed));
    ASSERT_EQ(requests.run(snapshotRequest(RequestVerb::Recall, 4)).code, EXIT_DONE);
    ChannelNames stored;
    std::string problem;
    ASSERT_TRUE(loadChannelNames(panel.store, stored, problem));
    EXPECT_EQ(stored, named);
    EXPECT_EQ(told, 1);
    ASSERT_EQ(requests.run(snapshotRequest(RequestVerb::Recall, 4)).code, EXIT_DONE);
    EXPECT_EQ(told, 1) << "the same names again are no change";

    ASSERT_TRUE(saveChannelNames(panel.store, renamed));
    ASSERT_EQ(requests.run(snapshotRequest(RequestVerb::Recall, 5)).code, EXIT_DONE);
    ASSERT_TRUE(loadChannelNames(panel.store, stored, problem));
    EXPECT_EQ(stored, renamed);
    EXPECT_EQ(told, 1);
}

TEST(Snapshots, ADamagedSlotIsRefusedByNumberAndChangesNothing) {
    Panel panel;
    Unit unit;
    panel.arrive(unit);
    PanelRequests requests(panel.core, &panel.store);
    ASSERT_EQ(requests.run(snapshotRequest(RequestVerb::Store, 3, "Live")).code, EXIT_DONE);
    std::string good;
    ASSERT_TRUE(panel.store.readText("Snapshot3", good));
    const PanelSettings before = panel.core.settings();
    std::string badLatency = good;
    const size_t latency = badLatency.find("\"latency\"");
    ASSERT_NE(latency, std::string::npos);
    badLatency[badLatency.find_first_of("0123456789", latency)] = '9';
    for (const std::string& damaged : {std::string("garbage"), std::string("Live\n{\"format\": 1"), badLatency,
                                       std::string("\n") + good.substr(good.find('\n') + 1)}) {
        panel.store.writeText("Snapshot3", damaged);
        const RequestAnswer answer = requests.run(snapshotRequest(RequestVerb::Recall, 3));
        EXPECT_EQ(answer.code, EXIT_FAILED);
        EXPECT_EQ(answer.text.rfind("Snapshot 3 is damaged: ", 0), 0u) << answer.text;
        EXPECT_EQ(std::memcmp(&before, &panel.core.settings(), sizeof before), 0);
    }
}

TEST(Snapshots, WhatTheUnitRefusesIsNamedAndTheRestIsKept) {
    Panel panel;
    Unit unit;
    panel.arrive(unit);
    PanelRequests requests(panel.core, &panel.store);
    PanelCommands commands(panel.core);
    ASSERT_TRUE(commands.setVolumeDb(1, -20.0).done());
    ASSERT_TRUE(commands.setLatency(2).done());
    ASSERT_EQ(requests.run(snapshotRequest(RequestVerb::Store, 1, "Tracking")).code, EXIT_DONE);
    ASSERT_TRUE(commands.setVolumeDb(1, 0.0).done());
    ASSERT_TRUE(commands.setLatency(5).done());

    vm_inject_fault(&unit.model, VM_IOCTL_COMMAND, 14, VM_FAULT_FAIL, 1); // the latency
    const RequestAnswer answer = requests.run(snapshotRequest(RequestVerb::Recall, 1));
    EXPECT_EQ(answer.code, EXIT_FAILED);
    EXPECT_NE(answer.text.find("setLatency"), std::string::npos) << answer.text;
    EXPECT_EQ(unitStep(unit, 1), 87);
    EXPECT_EQ(panel.stored().outVolume[0], 87);
    EXPECT_EQ(unit.model.latency, 5u);
}

} // namespace
} // namespace velmora
