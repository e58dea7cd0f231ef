#pragma once
// The transport-stream side of the converter: finds the audio and video streams of a part file,
// and feeds their PES packets to the two repackers. One TsConverter serves one conversion run;
// its repackers and state carry on from one part file to the next, because the receiver cuts its
// parts between transport packets, not between PES packets.
#include "dranfel/converter/byte_io.h"
#include "dranfel/converter/ipack.h"
#include "dranfel/converter/run_findings.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace dranfel {

constexpr int TS_PACKET = 188;
constexpr int TS_BLOCK = 1880;
constexpr long SCAN_LIMIT = 752000;
constexpr long AC3_SCAN_PACKETS = 5000;

enum class PartResult
{
    End,      // the input ended
    Canceled, // the cancel check said stop
    NotTs,    // no run of packets where the stream should start, or more noise than packets
    ReadError,
    NoMemory,
};

struct EngineOptions
{
    std::FILE* diagnostics = stderr; // null: no diagnostic lines
    void* (*allocate)(size_t) = std::malloc;
    void (*release)(void*) = std::free;
    // Where the repackers build their chunks; null: buffers of their own.
    ChunkMemory* memory = nullptr;
};

struct ScanResult
{
    int video_pid = 0;
    int audio_pid = 0;
    int ac3_pid = 0;
    long bytes_read = 0;
    bool read_error = false;
};

// Reads blocks from the source's position until both streams are known or the limit is passed.
// Leaves the source where the reading stopped; the caller goes back.
ScanResult scan_av_pids(ByteSource& source, uint8_t* block, int run_mode);

// Looks at the packets of one block that start a PES packet; 0 where nothing was found.
void find_pids_in_block(const uint8_t* bytes, int n, int& video_pid, int& audio_pid);

class TsConverter
{
public:
    TsConverter(OutputFunction output, void* context, EngineOptions options = {});
    ~TsConverter();
    TsConverter(const TsConverter&) = delete;
    TsConverter& operator=(const TsConverter&) = delete;

    // Called once per 1880-byte block; returning false cancels the part.
    std::function<bool()> on_block;

    // Converts one part from the source's current position. Audio and video PID 0 let the
    // engine find them.
    PartResult convert_part(ByteSource& source, int audio_pid, int video_pid, int ps);
    // After the last part: an unbounded PES packet that the input closed goes out.
    void finish();
    // Drops whatever the repackers hold (a cancelled or failed run).
    void discard();
    // The output goes on in a file of its own: the next chunk written gets a pack header again.
    void start_new_file() { m_state.header_written = 0; }

    const ConversionState& state() const { return m_state; }
    // What the run has found so far, its stream descriptions included.
    RunFindings findings() const;
    int audio_pid() const { return m_apid; }
    int video_pid() const { return m_vpid; }

private:
    bool make_ipack(ipack& p, bool& made);
    // What the engine keeps of each chosen stream beside its repacker.
    struct Lane
    {
        int last_cc = -1; // last continuity counter seen; -1 none yet
        // Payload bytes the next packets may bring in place without the repacker, and the chunk
        // limit that goes with them; the repacker's state changes only where room is worked out
        // again.
        int room = 0;
        int size = 0;
    };

    void process_packet(const uint8_t* t);
    void feed_packet(ipack& p, Lane& lane, const uint8_t* t, int off);
    void clear_rooms() { m_audio_lane.room = m_video_lane.room = 0; }
    void note_other_audio(const uint8_t* t);

    OutputFunction m_output;
    void* m_context;
    EngineOptions m_options;
    ConversionState m_state;
    ipack m_audio;
    ipack m_video;
    bool m_audio_made = false;
    bool m_video_made = false;
    int m_apid = 0;
    int m_vpid = 0;
    int m_ps = 1;
    Lane m_audio_lane;
    Lane m_video_lane;
    bool m_kept_input = false; // the packets being walked stay where they are until written
    RunFindings m_found;
    alignas(64) uint8_t m_block[TS_BLOCK];
};

} // namespace dranfel
