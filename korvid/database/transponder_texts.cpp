#include "korvid/database/transponder_texts.h"

namespace korvid {

const std::vector<std::string>& fec_entries()
{
    static const std::vector<std::string> entries = {"AUTO", "1/2", "2/3", "3/4", "5/6", "7/8"};
    return entries;
}

std::string fec_text(uint8_t fec)
{
    return fec < fec_entries().size() ? fec_entries()[fec] : std::string();
}

std::string polarity_text(uint8_t polarisation)
{
    return polarisation == 0 ? "VER" : "HOR";
}

std::string polarity_letter(uint8_t polarisation)
{
    return polarisation == 0 ? "V" : "H";
}

} // namespace korvid
