#include "dranfel/converter/ipack.h"

#include "common/byte_order.h"
#include "dranfel/converter/ps_writer.h"

#include <algorithm>
#include <cstring>

namespace dranfel {

namespace {

bool is_kept_stream(uint8_t id)
{
    return id == 0xBD || (id >= 0xC0 && id <= 0xEF);
}

bool is_skipped_stream(uint8_t id)
{
    return id == 0xBC || id == 0xBE || id == 0xBF || (id >= 0xF0 && id <= 0xF3) || id == 0xFF;
}

// The header of the current PES packet has been read far enough to start on its body.
void begin_body(ipack& p)
{
    if (p.plength == 0)
        p.plength = UNBOUNDED_PES;
}

// The MPEG-1 header tail after the length field: stuffing, an optional STD buffer field and an
// optional PTS or PTS and DTS. `which` counts the bytes still due in the current field; 2000
// means the tail is over.
void mpeg1_tail_byte(ipack& p, uint8_t b)
{
    if (p.which == 0) {
        if (b == 0xFF)
            return;
        if ((b & 0xC0) == 0x40) {
            p.check = 0x40;
            p.which = 1;
        } else if ((b & 0xE0) == 0x20) {
            p.check = b & 0xF0;
            p.pts[0] = b;
            p.mpeg1_pts_index = 1;
            p.flag2 = uint8_t((b & 0x30) << 2);
            p.which = p.check == 0x20 ? 4 : 9;
        } else {
            p.which = 2000;
        }
        return;
    }
    if (p.check != 0x40 && p.mpeg1_pts_index < 5)
        p.pts[p.mpeg1_pts_index++] = b;
    if (--p.which == 0)
        p.which = p.check == 0x40 ? 0 : 2000;
}

// Whether payload bytes may stay where the input holds them.
bool may_refer(const ipack& p, const uint8_t* bytes, int n)
{
    if (!p.input_lo || bytes < p.input_lo || bytes + n > p.input_hi || p.mpeg != 2)
        return false;
    if (p.cid >= 0xE0 && p.cid <= 0xEF)
        return p.has_video_info;
    if (p.cid >= 0xC0 && p.cid <= 0xDF)
        return p.has_audio_info;
    return false;
}

// Puts n bytes at the end of the chunk: as a reference where they may stay, else copied.
void append(ipack& p, const uint8_t* bytes, int n)
{
    if (n <= 0)
        return;
    if (may_refer(p, bytes, n)) {
        if (p.refs > 0 && p.ref_at[p.refs - 1] + p.ref_len[p.refs - 1] == bytes) {
            p.ref_len[p.refs - 1] += n;
        } else if (p.refs < IPACK_MAX_REFS) {
            p.ref_at[p.refs] = bytes;
            p.ref_len[p.refs] = n;
            ++p.refs;
        } else {
            ipack_materialize(p);
            std::memcpy(p.buf + p.count, bytes, size_t(n));
            p.count += n;
            return;
        }
        p.ref_bytes += n;
        p.count += n;
        return;
    }
    if (p.refs > 0)
        ipack_materialize(p); // what is copied goes behind what is referred to
    std::memcpy(p.buf + p.count, bytes, size_t(n));
    p.count += n;
}

void complete_packet(ipack& p)
{
    ipack_send(p);
    ipack_reset(p);
}

} // namespace

int ipack_init(ipack& p,
               int size,
               OutputFunction func,
               void* data,
               ConversionState* state,
               std::FILE* diag,
               void* (*allocate)(size_t),
               void (*release)(void*),
               ChunkMemory* memory)
{
    p = ipack{};
    p.memory = memory;
    p.buf = memory ? memory->first_slot(p, size) : static_cast<uint8_t*>(allocate(size_t(size)));
    if (!p.buf) {
        if (diag)
            std::fprintf(diag, "Couldn't allocate memory for ipack\n");
        return 0;
    }
    p.release = release;
    p.size_orig = size;
    p.func = func;
    p.data = data;
    p.state = state;
    p.diag = diag;
    ipack_reset(p);
    return 1;
}

void ipack_free(ipack& p)
{
    if (p.memory)
        p.memory->release(p);
    else if (p.buf && p.release)
        p.release(p.buf);
    p.buf = nullptr;
}

void ipack_reset(ipack& p)
{
    p.found = 0;
    p.plength = 0;
    p.plen[0] = p.plen[1] = 0;
    p.count = 0;
    p.mpeg = 0;
    p.done = 0;
    p.which = 0;
    p.check = 0;
    p.flag1 = p.flag2 = p.hlength = 0;
    p.cid = 0;
    p.size = p.size_orig;
    p.ac3_next = -1;
    p.mpeg1_pts_index = 0;
    p.refs = 0;
    p.ref_bytes = 0;
}

void ipack_materialize(ipack& p)
{
    int at = p.count - p.ref_bytes;
    for (int i = 0; i < p.refs; ++i) {
        std::memcpy(p.buf + at, p.ref_at[i], size_t(p.ref_len[i]));
        at += p.ref_len[i];
    }
    p.refs = 0;
    p.ref_bytes = 0;
}

bool ipack_in_body(const ipack& p)
{
    if (p.done)
        return p.found >= 5;
    return (p.mpeg == 2 && p.found >= 9) || (p.mpeg == 1 && p.found >= 7);
}

void ipack_feed(ipack& p, const uint8_t* bytes, int length)
{
    int c = 0;
    while (c < length) {
        if (!ipack_in_body(p)) {
            uint8_t b = bytes[c];
            switch (p.found) {
            case 0:
            case 1:
                p.found = b == 0 ? p.found + 1 : 0;
                ++c;
                break;
            case 2:
                if (b == 1)
                    p.found = 3;
                else if (b != 0)
                    p.found = 0;
                ++c;
                break;
            case 3:
                if (is_kept_stream(b)) {
                    p.cid = b;
                    p.found = 4;
                    ++c;
                } else if (is_skipped_stream(b)) {
                    p.done = 1;
                    p.cid = b;
                    p.found = 4;
                    ++c;
                } else {
                    // not a stream we know: the same byte may begin the next start code
                    p.found = 0;
                }
                break;
            case 4:
                if (length - c > 1) {
                    p.plen[0] = b;
                    p.plen[1] = bytes[c + 1];
                    p.plength = common::load_be16(p.plen);
                    c += 2;
                    p.found = 6;
                } else {
                    p.plen[0] = b;
                    ++c;
                    p.found = 5;
                }
                if (p.done)
                    begin_body(p);
                break;
            case 5:
                p.plen[1] = b;
                p.plength = common::load_be16(p.plen);
                ++c;
                p.found = 6;
                break;
            case 6:
                p.flag1 = b;
                ++c;
                p.found = 7;
                if ((b & 0xC0) == 0x80) {
                    p.mpeg = 2;
                } else {
                    p.mpeg = 1;
                    p.hlength = 0;
                    p.flag2 = 0;
                    p.which = 0;
                    begin_body(p);
                    ipack_write(p, &p.flag1, 1);
                    mpeg1_tail_byte(p, p.flag1);
                }
                break;
            case 7:
                p.flag2 = b;
                ++c;
                p.found = 8;
                break;
            case 8: {
                p.hlength = b;
                ++c;
                p.found = 9;
                begin_body(p);
                const uint8_t head[3] = {p.flag1, p.flag2, p.hlength};
                ipack_write(p, head, 3);
                break;
            }
            default:
                p.found = 0;
                break;
            }
        } else if (p.done) {
            int run = std::min(length - c, p.plength + 6 - p.found);
            p.found += run;
            c += run;
        } else if (p.mpeg == 1 && p.which < 2000) {
            uint8_t b = bytes[c++];
            ++p.found;
            ipack_write(p, &b, 1);
            mpeg1_tail_byte(p, b);
        } else {
            int run = std::min(length - c, p.plength + 6 - p.found);
            int header_end = 9 + p.hlength;
            // The optional header goes in apart from the payload, so that the first payload byte
            // starts a write of its own (the AC-3 substream header goes in front of it).
            if (p.mpeg == 2 && p.found < header_end)
                run = std::min(run, header_end - p.found);
            if (p.mpeg == 2 && (p.flag2 & 0x80) && p.hlength >= 5 && p.found < 14) {
                for (int k = std::max(p.found, 9); k < std::min(p.found + run, 14); ++k)
                    p.pts[k - 9] = bytes[c + k - p.found];
            }
            p.found += run;
            ipack_write(p, bytes + c, run);
            c += run;
        }
        if (ipack_in_body(p) && p.found >= p.plength + 6)
            complete_packet(p);
    }
}

void ipack_write(ipack& p, const uint8_t* bytes, int length)
{
    for (;;) {
        if (p.count < 6) {
            p.buf[0] = 0x00;
            p.buf[1] = 0x00;
            p.buf[2] = 0x01;
            p.count = 6;
        }
        if (p.size == p.size_orig && p.plength != 0) {
            long t = long(p.plength) + length + p.count - p.found + 6;
            if (p.size < t && t < long(p.size) * 3 / 2)
                p.size = int(t / 2);
        }
        // AC-3 in a private stream: the first chunk of a packet gets the substream header that
        // players expect in a program stream, unless the input already carries one.
        if (p.cid == 0xBD && p.mpeg == 2 && p.count == p.hlength + 9 && p.found - length == p.hlength + 9 &&
            length > 0 && (bytes[0] & 0xF8) != 0x80 && p.count + 4 <= p.size_orig) {
            Ac3FrameInfo info;
            int o = parse_ac3_header(bytes, length, info);
            if (o >= 0 && info.frame_size > 0) {
                int pointer = o + 1; // counted from the last byte of the pointer field
                p.buf[p.count] = 0x80;
                p.buf[p.count + 1] = uint8_t((p.size - p.count - o - 4) / info.frame_size + 1);
                p.buf[p.count + 2] = uint8_t(pointer >> 8);
                p.buf[p.count + 3] = uint8_t(pointer & 0xFF);
                p.count += 4;
            }
        }
        if (p.count + length < p.size) {
            append(p, bytes, length);
            return;
        }
        int room = std::max(0, p.size - p.count);
        append(p, bytes, room);
        bytes += room;
        length -= room;
        ipack_send(p);
        if (length <= 0)
            return;
    }
}

namespace {

// Frame count and first-access pointer of an AC-3 substream chunk, worked out from the frames
// that actually start in it. Returns the pointer to prepare for the following chunk.
int fix_ac3_substream(ipack& p, int q)
{
    uint8_t* b = p.buf;
    int d = q + 4; // first data byte
    int data_len = p.count - d;
    int a = common::load_be16(b + q + 2);
    int expected = a > 0 ? a - 1 : p.ac3_next;
    int n = 0;
    int pointer = 0;
    if (expected >= data_len) {
        p.ac3_next = expected - data_len;
    } else {
        int s = -1;
        if (expected >= 0 && d + expected + 1 < p.count && b[d + expected] == 0x0B &&
            b[d + expected + 1] == 0x77)
            s = expected;
        else
            for (int i = d; i + 1 < p.count; ++i)
                if (b[i] == 0x0B && b[i + 1] == 0x77 && ac3_frame_size_at(b + i, p.count - i) > 0) {
                    s = i - d;
                    break;
                }
        if (s < 0) {
            p.ac3_next = -1;
        } else {
            int pos = d + s;
            int f = 0;
            while (pos < p.count) {
                int fs = ac3_frame_size_at(b + pos, p.count - pos);
                if (fs > 0)
                    f = fs;
                ++n;
                if (f <= 0)
                    break;
                pos += f;
            }
            pointer = s + 1;
            p.ac3_next = f > 0 ? pos - p.count : -1;
        }
    }
    b[q + 1] = uint8_t(n);
    common::store_be16(b + q + 2, uint16_t(pointer));
    return p.ac3_next >= 0 ? p.ac3_next + 1 : 0;
}

} // namespace

void ipack_send(ipack& p)
{
    if (p.count < 10)
        return;
    uint8_t* b = p.buf;
    b[3] = p.cid;
    common::store_be16(b + 4, uint16_t(p.count - 6));
    int substream = -1;
    int next_pointer = 0;
    if (p.cid == 0xBD && p.mpeg == 2) {
        int q = 9 + b[8];
        if (q + 3 < p.count && (b[q] & 0xF8) == 0x80) {
            substream = b[q];
            next_pointer = fix_ac3_substream(p, q);
        }
    }
    if (p.ps)
        ps_writer(p);
    else
        p.func(b, p.count, p.data);
    // A lowered limit was for this chunk: the rest of the packet now fits in the next one.
    p.size = p.size_orig;
    p.refs = 0;
    p.ref_bytes = 0;
    if (p.memory) {
        // The chunk is written from where it lies: the next one is built elsewhere.
        p.buf = p.memory->next_slot(p);
        b = p.buf;
        b[0] = 0x00;
        b[1] = 0x00;
        b[2] = 0x01;
    }

    if (p.mpeg == 1) {
        b[6] = 0x0F;
        p.count = 7;
    } else if (p.mpeg == 2) {
        b[6] = 0x80;
        b[7] = 0x00;
        b[8] = 0x00;
        p.count = 9;
        if (substream >= 0) {
            b[9] = uint8_t(substream);
            b[10] = 0x00;
            common::store_be16(b + 11, uint16_t(next_pointer));
            p.count = 13;
        }
    } else {
        p.count = 0;
    }
}

void ipack_unit_start(ipack& p)
{
    if (ipack_in_body(p)) {
        if (!p.done) {
            if (p.plength == UNBOUNDED_PES)
                p.plength = p.found - 6;
            p.found = 0;
            ipack_send(p);
        }
    }
    ipack_reset(p);
}

void ipack_finish(ipack& p)
{
    if (ipack_in_body(p) && !p.done && p.plength == UNBOUNDED_PES) {
        p.plength = p.found - 6;
        p.found = 0;
        ipack_send(p);
    }
    ipack_reset(p);
}

} // namespace dranfel
