#pragma once
// The per-stream PES repacker: it takes the payload bytes of one elementary stream's transport
// packets, finds the PES packets in them and re-cuts them into PES packets ("chunks") of at most
// 2048 bytes, which go to the program-stream writer or straight to the output function.
#include "dranfel/converter/stream_headers.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace dranfel {

constexpr int IPACK_SIZE = 2048;
constexpr int UNBOUNDED_PES = 0x7FFF2; // stands for a PES header whose length field is 0
constexpr int IPACK_MAX_REFS = 32;

// Shared by both repackers of one conversion run, which may span several part files.
struct ConversionState
{
    int mode = 0;     // 0 not decided, 1 audio and video, 2 audio only
    int mux_rate = 0; // 50-byte units
    int audio_bitrate = 0;
    int video_bitrate = 0;
    int header_written = 0;
    // Kept so that a run that wrote nothing can say why.
    int64_t chunks_written = 0;
    int64_t bytes_written = 0;
    int64_t mpeg1_chunks = 0;
    // Chunk bytes of the chosen streams that never reached the target (audio before the first
    // sequence header, MPEG-1 packets, packets the end of the input cut short).
    int64_t bytes_dropped = 0;
};

// Receives every finished chunk (and the pack header in front of the first).
using OutputFunction = void (*)(const uint8_t* bytes, int length, void* context);

struct ipack;

// Where a repacker builds its chunks: a buffer of its own by default. An output that writes
// chunks from where they were built hands out places in its own memory instead, so that a
// payload byte is copied once, into its chunk, and never again on its way out.
class ChunkMemory
{
public:
    virtual ~ChunkMemory() = default;
    // A place of `size` bytes for p's chunks; null when there is none.
    virtual uint8_t* first_slot(ipack& p, int size) = 0;
    // Called after p's chunk went to the output function: the place for p's next chunk. The
    // memory may also move a chunk being built whenever it is called, and updates p.buf then.
    virtual uint8_t* next_slot(ipack& p) = 0;
    virtual void release(ipack& p) = 0;
};

struct ipack
{
    int size = 0;      // current chunk limit; lowered for the tail of a PES packet
    int size_orig = 0; // buffer capacity
    int found = 0;     // bytes of the current input PES packet consumed, header included
    int ps = 1;        // 1: chunks go through the program-stream writer
    uint8_t* buf = nullptr;
    OutputFunction func = nullptr;
    void* data = nullptr;
    int has_audio_info = 0;
    int has_video_info = 0;
    AudioStreamInfo audio_info;
    VideoStreamInfo video_info;
    uint8_t cid = 0;
    int plength = 0;
    uint8_t plen[2] = {0, 0};
    uint8_t flag1 = 0;
    uint8_t flag2 = 0;
    uint8_t hlength = 0;
    uint8_t pts[5] = {0, 0, 0, 0, 0};
    int mpeg = 0;
    uint8_t check = 0;
    int which = 0;
    int done = 0;
    int count = 0;

    ConversionState* state = nullptr;
    std::FILE* diag = nullptr; // stream information lines; null keeps them quiet
    void (*release)(void*) = nullptr;
    ChunkMemory* memory = nullptr; // when set, buf lies in it
    // The input bytes being fed that stay where they are until the output has written them (a
    // kept window of the part file); null when the input gives no such promise.
    const uint8_t* input_lo = nullptr;
    const uint8_t* input_hi = nullptr;
    // The chunk's last ref_bytes bytes are not in buf but where the input holds them, in order:
    // buf holds the first count - ref_bytes. Only once the stream's header is known (the writer
    // looks for it in buf), never for private streams (the AC-3 fix-up rewrites the chunk).
    const uint8_t* ref_at[IPACK_MAX_REFS] = {};
    int ref_len[IPACK_MAX_REFS] = {};
    int refs = 0;
    int ref_bytes = 0;
    // Offset, from the start of the next chunk's data, at which the next AC-3 sync frame is due;
    // -1 when not known.
    int ac3_next = -1;
    int mpeg1_pts_index = 0;
    // The first AC-3 sync frame of a private stream, for the run's report; the mux rate does not
    // depend on it.
    int has_ac3_info = 0;
    Ac3FrameInfo ac3_info;
};

// Returns 1, or 0 when the buffer could not be allocated (the message goes to `diag`).
int ipack_init(ipack& p,
               int size,
               OutputFunction func,
               void* data,
               ConversionState* state,
               std::FILE* diag,
               void* (*allocate)(size_t) = std::malloc,
               void (*release)(void*) = std::free,
               ChunkMemory* memory = nullptr);
void ipack_free(ipack& p);
void ipack_reset(ipack& p);
void ipack_feed(ipack& p, const uint8_t* bytes, int length);
void ipack_write(ipack& p, const uint8_t* bytes, int length);
void ipack_send(ipack& p);

// A transport packet with payload_unit_start arrived on this stream: whatever PES packet the
// repacker still holds ends here. An unbounded one is complete; a bounded one was cut short by a
// lost packet and goes out with what arrived of it, its length field telling the truth.
void ipack_unit_start(ipack& p);

// End of the input: an unbounded packet is complete and is sent; a bounded one that the input
// cut is dropped.
void ipack_finish(ipack& p);

// True while the repacker is inside the body of a PES packet (its header fully parsed).
bool ipack_in_body(const ipack& p);

// Copies the chunk's referenced bytes into buf behind the rest (the input is about to go away).
void ipack_materialize(ipack& p);

} // namespace dranfel
