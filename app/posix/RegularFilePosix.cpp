// Regular files through the POSIX file API.
#include "app/RegularFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora {

namespace {

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool validName(const std::string& path) { return !path.empty() && path.find('\0') == std::string::npos; }

FileOutcome openFailure() { return errno == ENOENT || errno == ENOTDIR ? FileOutcome::Missing : FileOutcome::Failed; }

bool isRegular(int fd) {
    struct stat info {};
    return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

// What a name already stands for: Done for a regular file, Missing for
// nothing (a pipe is not opened, which could block or wake a reader).
FileOutcome whatIsThere(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return openFailure();
    return S_ISREG(info.st_mode) ? FileOutcome::Done : FileOutcome::NotRegularFile;
}

bool writeAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += size_t(n);
    }
    return true;
}

} // namespace

FileOutcome readRegularFile(const std::string& path, size_t maxBytes, std::string& contents) {
    contents.clear();
    if (!validName(path)) return FileOutcome::Failed;
    // Not blocking: a FIFO without a writer must not hold the caller.
    Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.get() < 0) return openFailure();
    if (!isRegular(file.get())) return FileOutcome::NotRegularFile;
    std::string text;
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(file.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return FileOutcome::Failed;
        if (n == 0) break;
        if (text.size() + size_t(n) > maxBytes) return FileOutcome::TooLarge;
        text.append(buffer, size_t(n));
    }
    contents.swap(text);
    return FileOutcome::Done;
}

FileOutcome replaceRegularFile(const std::string& path, const std::string& contents) {
    if (!validName(path)) return FileOutcome::Failed;
    const FileOutcome there = whatIsThere(path);
    if (there != FileOutcome::Done && there != FileOutcome::Missing) return there;
    const std::string partial = path + ".partial";
    Descriptor file(::open(partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666));
    if (file.get() < 0) return openFailure();
    if (!isRegular(file.get())) return FileOutcome::NotRegularFile; // not made here: left alone
    const bool written = writeAll(file.get(), contents) && ::fsync(file.get()) == 0;
    if (file.close() && written && ::rename(partial.c_str(), path.c_str()) == 0) return FileOutcome::Done;
    ::unlink(partial.c_str());
    return FileOutcome::Failed;
}

FileOutcome appendToRegularFile(const std::string& path, const std::string& text) {
    if (!validName(path)) return FileOutcome::Failed;
    const FileOutcome there = whatIsThere(path);
    if (there != FileOutcome::Done && there != FileOutcome::Missing) return there;
    Descriptor file(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666));
    if (file.get() < 0) return openFailure();
    if (!isRegular(file.get())) return FileOutcome::NotRegularFile;
    return writeAll(file.get(), text) && file.close() ? FileOutcome::Done : FileOutcome::Failed;
}

FileOutcome regularFileSize(const std::string& path, uint64_t& size) {
    size = 0;
    if (!validName(path)) return FileOutcome::Failed;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return openFailure();
    if (!S_ISREG(info.st_mode)) return FileOutcome::NotRegularFile;
    size = uint64_t(info.st_size);
    return FileOutcome::Done;
}

bool moveReplacing(const std::string& from, const std::string& to) {
    return validName(from) && validName(to) && std::rename(from.c_str(), to.c_str()) == 0;
}

} // namespace velmora
