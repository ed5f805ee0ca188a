#include "app/win32/WideText.h"

#include <climits>

namespace velmora {

namespace {

// Both directions with CP_UTF8; `strict` fails on what is not valid instead
// of putting U+FFFD in its place.
bool convertToWide(const char* text, size_t size, bool strict, std::wstring& wide) {
    wide.clear();
    if (size == 0) return true;
    if (size > size_t(INT_MAX)) return false;
    const DWORD flags = strict ? MB_ERR_INVALID_CHARS : 0;
    const int n = MultiByteToWideChar(CP_UTF8, flags, text, int(size), nullptr, 0);
    if (n <= 0) return false;
    wide.resize(size_t(n));
    if (MultiByteToWideChar(CP_UTF8, flags, text, int(size), &wide[0], n) != n) {
        wide.clear();
        return false;
    }
    return true;
}

bool convertToUtf8(const wchar_t* wide, size_t length, bool strict, std::string& utf8) {
    utf8.clear();
    if (length == 0) return true;
    if (length > size_t(INT_MAX) / 3) return false;
    const DWORD flags = strict ? WC_ERR_INVALID_CHARS : 0;
    const int n = WideCharToMultiByte(CP_UTF8, flags, wide, int(length), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return false;
    utf8.resize(size_t(n));
    if (WideCharToMultiByte(CP_UTF8, flags, wide, int(length), &utf8[0], n, nullptr, nullptr) != n) {
        utf8.clear();
        return false;
    }
    return true;
}

} // namespace

bool toWide(const std::string& utf8, std::wstring& wide) { return convertToWide(utf8.data(), utf8.size(), true, wide); }

bool toUtf8(const wchar_t* wide, size_t length, std::string& utf8) {
    return convertToUtf8(wide, length, true, utf8);
}

std::wstring widen(const std::string& utf8) {
    std::wstring wide;
    convertToWide(utf8.data(), utf8.size(), false, wide);
    return wide;
}

std::string narrow(const wchar_t* wide) {
    std::string utf8;
    if (wide) convertToUtf8(wide, wcslen(wide), false, utf8);
    return utf8;
}

std::string narrow(const std::wstring& wide) {
    std::string utf8;
    convertToUtf8(wide.data(), wide.size(), false, utf8);
    return utf8;
}

bool toWidePath(const std::string& utf8, std::wstring& path) {
    if (utf8.empty() || utf8.find('\0') != std::string::npos || !toWide(utf8, path)) {
        path.clear();
        return false;
    }
    return true;
}

std::string dialogFieldText(HWND dialog, int id) {
    HWND field = GetDlgItem(dialog, id);
    const int length = GetWindowTextLengthW(field);
    std::wstring text(size_t(length > 0 ? length : 0) + 1, L'\0');
    const int read = GetWindowTextW(field, &text[0], int(text.size()));
    text.resize(size_t(read > 0 ? read : 0));
    return narrow(text);
}

int messageBox(HWND owner, const std::string& text, const std::string& title, UINT type) {
    return MessageBoxW(owner, widen(text).c_str(), widen(title).c_str(), type);
}

std::string fullPathName(const std::string& path) {
    std::wstring wide;
    if (!toWidePath(path, wide)) return path;
    // The length it needs, then the path; a folder changed in between asks again.
    std::wstring full(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 3; ++attempt) {
        const DWORD n = GetFullPathNameW(wide.c_str(), DWORD(full.size()), &full[0], nullptr);
        if (n == 0) return path;
        if (n < full.size()) {
            full.resize(n);
            std::string utf8;
            return toUtf8(full.data(), full.size(), utf8) ? utf8 : path;
        }
        full.assign(n, L'\0');
    }
    return path;
}

} // namespace velmora
