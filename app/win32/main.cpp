// VelPanel.exe: the Velmora control panel.
#include "app/LaunchVerb.h"
#include "app/win32/CPanelApp.h"
#include "app/win32/PanelExitRequest.h"
#include "app/win32/ParentConsole.h"

#include <windows.h>

#include <cstdlib>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const velmora::LaunchVerb verb = velmora::launchVerbFor(__argc, __argv);
    if (verb == velmora::LaunchVerb::ExitPanel) return velmora::runPanelExitVerb();
    if (verb == velmora::LaunchVerb::Unknown) {
        velmora::printErrorLine(velmora::usageLine());
        return velmora::kUsageExitCode;
    }
    velmora::CPanelApp app(verb == velmora::LaunchVerb::BackgroundPanel);
    return app.run();
}
