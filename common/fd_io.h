#pragma once
// Plain descriptor I/O shared by every reader and writer in both programs.
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <sys/types.h>
#include <unistd.h>

namespace common {

// Writes all of [data, data+len) to fd: at `offset` when it is not negative (the file position is
// then left alone), else at the file position. Short writes and interruptions are retried; a
// write that moves nothing counts as a full disk. False with errno set on failure.
inline bool write_all(int fd, const void* data, size_t len, off_t offset = -1)
{
    auto p = static_cast<const uint8_t*>(data);
    while (len > 0) {
        ssize_t n = offset < 0 ? ::write(fd, p, len) : ::pwrite(fd, p, len, offset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        p += n;
        len -= size_t(n);
        if (offset >= 0)
            offset += n;
    }
    return true;
}

// Reads [data, data+len) from fd: at `offset` when it is not negative (the file position is then
// left alone), else at the file position. Interruptions and short reads are retried until `len`
// bytes or the end of the file. The count read (less than `len` only at the end), or -1 with errno
// set.
inline ssize_t read_all(int fd, void* data, size_t len, off_t offset = -1)
{
    auto p = static_cast<uint8_t*>(data);
    size_t got = 0;
    while (got < len) {
        ssize_t n = offset < 0 ? ::read(fd, p + got, len - got)
                               : ::pread(fd, p + got, len - got, offset + off_t(got));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        got += size_t(n);
    }
    return ssize_t(got);
}

} // namespace common
