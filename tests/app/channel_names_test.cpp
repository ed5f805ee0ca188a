// Channel names: what a name may be, kept beside the record and read back,
// and shown by --status.
#include "PanelHarness.h"

#include "settings/ChannelNames.h"
#include "app/PanelRequests.h"
#include "app/RegularFile.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

namespace velmora {
namespace {

using testing_app::Panel;
using testing_app::Unit;

std::string repeated(const std::string& piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += piece;
    return text;
}

TEST(ChannelNames, LengthIsCountedInCharactersAndControlCharactersAreRefused) {
    const std::string kana = "\xE3\x81\x82"; // one character, three bytes
    ChannelNames names;
    EXPECT_TRUE(names.set(ChannelKind::Input, 18, repeated(kana, 24)));
    EXPECT_FALSE(names.set(ChannelKind::Input, 1, repeated(kana, 25)));
    EXPECT_TRUE(names.set(ChannelKind::Output, 8, repeated("a", 24)));
    EXPECT_NE(checkChannelName(repeated("a", 25)), "");
    EXPECT_NE(checkChannelName("Vox\tL"), "");
    EXPECT_NE(checkChannelName("Vox\x7F"), "");
    EXPECT_NE(checkChannelName("\xC2\x85"), "");      // U+0085, a C1 control
    EXPECT_NE(checkChannelName("\xC3"), "");          // cut off
    EXPECT_NE(checkChannelName("\xED\xA0\x80"), "");  // a surrogate
    EXPECT_NE(checkChannelName("\xC0\xAF"), "");      // overlong
    EXPECT_EQ(checkChannelName("Kick \xF0\x9F\xA5\x81"), "");
    // No such channel; a refused name leaves the earlier one.
    EXPECT_FALSE(names.set(ChannelKind::Input, 19, "x"));
    EXPECT_FALSE(names.set(ChannelKind::Output, 0, "x"));
    EXPECT_FALSE(names.set(ChannelKind::Output, 8, "a\nb"));
    EXPECT_EQ(names.name(ChannelKind::Output, 8), repeated("a", 24));
    EXPECT_EQ(names.shown(ChannelKind::Output, 5), "Output 5");
    EXPECT_EQ(names.shown(ChannelKind::Input, 18), repeated(kana, 24));
}

TEST(ChannelNames, KeptBesideTheRecordAndADamagedValueGivesNoNames) {
    MemorySettingsStore store;
    ChannelNames names, read;
    std::string problem;
    EXPECT_TRUE(loadChannelNames(store, read, problem)); // never stored: no names
    names.set(ChannelKind::Input, 3, "Gitarre \xC3\x9F");
    names.set(ChannelKind::Output, 5, "\xE3\x83\x98\xE3\x83\x83\xE3\x83\x89\xE3\x83\x9B\xE3\x83\xB3");
    ASSERT_TRUE(saveChannelNames(store, names));
    EXPECT_EQ(store.value().size(), 0u); // never inside the record
    ASSERT_TRUE(loadChannelNames(store, read, problem));
    EXPECT_EQ(read, names);

    for (const char* damaged : {"{", "[]", R"({"inputs":[],"outputs":[]})",
                                R"({"inputs":["","","","","","","","","","","","","","","","","",1],"outputs":["","","","","","","",""]})",
                                R"({"inputs":["","","","","","","","","","","","","","","","","",""],"outputs":["","","","","","","","a\u0007"]})"}) {
        store.writeText(PREFERENCE_CHANNEL_NAMES, damaged);
        read = names;
        EXPECT_FALSE(loadChannelNames(store, read, problem)) << damaged;
        EXPECT_EQ(read, ChannelNames()) << damaged;
        EXPECT_NE(problem, "");
    }
    EXPECT_NE(problem.find("Output 8"), std::string::npos);
}

TEST(ChannelNames, StatusShowsEachInputAndOutputWithItsName) {
    Unit unit;
    Panel panel;
    panel.arrive(unit);
    ChannelNames names;
    names.set(ChannelKind::Input, 2, "Bass DI");
    names.set(ChannelKind::Output, 3, "Headphones");
    saveChannelNames(panel.store, names);
    PanelRequests requests(panel.core, &panel.store);
    const auto state = nlohmann::json::parse(requests.status());
    ASSERT_EQ(state["inputs"].size(), 18u);
    EXPECT_EQ(state["inputs"][1]["number"], 2);
    EXPECT_EQ(state["inputs"][1]["name"], "Bass DI");
    EXPECT_EQ(state["inputs"][0]["name"], "");
    const auto& outputs = state["settings"]["outputs"];
    ASSERT_EQ(outputs.size(), 8u);
    EXPECT_EQ(outputs[2]["name"], "Headphones");
    EXPECT_EQ(outputs[2]["output"], 3);
    EXPECT_TRUE(outputs[2].contains("volume"));
    EXPECT_EQ(outputs[7]["name"], "");
}

TEST(ChannelNames, ASettingsFileCarriesTheNamesAndAnOldOneLeavesThem) {
    Unit unit;
    Panel panel;
    panel.arrive(unit);
    ChannelNames names;
    names.set(ChannelKind::Input, 1, "Kick");
    names.set(ChannelKind::Output, 8, "Cue \xE2\x80\x93 Drums");
    saveChannelNames(panel.store, names);
    PanelRequests requests(panel.core, &panel.store);
    ChannelNames heard;
    requests.onNamesChanged([&heard](const ChannelNames& n) { heard = n; });
    const std::string path = ::testing::TempDir() + "names.velpanel";
    ASSERT_EQ(requests.savePreset(path).code, EXIT_DONE);

    // Other names now; the file brings its own back, stored and told.
    ChannelNames other;
    other.set(ChannelKind::Input, 1, "Snare");
    saveChannelNames(panel.store, other);
    ASSERT_EQ(requests.loadPreset(path).code, EXIT_DONE);
    ChannelNames stored;
    std::string problem;
    ASSERT_TRUE(loadChannelNames(panel.store, stored, problem));
    EXPECT_EQ(stored, names);
    EXPECT_EQ(heard, names);

    // A version 1 file leaves the names as they are.
    std::string text;
    ASSERT_EQ(readRegularFile(path, PRESET_MAX_BYTES, text), FileOutcome::Done);
    auto v1 = nlohmann::ordered_json::parse(text);
    v1["version"] = 1;
    v1.erase("inputs");
    for (auto& output : v1["outputs"]) output.erase("name");
    text = v1.dump(2);
    ASSERT_EQ(replaceRegularFile(path, text), FileOutcome::Done);
    saveChannelNames(panel.store, other);
    heard = ChannelNames();
    const RequestAnswer old = requests.loadPreset(path);
    ASSERT_EQ(old.code, EXIT_DONE) << old.text;
    ASSERT_TRUE(loadChannelNames(panel.store, stored, problem));
    EXPECT_EQ(stored, other);
    EXPECT_EQ(heard, ChannelNames());
}

} // namespace
} // namespace velmora
