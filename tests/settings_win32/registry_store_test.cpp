// The registry store against Wine's own `reg` tool: what the store writes is
// read back by `reg query`, and what `reg add` writes is what the store loads.
#include "settings/MemorySettingsStore.h"
#include "tests/support/SettingsRecords.h"
#include "settings/SettingsStore.h"
#include "settings/win32/RegistrySettingsStore.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

using namespace velmora;

namespace {

using velmora_testing::bytesOf;

using velmora_testing::defaults;

PanelSettings userRecord() {
    PanelSettings r = defaults();
    for (int i = 0; i < 8; ++i) r.outVolume[i] = uint8_t(100 - 3 * i);
    r.outMute[5] = 1;
    r.outLink[1] = 0;
    r.digitalOutSelector = 3;
    r.sampleRate = 48000;
    r.latency = 2;
    std::strcpy(r.driverVersion.text, "1.02");
    return r;
}

std::string hexOf(const std::vector<uint8_t>& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    for (uint8_t b : bytes) { s += digits[b >> 4]; s += digits[b & 15]; }
    return s;
}

// Runs a command through the shell and returns its exit code and output.
int run(const std::string& command, std::string* output = nullptr) {
    FILE* pipe = _popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return -1;
    std::string text;
    char buf[512];
    while (size_t n = fread(buf, 1, sizeof buf, pipe)) text.append(buf, n);
    int rc = _pclose(pipe);
    if (output) *output = text;
    return rc;
}

class RegistryStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        app_ = "VelPanelStoreTest" + std::to_string(GetCurrentProcessId());
        appKey_ = "HKCU\\Software\\Qor\\" + app_;
        section_ = appKey_ + "\\velpanel";
        run("reg delete \"" + appKey_ + "\" /f");
    }
    void TearDown() override { run("reg delete \"" + appKey_ + "\" /f"); }

    // `reg query` of VelConfig: the value's type word and its bytes.
    bool queryWithReg(std::string& type, std::vector<uint8_t>& bytes) {
        std::string out;
        if (run("reg query \"" + section_ + "\" /v VelConfig", &out) != 0) return false;
        std::istringstream lines(out);
        std::string line;
        while (std::getline(lines, line)) {
            std::istringstream words(line);
            std::string name, hex;
            words >> name >> type >> hex;
            if (name != "VelConfig") continue;
            bytes.clear();
            for (size_t i = 0; i + 1 < hex.size(); i += 2)
                bytes.push_back(uint8_t(std::stoul(hex.substr(i, 2), nullptr, 16)));
            return true;
        }
        return false;
    }

    int addWithReg(const char* type, const std::string& data) {
        return run("reg add \"" + section_ + "\" /v VelConfig /t " + type + " /d \"" + data + "\" /f");
    }

    std::string app_, appKey_, section_;
};

} // namespace

TEST_F(RegistryStoreTest, SaveCreatesTheMissingKeysAndRegReadsBackTheRecord) {
    std::string type;
    std::vector<uint8_t> bytes;
    ASSERT_FALSE(queryWithReg(type, bytes)) << "key left over from an earlier run";

    RegistrySettingsStore store("Qor", app_.c_str());
    EXPECT_EQ(store.sectionPath(), "Software\\Qor\\" + app_ + "\\velpanel");
    const PanelSettings user = userRecord();
    ASSERT_EQ(saveSettings(store, user), SaveResult::Written);

    ASSERT_TRUE(queryWithReg(type, bytes));
    EXPECT_EQ(type, "REG_BINARY");
    EXPECT_EQ(bytes.size(), 352u);
    EXPECT_EQ(bytes, bytesOf(user));

    PanelSettings back;
    ASSERT_TRUE(loadSettings(store, back));
    EXPECT_EQ(bytesOf(back), bytesOf(user));
}

TEST_F(RegistryStoreTest, LoadsWhatRegAddWrote) {
    const PanelSettings user = userRecord();
    ASSERT_EQ(addWithReg("REG_BINARY", hexOf(bytesOf(user))), 0);
    RegistrySettingsStore store("Qor", app_.c_str());
    PanelSettings r;
    ASSERT_TRUE(loadSettings(store, r));
    EXPECT_EQ(bytesOf(r), bytesOf(user));
    EXPECT_EQ(bytesOf(loadSettingsOrDefaults(store)), bytesOf(user));
}

TEST_F(RegistryStoreTest, WrongSizeOrWrongTypeYieldsTheDefaults) {
    const std::vector<uint8_t> user = bytesOf(userRecord());
    struct Case { const char* what; const char* type; std::string data; };
    const Case cases[] = {
        {"351 bytes", "REG_BINARY", hexOf(std::vector<uint8_t>(user.begin(), user.end() - 1))},
        {"353 bytes", "REG_BINARY", hexOf(user) + "00"},
        // 351 characters and the terminating zero: 352 bytes of the wrong type.
        {"text of 352 bytes", "REG_SZ", std::string(351, 'A')},
        {"number", "REG_DWORD", "44100"},
    };
    RegistrySettingsStore store("Qor", app_.c_str());
    for (const Case& c : cases) {
        ASSERT_EQ(addWithReg(c.type, c.data), 0) << c.what;
        PanelSettings r;
        std::memset(&r, 0x5A, sizeof r);
        EXPECT_FALSE(loadSettings(store, r)) << c.what;
        EXPECT_EQ(bytesOf(r), std::vector<uint8_t>(352, 0)) << c.what;
        EXPECT_EQ(bytesOf(loadSettingsOrDefaults(store)), bytesOf(defaults())) << c.what;
    }
}

TEST_F(RegistryStoreTest, BlankSaveLeavesTheStoredValueAlone) {
    RegistrySettingsStore store("Qor", app_.c_str());
    const PanelSettings user = userRecord();
    ASSERT_EQ(saveSettings(store, user), SaveResult::Written);
    PanelSettings blank;
    makeBlank(blank);
    EXPECT_EQ(saveSettings(store, blank), SaveResult::SkippedBlank);
    std::string type;
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(queryWithReg(type, bytes));
    EXPECT_EQ(bytes, bytesOf(user));
}

TEST_F(RegistryStoreTest, AKeyThatMayBeReadButNotWrittenStillGivesItsRecord) {
    const PanelSettings user = userRecord();
    ASSERT_EQ(addWithReg("REG_BINARY", hexOf(bytesOf(user))), 0);
    // Everyone may read the section, nobody may change it.
    HKEY section = nullptr;
    const std::string path = "Software\\Qor\\" + app_ + "\\velpanel";
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, READ_CONTROL | WRITE_DAC, &section), ERROR_SUCCESS);
    PSECURITY_DESCRIPTOR readOnly = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;KR;;;WD)", SDDL_REVISION_1, &readOnly,
                                                                     nullptr));
    ASSERT_EQ(RegSetKeySecurity(section, DACL_SECURITY_INFORMATION, readOnly), ERROR_SUCCESS);
    RegCloseKey(section);
    LocalFree(readOnly);

    RegistrySettingsStore store("Qor", app_.c_str());
    EXPECT_EQ(store.location(), "HKEY_CURRENT_USER\\Software\\Qor\\" + app_ + "\\velpanel");
    PanelSettings back;
    ASSERT_TRUE(loadSettings(store, back));
    EXPECT_EQ(bytesOf(back), bytesOf(user));
    PanelSettings changed = user;
    changed.outVolume[0] = 1;
    EXPECT_EQ(saveSettings(store, changed), SaveResult::Failed);
    ASSERT_TRUE(loadSettings(store, back));
    EXPECT_EQ(bytesOf(back), bytesOf(user));

    // The owner may still change the key's permissions: open it up again so
    // that the key can be removed.
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, WRITE_DAC, &section), ERROR_SUCCESS);
    PSECURITY_DESCRIPTOR open = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;KA;;;WD)", SDDL_REVISION_1, &open, nullptr));
    EXPECT_EQ(RegSetKeySecurity(section, DACL_SECURITY_INFORMATION, open), ERROR_SUCCESS);
    RegCloseKey(section);
    LocalFree(open);
}

TEST_F(RegistryStoreTest, PreferencesLiveBesideTheRecordAsNumbers) {
    RegistrySettingsStore store("Qor", app_.c_str());
    bool on = true;
    EXPECT_FALSE(store.readFlag(PREFERENCE_PEAK_HOLD, on)); // never stored
    ASSERT_EQ(saveSettings(store, userRecord()), SaveResult::Written);
    ASSERT_TRUE(store.writeFlag(PREFERENCE_PEAK_HOLD, false));
    std::string out;
    ASSERT_EQ(run("reg query \"" + section_ + "\" /v PeakHold", &out), 0);
    EXPECT_NE(out.find("REG_DWORD"), std::string::npos) << out;
    EXPECT_NE(out.find("0x0"), std::string::npos) << out;
    ASSERT_TRUE(store.readFlag(PREFERENCE_PEAK_HOLD, on));
    EXPECT_FALSE(on);
    // The record beside it is untouched.
    PanelSettings back;
    ASSERT_TRUE(loadSettings(store, back));
    EXPECT_EQ(bytesOf(back), bytesOf(userRecord()));
}

TEST_F(RegistryStoreTest, TextsLiveBesideTheRecordAsUnicodeStrings) {
    RegistrySettingsStore store("Qor", app_.c_str());
    std::string text;
    EXPECT_FALSE(store.readText("Names", text)); // never stored
    const std::string names = "\xC5\x81ukasz \xE8\xA8\xAD\xE5\xAE\x9A"; // "Łukasz 設定"
    ASSERT_TRUE(store.writeText("Names", names));
    std::string out;
    ASSERT_EQ(run("reg query \"" + section_ + "\" /v Names", &out), 0);
    EXPECT_NE(out.find("REG_SZ"), std::string::npos) << out;
    ASSERT_TRUE(store.readText("Names", text));
    EXPECT_EQ(text, names);
    // What is not text is not read as text; invalid UTF-8 is not written.
    ASSERT_EQ(run("reg add \"" + section_ + "\" /v Other /t REG_DWORD /d 1 /f"), 0);
    EXPECT_FALSE(store.readText("Other", text));
    EXPECT_FALSE(store.writeText("Names", "\xC5"));
    ASSERT_TRUE(store.erase("Names"));
    EXPECT_FALSE(store.readText("Names", text));
    EXPECT_TRUE(store.erase("Names")); // gone already
}

TEST(RegistryStoreName, DefaultApplicationIsTheExecutableBaseName) {
    RegistrySettingsStore store;
    EXPECT_EQ(store.company(), "Qor");
    EXPECT_EQ(store.application(), "test_registry_store");
    EXPECT_EQ(store.sectionPath(), "Software\\Qor\\test_registry_store\\velpanel");
}
