// What `VelPanel.exe --exit` found, and the exit codes the installer and the
// uninstaller act on.
#pragma once

namespace velmora {

enum class PanelExitOutcome {
    Ended,     // the running panel saved its record and its process ended
    NotInTime, // a panel runs and did not end within the bound
    NoPanel,   // no panel runs in this logon session
};

// 0, 1 and 3.
int exitCodeFor(PanelExitOutcome outcome);

// The one-line reason printed for an outcome with a non-zero code; null for Ended.
const char* reasonFor(PanelExitOutcome outcome);

} // namespace velmora
