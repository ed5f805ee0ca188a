#include "app/win32/ParentConsole.h"

#include <windows.h>

#include <cstring>

namespace velmora {

namespace {
bool usable(HANDLE handle) {
    return handle && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

void writeAll(HANDLE handle, const char* text, DWORD size) {
    DWORD written = 0;
    WriteFile(handle, text, size, &written, nullptr);
}

void printLine(DWORD stream, const char* line) {
    if (!line) return;
    const DWORD size = static_cast<DWORD>(std::strlen(line));
    HANDLE given = GetStdHandle(stream);
    if (usable(given)) {
        writeAll(given, line, size);
        writeAll(given, "\r\n", 2);
        return;
    }
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    HANDLE console = CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    if (console != INVALID_HANDLE_VALUE) {
        writeAll(console, line, size);
        writeAll(console, "\r\n", 2);
        CloseHandle(console);
    }
    FreeConsole();
}
} // namespace

void printErrorLine(const char* line) { printLine(STD_ERROR_HANDLE, line); }

void printOutputLine(const char* line) { printLine(STD_OUTPUT_HANDLE, line); }

} // namespace velmora
