#pragma once
// The converter's output file. The engine hands it 2048-byte chunks; they are gathered into
// large buffers which a writer thread passes to the system while the engine goes on with the
// next ones, so that the kernel's copying of a gigabyte into new file pages overlaps the
// conversion instead of following it.
#include "common/file_replacement/atomic_file.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace dranfel {

class FileSink
{
public:
    static constexpr size_t BUFFER_SIZE = 1 << 20;
    static constexpr int BUFFER_COUNT = 4;

    FileSink() = default;
    ~FileSink(); // discards a file that was not closed
    FileSink(const FileSink&) = delete;
    FileSink& operator=(const FileSink&) = delete;

    // Starts a new file for `path` under a temporary name beside it; whatever was at `path`
    // stays until close() puts the new file in its place. False with error() set on failure.
    bool create(const std::string& path);
    // A failed write is remembered: later writes do nothing and failed() stays true. The
    // failure of a write handed to the writer thread shows here a buffer or two later.
    void write(const uint8_t* bytes, size_t n);
    // Waits until everything written so far has reached the system; false on any failure.
    bool flush();
    // Writes out what is held and lets go of the buffers and the writer thread, leaving the
    // file to be put in place by close() or dropped by discard(): a run that writes several
    // files keeps only the one it fills in memory.
    bool seal();
    // Flushes, closes and puts the file in place of the target; false when anything failed on
    // the way, and then the target is left as it was.
    bool close();
    // Drops the file written so far; the target is left as it was.
    void discard();
    bool failed() const { return m_failed.load(std::memory_order_acquire); }
    // True when create() found a file at the target's name, which close() would replace.
    bool replaces() const { return m_replaces; }
    // Meaningful once failed() is true or the sink is closed.
    const std::string& error() const { return m_error; }
    // Bytes that reached the file; complete after flush() or close().
    int64_t written() const { return m_written.load(std::memory_order_relaxed); }

    static void output(const uint8_t* bytes, int length, void* sink)
    {
        static_cast<FileSink*>(sink)->write(bytes, size_t(length));
    }

private:
    void hand_over();
    void writer_loop();
    void write_out(const uint8_t* bytes, size_t n);
    void fail(int err);
    void stop_writer();

    int m_fd = -1;
    std::unique_ptr<common::AtomicFile> m_file;
    // Page-aligned, like the reader's buffer: the kernel copies out of it at full speed only so.
    std::unique_ptr<uint8_t, void (*)(void*)> storage_{nullptr, std::free};
    size_t lengths_[BUFFER_COUNT] = {};
    int m_filling = 0; // the buffer write() copies into; only the caller's thread touches it
    size_t m_fill_len = 0;

    // Buffers handed over and not yet written, oldest first from m_next_out. The writer keeps a
    // buffer counted until its write has returned, so the caller never refills it too early.
    std::mutex m_mutex;
    std::condition_variable m_work_ready;
    std::condition_variable m_buffer_free;
    int m_queued = 0;
    int m_next_out = 0;
    bool m_stopping = false;
    std::thread m_writer;
    bool m_threaded = false;

    bool m_replaces = false;
    std::atomic<bool> m_failed{false};
    std::atomic<int64_t> m_written{0};
    std::string m_error;
};

} // namespace dranfel
