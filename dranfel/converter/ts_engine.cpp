#include "dranfel/converter/ts_engine.h"

#include <algorithm>
#include <cstring>

namespace dranfel {

namespace {

int pid_of(const uint8_t* t)
{
    return ((t[1] & 0x1F) << 8) | t[2];
}

// Offset of the payload in a transport packet, or TS_PACKET when there is none in reach.
int payload_offset(const uint8_t* t)
{
    int off = 4;
    if (t[3] & 0x20)
        off += t[4] + 1;
    return off < TS_PACKET ? off : TS_PACKET;
}

// Private stream 1 carries teletext and subtitles as well as AC-3; those start their payload
// with a data identifier (0x10-0x1F, 0x20, 0x99-0x9B). Only an AC-3 sync word, or a substream
// header that already says AC-3, makes a stream worth taking as audio.
// `avail` is how much of the packet the block holds: a packet at the end of a block may be cut.
bool private_stream_is_ac3(const uint8_t* t, int off, long avail)
{
    if (off + 9 > avail)
        return false;
    int p = off + 9 + t[off + 8];
    if (p + 1 >= TS_PACKET)
        return avail >= TS_PACKET; // the header fills the packet: nothing to tell it by
    if (p + 1 >= avail)
        return false;
    return (t[p] == 0x0B && t[p + 1] == 0x77) || (t[p] & 0xF8) == 0x80;
}

// Most packets only carry on the body of a PES packet, and fit in the chunk being built: their
// payload is noted where it lies, as the repacker would note it, without going through it. This is
// how many bytes the stream's next packets may bring so, before the end of the PES packet or of the
// chunk needs the repacker; 0 while anything else needs it (a header, a stream not yet known).
// Appending payload moves `count` and `found` on together, so the limit of the chunk, lowered or
// not, stays what it is until the repacker sends the chunk: it is worked out once, into `size`.
int room_in_place(const ipack& p, int& size)
{
    if (p.mpeg != 2 || p.done || p.found < 9 + p.hlength)
        return 0;
    const bool known = (p.cid >= 0xE0 && p.cid <= 0xEF && p.has_video_info) ||
                       (p.cid >= 0xC0 && p.cid <= 0xDF && p.has_audio_info);
    if (!known)
        return 0;
    size = p.size;
    if (size == p.size_orig && p.plength != 0) {
        long t = long(p.plength) + p.count - p.found + 6;
        if (size < t && t < long(size) * 3 / 2)
            size = int(t / 2);
    }
    const long room = std::min(long(p.plength) + 6 - p.found, long(size) - p.count) - 1;
    return room > 0 ? int(room) : 0;
}

} // namespace

ScanResult scan_av_pids(ByteSource& source, uint8_t* block, int run_mode)
{
    ScanResult r;
    long packets = 0;
    for (;;) {
        long n = source.read(block, TS_BLOCK);
        if (n < 0) {
            r.read_error = true;
            return r;
        }
        r.bytes_read += n;
        bool done = false;
        for (long i = 0; i < n - 7 && !done;) {
            if (block[i] == 0x47 && (i + TS_PACKET >= n - 7 || block[i + TS_PACKET] == 0x47)) {
                const uint8_t* t = block + i;
                if (t[1] & 0x40) {
                    long at = i + payload_offset(t) + 3;
                    if (payload_offset(t) + 3 < TS_PACKET && at < n) {
                        uint8_t id = block[at];
                        if (id >= 0xE0 && id <= 0xEF)
                            r.video_pid = pid_of(t);
                        else if (id >= 0xC0 && id <= 0xDF)
                            r.audio_pid = pid_of(t);
                        else if (id == 0xBD && r.ac3_pid == 0 &&
                                 private_stream_is_ac3(t, payload_offset(t), n - i))
                            r.ac3_pid = pid_of(t);
                    }
                }
                i += TS_PACKET;
                ++packets;
            } else {
                ++i;
            }
            if (r.video_pid && r.audio_pid)
                done = true;
            else if (r.video_pid && r.ac3_pid && packets >= AC3_SCAN_PACKETS) {
                r.audio_pid = r.ac3_pid;
                done = true;
            } else if (r.audio_pid && run_mode == 2)
                done = true;
        }
        if (done || n == 0 || (r.audio_pid && (r.video_pid || run_mode == 2)) || r.bytes_read > SCAN_LIMIT)
            break;
    }
    // The scan limit comes before the 5000 packets that an AC-3 stream has to wait for; a
    // recording whose only audio is AC-3 would otherwise come out empty.
    if (r.video_pid && !r.audio_pid && r.ac3_pid)
        r.audio_pid = r.ac3_pid;
    return r;
}

void find_pids_in_block(const uint8_t* bytes, int n, int& video_pid, int& audio_pid)
{
    video_pid = 0;
    audio_pid = 0;
    for (int i = 0; i < n - 7 && !(video_pid && audio_pid);) {
        if (bytes[i] == 0x47 && (bytes[i + 1] & 0xF0) == 0x40) {
            int off = 4;
            if (bytes[i + 3] & 0x20)
                off += bytes[i + 4] + 1;
            if (off + 3 < TS_PACKET && i + off + 3 < n) {
                const uint8_t* pl = bytes + i + off;
                if (pl[0] == 0 && pl[1] == 0 && pl[2] == 1) {
                    if (pl[3] >= 0xE0 && pl[3] <= 0xEF)
                        video_pid = pid_of(bytes + i);
                    else if ((pl[3] == 0xBD && private_stream_is_ac3(bytes + i, off, n - i)) ||
                             (pl[3] >= 0xC0 && pl[3] <= 0xDF))
                        audio_pid = pid_of(bytes + i);
                }
            }
            i += TS_PACKET;
        } else {
            ++i;
        }
    }
}

TsConverter::TsConverter(OutputFunction output, void* context, EngineOptions options)
    : m_output(output)
    , m_context(context)
    , m_options(options)
{}

TsConverter::~TsConverter()
{
    if (m_audio_made)
        ipack_free(m_audio);
    if (m_video_made)
        ipack_free(m_video);
}

bool TsConverter::make_ipack(ipack& p, bool& made)
{
    if (made)
        return true;
    if (!ipack_init(p, IPACK_SIZE, m_output, m_context, &m_state, m_options.diagnostics, m_options.allocate,
                    m_options.release, m_options.memory))
        return false;
    p.ps = m_ps;
    made = true;
    return true;
}

void TsConverter::note_other_audio(const uint8_t* t)
{
    int pid = pid_of(t);
    if (pid == m_apid || pid == m_vpid || m_found.other_audio_count == RunFindings::MAX_OTHER_AUDIO)
        return;
    int off = payload_offset(t);
    if (off + 4 > TS_PACKET || t[off] != 0 || t[off + 1] != 0 || t[off + 2] != 1)
        return;
    uint8_t id = t[off + 3];
    if (!((id >= 0xC0 && id <= 0xDF) || (id == 0xBD && private_stream_is_ac3(t, off, TS_PACKET))))
        return;
    for (int i = 0; i < m_found.other_audio_count; ++i)
        if (m_found.other_audio[i].pid == pid)
            return;
    m_found.other_audio[m_found.other_audio_count++] = OtherAudio{pid, id};
}

inline __attribute__((always_inline)) void TsConverter::process_packet(const uint8_t* t)
{
    ++m_found.packets;
    if (!(t[3] & 0x10))
        return;
    int pid = pid_of(t);
    ipack* p = nullptr;
    Lane* lane = nullptr;
    if (m_video_made && m_vpid != 0 && pid == m_vpid) {
        p = &m_video;
        lane = &m_video_lane;
    } else if (m_audio_made && m_apid != 0 && pid == m_apid) {
        p = &m_audio;
        lane = &m_audio_lane;
    }
    if (!p) {
        if ((t[1] & 0x40) && m_apid != 0)
            note_other_audio(t);
        return;
    }
    // The demodulator could not correct this packet: nothing in it can be trusted, its header
    // included, so the continuity counter is not taken from it either.
    if (t[1] & 0x80) {
        ++m_found.damaged_packets;
        return;
    }
    // Neither the next counter nor a repeat of the last: a break, unless flagged as one.
    const int cc = t[3] & 0x0F;
    const int last_cc = lane->last_cc;
    if (last_cc >= 0 && ((cc - last_cc) & 0x0F) > 1 && !((t[3] & 0x20) && t[4] > 0 && (t[5] & 0x80)))
        ++m_found.continuity_breaks;
    lane->last_cc = cc;
    const int off = payload_offset(t);
    const int n = TS_PACKET - off;
    const int room = lane->room;
    const int refs = p->refs;
    if (!(t[1] & 0x40) && m_kept_input && n > 0 && n <= room && refs < IPACK_MAX_REFS) {
        lane->room = room - n;
        p->size = lane->size;
        p->found += n;
        p->ref_at[refs] = t + off;
        p->ref_len[refs] = n;
        p->refs = refs + 1;
        p->ref_bytes += n;
        p->count += n;
        return;
    }
    feed_packet(*p, *lane, t, off);
}

void TsConverter::feed_packet(ipack& p, Lane& lane, const uint8_t* t, int off)
{
    if (t[1] & 0x40)
        ipack_unit_start(p);
    if (off < TS_PACKET) {
        p.input_lo = m_kept_input ? t + off : nullptr;
        p.input_hi = m_kept_input ? t + TS_PACKET : nullptr;
        ipack_feed(p, t + off, TS_PACKET - off);
        p.input_lo = p.input_hi = nullptr;
    }
    lane.room = room_in_place(p, lane.size);
}

PartResult TsConverter::convert_part(ByteSource& source, int audio_pid, int video_pid, int ps)
{
    m_ps = ps;
    int new_apid = audio_pid;
    int new_vpid = video_pid;
    if (audio_pid == 0 && video_pid == 0) {
        int64_t start = source.position();
        ScanResult scan = scan_av_pids(source, m_block, m_state.mode);
        if (scan.read_error)
            return PartResult::ReadError;
        // Everything the scan read is converted too.
        if (!source.seek(start))
            return PartResult::ReadError;
        if (scan.audio_pid)
            m_state.mode = scan.video_pid ? 1 : 2;
        // A short part may hold no PES start at all, only the rest of packets begun in the part
        // before: its streams are the ones that part had.
        new_apid = scan.audio_pid ? scan.audio_pid : m_apid;
        new_vpid = scan.video_pid ? scan.video_pid : m_vpid;
    }
    // A repacker carries on into this part only when its stream does.
    if (m_audio_made && new_apid != m_apid)
        ipack_reset(m_audio);
    if (m_video_made && new_vpid != m_vpid)
        ipack_reset(m_video);
    m_apid = new_apid;
    m_vpid = new_vpid;

    if (!make_ipack(m_audio, m_audio_made))
        return PartResult::NoMemory;
    if (m_state.mode == 1 && !make_ipack(m_video, m_video_made))
        return PartResult::NoMemory;
    m_audio.ps = m_video.ps = ps;
    clear_rooms();

    // A sync byte alone proves little (a text file's "G" is one): the packets after it must
    // start with one too, as far as the part reaches.
    long n = source.read(m_block, TS_PACKET * 3);
    if (n < 0)
        return PartResult::ReadError;
    long first = 0;
    while (first < n && first < TS_PACKET &&
           !(m_block[first] == 0x47 && (first + TS_PACKET >= n || m_block[first + TS_PACKET] == 0x47) &&
             (first + 2 * TS_PACKET >= n || m_block[first + 2 * TS_PACKET] == 0x47)))
        ++first;
    if (first == n || first == TS_PACKET) {
        if (m_options.diagnostics)
            std::fprintf(m_options.diagnostics, "Not a TS\n");
        return PartResult::NotTs;
    }
    const int64_t read_before = m_found.bytes_read;
    const int64_t skipped_before = m_found.sync_bytes_skipped;
    m_found.bytes_read += n;
    m_found.sync_bytes_skipped += first;
    long have = n - first;
    std::memmove(m_block, m_block + first, size_t(have));

    for (;;) {
        // Whole blocks are walked where the source holds them; only what is left over when sync
        // was lost, and the tail of the input, go through the block buffer.
        const uint8_t* data = m_block;
        const uint8_t* fresh = m_block + have;
        long got = 0;
        bool in_place = false;
        if (have == 0) {
            got = source.view(data, TS_BLOCK);
            if (got < 0)
                return PartResult::ReadError;
            in_place = got == TS_BLOCK;
            m_kept_input = in_place && source.view_kept();
            fresh = data;
        }
        if (!in_place) {
            m_kept_input = false;
            data = m_block;
            fresh = m_block + have;
            got = source.read(m_block + have, TS_BLOCK - have);
            if (got < 0)
                return PartResult::ReadError;
        }
        m_found.bytes_read += got;
        if (got > 0) {
            if (m_vpid == 0 && m_state.mode == 1) {
                int v, a;
                find_pids_in_block(fresh, int(got), v, a);
                if (v) {
                    m_vpid = v;
                    if (m_options.diagnostics)
                        std::fprintf(m_options.diagnostics, "vpid %d (0x%02x)\n", v, v);
                    if (!make_ipack(m_video, m_video_made))
                        return PartResult::NoMemory;
                }
            }
            if (m_apid == 0) {
                int v, a;
                find_pids_in_block(fresh, int(got), v, a);
                if (a) {
                    m_apid = a;
                    if (m_options.diagnostics)
                        std::fprintf(m_options.diagnostics, "apid %d (0x%02x)\n", a, a);
                }
            }
        }
        if (in_place)
            source.advance(got);
        if (on_block && !on_block())
            return PartResult::Canceled;
        have += got;
        long pos = 0;
        while (pos + TS_PACKET <= have) {
            if (data[pos] != 0x47) {
                // Lost sync: go on at the next sync byte rather than feed shifted packets.
                long from = pos;
                ++pos;
                while (pos < have && data[pos] != 0x47)
                    ++pos;
                m_found.sync_bytes_skipped += pos - from;
                continue;
            }
            // Packets are walked where the page cache holds them and, with their payload left
            // there, only their headers are read: fetched ahead, or each one is a wait on memory.
            // Some 6 KB ahead: less than a page and the fetch comes too late.
            __builtin_prefetch(data + pos + 32 * TS_PACKET);
            process_packet(data + pos);
            pos += TS_PACKET;
        }
        have -= pos;
        std::memmove(m_block, data + pos, size_t(have));
        if (got == 0) {
            // Bytes that had to be passed over to find packets, more than the packets found:
            // noise in which a sync byte turns up now and then, not a damaged stream.
            int64_t skipped = m_found.sync_bytes_skipped - skipped_before;
            if (skipped * 2 > m_found.bytes_read - read_before) {
                if (m_options.diagnostics)
                    std::fprintf(m_options.diagnostics, "Not a TS\n");
                return PartResult::NotTs;
            }
            return PartResult::End;
        }
    }
}

void TsConverter::finish()
{
    clear_rooms();
    // A bounded packet that the input cut short is dropped by the repacker: count what it held.
    for (auto [made, p] : {std::pair{m_video_made, &m_video}, std::pair{m_audio_made, &m_audio}}) {
        if (!made)
            continue;
        if (ipack_in_body(*p) && !p->done && p->plength != UNBOUNDED_PES && p->count > 9)
            m_state.bytes_dropped += p->count;
        ipack_finish(*p);
    }
}

RunFindings TsConverter::findings() const
{
    RunFindings f = m_found;
    f.bytes_dropped = m_state.bytes_dropped;
    f.video_pid = m_state.mode == 1 ? m_vpid : 0;
    f.audio_pid = m_apid;
    if (m_video_made && m_video.has_video_info) {
        f.has_video = true;
        f.video = m_video.video_info;
    }
    if (m_audio_made && m_audio.has_audio_info) {
        f.has_mpeg_audio = true;
        f.mpeg_audio = m_audio.audio_info;
    } else if (m_audio_made && m_audio.has_ac3_info) {
        f.has_ac3 = true;
        f.ac3 = m_audio.ac3_info;
    }
    // A stream noted before the scan of a later part chose it is no longer left out.
    int kept = 0;
    for (int i = 0; i < f.other_audio_count; ++i)
        if (f.other_audio[i].pid != f.audio_pid)
            f.other_audio[kept++] = f.other_audio[i];
    f.other_audio_count = kept;
    return f;
}

void TsConverter::discard()
{
    clear_rooms();
    if (m_video_made)
        ipack_reset(m_video);
    if (m_audio_made)
        ipack_reset(m_audio);
}

} // namespace dranfel
