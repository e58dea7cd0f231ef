#pragma once
// Parsers for the few stream headers the converter needs to look at: the MPEG video sequence
// header, the MPEG audio frame header and the AC-3 sync frame. Every read stays within `length`.
#include <cstdint>
#include <cstdio>

namespace dranfel {

struct VideoStreamInfo
{
    int horizontal_size = 0;
    int vertical_size = 0;
    int aspect = 0; // 100, 133, 177, 221, or 0 for a reserved code
    double frame_rate = 0;
    int bit_rate = 0; // bit/s
    int offset = -1;  // of the sequence header within the examined bytes
};

struct AudioStreamInfo
{
    int layer = 0;    // the two header bits: 3 = Layer I, 2 = Layer II, 1 = Layer III
    int bit_rate = 0; // bit/s, 0 for a free format stream
    int sample_rate = 0;
    int offset = -1;
};

struct Ac3FrameInfo
{
    int bit_rate = 0;    // bit/s
    int frame_size = 0;  // bytes, 0 when the header codes are reserved
    int sample_rate = 0; // Hz, 0 for the reserved code
    int offset = -1;     // of the 0B 77 sync word
};

// Each returns the offset of the header found, or -1. With `print` set, the stream description
// goes there line by line.
int parse_sequence_header(const uint8_t* bytes, int length, VideoStreamInfo& info, std::FILE* print);
int parse_mpeg_audio_header(const uint8_t* bytes, int length, AudioStreamInfo& info, std::FILE* print);
int parse_ac3_header(const uint8_t* bytes, int length, Ac3FrameInfo& info);

// Frame size in bytes of the AC-3 sync frame whose sync word stands at bytes[0], or 0 when
// fewer than five bytes are there or the header is not a valid one.
int ac3_frame_size_at(const uint8_t* bytes, int length);

} // namespace dranfel
