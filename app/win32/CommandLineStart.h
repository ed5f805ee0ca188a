// What one start of VelPanel.exe does with its command line: the panel
// itself (bare, --background), or a request handed to the running panel and
// its answer printed. With no panel running, a request that changes the unit
// (or --show) first starts a separate panel in the background, which keeps
// running; the request then waits for a unit as long as --wait says.
#pragma once

#include "app/CommandLine.h"

namespace velmora {

// Answers the process's exit code.
int runCommandLine(const ParsedCommandLine& parsed);

} // namespace velmora
