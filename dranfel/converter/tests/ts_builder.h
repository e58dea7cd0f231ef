#pragma once
// Builds small transport streams byte by byte for the converter tests, and takes program streams
// apart again.
#include <cstdint>
#include <cstring>
#include <map>
#include <vector>

namespace dranfel::test {

using Bytes = std::vector<uint8_t>;

// The converter's output callback, collecting what it writes.
struct Output
{
    Bytes bytes;
    static void write(const uint8_t* b, int n, void* ctx)
    {
        auto* o = static_cast<Output*>(ctx);
        o->bytes.insert(o->bytes.end(), b, b + n);
    }
};

inline void put_pts(Bytes& b, uint8_t prefix, uint64_t pts)
{
    b.push_back(uint8_t(prefix | ((pts >> 29) & 0x0E) | 1));
    b.push_back(uint8_t(pts >> 22));
    b.push_back(uint8_t(((pts >> 14) & 0xFE) | 1));
    b.push_back(uint8_t(pts >> 7));
    b.push_back(uint8_t(((pts << 1) & 0xFE) | 1));
}

// An MPEG-2 PES packet; length field 0 when `unbounded`.
inline Bytes
pes(uint8_t id, const Bytes& payload, bool with_pts = true, uint64_t pts = 90000, bool unbounded = false)
{
    Bytes b{0x00, 0x00, 0x01, id, 0, 0, 0x80, uint8_t(with_pts ? 0x80 : 0x00), uint8_t(with_pts ? 5 : 0)};
    if (with_pts)
        put_pts(b, 0x20, pts);
    b.insert(b.end(), payload.begin(), payload.end());
    if (!unbounded) {
        size_t len = b.size() - 6;
        b[4] = uint8_t(len >> 8);
        b[5] = uint8_t(len);
    }
    return b;
}

// An MPEG-1 PES packet with a PTS.
inline Bytes pes_mpeg1(uint8_t id, const Bytes& payload, uint64_t pts = 90000)
{
    Bytes b{0x00, 0x00, 0x01, id, 0, 0, 0xFF, 0xFF};
    put_pts(b, 0x20, pts);
    b.insert(b.end(), payload.begin(), payload.end());
    size_t len = b.size() - 6;
    b[4] = uint8_t(len >> 8);
    b[5] = uint8_t(len);
    return b;
}

// Splits a PES packet into transport packets on `pid`, the first with payload_unit_start; the
// last is filled up with adaptation-field stuffing.
class TsWriter
{
public:
    Bytes ts;

    void add(int pid, const Bytes& pes_bytes)
    {
        size_t pos = 0;
        bool first = true;
        while (pos < pes_bytes.size()) {
            size_t left = pes_bytes.size() - pos;
            uint8_t p[188];
            p[0] = 0x47;
            p[1] = uint8_t((first ? 0x40 : 0x00) | ((pid >> 8) & 0x1F));
            p[2] = uint8_t(pid);
            uint8_t& cc = m_cc[pid];
            if (left >= 184) {
                p[3] = uint8_t(0x10 | (cc++ & 0x0F));
                std::memcpy(p + 4, pes_bytes.data() + pos, 184);
                pos += 184;
            } else {
                p[3] = uint8_t(0x30 | (cc++ & 0x0F));
                size_t af = 183 - left; // adaptation field length byte value
                p[4] = uint8_t(af);
                if (af > 0) {
                    p[5] = 0x00;
                    std::memset(p + 6, 0xFF, af > 1 ? af - 1 : 0);
                }
                std::memcpy(p + 5 + af, pes_bytes.data() + pos, left);
                pos += left;
            }
            ts.insert(ts.end(), p, p + 188);
            first = false;
        }
    }

    // A packet of another PID, to pad streams.
    void add_null() { add(0x1FFF, Bytes(184, 0xFF)); }

private:
    std::map<int, uint8_t> m_cc;
};

// A sequence header with 352x288, 4:3, 25 fps and the given bit rate, padded so that the parser
// has its 17 bytes.
inline Bytes sequence_header(int bit_rate)
{
    uint32_t r = uint32_t(bit_rate / 400);
    Bytes b{0x00,
            0x00,
            0x01,
            0xB3,
            0x16,
            0x01,
            0x20,
            0x23,
            uint8_t(r >> 10),
            uint8_t(r >> 2),
            uint8_t(((r & 3) << 6) | 0x20 | 0x1F),
            0xFF,
            0xE0,
            0x00,
            0x00,
            0x00,
            0x01,
            0xB8,
            0x00,
            0x08};
    return b;
}

// An MPEG-1 Layer II frame header at 192 kbit/s, 48 kHz, followed by filler.
inline Bytes mp2_frame(size_t size = 576)
{
    Bytes b(size, 0x55);
    b[0] = 0xFF;
    b[1] = 0xFD;
    b[2] = 0xA4;
    b[3] = 0x44;
    return b;
}

// An AC-3 sync frame at 48 kHz of the given frame-size code (code 20: 192 kbit/s, 768 bytes).
inline Bytes ac3_frame(uint8_t frmsizecod = 20)
{
    static const int words[] = {64,  80,  96,  112, 128, 160, 192,  224,  256, 320,
                                384, 448, 512, 640, 768, 896, 1024, 1152, 1280};
    Bytes b(size_t(words[frmsizecod >> 1] * 2), 0x33);
    b[0] = 0x0B;
    b[1] = 0x77;
    b[2] = 0x12;
    b[3] = 0x34;
    b[4] = frmsizecod;
    return b;
}

inline Bytes concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

struct PsPacket
{
    uint8_t id = 0;
    Bytes bytes; // the whole packet, start code included
};

// Splits a program stream (or a bare PES sequence) into its packets; a pack header counts as one
// packet with id 0xBA. Returns false when the bytes are not a clean sequence of packets.
inline bool split_ps(const Bytes& ps, std::vector<PsPacket>& out)
{
    size_t i = 0;
    while (i < ps.size()) {
        if (i + 6 > ps.size() || ps[i] != 0 || ps[i + 1] != 0 || ps[i + 2] != 1)
            return false;
        uint8_t id = ps[i + 3];
        size_t len;
        if (id == 0xBA) {
            if (i + 14 > ps.size())
                return false;
            len = 14 + (ps[i + 13] & 7);
        } else {
            len = 6 + ((size_t(ps[i + 4]) << 8) | ps[i + 5]);
        }
        if (i + len > ps.size())
            return false;
        out.push_back({id, Bytes(ps.begin() + long(i), ps.begin() + long(i + len))});
        i += len;
    }
    return true;
}

// The elementary stream bytes of one stream id, PES headers (and AC-3 substream headers) removed.
inline Bytes elementary(const std::vector<PsPacket>& packets, uint8_t id, bool substream = false)
{
    Bytes es;
    for (const auto& p : packets) {
        if (p.id != id)
            continue;
        size_t start = 9 + p.bytes[8] + (substream ? 4 : 0);
        es.insert(es.end(), p.bytes.begin() + long(start), p.bytes.end());
    }
    return es;
}

} // namespace dranfel::test
