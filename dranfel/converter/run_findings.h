#pragma once
// What the engine found in a recording while converting it, counted in its own passes over the
// packets: which streams it took and what they are, which audio it left out, and how much of the
// input was damaged, missing or could not be used.
#include "dranfel/converter/stream_headers.h"

#include <cstdint>

namespace dranfel {

struct OtherAudio
{
    int pid = 0;
    uint8_t stream_id = 0; // 0xC0-0xDF MPEG audio, 0xBD AC-3
};

struct RunFindings
{
    static constexpr int MAX_OTHER_AUDIO = 8;

    int64_t bytes_read = 0; // transport stream bytes of all parts, file headers left aside
    int64_t packets = 0;    // transport packets walked
    // Packets of the chosen streams that the demodulator marked as damaged; they are skipped.
    int64_t damaged_packets = 0;
    // Jumps of a chosen stream's continuity counter: packets the recording lacks.
    int64_t continuity_breaks = 0;
    int64_t sync_bytes_skipped = 0; // bytes passed over to find the next sync byte
    int64_t bytes_dropped = 0;      // see ConversionState::bytes_dropped

    int video_pid = 0;
    int audio_pid = 0;
    bool has_video = false;
    VideoStreamInfo video;
    bool has_mpeg_audio = false;
    AudioStreamInfo mpeg_audio;
    bool has_ac3 = false;
    Ac3FrameInfo ac3;

    // Audio streams that had PES packets in the recording but were not converted.
    OtherAudio other_audio[MAX_OTHER_AUDIO];
    int other_audio_count = 0;
};

} // namespace dranfel
