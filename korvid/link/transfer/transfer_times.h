#pragma once
// The expected-time figures shown before a transfer starts: a tenth of a second per KiB, with one
// second added so that a short transfer never promises zero.
#include <cstdint>
#include <string>

namespace korvid {

// "%02ld:%02ld": minutes and seconds + 1 for `size` bytes (the downloader page's expected field).
std::string expected_time_figures(uint32_t size);
// "expected : %02ld:%02ld" (the time line of the database transfer).
std::string expected_time_text(uint32_t size);

} // namespace korvid
