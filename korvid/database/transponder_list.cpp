#include "korvid/database/transponder_list.h"

#include "common/regular_file.h"
#include "common/strfmt.h"
#include "korvid/database/dvb_scan_table.h"
#include "korvid/database/satellites_xml.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <dirent.h>
#include <limits>

namespace korvid {

namespace {

// The largest satellites.xml in circulation is a few MiB.
constexpr size_t MAX_LIST_FILE = size_t(32) << 20;

std::string base_name(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string letters_and_digits(const std::string& name)
{
    std::string folded;
    for (unsigned char c : name)
        if (std::isalnum(c))
            folded += char(std::tolower(c));
    return folded;
}

struct CodeRate
{
    uint8_t numerator, denominator;
};
// The rates the record holds, by its FEC entry.
constexpr CodeRate RECORD_RATES[] = {{0, 0}, {1, 2}, {2, 3}, {3, 4}, {5, 6}, {7, 8}};

} // namespace

bool parse_unsigned(std::string_view text, uint64_t& value)
{
    if (text.empty() || text.size() > 18)
        return false;
    uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + uint64_t(c - '0');
    }
    value = v;
    return true;
}

bool parse_code_rate(std::string_view text, SourceTransponder& tp)
{
    std::string upper;
    for (char c : text)
        upper += char(std::toupper(static_cast<unsigned char>(c)));
    if (upper == "AUTO" || upper == "NONE") {
        tp.fec_numerator = tp.fec_denominator = 0;
        return true;
    }
    const size_t slash = upper.find('/');
    uint64_t n = 0, d = 0;
    if (slash == std::string::npos || !parse_unsigned(std::string_view(upper).substr(0, slash), n) ||
        !parse_unsigned(std::string_view(upper).substr(slash + 1), d) || n == 0 || d <= n || d > 255)
        return false;
    tp.fec_numerator = uint8_t(n);
    tp.fec_denominator = uint8_t(d);
    return true;
}

uint32_t thousandths_rounded(uint64_t value)
{
    const uint64_t r = (value + 500) / 1000;
    return r > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max() : uint32_t(r);
}

uint8_t record_fec(const SourceTransponder& tp, bool* exact)
{
    uint8_t best = 0;
    if (tp.fec_denominator != 0) {
        const double rate = double(tp.fec_numerator) / tp.fec_denominator;
        double best_gap = 2;
        for (uint8_t f = 1; f < std::size(RECORD_RATES); ++f) {
            const double gap =
                std::fabs(rate - double(RECORD_RATES[f].numerator) / RECORD_RATES[f].denominator);
            // Halfway between two, the lower rate: it protects the signal more.
            if (gap < best_gap - 1e-9) {
                best_gap = gap;
                best = f;
            }
        }
    }
    if (exact)
        *exact = RECORD_RATES[best].numerator * tp.fec_denominator ==
                     tp.fec_numerator * RECORD_RATES[best].denominator &&
                 (best != 0 || tp.fec_denominator == 0);
    return best;
}

std::string source_fec_text(const SourceTransponder& tp)
{
    if (tp.fec_denominator == 0)
        return "AUTO";
    return common::strfmt("%u/%u", unsigned(tp.fec_numerator), unsigned(tp.fec_denominator));
}

int position_from_file_name(const std::string& file_name)
{
    const std::string name = base_name(file_name);
    if (name.size() < 2)
        return NO_POSITION;
    const char side = char(std::toupper(static_cast<unsigned char>(name.back())));
    if (side != 'E' && side != 'W')
        return NO_POSITION;
    // Digits, a point and one decimal before the letter, set apart from the satellite's name.
    size_t start = name.size() - 1;
    while (start > 0 && (std::isdigit(static_cast<unsigned char>(name[start - 1])) || name[start - 1] == '.'))
        --start;
    const std::string number = name.substr(start, name.size() - 1 - start);
    const size_t point = number.find('.');
    uint64_t whole = 0, tenth = 0;
    if (point == std::string::npos || number.find('.', point + 1) != std::string::npos ||
        number.size() - point != 2 || !parse_unsigned(std::string_view(number).substr(0, point), whole) ||
        !parse_unsigned(std::string_view(number).substr(point + 1), tenth) || whole > 180)
        return NO_POSITION;
    if (start > 0 && name[start - 1] != '-' && name[start - 1] != '_')
        return NO_POSITION;
    const int tenths = int(whole * 10 + tenth);
    return side == 'W' ? -tenths : tenths;
}

int position_distance(int a, int b)
{
    const int d = std::abs(a - b) % 3600;
    return std::min(d, 3600 - d);
}

std::string position_text(int position)
{
    if (position == NO_POSITION)
        return "?";
    const int a = std::abs(position);
    return common::strfmt("%d.%d%c", a / 10, a % 10, position < 0 ? 'W' : 'E');
}

bool parse_transponder_list(std::string_view text,
                            const std::string& path,
                            TransponderList& list,
                            std::string& error)
{
    const size_t first = text.find_first_not_of(" \t\r\n");
    TransponderList read;
    read.path = path;
    // A byte-order mark before an XML declaration.
    const bool xml = first != std::string_view::npos &&
                     (text[first] == '<' || text.substr(first, 4) == std::string_view("\xEF\xBB\xBF<", 4));
    if (xml) {
        if (!parse_satellites_xml(text, path, read.satellites, error))
            return false;
    } else {
        SourceSatellite sat;
        sat.name = base_name(path);
        sat.position = position_from_file_name(path);
        if (!parse_scan_table(text, path, sat, error))
            return false;
        read.satellites.push_back(std::move(sat));
    }
    list = std::move(read);
    return true;
}

bool read_transponder_list(const std::string& path, TransponderList& list, std::string& error)
{
    std::string text, reason;
    if (!common::read_regular_file(path, text, reason, MAX_LIST_FILE)) {
        error = path + ": " + reason;
        return false;
    }
    return parse_transponder_list(text, path, list, error);
}

std::string find_scan_table(const std::string& folder, int position)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return {};
    std::vector<std::string> near;
    while (const dirent* e = ::readdir(dir)) {
        const int at = position_from_file_name(e->d_name);
        if (at != NO_POSITION && position_distance(at, position) <= SOURCE_POSITION_TOLERANCE)
            near.push_back(e->d_name);
    }
    ::closedir(dir);
    // Sorted so that the same folder always gives the same file.
    std::sort(near.begin(), near.end());
    std::string best;
    int best_distance = SOURCE_POSITION_TOLERANCE + 1;
    size_t best_count = 0;
    for (const std::string& name : near) {
        const std::string path = folder + "/" + name;
        TransponderList list;
        std::string error;
        if (!read_transponder_list(path, list, error) || list.satellites.empty())
            continue;
        const int distance = position_distance(position_from_file_name(name), position);
        const size_t count = list.satellites.front().transponders.size();
        if (count > 0 && (distance < best_distance || (distance == best_distance && count > best_count))) {
            best = path;
            best_distance = distance;
            best_count = count;
        }
    }
    return best;
}

int choose_source_satellite(const TransponderList& list, int position, const std::string& name)
{
    int best = -1;
    int best_distance = SOURCE_POSITION_TOLERANCE + 1;
    for (size_t i = 0; i < list.satellites.size(); ++i) {
        const int at = list.satellites[i].position;
        if (at == NO_POSITION)
            continue;
        const int distance = position_distance(at, position);
        if (distance < best_distance) {
            best = int(i);
            best_distance = distance;
        }
    }
    if (best >= 0)
        return best;
    const std::string wanted = letters_and_digits(name);
    for (size_t i = 0; i < list.satellites.size(); ++i)
        if (!wanted.empty() && letters_and_digits(list.satellites[i].name) == wanted)
            return int(i);
    if (list.satellites.size() == 1 && list.satellites.front().position == NO_POSITION)
        return 0;
    return -1;
}

} // namespace korvid
