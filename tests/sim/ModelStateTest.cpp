// The model's behaviour over time: the event flag, plugging, injected faults,
// exchange counters and the meter generator.
#include "ModelRequests.h"

#include <gtest/gtest.h>

#include <set>

namespace velmora::test {
namespace {

class ModelState : public ::testing::Test {
protected:
    void SetUp() override { vm_init(&m); }

    // Reads the event word; answers bit 0 of its first 32-bit word.
    bool poll() {
        uint8_t word[8] = {};
        Exchange e = read(m, VM_IOCTL_EVENT, word, 8);
        EXPECT_TRUE(e.ok);
        EXPECT_EQ(e.returned, 8u);
        return le32(word) & 1u;
    }
    bool command(int32_t code, uint32_t arg = 0) {
        Request r = makeRequest(code, arg);
        return send(m, r).ok;
    }

    VelmoraModel m;
};

TEST_F(ModelState, EventFlagFollowsChangesOfTheUnitAndClearsOnRead) {
    EXPECT_FALSE(poll()) << "nothing changed since power-on";

    ASSERT_EQ(vm_hw_set_latency(&m, 6), 1);
    EXPECT_TRUE(poll());
    EXPECT_FALSE(poll()) << "reading clears the flag";

    ASSERT_EQ(vm_hw_set_latency(&m, 6), 1);
    EXPECT_FALSE(poll()) << "no change, no event";
    EXPECT_EQ(vm_hw_set_latency(&m, 0), 0);
    EXPECT_EQ(vm_hw_set_latency(&m, 7), 0);
    EXPECT_FALSE(poll());

    ASSERT_EQ(vm_hw_set_sample_rate(&m, 88200), 1);
    EXPECT_EQ(vm_hw_set_sample_rate(&m, 12345), 0);
    EXPECT_TRUE(poll());
    Request cfg = makeRequest(8);
    ASSERT_TRUE(send(m, cfg).ok);
    EXPECT_EQ(le32(&cfg[4]), 88200u);

    // Several changes between two polls show as one raised flag.
    vm_hw_set_latency(&m, 1);
    vm_hw_set_latency(&m, 2);
    EXPECT_TRUE(poll());
    EXPECT_FALSE(poll());

    // A rate change made by the panel raises it too; latency and the
    // other panel writes do not.
    EXPECT_TRUE(command(14, 3));
    EXPECT_TRUE(command(3, 2));
    EXPECT_TRUE(command(5, 0xFF));
    EXPECT_FALSE(poll());
    EXPECT_TRUE(command(9, 88200));
    EXPECT_FALSE(poll()) << "the rate in effect did not change";
    EXPECT_TRUE(command(9, 44100));
    EXPECT_TRUE(poll());

    // Losing the digital clock switches the source: an event.
    ASSERT_EQ(vm_hw_set_digital_input(&m, 96000), 1);
    EXPECT_TRUE(poll());
    ASSERT_EQ(vm_hw_set_digital_input(&m, 0), 1);
    EXPECT_TRUE(poll());
    EXPECT_EQ(vm_hw_set_digital_input(&m, 50000), 0);
    EXPECT_FALSE(poll());
}

TEST_F(ModelState, UnpluggedUnitFailsEveryRequestAndPowersUpOnReplug) {
    ASSERT_TRUE(command(9, 96000));
    ASSERT_TRUE(command(14, 1));
    ASSERT_TRUE(command(5, 0x00));
    vm_hw_raise_event(&m);

    vm_unplug(&m);
    EXPECT_EQ(vm_is_plugged(&m), 0);
    uint8_t buf[64];
    uint32_t returned = 0xDEADBEEF;
    for (uint32_t code : {VM_IOCTL_IDENTITY_1, VM_IOCTL_DRIVER_VERSION, VM_IOCTL_READ_METERS, VM_IOCTL_EVENT}) {
        EXPECT_EQ(vm_ioctl(&m, code, nullptr, 0, buf, sizeof buf, &returned), 0) << std::hex << code;
    }
    EXPECT_FALSE(command(13));
    EXPECT_EQ(vm_ioctl(&m, VM_IOCTL_RAW_WRITE, buf, 4, buf, 4, &returned), 0);
    EXPECT_EQ(returned, 0xDEADBEEFu);

    vm_plug(&m);
    EXPECT_EQ(vm_is_plugged(&m), 1);
    Request cfg = makeRequest(8);
    ASSERT_TRUE(send(m, cfg).ok);
    EXPECT_EQ(le32(&cfg[4]), 48000u) << "power-on rate";
    Request lat = makeRequest(13);
    ASSERT_TRUE(send(m, lat).ok);
    EXPECT_EQ(le32(&lat[4]), 4u);
    Request cpld = makeRequest(4);
    ASSERT_TRUE(send(m, cpld).ok);
    EXPECT_EQ(cpld[4], VM_CPLD_POWER_ON);
    EXPECT_FALSE(poll());
}

TEST_F(ModelState, PowerCycleWithoutUnplugComesBackAtPowerOnValuesAndRaisesTheEvent) {
    ASSERT_TRUE(command(9, 96000));
    ASSERT_TRUE(command(5, 0x00));
    m.codec[4] = 0x85;
    const uint32_t exchanges = vm_total_exchanges(&m);
    EXPECT_TRUE(poll()); // the panel's rate change
    vm_hw_power_cycle(&m);
    EXPECT_EQ(vm_is_plugged(&m), 1);
    EXPECT_EQ(m.config[0], 48000);
    EXPECT_EQ(m.cpld, VM_CPLD_POWER_ON);
    EXPECT_EQ(m.codec[4], 0);
    EXPECT_EQ(vm_total_exchanges(&m), exchanges + 1); // counters are kept
    EXPECT_TRUE(poll());
    vm_unplug(&m);
    vm_hw_power_cycle(&m); // a unit off the bus stays off
    EXPECT_EQ(vm_is_plugged(&m), 0);
}

TEST_F(ModelState, InjectedFaultsHitOnlyMatchingRequestsTheGivenNumberOfTimes) {
    // Two failures of command 8 only.
    ASSERT_EQ(vm_inject_fault(&m, VM_IOCTL_COMMAND, 8, VM_FAULT_FAIL, 2), 1);
    EXPECT_TRUE(command(13));
    EXPECT_FALSE(command(8));
    EXPECT_TRUE(command(13));
    EXPECT_FALSE(command(8));
    EXPECT_TRUE(command(8));

    // A failed request changes nothing.
    ASSERT_EQ(vm_inject_fault(&m, VM_IOCTL_COMMAND, VM_ANY_COMMAND, VM_FAULT_FAIL, 1), 1);
    EXPECT_FALSE(command(14, 1));
    Request lat = makeRequest(13);
    ASSERT_TRUE(send(m, lat).ok);
    EXPECT_EQ(le32(&lat[4]), 4u);

    // A short answer: carried out, one byte fewer handed back.
    ASSERT_EQ(vm_inject_fault(&m, VM_IOCTL_COMMAND, 14, VM_FAULT_SHORT, 1), 1);
    Request set = makeRequest(14, 6);
    Exchange e = send(m, set);
    ASSERT_TRUE(e.ok);
    EXPECT_EQ(e.returned, 259u);
    EXPECT_EQ(m.latency, 6u);

    ASSERT_EQ(vm_inject_fault(&m, VM_IOCTL_READ_METERS, VM_ANY_COMMAND, VM_FAULT_SHORT, 1), 1);
    uint8_t block[64];
    e = read(m, VM_IOCTL_READ_METERS, block, 64);
    ASSERT_TRUE(e.ok);
    EXPECT_EQ(e.returned, 63u);
    EXPECT_EQ(read(m, VM_IOCTL_READ_METERS, block, 64).returned, 64u);

    ASSERT_EQ(vm_inject_fault(&m, VM_IOCTL_RAW_WRITE, VM_ANY_COMMAND, VM_FAULT_FAIL, 1), 1);
    const uint8_t steps[] = {0xFF, 0x7F, 0xFF};
    EXPECT_FALSE(rawWrite(m, steps, 3).ok);
    EXPECT_EQ(m.malformedFrames, 0u) << "a failed raw write plays nothing out";
    EXPECT_TRUE(rawWrite(m, steps, 3).ok);
    EXPECT_EQ(m.malformedFrames, 1u);

    // An event read that fails keeps the flag for the next poll.
    vm_hw_raise_event(&m);
    ASSERT_EQ(vm_inject_fault(&m, VM_IOCTL_EVENT, VM_ANY_COMMAND, VM_FAULT_FAIL, 1), 1);
    uint8_t word[8];
    EXPECT_FALSE(read(m, VM_IOCTL_EVENT, word, 8).ok);
    EXPECT_TRUE(poll());

    // Invalid arguments and a full table are refused; clearing frees it.
    EXPECT_EQ(vm_inject_fault(&m, VM_IOCTL_COMMAND, 8, 0, 1), 0);
    EXPECT_EQ(vm_inject_fault(&m, VM_IOCTL_COMMAND, 8, VM_FAULT_FAIL, 0), 0);
    for (int i = 0; i < VM_MAX_FAULTS; ++i)
        EXPECT_EQ(vm_inject_fault(&m, VM_IOCTL_DRIVER_FLAG, VM_ANY_COMMAND, VM_FAULT_FAIL, 1), 1);
    EXPECT_EQ(vm_inject_fault(&m, VM_IOCTL_DRIVER_FLAG, VM_ANY_COMMAND, VM_FAULT_FAIL, 1), 0);
    vm_clear_faults(&m);
    EXPECT_TRUE(read(m, VM_IOCTL_DRIVER_FLAG, word, 4).ok);
}

TEST_F(ModelState, CountersCountEveryExchangeByCodeAndCommand) {
    uint8_t buf[64];
    read(m, VM_IOCTL_READ_METERS, buf, 64);
    read(m, VM_IOCTL_READ_METERS, buf, 64);
    read(m, VM_IOCTL_EVENT, buf, 8);
    command(8);
    command(9, 44100);
    command(9, 1); // refused, still an exchange
    command(77);   // unknown, counted in the catch-all slot
    vm_inject_fault(&m, VM_IOCTL_COMMAND, 13, VM_FAULT_FAIL, 1);
    command(13);

    EXPECT_EQ(vm_ioctl_count(&m, VM_IOCTL_READ_METERS), 2u);
    EXPECT_EQ(vm_ioctl_count(&m, VM_IOCTL_EVENT), 1u);
    EXPECT_EQ(vm_ioctl_count(&m, VM_IOCTL_COMMAND), 5u);
    EXPECT_EQ(vm_ioctl_count(&m, VM_IOCTL_RAW_WRITE), 0u);
    EXPECT_EQ(vm_command_count(&m, 8), 1u);
    EXPECT_EQ(vm_command_count(&m, 9), 2u);
    EXPECT_EQ(vm_command_count(&m, 13), 1u);
    EXPECT_EQ(vm_command_count(&m, 77), 1u);
    EXPECT_EQ(vm_total_exchanges(&m), 8u);
    EXPECT_EQ(m.failedCount, 3u);

    vm_reset_counters(&m);
    EXPECT_EQ(vm_total_exchanges(&m), 0u);
    EXPECT_EQ(vm_command_count(&m, 9), 0u);
}

TEST_F(ModelState, MeterBlocksCarrySignedPeaksOnTheUsedBytesOnly) {
    std::set<uint8_t> inputs, outputs;
    bool negative = false;
    uint8_t previous[64] = {};
    int changedReads = 0;
    for (int n = 0; n < 200; ++n) {
        uint8_t block[64];
        ASSERT_TRUE(read(m, VM_IOCTL_READ_METERS, block, 64).ok);
        for (int i = 0; i < 64; ++i) {
            bool used = i < 18 || (i >= 32 && i < 40);
            if (!used) {
                EXPECT_EQ(block[i], 0) << "byte " << i;
                continue;
            }
            EXPECT_NE(block[i], 0x80) << "magnitudes stay within 127";
            (i < 18 ? inputs : outputs).insert(block[i]);
            negative |= block[i] > 127;
        }
        changedReads += std::memcmp(block, previous, 64) != 0;
        std::memcpy(previous, block, 64);
    }
    EXPECT_TRUE(negative) << "negative peaks appear";
    EXPECT_GT(inputs.size(), 20u);
    EXPECT_GT(outputs.size(), 20u);
    EXPECT_GT(changedReads, 190) << "every read advances the signal";

    // The same sequence from another unit: the signal is deterministic.
    VelmoraModel other;
    vm_init(&other);
    for (int n = 0; n < 199; ++n) vm_meter_tick(&other);
    uint8_t block[64];
    ASSERT_TRUE(read(other, VM_IOCTL_READ_METERS, block, 64).ok);
    EXPECT_EQ(std::memcmp(block, previous, 64), 0);

    // A held block is answered as given, until released.
    uint8_t held[64] = {};
    held[0] = 0xFF; held[1] = 0x81; held[2] = 0x80; held[3] = 0x7F; held[39] = 0x90;
    vm_hold_meters(&m, held);
    for (int n = 0; n < 2; ++n) {
        ASSERT_TRUE(read(m, VM_IOCTL_READ_METERS, block, 64).ok);
        EXPECT_EQ(std::memcmp(block, held, 64), 0);
    }
    vm_release_meters(&m);
    ASSERT_TRUE(read(m, VM_IOCTL_READ_METERS, block, 64).ok);
    EXPECT_NE(std::memcmp(block, held, 64), 0);
}

} // namespace
} // namespace velmora::test
