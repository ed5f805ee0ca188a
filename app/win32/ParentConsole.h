// Lines for whoever started a GUI program from a command line: VelPanel.exe
// is a GUI program, so it has no console of its own.
#pragma once

namespace velmora {

// Writes `line` (UTF-8) and a line end to the standard error the program was given
// (a redirected file or pipe), else to the console of the parent process,
// else nowhere.
void printErrorLine(const char* line);
// The same on the standard output (a request's answer, --status, --help).
void printOutputLine(const char* line);

} // namespace velmora
