#pragma once
// Texts for the fields of a transponder record.
#include <cstdint>
#include <string>
#include <vector>

namespace korvid {

// "AUTO", "1/2", "2/3", "3/4", "5/6", "7/8" for FEC 0 to 5; empty otherwise.
std::string fec_text(uint8_t fec);
const std::vector<std::string>& fec_entries();
// Long ("VER"/"HOR") and short ("V"/"H") polarisation texts.
std::string polarity_text(uint8_t polarisation);
std::string polarity_letter(uint8_t polarisation);

} // namespace korvid
