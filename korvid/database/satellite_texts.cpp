#include "korvid/database/satellite_texts.h"

#include "common/strfmt.h"

#include <cctype>
#include <cstdlib>

namespace korvid {

namespace {

constexpr uint16_t FIXED_FREQUENCIES[] = {0, 5150, 9750, 10000, 10050, 10600, 10750, 11200, 11475};

} // namespace

std::string lnb_type_column_text(uint8_t lnb_type)
{
    static const char* const texts[] = {"UNI_LNB", "5150",  "9750",  "10000", "10050",
                                        "10600",   "10750", "11200", "11475", "USER"};
    return lnb_type <= USER_DEFINE ? texts[lnb_type] : "";
}

std::string v012_column_text(const tSatellite& sat)
{
    return (sat.lnb_control & LNB_CTRL_012V) ? "ON" : "OFF";
}

std::string k22_column_text(const tSatellite& sat)
{
    switch (sat.lnb_control & LNB_CTRL_22K_MASK) {
    case 0x00:
        return "HLBAND";
    case 0x10:
        return "ON";
    case 0x20:
        return "OFF";
    default:
        return "";
    }
}

std::string diseqc_column_text(const tSatellite& sat)
{
    switch (sat.DiSEqC_Cfg & 0x30) {
    case 0x10:
        return "Ver 1.0";
    case 0x20:
        return "Ver 1.1";
    case 0x00:
        if (!(sat.positioner & 0x80))
            return "OFF";
        return (sat.positioner & 0x08) ? "Usals" : "DiSEqC 1.2";
    default:
        return "";
    }
}

std::string port_column_text(const tSatellite& sat)
{
    const int mode = sat.DiSEqC_Cfg & 0x30;
    if (mode == 0x10 || mode == 0x20)
        return common::strfmt("%d", sat.DiSEqC_idx + 1);
    return "0";
}

std::string degree_column_text(int16_t position)
{
    const int value = position;
    if (value >= 0)
        return common::strfmt("%3d.%1dE", value / 10, value % 10);
    return common::strfmt("%3d.%1dW", -value / 10, -value % 10);
}

std::string degree_edit_text(int16_t position)
{
    const int a = std::abs(int(position));
    return common::strfmt("%03d.%1d%c", a / 10, a % 10, position < 0 ? 'W' : 'E');
}

int parse_degree(const std::string& text, int16_t& position)
{
    const size_t n = text.size();
    if (n < 3)
        return 0;
    const char last = char(std::toupper(static_cast<unsigned char>(text[n - 1])));
    if ((last != 'E' && last != 'W') || text[n - 3] != '.')
        return 0;
    // The leading number of the text before the letter, read exactly in tenths so that 019.2 is 192
    // and not 191 through a binary fraction; anything that is not a number reads as 0.
    size_t i = 0;
    while (i < n - 1 && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < n - 1 && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long tenths = 0;
    bool digits = false;
    while (i < n - 1 && std::isdigit(static_cast<unsigned char>(text[i]))) {
        tenths = tenths * 10 + (text[i++] - '0');
        digits = true;
    }
    tenths *= 10;
    if (i < n - 1 && text[i] == '.' && i + 1 < n - 1 &&
        std::isdigit(static_cast<unsigned char>(text[i + 1]))) {
        tenths += text[i + 1] - '0';
        digits = true;
    }
    if (!digits)
        tenths = 0;
    if (negative)
        tenths = -tenths;
    if (last == 'W')
        tenths = -tenths;
    position = int16_t(tenths); // at most six characters: always within range
    return 1;
}

uint8_t lnb_type_from_frequencies(uint16_t low, uint16_t high)
{
    if (high == 10600 && low == 9750)
        return UNI_LNB;
    if (low == high)
        for (uint8_t t = SINGLE_5150; t <= SINGLE_11475; ++t)
            if (FIXED_FREQUENCIES[t] == low)
                return t;
    return USER_DEFINE;
}

uint16_t fixed_lnb_frequency(uint8_t lnb_type)
{
    return (lnb_type >= SINGLE_5150 && lnb_type <= SINGLE_11475) ? FIXED_FREQUENCIES[lnb_type] : 0;
}

void apply_lnb_type_frequencies(tSatellite& sat)
{
    if (sat.lnb_type == UNI_LNB) {
        sat.lnb_freq_low = 9750;
        sat.lnb_freq_high = 10600;
    } else if (const uint16_t f = fixed_lnb_frequency(sat.lnb_type)) {
        sat.lnb_freq_low = sat.lnb_freq_high = f;
    }
}

} // namespace korvid
