#pragma once
// The converter's output, one file or the numbered pieces of a split one. The repackers build
// their chunks in the sink's own memory (ChunkMemory), the headers there and the payload left
// where the part file's mapped window holds it, so a finished chunk is written from where its
// bytes lie: the sink only notes those places, and a writer thread passes batches of them to the
// system with writev while the engine goes on. The windows are kept (WindowKeeper) until what
// refers to them is written. Bytes from elsewhere (the pack header, a caller of write() of its
// own) are copied in first.
#include "common/file_replacement/atomic_file.h"
#include "dranfel/converter/byte_io.h"
#include "dranfel/converter/ipack.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <sys/uio.h>
#include <thread>
#include <vector>

namespace dranfel {

class FileSink : public ChunkMemory, public WindowKeeper
{
public:
    // The memory is cut into arenas that are used again in turn once what lies in them is written.
    static constexpr size_t BUFFER_SIZE = 256 * 1024;
    static constexpr int BUFFER_COUNT = 8;
    static constexpr int BATCH_IOVECS = 1024; // IOV_MAX on Linux
    static constexpr int BATCH_COUNT = 4;

    FileSink() = default;
    ~FileSink() override; // discards files that were not closed
    FileSink(const FileSink&) = delete;
    FileSink& operator=(const FileSink&) = delete;

    // Starts a new file for `path` under a temporary name beside it; whatever was at `path`
    // stays until close() puts the new file in its place. False with error() set on failure.
    bool create(const std::string& path);
    // Ends the current file (it goes in place with the others at close()) and goes on in a new
    // one for `path`. Chunks the repackers are building carry over.
    bool next_file(const std::string& path);
    // A failed write is remembered: later writes do nothing and failed() stays true. The
    // failure of a write handed to the writer thread shows here a batch or two later.
    void write(const uint8_t* bytes, size_t n);
    // Waits until everything written so far has reached the system; false on any failure.
    bool flush();
    // Flushes, closes and puts every file in place of its target, in order; false when anything
    // failed on the way, and then the targets not yet replaced are left as they were.
    bool close();
    // Drops the files written so far; the targets are left as they were.
    void discard();
    bool failed() const { return m_failed.load(std::memory_order_acquire); }
    // True when create() or next_file() found a file at a target's name, which close() would
    // replace.
    bool replaces() const { return m_replaces; }
    // Meaningful once failed() is true or the sink is closed.
    const std::string& error() const { return m_error; }
    // Bytes that reached the files; complete after flush() or close().
    int64_t written() const { return m_written.load(std::memory_order_relaxed); }
    // True when payload is best written from where the input holds it: the target is a device
    // that takes bytes without copying them (/dev/null). Into a file or a pipe the kernel copies
    // every piece, and one piece per chunk, copied once into the chunk, costs less than a dozen.
    bool wants_input_in_place() const { return m_device; }
    // The target whose write failed, when one did.
    const std::string& failed_target() const { return m_failed_target; }

    static void output(const uint8_t* bytes, int length, void* sink)
    {
        static_cast<FileSink*>(sink)->write(bytes, size_t(length));
    }

    // ChunkMemory
    uint8_t* first_slot(ipack& p, int size) override;
    uint8_t* next_slot(ipack& p) override;
    void release(ipack& p) override;
    // WindowKeeper
    void keep(const uint8_t* window, size_t len) override;

private:
    static constexpr int BATCH_WINDOWS = 4;
    struct Batch
    {
        iovec iov[BATCH_IOVECS];
        int n = 0;
        size_t bytes = 0;
        // Places in each arena; they keep the arena once the batch is handed to the writer thread
        // (counted), and only then, so that a batch written in place costs no shared count.
        int arena_refs[BUFFER_COUNT] = {};
        bool counted = false;
        // Windows of the input unmapped once this batch, and every one before it, is written.
        const uint8_t* windows[BATCH_WINDOWS];
        size_t window_len[BATCH_WINDOWS];
        int n_windows = 0;
    };
    struct Live
    {
        ipack* owner = nullptr;
        int size = 0;
    };

    bool open_file(const std::string& path);
    int arena_of(const uint8_t* p) const;
    bool in_memory(const uint8_t* p) const;
    uint8_t* reserve(size_t n);
    void advance();
    void add_iovec(const uint8_t* bytes, size_t n);
    void add_input_places(const ipack& chunk);
    void drop_batches();
    void hand_over();
    void write_batch(Batch& b);
    void release_batch(Batch& b);
    void writer_loop();
    void fail(int err);
    void stop_writer();

    int m_fd = -1;
    std::vector<std::unique_ptr<common::AtomicFile>> m_files;
    std::vector<std::string> m_targets;
    // Page-aligned: the kernel copies out of it at full speed only so.
    std::unique_ptr<uint8_t, void (*)(void*)> m_storage{nullptr, std::free};
    size_t m_used[BUFFER_COUNT] = {};
    int m_current = 0; // the arena new chunks are cut from
    Live m_live[2];    // the chunks the repackers are building
    const uint8_t* m_last_chunk = nullptr;
    size_t m_last_chunk_len = 0; // the part of it that lies in the memory

    // What the writer thread and the engine share, under m_mutex: references into each arena
    // (places in batches handed over and not yet written) and the queue of batches. A chunk being
    // built needs no count: it is moved along before its arena is used again.
    std::mutex m_mutex;
    std::condition_variable m_work_ready;
    std::condition_variable m_space_free;
    // Counted without the lock by the engine's thread; the writer's releases, which the engine
    // may wait for, are made under it.
    std::atomic<int> m_refs[BUFFER_COUNT] = {};
    std::unique_ptr<Batch[]> m_batches;
    int m_filling = 0; // the batch places are added to; only the engine's thread touches it
    int m_queued = 0;
    int m_next_out = 0;
    bool m_stopping = false;
    std::thread m_writer;
    bool m_threaded = false;
    bool m_device = false;

    bool m_replaces = false;
    std::atomic<bool> m_failed{false};
    std::atomic<int64_t> m_written{0};
    std::string m_error;
    std::string m_failed_target;
};

} // namespace dranfel
