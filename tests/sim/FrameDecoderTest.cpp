// The model's serial decoder against frames built by hand from the step
// table: the chips latch data on rising clock edges while select is low.
#include "ModelRequests.h"

#include <gtest/gtest.h>

#include <vector>

namespace velmora::test {
namespace {

// Output converter, channel 0, volume 127: register 4, data 0xFF.
const std::vector<uint8_t> kCodecReg4Data0xFF = {
    0xFF, 0x7F,
    0x5F, 0x7F, 0x1F, 0x3F, 0x5F, 0x7F,                         // 1 0 1
    0x1F, 0x3F, 0x1F, 0x3F, 0x5F, 0x7F, 0x1F, 0x3F, 0x1F, 0x3F, // 00100
    0x5F, 0x7F, 0x5F, 0x7F, 0x5F, 0x7F, 0x5F, 0x7F,
    0x5F, 0x7F, 0x5F, 0x7F, 0x5F, 0x7F, 0x5F, 0x7F,             // 0xFF
    0xFF,
};

// Output converter, channel 6, volume 0: register 11, data 0x80.
const std::vector<uint8_t> kCodecReg11Data0x80 = {
    0xFF, 0x7F,
    0x5F, 0x7F, 0x1F, 0x3F, 0x5F, 0x7F,                         // 1 0 1
    0x1F, 0x3F, 0x5F, 0x7F, 0x1F, 0x3F, 0x5F, 0x7F, 0x5F, 0x7F, // 01011
    0x5F, 0x7F, 0x1F, 0x3F, 0x1F, 0x3F, 0x1F, 0x3F,
    0x1F, 0x3F, 0x1F, 0x3F, 0x1F, 0x3F, 0x1F, 0x3F,             // 0x80
    0xFF,
};

// Digital-output interface, format "Professional": register 13, data 1.
const std::vector<uint8_t> kDitReg13Data1 = {
    0xFF, 0x7F,
    0x7C, 0x7D, 0x7C, 0x7D, 0x7E, 0x7F,                         // 0 0 1
    0x7C, 0x7D, 0x7E, 0x7F, 0x7E, 0x7F, 0x7C, 0x7D, 0x7E, 0x7F, // 01101
    0x7C, 0x7D, 0x7C, 0x7D, 0x7C, 0x7D, 0x7C, 0x7D,
    0x7C, 0x7D, 0x7C, 0x7D, 0x7C, 0x7D, 0x7E, 0x7F,             // 0x01
    0xFF,
};

// Builds a frame from bits as the step table gives them, for the variations
// the fixed examples do not cover.
enum class Chip { Codec, Dit };
std::vector<uint8_t> frameFromBits(Chip chip, const std::vector<int>& bits) {
    std::vector<uint8_t> steps = {0xFF, 0x7F};
    for (int b : bits) {
        if (chip == Chip::Codec) {
            steps.push_back(b ? 0x5F : 0x1F);
            steps.push_back(b ? 0x7F : 0x3F);
        } else {
            steps.push_back(b ? 0x7E : 0x7C);
            steps.push_back(b ? 0x7F : 0x7D);
        }
    }
    steps.push_back(0xFF);
    return steps;
}
std::vector<int> bitsOf(unsigned lead, unsigned address, unsigned data) {
    std::vector<int> bits;
    for (int i = 2; i >= 0; --i) bits.push_back((lead >> i) & 1);
    for (int i = 4; i >= 0; --i) bits.push_back((address >> i) & 1);
    for (int i = 7; i >= 0; --i) bits.push_back((data >> i) & 1);
    return bits;
}

// A well-formed frame with one clock pulse of the other chip slipped in
// before select rises.
std::vector<uint8_t> withDitPulse(std::vector<uint8_t> steps) {
    steps.insert(steps.end() - 1, {0x7C, 0x7D});
    return steps;
}

class FrameDecoder : public ::testing::Test {
protected:
    void SetUp() override { vm_init(&m); }

    void write(const std::vector<uint8_t>& steps) {
        Exchange e = rawWrite(m, steps.data(), uint32_t(steps.size()));
        ASSERT_TRUE(e.ok);
        ASSERT_EQ(e.returned, steps.size());
    }
    void expectRegistersUntouched() {
        for (int i = 0; i < VM_REGISTERS; ++i) {
            EXPECT_EQ(m.codec[i], 0) << "codec register " << i;
            EXPECT_EQ(m.dit[i], 0) << "dit register " << i;
        }
    }

    VelmoraModel m;
};

TEST_F(FrameDecoder, WellFormedFramesReachTheirChipsRegisters) {
    ASSERT_EQ(kCodecReg4Data0xFF.size(), 35u);
    ASSERT_EQ(kCodecReg11Data0x80.size(), 35u);
    ASSERT_EQ(kDitReg13Data1.size(), 35u);

    write(kCodecReg4Data0xFF);
    EXPECT_EQ(m.codec[4], 0xFF);
    write(kCodecReg11Data0x80);
    EXPECT_EQ(m.codec[11], 0x80);
    EXPECT_EQ(m.codec[10], 0) << "register 10 is not a volume register";
    write(kDitReg13Data1);
    EXPECT_EQ(m.dit[13], 0x01);
    EXPECT_EQ(m.codec[13], 0) << "the digital interface's frame is not the converter's";

    EXPECT_EQ(m.codecFrames, 2u);
    EXPECT_EQ(m.ditFrames, 1u);
    EXPECT_EQ(m.malformedFrames, 0u);
    EXPECT_EQ(m.stepsDecoded, 105u);
}

TEST_F(FrameDecoder, FramesBackToBackOrSplitAcrossWritesDecodeAlike) {
    std::vector<uint8_t> both = kCodecReg4Data0xFF;
    both.insert(both.end(), kDitReg13Data1.begin(), kDitReg13Data1.end());
    write(both);
    EXPECT_EQ(m.codecFrames, 1u);
    EXPECT_EQ(m.ditFrames, 1u);

    // The port lines keep their state between raw writes.
    std::vector<uint8_t> first(kCodecReg11Data0x80.begin(), kCodecReg11Data0x80.begin() + 17);
    std::vector<uint8_t> rest(kCodecReg11Data0x80.begin() + 17, kCodecReg11Data0x80.end());
    write(first);
    EXPECT_EQ(m.codec[11], 0) << "nothing is latched before select rises";
    write(rest);
    EXPECT_EQ(m.codec[11], 0x80);
    EXPECT_EQ(m.codecFrames, 2u);
    EXPECT_EQ(m.malformedFrames, 0u);
}

TEST_F(FrameDecoder, MalformedFramesCountAndChangeNothing) {
    struct Case { const char* what; std::vector<uint8_t> steps; };
    std::vector<int> good = bitsOf(0x5, 4, 0xAA);
    std::vector<int> shortBits(good.begin(), good.end() - 1);
    std::vector<int> longBits = good;
    longBits.push_back(1);
    const Case cases[] = {
        {"converter clock with the digital interface's leading bits", frameFromBits(Chip::Codec, bitsOf(0x1, 4, 0xAA))},
        {"digital clock with the converter's leading bits", frameFromBits(Chip::Dit, bitsOf(0x5, 13, 0x01))},
        {"leading bits 1,1,1", frameFromBits(Chip::Codec, bitsOf(0x7, 4, 0xAA))},
        {"15 bits", frameFromBits(Chip::Codec, shortBits)},
        {"17 bits", frameFromBits(Chip::Codec, longBits)},
        {"select glitch without clocks", {0xFF, 0x7F, 0xFF}},
        {"both chips clocked in one frame", withDitPulse(frameFromBits(Chip::Codec, bitsOf(0x5, 4, 0xAA)))},
    };
    uint32_t malformed = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        write(c.steps);
        ++malformed;
        EXPECT_EQ(m.malformedFrames, malformed);
    }
    EXPECT_EQ(m.codecFrames, 0u);
    EXPECT_EQ(m.ditFrames, 0u);
    expectRegistersUntouched();

    // A good frame right after the bad ones still lands.
    write(frameFromBits(Chip::Codec, bitsOf(0x5, 9, 0x9C)));
    EXPECT_EQ(m.codec[9], 0x9C);
    EXPECT_EQ(m.codecFrames, 1u);
}

TEST_F(FrameDecoder, OnlyRisingClockEdgesWithSelectLowCarryBits) {
    // Clock pulses while select is high are ignored.
    std::vector<uint8_t> steps = {0xFF, 0xDF, 0xFF, 0xDF, 0xFF};
    std::vector<uint8_t> frame = kCodecReg4Data0xFF;
    steps.insert(steps.end(), frame.begin(), frame.end());
    write(steps);
    EXPECT_EQ(m.codec[4], 0xFF);
    EXPECT_EQ(m.malformedFrames, 0u);

    // Holding the clock high over repeated steps clocks one bit, and a falling
    // edge carries none: doubling every step changes nothing.
    std::vector<uint8_t> doubled;
    for (uint8_t s : frameFromBits(Chip::Dit, bitsOf(0x1, 13, 0x00))) {
        doubled.push_back(s);
        doubled.push_back(s);
    }
    write(doubled);
    EXPECT_EQ(m.ditFrames, 1u);
    EXPECT_EQ(m.malformedFrames, 0u);

    // Data changing while the clock is high is not sampled.
    std::vector<uint8_t> late = frameFromBits(Chip::Codec, bitsOf(0x5, 5, 0x00));
    // After the last data bit's clock-high step (0x3F) raise data: 0x7F.
    late.insert(late.end() - 1, 0x7F);
    write(late);
    EXPECT_EQ(m.codec[5], 0x00);
    EXPECT_EQ(m.codecFrames, 2u);

    // The data line moves between the falling and the rising clock edge:
    // what counts is its level at the rising edge.
    std::vector<uint8_t> settle = {0xFF, 0x7F};
    for (int b : bitsOf(0x5, 6, 0x3C)) {
        settle.push_back(b ? 0x1F : 0x5F); // clock low, data the opposite
        settle.push_back(b ? 0x5F : 0x1F); // clock low, data settles
        settle.push_back(b ? 0x7F : 0x3F); // clock rises
    }
    settle.push_back(0xFF);
    write(settle);
    EXPECT_EQ(m.codec[6], 0x3C);
    EXPECT_EQ(m.codecFrames, 3u);
    EXPECT_EQ(m.malformedFrames, 0u);
}

TEST_F(FrameDecoder, RawWriteEdgeCases) {
    uint32_t returned = 7;
    EXPECT_EQ(vm_ioctl(&m, VM_IOCTL_RAW_WRITE, nullptr, 0, nullptr, 0, &returned), 1);
    EXPECT_EQ(returned, 0u);
    EXPECT_EQ(vm_ioctl(&m, VM_IOCTL_RAW_WRITE, nullptr, 5, nullptr, 5, &returned), 0)
        << "a length without bytes is refused";

    // Answered in place.
    std::vector<uint8_t> buf = kDitReg13Data1;
    ASSERT_EQ(vm_ioctl(&m, VM_IOCTL_RAW_WRITE, buf.data(), 35, buf.data(), 35, &returned), 1);
    EXPECT_EQ(returned, 35u);
    EXPECT_EQ(buf, kDitReg13Data1);
    EXPECT_EQ(m.dit[13], 1);

    // A smaller answer buffer gets what fits; every step is still played out.
    uint8_t small[10] = {};
    ASSERT_EQ(vm_ioctl(&m, VM_IOCTL_RAW_WRITE, kCodecReg4Data0xFF.data(), 35, small, 10, &returned), 1);
    EXPECT_EQ(returned, 10u);
    EXPECT_EQ(m.codec[4], 0xFF);
}

} // namespace
} // namespace velmora::test
