#include "dranfel/converter/ps_writer.h"

#include "common/byte_order.h"

namespace dranfel {

namespace {

void emit(ipack& p, const uint8_t* bytes, int length)
{
    p.func(bytes, length, p.data);
    p.state->bytes_written += length;
}

} // namespace

uint64_t pts_value(const uint8_t pts[5])
{
    return (uint64_t((pts[0] >> 1) & 0x07) << 30) | (uint64_t(pts[1]) << 22) | (uint64_t(pts[2] >> 1) << 15) |
           (uint64_t(pts[3]) << 7) | uint64_t(pts[4] >> 1);
}

void write_pack_header(uint8_t out[PACK_HEADER_SIZE], uint32_t scr, int mux_rate)
{
    uint64_t s = scr; // bit 32 of the SCR base stays 0
    uint32_t rate = uint32_t(mux_rate) & 0x3FFFFF;
    out[0] = 0x00;
    out[1] = 0x00;
    out[2] = 0x01;
    out[3] = 0xBA;
    out[4] = uint8_t(0x44 | ((s >> 27) & 0x38) | ((s >> 28) & 0x03));
    out[5] = uint8_t(s >> 20);
    out[6] = uint8_t(((s >> 12) & 0xF8) | 0x04 | ((s >> 13) & 0x03));
    out[7] = uint8_t(s >> 5);
    out[8] = uint8_t(((s << 3) & 0xF8) | 0x04); // SCR extension 0
    out[9] = 0x01;
    out[10] = uint8_t(rate >> 14);
    out[11] = uint8_t(rate >> 6);
    out[12] = uint8_t(((rate << 2) & 0xFC) | 0x03);
    out[13] = 0xF8;
    out[14] = 0x00;
    out[15] = 0x00;
    out[16] = 0x01;
    out[17] = 0xBB;
    out[18] = 0x00;
    out[19] = 0x0C;
    out[20] = uint8_t(0x80 | (rate >> 15));
    out[21] = uint8_t(rate >> 7);
    out[22] = uint8_t(((rate << 1) & 0xFE) | 0x01);
    out[23] = 0x04;
    out[24] = 0xE1;
    out[25] = 0x7F;
    out[26] = 0xE0;
    out[27] = 0xE1;
    out[28] = 0xCC;
    out[29] = 0xC0;
    out[30] = 0xC0;
    out[31] = 0x40;
}

void ps_writer(ipack& p)
{
    ConversionState& st = *p.state;
    if (p.mpeg != 2) {
        ++st.mpeg1_chunks;
        st.bytes_dropped += p.count;
        return;
    }
    // The stream headers are looked for in the payload only: PTS bytes can look like an audio
    // frame header.
    int payload = 9 + p.buf[8];
    if (payload > p.count)
        payload = p.count;
    uint8_t id = p.buf[3];
    if (id >= 0xC0 && id <= 0xDF && !p.has_audio_info) {
        if (parse_mpeg_audio_header(p.buf + payload, p.count - payload, p.audio_info, p.diag) >= 0) {
            p.has_audio_info = 1;
            st.audio_bitrate = p.audio_info.bit_rate;
        }
    } else if (id >= 0xE0 && id <= 0xEF && !p.has_video_info) {
        if (parse_sequence_header(p.buf + payload, p.count - payload, p.video_info, p.diag) >= 0) {
            p.has_video_info = 1;
            st.video_bitrate = p.video_info.bit_rate;
        }
    } else if (id == 0xBD && !p.has_ac3_info) {
        if (parse_ac3_header(p.buf + payload, p.count - payload, p.ac3_info) >= 0 &&
            p.ac3_info.frame_size > 0)
            p.has_ac3_info = 1;
    }
    if (p.has_video_info && st.video_bitrate != 0 && st.mux_rate == 0)
        st.mux_rate = (st.video_bitrate + st.audio_bitrate) / MUX_RATE_DIVISOR;
    else if (st.mode == 2)
        st.mux_rate = AUDIO_ONLY_MUX_RATE;

    if (st.mode == 1) {
        if (st.mux_rate == 0) {
            st.bytes_dropped += p.count;
            return;
        }
        if (!st.header_written) {
            if (st.video_bitrate == 0) {
                st.bytes_dropped += p.count;
                return;
            }
            uint32_t scr = uint32_t(pts_value(p.pts)) - SCR_LEAD;
            uint8_t header[PACK_HEADER_SIZE];
            write_pack_header(header, scr, st.mux_rate);
            emit(p, header, PACK_HEADER_SIZE);
            st.header_written = 1;
        }
    } else if (st.mode != 2) {
        st.bytes_dropped += p.count;
        return;
    }
    emit(p, p.buf, p.count);
    ++st.chunks_written;
}

} // namespace dranfel
