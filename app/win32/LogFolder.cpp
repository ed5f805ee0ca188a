#include "app/win32/LogFolder.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

namespace velmora {

std::string logFolder() {
    char base[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, base)))
        return std::string();
    std::string folder = std::string(base) + "\\Qor";
    CreateDirectoryA(folder.c_str(), nullptr);
    folder += "\\VelPanel";
    CreateDirectoryA(folder.c_str(), nullptr);
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return std::string();
    return folder;
}

std::string logFilePath() {
    const std::string folder = logFolder();
    return folder.empty() ? folder : folder + "\\velpanel.log";
}

bool openLogFolder() {
    const std::string folder = logFolder();
    if (folder.empty()) return false;
    return reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL)) > 32;
}

} // namespace velmora
