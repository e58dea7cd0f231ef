#pragma once
// The file layer under the converter. The engine works on 1880-byte blocks and 2048-byte chunks,
// but reads and writes reach the system in large buffers.
#include <cstdint>
#include <string>

namespace dranfel {

// Takes over a mapped window of the input when the source moves on from it, and unmaps it once
// nothing waits any more to be written from it.
class WindowKeeper
{
public:
    virtual ~WindowKeeper() = default;
    virtual void keep(const uint8_t* window, size_t len) = 0;
};

class ByteSource
{
public:
    virtual ~ByteSource() = default;
    // Up to n bytes, fewer only at the end of the input. 0 is the end; -1 a read error.
    virtual long read(uint8_t* dst, long n) = 0;
    virtual int64_t position() const = 0;
    virtual bool seek(int64_t position) = 0;
    // Up to n bytes where the source holds them, without a copy: `bytes` points at them until the
    // next call, and advance() moves past them. Fewer than n near the end of the input or where
    // the source cannot show more at once (0 for a source that cannot show any); -1 a read error.
    virtual long view(const uint8_t*& bytes, long n)
    {
        (void)bytes, (void)n;
        return 0;
    }
    virtual void advance(long n) { (void)n; }
    // True when the bytes view() showed stay where they are until the output has written them.
    virtual bool view_kept() const { return false; }
};

class MemorySource : public ByteSource
{
public:
    MemorySource(const uint8_t* bytes, size_t size)
        : m_bytes(bytes)
        , m_size(size)
    {}
    long read(uint8_t* dst, long n) override;
    int64_t position() const override { return int64_t(m_pos); }
    bool seek(int64_t position) override;
    long view(const uint8_t*& bytes, long n) override;
    void advance(long n) override { m_pos += size_t(n); }

private:
    const uint8_t* m_bytes;
    size_t m_size;
    size_t m_pos = 0;
};

// A part file, seen through a window of the page cache: the engine works on the bytes where the
// kernel keeps them, and nothing is copied on the way in. Where a file cannot be mapped (some
// FUSE file systems), the window is read into a buffer instead.
class FileSource : public ByteSource
{
public:
    static constexpr size_t BUFFER_SIZE = 2 << 20; // the window
    static constexpr size_t PAGE = 4096;

    FileSource() = default;
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    // Returns false with error() set when the file cannot be opened.
    bool open(const std::string& path);
    void close();
    long read(uint8_t* dst, long n) override;
    int64_t position() const override { return m_pos; }
    bool seek(int64_t position) override;
    long view(const uint8_t*& bytes, long n) override;
    void advance(long n) override { m_pos += n; }
    bool view_kept() const override { return m_mapped && m_keeper; }
    // Windows it moves on from go to `keeper` rather than being unmapped at once.
    void set_keeper(WindowKeeper* keeper) { m_keeper = keeper; }
    int64_t size() const { return m_size; }
    const std::string& error() const { return m_error; }

private:
    bool place_window();
    void drop_window();

    int m_fd = -1;
    int64_t m_size = 0; // as it was when opened: the window never reaches past it
    int64_t m_pos = 0;
    const uint8_t* m_window = nullptr;
    int64_t m_win_start = 0; // file offset of m_window[0], on a page
    size_t m_win_len = 0;
    bool m_mapped = false;
    uint64_t m_faults = 0;    // mapped_window::faults() when the file was opened
    uint8_t* m_buf = nullptr; // the window when mapping failed
    WindowKeeper* m_keeper = nullptr;
    std::string m_error;
};

} // namespace dranfel
