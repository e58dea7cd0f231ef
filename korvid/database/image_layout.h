#pragma once
// Where each table stands in the 0x74000-byte database image. The gaps between sections are zero
// in an image we build.
#include "korvid/database/records.h"

namespace korvid::image {

constexpr int TV_CHANNELS = 0x00000;
constexpr int RADIO_CHANNELS = 0x30000;
constexpr int EXTEND_AUDIO = 0x50000;
constexpr int TRANSPONDERS = 0x60000;
constexpr int FAV_INDEX = 0x68000;
constexpr int FAV_NAMES = 0x69000;
constexpr int SATELLITES = 0x6A000;
constexpr int SAT_NAMES = 0x6B000; // 22 bytes per name, without the cell's terminator byte
constexpr int REGION1 = 0x6C000;
constexpr int SYSTEM_BLOCK = 0x70000;
constexpr int CURSOR_BLOCK = 0x70060;
constexpr int LANGUAGE_BYTES = 0x70090;
constexpr int REGION2 = 0x71DB0;
constexpr int REGION3 = 0x71E30;
constexpr int REGION4 = 0x71F30;

constexpr int REGION1_SIZE = 16384;
constexpr int REGION2_SIZE = 128;
constexpr int REGION3_SIZE = 256;
constexpr int REGION4_SIZE = 8400;
// Bytes of region 4 that every unpacking sets to zero in memory.
constexpr int REGION4_ZEROED_FIRST = 1168;
constexpr int REGION4_ZEROED_LAST = 1295;

static_assert(TV_CHANNELS + MAX_TV_CHAN_NUM * sizeof(tChannelStructure) <= RADIO_CHANNELS);
static_assert(RADIO_CHANNELS + MAX_RADIO_CHAN_NUM * sizeof(tChannelStructure) <= EXTEND_AUDIO);
static_assert(EXTEND_AUDIO + MAX_EXAUD_NUM * sizeof(extend_audio) <= TRANSPONDERS);
static_assert(TRANSPONDERS + MAX_TP_NUM * sizeof(tTransponder) <= FAV_INDEX);
static_assert(FAV_INDEX + FAV_LIST_NUM * MAX_FAVCHAN_NUM * 2 <= FAV_NAMES);
static_assert(SATELLITES + MAX_SAT_NUM * sizeof(tSatellite) <= SAT_NAMES);
static_assert(SAT_NAMES + MAX_SAT_NUM * MAX_SATNAME_LEN <= REGION1);
static_assert(REGION1 + REGION1_SIZE <= SYSTEM_BLOCK);
static_assert(SYSTEM_BLOCK + sizeof(tSystemBlock) <= CURSOR_BLOCK);
static_assert(CURSOR_BLOCK + sizeof(tCursorBlock) <= LANGUAGE_BYTES);
static_assert(LANGUAGE_BYTES + MAX_CHAN_NUM <= REGION2);
static_assert(REGION2 + REGION2_SIZE == REGION3 && REGION3 + REGION3_SIZE == REGION4);
static_assert(REGION4 + REGION4_SIZE == DB_IMAGE_SIZE);

} // namespace korvid::image
