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
    MemorySource(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}
    long read(uint8_t* dst, long n) override;
    int64_t position() const override { return int64_t(pos_); }
    bool seek(int64_t position) override;

private:
    const uint8_t* bytes_;
    size_t size_;
    size_t pos_ = 0;
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
    int64_t position() const override { return buf_start_ + int64_t(cursor_ + skip_); }
    bool seek(int64_t position) override;
    int64_t size() const { return size_; }
    const std::string& error() const { return error_; }

private:
    int fd_ = -1;
    uint8_t* buf_ = nullptr;
    int64_t buf_start_ = 0; // file offset of buf_[0]
    size_t buf_len_ = 0;
    size_t cursor_ = 0;
    size_t skip_ = 0; // bytes of the next fill that lie before the position sought
    int64_t size_ = 0;
    std::string error_;
};

} // namespace dranfel
