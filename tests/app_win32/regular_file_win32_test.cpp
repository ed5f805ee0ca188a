// Files by UTF-8 path through the wide file API, under Wine: names in any
// script reach the disk as typed (read back by a directory listing), devices
// and pipes and folders are refused, and a replace that Windows refuses
// leaves the earlier file and nothing beside it.
#include "app/RegularFile.h"
#include "app/win32/WideText.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace velmora {
namespace {

// Literal UTF-8 and UTF-16 forms of the same names.
const std::string kPolishUtf8 = "\xc5\x81ukasz \xc5\x81\xc3\xb3\x64\xc5\xba";         // "Łukasz Łódź"
const std::wstring kPolishWide = L"\u0141ukasz \u0141\u00f3d\u017a";
const std::string kJapaneseMusicUtf8 = "\xe8\xa8\xad\xe5\xae\x9a \xf0\x9f\x8e\xb5"; // "設定 🎵"
const std::wstring kJapaneseMusicWide = L"\u8a2d\u5b9a \xd83c\xdfb5";

struct TempFolder {
    std::wstring wide;
    std::string utf8;
    TempFolder() {
        wchar_t base[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, base);
        wide = std::wstring(base) + L"velpanel regular " + kPolishWide;
        CreateDirectoryW(wide.c_str(), nullptr);
        utf8 = narrow(wide);
    }
    ~TempFolder() {
        // Files only, one level deep.
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((wide + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring path = wide + L"\\" + found.cFileName;
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW(path.c_str());
                else if (found.cFileName[0] != L'.') RemoveDirectoryW(path.c_str());
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(wide.c_str());
    }
    std::vector<std::wstring> names() const {
        std::vector<std::wstring> all;
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((wide + L"\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return all;
        do {
            if (found.cFileName[0] != L'.') all.push_back(found.cFileName);
        } while (FindNextFileW(search, &found));
        FindClose(search);
        return all;
    }
};

TEST(WideText, ValidTextRoundTripsAndInvalidTextIsRefusedOrReplaced) {
    std::wstring wide;
    std::string utf8;
    ASSERT_TRUE(toWide(kPolishUtf8 + " " + kJapaneseMusicUtf8, wide));
    EXPECT_EQ(wide, kPolishWide + L" " + kJapaneseMusicWide);
    ASSERT_TRUE(toUtf8(wide.data(), wide.size(), utf8));
    EXPECT_EQ(utf8, kPolishUtf8 + " " + kJapaneseMusicUtf8);
    // A stray byte, an overlong '/', an encoded surrogate; an unpaired surrogate; a NUL in a path.
    for (const char* bad : {"a\xff", "\xc0\xaf", "\xed\xa0\x80"}) EXPECT_FALSE(toWide(bad, wide)) << bad;
    EXPECT_EQ(widen("a\xff" "b"), L"a\ufffd" L"b");
    const std::wstring lone = L"a\xd800" L"b";
    EXPECT_FALSE(toUtf8(lone.data(), lone.size(), utf8));
    EXPECT_EQ(narrow(lone), "a\xef\xbf\xbd" "b");
    EXPECT_FALSE(toWidePath(std::string("C:\\a\0b", 6), wide));

    TempFolder folder;
    ASSERT_TRUE(SetCurrentDirectoryW(folder.wide.c_str()));
    EXPECT_EQ(fullPathName(kJapaneseMusicUtf8 + ".velpanel"), folder.utf8 + "\\" + kJapaneseMusicUtf8 + ".velpanel");
    SetCurrentDirectoryW(L"C:\\");
}

TEST(RegularFileWin32, DevicesPipesAndFoldersAreRefused) {
    TempFolder folder;
    std::string text;
    EXPECT_EQ(readRegularFile("NUL", 100, text), FileOutcome::NotRegularFile);
    EXPECT_NE(readRegularFile("COM1", 100, text), FileOutcome::Done);
    EXPECT_EQ(readRegularFile(folder.utf8, 100, text), FileOutcome::NotRegularFile);
    EXPECT_EQ(replaceRegularFile(folder.utf8, "x"), FileOutcome::NotRegularFile);
    EXPECT_EQ(appendToRegularFile(folder.utf8, "x"), FileOutcome::NotRegularFile);
    EXPECT_EQ(replaceRegularFile("NUL", "x"), FileOutcome::NotRegularFile);

    // A pipe whose server would hand out a settings file.
    const wchar_t* pipeName = L"\\\\.\\pipe\\velpanel-regular-file-test";
    HANDLE server = CreateNamedPipeW(pipeName, PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 1, 4096, 4096, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    EXPECT_EQ(readRegularFile(narrow(pipeName), 100, text), FileOutcome::NotRegularFile);
    // Its one instance is taken now: refused either way.
    EXPECT_NE(replaceRegularFile(narrow(pipeName), "x"), FileOutcome::Done);
    CloseHandle(server);
    EXPECT_TRUE(folder.names().empty());
}

TEST(RegularFileWin32, ANameInAnyScriptIsWrittenAsTypedAndAReplaceRefusedLeavesTheEarlierFile) {
    TempFolder folder;
    const std::wstring name = kJapaneseMusicWide + L".velpanel";
    const std::string path = folder.utf8 + "\\" + kJapaneseMusicUtf8 + ".velpanel";
    ASSERT_EQ(replaceRegularFile(path, "earlier"), FileOutcome::Done);
    EXPECT_EQ(folder.names(), std::vector<std::wstring>{name});

    // Another program holds the file without letting it be deleted: Windows
    // refuses the replacing move.
    HANDLE held = CreateFileW((folder.wide + L"\\" + name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(replaceRegularFile(path, "newer"), FileOutcome::Failed);
    EXPECT_EQ(appendToRegularFile(path + ".2", "other"), FileOutcome::Done);
    EXPECT_FALSE(moveReplacing(path + ".2", path));
    CloseHandle(held);
    std::string text;
    EXPECT_EQ(readRegularFile(path, 100, text), FileOutcome::Done);
    EXPECT_EQ(text, "earlier");
    EXPECT_EQ(folder.names(), (std::vector<std::wstring>{name, name + L".2"}));

    EXPECT_TRUE(moveReplacing(path + ".2", path));
    EXPECT_EQ(readRegularFile(path, 5, text), FileOutcome::Done);
    EXPECT_EQ(text, "other");
    EXPECT_EQ(readRegularFile(path, 4, text), FileOutcome::TooLarge);
    EXPECT_EQ(folder.names(), std::vector<std::wstring>{name});
}

} // namespace
} // namespace velmora
