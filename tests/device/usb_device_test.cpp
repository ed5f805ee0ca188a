// The control channel over a scripted transport: what goes out to the driver
// and what each operation makes of the answers, including the failure values.
#include "device/USBDevice.h"
#include "tests/device/ScriptedTransport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace velmora {
namespace {

using test::ScriptedTransport;
using test::TransportScript;

class USBDeviceTest : public ::testing::Test {
protected:
    USBDeviceTest() : script(std::make_shared<TransportScript>()) {
        device = new USBDevice("\\\\?\\velmora#unit#1", "VELMORA\\UNIT\\1", 7,
                               std::make_unique<ScriptedTransport>(script));
        device->addRef();
    }
    ~USBDeviceTest() override { device->release(); }

    // Answers command requests with `reply` written from offset 4 and the
    // given byte count returned.
    void answerCommands(std::function<void(int32_t command, uint8_t* data)> reply, uint32_t returned = 260) {
        script->answer = [reply, returned](uint32_t code, uint8_t* out, uint32_t size, uint32_t& r) {
            if (code == IOCTL_COMMAND) {
                int32_t command;
                std::memcpy(&command, out, 4);
                reply(command, out + 4);
                r = returned;
            }
            return true;
        };
    }

    std::shared_ptr<TransportScript> script;
    USBDevice* device;
};

TEST_F(USBDeviceTest, OpenUsesTheControlChannelAndReadsIdentityOnce) {
    script->answer = [](uint32_t code, uint8_t* out, uint32_t size, uint32_t& r) {
        if (code == IOCTL_IDENTITY_1) std::memcpy(out, "Velmora USB", 12);
        if (code == IOCTL_IDENTITY_2) std::memset(out, 'z', size); // no NUL at all
        if (code == IOCTL_DRIVER_FLAG) out[3] = 1;                  // 0x01000000
        return true;
    };
    ASSERT_TRUE(device->open());
    ASSERT_EQ(script->opened.size(), 1u);
    EXPECT_EQ(script->opened[0], "\\\\?\\velmora#unit#1\\CONTROL");
    EXPECT_STREQ(device->identityText1(), "Velmora USB");
    EXPECT_EQ(std::strlen(device->identityText2()), 64u);
    EXPECT_TRUE(device->driverFlag());
    EXPECT_EQ(script->log.size(), 3u);

    // Open on an open channel: true, nothing read again, nothing reopened.
    EXPECT_TRUE(device->open());
    EXPECT_EQ(script->opened.size(), 1u);
    EXPECT_EQ(script->log.size(), 3u);

    device->close();
    EXPECT_FALSE(device->isOpen());
    script->log.clear();
    EXPECT_TRUE(device->open(true));
    EXPECT_EQ(script->opened.back(), "\\\\?\\velmora#unit#1\\FW_UPDATE");
}

TEST_F(USBDeviceTest, IdentityReadFailuresDoNotFailOpen) {
    script->answer = [](uint32_t, uint8_t*, uint32_t, uint32_t&) { return false; };
    EXPECT_TRUE(device->open());
    EXPECT_STREQ(device->identityText1(), "");
    EXPECT_FALSE(device->driverFlag());
}

TEST_F(USBDeviceTest, RefusedOpenLeavesTheObjectUsable) {
    script->refuseOpen = true;
    EXPECT_FALSE(device->open());
    EXPECT_FALSE(device->isOpen());
    EXPECT_TRUE(script->log.empty());
    script->refuseOpen = false;
    EXPECT_TRUE(device->open());
    EXPECT_EQ(script->opened.size(), 2u);
}

TEST_F(USBDeviceTest, ClosedChannelAnswersFailureValuesWithoutExchanges) {
    DeviceRequest request{};
    uint8_t bytes[4] = {1, 2, 3, 4};
    uint8_t meters[64];
    std::memset(meters, 0xAB, sizeof meters);
    int32_t config[5] = {1, 2, 3, 4, 5}, answer[5] = {};
    int32_t status = 9, second = 9;
    char text[256] = "kept";
    VersionInfo version;

    EXPECT_FALSE(device->sendCommand(request, false));
    EXPECT_FALSE(device->readControl(IOCTL_EVENT, bytes, 4));
    EXPECT_FALSE(device->writeRaw(4, bytes));
    EXPECT_FALSE(device->writeRaw(0, nullptr));
    EXPECT_FALSE(device->readMeters(meters));
    for (uint8_t b : meters) ASSERT_EQ(b, 0xAB); // left as it was
    std::memset(&version, 0x5A, sizeof version);
    EXPECT_FALSE(device->getDriverVersion(version));
    for (size_t i = 0; i < sizeof version; ++i) ASSERT_EQ(reinterpret_cast<uint8_t*>(&version)[i], 0);
    std::memset(&version, 0x5A, sizeof version);
    EXPECT_FALSE(device->getFirmwareVersion(version));
    for (size_t i = 0; i < sizeof version; ++i) ASSERT_EQ(reinterpret_cast<uint8_t*>(&version)[i], 0);
    EXPECT_FALSE(device->setDigitalOutSelector(1));
    EXPECT_FALSE(device->getCpldMixOutSel());
    EXPECT_FALSE(device->getCpldDigitalMon());
    EXPECT_FALSE(device->setVelCpldMixOutSel(true));
    EXPECT_FALSE(device->setVelCpldDigitalMon(false));
    EXPECT_FALSE(device->getConfiguration(config));
    EXPECT_FALSE(device->setConfiguration(config, answer));
    EXPECT_EQ(device->getLatencyName(0, text), 0);
    EXPECT_STREQ(text, "kept");
    EXPECT_EQ(device->getLatency(), 0);
    EXPECT_EQ(device->setLatency(3), 0);
    EXPECT_EQ(device->getClockMode(), -1);
    EXPECT_EQ(device->setClockMode(1), -1);
    EXPECT_FALSE(device->getClockStatus(status, second));
    EXPECT_EQ(status, 9);
    EXPECT_FALSE(sendStepsToDevice(device, bytes, 4));
    EXPECT_TRUE(script->log.empty());
}

TEST_F(USBDeviceTest, FullReplyCheckWantsExactly260Bytes) {
    ASSERT_TRUE(device->open());
    for (uint32_t returned : {259u, 260u, 261u, 0u}) {
        answerCommands([](int32_t, uint8_t*) {}, returned);
        DeviceRequest request{};
        request.command = CMD_GET_LATENCY;
        EXPECT_EQ(device->sendCommand(request, true), returned == 260) << returned;
        EXPECT_TRUE(device->sendCommand(request, false)) << returned;
        // Operations built on the check fail the same way.
        EXPECT_EQ(device->getClockMode() != -1, returned == 260) << returned;
    }
    script->answer = [](uint32_t, uint8_t*, uint32_t, uint32_t&) { return false; };
    DeviceRequest request{};
    EXPECT_FALSE(device->sendCommand(request, false));
}

TEST_F(USBDeviceTest, SingleValueCommandsCarryTheirParameterAndAnswer) {
    ASSERT_TRUE(device->open());
    script->log.clear();
    answerCommands([](int32_t command, uint8_t* data) {
        const uint32_t in = readLe32(data);
        writeLe32(data, uint32_t(command) * 1000 + in); // echo command and parameter
    });
    EXPECT_EQ(device->getLatency(), 13000);
    EXPECT_EQ(device->setLatency(5), 14005);
    EXPECT_EQ(device->getClockMode(), 16000);
    EXPECT_EQ(device->setClockMode(1), 17001);
    EXPECT_TRUE(device->setDigitalOutSelector(3));
    ASSERT_EQ(script->log.size(), 5u);
    EXPECT_EQ(readLe32(script->log[4].in.data()), 3u);
    EXPECT_EQ(readLe32(script->log[4].in.data() + 4), 3u);
    for (const auto& e : script->log) {
        EXPECT_EQ(e.in.size(), 260u);
        EXPECT_EQ(e.outSize, 260u);
    }

    answerCommands([](int32_t command, uint8_t* data) {
        EXPECT_EQ(readLe32(data), 0u);
        EXPECT_EQ(readLe32(data + 4), 0u);
        writeLe32(data, 2);
        writeLe32(data + 4, 0xDEADBEEF);
    });
    int32_t status = 0, second = 0;
    EXPECT_TRUE(device->getClockStatus(status, second));
    EXPECT_EQ(status, 2);
    EXPECT_EQ(uint32_t(second), 0xDEADBEEFu);
}

TEST_F(USBDeviceTest, ConfigurationTravelsAsFiveLittleEndianWords) {
    ASSERT_TRUE(device->open());
    answerCommands([](int32_t command, uint8_t* data) {
        if (command == CMD_GET_CONFIGURATION) {
            const uint32_t values[5] = {96000, 18, 24, 8, 0xFFFFFFFE};
            for (int i = 0; i < 5; ++i) writeLe32(data + 4 * i, values[i]);
        } else { // set: answer the rate halved, the rest as sent
            writeLe32(data, readLe32(data) / 2);
        }
    });
    int32_t config[5] = {};
    ASSERT_TRUE(device->getConfiguration(config));
    EXPECT_EQ(config[0], 96000);
    EXPECT_EQ(config[1], 18);
    EXPECT_EQ(config[3], 8);
    EXPECT_EQ(config[4], -2);

    const int32_t wanted[5] = {88200, 18, 24, 8, 7};
    int32_t answer[5] = {};
    ASSERT_TRUE(device->setConfiguration(wanted, answer));
    const auto& sent = script->log.back().in;
    EXPECT_EQ(readLe32(sent.data()), uint32_t(CMD_SET_CONFIGURATION));
    for (int i = 0; i < 5; ++i) EXPECT_EQ(int32_t(readLe32(sent.data() + 4 + 4 * i)), wanted[i]);
    EXPECT_EQ(answer[0], 44100);
    EXPECT_EQ(answer[4], 7);
}

TEST_F(USBDeviceTest, CpldSettersChangeOnlyTheirBit) {
    ASSERT_TRUE(device->open());
    uint8_t cpld = 0xA5; // bits 3 and 4 clear, the others mixed
    script->answer = [&cpld](uint32_t code, uint8_t* out, uint32_t, uint32_t& r) {
        if (code != IOCTL_COMMAND) return true;
        const int32_t command = int32_t(readLe32(out));
        if (command == CMD_READ_CPLD) out[4] = cpld;
        if (command == CMD_WRITE_CPLD) cpld = out[4];
        r = 4; // the check is not used for these commands
        return true;
    };
    EXPECT_FALSE(device->getCpldMixOutSel());
    EXPECT_TRUE(device->setVelCpldMixOutSel(true));
    EXPECT_EQ(cpld, 0xAD);
    EXPECT_TRUE(device->getCpldMixOutSel());
    EXPECT_FALSE(device->getCpldDigitalMon());
    EXPECT_TRUE(device->setVelCpldDigitalMon(true));
    EXPECT_EQ(cpld, 0xBD);
    EXPECT_TRUE(device->getCpldDigitalMon());
    EXPECT_TRUE(device->setVelCpldMixOutSel(false));
    EXPECT_EQ(cpld, 0xB5);
    EXPECT_TRUE(device->setVelCpldDigitalMon(false));
    EXPECT_EQ(cpld, 0xA5);
    // The read request asks for register byte 0.
    EXPECT_EQ(script->log[3].in[4], 0);
}

TEST_F(USBDeviceTest, FailedCpldReadSendsNoWrite) {
    ASSERT_TRUE(device->open());
    script->log.clear();
    script->answer = [](uint32_t code, uint8_t* out, uint32_t, uint32_t&) {
        return !(code == IOCTL_COMMAND && readLe32(out) == uint32_t(CMD_READ_CPLD));
    };
    EXPECT_FALSE(device->setVelCpldMixOutSel(true));
    EXPECT_FALSE(device->setVelCpldDigitalMon(false));
    EXPECT_FALSE(device->getCpldDigitalMon());
    EXPECT_EQ(script->commands(), (std::vector<int32_t>{CMD_READ_CPLD, CMD_READ_CPLD, CMD_READ_CPLD}));
}

TEST_F(USBDeviceTest, LatencyNameAsksForTheTextOnlyWhenTheEntryExists) {
    ASSERT_TRUE(device->open());
    script->log.clear();
    answerCommands([](int32_t command, uint8_t* data) {
        if (command == CMD_SELECT_LATENCY_ENTRY) {
            writeLe32(data, readLe32(data) < 6 ? 0x40 + readLe32(data) : 0);
        } else if (command == CMD_LATENCY_ENTRY_TEXT) {
            std::memset(data, 'L', 256); // 300 characters would not fit: all 256 bytes text
        }
    });
    char text[256];
    std::memset(text, 0, sizeof text);
    EXPECT_EQ(device->getLatencyName(2, text), 0x42);
    EXPECT_EQ(std::strlen(text), 255u);
    EXPECT_EQ(script->commands(), (std::vector<int32_t>{CMD_SELECT_LATENCY_ENTRY, CMD_LATENCY_ENTRY_TEXT}));
    // Command 12 goes out in the same buffer: offset 4 holds command 11's reply.
    EXPECT_EQ(readLe32(script->log[1].in.data() + 4), 0x42u);

    script->log.clear();
    std::strcpy(text, "untouched");
    EXPECT_EQ(device->getLatencyName(6, text), 0);
    EXPECT_STREQ(text, "untouched");
    EXPECT_EQ(script->commands(), (std::vector<int32_t>{CMD_SELECT_LATENCY_ENTRY}));

    EXPECT_EQ(device->getLatencyName(1, nullptr), 0x41); // no buffer: value only
}

TEST_F(USBDeviceTest, LatencyNameFailsWhenTheTextRequestFails) {
    ASSERT_TRUE(device->open());
    script->answer = [](uint32_t code, uint8_t* out, uint32_t, uint32_t& r) {
        if (code == IOCTL_COMMAND && readLe32(out) == uint32_t(CMD_LATENCY_ENTRY_TEXT)) return false;
        writeLe32(out + 4, 1);
        return true;
    };
    char text[256] = "kept";
    EXPECT_EQ(device->getLatencyName(0, text), 0);
    EXPECT_STREQ(text, "kept");
}

TEST_F(USBDeviceTest, MetersAreConvertedInPlaceOrZeroedOnAShortAnswer) {
    ASSERT_TRUE(device->open());
    uint32_t returned = 64;
    script->answer = [&returned](uint32_t code, uint8_t* out, uint32_t size, uint32_t& r) {
        for (uint32_t i = 0; i < size; ++i) out[i] = uint8_t(0x7C + i); // 0x7C .. 0xBB
        r = returned;
        return true;
    };
    uint8_t block[64];
    ASSERT_TRUE(device->readMeters(block));
    EXPECT_EQ(block[3], 0x7F); // 0x7F stays
    EXPECT_EQ(block[4], 0x80); // 0x80 stays
    EXPECT_EQ(block[5], 0x7F); // 0x81
    EXPECT_EQ(block[63], 0x45); // 0xBB
    EXPECT_EQ(block[0], 0x7C);
    EXPECT_EQ(script->log.back().code, uint32_t(IOCTL_READ_METERS));
    EXPECT_EQ(script->log.back().outSize, 64u);

    returned = 63;
    EXPECT_FALSE(device->readMeters(block));
    for (uint8_t b : block) ASSERT_EQ(b, 0);

    std::memset(block, 0x33, sizeof block);
    script->answer = [](uint32_t, uint8_t* out, uint32_t, uint32_t&) { out[5] = 9; return false; };
    EXPECT_FALSE(device->readMeters(block));
    for (uint8_t b : block) ASSERT_EQ(b, 0);
}

TEST_F(USBDeviceTest, RawWriteSendsACopyAndSkipsEmptyWrites) {
    ASSERT_TRUE(device->open());
    script->log.clear();
    const uint8_t steps[5] = {0xFF, 0x7F, 0x5F, 0x7F, 0xFF};
    script->answer = [](uint32_t, uint8_t* out, uint32_t size, uint32_t& r) {
        std::memset(out, 0, size); // the driver may scribble on the buffer
        r = 0;                      // and the count is not checked
        return true;
    };
    EXPECT_TRUE(device->writeRaw(5, steps));
    ASSERT_EQ(script->log.size(), 1u);
    EXPECT_EQ(script->log[0].code, uint32_t(IOCTL_RAW_WRITE));
    EXPECT_EQ(script->log[0].in, std::vector<uint8_t>(steps, steps + 5));
    EXPECT_EQ(script->log[0].outSize, 5u);
    EXPECT_EQ(steps[0], 0xFF); // the caller's bytes are untouched

    EXPECT_TRUE(device->writeRaw(0, steps));
    EXPECT_TRUE(device->writeRaw(3, nullptr));
    EXPECT_EQ(script->log.size(), 1u);

    // The serial link's sender: no device, no write.
    EXPECT_FALSE(sendStepsToDevice(nullptr, steps, 5));
    EXPECT_TRUE(sendStepsToDevice(device, steps, 5));
    EXPECT_EQ(script->log.size(), 2u);
    script->answer = [](uint32_t, uint8_t*, uint32_t, uint32_t&) { return false; };
    EXPECT_FALSE(sendStepsToDevice(device, steps, 5));
}

TEST_F(USBDeviceTest, VersionsFromTheDriver) {
    ASSERT_TRUE(device->open());
    bool nameFails = false;
    script->answer = [&nameFails](uint32_t code, uint8_t* out, uint32_t size, uint32_t& r) {
        if (code == IOCTL_DRIVER_VERSION) writeLe32(out, 0x01050202);
        if (code == IOCTL_COMMAND) {
            const uint32_t command = readLe32(out);
            if (command == CMD_FIRMWARE_VERSION) writeLe32(out + 4, 0x02010300);
            if (command == CMD_FIRMWARE_NAME) {
                if (nameFails) return false;
                std::memcpy(out + 4, "VELMORA-FW-0123456789", 20); // longer than the name
            }
        }
        return true;
    };
    VersionInfo v;
    ASSERT_TRUE(device->getDriverVersion(v));
    EXPECT_STREQ(v.text, "1.05b2");
    ASSERT_TRUE(device->getFirmwareVersion(v));
    EXPECT_STREQ(v.text, "2.1.3");
    EXPECT_EQ(v.tag, 0);
    EXPECT_STREQ(v.name, "VELMORA-FW-0123");

    nameFails = true; // the version still counts
    ASSERT_TRUE(device->getFirmwareVersion(v));
    EXPECT_STREQ(v.text, "2.1.3");
    for (char c : v.name) EXPECT_EQ(c, 0);
}

TEST_F(USBDeviceTest, EventPollRaisesEvent3OnlyForBit0) {
    struct Seen { int calls = 0; USBDevice* device = nullptr; DeviceEvent event{}; void* context = nullptr; } seen;
    device->setEventCallback([](void* ctx, USBDevice* d, DeviceEvent e) {
        Seen* s = static_cast<Seen*>(ctx);
        ++s->calls; s->device = d; s->event = e; s->context = ctx;
    }, &seen);
    device->pollEvent(); // closed: nothing
    EXPECT_EQ(seen.calls, 0);
    EXPECT_TRUE(script->log.empty());

    ASSERT_TRUE(device->open());
    uint32_t word = 0;
    bool ok = true;
    script->answer = [&](uint32_t code, uint8_t* out, uint32_t size, uint32_t& r) {
        if (code == IOCTL_EVENT) { EXPECT_EQ(size, 8u); writeLe32(out, word); }
        return ok;
    };
    word = 2; device->pollEvent();
    EXPECT_EQ(seen.calls, 0);
    word = 0x80000001; device->pollEvent();
    EXPECT_EQ(seen.calls, 1);
    EXPECT_EQ(seen.device, device);
    EXPECT_EQ(seen.event, DEVICE_STATE_CHANGED);
    EXPECT_EQ(seen.context, &seen);
    ok = false; device->pollEvent();
    EXPECT_EQ(seen.calls, 1);
}

TEST(USBDeviceLifetime, LastReleaseDestroysAndClosesTheChannel) {
    auto script = std::make_shared<TransportScript>();
    USBDevice* device = new USBDevice("\\\\?\\p", "id", 1, std::make_unique<ScriptedTransport>(script));
    EXPECT_EQ(device->refCount(), 0);
    device->addRef();
    device->addRef();
    ASSERT_TRUE(device->open());
    device->release();
    EXPECT_FALSE(script->destroyed);
    EXPECT_EQ(device->refCount(), 1);
    device->release();
    EXPECT_TRUE(script->destroyed);
    EXPECT_EQ(script->closes, 1);
}

TEST(USBDevicePath, AnOverlongPathIsNeverOpenedCut) {
    auto script = std::make_shared<TransportScript>();
    const std::string exact(259, 'p'), overlong(260, 'p');
    USBDevice fits(exact.c_str(), "a", 1, std::make_unique<ScriptedTransport>(script));
    EXPECT_FALSE(fits.pathTooLong());
    EXPECT_TRUE(fits.open());
    EXPECT_EQ(script->opened.back(), exact + "\\CONTROL");

    auto script2 = std::make_shared<TransportScript>();
    USBDevice tooLong(overlong.c_str(), "b", 2, std::make_unique<ScriptedTransport>(script2));
    EXPECT_TRUE(tooLong.pathTooLong());
    EXPECT_EQ(std::strlen(tooLong.interfacePath()), 259u);
    EXPECT_FALSE(tooLong.open());
    EXPECT_TRUE(script2->opened.empty());

    USBDevice noTransport("\\\\?\\p", "c", 3, nullptr);
    EXPECT_FALSE(noTransport.open());
    DeviceRequest request{};
    EXPECT_FALSE(noTransport.sendCommand(request, false));
}

} // namespace
} // namespace velmora
