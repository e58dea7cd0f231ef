// The repacker on its own: PES packets in, chunks out, without the program-stream writer.
#include "dranfel/converter/ipack.h"
#include "dranfel/converter/tests/ts_builder.h"

#include <gtest/gtest.h>

namespace dranfel {
namespace {

using test::Bytes;

struct Chunks
{
    std::vector<Bytes> list;
    static void out(const uint8_t* b, int n, void* ctx)
    {
        static_cast<Chunks*>(ctx)->list.emplace_back(b, b + n);
    }
};

class Repacker : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(ipack_init(p, IPACK_SIZE, &Chunks::out, &chunks, &state, nullptr), 1);
        p.ps = 0;
    }
    void TearDown() override { ipack_free(p); }

    // Feeds a PES packet as transport payloads of 184 bytes, as the engine would.
    void feed_as_packets(const Bytes& pes)
    {
        for (size_t i = 0; i < pes.size(); i += 184) {
            if (i == 0)
                ipack_unit_start(p);
            ipack_feed(p, pes.data() + i, int(std::min<size_t>(184, pes.size() - i)));
        }
    }

    Bytes payload_of_chunks(size_t substream = 0) const
    {
        Bytes es;
        for (const auto& c : chunks.list)
            es.insert(es.end(), c.begin() + 9 + c[8] + long(substream), c.end());
        return es;
    }

    ConversionState state;
    Chunks chunks;
    ipack p;
};

Bytes counting(size_t n)
{
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = uint8_t(i * 7 + i / 251);
    return b;
}

TEST_F(Repacker, LongPacketIsCutIntoChunksThatEachCarryAValidHeader)
{
    Bytes payload = counting(5000);
    feed_as_packets(test::pes(0xE0, payload, true, 90000));

    ASSERT_GE(chunks.list.size(), 3u);
    // The first chunk keeps the input's header with its PTS.
    const Bytes& first = chunks.list[0];
    Bytes head(first.begin() + 6, first.begin() + 14);
    EXPECT_EQ(head, (Bytes{0x80, 0x80, 0x05, 0x21, 0x00, 0x05, 0xBF, 0x21}));
    for (size_t i = 0; i < chunks.list.size(); ++i) {
        const Bytes& c = chunks.list[i];
        SCOPED_TRACE(i);
        EXPECT_LE(c.size(), 2048u);
        EXPECT_EQ(Bytes(c.begin(), c.begin() + 4), (Bytes{0x00, 0x00, 0x01, 0xE0}));
        EXPECT_EQ(size_t((c[4] << 8) | c[5]), c.size() - 6);
        if (i > 0) {
            EXPECT_EQ(Bytes(c.begin() + 6, c.begin() + 9), (Bytes{0x80, 0x00, 0x00}));
        }
    }
    EXPECT_EQ(payload_of_chunks(), payload);
}

TEST_F(Repacker, TailBetweenOneAndOneAndAHalfChunksIsSplitEvenly)
{
    // 14 bytes of header and 2486 of payload: 2500 bytes to go out.
    Bytes payload = counting(2486);
    feed_as_packets(test::pes(0xC0, payload, true));

    ASSERT_EQ(chunks.list.size(), 2u);
    EXPECT_EQ(chunks.list[0].size(), 1250u);
    EXPECT_NEAR(double(chunks.list[1].size()), 1259.0, 1.0); // the rest plus its 9-byte header
    EXPECT_EQ(payload_of_chunks(), payload);

    // A long packet keeps full chunks until its own tail falls into that range.
    chunks.list.clear();
    Bytes big = counting(5000);
    feed_as_packets(test::pes(0xC0, big, true));
    ASSERT_EQ(chunks.list.size(), 3u);
    EXPECT_EQ(chunks.list[0].size(), 2048u);
    int diff = int(chunks.list[1].size()) - int(chunks.list[2].size());
    EXPECT_LE(std::abs(diff), 10);
    EXPECT_EQ(payload_of_chunks(), big);
}

TEST_F(Repacker, UnboundedPacketEndsAtTheNextUnitStartOrAtTheEndOfTheInput)
{
    Bytes a = counting(700), b = counting(300);
    feed_as_packets(test::pes(0xE0, a, true, 90000, true));
    EXPECT_TRUE(chunks.list.empty()); // nothing tells yet where it ends
    feed_as_packets(test::pes(0xE0, b, true, 93600, true));
    ASSERT_EQ(chunks.list.size(), 1u);
    EXPECT_EQ(chunks.list[0].size(), 14u + 700u);

    // The end of the input completes the last unbounded packet too.
    ipack_finish(p);
    ASSERT_EQ(chunks.list.size(), 2u);
    EXPECT_EQ(Bytes(chunks.list[1].begin() + 14, chunks.list[1].end()), b);
}

TEST_F(Repacker, BoundedPacketCutByTheEndOfTheInputIsDropped)
{
    Bytes pes = test::pes(0xC0, counting(1000), true);
    ipack_unit_start(p);
    ipack_feed(p, pes.data(), 500);
    ipack_finish(p);
    EXPECT_TRUE(chunks.list.empty());
}

TEST_F(Repacker, HeaderAndLengthSplitAcrossPayloadsAreReassembled)
{
    Bytes payload = counting(400);
    Bytes pes = test::pes(0xC0, payload, true);
    // Every split point inside the header, including between the two length bytes.
    for (int cut = 1; cut < 16; ++cut) {
        chunks.list.clear();
        ipack_unit_start(p);
        ipack_feed(p, pes.data(), cut);
        ipack_feed(p, pes.data() + cut, int(pes.size()) - cut);
        SCOPED_TRACE(cut);
        ASSERT_EQ(chunks.list.size(), 1u);
        EXPECT_EQ(chunks.list[0], pes);
    }
}

TEST_F(Repacker, SkippedStreamsAndGarbageBeforeAStartCodeAreNotPassedOn)
{
    Bytes padding = test::pes(0xBE, Bytes(100, 0xFF), false);
    Bytes audio = test::pes(0xC0, counting(200), true);
    Bytes in = test::concat({Bytes{0x12, 0x00, 0x00, 0x02}, padding, audio});
    ipack_feed(p, in.data(), int(in.size()));
    ASSERT_EQ(chunks.list.size(), 1u);
    EXPECT_EQ(chunks.list[0], audio);
}

TEST_F(Repacker, Ac3PacketGetsSubstreamHeaderWithPointerFromTheLastPointerByte)
{
    // Four 768-byte frames, the first one 10 bytes into the payload.
    Bytes es = test::concat({Bytes(10, 0x44), test::ac3_frame(20), test::ac3_frame(20), test::ac3_frame(20),
                             test::ac3_frame(20)});
    feed_as_packets(test::pes(0xBD, es, true));
    ASSERT_EQ(chunks.list.size(), 2u);

    int frames = 0;
    for (const auto& c : chunks.list) {
        size_t q = 9 + c[8];
        ASSERT_EQ(c[q], 0x80);
        int a = (c[q + 2] << 8) | c[q + 3];
        if (a == 0) {
            EXPECT_EQ(c[q + 1], 0);
            continue;
        }
        // The pointer counts from the last byte of its field.
        ASSERT_LT(q + 4 + size_t(a), c.size());
        EXPECT_EQ(c[q + 3 + size_t(a)], 0x0B);
        EXPECT_EQ(c[q + 4 + size_t(a)], 0x77);
        size_t from_sync = c.size() - (q + 3 + size_t(a));
        EXPECT_EQ(c[q + 1], (from_sync + 767) / 768);
        frames += c[q + 1];
    }
    EXPECT_EQ(chunks.list[0][9 + 5 + 3], 11); // o = 10 gives 11
    EXPECT_EQ(frames, 4);
    EXPECT_EQ(payload_of_chunks(4), es);
}

TEST_F(Repacker, Mpeg1PacketIsParsedButNotWrittenThroughTheProgramStreamWriter)
{
    p.ps = 1;
    state.mode = 2;
    Bytes pes = test::pes_mpeg1(0xC0, test::mp2_frame(600));
    feed_as_packets(pes);
    EXPECT_TRUE(chunks.list.empty());
    EXPECT_EQ(state.mpeg1_chunks, 1);
    EXPECT_EQ(p.pts[0], 0x21); // PTS taken from the MPEG-1 header tail all the same
}

TEST(RepackerMemory, AllocationFailureIsReportedNotFatal)
{
    ipack p;
    ConversionState st;
    char* text = nullptr;
    size_t len = 0;
    std::FILE* diag = open_memstream(&text, &len);
    EXPECT_EQ(
        ipack_init(p, IPACK_SIZE, &Chunks::out, nullptr, &st, diag, [](size_t) -> void* { return nullptr; }),
        0);
    std::fclose(diag);
    EXPECT_STREQ(text, "Couldn't allocate memory for ipack\n");
    std::free(text);
}

} // namespace
} // namespace dranfel
