#include "dranfel/converter/file_sink.h"

#include "dranfel/converter/mapped_window.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/mman.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace dranfel {

FileSink::~FileSink()
{
    discard();
}

bool FileSink::open_file(const std::string& path)
{
    auto file = std::make_unique<common::AtomicFile>(path);
    if (!file->open()) {
        m_error = file->error();
        return false;
    }
    m_fd = file->fd();
    m_replaces = m_replaces || file->replaces();
    m_files.push_back(std::move(file));
    m_targets.push_back(path);
    return true;
}

bool FileSink::create(const std::string& path)
{
    close();
    m_failed = false;
    m_written = 0;
    m_error.clear();
    m_failed_target.clear();
    m_files.clear();
    m_targets.clear();
    m_replaces = false;
    if (!open_file(path))
        return false;
    m_storage.reset(static_cast<uint8_t*>(std::aligned_alloc(4096, BUFFER_SIZE * BUFFER_COUNT)));
    m_batches.reset(new (std::nothrow) Batch[BATCH_COUNT]);
    if (!m_storage || !m_batches) {
        m_error = "out of memory";
        m_files.clear();
        m_fd = -1;
        return false;
    }
    std::fill(std::begin(m_used), std::end(m_used), 0);
    for (auto& r : m_refs)
        r.store(0, std::memory_order_relaxed);
    m_current = 0;
    m_live[0] = m_live[1] = Live{};
    m_last_chunk = nullptr;
    m_filling = 0;
    m_queued = 0;
    m_next_out = 0;
    m_stopping = false;
    // A device takes its bytes at once (/dev/null) or at its own pace (a terminal): a thread
    // would only add switches. Files and pipes are written beside the engine. Without a thread
    // the batches are written in place: slower, never wrong.
    struct stat st
    {
    };
    m_threaded = false;
    m_device = ::fstat(m_fd, &st) == 0 && S_ISCHR(st.st_mode);
    if (m_device)
        return true;
    try {
        m_writer = std::thread(&FileSink::writer_loop, this);
        m_threaded = true;
    } catch (const std::system_error&) {
        m_threaded = false;
    }
    return true;
}

bool FileSink::next_file(const std::string& path)
{
    if (m_fd < 0)
        return false;
    if (!flush())
        return false;
    // The writer is idle now: it takes the descriptor afresh with every batch.
    std::lock_guard lock(m_mutex);
    return open_file(path);
}

void FileSink::fail(int err)
{
    m_error = std::strerror(err);
    if (!m_targets.empty())
        m_failed_target = m_targets.back();
    m_failed.store(true, std::memory_order_release);
}

int FileSink::arena_of(const uint8_t* p) const
{
    return int(size_t(p - m_storage.get()) / BUFFER_SIZE);
}

bool FileSink::in_memory(const uint8_t* p) const
{
    const uint8_t* base = m_storage.get();
    return base && p >= base && p < base + BUFFER_SIZE * BUFFER_COUNT;
}

// Moves on to the next arena once everything in it has been written. A chunk still being built
// there (a stream that has been quiet for several arenas of the other's output) is moved along.
void FileSink::advance()
{
    hand_over(); // its places may be what keeps the next arena
    int next = (m_current + 1) % BUFFER_COUNT;
    uint8_t moved[2][IPACK_SIZE];
    bool is_moved[2] = {false, false};
    for (int i = 0; i < 2; ++i) {
        Live& l = m_live[i];
        if (l.owner && arena_of(l.owner->buf) == next) {
            std::memcpy(moved[i], l.owner->buf, size_t(std::min(l.owner->count, l.size)));
            is_moved[i] = true;
        }
    }
    if (m_threaded) {
        std::unique_lock lock(m_mutex);
        m_space_free.wait(lock, [&] { return m_refs[next].load(std::memory_order_acquire) == 0; });
    }
    m_used[next] = 0;
    m_current = next;
    for (int i = 0; i < 2; ++i) {
        if (!is_moved[i])
            continue;
        Live& l = m_live[i];
        uint8_t* slot = reserve(size_t(l.size));
        std::memcpy(slot, moved[i], size_t(std::min(l.owner->count, l.size)));
        l.owner->buf = slot;
    }
}

uint8_t* FileSink::reserve(size_t n)
{
    // Places start on 16 bytes, where the kernel copies from fastest.
    n = (n + 15) & ~size_t(15);
    if (m_used[m_current] + n > BUFFER_SIZE)
        advance();
    uint8_t* p = m_storage.get() + size_t(m_current) * BUFFER_SIZE + m_used[m_current];
    m_used[m_current] += n;
    return p;
}

void FileSink::add_iovec(const uint8_t* bytes, size_t n)
{
    if (n == 0)
        return;
    Batch& b = m_batches[m_filling];
    b.iov[b.n] = iovec{const_cast<uint8_t*>(bytes), n};
    ++b.n;
    b.bytes += n;
    ++b.arena_refs[arena_of(bytes)];
    if (b.n == BATCH_IOVECS)
        hand_over();
}

// The payload of a chunk that lies in the input: a dozen places a chunk, taken in a run rather
// than one call each.
void FileSink::add_input_places(const ipack& chunk)
{
    int i = 0;
    while (i < chunk.refs) {
        Batch& b = m_batches[m_filling];
        const int take = std::min(chunk.refs - i, BATCH_IOVECS - b.n);
        size_t bytes = 0;
        for (int k = 0; k < take; ++k) {
            const size_t len = size_t(chunk.ref_len[i + k]);
            b.iov[b.n + k] = iovec{const_cast<uint8_t*>(chunk.ref_at[i + k]), len};
            bytes += len;
        }
        b.n += take;
        b.bytes += bytes;
        i += take;
        if (b.n == BATCH_IOVECS)
            hand_over();
    }
}

void FileSink::write(const uint8_t* bytes, size_t n)
{
    if (m_fd < 0 || failed() || n == 0)
        return;
    if (in_memory(bytes)) {
        m_last_chunk = bytes;
        m_last_chunk_len = n;
        const ipack* owner = nullptr;
        for (const Live& l : m_live)
            if (l.owner && l.owner->buf == bytes)
                owner = l.owner;
        if (!owner || owner->refs == 0) {
            add_iovec(bytes, n);
            return;
        }
        // The chunk's head lies here, the rest where the input holds it.
        m_last_chunk_len = n - size_t(owner->ref_bytes);
        add_iovec(bytes, m_last_chunk_len);
        add_input_places(*owner);
        return;
    }
    while (n > 0) {
        size_t take = std::min(n, BUFFER_SIZE / 2);
        uint8_t* place = reserve(take);
        std::memcpy(place, bytes, take);
        add_iovec(place, take);
        bytes += take;
        n -= take;
    }
}

void FileSink::write_batch(Batch& b)
{
    if (failed())
        return;
    int i = 0;
    size_t left_in_batch = b.bytes;
    while (i < b.n) {
        int count = b.n - i;
        ssize_t r = ::writev(m_fd, b.iov + i, count);
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0) {
            fail(errno);
            return;
        }
        if (r == 0) {
            fail(EIO);
            return;
        }
        m_written.fetch_add(int64_t(r), std::memory_order_relaxed);
        left_in_batch -= size_t(r);
        if (left_in_batch == 0)
            return;
        // A pipe or a full disk can take less than all: go on from where it stopped.
        size_t left = size_t(r);
        while (i < b.n && left >= b.iov[i].iov_len) {
            left -= b.iov[i].iov_len;
            ++i;
        }
        if (left > 0) {
            b.iov[i].iov_base = static_cast<uint8_t*>(b.iov[i].iov_base) + left;
            b.iov[i].iov_len -= left;
        }
    }
}

void FileSink::release_batch(Batch& b)
{
    for (int a = 0; a < BUFFER_COUNT; ++a) {
        if (b.counted && b.arena_refs[a] != 0)
            m_refs[a].fetch_sub(b.arena_refs[a], std::memory_order_release);
        b.arena_refs[a] = 0;
    }
    b.counted = false;
    b.n = 0;
    b.bytes = 0;
    for (int i = 0; i < b.n_windows; ++i)
        mapped_window::unmap(b.windows[i], b.window_len[i]);
    b.n_windows = 0;
}

// After the writer has stopped: whatever was not written is let go, windows unmapped.
void FileSink::drop_batches()
{
    if (!m_batches)
        return;
    for (int i = 0; i < BATCH_COUNT; ++i)
        release_batch(m_batches[i]);
    m_queued = 0;
}

void FileSink::keep(const uint8_t* window, size_t len)
{
    if (m_fd < 0 || !m_batches) {
        mapped_window::unmap(window, len);
        return;
    }
    // A chunk still being built that refers to the window takes its bytes in now.
    for (Live& l : m_live)
        if (l.owner && l.owner->refs > 0)
            for (int i = 0; i < l.owner->refs; ++i)
                if (l.owner->ref_at[i] >= window && l.owner->ref_at[i] < window + len) {
                    ipack_materialize(*l.owner);
                    break;
                }
    if (m_batches[m_filling].n_windows == BATCH_WINDOWS)
        hand_over();
    Batch& b = m_batches[m_filling];
    b.windows[b.n_windows] = window;
    b.window_len[b.n_windows] = len;
    ++b.n_windows;
}

void FileSink::writer_loop()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_work_ready.wait(lock, [this] { return m_queued > 0 || m_stopping; });
        if (m_queued == 0)
            return;
        Batch& b = m_batches[m_next_out];
        lock.unlock();
        write_batch(b);
        lock.lock();
        release_batch(b);
        m_next_out = (m_next_out + 1) % BATCH_COUNT;
        --m_queued;
        m_space_free.notify_all();
    }
}

void FileSink::hand_over()
{
    Batch& b = m_batches[m_filling];
    if (b.n == 0 && b.n_windows == 0)
        return;
    if (!m_threaded) {
        write_batch(b);
        release_batch(b);
        return;
    }
    for (int a = 0; a < BUFFER_COUNT; ++a)
        if (b.arena_refs[a] != 0)
            m_refs[a].fetch_add(b.arena_refs[a], std::memory_order_relaxed);
    b.counted = true;
    std::unique_lock lock(m_mutex);
    ++m_queued;
    m_work_ready.notify_one();
    m_space_free.wait(lock, [this] { return m_queued < BATCH_COUNT; });
    m_filling = (m_filling + 1) % BATCH_COUNT;
}

bool FileSink::flush()
{
    if (m_fd < 0)
        return !failed();
    hand_over();
    if (m_threaded) {
        std::unique_lock lock(m_mutex);
        m_space_free.wait(lock, [this] { return m_queued == 0; });
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
}

bool FileSink::close()
{
    if (m_files.empty())
        return !failed();
    flush();
    stop_writer();
    drop_batches();
    // No fsync: a converted file can always be made again from its recording, and waiting for a
    // gigabyte to reach the disk would double the time of a run. A kill still leaves the targets
    // as they were, since the renames come after the last write.
    for (size_t i = 0; i < m_files.size() && !failed(); ++i)
        if (!m_files[i]->commit(false)) {
            m_error = m_files[i]->error();
            m_failed_target = m_targets[i];
            m_failed.store(true, std::memory_order_release);
        }
    m_files.clear();
    return !failed();
}

void FileSink::discard()
{
    if (m_fd >= 0) {
        stop_writer();
        drop_batches();
    }
    m_files.clear();
}

uint8_t* FileSink::first_slot(ipack& p, int size)
{
    if (!m_storage)
        return nullptr;
    for (Live& l : m_live)
        if (!l.owner) {
            l.owner = &p;
            l.size = size;
            return reserve(size_t(size));
        }
    return nullptr; // two repackers per run
}

uint8_t* FileSink::next_slot(ipack& p)
{
    // A chunk that was not written (the program-stream writer drops some) keeps its place.
    if (p.buf != m_last_chunk)
        return p.buf;
    m_last_chunk = nullptr;
    for (Live& l : m_live)
        if (l.owner == &p) {
            // What the chunk left unused of its place, when nothing was cut behind it, is the next
            // place's: with the payload in the input a chunk uses a few bytes of its 2 KB, and
            // places cut densely stay in the processor's cache.
            const size_t start = size_t(p.buf - m_storage.get());
            if (arena_of(p.buf) == m_current && start + ((size_t(l.size) + 15) & ~size_t(15)) ==
                                                    size_t(m_current) * BUFFER_SIZE + m_used[m_current])
                m_used[m_current] =
                    start - size_t(m_current) * BUFFER_SIZE + ((m_last_chunk_len + 15) & ~size_t(15));
            l.owner = nullptr; // not moved along while a new place is found
            uint8_t* slot = reserve(size_t(l.size));
            l.owner = &p;
            return slot;
        }
    return p.buf;
}

void FileSink::release(ipack& p)
{
    for (Live& l : m_live)
        if (l.owner == &p)
            l.owner = nullptr;
}

} // namespace dranfel
