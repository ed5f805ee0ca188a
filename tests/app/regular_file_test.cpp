// Settings files and the log by path: only regular files are read or
// replaced, a replaced file is whole or untouched, and nothing is left
// beside it. Checked against the files on disk.
#include "app/RegularFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace velmora {
namespace {

namespace fs = std::filesystem;

struct Folder {
    fs::path root = fs::path(::testing::TempDir()) / "regular_file_test";
    Folder() {
        fs::remove_all(root);
        fs::create_directories(root);
    }
    ~Folder() { fs::remove_all(root); }
    std::string operator/(const char* name) const { return (root / fs::u8path(name)).string(); }
};

std::string contents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(RegularFile, OnlyARegularFileIsReadAndOnlyUpToItsLimit) {
    Folder folder;
    std::string text = "left alone";
    EXPECT_EQ(readRegularFile(folder / "missing", 100, text), FileOutcome::Missing);
    EXPECT_EQ(text, "");
    EXPECT_EQ(readRegularFile(folder / "no folder/file", 100, text), FileOutcome::Missing);

    const std::string fifo = folder / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // A pipe without a writer would block a plain open: refused at once.
    EXPECT_EQ(readRegularFile(fifo, 100, text), FileOutcome::NotRegularFile);
    EXPECT_EQ(readRegularFile("/dev/zero", 100, text), FileOutcome::NotRegularFile);
    EXPECT_EQ(readRegularFile(folder.root.string(), 100, text), FileOutcome::NotRegularFile);
    EXPECT_EQ(readRegularFile(std::string("a\0b", 3), 100, text), FileOutcome::Failed);

    const std::string file = folder / "Łukasz 設定.velpanel";
    std::ofstream(file, std::ios::binary) << std::string(100, 'x');
    EXPECT_EQ(readRegularFile(file, 99, text), FileOutcome::TooLarge);
    EXPECT_EQ(text, "");
    EXPECT_EQ(readRegularFile(file, 100, text), FileOutcome::Done);
    EXPECT_EQ(text, std::string(100, 'x'));
}

TEST(RegularFile, AReplacedFileIsWholeOrUntouchedAndNothingStaysBesideIt) {
    Folder folder;
    const std::string file = folder / "設定.velpanel";
    EXPECT_EQ(replaceRegularFile(file, "first"), FileOutcome::Done);
    EXPECT_EQ(replaceRegularFile(file, "second"), FileOutcome::Done);
    EXPECT_EQ(contents(file), "second");
    EXPECT_FALSE(fs::exists(file + ".partial"));

    // A folder, a pipe or a device of that name is not replaced.
    const std::string sub = folder / "a folder";
    fs::create_directory(sub);
    EXPECT_EQ(replaceRegularFile(sub, "x"), FileOutcome::NotRegularFile);
    EXPECT_TRUE(fs::is_directory(sub));
    const std::string fifo = folder / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(replaceRegularFile(fifo, "x"), FileOutcome::NotRegularFile);
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ(replaceRegularFile("/dev/null", "x"), FileOutcome::NotRegularFile);
    EXPECT_FALSE(fs::exists(folder / "a folder.partial"));

    // A folder that does not exist: nothing is made.
    EXPECT_EQ(replaceRegularFile(folder / "none/file", "x"), FileOutcome::Missing);
    EXPECT_FALSE(fs::exists(folder / "none"));
}

} // namespace
} // namespace velmora
