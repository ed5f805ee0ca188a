// Requests from the command line and the File menu against a whole panel
// and the device model: what the unit's registers hold afterwards, the exit
// codes, settings files saved and loaded, and the diagnostics log.
#include "app/CommandLine.h"
#include "app/DiagnosticsLog.h"
#include "app/PanelRequests.h"
#include "tests/app/PanelHarness.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace velmora {
namespace {

using namespace testing_app;

PanelRequest request(std::vector<std::string> args) {
    const ParsedCommandLine parsed = parseCommandLine(args);
    EXPECT_TRUE(parsed.ok) << parsed.message;
    return parsed.request;
}

std::string tempPath(const char* name) { return ::testing::TempDir() + name; }

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(PanelRequests, TheAnswerSaysWhetherTheUnitTookTheChange) {
    Panel panel;
    PanelRequests requests(panel.core);
    EXPECT_EQ(requests.run(request({"--rate", "96000"})).code, EXIT_NO_UNIT);
    EXPECT_EQ(requests.savePreset(tempPath("none.velpanel")).code, EXIT_NO_UNIT);

    Unit unit;
    panel.arrive(unit);
    // Output 3's pair is linked: both move, as on the Control page.
    EXPECT_EQ(requests.run(request({"--volume", "3", "-12.5"})).code, EXIT_DONE);
    EXPECT_EQ(unit.model.codec[VOLUME_REGISTER[3]], 0x80 | 102);
    EXPECT_EQ(panel.control->records.back().outVolume[2], 102);
    // A send the unit refuses: told in a box, and the answer says so.
    vm_inject_fault(&unit.model, VM_IOCTL_RAW_WRITE, VM_ANY_COMMAND, VM_FAULT_FAIL, 1);
    EXPECT_EQ(requests.run(request({"--mute", "8", "on"})).code, EXIT_FAILED);
    EXPECT_EQ(panel.view.errors.size(), 1u);
    vm_inject_fault(&unit.model, VM_IOCTL_COMMAND, VM_ANY_COMMAND, VM_FAULT_FAIL, 2);
    EXPECT_EQ(requests.run(request({"--latency", "1"})).code, EXIT_FAILED);
}

TEST(PanelRequests, ASaveThatCannotBeWrittenLeavesTheEarlierFileWhole) {
    Unit unit;
    Panel panel;
    panel.arrive(unit);
    PanelRequests requests(panel.core);
    const std::string path = tempPath("kept.velpanel");
    std::filesystem::remove_all(path + ".partial");
    { std::ofstream(path, std::ios::binary) << "earlier"; }
    // The file beside it cannot be made: the save fails and the earlier one stays.
    std::filesystem::create_directory(path + ".partial");
    EXPECT_EQ(requests.savePreset(path).code, EXIT_FAILED);
    EXPECT_EQ(readFile(path), "earlier");
    std::filesystem::remove(path + ".partial");
    EXPECT_EQ(requests.savePreset(path).code, EXIT_DONE);
    EXPECT_NE(readFile(path).find("\"sampleRate\""), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(path + ".partial"));
}

TEST(DiagnosticsLog, EventsAreWrittenWithTheirDetailsAndTwoFilesRotate) {
    const std::string path = tempPath("velpanel.log");
    std::remove(path.c_str());
    std::remove((path + ".1").c_str());
    DiagnosticsLog log(path, 2048, [] { return std::time_t(0); });

    Unit unit;
    Panel panel;
    panel.core.setEvents(&log);
    panel.arrive(unit);
    vm_inject_fault(&unit.model, VM_IOCTL_COMMAND, 3, VM_FAULT_FAIL, 1);
    PanelSettings c = panel.control->records.back();
    c.digitalOutSelector = 2;
    panel.core.applyMixer(c);
    panel.remove(unit);
    const std::string text = readFile(path);
    EXPECT_NE(text.find("arrival VELMORA\\UNIT\\0001: driver 1.06"), std::string::npos) << text;
    EXPECT_NE(text.find("firmware 2.1.3 VELMORA-FW"), std::string::npos) << text;
    EXPECT_NE(text.find("setDigitalOutSelector() (I/O control 0x2200D0 command 3"), std::string::npos) << text;
    EXPECT_NE(text.find("settings saved to the settings store"), std::string::npos) << text;
    EXPECT_NE(text.find("removal VELMORA\\UNIT\\0001"), std::string::npos) << text;

    for (int i = 0; i < 200; ++i) log.write("line " + std::to_string(i));
    const std::string newest = readFile(path), older = readFile(path + ".1");
    EXPECT_LE(newest.size(), 2048u);
    EXPECT_LE(older.size(), 2048u);
    EXPECT_NE(newest.find("line 199"), std::string::npos);
    EXPECT_EQ(newest.find("arrival"), std::string::npos);
    std::remove(path.c_str());
    std::remove((path + ".1").c_str());
}

} // namespace
} // namespace velmora
