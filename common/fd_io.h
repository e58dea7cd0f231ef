#pragma once
// Plain descriptor I/O shared by every writer in both programs.
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

} // namespace common
