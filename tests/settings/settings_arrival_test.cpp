// The record a unit starts from, with the versions the unit itself reports
// (a device model standing in for the driver).
#include "VelPanelVersion.h"
#include "device/USBDevice.h"
#include "tests/support/SettingsRecords.h"
#include "settings/ArrivalRecord.h"
#include "settings/MemorySettingsStore.h"
#include "sim/fake/ModelTransport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

using namespace velmora;

namespace {

using velmora_testing::bytesOf;

std::vector<uint8_t> bytesOf(const VersionInfo& v) {
    const auto* p = reinterpret_cast<const uint8_t*>(&v);
    return std::vector<uint8_t>(p, p + sizeof v);
}

class ArrivalRecordTest : public ::testing::Test {
protected:
    void SetUp() override {
        vm_init(&model_);
        vm_set_driver_version(&model_, 2, 5, 4, 0); // a release: "2.05"
        vm_set_firmware(&model_, 0x01020304u, "VEL-FW");
        device_ = std::make_unique<USBDevice>("\\\\?\\velmora#unit#0001", "VELMORA\\UNIT\\0001", 1,
                                              std::make_unique<ModelTransport>(&model_));
        ASSERT_TRUE(device_->open());
    }

    PanelSettings userRecord() const {
        PanelSettings r;
        makeDefaultSettings(r);
        r.outVolume[2] = 90;
        r.outMute[7] = 1;
        r.sampleRate = 88200;
        r.latency = 5;
        std::strcpy(r.firmwareVersion.text, "0.9.9"); // from the unit seen last time
        r.panelVersionMajor = 1;
        r.panelVersionMinor = 5;
        return r;
    }

    void expectUnitVersions(const PanelSettings& r) {
        EXPECT_STREQ(r.driverVersion.text, "2.05");
        EXPECT_EQ(r.driverVersion.major, 2);
        EXPECT_EQ(r.driverVersion.minor, 5);
        EXPECT_STREQ(r.firmwareVersion.text, "1.2.3");
        EXPECT_STREQ(r.firmwareVersion.name, "VEL-FW");
        EXPECT_EQ(r.panelVersionMajor, VELPANEL_VERSION_MAJOR);
        EXPECT_EQ(r.panelVersionMinor, VELPANEL_VERSION_MINOR);
    }

    VelmoraModel model_;
    std::unique_ptr<USBDevice> device_;
};

} // namespace

TEST_F(ArrivalRecordTest, StoredRecordKeepsTheUsersFieldsAndTakesTheUnitsVersions) {
    const PanelSettings stored = userRecord();
    MemorySettingsStore store(bytesOf(stored));
    const PanelSettings r = chooseArrivalRecord(store, device_.get());
    expectUnitVersions(r);
    // Everything before the versions and after the panel version is as stored.
    const auto got = bytesOf(r), want = bytesOf(stored);
    EXPECT_TRUE(std::equal(got.begin(), got.begin() + 48, want.begin()));
    EXPECT_TRUE(std::equal(got.begin() + 256, got.end(), want.begin() + 256));
    EXPECT_EQ(store.writeCount(), 0) << "choosing the record writes nothing";
}

TEST_F(ArrivalRecordTest, UnusableStoredValuesGiveDefaultsWithTheUnitsVersions) {
    PanelSettings badRate = userRecord();
    badRate.sampleRate = 22050;
    PanelSettings blank;
    makeBlank(blank);
    PanelSettings defaults;
    makeDefaultSettings(defaults);
    const std::vector<std::vector<uint8_t>> values = {
        bytesOf(badRate), bytesOf(blank), std::vector<uint8_t>(351, 0x7F), std::vector<uint8_t>(353, 0x7F)};
    for (const auto& value : values) {
        MemorySettingsStore store(value);
        const PanelSettings r = chooseArrivalRecord(store, device_.get());
        expectUnitVersions(r);
        const auto got = bytesOf(r), want = bytesOf(defaults);
        EXPECT_TRUE(std::equal(got.begin(), got.begin() + 48, want.begin())) << value.size();
        EXPECT_TRUE(std::equal(got.begin() + 256, got.end(), want.begin() + 256)) << value.size();
    }
}

TEST_F(ArrivalRecordTest, DefaultsCarryVersionsOnlyFromAnOpenUnit) {
    PanelSettings withUnit;
    makeDefaultSettings(withUnit, device_.get());
    EXPECT_STREQ(withUnit.driverVersion.text, "2.05");
    EXPECT_STREQ(withUnit.firmwareVersion.text, "1.2.3");
    EXPECT_EQ(withUnit.panelVersionMajor, 0) << "the panel version is arrival's to set";

    const VersionInfo zero{};
    PanelSettings none;
    makeDefaultSettings(none, nullptr);
    EXPECT_EQ(bytesOf(none.driverVersion), bytesOf(zero));
    EXPECT_EQ(bytesOf(none.firmwareVersion), bytesOf(zero));

    device_->close();
    PanelSettings closed;
    makeDefaultSettings(closed, device_.get());
    EXPECT_EQ(bytesOf(closed.driverVersion), bytesOf(zero));
    EXPECT_EQ(bytesOf(closed.firmwareVersion), bytesOf(zero));

    // Stale versions of an earlier unit do not survive an arrival without answers.
    MemorySettingsStore store(bytesOf(userRecord()));
    const PanelSettings r = chooseArrivalRecord(store, device_.get());
    EXPECT_EQ(bytesOf(r.firmwareVersion), bytesOf(zero));
    EXPECT_EQ(r.sampleRate, 88200);
}
