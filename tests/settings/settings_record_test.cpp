// The record's defaults, blank state and rate rule, checked against the
// documented byte layout rather than the struct's own fields.
#include "settings/PanelSettings.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

using namespace velmora;

namespace {

using Bytes = std::array<uint8_t, PANEL_SETTINGS_SIZE>;

Bytes bytesOf(const PanelSettings& r) {
    Bytes b;
    std::memcpy(b.data(), &r, b.size());
    return b;
}

void putLe32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

// The defaults as documented, written out byte by byte.
Bytes documentedDefaults() {
    Bytes b{};
    for (int i = 0; i < 8; ++i) b[i] = 0x7F;
    for (int i = 16; i < 20; ++i) b[i] = 1;
    putLe32(b, 24, 1);
    putLe32(b, 28, 44100);
    putLe32(b, 40, 18);
    putLe32(b, 44, 8);
    putLe32(b, 348, 4);
    return b;
}

} // namespace

TEST(PanelSettingsDefaults, MatchTheDocumentedBytesAndOverwriteEverything) {
    PanelSettings r;
    std::memset(&r, 0xA5, sizeof r); // leftovers of a previous record
    makeDefaultSettings(r);
    const Bytes got = bytesOf(r);
    const Bytes want = documentedDefaults();
    for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(got[i], want[i]) << "byte " << i;
    // Versions (48..247) and the panel version (248..255) stay zero without a unit.
    for (size_t i = 48; i < 256; ++i) ASSERT_EQ(got[i], 0) << "byte " << i;
    EXPECT_TRUE(isValidSampleRate(r.sampleRate));
    EXPECT_FALSE(isBlank(r));
}

TEST(PanelSettingsBlank, EveryByteFFAndNothingElse) {
    PanelSettings r;
    makeBlank(r);
    for (uint8_t b : bytesOf(r)) ASSERT_EQ(b, 0xFF);
    EXPECT_TRUE(isBlank(r));
    // Blank fields read as -1 and as no valid rate.
    EXPECT_EQ(r.sampleRate, -1);
    EXPECT_EQ(r.clockStatus, -1);
    EXPECT_FALSE(isValidSampleRate(r.sampleRate));

    // One byte other than 0xFF anywhere, the last one included, ends the blank state.
    for (size_t at : {size_t(0), size_t(23), size_t(200), size_t(PANEL_SETTINGS_SIZE - 1)}) {
        PanelSettings one;
        makeBlank(one);
        reinterpret_cast<uint8_t*>(&one)[at] = 0xFE;
        EXPECT_FALSE(isBlank(one)) << "byte " << at;
    }
}

TEST(PanelSettingsRates, OnlyTheFourRatesAreValid) {
    for (int32_t rate : {44100, 48000, 88200, 96000}) EXPECT_TRUE(isValidSampleRate(rate)) << rate;
    for (int32_t rate : {0, -1, 22050, 32000, 44099, 44101, 176400, 192000, 96001, INT32_MIN, INT32_MAX})
        EXPECT_FALSE(isValidSampleRate(rate)) << rate;
}

TEST(PanelSettingsVersion, PanelVersionIsOneSixAtItsOffsets) {
    PanelSettings r;
    makeDefaultSettings(r);
    setPanelVersion(r);
    const Bytes b = bytesOf(r);
    EXPECT_EQ(b[248], 1);
    EXPECT_EQ(b[252], 6);
    for (size_t i : {249, 250, 251, 253, 254, 255}) EXPECT_EQ(b[i], 0);
}
