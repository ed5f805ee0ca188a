// Whole regular files named by UTF-8 paths: the settings files a user saves
// and loads, and the diagnostics log. Only a regular file is read, appended
// to or replaced: a device (NUL, COM1, CON, /dev/tty), a pipe or a directory
// of that name is refused before a byte moves. On Windows the paths go to
// the wide file API; natively to the POSIX one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace velmora {

enum class FileOutcome {
    Done,
    Missing,        // nothing of that name (or its folder is missing)
    NotRegularFile, // a device, a pipe, a directory
    TooLarge,       // more bytes than the reader takes
    Failed,         // any other failure of the file system, or a name no file can have
};

// "does not exist", "is not a regular file", ... (after the file's name).
const char* describeFileOutcome(FileOutcome outcome);

// The whole file, when it is a regular file of at most `maxBytes`; `contents`
// is left empty otherwise.
FileOutcome readRegularFile(const std::string& path, size_t maxBytes, std::string& contents);

// Writes `contents` beside the file ("<path>.partial"), flushes it and puts
// it in the file's place in one move, so that a write that fails half-way
// leaves an earlier file of that name whole. The ".partial" never stays
// behind. Refused when `path` names anything but a regular file.
FileOutcome replaceRegularFile(const std::string& path, const std::string& contents);

// Appends to a regular file, made when missing.
FileOutcome appendToRegularFile(const std::string& path, const std::string& text);

// The size of a regular file; Missing (and 0) when there is none.
FileOutcome regularFileSize(const std::string& path, uint64_t& size);

// Moves the file `from` to `to` in one step, replacing a file at `to`: the
// file at `to` is never removed first, so a move that fails loses nothing.
bool moveReplacing(const std::string& from, const std::string& to);

} // namespace velmora
