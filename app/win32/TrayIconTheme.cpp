#include "app/win32/TrayIconTheme.h"

#include "res/resource.h"

#include <cstring>
#include <cwchar>

namespace velmora {

int64_t taskbarLightTheme()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize", 0,
                      KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return -1;
    DWORD value = 0, type = 0, bytes = sizeof value;
    const LONG read = RegQueryValueExW(key, L"SystemUsesLightTheme", nullptr, &type, reinterpret_cast<BYTE*>(&value),
                                       &bytes);
    RegCloseKey(key);
    return read == ERROR_SUCCESS && type == REG_DWORD && bytes == sizeof value ? static_cast<int64_t>(value) : -1;
}

bool highContrastOn()
{
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof contrast;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

TrayIconTheme::~TrayIconTheme()
{
    if (icon_) DestroyIcon(icon_);
}

bool TrayIconTheme::refresh()
{
    const TrayLook look = trayLookFor(highContrastOn(), taskbarLightTheme());
    // The notification area draws at the system's scale.
    const int size = GetSystemMetrics(SM_CXSMICON);
    if (icon_ && look == look_ && size == size_) return false;
    const int id = look == TrayLook::HighContrast ? IDI_TRAY_CONTRAST : look == TrayLook::Light ? IDI_TRAY_LIGHT
                                                                                               : IDI_TRAY_DARK;
    HICON loaded = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    if (!loaded) return false; // the icon shown keeps its look
    if (icon_) DestroyIcon(icon_);
    icon_ = loaded;
    look_ = look;
    size_ = size;
    return true;
}

bool TrayIconTheme::concernsIcon(WPARAM action, LPARAM text, bool wideText)
{
    if (action == SPI_SETHIGHCONTRAST) return true;
    if (!text) return false;
    return wideText ? std::wcscmp(reinterpret_cast<const wchar_t*>(text), L"ImmersiveColorSet") == 0
                    : std::strcmp(reinterpret_cast<const char*>(text), "ImmersiveColorSet") == 0;
}

} // namespace velmora
