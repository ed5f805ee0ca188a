// The transport fake as the device layer uses it, and the model's codes
// against the shared wire definitions.
#include "device/DeviceWire.h"
#include "sim/fake/ModelTransport.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

static_assert(VM_IOCTL_IDENTITY_1 == IOCTL_IDENTITY_1 && VM_IOCTL_IDENTITY_2 == IOCTL_IDENTITY_2 &&
              VM_IOCTL_DRIVER_FLAG == IOCTL_DRIVER_FLAG && VM_IOCTL_DRIVER_VERSION == IOCTL_DRIVER_VERSION &&
              VM_IOCTL_RAW_WRITE == IOCTL_RAW_WRITE && VM_IOCTL_READ_METERS == IOCTL_READ_METERS &&
              VM_IOCTL_COMMAND == IOCTL_COMMAND && VM_IOCTL_EVENT == IOCTL_EVENT,
              "the model answers the panel's codes");
static_assert(VM_REQUEST_SIZE == DEVICE_REQUEST_SIZE && VM_METER_SIZE == METER_BLOCK_SIZE &&
              VM_IDENTITY_SIZE == IDENTITY_TEXT_SIZE && VM_EVENT_SIZE == EVENT_WORD_SIZE,
              "buffer sizes");
static_assert(VM_CPLD_MIX_OUT_SEL == CPLD_MIX_OUT_SEL && VM_CPLD_DIGITAL_MON == CPLD_DIGITAL_MON,
              "CPLD bits");

class Transport : public ::testing::Test {
protected:
    void SetUp() override { vm_init(&model); }
    VelmoraModel model;
};

TEST_F(Transport, OpensOnlyTheControlChannelOfAPluggedUnit) {
    ModelTransport t(&model);
    EXPECT_FALSE(t.open(R"(\\?\velmora#unit#1\FW_UPDATE)"));
    EXPECT_FALSE(t.open(R"(\\?\velmora#unit#1\CONTROL\x)"));
    EXPECT_FALSE(t.open("CONTROL"));
    EXPECT_FALSE(t.open(nullptr));
    EXPECT_FALSE(t.isOpen());

    vm_unplug(&model);
    EXPECT_FALSE(t.open(R"(\\?\velmora#unit#1\CONTROL)"));
    vm_plug(&model);

    t.failNextOpens(1);
    EXPECT_FALSE(t.open(R"(\\?\velmora#unit#1\CONTROL)"));
    EXPECT_TRUE(t.open(R"(\\?\velmora#unit#1\CONTROL)"));
    EXPECT_TRUE(t.isOpen());
    EXPECT_EQ(t.openedPath(), R"(\\?\velmora#unit#1\CONTROL)");
    EXPECT_EQ(t.openCount(), 1u);
    t.close();
    EXPECT_FALSE(t.isOpen());
    EXPECT_EQ(t.closeCount(), 1u);
}

TEST_F(Transport, ExchangesReachTheModelOnlyWhileOpen) {
    ModelTransport t(&model);
    DeviceRequest r{};
    r.command = CMD_GET_LATENCY;
    uint32_t returned = 0xDEADBEEF;
    EXPECT_FALSE(t.exchange(IOCTL_COMMAND, &r, sizeof r, &r, sizeof r, &returned));
    EXPECT_EQ(vm_total_exchanges(&model), 0u) << "a closed channel touches nothing";

    ASSERT_TRUE(t.open(R"(\\?\x\CONTROL)"));
    ASSERT_TRUE(t.exchange(IOCTL_COMMAND, &r, sizeof r, &r, sizeof r, &returned));
    EXPECT_EQ(returned, 260u);
    EXPECT_EQ(readLe32(r.data), 4u);

    // Unplugged with the channel open: the exchange fails and leaves the
    // count of returned bytes alone.
    vm_unplug(&model);
    returned = 0xDEADBEEF;
    EXPECT_FALSE(t.exchange(IOCTL_COMMAND, &r, sizeof r, &r, sizeof r, &returned));
    EXPECT_EQ(returned, 0xDEADBEEFu);
    EXPECT_TRUE(t.isOpen());
    EXPECT_EQ(t.exchangeCount(), 2u);
}

} // namespace
} // namespace velmora
