#include "app/win32/SettingsFileDialog.h"

#include "app/win32/WideText.h"

#include <commdlg.h>

#include <vector>

namespace velmora {

namespace {

// Two filters, each a description and a pattern, ending in two NULs.
const wchar_t kFilter[] = L"VelPanel settings (*.velpanel)\0*.velpanel\0All files (*.*)\0*.*\0";
// Room for a long path (the dialog refuses a longer one).
constexpr size_t kPathRoom = 4096;

OPENFILENAMEW dialogFor(HWND owner, std::vector<wchar_t>& buffer, const wchar_t* title) {
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = kFilter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = DWORD(buffer.size());
    ofn.lpstrDefExt = L"velpanel";
    ofn.lpstrTitle = title;
    return ofn;
}

using FileDialog = BOOL(WINAPI*)(OPENFILENAMEW*);

// comdlg32 (and the printing libraries it brings in) loads with the first file
// dialog rather than with the panel: most runs never open one.
FileDialog commonDialog(const char* name) {
    static const HMODULE comdlg = ::LoadLibraryA("comdlg32.dll");
    return comdlg ? reinterpret_cast<FileDialog>(reinterpret_cast<void*>(::GetProcAddress(comdlg, name))) : nullptr;
}

// The chosen path in UTF-8; false when the user cancels.
bool runDialog(const char* name, OPENFILENAMEW& ofn, std::string& path) {
    FileDialog dialog = commonDialog(name);
    if (!dialog) {
        ::MessageBoxW(ofn.hwndOwner, L"The file dialog could not be opened (comdlg32.dll did not load).",
                      ofn.lpstrTitle, MB_OK | MB_ICONSTOP);
        return false;
    }
    if (dialog(&ofn) == FALSE) return false;
    std::string chosen;
    if (!toUtf8(ofn.lpstrFile, wcslen(ofn.lpstrFile), chosen) || chosen.empty()) {
        ::MessageBoxW(ofn.hwndOwner, L"That file name is not valid Unicode text.", ofn.lpstrTitle,
                      MB_OK | MB_ICONSTOP);
        return false;
    }
    path = chosen;
    return true;
}

std::vector<wchar_t> pathBuffer(const wchar_t* initial) {
    std::vector<wchar_t> buffer(kPathRoom, L'\0');
    wcsncpy(buffer.data(), initial, kPathRoom - 1);
    return buffer;
}

} // namespace

bool askSettingsFileToSave(HWND owner, std::string& path) {
    std::vector<wchar_t> buffer = pathBuffer(L"settings.velpanel");
    OPENFILENAMEW ofn = dialogFor(owner, buffer, L"Save Settings As");
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    return runDialog("GetSaveFileNameW", ofn, path);
}

bool askSettingsFileToLoad(HWND owner, std::string& path) {
    std::vector<wchar_t> buffer = pathBuffer(L"");
    OPENFILENAMEW ofn = dialogFor(owner, buffer, L"Load Settings");
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    return runDialog("GetOpenFileNameW", ofn, path);
}

} // namespace velmora
