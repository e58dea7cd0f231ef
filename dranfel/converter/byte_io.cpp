#include "dranfel/converter/byte_io.h"

#include "common/regular_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace dranfel {

long MemorySource::read(uint8_t* dst, long n)
{
    if (n <= 0 || m_pos >= m_size)
        return 0;
    size_t take = std::min(size_t(n), m_size - m_pos);
    std::memcpy(dst, m_bytes + m_pos, take);
    m_pos += take;
    return long(take);
}

bool MemorySource::seek(int64_t position)
{
    if (position < 0)
        return false;
    m_pos = size_t(position);
    return true;
}

FileSource::~FileSource()
{
    close();
}

bool FileSource::open(const std::string& path)
{
    close();
    struct stat st
    {
    };
    m_fd = common::open_regular_file(path, &m_error, &st);
    if (m_fd < 0)
        return false;
    m_size = st.st_size;
    m_buf = static_cast<uint8_t*>(std::aligned_alloc(PAGE, BUFFER_SIZE));
    if (!m_buf) {
        m_error = "out of memory";
        close();
        return false;
    }
    ::posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    m_buf_start = 0;
    m_buf_len = m_cursor = m_skip = 0;
    return true;
}

void FileSource::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    std::free(m_buf);
    m_buf = nullptr;
}

long FileSource::read(uint8_t* dst, long n)
{
    if (m_fd < 0)
        return -1;
    long got = 0;
    while (got < n) {
        if (m_cursor == m_buf_len) {
            m_buf_start += int64_t(m_buf_len);
            m_buf_len = m_cursor = 0;
            // The buffer is filled whole even from a pipe, so that the stream scan at the start
            // of a part (which stays within the first megabyte) can always go back.
            while (m_buf_len < BUFFER_SIZE) {
                ssize_t r = ::read(m_fd, m_buf + m_buf_len, BUFFER_SIZE - m_buf_len);
                if (r < 0 && errno == EINTR)
                    continue;
                if (r < 0) {
                    m_error = std::strerror(errno);
                    return -1;
                }
                if (r == 0)
                    break;
                m_buf_len += size_t(r);
            }
            if (m_buf_len == 0)
                break;
            if (m_skip >= m_buf_len) { // the file ends before the position sought
                m_skip -= m_buf_len;
                m_buf_start += int64_t(m_buf_len);
                m_buf_len = 0;
                break;
            }
            m_cursor = m_skip;
            m_skip = 0;
        }
        size_t take = std::min(size_t(n - got), m_buf_len - m_cursor);
        std::memcpy(dst + got, m_buf + m_cursor, take);
        m_cursor += take;
        got += long(take);
    }
    return got;
}

bool FileSource::seek(int64_t position)
{
    if (m_fd < 0 || position < 0)
        return false;
    if (position >= m_buf_start && position <= m_buf_start + int64_t(m_buf_len)) {
        m_cursor = size_t(position - m_buf_start);
        m_skip = 0;
        return true;
    }
    // Reading goes on from the page that holds the position, the bytes before it skipped in the
    // buffer.
    int64_t page_start = position - position % int64_t(PAGE);
    if (::lseek(m_fd, page_start, SEEK_SET) < 0) {
        m_error = std::strerror(errno);
        return false;
    }
    m_buf_start = page_start;
    m_buf_len = 0;
    m_cursor = 0;
    m_skip = size_t(position - page_start);
    return true;
}

} // namespace dranfel
