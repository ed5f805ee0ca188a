// VelPanel.exe: the Velmora control panel.
#include "app/CommandLine.h"
#include "app/win32/CommandLineStart.h"
#include "app/win32/ParentConsole.h"
#include "app/win32/WideText.h"

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace {

// The arguments as the user typed them, in UTF-8: the narrow argv holds
// them in the ANSI code page, where a letter outside it ("Ł", "設") is lost.
// False when an argument is not valid Unicode (an unpaired surrogate).
bool commandLineArguments(std::vector<std::string>& args) {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!argv) return false;
    bool valid = true;
    for (int i = 1; i < count && valid; ++i) {
        std::string arg;
        valid = velmora::toUtf8(argv[i], wcslen(argv[i]), arg);
        args.push_back(arg);
    }
    LocalFree(argv);
    return valid;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    std::vector<std::string> args;
    if (!commandLineArguments(args)) {
        velmora::printErrorLine("VelPanel: an argument is not valid Unicode text");
        return velmora::EXIT_USAGE;
    }
    return velmora::runCommandLine(velmora::parseCommandLine(args));
}
