#pragma once
// Every record of the JSON form described once: its key, where its bytes lie in the database and how
// they are written. The writer, the list of keys a record must have and the reader all walk these
// tables, so a field added here is dumped, required and read back alike.
#include "korvid/database/database.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <type_traits>

namespace korvid::json_form {

enum class Kind : uint8_t
{
    Number,   // one whole number
    Numbers,  // a list of `count` whole numbers
    EnumName, // a name from `names`, or the plain number when it has none
    HexValue, // a 16-bit value as "0x1234"
    HexBytes, // `count` bytes as one string of hex digits
    Text,     // a NUL-padded name cell of `count` bytes: printable ASCII, "\\" and "\xHH"
};

enum class Type : uint8_t
{
    U8,
    S8,
    U16,
    S16,
};

// The tables beside a record that share its slot index.
enum class Place : uint8_t
{
    Record,        // in the record itself, at `offset`
    SatelliteName, // the satellite's name cell
    LanguageByte,  // the channel's byte of the language table
};

struct EnumNames
{
    const char* what; // for messages: "unknown LNB type ..."
    const char* const* names;
    size_t count;
};

struct Field
{
    const char* key;
    Kind kind;
    Type type;
    uint16_t offset;
    uint16_t count;
    Place place = Place::Record;
    const EnumNames* names = nullptr;
    // HexBytes whose bytes do not lie together: the offset of each (`count` of them).
    const uint8_t* scattered = nullptr;
    // The text starts a new line before this field (blocks too wide for one line).
    bool line_break = false;
};

// One table of records. A record of slot `s` starts `table + (first + s) * record_size` bytes into
// the database; the lists give `slot_key` first, the single blocks give no slot.
struct Form
{
    const char* key;
    const char* slot_key; // null for a single block
    size_t table;
    size_t record_size;
    int first;
    int slots;
    std::span<const Field> fields;
};

extern const Form SATELLITES;
extern const Form TRANSPONDERS;
extern const Form TV_CHANNELS;
extern const Form RADIO_CHANNELS;
extern const Form EXTENDED_AUDIO;
extern const Form SYSTEM_BLOCK;
extern const Form CURSOR_BLOCK;

inline size_t type_size(Type t)
{
    return t == Type::U8 || t == Type::S8 ? 1 : 2;
}

// Where field `f` of slot `slot` lies, in bytes from the start of the database.
size_t field_offset(const Form& form, const Field& f, int slot);

template <class DB> auto* field_bytes(DB& db, const Form& form, const Field& f, int slot)
{
    using Byte = std::conditional_t<std::is_const_v<DB>, const uint8_t, uint8_t>;
    return reinterpret_cast<Byte*>(&db) + field_offset(form, f, slot);
}

} // namespace korvid::json_form
