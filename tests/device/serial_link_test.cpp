// Serial register frames as the port sees them, and the link's buffer rules.
#include "device/VelmoraController.h"

#include <gtest/gtest.h>

#include <vector>

namespace velmora {
namespace {

struct Capture {
    std::vector<std::vector<uint8_t>> writes;
    bool answer = true;
    static bool send(void* context, const uint8_t* steps, uint32_t length) {
        Capture* c = static_cast<Capture*>(context);
        c->writes.emplace_back(steps, steps + length);
        return c->answer;
    }
};

std::vector<uint8_t> repeat(std::initializer_list<uint8_t> pair, int times) {
    std::vector<uint8_t> out;
    for (int i = 0; i < times; ++i) out.insert(out.end(), pair);
    return out;
}

std::vector<uint8_t> join(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

void expectEmpty(const SerialLink& link) {
    EXPECT_EQ(link.frameLength(), 0u);
    EXPECT_EQ(link.writeIndex(), 0u);
    for (uint32_t i = 0; i < SerialLink::BUFFER_SIZE; ++i) ASSERT_EQ(link.buffer()[i], 0) << i;
}

TEST(SerialFrames, KnownFramesByteForByte) {
    VelmoraController controller;
    Capture capture;
    controller.setSender(&Capture::send, &capture);

    ASSERT_TRUE(controller.setOutVolume(0, 127));
    const std::vector<uint8_t> volume0 = join({
        {0xFF, 0x7F},
        {0x5F, 0x7F, 0x1F, 0x3F, 0x5F, 0x7F},                         // leading 1 0 1
        {0x1F, 0x3F, 0x1F, 0x3F, 0x5F, 0x7F, 0x1F, 0x3F, 0x1F, 0x3F}, // address 4
        repeat({0x5F, 0x7F}, 8),                                      // data 0xFF
        {0xFF},
    });
    ASSERT_EQ(capture.writes.size(), 1u);
    EXPECT_EQ(capture.writes[0], volume0);
    EXPECT_EQ(capture.writes[0].size(), 35u);
    expectEmpty(controller);

    ASSERT_TRUE(controller.setDigitalFormat(1));
    const std::vector<uint8_t> professional = join({
        {0xFF, 0x7F},
        {0x7C, 0x7D, 0x7C, 0x7D, 0x7E, 0x7F},                         // leading 0 0 1
        {0x7C, 0x7D, 0x7E, 0x7F, 0x7E, 0x7F, 0x7C, 0x7D, 0x7E, 0x7F}, // address 13
        repeat({0x7C, 0x7D}, 7), {0x7E, 0x7F},                        // data 1
        {0xFF},
    });
    ASSERT_EQ(capture.writes.size(), 2u);
    EXPECT_EQ(capture.writes[1], professional);

    ASSERT_TRUE(controller.setOutVolume(6, 0));
    const std::vector<uint8_t> volume6 = join({
        {0xFF, 0x7F},
        {0x5F, 0x7F, 0x1F, 0x3F, 0x5F, 0x7F},
        {0x1F, 0x3F, 0x5F, 0x7F, 0x1F, 0x3F, 0x5F, 0x7F, 0x5F, 0x7F}, // address 11
        {0x5F, 0x7F}, repeat({0x1F, 0x3F}, 7),                        // data 0x80
        {0xFF},
    });
    EXPECT_EQ(capture.writes[2], volume6);
}

TEST(SerialFrames, VolumeRegistersSkipRegister10) {
    const uint8_t expected[8] = {4, 5, 6, 7, 8, 9, 11, 12};
    for (int channel = 0; channel < 8; ++channel) EXPECT_EQ(VelmoraController::volumeRegister(channel), expected[channel]);
}

TEST(SerialFrames, RefusedArgumentsSendNothing) {
    VelmoraController controller;
    Capture capture;
    controller.setSender(&Capture::send, &capture);
    EXPECT_FALSE(controller.setOutVolume(8, 10));
    EXPECT_FALSE(controller.setOutVolume(-1, 10));
    EXPECT_FALSE(controller.setOutVolume(0, 128));
    EXPECT_FALSE(controller.setOutVolume(0, 255));
    EXPECT_FALSE(controller.setDigitalFormat(2));
    EXPECT_FALSE(controller.setDigitalFormat(-1));
    EXPECT_TRUE(capture.writes.empty());
    expectEmpty(controller);
}

TEST(SerialFrames, WithoutSenderOrContextTheFrameIsDiscarded) {
    VelmoraController controller;
    EXPECT_FALSE(controller.setOutVolume(0, 0));
    expectEmpty(controller);

    Capture capture;
    controller.setSender(&Capture::send, nullptr); // a sender without a device
    EXPECT_FALSE(controller.setDigitalFormat(0));
    expectEmpty(controller);
    controller.setSender(nullptr, &capture);
    EXPECT_FALSE(controller.setDigitalFormat(0));
    EXPECT_TRUE(capture.writes.empty());

    controller.setSender(&Capture::send, &capture);
    capture.answer = false; // the raw write failed
    EXPECT_FALSE(controller.setOutVolume(3, 64));
    EXPECT_EQ(capture.writes.size(), 1u);
    expectEmpty(controller);
    capture.answer = true;
    EXPECT_TRUE(controller.setOutVolume(3, 64));
    EXPECT_EQ(capture.writes[1].size(), 35u); // nothing of the failed frame is resent
}

TEST(SerialLinkBuffer, FramesQueueUntilFlushAndAFullBufferRefuses) {
    VelmoraController controller;
    Capture capture;
    controller.setSender(&Capture::send, &capture);
    // 29 frames of 35 steps fit in 1024 bytes; the 30th runs out of room.
    for (int i = 0; i < 29; ++i) ASSERT_TRUE(controller.writeCodecRegister(4, uint8_t(i))) << i;
    EXPECT_EQ(controller.frameLength(), 29u * 35u);
    EXPECT_FALSE(controller.writeCodecRegister(4, 0));
    // The refused frame is not counted: the waiting frames are what flush sends.
    EXPECT_EQ(controller.frameLength(), 29u * 35u);
    ASSERT_TRUE(controller.flush());
    ASSERT_EQ(capture.writes.size(), 1u);
    EXPECT_EQ(capture.writes[0].size(), 29u * 35u);
    EXPECT_EQ(capture.writes[0][35], 0xFF); // the second frame starts right after the first
    EXPECT_EQ(capture.writes[0][36], 0x7F);
    expectEmpty(controller);
}

TEST(SerialLinkBuffer, StepsOnlyBetweenBeginAndEnd) {
    SerialLink link;
    EXPECT_TRUE(link.pushStep(0x11)); // a fresh link takes steps at index 0
    EXPECT_EQ(link.endFrame(), 1u);
    EXPECT_FALSE(link.pushStep(0x22)); // ended: no more steps
    EXPECT_TRUE(link.beginFrame());
    EXPECT_EQ(link.writeIndex(), 1u);
    EXPECT_TRUE(link.pushStep(0x22));
    EXPECT_EQ(link.endFrame(), 2u);
    EXPECT_FALSE(link.flush()); // no sender
    expectEmpty(link);

    for (uint32_t i = 0; i < SerialLink::BUFFER_SIZE; ++i) ASSERT_TRUE(link.pushStep(uint8_t(i)));
    EXPECT_FALSE(link.pushStep(0));
    EXPECT_EQ(link.endFrame(), SerialLink::BUFFER_SIZE);
    EXPECT_FALSE(link.beginFrame()); // full
}

} // namespace
} // namespace velmora
