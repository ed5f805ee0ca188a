// VelPanel.exe: the Velmora control panel.
#include "app/CommandLine.h"
#include "app/win32/CommandLineStart.h"

#include <windows.h>

#include <string>
#include <vector>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::vector<std::string> args(__argv + 1, __argv + __argc);
    return velmora::runCommandLine(velmora::parseCommandLine(args));
}
