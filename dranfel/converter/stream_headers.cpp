#include "dranfel/converter/stream_headers.h"

namespace dranfel {

namespace {

// 16-bit words per AC-3 sync frame by bit-rate index, for 48, 44.1 and 32 kHz.
constexpr int AC3_WORDS[3][19] = {
    {64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 448, 512, 640, 768, 896, 1024, 1152, 1280},
    {69, 87, 104, 121, 139, 174, 208, 243, 278, 348, 417, 487, 557, 696, 835, 975, 1114, 1253, 1393},
    {96, 120, 144, 168, 192, 240, 288, 336, 384, 480, 576, 672, 768, 960, 1152, 1344, 1536, 1728, 1920},
};
constexpr int AC3_KBPS[19] = {32,  40,  48,  56,  64,  80,  96,  112, 128, 160,
                              192, 224, 256, 320, 384, 448, 512, 576, 640};

constexpr int MPA_KBPS[3][16] = {
    // indexed by layer code - 1: Layer III, Layer II, Layer I
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
};
constexpr int MPA_FREQ[4] = {44100, 48000, 32000, 0};

void ac3_from_code(uint8_t c, Ac3FrameInfo& info)
{
    int fscod = c >> 6;
    int index = (c >> 1) & 0x1F;
    info.bit_rate = index < 19 ? AC3_KBPS[index] * 1000 : 0;
    info.frame_size = 0;
    static const int AC3_FREQ[4] = {48000, 44100, 32000, 0};
    info.sample_rate = AC3_FREQ[fscod];
    if (fscod < 3 && index < 19) {
        int words = AC3_WORDS[fscod][index];
        if (fscod == 1 && (c & 1))
            ++words;
        info.frame_size = words * 2;
    }
}

} // namespace

int parse_sequence_header(const uint8_t* bytes, int length, VideoStreamInfo& info, std::FILE* print)
{
    int i = 0;
    while (i + 4 < length &&
           !(bytes[i] == 0 && bytes[i + 1] == 0 && bytes[i + 2] == 1 && bytes[i + 3] == 0xB3))
        ++i;
    if (i + 4 >= length || i + 16 >= length)
        return -1;
    const uint8_t* h = bytes + i;
    int aspect_code = h[7] >> 4;
    if (aspect_code == 0)
        return -1;
    info.horizontal_size = (h[4] << 4) | (h[5] >> 4);
    info.vertical_size = ((h[5] & 0x0F) << 8) | h[6];
    switch (aspect_code) {
    case 1:
        info.aspect = 100;
        break;
    case 2:
        info.aspect = 133;
        break;
    case 3:
        info.aspect = 177;
        break;
    case 4:
        info.aspect = 221;
        break;
    default:
        info.aspect = 0;
        break;
    }
    if (print) {
        static const char* const names[] = {"", "1:1", "4:3", "16:9", "2.21:1"};
        if (aspect_code <= 4)
            std::fprintf(print, "Videostream: ASPECT: %s", names[aspect_code]);
        else
            std::fprintf(print, "Videostream: ASPECT: reserved");
        std::fprintf(print, "  Size = %dx%d", info.horizontal_size, info.vertical_size);
    }
    static const char* const rate_names[] = {"", "23.976", "24", "25", "29.97", "30", "50", "60"};
    static const double rates[] = {0, 24000.0 / 1001, 24, 25, 30000.0 / 1001, 30, 50, 60};
    int rate_code = h[7] & 0x0F;
    if (rate_code >= 1 && rate_code <= 7) {
        info.frame_rate = rates[rate_code];
        if (print)
            std::fprintf(print, "  FRate: %s fps", rate_names[rate_code]);
    }
    info.bit_rate = ((h[8] << 10) | (h[9] << 2) | (h[10] >> 6)) * 400;
    if (print)
        std::fprintf(print, "  BRate: %.2f Mbit/s\n", info.bit_rate * 0.000001);
    info.offset = i;
    return i;
}

int parse_mpeg_audio_header(const uint8_t* bytes, int length, AudioStreamInfo& info, std::FILE* print)
{
    int i = 0;
    while (i + 1 < length && !(bytes[i] == 0xFF && (bytes[i + 1] & 0xF8) == 0xF8))
        ++i;
    if (i + 1 >= length || i >= length - 3)
        return -1;
    const uint8_t* h = bytes + i;
    info.layer = (h[1] >> 1) & 3;
    if (print)
        std::fprintf(print, "Audiostream: Layer: %d", 4 - info.layer);
    info.bit_rate = info.layer == 0 ? 0 : MPA_KBPS[info.layer - 1][h[2] >> 4] * 1000;
    if (print) {
        if (info.bit_rate == 0)
            std::fprintf(print, "  Bit rate: free");
        else
            std::fprintf(print, "  BRate: %d kb/s", info.bit_rate / 1000);
    }
    info.sample_rate = MPA_FREQ[(h[2] >> 2) & 3];
    if (print)
        std::fprintf(print, "  Freq: %2.1f kHz\n", info.sample_rate * 0.001);
    info.offset = i;
    return i;
}

int parse_ac3_header(const uint8_t* bytes, int length, Ac3FrameInfo& info)
{
    int i = 0;
    while (i + 1 < length && !(bytes[i] == 0x0B && bytes[i + 1] == 0x77))
        ++i;
    if (i + 1 >= length || i + 5 >= length)
        return -1;
    ac3_from_code(bytes[i + 4], info);
    info.offset = i;
    return i;
}

int ac3_frame_size_at(const uint8_t* bytes, int length)
{
    if (length < 5 || bytes[0] != 0x0B || bytes[1] != 0x77)
        return 0;
    Ac3FrameInfo info;
    ac3_from_code(bytes[4], info);
    return info.frame_size;
}

} // namespace dranfel
