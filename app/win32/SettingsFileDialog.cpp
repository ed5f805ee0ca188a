#include "app/win32/SettingsFileDialog.h"

#include <commdlg.h>

namespace velmora {

namespace {

// Two filters, each a description and a pattern, ending in two NULs.
const char kFilter[] = "VelPanel settings (*.velpanel)\0*.velpanel\0All files (*.*)\0*.*\0";

OPENFILENAMEA dialogFor(HWND owner, char* buffer, DWORD size, const char* title) {
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = kFilter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = size;
    ofn.lpstrDefExt = "velpanel";
    ofn.lpstrTitle = title;
    return ofn;
}

using FileDialog = BOOL(WINAPI*)(OPENFILENAMEA*);

// comdlg32 (and the printing libraries it brings in) loads with the first file
// dialog rather than with the panel: most runs never open one.
FileDialog commonDialog(const char* name) {
    static const HMODULE comdlg = ::LoadLibraryA("comdlg32.dll");
    return comdlg ? reinterpret_cast<FileDialog>(reinterpret_cast<void*>(::GetProcAddress(comdlg, name))) : nullptr;
}

bool runDialog(const char* name, OPENFILENAMEA& ofn) {
    FileDialog dialog = commonDialog(name);
    if (!dialog) {
        ::MessageBoxA(ofn.hwndOwner, "The file dialog could not be opened (comdlg32.dll did not load).", ofn.lpstrTitle,
                      MB_OK | MB_ICONSTOP);
        return false;
    }
    return dialog(&ofn) != FALSE;
}

} // namespace

bool askSettingsFileToSave(HWND owner, std::string& path) {
    char buffer[MAX_PATH] = "settings.velpanel";
    OPENFILENAMEA ofn = dialogFor(owner, buffer, sizeof buffer, "Save Settings As");
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!runDialog("GetSaveFileNameA", ofn)) return false;
    path = buffer;
    return true;
}

bool askSettingsFileToLoad(HWND owner, std::string& path) {
    char buffer[MAX_PATH] = "";
    OPENFILENAMEA ofn = dialogFor(owner, buffer, sizeof buffer, "Load Settings");
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!runDialog("GetOpenFileNameA", ofn)) return false;
    path = buffer;
    return true;
}

} // namespace velmora
