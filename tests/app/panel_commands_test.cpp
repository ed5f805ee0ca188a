// The commands on the core and the requests that run through them, against a
// whole panel and the device model: what the unit's registers hold is the
// oracle for what each outcome claims.
#include "app/PanelCommands.h"
#include "app/PanelRequests.h"
#include "app/RequestWire.h"
#include "app/VolumeSteps.h"
#include "settings/PresetFile.h"
#include "tests/app/PanelHarness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <memory>
#include <vector>

namespace velmora {
namespace {

using namespace testing_app;

// The volume register of output 1..8 as the unit holds it (bit 7 is the
// register's write flag).
int unitStep(const Unit& unit, int output) { return unit.model.codec[VOLUME_REGISTER[output - 1]] & 0x7F; }

bool mentions(const std::vector<std::string>& names, const std::string& part) {
    for (const std::string& n : names)
        if (n.find(part) != std::string::npos) return true;
    return false;
}

TEST(PanelCommands, EachOutcomeSaysWhatTheUnitHolds) {
    Panel panel;
    PanelCommands commands(panel.core);
    EXPECT_EQ(commands.setVolumeDb(1, -6.0).status, CommandStatus::NoUnit);
    EXPECT_EQ(commands.setSampleRate(48000).status, CommandStatus::NoUnit);

    Unit unit;
    panel.arrive(unit);
    // Bad values are named and nothing reaches the unit.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const CommandOutcome& bad :
         {commands.setVolumeDb(9, -6.0), commands.setVolumeDb(1, nan), commands.setVolumeDb(1, 1e300),
          commands.setVolumeDb(1, -63.6), commands.setVolumeStep(1, 128), commands.setSampleRate(22050),
          commands.setLatency(7), commands.setClockMode(2), commands.setSpdifSource(4), commands.setLink(5, true)}) {
        EXPECT_EQ(bad.status, CommandStatus::BadValue);
        EXPECT_FALSE(bad.badValue.empty());
    }
    EXPECT_EQ(unitStep(unit, 1), 127);

    // Done: the value held is the step the unit was sent.
    const CommandOutcome volume = commands.setVolumeDb(1, -0.3);
    EXPECT_EQ(volume.status, CommandStatus::Done);
    EXPECT_EQ(volume.held, 126);
    EXPECT_EQ(unitStep(unit, 1), 126);
    EXPECT_EQ(commands.setSampleRate(96000).held, 96000);
    EXPECT_EQ(unit.model.config[0], 96000);
    EXPECT_EQ(commands.setSpdifSource(2).held, 2);
    EXPECT_EQ(unit.model.digitalOutSelector, 2u);
    EXPECT_EQ(commands.setDigitalFormat(1).held, 1);
    EXPECT_EQ(unit.model.dit[DIGITAL_FORMAT_REGISTER], 1);
    EXPECT_EQ(commands.setClockMode(1).held, 1);
    EXPECT_EQ(unit.model.clockMode, 1u);

    // Refused: the send is named, the master keeps what the unit has.
    vm_inject_fault(&unit.model, VM_IOCTL_RAW_WRITE, VM_ANY_COMMAND, VM_FAULT_FAIL, 1);
    const CommandOutcome refused = commands.setVolumeStep(5, 40);
    EXPECT_EQ(refused.status, CommandStatus::Refused);
    EXPECT_TRUE(mentions(refused.refused, "VelmoraController::setOutVolume()"));
    EXPECT_EQ(refused.held, unitStep(unit, 5));
    vm_inject_fault(&unit.model, VM_IOCTL_COMMAND, 14, VM_FAULT_FAIL, 1);
    const CommandOutcome latency = commands.setLatency(2);
    EXPECT_EQ(latency.status, CommandStatus::Refused);
    EXPECT_TRUE(mentions(latency.refused, "USBDevice::setLatency()"));
    EXPECT_EQ(uint32_t(latency.held), unit.model.latency);
    vm_inject_fault(&unit.model, VM_IOCTL_COMMAND, 17, VM_FAULT_FAIL, 1);
    EXPECT_TRUE(mentions(commands.setClockMode(0).refused, "USBDevice::setClockMode()"));
    EXPECT_EQ(unit.model.clockMode, 1u);
}

TEST(PanelCommands, NothingRunsWhileABoxIsOpenAndALinkedPairMovesTogether) {
    Unit unit;
    Panel panel;
    panel.arrive(unit);
    PanelCommands commands(panel.core);
    // Pairs are linked by default: output 3 takes output 4 along.
    EXPECT_TRUE(commands.setVolumeStep(4, 90).done());
    EXPECT_EQ(unitStep(unit, 3), 90);
    EXPECT_EQ(unitStep(unit, 4), 90);
    EXPECT_EQ(commands.setLink(2, false).held, 0);
    EXPECT_TRUE(commands.setVolumeStep(3, 70).done());
    EXPECT_EQ(unitStep(unit, 3), 70);
    EXPECT_EQ(unitStep(unit, 4), 90);
    EXPECT_EQ(panel.control->records.back().outVolume[2], 70) << "the page shows the change";
    EXPECT_EQ(panel.stored().outVolume[2], 70) << "the change is stored";

    // A command that comes while a failure box is open does nothing.
    std::vector<CommandOutcome> underTheBox;
    panel.view.whileBoxOpen = [&](const std::string&) {
        underTheBox.push_back(commands.setVolumeStep(1, 10));
        underTheBox.push_back(commands.setSampleRate(88200));
    };
    vm_inject_fault(&unit.model, VM_IOCTL_RAW_WRITE, VM_ANY_COMMAND, VM_FAULT_FAIL, 1);
    EXPECT_EQ(commands.setMute(8, true).status, CommandStatus::Refused);
    ASSERT_EQ(underTheBox.size(), 2u);
    for (const CommandOutcome& o : underTheBox) EXPECT_EQ(o.status, CommandStatus::BoxOpen);
    EXPECT_EQ(unitStep(unit, 1), 127);
    EXPECT_EQ(unit.model.config[0], 44100);

    // The unit leaves while the box of a refused send is open: the command
    // does not claim to be done.
    panel.view.whileBoxOpen = [&](const std::string&) { panel.remove(unit); };
    vm_inject_fault(&unit.model, VM_IOCTL_RAW_WRITE, VM_ANY_COMMAND, VM_FAULT_FAIL, 1);
    EXPECT_EQ(commands.setVolumeStep(6, 20).status, CommandStatus::NoUnit);
}

// A unit whose MON bit is stuck: it acknowledges every write of the CPLD
// register but keeps that bit as it was.
class StuckMonitorTransport : public DeviceTransport {
public:
    explicit StuckMonitorTransport(VelmoraModel* model) : model_(model), inner_(model) {}
    bool open(const char* path) override { return inner_.open(path); }
    bool isOpen() const override { return inner_.isOpen(); }
    void close() override { inner_.close(); }
    bool exchange(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                  uint32_t* bytesReturned) override {
        std::vector<uint8_t> request(static_cast<const uint8_t*>(in), static_cast<const uint8_t*>(in) + inSize);
        if (code == VM_IOCTL_COMMAND && inSize > 4 && request[0] == 5)
            request[4] = uint8_t((request[4] & ~VM_CPLD_DIGITAL_MON) | (model_->cpld & VM_CPLD_DIGITAL_MON));
        return inner_.exchange(code, request.data(), inSize, out, outSize, bytesReturned);
    }

private:
    VelmoraModel* model_;
    ModelTransport inner_;
};

TEST(PanelCommands, ABitTheUnitAcknowledgesButKeepsIsNotTaken) {
    VelmoraModel model;
    vm_init(&model);
    USBDevice* device = new USBDevice("\\\\?\\velmora#unit#0009", "VELMORA\\UNIT\\0009", 1,
                                      std::make_unique<StuckMonitorTransport>(&model));
    device->addRef();
    {
        Panel panel;
        panel.core.onDeviceEvent(device, DEVICE_ARRIVED);
        PanelCommands commands(panel.core);
        const CommandOutcome monitor = commands.setDigitalMon(true);
        EXPECT_EQ(monitor.status, CommandStatus::Refused);
        EXPECT_TRUE(mentions(monitor.refused, "setVelCpldDigitalMon()"));
        EXPECT_EQ(monitor.held, 0);
        EXPECT_EQ(model.cpld & VM_CPLD_DIGITAL_MON, 0u);
        EXPECT_TRUE(commands.setMixOutSel(true).done()) << "the other bit is taken";
        EXPECT_NE(model.cpld & VM_CPLD_MIX_OUT_SEL, 0u);
        panel.core.onDeviceEvent(device, DEVICE_REMOVED);
    }
    device->release();
}

// What a listener of the panel hears.
struct Heard : PanelEvents {
    int arrived = 0, removed = 0, published = 0, followed = 0;
    void unitArrived(const USBDevice&, const PanelSettings&) override { ++arrived; }
    void unitNotOpened(const USBDevice&) override {}
    void unitRemoved(const USBDevice&) override { ++removed; }
    void sendFailed(const USBDevice&, const char*) override {}
    void recordSaved(bool, const std::string&) override {}
    void settingsPublished(const PanelSettings&) override { ++published; }
    void unitFollowed(int32_t, int32_t) override { ++followed; }
};

TEST(PanelObserver, EachChangeIsHeardOnceWhateverCausedIt) {
    Unit unit;
    Panel panel;
    Heard heard;
    panel.core.setEvents(&heard);
    panel.arrive(unit);
    EXPECT_EQ(heard.arrived, 1);
    EXPECT_EQ(heard.published, 1) << "the arrival's record";
    PanelCommands commands(panel.core);

    auto once = [&](const char* cause, auto change) {
        heard.published = 0;
        change();
        EXPECT_EQ(heard.published, 1) << cause;
    };
    once("a command", [&] { commands.setVolumeStep(1, 100); });
    once("the page", [&] {
        PanelSettings copy = panel.control->records.back();
        copy.outVolume[1] = 90;
        panel.pageChangesVolumes(copy);
    });
    once("the menu", [&] { panel.core.onCommand(CMD_LATENCY_FIRST); });
    once("the radio buttons", [&] { panel.core.onCommand(ID_FORMAT_PROFESSIONAL); });
    // The unit moves its rate itself: followed once, published once, and
    // the tip follows.
    once("the unit", [&] {
        vm_hw_set_digital_input(&unit.model, 96000);
        panel.core.onStatusTimer();
        panel.core.onStatusTimer();
    });
    EXPECT_EQ(heard.followed, 1);
    EXPECT_EQ(panel.view.trayTip, "Velmora Control Panel - 0001 - 96000 Hz");
    panel.remove(unit);
    EXPECT_EQ(heard.removed, 1);
    EXPECT_EQ(panel.view.trayTip, "Velmora Control Panel - No Device");
}

// The receiving side of the command line: the wire text as another panel or
// program sends it.
TEST(PanelRequests, TheRunningPanelChecksWhatItIsSentAndStatesTheStepItSet) {
    Unit unit;
    Panel panel;
    panel.arrive(unit);
    PanelRequests requests(panel.core);
    PanelRequest volume;
    volume.verb = RequestVerb::Volume;
    volume.output = 1;
    volume.db = -0.3;
    RequestAnswer answer = requests.run(volume);
    EXPECT_EQ(answer.code, EXIT_DONE);
    EXPECT_EQ(answer.text, "Output 1 is at -0.5 dB.");
    EXPECT_EQ(unitStep(unit, 1), 126);

    for (const char* db : {"nan", "1e300", "-inf", "-1e999", "0.6"}) {
        answer = requests.runText(std::string("volume\n0\n3\n") + db + "\n0\n");
        EXPECT_EQ(answer.code, EXIT_USAGE) << db;
    }
    EXPECT_EQ(unitStep(unit, 2), 126) << "linked with output 1";
    EXPECT_EQ(unitStep(unit, 3), 127);
    answer = requests.runText("xyz\n0\n0\n0.0\n0\n");
    EXPECT_EQ(answer.code, EXIT_USAGE);
    EXPECT_EQ(answer.text, "The running panel does not know the request \"xyz\".");
    EXPECT_EQ(requests.runText("volume\n0\n").code, EXIT_USAGE);
    EXPECT_EQ(requests.runText(encodeRequest(volume)).text, "Output 1 is at -0.5 dB.");
    PanelRequest load;
    load.verb = RequestVerb::Load;
    load.file = std::string("a\0b", 3);
    EXPECT_EQ(requests.run(load).code, EXIT_USAGE) << "a name with a NUL would open another file";
    EXPECT_EQ(requests.runText("load\n0\n0\n0.0\n0\nC:\\a.velpanel\nb").code, EXIT_USAGE)
        << "a name with a line break is not cut to another file";
}

TEST(PanelRequests, ALoadWhoseClockModeTheUnitRefusesAnswersOneNamingIt) {
    Unit unit;
    Panel panel;
    panel.arrive(unit);
    PanelSettings record = panel.core.settings();
    record.outVolume[6] = 60;
    const std::string path = ::testing::TempDir() + "clock.velpanel";
    { std::ofstream(path, std::ios::binary) << writePreset(record, 1); }
    PanelRequests requests(panel.core);
    vm_inject_fault(&unit.model, VM_IOCTL_COMMAND, 17, VM_FAULT_FAIL, 1);
    const RequestAnswer answer = requests.loadPreset(path);
    EXPECT_EQ(answer.code, EXIT_FAILED);
    EXPECT_NE(answer.text.find("setClockMode"), std::string::npos) << answer.text;
    EXPECT_EQ(unitStep(unit, 7), 60) << "the rest of the file was taken";
    EXPECT_EQ(requests.loadPreset(path).code, EXIT_DONE);
    EXPECT_EQ(unit.model.clockMode, 1u);
}

} // namespace
} // namespace velmora
