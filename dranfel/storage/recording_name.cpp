#include "dranfel/storage/recording_name.h"

#include "common/byte_order.h"
#include "common/fd_io.h"
#include "common/regular_file.h"
#include "common/strfmt.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

namespace dranfel {

namespace {

// Where "_#" starts, ignoring a marker at the very first character; npos when absent.
size_t marker_of(const std::string& name)
{
    if (name.size() < 3)
        return std::string::npos;
    return name.find("_#", 1);
}

// The decimal number at the start of name[pos, pos+width): leading digits only, 0 for none.
int leading_number(const std::string& name, size_t pos, size_t width)
{
    int value = 0;
    for (size_t i = pos; i < name.size() && i < pos + width; ++i) {
        char c = name[i];
        if (c < '0' || c > '9')
            break;
        value = value * 10 + (c - '0');
    }
    return value;
}

struct SplitPath
{
    std::string dir;  // with its trailing '/'
    std::string base; // without extension
    std::string ext;  // with its dot, or empty
};

SplitPath split_path(const std::string& path)
{
    SplitPath s;
    size_t slash = path.rfind('/');
    size_t name_start = slash == std::string::npos ? 0 : slash + 1;
    s.dir = path.substr(0, name_start);
    std::string name = path.substr(name_start);
    size_t dot = name.rfind('.');
    if (dot == std::string::npos) {
        s.base = name;
    } else {
        s.base = name.substr(0, dot);
        s.ext = name.substr(dot);
    }
    return s;
}

// ".AVR" or ".AVF" (`kind` 'R' or 'F') written as `given` is when that is one of the two, in
// any case; the receiver's own upper case otherwise.
std::string recording_extension(const std::string& given, char kind)
{
    const bool ours = ::strcasecmp(given.c_str(), ".avr") == 0 || ::strcasecmp(given.c_str(), ".avf") == 0;
    if (!ours)
        return kind == 'R' ? ".AVR" : ".AVF";
    std::string ext = given;
    ext[3] = given[3] >= 'a' && given[3] <= 'z' ? char(kind - 'A' + 'a') : kind;
    return ext;
}

std::string build_part_name(const std::string& prefix,
                            const std::string& title,
                            int part,
                            const std::string& date,
                            int suffix,
                            const std::string& ext)
{
    if (suffix == 0)
        return common::strfmt("%s%s_#%03d_%s%s", prefix.c_str(), title.c_str(), part, date.c_str(),
                              ext.c_str());
    return common::strfmt("%s%s_#%03d_%s_%03d%s", prefix.c_str(), title.c_str(), part, date.c_str(), suffix,
                          ext.c_str());
}

// Reads the whole information file of a part path; false when it cannot be opened or is short.
bool read_info_file(const std::string& part_path, uint8_t* info)
{
    int fd = common::open_regular_file(info_file_of(part_path));
    if (fd < 0)
        return false;
    const ssize_t got = common::read_all(fd, info, AVF_FILE_SIZE);
    ::close(fd);
    return got == ssize_t(AVF_FILE_SIZE);
}

} // namespace

std::string info_file_of(const std::string& part_path)
{
    SplitPath s = split_path(part_path);
    return s.dir + s.base + recording_extension(s.ext, 'F');
}

bool has_extension(const std::string& path, const char* ext)
{
    size_t slash = path.rfind('/');
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return false;
    return ::strcasecmp(path.c_str() + dot, ext) == 0;
}

bool RecordingName::parse(const std::string& path, ParsedRecordingName& out)
{
    SplitPath s = split_path(path);
    if (s.base.size() > MAX_BASE_NAME_LEN || title_of(s.base + s.ext).size() > MAX_TITLE_LEN)
        return false;
    out = fields_of(path);
    return true;
}

ParsedRecordingName RecordingName::fields_of(const std::string& path)
{
    SplitPath s = split_path(path);
    std::string name = s.base + s.ext;
    Date d = date_of(name);
    ParsedRecordingName out;
    out.prefix = s.dir;
    out.title = title_of(name);
    out.part = part_of(name);
    out.date = common::strfmt("%04d%02d%02d%02d%02d", d.year, d.month, d.day, d.hour, d.minute);
    out.suffix = suffix_of(name);
    out.ext = s.ext;
    return out;
}

std::string RecordingName::part_file_name(
    const std::string& prefix, const std::string& title, int part, const std::string& date, int suffix)
{
    return build_part_name(prefix, title, part, date, suffix, ".AVR");
}

std::string RecordingName::part_file_name(const ParsedRecordingName& name, int part)
{
    return build_part_name(name.prefix, name.title, part, name.date, name.suffix,
                           recording_extension(name.ext, 'R'));
}

std::string RecordingName::info_file_name(const std::string& prefix,
                                          const std::string& title,
                                          const std::string& date,
                                          int suffix)
{
    if (suffix == 0)
        return common::strfmt("%s%s_#%03d_%s.AVF", prefix.c_str(), title.c_str(), 1, date.c_str());
    return common::strfmt("%s%s_#%03d_%s_%03d.AVF", prefix.c_str(), title.c_str(), 1, date.c_str(), suffix);
}

std::string RecordingName::title_of(const std::string& name)
{
    size_t m = marker_of(name);
    return m == std::string::npos ? std::string() : name.substr(0, m);
}

int RecordingName::part_of(const std::string& name)
{
    size_t m = marker_of(name);
    return m == std::string::npos ? 0 : leading_number(name, m + 2, 3);
}

RecordingName::Date RecordingName::date_of(const std::string& name)
{
    size_t m = marker_of(name);
    if (m == std::string::npos || name.size() < m + 6 + 12)
        return {2005, 1, 1, 0, 0};
    size_t p = m + 6; // past "_#NNN_"
    return {leading_number(name, p, 4), leading_number(name, p + 4, 2), leading_number(name, p + 6, 2),
            leading_number(name, p + 8, 2), leading_number(name, p + 10, 2)};
}

int RecordingName::suffix_of(const std::string& name)
{
    size_t n = name.size();
    if (n <= 7 || marker_of(name) == std::string::npos || name[n - 8] != '_')
        return 0;
    return leading_number(name, n - 7, 3);
}

int RecordingName::part_count(const uint8_t* info, size_t len)
{
    if (!info || len < AVF_FILE_SIZE)
        return 0;
    return common::load_be16(info + AVF_PART_COUNT_OFFSET);
}

int64_t RecordingName::total_size(const uint8_t* info, size_t len)
{
    if (!info || len < AVF_FILE_SIZE)
        return 0;
    const uint8_t* p = info + AVF_TOTAL_SIZE_OFFSET;
    uint64_t v = (uint64_t(common::load_be32(p)) << 32) | common::load_be32(p + 4);
    return int64_t(v);
}

int RecordingName::part_count_of(const std::string& path)
{
    if (!has_extension(path, ".avr"))
        return -1;
    uint8_t info[AVF_FILE_SIZE];
    if (!read_info_file(path, info))
        return 0;
    return part_count(info, sizeof info);
}

int64_t RecordingName::total_size_of(const std::string& path)
{
    if (!has_extension(path, ".avr"))
        return -1;
    uint8_t info[AVF_FILE_SIZE];
    if (!read_info_file(path, info))
        return 0;
    return total_size(info, sizeof info);
}

void RecordingName::write_receiver_path(uint8_t field[124], const std::string& receiver_path)
{
    // Byte 123 is left as it was unless a 123-character path needs it for the NUL.
    std::memset(field, 0, RECEIVER_PATH_FIELD_SIZE - 1);
    size_t out = 0;
    size_t i = 0;
    const size_t n = receiver_path.size();
    auto put = [&](uint32_t unit) {
        if (out < RECEIVER_PATH_FIELD_SIZE - 1)
            field[out++] = uint8_t(unit & 0xFF);
    };
    // Decode UTF-8 into UTF-16 units; a byte that is not valid UTF-8 stands for itself.
    while (i < n && out < RECEIVER_PATH_FIELD_SIZE - 1) {
        uint8_t c = uint8_t(receiver_path[i]);
        uint32_t cp = c;
        size_t len = 1;
        if (c >= 0xC2 && c <= 0xDF)
            len = 2, cp = c & 0x1F;
        else if (c >= 0xE0 && c <= 0xEF)
            len = 3, cp = c & 0x0F;
        else if (c >= 0xF0 && c <= 0xF4)
            len = 4, cp = c & 0x07;
        bool valid = len == 1 || i + len <= n;
        for (size_t k = 1; valid && k < len; ++k) {
            uint8_t cc = uint8_t(receiver_path[i + k]);
            if ((cc & 0xC0) != 0x80)
                valid = false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (!valid) {
            put(c);
            ++i;
            continue;
        }
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            put(0xD800 | (cp >> 10));
            put(0xDC00 | (cp & 0x3FF));
        } else {
            put(cp);
        }
    }
    field[out] = 0;
}

} // namespace dranfel
