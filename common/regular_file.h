#pragma once
// The one way both programs open a file they read: a FIFO, a device or a socket given where a
// file is expected would block the reader for ever (a FIFO with no writer) or feed it endless
// bytes, so the name is opened without blocking, looked at, and refused unless it is a regular
// file. Symbolic links are followed as usual.
#include "common/fd_io.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace common {

// What a non-regular file is, for a message: "a folder", "a FIFO", ...
inline const char* file_kind(mode_t mode)
{
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    if (S_ISSOCK(mode))
        return "a socket";
    if (S_ISREG(mode))
        return "a regular file";
    return "a special file";
}

// Opens `path` for reading when it is a regular file; the descriptor (blocking again, close on
// exec), or -1 with `reason` ("No such file or directory", "a FIFO, not a regular file") and
// errno set. `st`, when given, receives the file's status.
inline int
open_regular_file(const std::string& path, std::string* reason = nullptr, struct stat* st = nullptr)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        int err = errno;
        if (reason)
            *reason = std::strerror(err);
        errno = err;
        return -1;
    }
    struct stat own;
    struct stat& s = st ? *st : own;
    if (::fstat(fd, &s) != 0) {
        int err = errno;
        ::close(fd);
        if (reason)
            *reason = std::strerror(err);
        errno = err;
        return -1;
    }
    if (!S_ISREG(s.st_mode)) {
        ::close(fd);
        if (reason)
            *reason = std::string(file_kind(s.st_mode)) + ", not a regular file";
        errno = S_ISDIR(s.st_mode) ? EISDIR : EINVAL;
        return -1;
    }
    // A regular file never blocks, but later reads should not see EAGAIN from a stray flag.
    int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

// True for a regular file (after following links); listings show nothing else.
inline bool is_regular_file(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Reads a whole regular file of at most `max_bytes` into `text` (a std::string or a byte vector),
// sized to the file. False with `reason` (the system's, "a FIFO, not a regular file", "larger than
// N MiB" for a file over the limit, which is refused before anything is read, or "the file shrank
// while it was read"); errno stays as the failure left it. `size`, when given, receives the file's
// size once it is open, so that a caller may word the limit its own way. The read is bounded by the
// size seen at the start: a file that grows meanwhile is read as it was.
template <class Bytes>
bool read_regular_file(
    const std::string& path, Bytes& text, std::string& reason, size_t max_bytes, long long* size = nullptr)
{
    struct stat st;
    int fd = open_regular_file(path, &reason, &st);
    if (fd < 0)
        return false;
    if (size)
        *size = st.st_size;
    if (size_t(st.st_size) > max_bytes) {
        ::close(fd);
        reason = "larger than " + std::to_string(max_bytes >> 20) + " MiB";
        return false;
    }
    text.resize(size_t(st.st_size));
    const ssize_t got = read_all(fd, text.data(), text.size());
    const int err = errno;
    ::close(fd);
    if (got < 0 || size_t(got) < text.size()) {
        reason = got < 0 ? std::strerror(err) : "the file shrank while it was read";
        errno = err;
        return false;
    }
    return true;
}

} // namespace common
