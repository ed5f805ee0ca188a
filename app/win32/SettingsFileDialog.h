// The common file dialogs for settings files (.velpanel).
#pragma once

#include <windows.h>

#include <string>

namespace velmora {

// The file to save to (UTF-8); false when the user cancels. A name given without an
// extension gets ".velpanel".
bool askSettingsFileToSave(HWND owner, std::string& path);
// The file to load (UTF-8); false when the user cancels.
bool askSettingsFileToLoad(HWND owner, std::string& path);

} // namespace velmora
