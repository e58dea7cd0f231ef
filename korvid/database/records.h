#pragma once
// The database records exactly as they lie in the image. Their layout is checked at compile time,
// because whole tables are copied into and out of the image with memcpy.
#include "korvid/database/limits.h"

#include <cstddef>
#include <cstdint>

namespace korvid {

enum LnbType : uint8_t
{
    UNI_LNB = 0,
    SINGLE_5150,
    SINGLE_9750,
    SINGLE_10000,
    SINGLE_10050,
    SINGLE_10600,
    SINGLE_10750,
    SINGLE_11200,
    SINGLE_11475,
    USER_DEFINE,
};

// Bits of the LNB control byte.
constexpr uint8_t LNB_CTRL_012V = 0x40;
constexpr uint8_t LNB_CTRL_22K_MASK = 0x30;   // 0x00 by band, 0x10 on, 0x20 off
constexpr uint8_t LNB_CTRL_POWER_MASK = 0x0F; // 0 on, 3 off

// Tuner connection byte of a satellite.
constexpr uint8_t TUNER_T1 = 0;
constexpr uint8_t TUNER_T2 = 1;
constexpr uint8_t TUNER_LOOP = 2;
constexpr uint8_t TUNER_TWIN = 3;

struct tSatellite
{
    uint16_t lnb_freq_high; // MHz
    uint16_t lnb_freq_low;  // MHz
    uint8_t lnb_control;
    uint8_t lnb_type;
    uint8_t DiSEqC_Cfg; // bits 4-5: 0x00 none, 0x10 1.0, 0x20 1.1
    uint8_t DiSEqC_idx; // switch input, 0-based
    uint8_t tuner_connection;
    uint8_t sat_id;     // own slot index, or INVALID_SATID
    int16_t position;   // tenths of a degree, negative = West
    uint8_t positioner; // 0x80 motor, 0x08 Usals, bits 0-1 == 2 stored position
    uint8_t positioner_position;
    uint8_t carried14;
    uint8_t carried15;
};

struct tTransponder
{
    uint8_t sat_id; // owning satellite, or INVALID_SATID
    int8_t carried1;
    uint16_t symbol_rate; // kSymbols/s
    uint16_t frequency;   // MHz
    uint8_t sr_offset;
    uint8_t polarisation; // 0 vertical
    uint8_t fec;
    uint8_t carried9;
};

// Channel attribute bits.
constexpr uint8_t CH_ATTR_LOCK = 0x01;
constexpr uint8_t CH_ATTR_SKIP = 0x02;
constexpr uint8_t CH_ATTR_MORE_AUDIO = 0x08;
constexpr uint8_t CH_ATTR_SCRAMBLED = 0x10;
constexpr uint8_t CH_ATTR_MANUAL = 0x20;
constexpr uint8_t CH_ATTR_M_VID = 0x40;
constexpr uint8_t CH_ATTR_CI = 0x80;
constexpr uint8_t CH_FAV_MEMBER = 0x80;
constexpr uint8_t CH_FAV_GROUP_MASK = 0x0F;
constexpr uint16_t PID_MASK = 0x1FFF;
constexpr uint16_t TTX_PID_PRESENT = 0x8000;

struct tChannelStructure
{
    uint16_t tp_index; // transponder slot, or INVALID_TPID
    uint16_t service_id;
    uint16_t audio_pid[AUDIO_PID_NUM]; // bits 13-15 are audio attributes
    uint16_t video_pid;
    uint16_t pcr_pid;
    uint16_t ttx_pid;
    uint8_t attributes;
    uint8_t fav_membership; // 0x80 member of any group, bit g = group g
    uint8_t audio_lang[AUDIO_PID_NUM];
    uint8_t name[CHAN_NAME_LEN]; // NUL-padded, unterminated when full
    uint16_t carried_pid;
    uint16_t ext_audio_index; // MAX_EXAUD_NUM = none
    uint8_t ci_marker;
    uint8_t carried43;
};

struct extend_audio
{
    uint16_t pid[MAX_EXAUD_PIDS];
    uint8_t pid_byte[MAX_EXAUD_PIDS];
    uint8_t count;
    uint8_t in_use;
};

struct tSystemBlock
{
    uint16_t syscode;
    uint8_t carried2[18];
    uint16_t chan_count[2]; // leading used slots per service type
    uint8_t fav_count[FAV_LIST_NUM];
    uint8_t carried32[4];
    uint16_t carried36;
    uint16_t carried38;
    uint8_t carried40[6];
    uint16_t carried46;
    uint8_t carried48[8];
};

struct tCursorBlock
{
    uint16_t current_chan[2]; // type-relative position per service type
    uint8_t fav_cursor[FAV_LIST_NUM];
    uint8_t carried12[6];
};

static_assert(sizeof(tSatellite) == 16);
static_assert(offsetof(tSatellite, lnb_control) == 4 && offsetof(tSatellite, lnb_type) == 5);
static_assert(offsetof(tSatellite, DiSEqC_Cfg) == 6 && offsetof(tSatellite, DiSEqC_idx) == 7);
static_assert(offsetof(tSatellite, tuner_connection) == 8 && offsetof(tSatellite, sat_id) == 9);
static_assert(offsetof(tSatellite, position) == 10 && offsetof(tSatellite, positioner) == 12);
static_assert(offsetof(tSatellite, positioner_position) == 13 && offsetof(tSatellite, carried15) == 15);

static_assert(sizeof(tTransponder) == 10);
static_assert(offsetof(tTransponder, symbol_rate) == 2 && offsetof(tTransponder, frequency) == 4);
static_assert(offsetof(tTransponder, sr_offset) == 6 && offsetof(tTransponder, polarisation) == 7);
static_assert(offsetof(tTransponder, fec) == 8 && offsetof(tTransponder, carried9) == 9);

static_assert(sizeof(tChannelStructure) == 44);
static_assert(offsetof(tChannelStructure, service_id) == 2 && offsetof(tChannelStructure, audio_pid) == 4);
static_assert(offsetof(tChannelStructure, video_pid) == 12 && offsetof(tChannelStructure, pcr_pid) == 14);
static_assert(offsetof(tChannelStructure, ttx_pid) == 16 && offsetof(tChannelStructure, attributes) == 18);
static_assert(offsetof(tChannelStructure, fav_membership) == 19);
static_assert(offsetof(tChannelStructure, audio_lang) == 20 && offsetof(tChannelStructure, name) == 24);
static_assert(offsetof(tChannelStructure, carried_pid) == 38);
static_assert(offsetof(tChannelStructure, ext_audio_index) == 40);
static_assert(offsetof(tChannelStructure, ci_marker) == 42 && offsetof(tChannelStructure, carried43) == 43);

static_assert(sizeof(extend_audio) == 80);
static_assert(offsetof(extend_audio, pid_byte) == 52 && offsetof(extend_audio, count) == 78);
static_assert(offsetof(extend_audio, in_use) == 79);

static_assert(sizeof(tSystemBlock) == 56);
static_assert(offsetof(tSystemBlock, chan_count) == 20 && offsetof(tSystemBlock, fav_count) == 24);
static_assert(offsetof(tSystemBlock, carried36) == 36 && offsetof(tSystemBlock, carried38) == 38);
static_assert(offsetof(tSystemBlock, carried46) == 46);

static_assert(sizeof(tCursorBlock) == 18);
static_assert(offsetof(tCursorBlock, fav_cursor) == 4);

} // namespace korvid
