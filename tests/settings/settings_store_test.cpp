// Loading and saving through a store: the size rule, the rate rule and the
// rule that a blank record never replaces what is stored.
#include "settings/MemorySettingsStore.h"
#include "tests/support/SettingsRecords.h"
#include "settings/SettingsRepair.h"
#include "settings/SettingsStore.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace velmora;

namespace {

using velmora_testing::bytesOf;

using velmora_testing::defaults;

// A record a user could have stored: nothing of it equals the defaults.
PanelSettings userRecord() {
    PanelSettings r = defaults();
    for (int i = 0; i < 8; ++i) { r.outVolume[i] = uint8_t(20 + i); r.outMute[i] = uint8_t(i & 1); }
    r.outLink[0] = 0; r.outLink[2] = 0;
    r.digitalOutSelector = 2;
    r.cpldMixOutSel = 1;
    r.cpldDigitalMon = 1;
    r.sampleRate = 96000;
    r.outputLevel = 1;
    r.digitalFormat = 1;
    r.latency = 6;
    std::strcpy(r.firmwareVersion.text, "2.3.4");
    return r;
}

bool allZero(const PanelSettings& r) {
    for (uint8_t b : bytesOf(r)) if (b != 0) return false;
    return true;
}

} // namespace

TEST(LoadSettings, ReadsExactlyOneWholeRecord) {
    const PanelSettings stored = userRecord();
    MemorySettingsStore store(bytesOf(stored));
    PanelSettings r;
    std::memset(&r, 0x5A, sizeof r);
    ASSERT_TRUE(loadSettings(store, r));
    EXPECT_EQ(bytesOf(r), bytesOf(stored));
    EXPECT_EQ(store.writeCount(), 0);
}

TEST(LoadSettings, WrongSizeMissingOrUnreadableLeavesTheRecordZero) {
    std::vector<uint8_t> good = bytesOf(userRecord());
    std::vector<uint8_t> shortValue(good.begin(), good.end() - 1);
    std::vector<uint8_t> longValue = good;
    longValue.push_back(0);

    struct Case { const char* what; MemorySettingsStore store; };
    Case cases[] = {
        {"351 bytes", MemorySettingsStore(shortValue)},
        {"353 bytes", MemorySettingsStore(longValue)},
        {"empty value", MemorySettingsStore(std::vector<uint8_t>{})},
        {"704 bytes", MemorySettingsStore(std::vector<uint8_t>(704, 0x11))},
        {"no value", MemorySettingsStore()},
        {"unreadable", MemorySettingsStore(good)},
    };
    cases[5].store.failReads(true);
    for (Case& c : cases) {
        PanelSettings r;
        std::memset(&r, 0x5A, sizeof r);
        EXPECT_FALSE(loadSettings(c.store, r)) << c.what;
        EXPECT_TRUE(allZero(r)) << c.what;
    }
}

TEST(LoadSettingsOrDefaults, AnyUnusableStoredValueYieldsTheWholeDefaults) {
    PanelSettings badRate = userRecord();
    badRate.sampleRate = 22050;
    PanelSettings blank;
    makeBlank(blank);
    std::vector<uint8_t> good = bytesOf(userRecord());

    struct Case { const char* what; std::vector<uint8_t> value; };
    Case cases[] = {
        {"rate 22050", bytesOf(badRate)},
        {"all 0xFF", bytesOf(blank)},
        {"all zero", std::vector<uint8_t>(352, 0)},
        {"351 bytes", std::vector<uint8_t>(good.begin(), good.end() - 1)},
        {"353 bytes", [&] { auto v = good; v.push_back(0x7F); return v; }()},
    };
    const std::vector<uint8_t> want = bytesOf(defaults());
    for (Case& c : cases) {
        MemorySettingsStore store(c.value);
        EXPECT_EQ(bytesOf(loadSettingsOrDefaults(store)), want) << c.what;
    }
    MemorySettingsStore none;
    EXPECT_EQ(bytesOf(loadSettingsOrDefaults(none)), want) << "no value";
}

TEST(LoadSettingsOrDefaults, ASoundRecordComesBackAsStoredADamagedFieldTakesItsDefault) {
    PanelSettings stored = userRecord();
    for (int32_t rate : {44100, 48000, 88200, 96000}) {
        stored.sampleRate = rate;
        MemorySettingsStore store(bytesOf(stored));
        EXPECT_EQ(bytesOf(loadSettingsOrDefaults(store)), bytesOf(stored)) << rate;
    }

    // Each damaged field alone: it reads back as its default, and every
    // other byte of the user's record is kept.
    const PanelSettings d = defaults();
    struct Damage {
        const char* what;
        void (*damage)(PanelSettings&);
        void (*expect)(PanelSettings&, const PanelSettings&);
    };
    const Damage cases[] = {
        {"volume 200", [](PanelSettings& r) { r.outVolume[2] = 200; },
         [](PanelSettings& r, const PanelSettings& d) {
             r.outVolume[2] = d.outVolume[2];
             r.outMute[2] = 1;
         }},
        {"mute 0xFF", [](PanelSettings& r) { r.outMute[6] = 0xFF; },
         [](PanelSettings& r, const PanelSettings& d) { r.outMute[6] = d.outMute[6]; }},
        {"link 2", [](PanelSettings& r) { r.outLink[1] = 2; },
         [](PanelSettings& r, const PanelSettings& d) { r.outLink[1] = d.outLink[1]; }},
        {"selector 255", [](PanelSettings& r) { r.digitalOutSelector = 255; },
         [](PanelSettings& r, const PanelSettings& d) { r.digitalOutSelector = d.digitalOutSelector; }},
        {"MIX 7", [](PanelSettings& r) { r.cpldMixOutSel = 7; },
         [](PanelSettings& r, const PanelSettings& d) { r.cpldMixOutSel = d.cpldMixOutSel; }},
        {"MON 0xFF", [](PanelSettings& r) { r.cpldDigitalMon = 0xFF; },
         [](PanelSettings& r, const PanelSettings& d) { r.cpldDigitalMon = d.cpldDigitalMon; }},
        {"clock -1", [](PanelSettings& r) { r.clockStatus = -1; },
         [](PanelSettings& r, const PanelSettings& d) { r.clockStatus = d.clockStatus; }},
        {"level 2", [](PanelSettings& r) { r.outputLevel = 2; },
         [](PanelSettings& r, const PanelSettings& d) { r.outputLevel = d.outputLevel; }},
        {"format -1", [](PanelSettings& r) { r.digitalFormat = -1; },
         [](PanelSettings& r, const PanelSettings& d) { r.digitalFormat = d.digitalFormat; }},
        {"inputs 0", [](PanelSettings& r) { r.inputChannels = 0; },
         [](PanelSettings& r, const PanelSettings& d) { r.inputChannels = d.inputChannels; }},
        {"latency 9", [](PanelSettings& r) { r.latency = 9; },
         [](PanelSettings& r, const PanelSettings& d) { r.latency = d.latency; }},
    };
    for (const Damage& c : cases) {
        PanelSettings damaged = userRecord();
        c.damage(damaged);
        PanelSettings want = userRecord();
        c.expect(want, d);
        MemorySettingsStore store(bytesOf(damaged));
        EXPECT_EQ(bytesOf(loadSettingsOrDefaults(store)), bytesOf(want)) << c.what;
    }
}

TEST(LoadSettingsOrDefaults, AnOutputWithADamagedVolumeIsMutedAtTheDefaultVolume) {
    const PanelSettings d = defaults();
    PanelSettings stored = userRecord(); // outputs 2, 4, 6, 8 muted
    const uint8_t volumes[8] = {200, 0, 140, 127, 128, 126, 20, 255};
    std::memcpy(stored.outVolume, volumes, sizeof volumes);
    stored.outMute[4] = 7; // damaged as well
    stored.latency = 0;
    MemorySettingsStore store(bytesOf(stored));
    RecordRepair repair;
    const PanelSettings got = loadSettingsOrDefaults(store, &repair);

    PanelSettings want = stored;
    for (int output : {0, 2, 4, 7}) {
        want.outVolume[output] = d.outVolume[output];
        want.outMute[output] = 1;
    }
    want.latency = d.latency;
    EXPECT_EQ(bytesOf(got), bytesOf(want));
    EXPECT_EQ(repair.mutedOutputs, 0x95);
    EXPECT_EQ(repair.fields, uint32_t(REPAIRED_VOLUME | REPAIRED_MUTE | REPAIRED_LATENCY));

    // A record that gives the defaults reports no repair.
    MemorySettingsStore shortValue(std::vector<uint8_t>(351, 0x11));
    loadSettingsOrDefaults(shortValue, &repair);
    EXPECT_TRUE(!repair.any() && repair.mutedOutputs == 0);
}

TEST(SaveSettings, WritesTheRecordAndABlankRecordNeverReplacesIt) {
    MemorySettingsStore store;
    const PanelSettings user = userRecord();
    EXPECT_EQ(saveSettings(store, user), SaveResult::Written);
    EXPECT_EQ(store.value(), bytesOf(user));

    PanelSettings blank;
    makeBlank(blank);
    EXPECT_EQ(saveSettings(store, blank), SaveResult::SkippedBlank);
    EXPECT_EQ(store.writeCount(), 1);
    EXPECT_EQ(store.value(), bytesOf(user));

    // The stored settings survive a run that never saw a unit.
    PanelSettings back;
    ASSERT_TRUE(loadSettings(store, back));
    EXPECT_EQ(bytesOf(back), bytesOf(user));

    // Nothing stored yet: a blank save still writes nothing.
    MemorySettingsStore empty;
    EXPECT_EQ(saveSettings(empty, blank), SaveResult::SkippedBlank);
    EXPECT_FALSE(empty.hasValue());
}

TEST(SaveSettings, AFailedWriteIsReportedAsFailed) {
    MemorySettingsStore store(bytesOf(defaults()));
    store.failWrites(true);
    EXPECT_EQ(saveSettings(store, userRecord()), SaveResult::Failed);
    EXPECT_EQ(store.value(), bytesOf(defaults()));
}

TEST(SaveSettings, NearlyBlankRecordsAreWritten) {
    // A record with a single byte other than 0xFF is a real record.
    PanelSettings r;
    makeBlank(r);
    r.latency = 4;
    MemorySettingsStore store;
    EXPECT_EQ(saveSettings(store, r), SaveResult::Written);
    EXPECT_EQ(store.value(), bytesOf(r));
}
