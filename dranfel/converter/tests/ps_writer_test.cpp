// Stream header parsers and the pack header of the program-stream writer.
#include "dranfel/converter/ps_writer.h"
#include "dranfel/converter/stream_headers.h"
#include "dranfel/converter/tests/ts_builder.h"

#include <gtest/gtest.h>
#include <string>

namespace dranfel {
namespace {

using test::Bytes;

class Capture
{
public:
    Capture()
        : m_file(open_memstream(&m_text, &m_len))
    {}
    ~Capture()
    {
        if (m_file)
            std::fclose(m_file);
        std::free(m_text);
    }
    std::FILE* file() { return m_file; }
    std::string text()
    {
        std::fflush(m_file);
        return std::string(m_text, m_len);
    }

private:
    char* m_text = nullptr;
    size_t m_len = 0;
    std::FILE* m_file;
};

// Reads the fields back out of a pack header by the bit layout, independently of the writer.
struct PackFields
{
    uint64_t scr;
    uint32_t scr_ext, mux_rate, rate_bound;
    bool markers_ok;
};

PackFields decode_pack(const uint8_t* h)
{
    PackFields f{};
    f.scr = (uint64_t((h[4] >> 3) & 7) << 30) | (uint64_t(h[4] & 3) << 28) | (uint64_t(h[5]) << 20) |
            (uint64_t(h[6] >> 3) << 15) | (uint64_t(h[6] & 3) << 13) | (uint64_t(h[7]) << 5) | (h[8] >> 3);
    f.scr_ext = ((h[8] & 3) << 7) | (h[9] >> 1);
    f.mux_rate = (uint32_t(h[10]) << 14) | (uint32_t(h[11]) << 6) | (h[12] >> 2);
    f.rate_bound = (uint32_t(h[20] & 0x7F) << 15) | (uint32_t(h[21]) << 7) | (h[22] >> 1);
    f.markers_ok = (h[4] & 0xC4) == 0x44 && (h[6] & 4) && (h[8] & 4) && (h[9] & 1) && (h[12] & 3) == 3 &&
                   (h[20] & 0x80) && (h[22] & 1);
    return f;
}

TEST(PackHeader, FieldsSitWhereAProgramStreamReaderLooksForThem)
{
    uint8_t h[PACK_HEADER_SIZE];
    write_pack_header(h, 86400, 15480);
    PackFields f = decode_pack(h);
    EXPECT_EQ(f.scr, 86400u);
    EXPECT_EQ(f.scr_ext, 0u);
    EXPECT_EQ(f.mux_rate, 15480u);
    EXPECT_EQ(f.rate_bound, 15480u);
    EXPECT_TRUE(f.markers_ok);
    EXPECT_EQ(Bytes(h, h + 4), (Bytes{0, 0, 1, 0xBA}));
    EXPECT_EQ(Bytes(h + 13, h + 32), (Bytes{0xF8, 0, 0, 1, 0xBB, 0x00, 0x0C, h[20], h[21], h[22], 0x04, 0xE1,
                                            0x7F, 0xE0, 0xE1, 0xCC, 0xC0, 0xC0, 0x40}));

    // All 32 SCR bits survive, high bits included.
    write_pack_header(h, 0xF1F2F3F4u, 0x3FFFFF);
    f = decode_pack(h);
    EXPECT_EQ(f.scr, 0xF1F2F3F4u);
    EXPECT_EQ(f.mux_rate, 0x3FFFFFu);
    EXPECT_TRUE(f.markers_ok);
}

TEST(PackHeader, PtsIsAssembledFromItsFiveBytes)
{
    for (uint64_t v : {uint64_t(0), uint64_t(90000), uint64_t(0x1F1F2F3F4), (uint64_t(1) << 33) - 1}) {
        Bytes b;
        test::put_pts(b, 0x20, v);
        EXPECT_EQ(pts_value(b.data()), v);
    }
}

TEST(SequenceHeader, SizeAspectRateAndBitRateWithTheirDiagnosticLine)
{
    Bytes b = test::concat({Bytes{0x00, 0x12}, test::sequence_header(6000000)});
    VideoStreamInfo info;
    Capture cap;
    EXPECT_EQ(parse_sequence_header(b.data(), int(b.size()), info, cap.file()), 2);
    EXPECT_EQ(info.horizontal_size, 352);
    EXPECT_EQ(info.vertical_size, 288);
    EXPECT_EQ(info.aspect, 133);
    EXPECT_DOUBLE_EQ(info.frame_rate, 25.0);
    EXPECT_EQ(info.bit_rate, 6000000);
    EXPECT_EQ(cap.text(), "Videostream: ASPECT: 4:3  Size = 352x288  FRate: 25 fps  BRate: 6.00 Mbit/s\n");

    // Aspect code 0 is no header; a reserved code is 0 with its own line.
    b[2 + 7] = 0x03;
    EXPECT_EQ(parse_sequence_header(b.data(), int(b.size()), info, nullptr), -1);
    b[2 + 7] = 0x94;
    Capture cap2;
    EXPECT_EQ(parse_sequence_header(b.data(), int(b.size()), info, cap2.file()), 2);
    EXPECT_EQ(info.aspect, 0);
    EXPECT_EQ(cap2.text().rfind("Videostream: ASPECT: reserved  Size = 352x288  FRate: 29.97 fps", 0), 0u);

    // Too close to the end to read the bit rate.
    EXPECT_EQ(parse_sequence_header(b.data(), 2 + 16, info, nullptr), -1);
}

TEST(AudioHeader, LayerBitRateAndFrequencyWithTheirDiagnosticLine)
{
    Bytes b = test::concat({Bytes{0xFF, 0x00}, test::mp2_frame(8)});
    AudioStreamInfo info;
    Capture cap;
    EXPECT_EQ(parse_mpeg_audio_header(b.data(), int(b.size()), info, cap.file()), 2);
    EXPECT_EQ(info.layer, 2);
    EXPECT_EQ(info.bit_rate, 192000);
    EXPECT_EQ(info.sample_rate, 48000);
    EXPECT_EQ(cap.text(), "Audiostream: Layer: 2  BRate: 192 kb/s  Freq: 48.0 kHz\n");

    Bytes free_format{0xFF, 0xFB, 0x08, 0x00}; // Layer III, free, 32 kHz
    Capture cap2;
    EXPECT_EQ(parse_mpeg_audio_header(free_format.data(), 4, info, cap2.file()), 0);
    EXPECT_EQ(cap2.text(), "Audiostream: Layer: 3  Bit rate: free  Freq: 32.0 kHz\n");

    Bytes late{0x00, 0x00, 0xFF, 0xFD}; // the header must not lie within the last three bytes
    EXPECT_EQ(parse_mpeg_audio_header(late.data(), 4, info, nullptr), -1);
}

TEST(Ac3Header, FrameSizesForTheThreeSampleRates)
{
    struct Case
    {
        uint8_t code;
        int bit_rate, frame_size;
    } cases[] = {
        {0x14, 192000, 768},  // 48 kHz
        {0x54, 192000, 834},  // 44.1 kHz, 417 words
        {0x55, 192000, 836},  // 44.1 kHz with the extra word
        {0x94, 192000, 1152}, // 32 kHz
        {0x24, 640000, 2560}, // the highest bit rate
        {0xD4, 192000, 0},    // reserved sample rate
    };
    for (const auto& c : cases) {
        Bytes b{0x00, 0x0B, 0x77, 0x00, 0x00, c.code, 0x00};
        Ac3FrameInfo info;
        SCOPED_TRACE(int(c.code));
        EXPECT_EQ(parse_ac3_header(b.data(), int(b.size()), info), 1);
        EXPECT_EQ(info.bit_rate, c.bit_rate);
        EXPECT_EQ(info.frame_size, c.frame_size);
    }
    Bytes bad{0x0B, 0x77, 0x00, 0x00, 0x3E, 0x00};
    Ac3FrameInfo info;
    EXPECT_EQ(parse_ac3_header(bad.data(), int(bad.size()), info), 0);
    EXPECT_EQ(info.frame_size, 0);
    EXPECT_EQ(parse_ac3_header(bad.data(), 5, info), -1);
}

} // namespace
} // namespace dranfel
