// What one start of VelPanel.exe is asked to do, read from its arguments, and
// what the --exit verb reports. Bare VelPanel.exe is the panel as a user
// starts it; the sign-in entry and the installer start it in the background;
// the installer and the uninstaller end a running panel with --exit.
#pragma once

namespace velmora {

enum class LaunchVerb {
    Panel,           // no arguments: the panel
    BackgroundPanel, // --background: the panel started without a user watching
    ExitPanel,       // --exit: end the running panel as File > Exit does
    Unknown,         // anything else: a usage line, exit code kUsageExitCode
};

// `argv` as the C runtime hands it over: argv[0] is the program itself.
LaunchVerb launchVerbFor(int argc, const char* const* argv);

constexpr int kUsageExitCode = 2;
const char* usageLine();

// What --exit found.
enum class PanelExitOutcome {
    Ended,     // the running panel saved its record and its process ended
    NotInTime, // a panel runs and did not end within the bound
    NoPanel,   // no panel runs in this logon session
};

// 0, 1 and 3: the codes the installer and the uninstaller act on.
int exitCodeFor(PanelExitOutcome outcome);

// The one-line reason printed for an outcome with a non-zero code; null for Ended.
const char* reasonFor(PanelExitOutcome outcome);

} // namespace velmora
