// The JSON form of a database. Reading goes through nlohmann (the parse, the types, the duplicate
// keys); writing is by hand where nlohmann's dump cannot give the bytes the form is kept in:
// - one record per line, fields apart by ", " and a block's continuation lines under its first key,
//   so that a diff shows one changed line per changed record. dump() puts a whole document on one
//   line without spaces or every value on a line of its own; the sample files and the tests keep
//   the form byte for byte.
// - the order of the keys, the numbers printed as the tables hold them, "0x5A5A" codes and hex rows
//   that leave out the all-zero ones: plain text that needs nothing of a library.
// A name's own escapes ("\\" for a backslash, "\xHH" for a byte that is not printable ASCII) are
// ours: a name is bytes, not UTF-8, which dump() would refuse. What they give is printable ASCII, and its
// JSON quoting is left to nlohmann.
#include "korvid/database/database_json.h"

#include "common/file_replacement/atomic_file.h"
#include "common/regular_file.h"
#include "common/strfmt.h"
#include "korvid/database/database_json_fields.h"
#include "korvid/database/image_layout.h"
#include "korvid/database/ird_file.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <limits>
#include <nlohmann/json.hpp>
#include <vector>

namespace korvid {

namespace {

using json = nlohmann::ordered_json;

constexpr const char* FORMAT_NAME = "korvid channel database";
constexpr int ROW_BYTES = 32; // bytes per line of a carried region
constexpr size_t MAX_JSON_FILE = 64u << 20;

// ---------------------------------------------------------------------------------------------
// What an untouched slot holds. Such slots are left out of the text and rebuilt from here.

template <class T> bool same_bytes(const T& a, const T& b)
{
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

// The slots the text leaves out hold what the database's own reset writes over zeros.
template <class R> R empty_slot(void (*reset)(R&))
{
    R r;
    std::memset(&r, 0, sizeof r);
    reset(r);
    return r;
}

tChannelStructure empty_channel()
{
    return empty_slot(&Database::reset_channel);
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
    return empty_slot(&Database::clear_satellite);
}

tTransponder empty_transponder()
{
    return empty_slot(&Database::clear_transponder);
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
            out += common::HEX_DIGITS[p[i] >> 4];
            out += common::HEX_DIGITS[p[i] & 15];
        }
    }
    // A fixed name cell: trailing NULs are padding and are dropped; everything before the last
    // non-NUL byte is kept, NULs included, so that no byte of the cell is lost.
    void name(const char* k, const uint8_t* p, size_t cell)
    {
        size_t len = cell;
        while (len > 0 && p[len - 1] == 0)
            --len;
        std::string text;
        for (size_t i = 0; i < len; ++i) {
            uint8_t c = p[i];
            if (c == '\\') {
                text += "\\\\";
            } else if (c >= 0x20 && c < 0x7F) {
                text += char(c);
            } else {
                text += "\\x";
                text += common::HEX_DIGITS[c >> 4];
                text += common::HEX_DIGITS[c & 15];
            }
        }
        key(k);
        out += json(text).dump();
    }
    void numbers(const char* k, const uint16_t* v, size_t n)
    {
        key(k);
        out += '[';
        for (size_t i = 0; i < n; ++i)
            put(i ? ", %u" : "%u", v[i]);
        out += ']';
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

// A scalar of the given type, read or written in place; the tables are in host order.
long load_scalar(const uint8_t* p, json_form::Type type)
{
    switch (type) {
    case json_form::Type::U8:
        return *p;
    case json_form::Type::S8:
        return int8_t(*p);
    case json_form::Type::U16: {
        uint16_t v;
        std::memcpy(&v, p, 2);
        return v;
    }
    case json_form::Type::S16: {
        int16_t v;
        std::memcpy(&v, p, 2);
        return v;
    }
    }
    return 0;
}

void store_scalar(uint8_t* p, json_form::Type type, long long v)
{
    if (json_form::type_size(type) == 1) {
        *p = uint8_t(v);
    } else {
        const uint16_t u = uint16_t(v);
        std::memcpy(p, &u, 2);
    }
}

void write_field(
    const Database& db, const json_form::Form& form, const json_form::Field& f, int slot, Writer& w)
{
    using json_form::Kind;
    const uint8_t* p = json_form::field_bytes(db, form, f, slot);
    switch (f.kind) {
    case Kind::Number:
        w.key(f.key);
        w.put("%ld", load_scalar(p, f.type));
        break;
    case Kind::Numbers:
        w.key(f.key);
        w.raw("[");
        for (size_t i = 0; i < f.count; ++i)
            w.put(i ? ", %ld" : "%ld", load_scalar(p + i * json_form::type_size(f.type), f.type));
        w.raw("]");
        break;
    case Kind::EnumName:
        w.key(f.key);
        if (*p < f.names->count)
            w.put("\"%s\"", f.names->names[*p]);
        else
            w.put("%u", *p);
        break;
    case Kind::HexValue:
        w.hex_value(f.key, uint16_t(load_scalar(p, f.type)));
        break;
    case Kind::HexBytes: {
        uint8_t bytes[256];
        const uint8_t* record = json_form::field_bytes(db, form, f, slot) - f.offset;
        for (size_t i = 0; i < f.count; ++i)
            bytes[i] = f.scattered ? record[f.scattered[i]] : p[i];
        w.hex_bytes(f.key, bytes, f.count);
        break;
    }
    case Kind::Text:
        w.name(f.key, p, f.count);
        break;
    }
}

// One record on one line: {"slot": 3, "key": value, ...}.
void write_record(const Database& db, const json_form::Form& form, int slot, Writer& w)
{
    w.raw("{");
    const char* separator = "";
    if (form.slot_key) {
        w.num(form.slot_key, slot);
        separator = ", ";
    }
    // A block's continuation lines line up under its first key.
    const std::string continuation = ",\n" + std::string(std::strlen(form.key) + 7, ' ');
    for (const json_form::Field& f : form.fields) {
        w.raw(f.line_break ? continuation.c_str() : separator);
        separator = ", ";
        write_field(db, form, f, slot, w);
    }
    w.raw("}");
}

// The records of a table that `listed` keeps, one per line.
template <class Listed>
void write_list(const Database& db, const json_form::Form& form, Writer& w, Listed listed)
{
    w.put("  \"%s\": [", form.key);
    bool first = true;
    for (int s = 0; s < form.slots; ++s) {
        if (!listed(form.first + s))
            continue;
        w.raw(first ? "\n    " : ",\n    ");
        first = false;
        write_record(db, form, s, w);
    }
    w.raw(first ? "],\n" : "\n  ],\n");
}

void write_block(const Database& db, const json_form::Form& form, Writer& w)
{
    w.put("  \"%s\": ", form.key);
    write_record(db, form, 0, w);
    w.raw(",\n");
}

// The receiver reads as many entries as the count says; a list may hold more beyond it (left by
// the receiver's own editing), which are kept under "beyond" so that nothing is lost.
void write_favourite_list(const Database& db, int group, int type, Writer& w)
{
    const uint16_t* list = db.fav_list(group, type);
    const int count = db.system.fav_count[fav_list_index(group, type)];
    const int counted = std::min(count, int(MAX_FAVCHAN_NUM));
    int used = MAX_FAVCHAN_NUM;
    while (used > counted && list[used - 1] == INVALID_FAVENTRY)
        --used;
    w.key(type == SERVICE_TV ? "tv" : "radio");
    w.raw("{");
    w.num("count", count);
    w.raw(", ");
    w.num("cursor", db.cursor.fav_cursor[fav_list_index(group, type)]);
    w.raw(", ");
    w.numbers("entries", list, size_t(counted));
    if (used > counted) {
        w.raw(", ");
        w.numbers("beyond", list + counted, size_t(used - counted));
    }
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
        return object(j, path, std::span<const char* const>(keys.begin(), keys.size()));
    }
    bool object(const json& j, const std::string& path, std::span<const char* const> keys)
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

    bool hex_bytes(const json& j, const std::string& path, uint8_t* out, size_t n)
    {
        if (!j.is_string())
            return fail(path, "expected a string of hex digits");
        return hex_text(j.get_ref<const std::string&>(), path, out, n);
    }

    // "0x1234": a 16-bit value written in hex.
    bool hex_value(const json& j, const std::string& p, uint16_t& out)
    {
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
    bool name(const json& j, const std::string& p, uint8_t* out, size_t cell)
    {
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

    bool enum_value(const json& j, const std::string& p, const json_form::EnumNames& names, uint8_t& out)
    {
        if (j.is_string()) {
            const auto& s = j.get_ref<const std::string&>();
            for (size_t i = 0; i < names.count; ++i)
                if (s == names.names[i]) {
                    out = uint8_t(i);
                    return true;
                }
            std::string known;
            for (size_t i = 0; i < names.count; ++i)
                known += std::string(i ? ", " : "") + names.names[i];
            return fail(
                p, common::strfmt("unknown %s \"%s\" (known: %s)", names.what, s.c_str(), known.c_str()));
        }
        long long v = 0;
        if (!j.is_number_integer())
            return fail(p, common::strfmt("expected a %s name or a number", names.what));
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

long long type_min(json_form::Type t)
{
    switch (t) {
    case json_form::Type::S8:
        return std::numeric_limits<int8_t>::min();
    case json_form::Type::S16:
        return std::numeric_limits<int16_t>::min();
    default:
        return 0;
    }
}

long long type_max(json_form::Type t)
{
    switch (t) {
    case json_form::Type::U8:
        return std::numeric_limits<uint8_t>::max();
    case json_form::Type::S8:
        return std::numeric_limits<int8_t>::max();
    case json_form::Type::U16:
        return std::numeric_limits<uint16_t>::max();
    case json_form::Type::S16:
        return std::numeric_limits<int16_t>::max();
    }
    return 0;
}

bool read_field(Reader& r,
                const json& j,
                const std::string& path,
                const json_form::Form& form,
                const json_form::Field& f,
                int slot,
                Database& db)
{
    using json_form::Kind;
    uint8_t* p = json_form::field_bytes(db, form, f, slot);
    const json& value = j.at(f.key);
    const std::string fp = join(path, f.key);
    long long v = 0;
    switch (f.kind) {
    case Kind::Number:
        if (!r.integer(value, fp, type_min(f.type), type_max(f.type), v))
            return false;
        store_scalar(p, f.type, v);
        return true;
    case Kind::Numbers:
        if (!r.array(value, fp, f.count, f.count))
            return false;
        for (size_t i = 0; i < f.count; ++i) {
            if (!r.integer(value[i], join(fp, i), type_min(f.type), type_max(f.type), v))
                return false;
            store_scalar(p + i * json_form::type_size(f.type), f.type, v);
        }
        return true;
    case Kind::EnumName:
        return r.enum_value(value, fp, *f.names, *p);
    case Kind::HexValue: {
        uint16_t u = 0;
        if (!r.hex_value(value, fp, u))
            return false;
        std::memcpy(p, &u, 2);
        return true;
    }
    case Kind::HexBytes: {
        uint8_t bytes[256];
        if (!r.hex_bytes(value, fp, bytes, f.count))
            return false;
        uint8_t* record = p - f.offset;
        for (size_t i = 0; i < f.count; ++i)
            (f.scattered ? record[f.scattered[i]] : p[i]) = bytes[i];
        return true;
    }
    case Kind::Text:
        return r.name(value, fp, p, f.count);
    }
    return false;
}

// The object at `path` has exactly the keys of its form, and each reads back into its place.
bool read_record(
    Reader& r, const json& j, const std::string& path, const json_form::Form& form, int slot, Database& db)
{
    for (const json_form::Field& f : form.fields)
        if (!read_field(r, j, path, form, f, slot, db))
            return false;
    return true;
}

std::vector<const char*> keys_of(const json_form::Form& form)
{
    std::vector<const char*> keys;
    if (form.slot_key)
        keys.push_back(form.slot_key);
    for (const json_form::Field& f : form.fields)
        keys.push_back(f.key);
    return keys;
}

bool read_list(Reader& r, const json& list, const json_form::Form& form, Database& db)
{
    const std::string path = form.key;
    if (!r.array(list, path, 0, size_t(form.slots)))
        return false;
    const std::vector<const char*> keys = keys_of(form);
    std::vector<bool> seen(size_t(form.slots));
    for (size_t i = 0; i < list.size(); ++i) {
        const json& j = list[i];
        std::string p = join(path, i);
        int slot = 0;
        if (!r.object(j, p, keys) || !r.slot(j, form.slot_key, p, form.slots, seen, slot) ||
            !read_record(r, j, p, form, slot, db))
            return false;
    }
    return true;
}

bool read_block(Reader& r, const json& root, const json_form::Form& form, Database& db)
{
    const json& j = root.at(form.key);
    return r.object(j, form.key, keys_of(form)) && read_record(r, j, form.key, form, 0, db);
}

bool read_favourite_list(
    Reader& r, const json& obj, const char* key, const std::string& path, int group, int type, Database& db)
{
    std::string p = join(path, key);
    const json& j = obj.at(key);
    const bool has_beyond = j.is_object() && j.contains("beyond");
    if (has_beyond ? !r.object(j, p, {"count", "cursor", "entries", "beyond"})
                   : !r.object(j, p, {"count", "cursor", "entries"}))
        return false;
    int list_index = fav_list_index(group, type);
    if (!r.number(j, "count", p, db.system.fav_count[list_index]) ||
        !r.number(j, "cursor", p, db.cursor.fav_cursor[list_index]))
        return false;
    uint16_t* list = db.fav_list(group, type);
    for (int e = 0; e < MAX_FAVCHAN_NUM; ++e)
        list[e] = INVALID_FAVENTRY;
    const json& entries = j.at("entries");
    const std::string ep = join(p, "entries");
    if (!r.array(entries, ep, 0, MAX_FAVCHAN_NUM))
        return false;
    // The receiver shows as many entries as the count says: a count that disagrees with the
    // counted entries would show holes or hide entries.
    const size_t count = db.system.fav_count[list_index];
    if (count != entries.size() && !(count > MAX_FAVCHAN_NUM && entries.size() == MAX_FAVCHAN_NUM))
        return r.fail(join(p, "count"),
                      common::strfmt("%zu disagrees with the %zu entries listed", count, entries.size()));
    for (size_t e = 0; e < entries.size(); ++e) {
        long long v = 0;
        if (!r.integer(entries[e], join(ep, e), 0, 0xFFFF, v))
            return false;
        list[e] = uint16_t(v);
    }
    if (!has_beyond)
        return true;
    const json& beyond = j.at("beyond");
    const std::string bp = join(p, "beyond");
    if (!r.array(beyond, bp, 0, MAX_FAVCHAN_NUM - entries.size()))
        return false;
    for (size_t e = 0; e < beyond.size(); ++e) {
        long long v = 0;
        if (!r.integer(beyond[e], join(bp, e), 0, 0xFFFF, v))
            return false;
        list[entries.size() + e] = uint16_t(v);
    }
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
        if (!r.name(j.at("name"), join(p, "name"), db.fav_names[g], MAX_FAVNAME_LEN) ||
            !read_favourite_list(r, j, "tv", p, int(g), SERVICE_TV, db) ||
            !read_favourite_list(r, j, "radio", p, int(g), SERVICE_RADIO, db))
            return false;
    }
    return true;
}

bool read_blocks(Reader& r, const json& root, Database& db, uint16_t& buyer, uint16_t& model)
{
    if (!r.hex_value(root.at("buyer_code"), "buyer_code", buyer) ||
        !r.hex_value(root.at("model_code"), "model_code", model) ||
        !read_block(r, root, json_form::SYSTEM_BLOCK, db))
        return false;
    // A file with another code is one the tool itself refuses to open; better to say so now.
    if (db.system.syscode != DB_SYSCODE_VALUE)
        return r.fail("system.syscode", common::strfmt("must be \"0x%04X\"", DB_SYSCODE_VALUE));
    if (!read_block(r, root, json_form::CURSOR_BLOCK, db))
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

    // The path of the value the parser is in the middle of: where it stopped when it gives up.
    std::string current_path() const { return path(m_depth); }

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
            if (!m_frames[i].object)
                p = join(p, m_frames[i].index);
            else if (!m_frames[i].keys.empty())
                p = join(p, m_frames[i].keys.back().c_str());
        return p;
    }

    std::vector<Frame> m_frames;
    size_t m_depth = 0;
};

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
    write_block(db, json_form::SYSTEM_BLOCK, w);
    write_block(db, json_form::CURSOR_BLOCK, w);
    write_list(db, json_form::SATELLITES, w, [&](int s) { return satellite_listed(db, s); });
    static const tTransponder empty_tp = empty_transponder();
    write_list(db, json_form::TRANSPONDERS, w,
               [&](int t) { return !same_bytes(db.transponders[t], empty_tp); });
    uint8_t unlisted_language = unlisted_language_byte(db);
    w.raw("  ");
    w.num("unlisted_language_byte", unlisted_language);
    w.raw(",\n");
    auto channel = [&](int g) { return channel_listed(db, g, unlisted_language); };
    write_list(db, json_form::TV_CHANNELS, w, channel);
    write_list(db, json_form::RADIO_CHANNELS, w, channel);
    write_list(db, json_form::EXTENDED_AUDIO, w, [&](int r) { return ext_audio_listed(db, r); });
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
    } catch (const json::out_of_range&) {
        // A number beyond what a double holds (1e999): the parser stops on it, before any callback
        // of its own, so the path is where the keys seen so far lead.
        const std::string where = duplicates.current_path();
        result.error = where.empty() ? "number out of range" : where + ": number out of range";
        return result;
    } catch (const json::exception& e) {
        result.error = e.what();
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
         read_list(r, root.at("satellites"), json_form::SATELLITES, *db) &&
         read_list(r, root.at("transponders"), json_form::TRANSPONDERS, *db) &&
         read_list(r, root.at("tv_channels"), json_form::TV_CHANNELS, *db) &&
         read_list(r, root.at("radio_channels"), json_form::RADIO_CHANNELS, *db) &&
         read_list(r, root.at("extended_audio"), json_form::EXTENDED_AUDIO, *db) &&
         read_favourites(r, root.at("favourites"), *db);
    if (!ok) {
        result.error = r.error;
        return result;
    }
    db->present = true;
    result.db = std::move(db);
    return result;
}

bool dump_database_file(const std::string& ird_path,
                        const std::string& json_path,
                        std::string& message,
                        const common::WriteTargetOptions& options)
{
    const DatabaseFile file = read_database_file(ird_path);
    if (!file.ok()) {
        message = file.message;
        return false;
    }
    std::string text = dump_database_json(*file.db, file.buyer, file.model);
    std::string error;
    if (!common::write_file_atomically(json_path, text.data(), text.size(), &error, options)) {
        message = created_failure(json_path, error);
        return false;
    }
    return true;
}

std::unique_ptr<Database>
read_database_json_file(const std::string& path, uint16_t& buyer, uint16_t& model, std::string& message)
{
    std::string text;
    std::string reason;
    long long size = 0;
    if (!common::read_regular_file(path, text, reason, MAX_JSON_FILE, &size)) {
        // The limit in the words of what the file should hold.
        if (size > static_cast<long long>(MAX_JSON_FILE))
            reason =
                common::strfmt("larger than the %zu MiB a database's text can take", MAX_JSON_FILE >> 20);
        message = common::strfmt("Can't open %s: %s", path.c_str(), reason.c_str());
        return nullptr;
    }
    DatabaseFromJson built = build_database_from_json(text);
    if (!built.db) {
        message = path + ": " + built.error;
        return nullptr;
    }
    buyer = built.buyer;
    model = built.model;
    return std::move(built.db);
}

bool build_database_file(const std::string& json_path,
                         const std::string& ird_path,
                         std::string& message,
                         const common::WriteTargetOptions& options)
{
    uint16_t buyer = 0, model = 0;
    std::unique_ptr<Database> db = read_database_json_file(json_path, buyer, model, message);
    if (!db)
        return false;
    std::string error;
    if (!write_database_file(*db, buyer, model, ird_path, &error, options)) {
        message = created_failure(ird_path, error);
        return false;
    }
    return true;
}

} // namespace korvid
