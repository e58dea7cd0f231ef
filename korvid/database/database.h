#pragma once
// The receiver's whole channel database as one object: fixed tables, nothing allocated per record.
// One database exists per process (the application owns it); tests make as many as they like.
// Every operation here runs on the user-interface thread; transfers work on their own image buffer.
#include "korvid/database/records.h"

#include <cstdint>
#include <vector>

namespace common {
class Prompts;
}

namespace korvid {

class Database
{
public:
    // Starts with every table zero, as the receiver tool does at start-up; call clear() to give the
    // slots their empty values, as creating the main window does.
    Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    tChannelStructure channels[MAX_CHAN_NUM];
    extend_audio ext_audio[MAX_EXAUD_NUM];
    tTransponder transponders[MAX_TP_NUM];
    uint16_t fav_index[FAV_LIST_NUM * MAX_FAVCHAN_NUM]; // list (g, s) starts at (g*2+s)*200
    uint8_t fav_names[MAX_FAVGROUP_NUM][MAX_FAVNAME_LEN];
    tSatellite satellites[MAX_SAT_NUM];
    char sat_names[MAX_SAT_NUM][MAX_SATNAME_LEN + 1];
    uint8_t region1[16384];
    tSystemBlock system;
    tCursorBlock cursor;
    uint8_t language_bytes[MAX_CHAN_NUM]; // bits 0-5 language index, 6-7 carried
    uint8_t region2[128];
    uint8_t region3[256];
    uint8_t region4[8400];

    bool present = false; // a database was loaded or received: sending and exporting are allowed

    uint16_t* fav_list(int group, int type)
    {
        return fav_index + fav_list_index(group, type) * MAX_FAVCHAN_NUM;
    }
    const uint16_t* fav_list(int group, int type) const
    {
        return fav_index + fav_list_index(group, type) * MAX_FAVCHAN_NUM;
    }
    bool is_valid() const { return system.syscode == DB_SYSCODE_VALUE; }
    // Something the receiver may be given: loaded or received, and not cleared by a failed check
    // since. Sending empty tables would wipe the receiver's channel list.
    bool sendable() const { return present && is_valid(); }

    // Image. Both return DB_IMAGE_SIZE; the buffer holds at least that many bytes and, for pack,
    // was zeroed by the caller.
    int pack_image(uint8_t* dest) const;
    int unpack_image(const uint8_t* src);
    // The image as the receiver keeps it (every 16-bit field big-endian), built into `dest` as
    // pack_image does; the tables themselves are not touched.
    int build_image_for_receiver(uint8_t* dest) const;
    // Unpacks a receiver-order image over the tables. 1 when it holds a valid database; otherwise
    // the database is cleared, "Wrong DB : syscode" is shown and the result is 0.
    int take_back_image(const uint8_t* src, common::Prompts& prompts);

    void clear();
    void reset_channel_slot(int slot);
    // The empty-slot values of one record, as clear() and reset_channel_slot() write them; fields
    // they leave alone keep what they hold (the channel's byte 43, the other satellite and
    // transponder fields).
    static void reset_channel(tChannelStructure& ch);
    static void clear_satellite(tSatellite& sat);
    static void clear_transponder(tTransponder& tp);
    void delete_channel(int global_index);
    void compact_channels();
    void compact_favourite_lists();
    void remove_from_favourites(uint8_t group_mask, int type, int relative);
    void swap_channels(int type, int a, int b);
    // Puts the used channels of a type in a new order over the slots they hold: `order` lists every
    // used slot of the type once, the channel for the lowest used slot first. As with a swap, each
    // channel takes along its language byte and its favourite entries (every entry of the type's
    // lists, counted or not, so a list names the same channels as before) and the current channel
    // stays on its channel. Free slots stay where they are. False, with nothing changed, when
    // `order` is not such a list.
    bool reorder_channels(int type, const std::vector<int>& order);
    void swap_favourite_positions(int group, int type, int p1, int p2);

private:
    void compact_channels_of(int type);
    static uint16_t clamp_cursor(uint16_t cursor, int count);
};

// Twins across the two tuner halves: 0 the same slot, 1 twins, -1 unrelated.
int same_satellite(int a, int b);
int same_transponder(int a, int b);
// Orders satellite slots by orbital position, East before West, by the receiver's shell sort.
void sort_satellites_by_position(const Database& db, uint8_t* slots, int count);

} // namespace korvid
