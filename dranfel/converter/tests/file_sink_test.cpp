#include "dranfel/converter/byte_io.h"
#include "dranfel/converter/file_sink.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <vector>

namespace dranfel {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> read_all(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Uneven pieces, some larger than a buffer, over more bytes than the whole ring holds, with a
// flush in the middle: the file must be the pieces in order, whatever buffer each landed in.
TEST(FileSink, KeepsTheOrderOfEveryByteAcrossTheBuffers)
{
    fs::path path = fs::path(::testing::TempDir()) / "file_sink_order.bin";
    fs::remove(path);
    std::vector<uint8_t> expected;
    FileSink sink;
    ASSERT_TRUE(sink.create(path.string()));
    uint32_t state = 12345;
    const size_t sizes[] = {2048, 1, 777, FileSink::BUFFER_SIZE + 3, 65536, 2 * FileSink::BUFFER_SIZE, 5};
    for (int round = 0; round < 4; ++round) {
        for (size_t n : sizes) {
            std::vector<uint8_t> piece(n);
            for (auto& b : piece) {
                state = state * 1103515245u + 12345u;
                b = uint8_t(state >> 16);
            }
            sink.write(piece.data(), piece.size());
            expected.insert(expected.end(), piece.begin(), piece.end());
        }
        if (round == 1) {
            ASSERT_TRUE(sink.flush());
            EXPECT_EQ(sink.written(), int64_t(expected.size()));
            EXPECT_FALSE(fs::exists(path)); // in place only once closed
        }
    }
    ASSERT_TRUE(sink.close());
    EXPECT_EQ(sink.written(), int64_t(expected.size()));
    EXPECT_TRUE(read_all(path) == expected);
    fs::remove(path);
}

// The failure happens on the writer thread; it must reach the caller, stop further writes and
// make close() fail, without the caller waiting forever on a buffer that is never freed.
TEST(FileSink, AFailedWriteIsReportedAndLaterWritesAreDropped)
{
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    FileSink sink;
    ASSERT_TRUE(sink.create("/dev/full"));
    std::vector<uint8_t> chunk(2048, 0x47);
    for (int k = 0; k < 8 * 1024; ++k) // 16 MiB, four times the ring
        sink.write(chunk.data(), chunk.size());
    EXPECT_FALSE(sink.flush());
    EXPECT_TRUE(sink.failed());
    EXPECT_NE(sink.error().find("No space"), std::string::npos) << sink.error();
    EXPECT_EQ(sink.written(), 0);
    EXPECT_FALSE(sink.close());
    EXPECT_TRUE(sink.failed());
}

TEST(FileSink, CanBeUsedAgainForANewFile)
{
    fs::path dir = fs::path(::testing::TempDir());
    FileSink sink;
    ASSERT_TRUE(sink.create((dir / "file_sink_a.bin").string()));
    uint8_t a[3] = {1, 2, 3};
    sink.write(a, 3);
    ASSERT_TRUE(sink.create((dir / "file_sink_b.bin").string())); // closes the first
    uint8_t b[2] = {9, 8};
    sink.write(b, 2);
    ASSERT_TRUE(sink.close());
    EXPECT_EQ(read_all(dir / "file_sink_a.bin"), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(read_all(dir / "file_sink_b.bin"), (std::vector<uint8_t>{9, 8}));
    EXPECT_FALSE(sink.create((dir / "no such folder" / "x.bin").string()));
    EXPECT_FALSE(sink.error().empty());
    fs::remove(dir / "file_sink_a.bin");
    fs::remove(dir / "file_sink_b.bin");
}

// Chunks built in the sink's memory and written from there: one stream's chunk waits while the
// other's fill the memory many times over, so it has to be moved along, and a chunk that is not
// written keeps its place. The file must hold every chunk whole, in the order written.
TEST(FileSink, ChunksBuiltInItsMemoryComeOutWholeAndInOrder)
{
    fs::path path = fs::path(::testing::TempDir()) / "file_sink_chunks.bin";
    FileSink sink;
    ASSERT_TRUE(sink.create(path.string()));
    ipack busy, quiet;
    busy.buf = sink.first_slot(busy, IPACK_SIZE);
    quiet.buf = sink.first_slot(quiet, IPACK_SIZE);
    ASSERT_TRUE(busy.buf && quiet.buf);
    std::vector<uint8_t> expected;
    auto fill = [](ipack& p, int n, uint8_t seed) {
        for (int i = 0; i < n; ++i)
            p.buf[i] = uint8_t(seed + i * 13);
        p.count = n;
    };
    auto send = [&](ipack& p) {
        expected.insert(expected.end(), p.buf, p.buf + p.count);
        sink.write(p.buf, size_t(p.count));
        p.buf = sink.next_slot(p);
    };
    fill(quiet, 700, 0xF1);
    const size_t rounds = 3 * FileSink::BUFFER_SIZE * FileSink::BUFFER_COUNT / 2000;
    for (size_t i = 0; i < rounds; ++i) {
        fill(busy, 2000 - int(i % 7), uint8_t(i));
        if (i % 100 == 50) {
            uint8_t* before = busy.buf;
            EXPECT_EQ(sink.next_slot(busy), before); // dropped, not written: the place is kept
        }
        send(busy);
        if (i == rounds / 2) {
            const uint8_t header[32] = {0, 0, 1, 0xBA};
            expected.insert(expected.end(), header, header + 32);
            sink.write(header, 32); // bytes from elsewhere are copied in
        }
    }
    EXPECT_EQ(quiet.count, 700);
    for (int i = 0; i < 700; ++i)
        ASSERT_EQ(quiet.buf[i], uint8_t(0xF1 + i * 13)) << i;
    send(quiet);
    sink.release(busy);
    sink.release(quiet);
    ASSERT_TRUE(sink.close());
    EXPECT_EQ(sink.written(), int64_t(expected.size()));
    EXPECT_TRUE(read_all(path) == expected);
    fs::remove(path);
}

// Reads from a page boundary after a seek outside the buffer: the bytes and the position must be
// those of the offset sought, whatever page it lies in, and the buffer must start on a page.
TEST(FileSource, SeeksToAnyOffsetAndReadsFromItsPage)
{
    std::string path = std::string(KD_BINARY_DIR) + "/file-source-seek.bin";
    std::vector<uint8_t> bytes(3 * FileSource::BUFFER_SIZE + 777);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = uint8_t(i * 7 + (i >> 12));
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    FileSource src;
    ASSERT_TRUE(src.open(path));
    for (int64_t at : {int64_t(134), int64_t(2 * FileSource::BUFFER_SIZE + 4096 + 13), int64_t(5000),
                       int64_t(bytes.size() - 5), int64_t(bytes.size() + 10)}) {
        ASSERT_TRUE(src.seek(at));
        EXPECT_EQ(src.position(), at);
        uint8_t got[1880];
        long n = src.read(got, long(sizeof got));
        long expect = std::max<long>(0, std::min<long>(long(sizeof got), long(int64_t(bytes.size()) - at)));
        ASSERT_EQ(n, expect) << "at " << at;
        EXPECT_TRUE(std::equal(got, got + n, bytes.begin() + std::min<int64_t>(at, int64_t(bytes.size()))))
            << "at " << at;
        EXPECT_EQ(src.position(), std::min<int64_t>(at + n, std::max<int64_t>(at, int64_t(bytes.size()))));
    }
    std::remove(path.c_str());
}

} // namespace
} // namespace dranfel
