// Version texts, meter magnitudes and latency text bounds, decoded from raw
// driver values without any transport.
#include "device/DeviceCodecs.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace velmora {
namespace {

uint32_t pack(uint32_t a, uint32_t b, uint32_t c, uint32_t d) { return (a << 24) | (b << 16) | (c << 8) | d; }

TEST(VersionDecoding, DriverTextsForEveryReleaseKind) {
    struct Case { uint32_t major, minor, kind, number; const char* text; };
    const Case cases[] = {
        {1, 5, 2, 2, "1.05b2"}, {1, 5, 0, 0, "1.05d0"},  {1, 5, 3, 3, "1.05rc3"},
        {1, 5, 1, 1, "1.05a1"}, {1, 5, 4, 11, "1.05"},   {1, 5, 7, 1, "1.05d1"},
        {255, 255, 3, 255, "255.255rc255"}, {0, 0, 255, 0, "0.00d0"}, {12, 34, 4, 0, "12.34"},
    };
    for (const Case& c : cases) {
        VersionInfo v;
        std::memset(&v, 0xCC, sizeof v); // leftovers must not survive
        decodeDriverVersion(pack(c.major, c.minor, c.kind, c.number), v);
        SCOPED_TRACE(c.text);
        EXPECT_STREQ(v.text, c.text);
        EXPECT_EQ(v.major, int32_t(c.major));
        EXPECT_EQ(v.minor, int32_t(c.minor));
        EXPECT_EQ(v.third, int32_t(c.kind));
        EXPECT_EQ(v.fourth, int32_t(c.number));
        EXPECT_EQ(v.tag, 0x30);
        for (uint8_t b : v.name) EXPECT_EQ(b, 0);
        for (uint8_t b : v.reserved) EXPECT_EQ(b, 0);
        // Everything after the text's NUL is zero as well.
        for (size_t i = std::strlen(v.text); i < sizeof v.text; ++i) EXPECT_EQ(v.text[i], 0);
    }
}

TEST(VersionDecoding, FirmwareTextTagAndName) {
    VersionInfo v;
    std::memset(&v, 0xCC, sizeof v);
    decodeFirmwareVersion(pack(2, 1, 3, 0), v);
    EXPECT_STREQ(v.text, "2.1.3");
    EXPECT_EQ(v.tag, 0);
    EXPECT_EQ(v.fourth, 0);
    for (uint8_t b : v.name) EXPECT_EQ(b, 0);

    decodeFirmwareVersion(pack(10, 200, 7, 0x9A), v);
    EXPECT_STREQ(v.text, "10.200.7");
    EXPECT_EQ(v.tag, 0x9A);

    // A name that fills all 16 bytes keeps 15 characters and its NUL.
    const uint8_t name[16] = {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L', 'M', 'N', 'O', 'P'};
    setFirmwareName(v, name);
    EXPECT_EQ(std::string(v.name), "ABCDEFGHIJKLMNO");
}

TEST(MeterConversion, EveryByteBecomesTheMagnitudeOfItsSignedPeak) {
    uint8_t block[256];
    for (int i = 0; i < 256; ++i) block[i] = uint8_t(i);
    convertMeterLevels(block, sizeof block);
    for (int i = 0; i < 256; ++i) {
        // Oracle: the absolute value of the signed byte; -128 has no positive
        // counterpart in a byte and stays 0x80.
        const int magnitude = std::abs(int(int8_t(uint8_t(i))));
        EXPECT_EQ(block[i], uint8_t(magnitude)) << "byte " << i;
    }
    uint8_t examples[4] = {0xFF, 0x81, 0x80, 0x7F};
    convertMeterLevels(examples, 4);
    EXPECT_EQ(examples[0], 0x01);
    EXPECT_EQ(examples[1], 0x7F);
    EXPECT_EQ(examples[2], 0x80);
    EXPECT_EQ(examples[3], 0x7F);
}

TEST(LatencyText, LongTextIsCutTo255Characters) {
    DeviceRequest reply;
    std::memset(&reply, 'x', sizeof reply); // 256 text bytes without any NUL
    char text[256];
    std::memset(text, 0x55, sizeof text);
    copyLatencyText(reply, text);
    EXPECT_EQ(std::strlen(text), 255u);
    EXPECT_EQ(text[255], '\0');

    std::memset(&reply, 0, sizeof reply);
    std::memcpy(reply.data, "256 samples", 12);
    copyLatencyText(reply, text);
    EXPECT_STREQ(text, "256 samples");
}

} // namespace
} // namespace velmora
