// Reply layouts of every request the model answers, read back by offset as
// the panel reads them.
#include "ModelRequests.h"

#include <gtest/gtest.h>

#include <string>

namespace velmora::test {
namespace {

class Commands : public ::testing::Test {
protected:
    void SetUp() override { vm_init(&m); }

    // Sends the command and expects the full 260-byte reply.
    Request answer(int32_t command, uint32_t arg = 0) {
        Request r = makeRequest(command, arg);
        Exchange e = send(m, r);
        EXPECT_TRUE(e.ok) << "command " << command;
        EXPECT_EQ(e.returned, 260u) << "command " << command;
        EXPECT_EQ(le32(r.data()), uint32_t(command)) << "the code at offset 0 stays";
        return r;
    }
    void expectRefused(Request r) {
        Exchange e = send(m, r);
        EXPECT_FALSE(e.ok);
        EXPECT_EQ(e.returned, 0xDEADBEEFu) << "bytes returned written on failure";
    }

    VelmoraModel m;
};

TEST_F(Commands, ChannelQueriesAnswerTheirFixedSizes) {
    uint8_t text[64];
    Exchange e = read(m, VM_IOCTL_IDENTITY_1, text, sizeof text);
    ASSERT_TRUE(e.ok);
    EXPECT_EQ(e.returned, 64u);
    EXPECT_STREQ(reinterpret_cast<char*>(text), "Velmora HS");
    e = read(m, VM_IOCTL_IDENTITY_2, text, sizeof text);
    ASSERT_TRUE(e.ok);
    EXPECT_EQ(e.returned, 64u);
    EXPECT_GT(std::string(reinterpret_cast<char*>(text)).size(), 0u);

    uint8_t word[8] = {};
    e = read(m, VM_IOCTL_DRIVER_FLAG, word, 4);
    ASSERT_TRUE(e.ok);
    EXPECT_EQ(e.returned, 4u);
    EXPECT_NE(le32(word), 0u);

    e = read(m, VM_IOCTL_DRIVER_VERSION, word, 4);
    ASSERT_TRUE(e.ok);
    EXPECT_EQ(e.returned, 4u);
    EXPECT_EQ(le32(word), 0x01060400u) << "1.06 release: major 1, minor 6, kind 4, number 0";

    vm_set_driver_version(&m, 1, 5, 2, 2);
    ASSERT_TRUE(read(m, VM_IOCTL_DRIVER_VERSION, word, 4).ok);
    EXPECT_EQ(le32(word), 0x01050202u);

    // Too small an answer buffer, and an unknown code, are refused.
    EXPECT_FALSE(read(m, VM_IOCTL_IDENTITY_1, text, 63).ok);
    EXPECT_FALSE(read(m, VM_IOCTL_EVENT, word, 7).ok);
    EXPECT_FALSE(read(m, 0x220008, word, 8).ok);
    EXPECT_EQ(vm_ioctl_count(&m, 0x220008), 1u);
}

TEST_F(Commands, ConfigurationAndSampleRate) {
    Request r = answer(8);
    EXPECT_EQ(le32(&r[4]), 48000u);
    EXPECT_EQ(le32(&r[8]), 18u);
    EXPECT_EQ(le32(&r[16]), 8u);

    // The panel sends the rate, 18 and the device's other values back.
    Request set = r;
    putLe32(set.data(), 9);
    putLe32(&set[4], 96000);
    putLe32(&set[12], 0xDEAD); // values the unit does not take
    ASSERT_TRUE(send(m, set).ok);
    EXPECT_EQ(le32(&set[4]), 96000u);
    EXPECT_EQ(le32(&set[8]), 18u);
    EXPECT_EQ(le32(&set[12]), le32(&r[12])) << "answers the values in effect";
    EXPECT_EQ(le32(&set[16]), 8u);
    EXPECT_EQ(le32(&answer(8)[4]), 96000u);

    for (uint32_t rate : {44100u, 48000u, 88200u, 96000u}) {
        Request ok = makeRequest(9, rate);
        ASSERT_TRUE(send(m, ok).ok) << rate;
        EXPECT_EQ(le32(&ok[4]), rate);
    }
    for (uint32_t rate : {0u, 32000u, 96001u, 192000u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(rate);
        expectRefused(makeRequest(9, rate));
        EXPECT_EQ(m.config[0], 96000) << "a refused rate changes nothing";
    }
}

TEST_F(Commands, LatencyEntriesAndCurrentLatency) {
    const char* names[] = {"highspeed", "rapid", "fast", "normal", "relaxed nomal", "relaxed"};
    for (uint32_t i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        Request r = makeRequest(11, i);
        ASSERT_TRUE(send(m, r).ok);
        EXPECT_NE(le32(&r[4]), 0u) << "the entry exists";
        putLe32(r.data(), 12); // same buffer, only the code changes
        Exchange e = send(m, r);
        ASSERT_TRUE(e.ok);
        EXPECT_EQ(e.returned, 260u);
        EXPECT_STREQ(reinterpret_cast<const char*>(&r[4]), names[i]);
    }
    Request none = answer(11, 6);
    EXPECT_EQ(le32(&none[4]), 0u);
    expectRefused(makeRequest(12)) ;

    EXPECT_EQ(le32(&answer(13)[4]), 4u);
    Request set = answer(14, 2);
    EXPECT_EQ(le32(&set[4]), 2u);
    EXPECT_EQ(le32(&answer(13)[4]), 2u);
    expectRefused(makeRequest(14, 0));
    expectRefused(makeRequest(14, 7));
    EXPECT_EQ(le32(&answer(13)[4]), 2u);
}

TEST_F(Commands, ClockModeAndStatus) {
    EXPECT_EQ(le32(&answer(16)[4]), 0u);
    Request st = answer(18);
    EXPECT_EQ(le32(&st[4]), VM_CLOCK_STATUS_INTERNAL);

    EXPECT_EQ(le32(&answer(17, 1)[4]), 1u);
    EXPECT_EQ(le32(&answer(16)[4]), 1u);
    expectRefused(makeRequest(17, 2));
    EXPECT_EQ(le32(&answer(16)[4]), 1u);

    // A signal at the digital input is the clock only in "Auto".
    ASSERT_EQ(vm_hw_set_digital_input(&m, 44100), 1);
    EXPECT_EQ(le32(&answer(18)[4]), VM_CLOCK_STATUS_INTERNAL);
    EXPECT_EQ(le32(&answer(8)[4]), 48000u);
    answer(17, 0);
    st = answer(18);
    EXPECT_EQ(le32(&st[4]), VM_CLOCK_STATUS_DIGITAL);
    EXPECT_EQ(le32(&st[8]), 44100u);
    EXPECT_EQ(le32(&answer(8)[4]), 44100u) << "the rate follows the digital input";

    // While locked, a rate request is answered with the rate in effect.
    Request set = answer(9, 96000);
    EXPECT_EQ(le32(&set[4]), 44100u);
    ASSERT_EQ(vm_hw_set_digital_input(&m, 0), 1);
    EXPECT_EQ(le32(&answer(18)[4]), VM_CLOCK_STATUS_INTERNAL);
    EXPECT_EQ(le32(&answer(8)[4]), 96000u) << "the internal clock runs at the rate asked for last";
}

TEST_F(Commands, CpldSelectorAndFirmware) {
    Request r = answer(4, 0);
    EXPECT_EQ(r[4], VM_CPLD_POWER_ON);
    // Read-modify-write as the panel does it: bit 0x10 on, the rest as read.
    putLe32(r.data(), 5);
    r[4] |= 0x10;
    ASSERT_TRUE(send(m, r).ok);
    EXPECT_EQ(answer(4, 0)[4], VM_CPLD_POWER_ON | 0x10);

    for (uint32_t s = 0; s < 4; ++s) {
        answer(3, s);
        EXPECT_EQ(m.digitalOutSelector, s);
    }
    expectRefused(makeRequest(3, 4));
    EXPECT_EQ(m.digitalOutSelector, 3u);

    EXPECT_EQ(le32(&answer(24)[4]), 0x02010300u) << "firmware 2.1.3, tag 0";
    Request name = makeRequest(25);
    std::memset(&name[4], 'x', 256); // no NUL of the caller's own
    ASSERT_TRUE(send(m, name).ok);
    EXPECT_STREQ(reinterpret_cast<const char*>(&name[4]), "VELMORA-FW");

    vm_set_firmware(&m, 0x03000001u, "A-NAME-LONGER-THAN-15");
    name = answer(25);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&name[4])).size(), 15u);
}

TEST_F(Commands, MalformedRequestsAreRefused) {
    for (int32_t command : {0, 1, 2, 6, 7, 10, 15, 19, 23, 26, 31, 32, -1, 0x7FFFFFFF})
        expectRefused(makeRequest(command));

    Request r = makeRequest(8);
    uint32_t returned = 0xDEADBEEF;
    EXPECT_EQ(vm_ioctl(&m, VM_IOCTL_COMMAND, r.data(), 259, r.data(), 260, &returned), 0);
    EXPECT_EQ(vm_ioctl(&m, VM_IOCTL_COMMAND, r.data(), 260, r.data(), 259, &returned), 0);
    EXPECT_EQ(vm_ioctl(&m, VM_IOCTL_COMMAND, nullptr, 260, r.data(), 260, &returned), 0);
    EXPECT_EQ(returned, 0xDEADBEEFu);

    // Separate in and out buffers: the input is left as it was.
    Request in = makeRequest(13), out{};
    ASSERT_EQ(vm_ioctl(&m, VM_IOCTL_COMMAND, in.data(), 260, out.data(), 260, &returned), 1);
    EXPECT_EQ(le32(&out[0]), 13u);
    EXPECT_EQ(le32(&out[4]), 4u);
    EXPECT_EQ(in, makeRequest(13));
}

} // namespace
} // namespace velmora::test
