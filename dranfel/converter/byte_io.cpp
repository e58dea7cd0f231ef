#include "dranfel/converter/byte_io.h"

#include "common/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>

namespace dranfel {

long MemorySource::read(uint8_t* dst, long n)
{
    if (n <= 0 || pos_ >= size_)
        return 0;
    size_t take = std::min(size_t(n), size_ - pos_);
    std::memcpy(dst, bytes_ + pos_, take);
    pos_ += take;
    return long(take);
}

bool MemorySource::seek(int64_t position)
{
    if (position < 0)
        return false;
    pos_ = size_t(position);
    return true;
}

FileSource::~FileSource() { close(); }

bool FileSource::open(const std::string& path)
{
    close();
    struct stat st{};
    fd_ = common::open_regular_file(path, &error_, &st);
    if (fd_ < 0)
        return false;
    size_ = st.st_size;
    buf_ = static_cast<uint8_t*>(std::aligned_alloc(PAGE, BUFFER_SIZE));
    if (!buf_) {
        error_ = "out of memory";
        close();
        return false;
    }
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
    buf_start_ = 0;
    buf_len_ = cursor_ = skip_ = 0;
    return true;
}

void FileSource::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    std::free(buf_);
    buf_ = nullptr;
}

long FileSource::read(uint8_t* dst, long n)
{
    if (fd_ < 0)
        return -1;
    long got = 0;
    while (got < n) {
        if (cursor_ == buf_len_) {
            buf_start_ += int64_t(buf_len_);
            buf_len_ = cursor_ = 0;
            // The buffer is filled whole even from a pipe, so that the stream scan at the start
            // of a part (which stays within the first megabyte) can always go back.
            while (buf_len_ < BUFFER_SIZE) {
                ssize_t r = ::read(fd_, buf_ + buf_len_, BUFFER_SIZE - buf_len_);
                if (r < 0 && errno == EINTR)
                    continue;
                if (r < 0) {
                    error_ = std::strerror(errno);
                    return -1;
                }
                if (r == 0)
                    break;
                buf_len_ += size_t(r);
            }
            if (buf_len_ == 0)
                break;
            if (skip_ >= buf_len_) { // the file ends before the position sought
                skip_ -= buf_len_;
                buf_start_ += int64_t(buf_len_);
                buf_len_ = 0;
                break;
            }
            cursor_ = skip_;
            skip_ = 0;
        }
        size_t take = std::min(size_t(n - got), buf_len_ - cursor_);
        std::memcpy(dst + got, buf_ + cursor_, take);
        cursor_ += take;
        got += long(take);
    }
    return got;
}

bool FileSource::seek(int64_t position)
{
    if (fd_ < 0 || position < 0)
        return false;
    if (position >= buf_start_ && position <= buf_start_ + int64_t(buf_len_)) {
        cursor_ = size_t(position - buf_start_);
        skip_ = 0;
        return true;
    }
    // Reading goes on from the page that holds the position, the bytes before it skipped in the
    // buffer.
    int64_t page_start = position - position % int64_t(PAGE);
    if (::lseek(fd_, page_start, SEEK_SET) < 0) {
        error_ = std::strerror(errno);
        return false;
    }
    buf_start_ = page_start;
    buf_len_ = 0;
    cursor_ = 0;
    skip_ = size_t(position - page_start);
    return true;
}

} // namespace dranfel
