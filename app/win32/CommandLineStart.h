// What one start of VelPanel.exe does with its command line: the panel
// itself (bare, --background), or a request handed to the running panel and
// its answer printed, or the panel started to carry the request out.
#pragma once

#include "app/CommandLine.h"

namespace velmora {

// Answers the process's exit code.
int runCommandLine(const ParsedCommandLine& parsed);

} // namespace velmora
