#include "app/win32/ParentConsole.h"

#include "app/win32/WideText.h"

#include <windows.h>

#include <algorithm>
#include <string>

namespace velmora {

namespace {
bool usable(HANDLE handle) {
    return handle && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

bool isConsole(HANDLE handle) {
    DWORD mode = 0;
    return GetConsoleMode(handle, &mode) != FALSE;
}

// A console shows UTF-16 text whatever its code page; a file or a pipe gets
// the UTF-8 bytes.
void writeLine(HANDLE handle, const std::string& line) {
    if (isConsole(handle)) {
        const std::wstring text = widen(line) + L"\r\n";
        for (size_t done = 0; done < text.size();) {
            DWORD written = 0;
            const DWORD chunk = DWORD(std::min<size_t>(text.size() - done, 8192));
            if (!WriteConsoleW(handle, text.data() + done, chunk, &written, nullptr) || written == 0) return;
            done += written;
        }
        return;
    }
    const std::string text = line + "\r\n";
    for (size_t done = 0; done < text.size();) {
        DWORD written = 0;
        const DWORD chunk = DWORD(std::min<size_t>(text.size() - done, 1u << 20));
        if (!WriteFile(handle, text.data() + done, chunk, &written, nullptr) || written == 0) return;
        done += written;
    }
}

void printLine(DWORD stream, const char* line) {
    if (!line) return;
    HANDLE given = GetStdHandle(stream);
    if (usable(given)) {
        writeLine(given, line);
        return;
    }
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    if (console != INVALID_HANDLE_VALUE) {
        writeLine(console, line);
        CloseHandle(console);
    }
    FreeConsole();
}
} // namespace

void printErrorLine(const char* line) { printLine(STD_ERROR_HANDLE, line); }

void printOutputLine(const char* line) { printLine(STD_OUTPUT_HANDLE, line); }

} // namespace velmora
