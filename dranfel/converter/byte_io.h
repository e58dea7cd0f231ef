#pragma once
// The file layer under the converter. The engine works on 1880-byte blocks and 2048-byte chunks,
// but reads and writes reach the system in large buffers.
#include <cstdint>
#include <string>

namespace dranfel {

class ByteSource
{
public:
    virtual ~ByteSource() = default;
    // Up to n bytes, fewer only at the end of the input. 0 is the end; -1 a read error.
    virtual long read(uint8_t* dst, long n) = 0;
    virtual int64_t position() const = 0;
    virtual bool seek(int64_t position) = 0;
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

private:
    const uint8_t* m_bytes;
    size_t m_size;
    size_t m_pos = 0;
};

class FileSource : public ByteSource
{
public:
    static constexpr size_t BUFFER_SIZE = 1 << 20;
    // The buffer starts on a page, and the file is read from page boundaries: on this kind of CPU
    // the kernel's copy into a destination 8 or 16 bytes past a page boundary (where malloc puts
    // large blocks) runs at a quarter of its speed.
    static constexpr size_t PAGE = 4096;

    FileSource() = default;
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    // Returns false with error() set when the file cannot be opened or the buffer allocated.
    bool open(const std::string& path);
    void close();
    long read(uint8_t* dst, long n) override;
    int64_t position() const override { return m_buf_start + int64_t(m_cursor + m_skip); }
    bool seek(int64_t position) override;
    int64_t size() const { return m_size; }
    const std::string& error() const { return m_error; }

private:
    int m_fd = -1;
    uint8_t* m_buf = nullptr;
    int64_t m_buf_start = 0; // file offset of m_buf[0]
    size_t m_buf_len = 0;
    size_t m_cursor = 0;
    size_t m_skip = 0; // bytes of the next fill that lie before the position sought
    int64_t m_size = 0;
    std::string m_error;
};

} // namespace dranfel
