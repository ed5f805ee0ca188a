// The one place where the program's text (UTF-8 in std::string) meets the
// Windows API's (UTF-16 in wide strings), and the wide calls that take or
// give text a user sees: paths, message boxes.
#pragma once

#include <windows.h>

#include <string>

namespace velmora {

// UTF-8 to UTF-16; false (and `wide` empty) for text that is not valid UTF-8.
bool toWide(const std::string& utf8, std::wstring& wide);
// UTF-16 to UTF-8; false (and `utf8` empty) for an unpaired surrogate.
bool toUtf8(const wchar_t* wide, size_t length, std::string& utf8);

// For text that is shown or logged: what is not valid becomes U+FFFD.
std::wstring widen(const std::string& utf8);
std::string narrow(const wchar_t* wide);
std::string narrow(const std::wstring& wide);

// A path for the wide file API: false for a name no file can have (not
// valid UTF-8, a NUL inside, empty).
bool toWidePath(const std::string& utf8, std::wstring& path);

// A dialog field's text (GetWindowTextW) as UTF-8, however long.
std::string dialogFieldText(HWND dialog, int id);

// MessageBoxW with UTF-8 text and title.
int messageBox(HWND owner, const std::string& text, const std::string& title, UINT type);

// The path in full (GetFullPathNameW), as the current folder and drive make
// it; `path` itself when it cannot be made.
std::string fullPathName(const std::string& path);

} // namespace velmora
