#include "dranfel/converter/file_sink.h"

#include "common/fd_io.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <system_error>
#include <unistd.h>

namespace dranfel {

FileSink::~FileSink()
{
    discard();
}

bool FileSink::create(const std::string& path)
{
    close();
    m_failed = false;
    m_written = 0;
    m_error.clear();
    m_file = std::make_unique<common::AtomicFile>(path);
    if (!m_file->open()) {
        m_error = m_file->error();
        m_file.reset();
        return false;
    }
    m_fd = m_file->fd();
    m_replaces = m_file->replaces();
    storage_.reset(static_cast<uint8_t*>(std::aligned_alloc(4096, BUFFER_SIZE * BUFFER_COUNT)));
    if (!storage_) {
        m_error = "out of memory";
        m_file.reset();
        m_fd = -1;
        return false;
    }
    m_filling = 0;
    m_fill_len = 0;
    m_queued = 0;
    m_next_out = 0;
    m_stopping = false;
    // Without a thread the buffers are written in place: slower, never wrong.
    try {
        m_writer = std::thread(&FileSink::writer_loop, this);
        m_threaded = true;
    } catch (const std::system_error&) {
        m_threaded = false;
    }
    return true;
}

void FileSink::fail(int err)
{
    m_error = std::strerror(err);
    m_failed.store(true, std::memory_order_release);
}

void FileSink::write_out(const uint8_t* bytes, size_t n)
{
    if (failed())
        return;
    if (!common::write_all(m_fd, bytes, n)) {
        fail(errno);
        return;
    }
    m_written.fetch_add(int64_t(n), std::memory_order_relaxed);
}

void FileSink::writer_loop()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_work_ready.wait(lock, [this] { return m_queued > 0 || m_stopping; });
        if (m_queued == 0)
            return;
        int slot = m_next_out;
        lock.unlock();
        write_out(storage_.get() + size_t(slot) * BUFFER_SIZE, lengths_[slot]);
        lock.lock();
        m_next_out = (m_next_out + 1) % BUFFER_COUNT;
        --m_queued;
        m_buffer_free.notify_one();
    }
}

void FileSink::hand_over()
{
    if (m_fill_len == 0)
        return;
    uint8_t* data = storage_.get() + size_t(m_filling) * BUFFER_SIZE;
    if (!m_threaded) {
        write_out(data, m_fill_len);
        m_fill_len = 0;
        return;
    }
    std::unique_lock lock(m_mutex);
    lengths_[m_filling] = m_fill_len;
    ++m_queued;
    m_work_ready.notify_one();
    m_buffer_free.wait(lock, [this] { return m_queued < BUFFER_COUNT; });
    m_filling = (m_filling + 1) % BUFFER_COUNT;
    m_fill_len = 0;
}

void FileSink::write(const uint8_t* bytes, size_t n)
{
    if (m_fd < 0 || failed())
        return;
    while (n > 0) {
        size_t take = std::min(n, BUFFER_SIZE - m_fill_len);
        std::memcpy(storage_.get() + size_t(m_filling) * BUFFER_SIZE + m_fill_len, bytes, take);
        m_fill_len += take;
        bytes += take;
        n -= take;
        if (m_fill_len == BUFFER_SIZE)
            hand_over();
    }
}

bool FileSink::flush()
{
    if (m_fd < 0)
        return !failed();
    hand_over();
    if (m_threaded) {
        std::unique_lock lock(m_mutex);
        m_buffer_free.wait(lock, [this] { return m_queued == 0; });
    }
    return !failed();
}

void FileSink::stop_writer()
{
    if (m_threaded) {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_work_ready.notify_one();
        m_writer.join();
        m_threaded = false;
    }
    m_fd = -1;
    storage_.reset();
}

bool FileSink::seal()
{
    if (m_fd < 0)
        return !failed();
    flush();
    stop_writer();
    return !failed();
}

bool FileSink::close()
{
    if (!m_file)
        return !failed();
    seal();
    // No fsync: a converted file can always be made again from its recording, and waiting for a
    // gigabyte to reach the disk would double the time of a run. A kill still leaves the target
    // as it was, since the rename comes after the last write.
    if (!failed() && !m_file->commit(false)) {
        m_error = m_file->error();
        m_failed.store(true, std::memory_order_release);
    }
    m_file.reset();
    return !failed();
}

void FileSink::discard()
{
    if (m_fd >= 0)
        stop_writer();
    m_file.reset();
}

} // namespace dranfel
