#pragma once
// The program-stream writer: learns the bit rates from the first stream headers, puts one MPEG-2
// pack header with a system header in front of the first chunk it lets through, and passes the
// chunks on to the output function.
#include "dranfel/converter/ipack.h"

#include <cstdint>

namespace dranfel {

constexpr int PACK_HEADER_SIZE = 32;
constexpr uint32_t SCR_LEAD = 3600;   // 40 ms in 90 kHz units, taken off the first video PTS
constexpr int MUX_RATE_DIVISOR = 400; // bit/s to 50-byte units
constexpr int AUDIO_ONLY_MUX_RATE = 1152;

void ps_writer(ipack& p);

// The 32-byte pack header and system header.
void write_pack_header(uint8_t out[PACK_HEADER_SIZE], uint32_t scr, int mux_rate);

// The 33-bit value of a PES PTS field.
uint64_t pts_value(const uint8_t pts[5]);

} // namespace dranfel
