#include "dranfel/converter/file_sink.h"

#include "common/fd_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <system_error>

namespace dranfel {

FileSink::~FileSink() { discard(); }

bool FileSink::create(const std::string& path)
{
    close();
    failed_ = false;
    written_ = 0;
    error_.clear();
    m_file = std::make_unique<common::AtomicFile>(path);
    if (!m_file->open()) {
        error_ = m_file->error();
        m_file.reset();
        return false;
    }
    fd_ = m_file->fd();
    storage_.reset(static_cast<uint8_t*>(std::aligned_alloc(4096, BUFFER_SIZE * BUFFER_COUNT)));
    if (!storage_) {
        error_ = "out of memory";
        m_file.reset();
        fd_ = -1;
        return false;
    }
    filling_ = 0;
    fill_len_ = 0;
    queued_ = 0;
    next_out_ = 0;
    stopping_ = false;
    // Without a thread the buffers are written in place: slower, never wrong.
    try {
        writer_ = std::thread(&FileSink::writer_loop, this);
        threaded_ = true;
    } catch (const std::system_error&) {
        threaded_ = false;
    }
    return true;
}

void FileSink::fail(int err)
{
    error_ = std::strerror(err);
    failed_.store(true, std::memory_order_release);
}

void FileSink::write_out(const uint8_t* bytes, size_t n)
{
    if (failed())
        return;
    if (!common::write_all(fd_, bytes, n)) {
        fail(errno);
        return;
    }
    written_.fetch_add(int64_t(n), std::memory_order_relaxed);
}

void FileSink::writer_loop()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        work_ready_.wait(lock, [this] { return queued_ > 0 || stopping_; });
        if (queued_ == 0)
            return;
        int slot = next_out_;
        lock.unlock();
        write_out(storage_.get() + size_t(slot) * BUFFER_SIZE, lengths_[slot]);
        lock.lock();
        next_out_ = (next_out_ + 1) % BUFFER_COUNT;
        --queued_;
        buffer_free_.notify_one();
    }
}

void FileSink::hand_over()
{
    if (fill_len_ == 0)
        return;
    uint8_t* data = storage_.get() + size_t(filling_) * BUFFER_SIZE;
    if (!threaded_) {
        write_out(data, fill_len_);
        fill_len_ = 0;
        return;
    }
    std::unique_lock lock(mutex_);
    lengths_[filling_] = fill_len_;
    ++queued_;
    work_ready_.notify_one();
    buffer_free_.wait(lock, [this] { return queued_ < BUFFER_COUNT; });
    filling_ = (filling_ + 1) % BUFFER_COUNT;
    fill_len_ = 0;
}

void FileSink::write(const uint8_t* bytes, size_t n)
{
    if (fd_ < 0 || failed())
        return;
    while (n > 0) {
        size_t take = std::min(n, BUFFER_SIZE - fill_len_);
        std::memcpy(storage_.get() + size_t(filling_) * BUFFER_SIZE + fill_len_, bytes, take);
        fill_len_ += take;
        bytes += take;
        n -= take;
        if (fill_len_ == BUFFER_SIZE)
            hand_over();
    }
}

bool FileSink::flush()
{
    if (fd_ < 0)
        return !failed();
    hand_over();
    if (threaded_) {
        std::unique_lock lock(mutex_);
        buffer_free_.wait(lock, [this] { return queued_ == 0; });
    }
    return !failed();
}

void FileSink::stop_writer()
{
    if (threaded_) {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        work_ready_.notify_one();
        writer_.join();
        threaded_ = false;
    }
    fd_ = -1;
    storage_.reset();
}

bool FileSink::close()
{
    if (fd_ < 0)
        return !failed();
    flush();
    stop_writer();
    // No fsync: a converted file can always be made again from its recording, and waiting for a
    // gigabyte to reach the disk would double the time of a run. A kill still leaves the target
    // as it was, since the rename comes after the last write.
    if (!failed() && !m_file->commit(false)) {
        error_ = m_file->error();
        failed_.store(true, std::memory_order_release);
    }
    m_file.reset();
    return !failed();
}

void FileSink::discard()
{
    if (fd_ < 0)
        return;
    stop_writer();
    m_file.reset();
}

} // namespace dranfel
