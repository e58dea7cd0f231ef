#include "dranfel/converter/byte_io.h"

#include "common/fd_io.h"
#include "common/regular_file.h"
#include "dranfel/converter/mapped_window.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/mman.h>
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

long MemorySource::view(const uint8_t*& bytes, long n)
{
    if (n <= 0 || m_pos >= m_size)
        return 0;
    bytes = m_bytes + m_pos;
    return long(std::min(size_t(n), m_size - m_pos));
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
    m_pos = 0;
    m_faults = mapped_window::faults();
    return true;
}

void FileSource::drop_window()
{
    if (m_mapped && m_window) {
        if (m_keeper)
            m_keeper->keep(m_window, m_win_len);
        else
            mapped_window::unmap(m_window, m_win_len);
    }
    m_window = nullptr;
    m_win_len = 0;
    m_mapped = false;
}

void FileSource::close()
{
    drop_window();
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    std::free(m_buf);
    m_buf = nullptr;
}

// A window from the page that holds the position on. The pages are mapped with their table
// entries made at once: one call per window rather than a fault every few pages.
bool FileSource::place_window()
{
    drop_window();
    m_win_start = m_pos - m_pos % int64_t(PAGE);
    size_t len = size_t(std::min<int64_t>(int64_t(BUFFER_SIZE), m_size - m_win_start));
    if (!m_buf) {
        if (const uint8_t* p = mapped_window::map(m_fd, m_win_start, len)) {
            m_window = p;
            m_win_len = len;
            m_mapped = true;
            return true;
        }
        m_buf = static_cast<uint8_t*>(std::aligned_alloc(PAGE, BUFFER_SIZE));
        if (!m_buf) {
            m_error = "out of memory";
            return false;
        }
    }
    // A file that became shorter has its end where the read stops.
    const ssize_t got = common::read_all(m_fd, m_buf, len, m_win_start);
    if (got < 0) {
        m_error = std::strerror(errno);
        return false;
    }
    m_window = m_buf;
    m_win_len = size_t(got);
    return true;
}

long FileSource::view(const uint8_t*& bytes, long n)
{
    if (m_fd < 0)
        return -1;
    // A page of a window went from under us (the file was cut short, the disk pulled): what was
    // read of it is zeros, not the recording.
    if (mapped_window::faults() != m_faults) {
        m_error = "the file was cut short or its disk went while it was read";
        return -1;
    }
    if (n <= 0 || m_pos >= m_size)
        return 0;
    int64_t want = std::min<int64_t>(n, m_size - m_pos);
    if (!m_window || m_pos < m_win_start || m_pos + want > m_win_start + int64_t(m_win_len)) {
        if (!place_window())
            return -1;
        if (m_pos >= m_win_start + int64_t(m_win_len))
            return 0;
    }
    bytes = m_window + (m_pos - m_win_start);
    return long(std::min<int64_t>(want, m_win_start + int64_t(m_win_len) - m_pos));
}

long FileSource::read(uint8_t* dst, long n)
{
    long got = 0;
    while (got < n) {
        const uint8_t* bytes = nullptr;
        long r = view(bytes, n - got);
        if (r < 0)
            return -1;
        if (r == 0)
            break;
        std::memcpy(dst + got, bytes, size_t(r));
        advance(r);
        got += r;
    }
    return got;
}

bool FileSource::seek(int64_t position)
{
    if (m_fd < 0 || position < 0)
        return false;
    m_pos = position;
    return true;
}

} // namespace dranfel
