// What a start of VelPanel.exe is asked to do: with no arguments the panel as
// it always was, two verbs, and anything else refused (never a panel started
// by a mistyped verb).
#include "app/LaunchVerb.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

LaunchVerb verbFor(std::initializer_list<const char*> arguments) {
    std::vector<const char*> argv{"C:\\Apps\\VelPanel.exe"};
    argv.insert(argv.end(), arguments);
    return launchVerbFor(static_cast<int>(argv.size()), argv.data());
}

TEST(LaunchVerb, OnlyABareStartOrOneOfTheTwoVerbs) {
    EXPECT_EQ(verbFor({}), LaunchVerb::Panel);
    EXPECT_EQ(launchVerbFor(0, nullptr), LaunchVerb::Panel) << "a start with no argv at all";
    EXPECT_EQ(verbFor({"--exit"}), LaunchVerb::ExitPanel);
    EXPECT_EQ(verbFor({"--background"}), LaunchVerb::BackgroundPanel);
    for (const char* other : {"--EXIT", "-exit", "/exit", "--exit=1", "exit", "", "--back"})
        EXPECT_EQ(verbFor({other}), LaunchVerb::Unknown) << other;
    EXPECT_EQ(verbFor({"--exit", "--background"}), LaunchVerb::Unknown);
    EXPECT_EQ(verbFor({"--background", "--background"}), LaunchVerb::Unknown);
}

} // namespace
} // namespace velmora
