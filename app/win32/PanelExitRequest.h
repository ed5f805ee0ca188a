// Ends the panel that runs in this logon session as its File > Exit does, so
// that it saves its record on the way out. The installer and the uninstaller
// run `VelPanel.exe --exit` before they touch the installed files.
#pragma once

#include "app/PanelExitOutcome.h"

#include <windows.h>

namespace velmora {

constexpr DWORD kPanelExitLimitMs = 15000;

// Posts Exit (command 32773) to the running panel's main window and waits
// until that panel's process has ended, `limitMs` at most in all. A panel
// that is starting (its single-instance mutex exists, its window not yet) is
// waited for within the same bound.
PanelExitOutcome requestPanelExit(DWORD limitMs);

// The --exit verb: the request, its reason on the standard error, its exit code.
int runPanelExitVerb();

} // namespace velmora
