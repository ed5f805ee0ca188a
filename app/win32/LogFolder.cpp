#include "app/win32/LogFolder.h"

#include "app/win32/WideText.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

namespace velmora {

namespace {

// The folder, made when missing; empty when it is not there afterwards.
std::wstring wideLogFolder() {
    wchar_t base[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, base)))
        return std::wstring();
    std::wstring folder = std::wstring(base) + L"\\Qor";
    CreateDirectoryW(folder.c_str(), nullptr);
    folder += L"\\VelPanel";
    CreateDirectoryW(folder.c_str(), nullptr);
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return std::wstring();
    return folder;
}

} // namespace

std::string logFolder() {
    const std::wstring folder = wideLogFolder();
    std::string utf8;
    // A user folder whose name is not valid Unicode has no log.
    return toUtf8(folder.data(), folder.size(), utf8) ? utf8 : std::string();
}

std::string logFilePath() {
    const std::string folder = logFolder();
    return folder.empty() ? folder : folder + "\\velpanel.log";
}

bool openLogFolder() {
    const std::wstring folder = wideLogFolder();
    if (folder.empty()) return false;
    return reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL)) >
           32;
}

} // namespace velmora
