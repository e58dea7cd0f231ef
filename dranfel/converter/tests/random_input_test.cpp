// Random, damaged and truncated input. Under the sanitizer configuration these runs are where an
// out-of-bounds read or write would show; here they also check that whatever comes out is a clean
// sequence of packets.
#include "dranfel/converter/tests/ts_builder.h"
#include "dranfel/converter/ts_engine.h"

#include <gtest/gtest.h>
#include <random>

namespace dranfel {
namespace {

using test::Bytes;
using test::Output;

// Converts `parts` as one run and checks the output splits into whole packets.
void convert_and_check(const std::vector<Bytes>& parts)
{
    Output out;
    {
        TsConverter conv(&Output::write, &out, {nullptr});
        for (const auto& p : parts) {
            MemorySource src(p.data(), p.size());
            conv.convert_part(src, 0, 0, 1);
        }
        conv.finish();
    }
    std::vector<test::PsPacket> packets;
    ASSERT_TRUE(test::split_ps(out.bytes, packets));
    for (const auto& p : packets)
        if (p.id != 0xBA) {
            EXPECT_LE(p.bytes.size(), 2048u);
        }
}

// A plausible stream: PES packets of random streams, sizes and header fields.
Bytes plausible_stream(std::mt19937& rng, int packets)
{
    test::TsWriter w;
    const int pids[] = {0x20, 0x21, 0x22};
    const uint8_t ids[] = {0xE0, 0xC0, 0xBD, 0xBE, 0xE1};
    while (w.ts.size() < size_t(packets) * 188) {
        Bytes payload(rng() % 6000, 0);
        for (auto& b : payload)
            b = uint8_t(rng() % 4 == 0 ? 0 : rng());
        if (rng() % 3 == 0) {
            Bytes head = rng() % 2 ? test::sequence_header(int(rng() % 20000000))
                                   : test::ac3_frame(uint8_t(rng() % 38));
            std::copy(head.begin(), head.begin() + long(std::min(head.size(), payload.size())),
                      payload.begin());
        }
        Bytes pes = rng() % 5 == 0 ? test::pes_mpeg1(ids[rng() % 5], payload)
                                   : test::pes(ids[rng() % 5], payload, rng() % 2, rng(), rng() % 3 == 0);
        if (rng() % 4 == 0 && pes.size() > 10)
            pes[4 + rng() % 6] = uint8_t(rng()); // a damaged header field
        w.add(pids[rng() % 3], pes);
    }
    return w.ts;
}

TEST(RandomInput, NoiseNeverCrashesTheEngine)
{
    std::mt19937 rng(1234);
    for (int round = 0; round < 60; ++round) {
        Bytes noise(rng() % 20000);
        for (auto& b : noise)
            b = uint8_t(rng() % 5 == 0 ? 0x47 : rng());
        convert_and_check({noise});
    }
}

TEST(RandomInput, DamagedStreamsProduceOnlyWholePackets)
{
    std::mt19937 rng(99);
    for (int round = 0; round < 40; ++round) {
        Bytes ts = plausible_stream(rng, 120);
        // Flip some bytes, including sync bytes and adaptation field lengths.
        for (int k = 0; k < int(rng() % 30); ++k)
            ts[rng() % ts.size()] = uint8_t(rng());
        SCOPED_TRACE(round);
        convert_and_check({ts});
    }
}

TEST(RandomInput, EveryTruncationAndEverySplitIsSafe)
{
    std::mt19937 rng(7);
    Bytes ts = plausible_stream(rng, 40);
    for (size_t len = 0; len <= ts.size(); len += 1 + len / 50) {
        SCOPED_TRACE(len);
        convert_and_check({Bytes(ts.begin(), ts.begin() + long(len))});
    }
    for (size_t cut = 0; cut <= ts.size(); cut += 97) {
        SCOPED_TRACE(cut);
        convert_and_check(
            {Bytes(ts.begin(), ts.begin() + long(cut)), Bytes(ts.begin() + long(cut), ts.end())});
    }
}

// A packet start in the last bytes of a block: everything read from it must stay within what
// the block holds (found by fuzzing).
TEST(RandomInput, PacketStartAtTheEndOfABlock)
{
    for (uint8_t id : {0xBD, 0xC0, 0xE0}) {
        for (int at = TS_BLOCK - 20; at < TS_BLOCK - 7; ++at) {
            for (bool more : {false, true}) {
                Bytes in(size_t(at), 0x00);
                Bytes pkt{0x47, 0x40, 0x20, 0x10, 0x00, 0x00, 0x01, id, 0x00, 0x00, 0x80, 0x80, 0xF0};
                in.insert(in.end(), pkt.begin(), pkt.end());
                if (more)
                    in.resize(in.size() + 400, 0x0B);
                SCOPED_TRACE(at);
                convert_and_check({in});
            }
        }
    }
}

} // namespace
} // namespace dranfel
