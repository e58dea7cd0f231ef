// The engine on transport streams built byte by byte: stream choice, program-stream output, and
// the cases where the input ends, breaks or spans several parts.
#include "dranfel/converter/ps_writer.h"
#include "dranfel/converter/tests/ts_builder.h"
#include "dranfel/converter/ts_engine.h"

#include <gtest/gtest.h>

namespace dranfel {
namespace {

using test::Bytes;
using test::Output;

constexpr int VPID = 0x100;
constexpr int APID = 0x101;

struct Stream
{
    Bytes ts;
    std::vector<Bytes> audio_frames; // in stream order
    Bytes video_es;
};

Bytes picture(int k, size_t size)
{
    Bytes b(size, uint8_t(0x10 + k));
    b[0] = 0x00, b[1] = 0x00, b[2] = 0x01, b[3] = 0x00; // picture start code
    return b;
}

// Video pictures (the first with a sequence header at 6 Mbit/s) and audio frames, interleaved
// one for one. Audio comes first in each pair when `audio_first`.
Stream
make_stream(int pairs, bool audio_first, bool ac3 = false, bool unbounded_video = true, size_t pic = 3000)
{
    Stream s;
    test::TsWriter w;
    for (int k = 0; k < pairs; ++k) {
        Bytes es = picture(k, pic);
        if (k == 0)
            es = test::concat({test::sequence_header(6000000), es});
        Bytes frame = ac3 ? test::ac3_frame(20) : test::mp2_frame(576);
        frame[frame.size() - 1] = uint8_t(k);
        uint64_t pts = 90000 + uint64_t(k) * 3600;
        Bytes vpes = test::pes(0xE0, es, true, pts, unbounded_video);
        Bytes apes = test::pes(ac3 ? 0xBD : 0xC0, frame, true, pts);
        if (audio_first)
            w.add(APID, apes);
        w.add(VPID, vpes);
        if (!audio_first)
            w.add(APID, apes);
        s.audio_frames.push_back(frame);
        s.video_es.insert(s.video_es.end(), es.begin(), es.end());
    }
    s.ts = w.ts;
    return s;
}

Bytes join_frames(const std::vector<Bytes>& frames, size_t from)
{
    Bytes b;
    for (size_t i = from; i < frames.size(); ++i)
        b.insert(b.end(), frames[i].begin(), frames[i].end());
    return b;
}

struct Conversion
{
    explicit Conversion(EngineOptions opt = {nullptr})
        : conv(&Output::write, &out, opt)
    {}
    PartResult part(const Bytes& ts)
    {
        MemorySource src(ts.data(), ts.size());
        return conv.convert_part(src, 0, 0, 1);
    }
    Output out;
    TsConverter conv;
};

TEST(Engine, InputWithoutSyncByteIsNotATransportStream)
{
    char* text = nullptr;
    size_t len = 0;
    std::FILE* diag = open_memstream(&text, &len);
    {
        Conversion r({diag});
        EXPECT_EQ(r.part(Bytes(5000, 0x00)), PartResult::NotTs);
        EXPECT_TRUE(r.out.bytes.empty());
    }
    std::fclose(diag);
    EXPECT_STREQ(text, "Not a TS\n");
    std::free(text);
}

TEST(Engine, AudioOnlyGivesBareAudioPacketsFromTheFirstFrameOn)
{
    test::TsWriter w;
    std::vector<Bytes> frames;
    for (int k = 0; k < 6; ++k) {
        frames.push_back(test::mp2_frame(576));
        frames.back()[10] = uint8_t(k);
        w.add(APID, test::pes(0xC0, frames.back(), true, 90000 + uint64_t(k) * 2160));
    }
    Conversion r;
    EXPECT_EQ(r.part(w.ts), PartResult::End);
    r.conv.finish();
    EXPECT_EQ(r.conv.state().mode, 2);
    EXPECT_EQ(r.conv.state().mux_rate, AUDIO_ONLY_MUX_RATE);
    ASSERT_GE(r.out.bytes.size(), 4u);
    EXPECT_EQ(Bytes(r.out.bytes.begin(), r.out.bytes.begin() + 4), (Bytes{0, 0, 1, 0xC0}));
    std::vector<test::PsPacket> pk;
    ASSERT_TRUE(test::split_ps(r.out.bytes, pk));
    // The blocks read while looking for the streams are converted too: nothing is missing.
    EXPECT_EQ(test::elementary(pk, 0xC0), join_frames(frames, 0));
}

TEST(Engine, ProgramStreamStartsWithPackHeaderAtTheFirstSequenceHeader)
{
    Stream s = make_stream(8, true);
    Conversion r;
    EXPECT_EQ(r.part(s.ts), PartResult::End);
    r.conv.finish();
    const Bytes& o = r.out.bytes;
    ASSERT_GT(o.size(), 32u);
    EXPECT_EQ(Bytes(o.begin(), o.begin() + 4), (Bytes{0, 0, 1, 0xBA}));
    // PTS 90000 gives SCR 86400; both bit rates were known: (6000000 + 192000) / 400.
    uint8_t expected[PACK_HEADER_SIZE];
    write_pack_header(expected, 86400, 15480);
    EXPECT_EQ(Bytes(o.begin(), o.begin() + 32), Bytes(expected, expected + 32));
    EXPECT_EQ(Bytes(o.begin() + 32, o.begin() + 36), (Bytes{0, 0, 1, 0xE0}));

    std::vector<test::PsPacket> pk;
    ASSERT_TRUE(test::split_ps(Bytes(o.begin() + 32, o.end()), pk));
    // All of the video, the last unbounded picture included.
    EXPECT_EQ(test::elementary(pk, 0xE0), s.video_es);
    // The first audio frame completed before the sequence header was seen and is not there.
    EXPECT_EQ(test::elementary(pk, 0xC0), join_frames(s.audio_frames, 1));
}

TEST(Engine, MuxRateUsesOnlyTheAudioRateKnownWhenVideoArrives)
{
    Stream s = make_stream(4, false, false, false);
    Conversion r;
    r.part(s.ts);
    EXPECT_EQ(r.conv.state().mux_rate, 15000);
    EXPECT_EQ(r.conv.state().audio_bitrate, 192000);
    std::vector<test::PsPacket> pk;
    ASSERT_TRUE(test::split_ps(Bytes(r.out.bytes.begin() + 32, r.out.bytes.end()), pk));
    EXPECT_EQ(test::elementary(pk, 0xC0), join_frames(s.audio_frames, 0));
}

TEST(Engine, Ac3OnlyAudioIsChosenAndCarriesSubstreamHeaders)
{
    Stream s = make_stream(10, false, true);
    Conversion r;
    EXPECT_EQ(r.part(s.ts), PartResult::End);
    r.conv.finish();
    EXPECT_EQ(r.conv.audio_pid(), APID);
    std::vector<test::PsPacket> pk;
    ASSERT_TRUE(test::split_ps(Bytes(r.out.bytes.begin() + 32, r.out.bytes.end()), pk));
    int ac3_packets = 0;
    for (const auto& p : pk)
        if (p.id == 0xBD) {
            ++ac3_packets;
            EXPECT_EQ(p.bytes[9 + p.bytes[8]], 0x80);
        }
    EXPECT_GT(ac3_packets, 0);
    EXPECT_EQ(test::elementary(pk, 0xBD, true), join_frames(s.audio_frames, 0));
}

TEST(Engine, PartsOfOneRecordingJoinWithoutLoss)
{
    Stream s = make_stream(12, true);
    Conversion whole;
    whole.part(s.ts);
    whole.conv.finish();

    // Cut between transport packets, inside PES packets, as the receiver does.
    // The last cut leaves a final part of two packets, neither of which starts a PES packet.
    for (size_t cut_packets : {size_t(7), size_t(30), size_t(41), s.ts.size() / 188 - 2}) {
        size_t cut = cut_packets * 188;
        ASSERT_LT(cut, s.ts.size());
        Bytes a(s.ts.begin(), s.ts.begin() + long(cut)), b(s.ts.begin() + long(cut), s.ts.end());
        Conversion parts;
        EXPECT_EQ(parts.part(a), PartResult::End);
        EXPECT_EQ(parts.part(b), PartResult::End);
        parts.conv.finish();
        EXPECT_EQ(parts.out.bytes, whole.out.bytes) << "cut after packet " << cut_packets;
    }
}

TEST(Engine, SecondRunOfTheSameInputGivesTheSameOutput)
{
    Stream s = make_stream(6, true);
    Conversion first, second;
    first.part(s.ts);
    first.conv.finish();
    second.part(s.ts);
    second.conv.finish();
    EXPECT_FALSE(first.out.bytes.empty());
    EXPECT_EQ(first.out.bytes, second.out.bytes);
}

TEST(Engine, Mpeg1PesInputWritesNothing)
{
    test::TsWriter w;
    for (int k = 0; k < 4; ++k) {
        w.add(VPID, test::pes_mpeg1(0xE0, test::concat({test::sequence_header(6000000), picture(k, 1000)})));
        w.add(APID, test::pes_mpeg1(0xC0, test::mp2_frame(576)));
    }
    Conversion r;
    EXPECT_EQ(r.part(w.ts), PartResult::End);
    r.conv.finish();
    EXPECT_TRUE(r.out.bytes.empty());
    EXPECT_GT(r.conv.state().mpeg1_chunks, 0);
}

class FailingSource : public ByteSource
{
public:
    FailingSource(const Bytes& b, long fail_after)
        : m_mem(b.data(), b.size())
        , m_fail_after(fail_after)
    {}
    long read(uint8_t* dst, long n) override
    {
        if (m_mem.position() >= m_fail_after)
            return -1;
        return m_mem.read(dst, std::min(n, long(m_fail_after - m_mem.position())));
    }
    int64_t position() const override { return m_mem.position(); }
    bool seek(int64_t pos) override { return m_mem.seek(pos); }

private:
    MemorySource m_mem;
    long m_fail_after;
};

TEST(Engine, ReadErrorIsNotTheEndOfTheInput)
{
    Stream s = make_stream(20, true);
    Output out;
    TsConverter conv(&Output::write, &out, {nullptr});
    FailingSource src(s.ts, long(s.ts.size() / 2));
    EXPECT_EQ(conv.convert_part(src, 0, 0, 1), PartResult::ReadError);
}

TEST(Engine, CancelIsCheckedOncePerBlock)
{
    Stream s = make_stream(20, true);
    Conversion r;
    int blocks = 0;
    r.conv.on_block = [&] { return ++blocks < 3; };
    EXPECT_EQ(r.part(s.ts), PartResult::Canceled);
    EXPECT_EQ(blocks, 3);
}

TEST(Engine, AllocationFailureEndsThePartWithoutEndingTheProcess)
{
    Stream s = make_stream(2, true);
    Conversion r({nullptr, [](size_t) -> void* { return nullptr; }, std::free});
    EXPECT_EQ(r.part(s.ts), PartResult::NoMemory);
}

TEST(Engine, LostSyncIsRecoveredAtTheNextPacket)
{
    Stream s = make_stream(10, true, false, true);
    Bytes broken = s.ts;
    // A stray byte after packet 20 shifts everything behind it.
    broken.insert(broken.begin() + 20 * 188, 0x00);
    Conversion r;
    EXPECT_EQ(r.part(broken), PartResult::End);
    r.conv.finish();
    std::vector<test::PsPacket> pk;
    ASSERT_TRUE(test::split_ps(Bytes(r.out.bytes.begin() + 32, r.out.bytes.end()), pk));
    Bytes video = test::elementary(pk, 0xE0);
    // The last pictures are all there.
    Bytes tail(s.video_es.end() - 3000 * 5, s.video_es.end());
    ASSERT_GE(video.size(), tail.size());
    EXPECT_EQ(Bytes(video.end() - long(tail.size()), video.end()), tail);
}

TEST(Scan, FindsStreamsAndTakesAc3WhenNoMpegAudioTurnsUp)
{
    Stream s = make_stream(3, true, true);
    uint8_t block[TS_BLOCK];
    MemorySource src(s.ts.data(), s.ts.size());
    ScanResult r = scan_av_pids(src, block, 0);
    EXPECT_EQ(r.video_pid, VPID);
    EXPECT_EQ(r.ac3_pid, APID);
    EXPECT_EQ(r.audio_pid, APID);

    int v = -1, a = -1;
    find_pids_in_block(s.ts.data(), TS_BLOCK, v, a);
    EXPECT_EQ(v, VPID);
    EXPECT_EQ(a, APID); // AC-3 counts as audio in the quick look
}

TEST(Scan, TeletextInAPrivateStreamIsNotTakenForAc3)
{
    test::TsWriter w;
    // Teletext PES packets (data identifier 0x10) come first and often, as broadcasts send them.
    Bytes teletext = test::concat({Bytes{0x10}, Bytes(183, 0xFF)});
    for (int k = 0; k < 3; ++k) {
        w.add(0x300, test::pes(0xBD, teletext, true));
        w.add(VPID, test::pes(0xE0, test::concat({test::sequence_header(6000000), picture(k, 800)})));
        w.add(APID, test::pes(0xBD, test::ac3_frame(20), true));
    }
    uint8_t block[TS_BLOCK];
    MemorySource src(w.ts.data(), w.ts.size());
    ScanResult r = scan_av_pids(src, block, 0);
    EXPECT_EQ(r.ac3_pid, APID);
    EXPECT_EQ(r.audio_pid, APID);
}

} // namespace
} // namespace dranfel
