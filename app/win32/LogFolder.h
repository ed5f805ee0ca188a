// Where the diagnostics log lives: %LOCALAPPDATA%\Qor\VelPanel\velpanel.log
// (paths in UTF-8, as the file functions of RegularFile.h take them).
#pragma once

#include <string>

namespace velmora {

// The folder, created when missing; empty when there is no local
// application-data folder.
std::string logFolder();
// The log file's path in that folder (empty without a folder).
std::string logFilePath();
// Opens the folder for the user (the file manager); false when it cannot.
bool openLogFolder();

} // namespace velmora
