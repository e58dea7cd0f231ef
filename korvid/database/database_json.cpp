#include "korvid/database/database_json.h"

#include "common/atomic_file.h"
#include "common/regular_file.h"
#include "common/strfmt.h"
#include "korvid/database/image_layout.h"
#include "korvid/database/ird_file.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace korvid {

namespace {

using json = nlohmann::ordered_json;

constexpr const char* FORMAT_NAME = "korvid channel database";
constexpr int ROW_BYTES = 32; // bytes per line of a carried region
constexpr size_t MAX_JSON_FILE = 64u << 20;

const char* const LNB_TYPE_NAMES[] = {"UNI_LNB",      "SINGLE_5150",  "SINGLE_9750",  "SINGLE_10000",
                                      "SINGLE_10050", "SINGLE_10600", "SINGLE_10750", "SINGLE_11200",
                                      "SINGLE_11475", "USER_DEFINE"};
const char* const POLARISATION_NAMES[] = {"V", "H"};
const char* const FEC_NAMES[] = {"AUTO", "1/2", "2/3", "3/4", "5/6", "7/8"};

// ---------------------------------------------------------------------------------------------
// What an untouched slot holds. Such slots are left out of the text and rebuilt from here.

template <class T> bool same_bytes(const T& a, const T& b)
{
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

// The slots the text leaves out hold what the database's own reset writes over zeros.
tChannelStructure empty_channel()
{
    tChannelStructure ch;
    std::memset(&ch, 0, sizeof ch);
    Database::reset_channel(ch);
    return ch;
}

// The language byte shared by the slots the text leaves out: the most common one among the empty
// slots (0xFF after edits, 0 in a table that was never used), so that neither kind lists them all.
uint8_t unlisted_language_byte(const Database& db)
{
    static const tChannelStructure empty = empty_channel();
    int counts[256] = {};
    for (int i = 0; i < MAX_CHAN_NUM; ++i)
        if (same_bytes(db.channels[i], empty))
            ++counts[db.language_bytes[i]];
    int best = 0xFF;
    for (int v = 0; v < 256; ++v)
        if (counts[v] > counts[best])
            best = v;
    return uint8_t(best);
}

tSatellite empty_satellite()
{
    tSatellite s;
    std::memset(&s, 0, sizeof s);
    Database::clear_satellite(s);
    return s;
}

tTransponder empty_transponder()
{
    tTransponder t;
    std::memset(&t, 0, sizeof t);
    Database::clear_transponder(t);
    return t;
}

bool all_zero(const uint8_t* p, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        if (p[i])
            return false;
    return true;
}

bool satellite_listed(const Database& db, int s)
{
    static const tSatellite empty = empty_satellite();
    return !same_bytes(db.satellites[s], empty) ||
           !all_zero(reinterpret_cast<const uint8_t*>(db.sat_names[s]), MAX_SATNAME_LEN);
}

bool channel_listed(const Database& db, int slot, uint8_t unlisted_language)
{
    static const tChannelStructure empty = empty_channel();
    return !same_bytes(db.channels[slot], empty) || db.language_bytes[slot] != unlisted_language;
}

bool ext_audio_listed(const Database& db, int r)
{
    return !all_zero(reinterpret_cast<const uint8_t*>(&db.ext_audio[r]), sizeof(extend_audio));
}

// ---------------------------------------------------------------------------------------------
// Writing

const char HEX[] = "0123456789abcdef";

class Writer
{
public:
    std::string out;

    [[gnu::format(printf, 2, 3)]] void put(const char* fmt, ...)
    {
        va_list ap;
        va_start(ap, fmt);
        common::vappendf(out, fmt, ap);
        va_end(ap);
    }
    void raw(const char* s) { out += s; }
    void key(const char* k)
    {
        out += '"';
        out += k;
        out += "\": ";
    }
    void num(const char* k, long v)
    {
        key(k);
        put("%ld", v);
    }
    void hex_value(const char* k, uint16_t v)
    {
        key(k);
        put("\"0x%04X\"", v);
    }
    void hex_bytes(const char* k, const uint8_t* p, size_t n)
    {
        key(k);
        out += '"';
        append_hex(p, n);
        out += '"';
    }
    void append_hex(const uint8_t* p, size_t n)
    {
        for (size_t i = 0; i < n; ++i) {
            out += HEX[p[i] >> 4];
            out += HEX[p[i] & 15];
        }
    }
    // A fixed name cell: trailing NULs are padding and are dropped; everything before the last
    // non-NUL byte is kept, NULs included, so that no byte of the cell is lost.
    void name(const char* k, const uint8_t* p, size_t cell)
    {
        size_t len = cell;
        while (len > 0 && p[len - 1] == 0)
            --len;
        key(k);
        out += '"';
        for (size_t i = 0; i < len; ++i) {
            uint8_t c = p[i];
            if (c == '\\')
                out += "\\\\\\\\";
            else if (c == '"')
                out += "\\\"";
            else if (c >= 0x20 && c < 0x7F)
                out += char(c);
            else {
                out += "\\\\x";
                out += HEX[c >> 4];
                out += HEX[c & 15];
            }
        }
        out += '"';
    }
    void numbers(const char* k, const uint16_t* v, size_t n)
    {
        key(k);
        out += '[';
        for (size_t i = 0; i < n; ++i)
            put(i ? ", %u" : "%u", v[i]);
        out += ']';
    }
    void numbers(const char* k, const uint8_t* v, size_t n)
    {
        key(k);
        out += '[';
        for (size_t i = 0; i < n; ++i)
            put(i ? ", %u" : "%u", v[i]);
        out += ']';
    }
    void enum_name(const char* k, uint8_t v, const char* const* names, size_t count)
    {
        key(k);
        if (v < count)
            put("\"%s\"", names[v]);
        else
            put("%u", v);
    }
    // A carried region as rows of ROW_BYTES, only the rows that are not all zero.
    void rows(const char* k, const uint8_t* p, size_t n, const char* indent)
    {
        key(k);
        out += '[';
        bool first = true;
        for (size_t off = 0; off < n; off += ROW_BYTES) {
            size_t len = std::min<size_t>(ROW_BYTES, n - off);
            if (all_zero(p + off, len))
                continue;
            out += first ? "\n" : ",\n";
            first = false;
            out += indent;
            put("  \"%04zx: ", off);
            append_hex(p + off, len);
            out += '"';
        }
        if (!first) {
            out += '\n';
            out += indent;
        }
        out += ']';
    }
};

void write_satellites(const Database& db, Writer& w)
{
    w.raw("  \"satellites\": [");
    bool first = true;
    for (int s = 0; s < MAX_SAT_NUM; ++s) {
        if (!satellite_listed(db, s))
            continue;
        const tSatellite& sat = db.satellites[s];
        w.raw(first ? "\n    {" : ",\n    {");
        first = false;
        w.num("slot", s);
        w.raw(", ");
        w.num("sat_id", sat.sat_id);
        w.raw(", ");
        w.name("name", reinterpret_cast<const uint8_t*>(db.sat_names[s]), MAX_SATNAME_LEN);
        w.raw(", ");
        w.num("position", sat.position);
        w.raw(", ");
        w.enum_name("lnb_type", sat.lnb_type, LNB_TYPE_NAMES, std::size(LNB_TYPE_NAMES));
        w.raw(", ");
        w.num("lnb_freq_low", sat.lnb_freq_low);
        w.raw(", ");
        w.num("lnb_freq_high", sat.lnb_freq_high);
        w.raw(", ");
        w.num("lnb_control", sat.lnb_control);
        w.raw(", ");
        w.num("diseqc", sat.DiSEqC_Cfg);
        w.raw(", ");
        w.num("diseqc_port", sat.DiSEqC_idx);
        w.raw(", ");
        w.num("tuner", sat.tuner_connection);
        w.raw(", ");
        w.num("positioner", sat.positioner);
        w.raw(", ");
        w.num("positioner_position", sat.positioner_position);
        w.raw(", ");
        const uint8_t carried[2] = {sat.carried14, sat.carried15};
        w.hex_bytes("carried", carried, 2);
        w.raw("}");
    }
    w.raw(first ? "],\n" : "\n  ],\n");
}

void write_transponders(const Database& db, Writer& w)
{
    static const tTransponder empty = empty_transponder();
    w.raw("  \"transponders\": [");
    bool first = true;
    for (int t = 0; t < MAX_TP_NUM; ++t) {
        const tTransponder& tp = db.transponders[t];
        if (same_bytes(tp, empty))
            continue;
        w.raw(first ? "\n    {" : ",\n    {");
        first = false;
        w.num("slot", t);
        w.raw(", ");
        w.num("sat_id", tp.sat_id);
        w.raw(", ");
        w.num("frequency", tp.frequency);
        w.raw(", ");
        w.enum_name("polarisation", tp.polarisation, POLARISATION_NAMES, std::size(POLARISATION_NAMES));
        w.raw(", ");
        w.num("symbol_rate", tp.symbol_rate);
        w.raw(", ");
        w.enum_name("fec", tp.fec, FEC_NAMES, std::size(FEC_NAMES));
        w.raw(", ");
        w.num("sr_offset", tp.sr_offset);
        w.raw(", ");
        const uint8_t carried[2] = {uint8_t(tp.carried1), tp.carried9};
        w.hex_bytes("carried", carried, 2);
        w.raw("}");
    }
    w.raw(first ? "],\n" : "\n  ],\n");
}

void write_channels(const Database& db, int type, uint8_t unlisted_language, Writer& w)
{
    w.raw(type == SERVICE_TV ? "  \"tv_channels\": [" : "  \"radio_channels\": [");
    bool first = true;
    int base = first_slot_of(type);
    for (int i = 0; i < slot_count_of(type); ++i) {
        if (!channel_listed(db, base + i, unlisted_language))
            continue;
        const tChannelStructure& ch = db.channels[base + i];
        w.raw(first ? "\n    {" : ",\n    {");
        first = false;
        w.num("slot", i);
        w.raw(", ");
        w.name("name", ch.name, CHAN_NAME_LEN);
        w.raw(", ");
        w.num("transponder", ch.tp_index);
        w.raw(", ");
        w.num("service_id", ch.service_id);
        w.raw(", ");
        w.num("video_pid", ch.video_pid);
        w.raw(", ");
        w.numbers("audio_pids", ch.audio_pid, AUDIO_PID_NUM);
        w.raw(", ");
        w.num("pcr_pid", ch.pcr_pid);
        w.raw(", ");
        w.num("teletext_pid", ch.ttx_pid);
        w.raw(", ");
        w.num("attributes", ch.attributes);
        w.raw(", ");
        w.num("favourites", ch.fav_membership);
        w.raw(", ");
        w.numbers("languages", ch.audio_lang, AUDIO_PID_NUM);
        w.raw(", ");
        w.num("language_byte", db.language_bytes[base + i]);
        w.raw(", ");
        w.num("ext_audio", ch.ext_audio_index);
        w.raw(", ");
        w.num("ci_marker", ch.ci_marker);
        w.raw(", ");
        w.num("carried_pid", ch.carried_pid);
        w.raw(", ");
        w.hex_bytes("carried", &ch.carried43, 1);
        w.raw("}");
    }
    w.raw(first ? "],\n" : "\n  ],\n");
}

void write_extended_audio(const Database& db, Writer& w)
{
    w.raw("  \"extended_audio\": [");
    bool first = true;
    for (int r = 0; r < MAX_EXAUD_NUM; ++r) {
        if (!ext_audio_listed(db, r))
            continue;
        const extend_audio& ea = db.ext_audio[r];
        w.raw(first ? "\n    {" : ",\n    {");
        first = false;
        w.num("record", r);
        w.raw(", ");
        w.num("in_use", ea.in_use);
        w.raw(", ");
        w.num("count", ea.count);
        w.raw(", ");
        w.numbers("pids", ea.pid, MAX_EXAUD_PIDS);
        w.raw(", ");
        w.hex_bytes("pid_bytes", ea.pid_byte, MAX_EXAUD_PIDS);
        w.raw("}");
    }
    w.raw(first ? "],\n" : "\n  ],\n");
}

void write_favourite_list(const Database& db, int group, int type, Writer& w)
{
    const uint16_t* list = db.fav_list(group, type);
    int used = MAX_FAVCHAN_NUM;
    while (used > 0 && list[used - 1] == INVALID_FAVENTRY)
        --used;
    w.key(type == SERVICE_TV ? "tv" : "radio");
    w.raw("{");
    w.num("count", db.system.fav_count[fav_list_index(group, type)]);
    w.raw(", ");
    w.num("cursor", db.cursor.fav_cursor[fav_list_index(group, type)]);
    w.raw(", ");
    w.numbers("entries", list, size_t(used));
    w.raw("}");
}

void write_favourites(const Database& db, Writer& w)
{
    w.raw("  \"favourites\": [");
    for (int g = 0; g < MAX_FAVGROUP_NUM; ++g) {
        w.raw(g ? ",\n    {" : "\n    {");
        w.num("group", g);
        w.raw(", ");
        w.name("name", db.fav_names[g], MAX_FAVNAME_LEN);
        w.raw(",\n     ");
        write_favourite_list(db, g, SERVICE_TV, w);
        w.raw(",\n     ");
        write_favourite_list(db, g, SERVICE_RADIO, w);
        w.raw("}");
    }
    w.raw("\n  ],\n");
}

void write_blocks(const Database& db, Writer& w)
{
    const auto* sys = reinterpret_cast<const uint8_t*>(&db.system);
    w.raw("  \"system\": {");
    w.hex_value("syscode", db.system.syscode);
    w.raw(", ");
    w.numbers("channel_count", db.system.chan_count, 2);
    w.raw(", ");
    w.hex_value("carried36", db.system.carried36);
    w.raw(", ");
    w.hex_value("carried38", db.system.carried38);
    w.raw(", ");
    w.hex_value("carried46", db.system.carried46);
    w.raw(",\n             ");
    w.hex_bytes("bytes_2_19", sys + 2, 18);
    w.raw(", ");
    w.hex_bytes("bytes_32_35", sys + 32, 4);
    w.raw(", ");
    w.hex_bytes("bytes_40_45", sys + 40, 6);
    w.raw(", ");
    w.hex_bytes("bytes_48_55", sys + 48, 8);
    w.raw("},\n");
    w.raw("  \"cursor\": {");
    w.numbers("current_channel", db.cursor.current_chan, 2);
    w.raw(", ");
    w.hex_bytes("bytes_12_17", db.cursor.carried12, 6);
    w.raw("},\n");
}

void write_regions(const Database& db, Writer& w)
{
    w.raw("  \"regions\": {\n    ");
    w.rows("region1", db.region1, sizeof db.region1, "    ");
    w.raw(",\n    ");
    w.rows("region2", db.region2, sizeof db.region2, "    ");
    w.raw(",\n    ");
    w.rows("region3", db.region3, sizeof db.region3, "    ");
    w.raw(",\n    ");
    w.rows("region4", db.region4, sizeof db.region4, "    ");
    w.raw("\n  }\n");
}

// ---------------------------------------------------------------------------------------------
// Reading. The first problem found ends the build; its message starts with the JSON path.

std::string join(const std::string& path, const char* key)
{
    return path.empty() ? key : path + "." + key;
}
std::string join(const std::string& path, size_t index)
{
    return path + "[" + std::to_string(index) + "]";
}

class Reader
{
public:
    std::string error;

    bool fail(const std::string& path, const std::string& what)
    {
        if (error.empty())
            error = (path.empty() ? std::string("top level") : path) + ": " + what;
        return false;
    }

    // The object has exactly these keys.
    bool object(const json& j, const std::string& path, std::initializer_list<const char*> keys)
    {
        if (!j.is_object())
            return fail(path, "expected an object");
        for (const auto& item : j.items()) {
            bool known = false;
            for (const char* k : keys)
                known = known || item.key() == k;
            if (!known)
                return fail(join(path, item.key().c_str()), "unknown key");
        }
        for (const char* k : keys)
            if (!j.contains(k))
                return fail(path, common::strfmt("missing key \"%s\"", k));
        return true;
    }

    bool array(const json& j, const std::string& path, size_t min_len, size_t max_len)
    {
        if (!j.is_array())
            return fail(path, "expected a list");
        if (j.size() < min_len || j.size() > max_len) {
            if (min_len == max_len)
                return fail(path, common::strfmt("expected %zu entries, found %zu", min_len, j.size()));
            return fail(path, common::strfmt("expected at most %zu entries, found %zu", max_len, j.size()));
        }
        return true;
    }

    bool integer(const json& j, const std::string& path, long long lo, long long hi, long long& out)
    {
        if (j.is_number_unsigned()) {
            auto v = j.get<unsigned long long>();
            if (v > (unsigned long long)std::numeric_limits<long long>::max() || (long long)v > hi)
                return fail(path, common::strfmt("%llu is out of range (%lld to %lld)", v, lo, hi));
            out = (long long)v;
            return true;
        }
        if (j.is_number_integer()) {
            out = j.get<long long>();
            if (out < lo || out > hi)
                return fail(path, common::strfmt("%lld is out of range (%lld to %lld)", out, lo, hi));
            return true;
        }
        return fail(path, "expected a whole number");
    }

    template <class T> bool number(const json& obj, const char* key, const std::string& path, T& out)
    {
        long long v = 0;
        if (!integer(obj.at(key), join(path, key), std::numeric_limits<T>::min(),
                     std::numeric_limits<T>::max(), v))
            return false;
        out = T(v);
        return true;
    }

    template <class T>
    bool numbers(const json& obj, const char* key, const std::string& path, T* out, size_t n)
    {
        const json& list = obj.at(key);
        std::string p = join(path, key);
        if (!array(list, p, n, n))
            return false;
        for (size_t i = 0; i < n; ++i) {
            long long v = 0;
            if (!integer(list[i], join(p, i), std::numeric_limits<T>::min(), std::numeric_limits<T>::max(),
                         v))
                return false;
            out[i] = T(v);
        }
        return true;
    }

    bool slot(const json& obj,
              const char* key,
              const std::string& path,
              int count,
              std::vector<bool>& seen,
              int& out)
    {
        long long v = 0;
        if (!integer(obj.at(key), join(path, key), 0, count - 1, v))
            return false;
        if (seen[size_t(v)])
            return fail(join(path, key), common::strfmt("%lld is given twice", v));
        seen[size_t(v)] = true;
        out = int(v);
        return true;
    }

    static int hex_digit(char c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

    bool hex_text(const std::string& s, const std::string& path, uint8_t* out, size_t n)
    {
        if (s.size() != 2 * n)
            return fail(path, common::strfmt("expected %zu hex digits (%zu bytes), found %zu characters",
                                             2 * n, n, s.size()));
        for (size_t i = 0; i < n; ++i) {
            int hi = hex_digit(s[2 * i]), lo = hex_digit(s[2 * i + 1]);
            if (hi < 0 || lo < 0)
                return fail(path,
                            common::strfmt("bad hex digit at character %zu", hi < 0 ? 2 * i + 1 : 2 * i + 2));
            out[i] = uint8_t(hi << 4 | lo);
        }
        return true;
    }

    bool hex_bytes(const json& obj, const char* key, const std::string& path, uint8_t* out, size_t n)
    {
        const json& j = obj.at(key);
        if (!j.is_string())
            return fail(join(path, key), "expected a string of hex digits");
        return hex_text(j.get_ref<const std::string&>(), join(path, key), out, n);
    }

    // "0x1234": a 16-bit value written in hex.
    bool hex_value(const json& obj, const char* key, const std::string& path, uint16_t& out)
    {
        const json& j = obj.at(key);
        std::string p = join(path, key);
        if (!j.is_string())
            return fail(p, "expected a hex value such as \"0x5A5A\"");
        const auto& s = j.get_ref<const std::string&>();
        if (s.size() < 3 || s.size() > 6 || s[0] != '0' || (s[1] != 'x' && s[1] != 'X'))
            return fail(p, "expected a hex value of at most four digits such as \"0x5A5A\"");
        unsigned v = 0;
        for (size_t i = 2; i < s.size(); ++i) {
            int d = hex_digit(s[i]);
            if (d < 0)
                return fail(p, common::strfmt("bad hex digit '%c'", s[i]));
            v = v << 4 | unsigned(d);
        }
        out = uint16_t(v);
        return true;
    }

    // A name as the dump writes it: printable ASCII, "\\" and "\xHH". The cell is NUL-padded.
    bool name(const json& obj, const char* key, const std::string& path, uint8_t* out, size_t cell)
    {
        const json& j = obj.at(key);
        std::string p = join(path, key);
        if (!j.is_string())
            return fail(p, "expected a string");
        const auto& s = j.get_ref<const std::string&>();
        std::memset(out, 0, cell);
        size_t len = 0;
        for (size_t i = 0; i < s.size(); ++i) {
            uint8_t c = uint8_t(s[i]);
            if (c == '\\') {
                if (i + 1 < s.size() && s[i + 1] == '\\') {
                    ++i;
                } else if (i + 3 < s.size() && s[i + 1] == 'x' && hex_digit(s[i + 2]) >= 0 &&
                           hex_digit(s[i + 3]) >= 0) {
                    c = uint8_t(hex_digit(s[i + 2]) << 4 | hex_digit(s[i + 3]));
                    i += 3;
                } else {
                    return fail(p,
                                common::strfmt("bad escape at character %zu: write \"\\\\\" for a backslash "
                                               "and \"\\xHH\" for a byte",
                                               i + 1));
                }
            } else if (c < 0x20 || c >= 0x7F) {
                return fail(
                    p, common::strfmt("character %zu is not printable ASCII: write it as \"\\xHH\"", i + 1));
            }
            if (len == cell)
                return fail(p, common::strfmt("longer than %zu bytes", cell));
            out[len++] = c;
        }
        return true;
    }

    bool enum_value(const json& obj,
                    const char* key,
                    const std::string& path,
                    const char* what,
                    const char* const* names,
                    size_t count,
                    uint8_t& out)
    {
        const json& j = obj.at(key);
        std::string p = join(path, key);
        if (j.is_string()) {
            const auto& s = j.get_ref<const std::string&>();
            for (size_t i = 0; i < count; ++i)
                if (s == names[i]) {
                    out = uint8_t(i);
                    return true;
                }
            std::string known;
            for (size_t i = 0; i < count; ++i)
                known += std::string(i ? ", " : "") + names[i];
            return fail(p, common::strfmt("unknown %s \"%s\" (known: %s)", what, s.c_str(), known.c_str()));
        }
        long long v = 0;
        if (!j.is_number_integer())
            return fail(p, common::strfmt("expected a %s name or a number", what));
        if (!integer(j, p, 0, 255, v))
            return false;
        out = uint8_t(v);
        return true;
    }

    // Rows "OOOO: hex" of a carried region; rows left out are zero.
    bool rows(const json& obj, const char* key, const std::string& path, uint8_t* out, size_t n)
    {
        const json& list = obj.at(key);
        std::string p = join(path, key);
        size_t row_count = (n + ROW_BYTES - 1) / ROW_BYTES;
        if (!array(list, p, 0, row_count))
            return false;
        std::vector<bool> seen(row_count);
        std::memset(out, 0, n);
        for (size_t i = 0; i < list.size(); ++i) {
            std::string rp = join(p, i);
            if (!list[i].is_string())
                return fail(rp, "expected a row \"offset: hex\"");
            const auto& s = list[i].get_ref<const std::string&>();
            size_t colon = s.find(':');
            if (colon == std::string::npos || colon == 0 || colon > 8 || colon + 1 >= s.size() ||
                s[colon + 1] != ' ')
                return fail(rp, "expected a row \"offset: hex\"");
            size_t off = 0;
            for (size_t c = 0; c < colon; ++c) {
                int d = hex_digit(s[c]);
                if (d < 0)
                    return fail(rp, "bad hex digit in the row offset");
                off = off << 4 | size_t(d);
            }
            if (off % ROW_BYTES != 0 || off >= n)
                return fail(rp, common::strfmt("row offset %04zx is not a multiple of %d below %zu", off,
                                               ROW_BYTES, n));
            if (seen[off / ROW_BYTES])
                return fail(rp, common::strfmt("row %04zx is given twice", off));
            seen[off / ROW_BYTES] = true;
            if (!hex_text(s.substr(colon + 2), rp, out + off, std::min<size_t>(ROW_BYTES, n - off)))
                return false;
        }
        return true;
    }
};

bool read_satellites(Reader& r, const json& list, Database& db)
{
    const std::string path = "satellites";
    if (!r.array(list, path, 0, MAX_SAT_NUM))
        return false;
    std::vector<bool> seen(MAX_SAT_NUM);
    for (size_t i = 0; i < list.size(); ++i) {
        const json& j = list[i];
        std::string p = join(path, i);
        if (!r.object(j, p,
                      {"slot", "sat_id", "name", "position", "lnb_type", "lnb_freq_low", "lnb_freq_high",
                       "lnb_control", "diseqc", "diseqc_port", "tuner", "positioner", "positioner_position",
                       "carried"}))
            return false;
        int s = 0;
        if (!r.slot(j, "slot", p, MAX_SAT_NUM, seen, s))
            return false;
        tSatellite& out = db.satellites[s];
        uint8_t carried[2];
        uint8_t name[MAX_SATNAME_LEN];
        if (!r.number(j, "sat_id", p, out.sat_id) || !r.name(j, "name", p, name, MAX_SATNAME_LEN) ||
            !r.number(j, "position", p, out.position) ||
            !r.enum_value(j, "lnb_type", p, "LNB type", LNB_TYPE_NAMES, std::size(LNB_TYPE_NAMES),
                          out.lnb_type) ||
            !r.number(j, "lnb_freq_low", p, out.lnb_freq_low) ||
            !r.number(j, "lnb_freq_high", p, out.lnb_freq_high) ||
            !r.number(j, "lnb_control", p, out.lnb_control) || !r.number(j, "diseqc", p, out.DiSEqC_Cfg) ||
            !r.number(j, "diseqc_port", p, out.DiSEqC_idx) ||
            !r.number(j, "tuner", p, out.tuner_connection) || !r.number(j, "positioner", p, out.positioner) ||
            !r.number(j, "positioner_position", p, out.positioner_position) ||
            !r.hex_bytes(j, "carried", p, carried, 2))
            return false;
        out.carried14 = carried[0];
        out.carried15 = carried[1];
        std::memset(db.sat_names[s], 0, sizeof db.sat_names[s]);
        std::memcpy(db.sat_names[s], name, MAX_SATNAME_LEN);
    }
    return true;
}

bool read_transponders(Reader& r, const json& list, Database& db)
{
    const std::string path = "transponders";
    if (!r.array(list, path, 0, MAX_TP_NUM))
        return false;
    std::vector<bool> seen(MAX_TP_NUM);
    for (size_t i = 0; i < list.size(); ++i) {
        const json& j = list[i];
        std::string p = join(path, i);
        if (!r.object(j, p,
                      {"slot", "sat_id", "frequency", "polarisation", "symbol_rate", "fec", "sr_offset",
                       "carried"}))
            return false;
        int t = 0;
        if (!r.slot(j, "slot", p, MAX_TP_NUM, seen, t))
            return false;
        tTransponder& tp = db.transponders[t];
        uint8_t carried[2];
        if (!r.number(j, "sat_id", p, tp.sat_id) || !r.number(j, "frequency", p, tp.frequency) ||
            !r.enum_value(j, "polarisation", p, "polarisation", POLARISATION_NAMES,
                          std::size(POLARISATION_NAMES), tp.polarisation) ||
            !r.number(j, "symbol_rate", p, tp.symbol_rate) ||
            !r.enum_value(j, "fec", p, "FEC", FEC_NAMES, std::size(FEC_NAMES), tp.fec) ||
            !r.number(j, "sr_offset", p, tp.sr_offset) || !r.hex_bytes(j, "carried", p, carried, 2))
            return false;
        tp.carried1 = int8_t(carried[0]);
        tp.carried9 = carried[1];
    }
    return true;
}

bool read_channels(Reader& r, const json& list, int type, Database& db)
{
    const std::string path = type == SERVICE_TV ? "tv_channels" : "radio_channels";
    if (!r.array(list, path, 0, size_t(slot_count_of(type))))
        return false;
    std::vector<bool> seen(size_t(slot_count_of(type)));
    for (size_t i = 0; i < list.size(); ++i) {
        const json& j = list[i];
        std::string p = join(path, i);
        if (!r.object(j, p,
                      {"slot", "name", "transponder", "service_id", "video_pid", "audio_pids", "pcr_pid",
                       "teletext_pid", "attributes", "favourites", "languages", "language_byte", "ext_audio",
                       "ci_marker", "carried_pid", "carried"}))
            return false;
        int slot = 0;
        if (!r.slot(j, "slot", p, slot_count_of(type), seen, slot))
            return false;
        int global = first_slot_of(type) + slot;
        tChannelStructure& ch = db.channels[global];
        if (!r.name(j, "name", p, ch.name, CHAN_NAME_LEN) || !r.number(j, "transponder", p, ch.tp_index) ||
            !r.number(j, "service_id", p, ch.service_id) || !r.number(j, "video_pid", p, ch.video_pid) ||
            !r.numbers(j, "audio_pids", p, ch.audio_pid, AUDIO_PID_NUM) ||
            !r.number(j, "pcr_pid", p, ch.pcr_pid) || !r.number(j, "teletext_pid", p, ch.ttx_pid) ||
            !r.number(j, "attributes", p, ch.attributes) ||
            !r.number(j, "favourites", p, ch.fav_membership) ||
            !r.numbers(j, "languages", p, ch.audio_lang, AUDIO_PID_NUM) ||
            !r.number(j, "language_byte", p, db.language_bytes[global]) ||
            !r.number(j, "ext_audio", p, ch.ext_audio_index) || !r.number(j, "ci_marker", p, ch.ci_marker) ||
            !r.number(j, "carried_pid", p, ch.carried_pid) || !r.hex_bytes(j, "carried", p, &ch.carried43, 1))
            return false;
    }
    return true;
}

bool read_extended_audio(Reader& r, const json& list, Database& db)
{
    const std::string path = "extended_audio";
    if (!r.array(list, path, 0, MAX_EXAUD_NUM))
        return false;
    std::vector<bool> seen(MAX_EXAUD_NUM);
    for (size_t i = 0; i < list.size(); ++i) {
        const json& j = list[i];
        std::string p = join(path, i);
        if (!r.object(j, p, {"record", "in_use", "count", "pids", "pid_bytes"}))
            return false;
        int rec = 0;
        if (!r.slot(j, "record", p, MAX_EXAUD_NUM, seen, rec))
            return false;
        extend_audio& ea = db.ext_audio[rec];
        if (!r.number(j, "in_use", p, ea.in_use) || !r.number(j, "count", p, ea.count) ||
            !r.numbers(j, "pids", p, ea.pid, MAX_EXAUD_PIDS) ||
            !r.hex_bytes(j, "pid_bytes", p, ea.pid_byte, MAX_EXAUD_PIDS))
            return false;
    }
    return true;
}

bool read_favourite_list(
    Reader& r, const json& obj, const char* key, const std::string& path, int group, int type, Database& db)
{
    std::string p = join(path, key);
    const json& j = obj.at(key);
    if (!r.object(j, p, {"count", "cursor", "entries"}))
        return false;
    int list_index = fav_list_index(group, type);
    if (!r.number(j, "count", p, db.system.fav_count[list_index]) ||
        !r.number(j, "cursor", p, db.cursor.fav_cursor[list_index]))
        return false;
    const json& entries = j.at("entries");
    std::string ep = join(p, "entries");
    if (!r.array(entries, ep, 0, MAX_FAVCHAN_NUM))
        return false;
    uint16_t* list = db.fav_list(group, type);
    for (int e = 0; e < MAX_FAVCHAN_NUM; ++e)
        list[e] = INVALID_FAVENTRY;
    int used = 0;
    for (size_t e = 0; e < entries.size(); ++e) {
        long long v = 0;
        if (!r.integer(entries[e], join(ep, e), 0, 0xFFFF, v))
            return false;
        list[e] = uint16_t(v);
        used += list[e] != INVALID_FAVENTRY;
    }
    // The receiver shows as many entries as the count says: a count that disagrees with the list
    // would show holes or hide entries.
    const int count = db.system.fav_count[list_index];
    if (count != used)
        return r.fail(join(p, "count"),
                      common::strfmt("%d disagrees with the %d entries listed", count, used));
    return true;
}

bool read_favourites(Reader& r, const json& list, Database& db)
{
    const std::string path = "favourites";
    if (!r.array(list, path, MAX_FAVGROUP_NUM, MAX_FAVGROUP_NUM))
        return false;
    for (size_t g = 0; g < list.size(); ++g) {
        const json& j = list[g];
        std::string p = join(path, g);
        if (!r.object(j, p, {"group", "name", "tv", "radio"}))
            return false;
        long long group = 0;
        if (!r.integer(j.at("group"), join(p, "group"), 0, MAX_FAVGROUP_NUM - 1, group))
            return false;
        if (group != (long long)g)
            return r.fail(join(p, "group"), common::strfmt("expected group %zu here, found %lld", g, group));
        if (!r.name(j, "name", p, db.fav_names[g], MAX_FAVNAME_LEN) ||
            !read_favourite_list(r, j, "tv", p, int(g), SERVICE_TV, db) ||
            !read_favourite_list(r, j, "radio", p, int(g), SERVICE_RADIO, db))
            return false;
    }
    return true;
}

bool read_blocks(Reader& r, const json& root, Database& db, uint16_t& buyer, uint16_t& model)
{
    if (!r.hex_value(root, "buyer_code", "", buyer) || !r.hex_value(root, "model_code", "", model))
        return false;
    const json& sys = root.at("system");
    if (!r.object(sys, "system",
                  {"syscode", "channel_count", "carried36", "carried38", "carried46", "bytes_2_19",
                   "bytes_32_35", "bytes_40_45", "bytes_48_55"}))
        return false;
    auto* raw = reinterpret_cast<uint8_t*>(&db.system);
    if (!r.hex_value(sys, "syscode", "system", db.system.syscode) ||
        !r.numbers(sys, "channel_count", "system", db.system.chan_count, 2) ||
        !r.hex_value(sys, "carried36", "system", db.system.carried36) ||
        !r.hex_value(sys, "carried38", "system", db.system.carried38) ||
        !r.hex_value(sys, "carried46", "system", db.system.carried46) ||
        !r.hex_bytes(sys, "bytes_2_19", "system", raw + 2, 18) ||
        !r.hex_bytes(sys, "bytes_32_35", "system", raw + 32, 4) ||
        !r.hex_bytes(sys, "bytes_40_45", "system", raw + 40, 6) ||
        !r.hex_bytes(sys, "bytes_48_55", "system", raw + 48, 8))
        return false;
    // A file with another code is one the tool itself refuses to open; better to say so now.
    if (db.system.syscode != DB_SYSCODE_VALUE)
        return r.fail("system.syscode", common::strfmt("must be \"0x%04X\"", DB_SYSCODE_VALUE));
    const json& cur = root.at("cursor");
    if (!r.object(cur, "cursor", {"current_channel", "bytes_12_17"}) ||
        !r.numbers(cur, "current_channel", "cursor", db.cursor.current_chan, 2) ||
        !r.hex_bytes(cur, "bytes_12_17", "cursor", db.cursor.carried12, 6))
        return false;
    const json& reg = root.at("regions");
    return r.object(reg, "regions", {"region1", "region2", "region3", "region4"}) &&
           r.rows(reg, "region1", "regions", db.region1, sizeof db.region1) &&
           r.rows(reg, "region2", "regions", db.region2, sizeof db.region2) &&
           r.rows(reg, "region3", "regions", db.region3, sizeof db.region3) &&
           r.rows(reg, "region4", "regions", db.region4, sizeof db.region4);
}

// Every slot as the text leaves it out; the entries then overwrite what they list.
void fill_unlisted(Database& db, uint8_t unlisted_language)
{
    const tChannelStructure ch = empty_channel();
    for (auto& c : db.channels)
        c = ch;
    std::memset(db.language_bytes, unlisted_language, sizeof db.language_bytes);
    const tSatellite sat = empty_satellite();
    for (auto& s : db.satellites)
        s = sat;
    const tTransponder tp = empty_transponder();
    for (auto& t : db.transponders)
        t = tp;
}

// The parser keeps the last of two equal keys without a word; a key given twice (a merge gone wrong,
// say) is refused instead, so that no value is dropped unseen. Walks the parse events and keeps the
// path of where it stands.
class DuplicateKeys
{
public:
    std::string error;

    bool operator()(int, json::parse_event_t event, json& parsed)
    {
        switch (event) {
        case json::parse_event_t::object_start:
        case json::parse_event_t::array_start:
            push(event == json::parse_event_t::object_start);
            break;
        case json::parse_event_t::key: {
            Frame& f = m_frames[m_depth - 1];
            const auto& k = parsed.get_ref<const std::string&>();
            for (const auto& seen : f.keys)
                if (seen == k && error.empty())
                    error = join(path(m_depth - 1), k.c_str()) + ": key given twice";
            f.keys.push_back(k);
            break;
        }
        case json::parse_event_t::object_end:
        case json::parse_event_t::array_end:
            --m_depth;
            element_done();
            break;
        case json::parse_event_t::value:
            element_done();
            break;
        }
        return true;
    }

private:
    struct Frame
    {
        bool object = false;
        size_t index = 0;
        std::vector<std::string> keys;
    };

    void push(bool object)
    {
        if (m_frames.size() == m_depth)
            m_frames.emplace_back();
        Frame& f = m_frames[m_depth++];
        f.object = object;
        f.index = 0;
        f.keys.clear();
    }
    void element_done()
    {
        if (m_depth > 0 && !m_frames[m_depth - 1].object)
            ++m_frames[m_depth - 1].index;
    }
    // The path of the value that frame `n` stands in, built from the frames below it.
    std::string path(size_t n) const
    {
        std::string p;
        for (size_t i = 0; i < n; ++i)
            p = m_frames[i].object ? join(p, m_frames[i].keys.back().c_str()) : join(p, m_frames[i].index);
        return p;
    }

    std::vector<Frame> m_frames;
    size_t m_depth = 0;
};

bool read_file(const std::string& path, std::string& text, std::string& reason)
{
    struct stat st;
    int fd = common::open_regular_file(path, &reason, &st);
    if (fd < 0)
        return false;
    if (size_t(st.st_size) > MAX_JSON_FILE) {
        ::close(fd);
        reason = common::strfmt("larger than the %zu MiB a database's text can take", MAX_JSON_FILE >> 20);
        return false;
    }
    // Bounded by the size seen at the start: a file that grows meanwhile is read as it was.
    text.resize(size_t(st.st_size));
    size_t got = 0;
    while (got < text.size()) {
        ssize_t n = ::read(fd, text.data() + got, text.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            reason = n < 0 ? std::strerror(errno) : "the file shrank while it was read";
            ::close(fd);
            return false;
        }
        got += size_t(n);
    }
    ::close(fd);
    return true;
}

// The export's text for an output that could not be written, and the system's reason beneath it.
std::string created_failure(const std::string& path, const std::string& reason)
{
    return common::strfmt("the file, %s, could not be created\n%s: %s", path.c_str(), path.c_str(),
                          reason.c_str());
}

// The format nests five levels deep (the top, the favourites, a group, its list, the entries);
// anything much deeper is not a database, and the parser must never see it: its recursion would
// end the program on a deep enough input. Brackets inside strings do not count.
constexpr int MAX_JSON_DEPTH = 32;
constexpr int DATABASE_JSON_DEPTH = 5;

std::string too_deep(std::string_view text)
{
    int depth = 0;
    bool in_string = false, escaped = false;
    size_t line = 1, column = 0;
    for (char c : text) {
        ++column;
        if (c == '\n') {
            ++line;
            column = 0;
        }
        if (in_string) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                in_string = false;
        } else if (c == '"') {
            in_string = true;
        } else if (c == '[' || c == '{') {
            if (++depth > MAX_JSON_DEPTH)
                return common::strfmt(
                    "line %zu, column %zu: nested deeper than %d levels; a database needs %d", line, column,
                    MAX_JSON_DEPTH, DATABASE_JSON_DEPTH);
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return {};
}

} // namespace

std::string dump_database_json(const Database& db, uint16_t buyer, uint16_t model)
{
    Writer w;
    w.out.reserve(1u << 20);
    w.raw("{\n  ");
    w.key("format");
    w.put("\"%s\",\n  ", FORMAT_NAME);
    w.num("version", DATABASE_JSON_VERSION);
    w.raw(",\n  ");
    w.hex_value("buyer_code", buyer);
    w.raw(",\n  ");
    w.hex_value("model_code", model);
    w.raw(",\n");
    write_blocks(db, w);
    write_satellites(db, w);
    write_transponders(db, w);
    uint8_t unlisted_language = unlisted_language_byte(db);
    w.raw("  ");
    w.num("unlisted_language_byte", unlisted_language);
    w.raw(",\n");
    write_channels(db, SERVICE_TV, unlisted_language, w);
    write_channels(db, SERVICE_RADIO, unlisted_language, w);
    write_extended_audio(db, w);
    write_favourites(db, w);
    write_regions(db, w);
    w.raw("}\n");
    return std::move(w.out);
}

DatabaseFromJson build_database_from_json(std::string_view text)
{
    DatabaseFromJson result;
    result.error = too_deep(text);
    if (!result.error.empty())
        return result;
    json root;
    DuplicateKeys duplicates;
    try {
        root = json::parse(text.begin(), text.end(), std::ref(duplicates));
    } catch (const json::parse_error& e) {
        // The library's message carries the line and column; its exception tag does not help.
        std::string what = e.what();
        size_t tag = what.find("] ");
        result.error = tag == std::string::npos ? what : what.substr(tag + 2);
        return result;
    }
    if (!duplicates.error.empty()) {
        result.error = duplicates.error;
        return result;
    }
    Reader r;
    auto db = std::make_unique<Database>();
    bool ok = r.object(root, "",
                       {"format", "version", "buyer_code", "model_code", "system", "cursor", "satellites",
                        "transponders", "unlisted_language_byte", "tv_channels", "radio_channels",
                        "extended_audio", "favourites", "regions"});
    if (ok &&
        (!root.at("format").is_string() || root.at("format").get_ref<const std::string&>() != FORMAT_NAME))
        ok = r.fail("format", common::strfmt("expected \"%s\"", FORMAT_NAME));
    long long version = 0;
    ok =
        ok && r.integer(root.at("version"), "version", DATABASE_JSON_VERSION, DATABASE_JSON_VERSION, version);
    uint8_t unlisted_language = 0xFF;
    ok = ok && r.number(root, "unlisted_language_byte", "", unlisted_language);
    if (ok)
        fill_unlisted(*db, unlisted_language);
    ok = ok && read_blocks(r, root, *db, result.buyer, result.model) &&
         read_satellites(r, root.at("satellites"), *db) &&
         read_transponders(r, root.at("transponders"), *db) &&
         read_channels(r, root.at("tv_channels"), SERVICE_TV, *db) &&
         read_channels(r, root.at("radio_channels"), SERVICE_RADIO, *db) &&
         read_extended_audio(r, root.at("extended_audio"), *db) &&
         read_favourites(r, root.at("favourites"), *db);
    if (!ok) {
        result.error = r.error;
        return result;
    }
    db->present = true;
    result.db = std::move(db);
    return result;
}

bool dump_database_file(const std::string& ird_path, const std::string& json_path, std::string& message)
{
    std::vector<uint8_t> buffer;
    std::string reason;
    if (load_ird_file(ird_path, buffer, &reason) != IrdLoad::Ok) {
        message = ird_load_report(ird_path, reason);
        return false;
    }
    auto db = std::make_unique<Database>();
    uint16_t buyer = 0, model = 0;
    read_database(*db, buffer.data(), buyer, model);
    if (!db->is_valid()) {
        message = "Wrong DB : syscode";
        return false;
    }
    std::string text = dump_database_json(*db, buyer, model);
    std::string error;
    if (!common::write_file_atomically(json_path, text.data(), text.size(), &error)) {
        message = created_failure(json_path, error);
        return false;
    }
    return true;
}

bool build_database_file(const std::string& json_path, const std::string& ird_path, std::string& message)
{
    std::string text;
    std::string reason;
    if (!read_file(json_path, text, reason)) {
        message = common::strfmt("Can't open %s: %s", json_path.c_str(), reason.c_str());
        return false;
    }
    DatabaseFromJson built = build_database_from_json(text);
    if (!built.db) {
        message = json_path + ": " + built.error;
        return false;
    }
    std::string error;
    if (!write_database_file(*built.db, built.buyer, built.model, ird_path, &error)) {
        message = created_failure(ird_path, error);
        return false;
    }
    return true;
}

} // namespace korvid
