// The command line: each request, what is refused, and the text a request
// travels in to the running panel.
#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

ParsedCommandLine parse(std::vector<std::string> args) { return parseCommandLine(args); }

TEST(CommandLine, EachRequestIsReadAndTravelsWhole) {
    struct Case {
        std::vector<std::string> args;
        RequestVerb verb;
    };
    const Case cases[] = {
        {{}, RequestVerb::None},
        {{"--load", "C:\\My Presets\\live set.velpanel"}, RequestVerb::Load},
        {{"--save", "out.velpanel"}, RequestVerb::Save},
        {{"--rate", "96000"}, RequestVerb::Rate},
        {{"--latency", "2"}, RequestVerb::Latency},
        {{"--volume", "3", "-12.5"}, RequestVerb::Volume},
        {{"--mute", "8", "on"}, RequestVerb::Mute},
        {{"--show"}, RequestVerb::Show},
        {{"--exit"}, RequestVerb::Exit},
        {{"--status"}, RequestVerb::Status},
        {{"--store", "3"}, RequestVerb::Store},
        {{"--store", "3", "Mischen \xC3\xBC"}, RequestVerb::Store},
        {{"--recall", "8"}, RequestVerb::Recall},
        {{"--recall", "Mischen \xC3\xBC"}, RequestVerb::Recall},
        {{"--remote", "on", "--remote-port", "9200"}, RequestVerb::Remote},
        {{"--remote-port", "9111"}, RequestVerb::Remote},
    };
    for (const Case& c : cases) {
        const ParsedCommandLine parsed = parse(c.args);
        ASSERT_TRUE(parsed.ok) << parsed.message;
        EXPECT_EQ(parsed.request.verb, c.verb);
        if (c.verb == RequestVerb::None) continue; // the bare start sends nothing
        PanelRequest back;
        ASSERT_TRUE(decodeRequest(encodeRequest(parsed.request), back));
        EXPECT_EQ(encodeRequest(back), encodeRequest(parsed.request));
    }
    // A snapshot by number or by name; a slot beyond 8 or a bad name is refused here.
    EXPECT_EQ(parse({"--store", "3", "Live"}).request.value, 3);
    EXPECT_EQ(parse({"--store", "3", "Live"}).request.file, "Live");
    EXPECT_EQ(parse({"--recall", "Live"}).request.value, 0);
    EXPECT_EQ(parse({"--recall", "7"}).request.value, 7);
    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"--store", "9"}, {"--store", "0", "x"}, {"--store", "1", std::string(25, 'x')}, {"--recall", "9"}})
        EXPECT_FALSE(parse(bad).ok) << bad[1];
    const ParsedCommandLine help = parse({"--help"});
    const PanelRequest volume = parse({"--volume", "3", "-12.5"}).request;
    EXPECT_EQ(volume.output, 3);
    EXPECT_DOUBLE_EQ(volume.db, -12.5);
    // Any dB in range goes to the nearest step the unit has.
    EXPECT_DOUBLE_EQ(parse({"--volume", "1", "-0.3"}).request.db, -0.5);
    EXPECT_DOUBLE_EQ(parse({"--volume", "1", "-63.4"}).request.db, -63.5);
    EXPECT_TRUE(parse({"--mute", "8", "on"}).request.on);
    const PanelRequest remote = parse({"--remote", "off"}).request;
    EXPECT_TRUE(remote.output == 1 && !remote.on && remote.value == 0); // the port as it is
    EXPECT_EQ(parse({"--remote-port", "9200", "--remote", "on"}).request.value, 9200);
    EXPECT_EQ(parse({"--load", "C:\\My Presets\\live set.velpanel"}).request.file, "C:\\My Presets\\live set.velpanel");

    // How long a request waits for a unit: 10 s unless given, 0..3600.
    EXPECT_FALSE(parse({"--status"}).waitGiven);
    EXPECT_EQ(parse({"--status"}).waitSeconds, 10);
    for (const char* seconds : {"0", "2", "3600"}) {
        const ParsedCommandLine waited = parse({"--volume", "1", "-6", "--wait", seconds});
        ASSERT_TRUE(waited.ok) << waited.message;
        EXPECT_TRUE(waited.waitGiven);
        EXPECT_EQ(waited.waitSeconds, std::stoi(seconds));
    }
    EXPECT_NE(help.message.find("--wait"), std::string::npos);

    EXPECT_TRUE(parse({"--background"}).background);
    EXPECT_EQ(parse({"--background"}).request.verb, RequestVerb::None);

    EXPECT_EQ(help.request.verb, RequestVerb::Help);
    EXPECT_NE(help.message.find("--volume"), std::string::npos);
}

TEST(CommandLine, WrongRequestsAreRefusedWithAReason) {
    const std::vector<std::vector<std::string>> wrong = {
        {"--rate", "22050"},      {"--latency", "7"},        {"--volume", "9", "0"},
        {"--volume", "1", "nan"}, {"--volume", "1", "3"},    {"--volume", "1"},
        {"--volume", "1", "-1e300"}, {"--volume", "1", "-63.6"}, {"--volume", "1", "-inf"},
        {"--mute", "1", "yes"},   {"--mute", "0", "on"},     {"--load"},
        {"--rate", "48000", "--show"}, {"--frobnicate"},      {"stray"},
        {"--exit", "--background"}, {"--EXIT"},                {"/exit"},
        {"--wait", "5"},          {"--wait", "5", "--background"}, {"--status", "--wait", "-1"},
        {"--status", "--wait", "3601"}, {"--status", "--wait", "soon"}, {"--status", "--wait"},
        {"--remote", "maybe"},    {"--remote-port", "0"},    {"--remote-port", "65536"},
        {"--remote", "on", "--show"},
    };
    for (const auto& args : wrong) {
        const ParsedCommandLine parsed = parse(args);
        EXPECT_FALSE(parsed.ok) << args[0];
        EXPECT_FALSE(parsed.message.empty()) << args[0];
    }
    PanelRequest request;
    EXPECT_FALSE(decodeRequest("reboot\n0\n0\n0\n0\n", request));
    EXPECT_FALSE(decodeRequest("rate\nabc\n0\n0\n0\n", request));
    // The running panel checks a remote request as the command line does.
    ASSERT_TRUE(decodeRequest("remote\n70000\n1\n0\n1\n", request));
    EXPECT_FALSE(checkRequest(request).ok);
    ASSERT_TRUE(decodeRequest("remote\n0\n0\n0\n1\n", request));
    EXPECT_FALSE(checkRequest(request).ok);
}

} // namespace
} // namespace velmora
