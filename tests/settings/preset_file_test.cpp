// Presets written and read back, and files that must be refused with the
// field that is wrong named and nothing read.
#include "settings/PresetFile.h"
#include "settings/SettingsRepair.h"
#include "tests/support/SettingsRecords.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace velmora;

namespace {

using velmora_testing::bytesOf;
using velmora_testing::defaults;

PanelSettings userRecord() {
    PanelSettings r = defaults();
    for (int i = 0; i < 8; ++i) r.outVolume[i] = uint8_t(127 - 9 * i);
    r.outMute[2] = 1;
    r.outLink[3] = 0;
    r.digitalOutSelector = 2;
    r.cpldMixOutSel = 1;
    r.cpldDigitalMon = 1;
    r.sampleRate = 88200;
    r.outputLevel = 1;
    r.digitalFormat = 1;
    r.latency = 6;
    return r;
}

// A base record as the master holds it: the unit's versions and counts.
PanelSettings unitBase() {
    PanelSettings r = defaults();
    std::strcpy(r.firmwareVersion.text, "2.1.3");
    r.inputChannels = 18;
    return r;
}

TEST(Preset, WrittenAndReadBackByNameOverTheUnitsOwnFields) {
    const std::string text = writePreset(userRecord(), 1);
    // Readable by a person: fields by name, volumes in dB beside the stored value.
    for (const char* part : {"\"sampleRate\": 88200", "\"clockMode\": \"Internal Only\"", "\"volumeDb\": -13.5",
                             "\"outputLevel\": \"-10dBv(Unbalanced)\"", "\"mix\": false", "\"7/8\": false"})
        EXPECT_NE(text.find(part), std::string::npos) << part;

    PanelSettings read;
    int32_t clock = -5;
    PresetError error;
    ASSERT_TRUE(readPreset(text, unitBase(), read, clock, error)) << error.text();
    PanelSettings want = userRecord();
    want.firmwareVersion = unitBase().firmwareVersion;
    EXPECT_EQ(bytesOf(read), bytesOf(want));
    EXPECT_EQ(clock, 1);

    // Without a known clock mode the field is left out, and reads as none.
    ASSERT_TRUE(readPreset(writePreset(userRecord(), PRESET_NO_CLOCK_MODE), unitBase(), read, clock, error));
    EXPECT_EQ(clock, PRESET_NO_CLOCK_MODE);
}

TEST(Preset, VersionTwoCarriesTheNamesAndVersionOneLeavesThem) {
    ChannelNames names;
    names.set(ChannelKind::Input, 18, "\xE3\x83\x9E\xE3\x82\xA4\xE3\x82\xAF"); // three characters
    names.set(ChannelKind::Output, 4, "Monitors \"L/R\"");
    PanelSettings read;
    int32_t clock = 0;
    PresetError error;
    PresetNames got;
    const std::string withNames = writePreset(userRecord(), 0, &names);
    ASSERT_TRUE(readPreset(withNames, unitBase(), read, clock, error, &got)) << error.text();
    EXPECT_TRUE(got.present);
    EXPECT_EQ(got.names, names);
    EXPECT_EQ(read.outVolume[3], 100);

    // Written without names: version 2 carrying none.
    got.present = true;
    ASSERT_TRUE(readPreset(writePreset(userRecord(), 0), unitBase(), read, clock, error, &got));
    EXPECT_FALSE(got.present);

    // A version 1 file (as older panels wrote it) loads and carries no names.
    std::string v1 = writePreset(userRecord(), 0);
    v1.replace(v1.find("\"version\": 2"), 12, "\"version\": 1");
    got.present = true;
    ASSERT_TRUE(readPreset(v1, unitBase(), read, clock, error, &got)) << error.text();
    EXPECT_FALSE(got.present);
    EXPECT_EQ(read.outVolume[3], 100);

    // A name that is no channel name refuses the whole file, naming the field.
    for (const auto& bad : {std::make_pair(std::string("Monitors \\\"L/R\\\""), std::string("Monitors\\u0007")),
                            std::make_pair(std::string("\"input\": 2"), std::string("\"input\": 3"))}) {
        std::string text = withNames;
        ASSERT_NE(text.find(bad.first), std::string::npos) << bad.first;
        text.replace(text.find(bad.first), bad.first.size(), bad.second);
        EXPECT_FALSE(readPreset(text, unitBase(), read, clock, error, &got));
        EXPECT_TRUE(error.field == "outputs[3].name" || error.field == "inputs[1].input") << error.text();
    }
    std::string tooLong = withNames;
    tooLong.replace(tooLong.find("Monitors"), 8, std::string(20, 'M'));
    EXPECT_FALSE(readPreset(tooLong, unitBase(), read, clock, error, &got));
    EXPECT_EQ(error.field, "outputs[3].name");
}

TEST(Preset, ABadFileIsRefusedNamingTheFieldAndNothingIsRead) {
    const std::string good = writePreset(userRecord(), 0);
    auto edit = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        const size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return at == std::string::npos ? text : text.replace(at, from.size(), to);
    };
    struct Case {
        std::string text;
        const char* field;
    };
    const Case cases[] = {
        {"{\"format\": ", "file"},
        {"[1, 2]", "file"},
        {std::string(PRESET_MAX_BYTES + 1, ' '), "file"},
        {edit("\"version\": 2", "\"version\": 3"), "version"},
        {edit("\"VelPanel settings\"", "\"Other\""), "format"},
        {edit("88200", "22050"), "sampleRate"},
        {edit("\"latency\": 6", "\"latency\": 0"), "latency"},
        {edit("\"clockMode\": \"Auto\"", "\"clockMode\": \"auto\""), "clockMode"},
        {edit("\"Professional\"", "\"Pro\""), "spdifFormat"},
        {edit("\"spdifOutput\": 2", "\"spdifOutput\": 4"), "spdifOutput"},
        {edit("\"monitor\": true", "\"monitor\": 1"), "monitor"},
        {edit("\"volume\": 100", "\"volume\": 200"), "outputs[3].volume"},
        {edit("\"volumeDb\": -13.5", "\"volumeDb\": -13.25"), "outputs[3].volumeDb"},
        {edit("\"volumeDb\": -13.5", "\"volumeDb\": -12.5"), "outputs[3].volumeDb"},
        {edit("\"output\": 4", "\"output\": 5"), "outputs[3].output"},
        {edit("\"mute\": true", "\"muted\": true"), "outputs[2].mute"},
        {edit("\"5/6\": true", "\"5-6\": true"), "linked.5/6"},
    };
    for (const Case& c : cases) {
        PanelSettings read;
        std::memset(&read, 0x5A, sizeof read);
        int32_t clock = 77;
        PresetError error;
        EXPECT_FALSE(readPreset(c.text, unitBase(), read, clock, error)) << c.field;
        EXPECT_EQ(error.field, c.field) << error.text();
        EXPECT_FALSE(error.reason.empty());
        EXPECT_EQ(read.outVolume[0], 0x5A) << c.field;
        EXPECT_EQ(clock, 77) << c.field;
    }
}

TEST(Preset, AVolumeMayBeGivenInDecibelsAlone) {
    std::string text = writePreset(userRecord(), 0);
    const std::string volume = "\"volume\": 100,";
    text.erase(text.find(volume), volume.size());
    PanelSettings read;
    int32_t clock = 0;
    PresetError error;
    ASSERT_TRUE(readPreset(text, unitBase(), read, clock, error)) << error.text();
    EXPECT_EQ(read.outVolume[3], 100);
    EXPECT_EQ(repairSettings(read), 0u);
}

} // namespace
