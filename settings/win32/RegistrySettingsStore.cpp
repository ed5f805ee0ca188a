#include "settings/win32/RegistrySettingsStore.h"

#include "app/win32/WideText.h"

#include <windows.h>

namespace velmora {

namespace {

// Opens Software\<company>\<application>\velpanel one level at a time;
// null when any level fails. Reading opens each level for reading only, so
// that a key the user may read but not write still gives its record; writing
// creates the levels that are missing.
HKEY openSection(const std::string& company, const std::string& application, bool forWriting) {
    const char* levels[] = {"Software", company.c_str(), application.c_str(),
                            RegistrySettingsStore::SECTION};
    HKEY parent = HKEY_CURRENT_USER;
    for (const char* name : levels) {
        HKEY child = nullptr;
        LONG rc;
        if (forWriting) {
            DWORD disposition = 0;
            rc = RegCreateKeyExA(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &child,
                                 &disposition);
        } else {
            rc = RegOpenKeyExA(parent, name, 0, KEY_READ, &child);
        }
        if (parent != HKEY_CURRENT_USER) RegCloseKey(parent);
        if (rc != ERROR_SUCCESS) return nullptr;
        parent = child;
    }
    return parent;
}

} // namespace

RegistrySettingsStore::RegistrySettingsStore(const char* company, const char* application)
    : company_(company ? company : "Qor"),
      application_(application ? application : executableBaseName()) {
    if (application_.empty()) application_ = "VelPanel";
}

std::string RegistrySettingsStore::sectionPath() const {
    return "Software\\" + company_ + "\\" + application_ + "\\" + SECTION;
}

std::string RegistrySettingsStore::location() const { return "HKEY_CURRENT_USER\\" + sectionPath(); }

std::string RegistrySettingsStore::executableBaseName() {
    char path[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return std::string();
    std::string name(path, n);
    size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos) name.erase(0, slash + 1);
    size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}

bool RegistrySettingsStore::querySize(uint32_t& size) {
    HKEY key = openSection(company_, application_, false);
    if (!key) return false;
    DWORD type = 0;
    DWORD bytes = 0;
    LONG rc = RegQueryValueExA(key, VALUE_NAME, nullptr, &type, nullptr, &bytes);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_BINARY) return false;
    size = bytes;
    return true;
}

bool RegistrySettingsStore::readBytes(uint8_t* buffer, uint32_t capacity, uint32_t& size) {
    HKEY key = openSection(company_, application_, false);
    if (!key) return false;
    DWORD type = 0;
    DWORD bytes = capacity;
    LONG rc = RegQueryValueExA(key, VALUE_NAME, nullptr, &type, buffer, &bytes);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_BINARY) return false;
    size = bytes;
    return true;
}

bool RegistrySettingsStore::writeBytes(const uint8_t* bytes, uint32_t size) {
    HKEY key = openSection(company_, application_, true);
    if (!key) return false;
    LONG rc = RegSetValueExA(key, VALUE_NAME, 0, REG_BINARY, bytes, size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

} // namespace velmora

namespace velmora {

bool RegistrySettingsStore::readFlag(const char* name, bool& value) {
    HKEY key = openSection(company_, application_, false);
    if (!key) return false;
    DWORD type = 0, data = 0, size = sizeof data;
    const LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_DWORD || size != sizeof data) return false;
    value = data != 0;
    return true;
}

bool RegistrySettingsStore::writeFlag(const char* name, bool value) {
    HKEY key = openSection(company_, application_, true);
    if (!key) return false;
    const DWORD data = value ? 1 : 0;
    const LONG rc = RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

bool RegistrySettingsStore::readText(const char* name, std::string& value) {
    HKEY key = openSection(company_, application_, false);
    if (!key) return false;
    const std::wstring wideName = widen(name);
    DWORD type = 0, bytes = 0;
    LONG rc = RegQueryValueExW(key, wideName.c_str(), nullptr, &type, nullptr, &bytes);
    // The UTF-16 of the longest text the store takes is at most twice its
    // UTF-8 bytes, plus the terminator.
    if (rc != ERROR_SUCCESS || type != REG_SZ || bytes > 2 * PREFERENCE_TEXT_MAX_BYTES + 2 || bytes % 2 != 0) {
        RegCloseKey(key);
        return false;
    }
    std::wstring text(bytes / 2 + 1, L'\0');
    rc = RegQueryValueExW(key, wideName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&text[0]), &bytes);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_SZ) return false;
    // The value may or may not end in its terminator.
    size_t length = bytes / 2;
    while (length > 0 && text[length - 1] == L'\0') --length;
    std::string utf8;
    if (!toUtf8(text.data(), length, utf8) || utf8.size() > PREFERENCE_TEXT_MAX_BYTES) return false;
    value = utf8;
    return true;
}

bool RegistrySettingsStore::writeText(const char* name, const std::string& value) {
    std::wstring text;
    if (value.size() > PREFERENCE_TEXT_MAX_BYTES || !toWide(value, text) ||
        text.find(L'\0') != std::wstring::npos)
        return false;
    HKEY key = openSection(company_, application_, true);
    if (!key) return false;
    const LONG rc = RegSetValueExW(key, widen(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                   DWORD((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

bool RegistrySettingsStore::erase(const char* name) {
    HKEY key = openSection(company_, application_, true);
    if (!key) return false;
    const LONG rc = RegDeleteValueW(key, widen(name).c_str());
    RegCloseKey(key);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

} // namespace velmora
