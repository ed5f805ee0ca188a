// With a simulated unit attached, the settings of a renamed copy of the
// program land under HKCU\Software\Qor\<its base name>\velpanel, as Wine's own
// `reg` reads them back.
#include "ProcessDriver.h"
#include "VelPanelVersion.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <string>

namespace velmora {
namespace {

using namespace velmora::testing;

constexpr DWORD kLimitMs = 20000;
constexpr const char* kUnit = "SNKEY0001";

std::string hostToolPath(const char* variable) {
    const char* path = std::getenv(variable);
    return path ? windowsPath(path) : std::string();
}

std::string storedHex(const std::string& key) {
    const std::string out = runAndCapture("reg query \"HKCU\\" + key + "\" /v VelConfig");
    const size_t type = out.find("REG_BINARY");
    if (type == std::string::npos) return {};
    std::string hex;
    for (size_t i = type + 10; i < out.size() && out[i] != '\n'; ++i)
        if (std::isxdigit(static_cast<unsigned char>(out[i]))) hex += out[i];
    return hex;
}

bool connected(HWND main) { return windowText(main) == "Velmora Control Panel - Ver " VELPANEL_VERSION_SHORT; }

TEST(PanelSettingsKey, ARenamedProgramStoresItsSettingsUnderItsOwnName) {
    const std::string panel = hostToolPath("VELPANEL_EXE");
    const std::string sim = hostToolPath("VELMORA_SIM_EXE");
    ASSERT_FALSE(panel.empty() || sim.empty()) << "VELPANEL_EXE and VELMORA_SIM_EXE name the programs";

    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    const std::string copy = std::string(temp) + "PanelTwin.exe";
    ASSERT_TRUE(CopyFileA(panel.c_str(), copy.c_str(), FALSE));
    runAndCapture("reg delete \"HKCU\\Software\\Qor\\PanelTwin\" /f");

    runAndCapture("\"" + sim + "\" plug " + kUnit);
    runAndCapture("\"" + sim + "\" wait-present " + kUnit + " 5000");

    Process process;
    ASSERT_TRUE(launch("\"" + copy + "\"", process));
    HWND main = nullptr;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < kLimitMs && !(main && connected(main))) {
        if (HWND box = findBoxWithText(process.id, "Create fail! : Tray")) PostMessageA(box, WM_COMMAND, IDOK, 0);
        main = waitForDialog(process.id, "Velmora Control Panel", 0);
        Sleep(20);
    }
    ASSERT_TRUE(main && connected(main)) << "the unit arrived";
    PostMessageA(main, WM_COMMAND, 32773, 0); // Exit saves the settings
    EXPECT_EQ(process.waitExit(kLimitMs), 0);

    const std::string stored = storedHex("Software\\Qor\\PanelTwin\\velpanel");
    EXPECT_EQ(stored.size(), 2u * 352u) << "a 352-byte record under the copy's own name";

    runAndCapture("\"" + sim + "\" unplug " + kUnit);
    runAndCapture("\"" + sim + "\" wait-absent " + kUnit + " 5000");
    runAndCapture("reg delete \"HKCU\\Software\\Qor\\PanelTwin\" /f");
    DeleteFileA(copy.c_str());
}

} // namespace
} // namespace velmora
