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
        {edit("\"version\": 1", "\"version\": 2"), "version"},
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
