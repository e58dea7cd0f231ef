#include "korvid/database/database_json_fields.h"

#include <iterator>

namespace korvid::json_form {

namespace {

// The tables are found by their offset in the database, so its layout must be the plain one.
static_assert(std::is_standard_layout_v<Database>);

template <class T> constexpr Type type_of()
{
    static_assert(std::is_integral_v<T> && sizeof(T) <= 2);
    if constexpr (sizeof(T) == 1)
        return std::is_signed_v<T> ? Type::S8 : Type::U8;
    else
        return std::is_signed_v<T> ? Type::S16 : Type::U16;
}

// The member pointer gives the type and, for an array, the length; offsetof gives the place.
template <class R, class M> constexpr Field number(const char* key, size_t offset, M R::*)
{
    return {key, Kind::Number, type_of<M>(), uint16_t(offset), 1};
}
template <class R, class M> constexpr Field numbers(const char* key, size_t offset, M R::*)
{
    return {key, Kind::Numbers, type_of<std::remove_extent_t<M>>(), uint16_t(offset),
            uint16_t(std::extent_v<M>)};
}
template <class R> constexpr Field hex_value(const char* key, size_t offset, uint16_t R::*)
{
    return {key, Kind::HexValue, Type::U16, uint16_t(offset), 1};
}
constexpr Field enum_name(const char* key, size_t offset, const EnumNames& names)
{
    return {key, Kind::EnumName, Type::U8, uint16_t(offset), 1, Place::Record, &names};
}
constexpr Field hex_bytes(const char* key, size_t offset, size_t count)
{
    return {key, Kind::HexBytes, Type::U8, uint16_t(offset), uint16_t(count)};
}
constexpr Field text(const char* key, size_t offset, size_t cell, Place place = Place::Record)
{
    return {key, Kind::Text, Type::U8, uint16_t(offset), uint16_t(cell), place};
}
constexpr Field next_line(Field f)
{
    f.line_break = true;
    return f;
}

const char* const LNB_TYPE_NAMES[] = {"UNI_LNB",      "SINGLE_5150",  "SINGLE_9750",  "SINGLE_10000",
                                      "SINGLE_10050", "SINGLE_10600", "SINGLE_10750", "SINGLE_11200",
                                      "SINGLE_11475", "USER_DEFINE"};
const char* const POLARISATION_NAMES[] = {"V", "H"};
const char* const FEC_NAMES[] = {"AUTO", "1/2", "2/3", "3/4", "5/6", "7/8"};
const EnumNames LNB_TYPES = {"LNB type", LNB_TYPE_NAMES, std::size(LNB_TYPE_NAMES)};
const EnumNames POLARISATIONS = {"polarisation", POLARISATION_NAMES, std::size(POLARISATION_NAMES)};
const EnumNames FECS = {"FEC", FEC_NAMES, std::size(FEC_NAMES)};

using S = tSatellite;
const Field SATELLITE_FIELDS[] = {
    number("sat_id", offsetof(S, sat_id), &S::sat_id),
    text("name", 0, MAX_SATNAME_LEN, Place::SatelliteName),
    number("position", offsetof(S, position), &S::position),
    enum_name("lnb_type", offsetof(S, lnb_type), LNB_TYPES),
    number("lnb_freq_low", offsetof(S, lnb_freq_low), &S::lnb_freq_low),
    number("lnb_freq_high", offsetof(S, lnb_freq_high), &S::lnb_freq_high),
    number("lnb_control", offsetof(S, lnb_control), &S::lnb_control),
    number("diseqc", offsetof(S, DiSEqC_Cfg), &S::DiSEqC_Cfg),
    number("diseqc_port", offsetof(S, DiSEqC_idx), &S::DiSEqC_idx),
    number("tuner", offsetof(S, tuner_connection), &S::tuner_connection),
    number("positioner", offsetof(S, positioner), &S::positioner),
    number("positioner_position", offsetof(S, positioner_position), &S::positioner_position),
    hex_bytes("carried", offsetof(S, carried14), 2),
};
static_assert(offsetof(S, carried15) == offsetof(S, carried14) + 1);

using T = tTransponder;
const uint8_t TRANSPONDER_CARRIED[] = {offsetof(T, carried1), offsetof(T, carried9)};
const Field TRANSPONDER_FIELDS[] = {
    number("sat_id", offsetof(T, sat_id), &T::sat_id),
    number("frequency", offsetof(T, frequency), &T::frequency),
    enum_name("polarisation", offsetof(T, polarisation), POLARISATIONS),
    number("symbol_rate", offsetof(T, symbol_rate), &T::symbol_rate),
    enum_name("fec", offsetof(T, fec), FECS),
    number("sr_offset", offsetof(T, sr_offset), &T::sr_offset),
    {"carried", Kind::HexBytes, Type::U8, 0, 2, Place::Record, nullptr, TRANSPONDER_CARRIED},
};

using C = tChannelStructure;
const Field CHANNEL_FIELDS[] = {
    text("name", offsetof(C, name), CHAN_NAME_LEN),
    number("transponder", offsetof(C, tp_index), &C::tp_index),
    number("service_id", offsetof(C, service_id), &C::service_id),
    number("video_pid", offsetof(C, video_pid), &C::video_pid),
    numbers("audio_pids", offsetof(C, audio_pid), &C::audio_pid),
    number("pcr_pid", offsetof(C, pcr_pid), &C::pcr_pid),
    number("teletext_pid", offsetof(C, ttx_pid), &C::ttx_pid),
    number("attributes", offsetof(C, attributes), &C::attributes),
    number("favourites", offsetof(C, fav_membership), &C::fav_membership),
    numbers("languages", offsetof(C, audio_lang), &C::audio_lang),
    {"language_byte", Kind::Number, Type::U8, 0, 1, Place::LanguageByte},
    number("ext_audio", offsetof(C, ext_audio_index), &C::ext_audio_index),
    number("ci_marker", offsetof(C, ci_marker), &C::ci_marker),
    number("carried_pid", offsetof(C, carried_pid), &C::carried_pid),
    hex_bytes("carried", offsetof(C, carried43), 1),
};

using E = extend_audio;
const Field EXTENDED_AUDIO_FIELDS[] = {
    number("in_use", offsetof(E, in_use), &E::in_use),
    number("count", offsetof(E, count), &E::count),
    numbers("pids", offsetof(E, pid), &E::pid),
    hex_bytes("pid_bytes", offsetof(E, pid_byte), MAX_EXAUD_PIDS),
};

// The system block's unnamed bytes are listed by where they lie.
using Y = tSystemBlock;
const Field SYSTEM_FIELDS[] = {
    hex_value("syscode", offsetof(Y, syscode), &Y::syscode),
    numbers("channel_count", offsetof(Y, chan_count), &Y::chan_count),
    hex_value("carried36", offsetof(Y, carried36), &Y::carried36),
    hex_value("carried38", offsetof(Y, carried38), &Y::carried38),
    hex_value("carried46", offsetof(Y, carried46), &Y::carried46),
    next_line(hex_bytes("bytes_2_19", 2, 18)),
    hex_bytes("bytes_32_35", 32, 4),
    hex_bytes("bytes_40_45", 40, 6),
    hex_bytes("bytes_48_55", 48, 8),
};
static_assert(offsetof(Y, carried2) == 2 && offsetof(Y, carried32) == 32 && offsetof(Y, carried40) == 40 &&
              offsetof(Y, carried48) == 48);

using K = tCursorBlock;
const Field CURSOR_FIELDS[] = {
    numbers("current_channel", offsetof(K, current_chan), &K::current_chan),
    hex_bytes("bytes_12_17", offsetof(K, carried12), sizeof(K::carried12)),
};

} // namespace

const Form SATELLITES = {"satellites", "slot",          offsetof(Database, satellites), sizeof(tSatellite), 0,
                         MAX_SAT_NUM,  SATELLITE_FIELDS};
const Form TRANSPONDERS = {"transponders",       "slot", offsetof(Database, transponders),
                           sizeof(tTransponder), 0,      MAX_TP_NUM,
                           TRANSPONDER_FIELDS};
const Form TV_CHANNELS = {"tv_channels",
                          "slot",
                          offsetof(Database, channels),
                          sizeof(tChannelStructure),
                          first_slot_of(SERVICE_TV),
                          MAX_TV_CHAN_NUM,
                          CHANNEL_FIELDS};
const Form RADIO_CHANNELS = {"radio_channels",
                             "slot",
                             offsetof(Database, channels),
                             sizeof(tChannelStructure),
                             first_slot_of(SERVICE_RADIO),
                             MAX_RADIO_CHAN_NUM,
                             CHANNEL_FIELDS};
const Form EXTENDED_AUDIO = {"extended_audio",     "record", offsetof(Database, ext_audio),
                             sizeof(extend_audio), 0,        MAX_EXAUD_NUM,
                             EXTENDED_AUDIO_FIELDS};
const Form SYSTEM_BLOCK = {"system", nullptr,      offsetof(Database, system), sizeof(tSystemBlock), 0,
                           1,        SYSTEM_FIELDS};
const Form CURSOR_BLOCK = {"cursor", nullptr,      offsetof(Database, cursor), sizeof(tCursorBlock), 0,
                           1,        CURSOR_FIELDS};

size_t field_offset(const Form& form, const Field& f, int slot)
{
    const size_t index = size_t(form.first + slot);
    switch (f.place) {
    case Place::SatelliteName:
        return offsetof(Database, sat_names) + index * sizeof(Database::sat_names[0]) + f.offset;
    case Place::LanguageByte:
        return offsetof(Database, language_bytes) + index + f.offset;
    case Place::Record:
        break;
    }
    return form.table + index * form.record_size + f.offset;
}

} // namespace korvid::json_form
