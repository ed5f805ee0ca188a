// Regular files through the wide Windows file API.
#include "app/RegularFile.h"

#include "app/win32/WideText.h"

#include <windows.h>

#include <algorithm>

namespace velmora {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() { close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }
    bool close() {
        if (!valid()) return false;
        const BOOL closed = CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return closed != FALSE;
    }

private:
    HANDLE handle_;
};

FileOutcome openFailure(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileOutcome::Missing : FileOutcome::Failed;
}

// A file on a disk, not a folder: devices (NUL, COM1, CON) and pipes answer
// another file type.
bool isRegular(HANDLE handle) {
    if (GetFileType(handle) != FILE_TYPE_DISK) return false;
    BY_HANDLE_FILE_INFORMATION info = {};
    return GetFileInformationByHandle(handle, &info) && !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

// What a name already stands for, opened without access to its contents
// (which neither reads a device nor waits on it): Done for a regular file,
// Missing for nothing.
FileOutcome whatIsThere(const std::wstring& path) {
    FileHandle there(CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                 nullptr));
    if (!there.valid()) return openFailure(GetLastError());
    return isRegular(there.get()) ? FileOutcome::Done : FileOutcome::NotRegularFile;
}

bool writeAll(HANDLE handle, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const DWORD chunk = DWORD(std::min<size_t>(text.size() - done, 1u << 20));
        DWORD written = 0;
        if (!WriteFile(handle, text.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return true;
}

} // namespace

FileOutcome readRegularFile(const std::string& path, size_t maxBytes, std::string& contents) {
    contents.clear();
    std::wstring wide;
    if (!toWidePath(path, wide)) return FileOutcome::Failed;
    const FileOutcome there = whatIsThere(wide);
    if (there != FileOutcome::Done) return there;
    FileHandle file(CreateFileW(wide.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (!file.valid()) return openFailure(GetLastError());
    if (!isRegular(file.get())) return FileOutcome::NotRegularFile;
    std::string text;
    char buffer[16384];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &n, nullptr)) return FileOutcome::Failed;
        if (n == 0) break;
        if (text.size() + n > maxBytes) return FileOutcome::TooLarge;
        text.append(buffer, n);
    }
    contents.swap(text);
    return FileOutcome::Done;
}

FileOutcome replaceRegularFile(const std::string& path, const std::string& contents) {
    std::wstring wide;
    if (!toWidePath(path, wide)) return FileOutcome::Failed;
    // A device name ("NUL", "COM1.velpanel") names a device with any
    // extension, the ".partial" too: it is refused before anything is made.
    const FileOutcome there = whatIsThere(wide);
    if (there == FileOutcome::NotRegularFile || there == FileOutcome::Failed) return there;
    const std::wstring partial = wide + L".partial";
    FileHandle file(CreateFileW(partial.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return openFailure(GetLastError());
    if (!isRegular(file.get())) return FileOutcome::NotRegularFile; // not made here: left alone
    const bool written = writeAll(file.get(), contents) && FlushFileBuffers(file.get());
    if (file.close() && written &&
        MoveFileExW(partial.c_str(), wide.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return FileOutcome::Done;
    DeleteFileW(partial.c_str());
    return FileOutcome::Failed;
}

FileOutcome appendToRegularFile(const std::string& path, const std::string& text) {
    std::wstring wide;
    if (!toWidePath(path, wide)) return FileOutcome::Failed;
    const FileOutcome there = whatIsThere(wide);
    if (there != FileOutcome::Done && there != FileOutcome::Missing) return there;
    FileHandle file(CreateFileW(wide.c_str(), FILE_APPEND_DATA, kShareAll, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (!file.valid()) return openFailure(GetLastError());
    if (!isRegular(file.get())) return FileOutcome::NotRegularFile;
    return writeAll(file.get(), text) && file.close() ? FileOutcome::Done : FileOutcome::Failed;
}

FileOutcome regularFileSize(const std::string& path, uint64_t& size) {
    size = 0;
    std::wstring wide;
    if (!toWidePath(path, wide)) return FileOutcome::Failed;
    FileHandle file(CreateFileW(wide.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                nullptr));
    if (!file.valid()) return openFailure(GetLastError());
    if (!isRegular(file.get())) return FileOutcome::NotRegularFile;
    LARGE_INTEGER bytes = {};
    if (!GetFileSizeEx(file.get(), &bytes) || bytes.QuadPart < 0) return FileOutcome::Failed;
    size = uint64_t(bytes.QuadPart);
    return FileOutcome::Done;
}

bool moveReplacing(const std::string& from, const std::string& to) {
    std::wstring wideFrom, wideTo;
    return toWidePath(from, wideFrom) && toWidePath(to, wideTo) &&
           MoveFileExW(wideFrom.c_str(), wideTo.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

} // namespace velmora
