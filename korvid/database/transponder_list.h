#pragma once
// Public lists of the transponders satellites carry, as read from the two kinds of file that ship
// them: the DVB scan tables of the Linux distributions (one file per satellite, its orbital position
// in the file's name) and a satellites.xml (any number of satellites, each with its position). Both
// give the same thing here: per satellite, its name, its position and its transponders in the units
// the receiver's records use. A file with a fault gives no list at all, only the file and line of
// the first fault, so a half-read list is never taken for the whole one.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvid {

// Where the distributions install the scan tables of satellite reception.
constexpr const char* DEFAULT_SCAN_TABLE_FOLDER = "/usr/share/dvb/dvb-s";
// A list may hold a satellite up to this far from the one it is used for (tenths of a degree): lists
// round positions differently (13.0E, 13.1E).
constexpr int SOURCE_POSITION_TOLERANCE = 2;
// A position no file gave (a scan table whose name carries none).
constexpr int NO_POSITION = -32768;

enum class DeliverySystem : uint8_t
{
    DvbS,
    DvbS2
};

struct SourceTransponder
{
    uint32_t frequency = 0;   // MHz, rounded from the list's kHz
    uint32_t symbol_rate = 0; // kSymbols/s, rounded from the list's symbols/s
    uint8_t polarisation = 0; // as the record holds it: 0 vertical, 1 horizontal
    // The code rate as a fraction; 0/0 is "automatic".
    uint8_t fec_numerator = 0;
    uint8_t fec_denominator = 0;
    DeliverySystem system = DeliverySystem::DvbS;
    int line = 0; // where the entry begins in its file
};

struct SourceSatellite
{
    std::string name;
    int position = NO_POSITION; // tenths of a degree, negative West
    std::vector<SourceTransponder> transponders;
};

struct TransponderList
{
    std::string path;
    std::vector<SourceSatellite> satellites;
};

// Reads a scan table or a satellites.xml, told apart by their contents (XML begins with '<').
// False with "FILE:LINE: what is wrong" (or "FILE: reason" for a file that cannot be read).
bool read_transponder_list(const std::string& path, TransponderList& list, std::string& error);
// The same on text already read; `path` names it in messages and, for a scan table, gives its
// satellite's name and position.
bool parse_transponder_list(std::string_view text,
                            const std::string& path,
                            TransponderList& list,
                            std::string& error);

// The position a scan table's file name ends in: "Hotbird-13.0E" 130, "Eutelsat5_5.0W" -50;
// NO_POSITION when it ends in none.
int position_from_file_name(const std::string& file_name);
// The orbital distance of two positions in tenths of a degree, across the 180th meridian too.
int position_distance(int a, int b);
// "13.0E", "30.0W"; "?" for NO_POSITION.
std::string position_text(int position);

// The installed scan table for a position: among the files of `folder` whose names end within
// SOURCE_POSITION_TOLERANCE of it, the nearest, and of those the one with the most transponders
// (several files may share a position; most of them list a single carrier). Empty when there is
// none; files that fail to parse are passed over.
std::string find_scan_table(const std::string& folder, int position);

// The satellite of a list that stands for a database satellite: the nearest within
// SOURCE_POSITION_TOLERANCE; else the one of the same name (letters and digits compared, letter case
// ignored); else, in a list of one satellite of unknown position (a scan table the user named), that
// one. -1 when none does.
int choose_source_satellite(const TransponderList& list, int position, const std::string& name);

// The FEC entry of the receiver's record (0 AUTO, 1 1/2, 2 2/3, 3 3/4, 4 5/6, 5 7/8) nearest to a
// code rate; `exact` says whether the record holds the rate itself.
uint8_t record_fec(const SourceTransponder& tp, bool* exact = nullptr);
// "3/4", "AUTO".
std::string source_fec_text(const SourceTransponder& tp);

// What both readers take alike. A whole decimal number of at most 18 digits (no sign, no spaces).
bool parse_unsigned(std::string_view text, uint64_t& value);
// "AUTO", "NONE" (the code rate is the tuner's to find) or "N/M", letter case ignored.
bool parse_code_rate(std::string_view text, SourceTransponder& tp);
// Units to the record's, rounded: kHz to MHz, symbols/s to kSymbols/s.
uint32_t thousandths_rounded(uint64_t value);

} // namespace korvid
