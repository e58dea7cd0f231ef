#pragma once
// The names of a recording's files and the few fields of those files that the storage manager
// reads or writes. A recording is one or more part files (.AVR: a header, then the transport
// stream) and one information file (.AVF). Every name follows
//     <title>_#<part:3>_<YYYYMMDDhhmm>[_<suffix:3>].<ext>
// and the information file always carries part number 1, so it shares its base name with part 1.
#include <cstddef>
#include <cstdint>
#include <string>

namespace dranfel {

// Sizes and field offsets of the two file kinds; everything else in them is carried unchanged.
constexpr size_t AVF_FILE_SIZE = 8008;
constexpr size_t AVF_PATH_OFFSET = 806;
constexpr size_t AVF_PART_COUNT_OFFSET = 1740; // u16, big-endian
constexpr size_t AVF_TOTAL_SIZE_OFFSET = 1744; // u64, big-endian
constexpr size_t AVR_HEADER_SIZE = 134;
constexpr size_t AVR_TS_OFFSET_OFFSET = 8; // u16, big-endian
constexpr size_t AVR_PATH_OFFSET = 10;
constexpr size_t RECEIVER_PATH_FIELD_SIZE = 124;

constexpr size_t MAX_TITLE_LEN = 32;
constexpr size_t MAX_BASE_NAME_LEN = 60;

struct ParsedRecordingName
{
    std::string prefix; // directory with its trailing '/', or empty
    std::string title;
    int part = 0;
    std::string date; // twelve digits YYYYMMDDhhmm
    int suffix = 0;
    std::string ext; // as written, with its dot (".AVR", ".avr"), or empty
};

class RecordingName
{
public:
    // Splits a path into its five fields. False only on the length limits (base name of 61
    // characters or more, title of more than 32); names that do not follow the pattern still
    // parse, with an empty title, part 0, the date 200501010000 and suffix 0 for what is missing.
    static bool parse(const std::string& path, ParsedRecordingName& out);
    // The same fields whatever their lengths. The limits above are the receiver's rules for names
    // it makes; a recording already on a disk (renamed by hand, written by another tool) must still
    // be found whole by the copy, move and delete that work on it.
    static ParsedRecordingName fields_of(const std::string& path);

    static std::string part_file_name(
        const std::string& prefix, const std::string& title, int part, const std::string& date, int suffix);
    // Part `part` of the recording `name` belongs to. A disk written by another tool may hold
    // ".avr" parts, and what we build must name the files that are there: the extension keeps the
    // case of name.ext, which may itself be the information file's (".avf" gives ".avr").
    static std::string part_file_name(const ParsedRecordingName& name, int part);
    static std::string
    info_file_name(const std::string& prefix, const std::string& title, const std::string& date, int suffix);

    // These take a file name (base name and extension, no directory). The marker "_#" counts only
    // after the first character.
    static std::string title_of(const std::string& name);
    static int part_of(const std::string& name);
    struct Date
    {
        int year, month, day, hour, minute;
    };
    // 2005-01-01 00:00 when the name carries no full date.
    static Date date_of(const std::string& name);
    static int suffix_of(const std::string& name);

    // Fields of the information file's contents; `len` is what is actually there, and anything
    // shorter than the whole 8008 bytes gives 0.
    static int part_count(const uint8_t* info, size_t len);
    static int64_t total_size(const uint8_t* info, size_t len);

    // For a path with extension .avr (any case), read the information file of that path (the same
    // path with .AVF, see info_file_of): its part count or total size, 0 when it cannot be read whole; -1 for
    // a path with another extension.
    static int part_count_of(const std::string& path);
    static int64_t total_size_of(const std::string& path);

    // Stores a receiver path ("C:\REC\...") in a 124-byte path field: the first 123 bytes are
    // zeroed, then at most 123 characters are written as single bytes followed by a NUL. Each
    // character is the low byte of its UTF-16 unit, so Latin-1 letters survive as one byte.
    static void write_receiver_path(uint8_t field[124], const std::string& receiver_path);
};

// The information file of a part path: the same path with its extension replaced by ".AVF", in
// the case the part's extension is written in (".avr" gives ".avf", ".Avr" gives ".Avf").
std::string info_file_of(const std::string& part_path);

// Case-insensitive comparison of a path's extension (".avr", ".mp3", ...; with the dot).
bool has_extension(const std::string& path, const char* ext);

// The header of a part file. `len` is the number of bytes present; a header shorter than the
// field gives 0.
inline uint16_t avr_ts_offset(const uint8_t* header, size_t len)
{
    if (len < AVR_TS_OFFSET_OFFSET + 2)
        return 0;
    return uint16_t((unsigned(header[AVR_TS_OFFSET_OFFSET]) << 8) | header[AVR_TS_OFFSET_OFFSET + 1]);
}

} // namespace dranfel
