// The device layer against the device model: serial frames decoded by the
// model's chips back to the registers they were meant for, and the control
// channel's requests answered as the unit answers them.
#include "device/USBDevice.h"
#include "device/VelmoraController.h"
#include "sim/fake/ModelTransport.h"
#include "sim/model/VelmoraModel.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace velmora {
namespace {

class DeviceModelTest : public ::testing::Test {
protected:
    DeviceModelTest() {
        vm_init(&model);
        auto t = std::make_unique<ModelTransport>(&model);
        transport = t.get();
        device = new USBDevice("\\\\?\\velmora#unit#1", "VELMORA\\UNIT\\1", 1, std::move(t));
        device->addRef();
    }
    ~DeviceModelTest() override {
        controller.setSender(nullptr, nullptr);
        device->release();
    }

    VelmoraModel model;
    ModelTransport* transport = nullptr;
    USBDevice* device = nullptr;
    VelmoraController controller;
};

TEST_F(DeviceModelTest, EveryVolumeReachesItsConverterRegister) {
    ASSERT_TRUE(device->open());
    controller.setSender(&sendStepsToDevice, device);
    const uint8_t registers[8] = {4, 5, 6, 7, 8, 9, 11, 12};
    uint32_t frames = model.codecFrames;
    for (int channel = 0; channel < 8; ++channel) {
        for (int value = 0; value <= 127; ++value) {
            ASSERT_TRUE(controller.setOutVolume(channel, uint8_t(value))) << channel << "/" << value;
            ASSERT_EQ(model.codec[registers[channel]], uint8_t(value | 0x80)) << channel << "/" << value;
            ASSERT_EQ(model.codecFrames, ++frames);
        }
    }
    EXPECT_EQ(model.codec[10], 0); // never written
    EXPECT_EQ(model.ditFrames, 0u);
    EXPECT_EQ(model.malformedFrames, 0u);
    EXPECT_EQ(vm_ioctl_count(&model, IOCTL_RAW_WRITE), 8u * 128u);
}

TEST_F(DeviceModelTest, DigitalFormatReachesTheInterfaceRegister) {
    ASSERT_TRUE(device->open());
    controller.setSender(&sendStepsToDevice, device);
    for (int format : {1, 0, 1}) {
        ASSERT_TRUE(controller.setDigitalFormat(format));
        EXPECT_EQ(model.dit[13], format);
    }
    EXPECT_EQ(model.ditFrames, 3u);
    EXPECT_EQ(model.codecFrames, 0u);
    EXPECT_EQ(model.malformedFrames, 0u);
    // Generic register writes of both chips, whatever the address bits.
    for (uint8_t address : {0, 1, 17, 31}) {
        ASSERT_TRUE(controller.writeDigitalRegister(address, uint8_t(0xA0 | address)));
        ASSERT_TRUE(controller.flush());
        EXPECT_EQ(model.dit[address], uint8_t(0xA0 | address));
        ASSERT_TRUE(controller.writeCodecRegister(address, uint8_t(0x50 ^ address)));
        ASSERT_TRUE(controller.flush());
        EXPECT_EQ(model.codec[address], uint8_t(0x50 ^ address));
    }
}

TEST_F(DeviceModelTest, UnpluggedUnitFailsTheSenderAndTheRequests) {
    ASSERT_TRUE(device->open());
    controller.setSender(&sendStepsToDevice, device);
    vm_unplug(&model);
    EXPECT_FALSE(controller.setOutVolume(0, 100));
    uint8_t meters[64];
    std::memset(meters, 0x44, sizeof meters);
    EXPECT_FALSE(device->readMeters(meters));
    for (uint8_t b : meters) ASSERT_EQ(b, 0);
    EXPECT_EQ(device->getLatency(), 0);
    EXPECT_EQ(device->getClockMode(), -1);
}

TEST_F(DeviceModelTest, OpenReadsTheUnitsIdentity) {
    vm_set_identity(&model, "Velmora", "Unit 0001");
    model.driverFlag = 1;
    ASSERT_TRUE(device->open());
    EXPECT_EQ(transport->openedPath(), "\\\\?\\velmora#unit#1\\CONTROL");
    EXPECT_STREQ(device->identityText1(), "Velmora");
    EXPECT_STREQ(device->identityText2(), "Unit 0001");
    EXPECT_TRUE(device->driverFlag());
    const uint32_t exchanges = vm_total_exchanges(&model);
    EXPECT_TRUE(device->open());
    EXPECT_EQ(vm_total_exchanges(&model), exchanges);
}

TEST_F(DeviceModelTest, VersionsAndSettingsRoundTrip) {
    vm_set_driver_version(&model, 1, 5, 3, 3);
    vm_set_firmware(&model, 0x02010300, "VLM-FW");
    ASSERT_TRUE(device->open());
    VersionInfo v;
    ASSERT_TRUE(device->getDriverVersion(v));
    EXPECT_STREQ(v.text, "1.05rc3");
    ASSERT_TRUE(device->getFirmwareVersion(v));
    EXPECT_STREQ(v.text, "2.1.3");
    EXPECT_STREQ(v.name, "VLM-FW");

    EXPECT_TRUE(device->setVelCpldMixOutSel(true));
    EXPECT_EQ(model.cpld, VM_CPLD_POWER_ON | VM_CPLD_MIX_OUT_SEL);
    EXPECT_TRUE(device->getCpldMixOutSel());
    EXPECT_TRUE(device->setVelCpldDigitalMon(true));
    EXPECT_TRUE(device->setVelCpldMixOutSel(false));
    EXPECT_EQ(model.cpld, VM_CPLD_POWER_ON | VM_CPLD_DIGITAL_MON);

    EXPECT_TRUE(device->setDigitalOutSelector(2));
    EXPECT_EQ(model.digitalOutSelector, 2u);

    for (int32_t index = 0; index < VM_LATENCY_COUNT; ++index) {
        char text[256] = {};
        EXPECT_NE(device->getLatencyName(index, text), 0) << index;
        EXPECT_STREQ(text, vm_latency_name(uint32_t(index)));
    }
    const uint32_t texts = vm_command_count(&model, CMD_LATENCY_ENTRY_TEXT);
    EXPECT_EQ(device->getLatencyName(VM_LATENCY_COUNT, nullptr), 0);
    EXPECT_EQ(vm_command_count(&model, CMD_LATENCY_ENTRY_TEXT), texts);

    int32_t config[5];
    ASSERT_TRUE(device->getConfiguration(config));
    EXPECT_EQ(config[1], 18);
    EXPECT_EQ(config[3], 8);
}

} // namespace
} // namespace velmora
