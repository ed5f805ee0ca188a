// The diagnostics log's files as they are on disk: rotation that never
// loses the older file, the cap when the files cannot be rotated, one line
// per event whatever the text holds, and bursts of saves.
#include "app/DiagnosticsLog.h"
#include "app/LogText.h"
#include "app/RegularFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

namespace velmora {
namespace {

struct LogFiles {
    std::string path = ::testing::TempDir() + "diagnostics.log";
    LogFiles() { clear(); }
    ~LogFiles() { clear(); }
    void clear() const {
        std::remove(path.c_str());
        std::remove((path + ".1").c_str());
    }
    static std::string read(const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }
    std::string current() const { return read(path); }
    std::string older() const { return read(path + ".1"); }
    static void write(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
};

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line.substr(line.find("  ") + 2));
    return lines;
}

size_t count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

TEST(DiagnosticsLog, AFullFileReplacesTheOlderOneAndAFailedMoveKeepsItUpToTheCap) {
    LogFiles files;
    bool moves = true;
    DiagnosticsLog log(files.path, 1000, [] { return std::time_t(0); },
                       [&](const std::string& from, const std::string& to) {
                           return moves && moveReplacing(from, to);
                       });
    LogFiles::write(files.path + ".1", "the oldest history\n");
    for (int i = 0; i < 40; ++i) log.write("first " + std::to_string(i)); // ~36 bytes a line
    EXPECT_NE(files.older().find("first 0"), std::string::npos);
    EXPECT_EQ(files.older().find("oldest"), std::string::npos);
    EXPECT_LE(files.current().size(), 1000u);

    // Another program holds the files: the move fails, the older file stays
    // whole and the current one grows past its size, told once, up to 4x.
    const std::string olderBefore = files.older();
    moves = false;
    for (int i = 0; i < 400; ++i) log.write("second " + std::to_string(i));
    EXPECT_EQ(files.older(), olderBefore);
    const std::string grown = files.current();
    EXPECT_GT(grown.size(), 3000u);
    EXPECT_LE(grown.size(), 4000u);
    EXPECT_EQ(count(grown, "could not be moved to " + files.path + ".1"), 1u) << grown;
    EXPECT_NE(grown.find("second 50"), std::string::npos);

    // Once the move works again the log rotates and tells again next time.
    moves = true;
    log.write("third");
    EXPECT_NE(files.older().find("second 50"), std::string::npos);
    EXPECT_EQ(linesOf(files.current()), std::vector<std::string>{"third"});
}

TEST(DiagnosticsLog, EveryEventIsOneLineWhateverItsTextHolds) {
    LogFiles files;
    {
        DiagnosticsLog log(files.path, 4096, [] { return std::time_t(0); });
        log.write("start: VelPanel.exe --save \"C:\\Łukasz\\設定.velpanel\"\r\n2026-01-01 00:00:00  forged\x1b[2J\x7f");
        log.write(std::string("nul\0here", 8) + " bad \xff\xc3 end \xe2\x80\xae" + "txt.exe\tx\xc2\x85");
    }
    EXPECT_EQ(linesOf(files.current()),
              (std::vector<std::string>{
                  "start: VelPanel.exe --save \"C:\\Łukasz\\設定.velpanel\"\\r\\n2026-01-01 00:00:00  forged\\x1b[2J\\x7f",
                  "nul\\x00here bad \\xff\\xc3 end \\u202etxt.exe\\tx\\u0085"}));
    // Overlong forms and encoded surrogates are not UTF-8 either.
    EXPECT_EQ(escapeLogText("\xc0\xaf \xed\xa0\x80 \xf4\x90\x80\x80 \xf0\x9f\x8e\xb5"),
              "\\xc0\\xaf \\xed\\xa0\\x80 \\xf4\\x90\\x80\\x80 \xf0\x9f\x8e\xb5");
}

TEST(DiagnosticsLog, ABurstOfSavesIsOneLineWithItsCount) {
    LogFiles files;
    std::time_t now = 1000;
    {
        DiagnosticsLog log(files.path, 1 << 20, [&] { return now; });
        // A fader swept for 20 s: a save every second.
        for (int i = 0; i < 21; ++i, ++now) log.recordSaved(true, "the registry");
        log.write("removal");
        // Saves far apart, a failed one between: each is its own line.
        log.recordSaved(true, "the registry");
        now += 10;
        log.recordSaved(true, "the registry");
        log.recordSaved(false, "the registry");
        log.recordSaved(true, "the registry");
        // The last burst is written when the log ends.
        log.recordSaved(true, "the registry");
    }
    EXPECT_EQ(linesOf(files.current()), (std::vector<std::string>{
                                            "settings saved to the registry (21 times in 20 s)",
                                            "removal",
                                            "settings saved to the registry",
                                            "settings saved to the registry",
                                            "settings could NOT be saved to the registry",
                                            "settings saved to the registry (2 times in 0 s)",
                                        }));
}

} // namespace
} // namespace velmora
