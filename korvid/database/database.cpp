#include "korvid/database/database.h"

#include "common/byte_order.h"
#include "common/prompts.h"
#include "korvid/database/image_layout.h"
#include "korvid/database/receiver_order.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace korvid {

static_assert(sizeof(Database::region1) == image::REGION1_SIZE);
static_assert(sizeof(Database::region2) == image::REGION2_SIZE);
static_assert(sizeof(Database::region3) == image::REGION3_SIZE);
static_assert(sizeof(Database::region4) == image::REGION4_SIZE);

Database::Database()
{
    // Plain data only: the tables start zeroed like static storage.
    std::memset(channels, 0, sizeof channels);
    std::memset(ext_audio, 0, sizeof ext_audio);
    std::memset(transponders, 0, sizeof transponders);
    std::memset(fav_index, 0, sizeof fav_index);
    std::memset(fav_names, 0, sizeof fav_names);
    std::memset(satellites, 0, sizeof satellites);
    std::memset(sat_names, 0, sizeof sat_names);
    std::memset(region1, 0, sizeof region1);
    std::memset(&system, 0, sizeof system);
    std::memset(&cursor, 0, sizeof cursor);
    std::memset(language_bytes, 0, sizeof language_bytes);
    std::memset(region2, 0, sizeof region2);
    std::memset(region3, 0, sizeof region3);
    std::memset(region4, 0, sizeof region4);
}

int Database::pack_image(uint8_t* dest) const
{
    std::memcpy(dest + image::TV_CHANNELS, channels, MAX_TV_CHAN_NUM * sizeof(tChannelStructure));
    std::memcpy(dest + image::RADIO_CHANNELS, channels + MAX_TV_CHAN_NUM,
                MAX_RADIO_CHAN_NUM * sizeof(tChannelStructure));
    std::memcpy(dest + image::EXTEND_AUDIO, ext_audio, sizeof ext_audio);
    std::memcpy(dest + image::TRANSPONDERS, transponders, sizeof transponders);
    std::memcpy(dest + image::FAV_INDEX, fav_index, sizeof fav_index);
    std::memcpy(dest + image::FAV_NAMES, fav_names, sizeof fav_names);
    std::memcpy(dest + image::SATELLITES, satellites, sizeof satellites);
    for (int s = 0; s < MAX_SAT_NUM; ++s)
        std::memcpy(dest + image::SAT_NAMES + s * MAX_SATNAME_LEN, sat_names[s], MAX_SATNAME_LEN);
    std::memcpy(dest + image::REGION1, region1, sizeof region1);
    std::memcpy(dest + image::SYSTEM_BLOCK, &system, sizeof system);
    std::memcpy(dest + image::CURSOR_BLOCK, &cursor, sizeof cursor);
    std::memcpy(dest + image::LANGUAGE_BYTES, language_bytes, sizeof language_bytes);
    std::memcpy(dest + image::REGION2, region2, sizeof region2);
    std::memcpy(dest + image::REGION3, region3, sizeof region3);
    std::memcpy(dest + image::REGION4, region4, sizeof region4);
    return DB_IMAGE_SIZE;
}

int Database::unpack_image(const uint8_t* src)
{
    std::memcpy(channels, src + image::TV_CHANNELS, MAX_TV_CHAN_NUM * sizeof(tChannelStructure));
    std::memcpy(channels + MAX_TV_CHAN_NUM, src + image::RADIO_CHANNELS,
                MAX_RADIO_CHAN_NUM * sizeof(tChannelStructure));
    std::memcpy(ext_audio, src + image::EXTEND_AUDIO, sizeof ext_audio);
    std::memcpy(transponders, src + image::TRANSPONDERS, sizeof transponders);
    std::memcpy(fav_index, src + image::FAV_INDEX, sizeof fav_index);
    std::memcpy(fav_names, src + image::FAV_NAMES, sizeof fav_names);
    std::memcpy(satellites, src + image::SATELLITES, sizeof satellites);
    // Only the 22 stored bytes: the cell's 23rd byte keeps what it held.
    for (int s = 0; s < MAX_SAT_NUM; ++s)
        std::memcpy(sat_names[s], src + image::SAT_NAMES + s * MAX_SATNAME_LEN, MAX_SATNAME_LEN);
    std::memcpy(region1, src + image::REGION1, sizeof region1);
    std::memcpy(&system, src + image::SYSTEM_BLOCK, sizeof system);
    std::memcpy(&cursor, src + image::CURSOR_BLOCK, sizeof cursor);
    std::memcpy(language_bytes, src + image::LANGUAGE_BYTES, sizeof language_bytes);
    std::memcpy(region2, src + image::REGION2, sizeof region2);
    std::memcpy(region3, src + image::REGION3, sizeof region3);
    std::memcpy(region4, src + image::REGION4, sizeof region4);
    std::memset(region4 + image::REGION4_ZEROED_FIRST, 0,
                image::REGION4_ZEROED_LAST - image::REGION4_ZEROED_FIRST + 1);
    return DB_IMAGE_SIZE;
}

int Database::build_image_for_receiver(uint8_t* dest) const
{
    pack_image(dest);
    swap_image_receiver_order(dest);
    return DB_IMAGE_SIZE;
}

int Database::take_back_image(const uint8_t* src, common::Prompts& prompts)
{
    std::vector<uint8_t> host(src, src + DB_IMAGE_SIZE);
    swap_image_receiver_order(host.data());
    unpack_image(host.data());
    if (is_valid())
        return 1;
    clear();
    prompts.error("Wrong DB : syscode");
    return 0;
}

void Database::clear()
{
    for (int i = 0; i < MAX_CHAN_NUM; ++i)
        reset_channel_slot(i);
    for (auto& tp : transponders)
        clear_transponder(tp);
    for (auto& sat : satellites)
        clear_satellite(sat);
    system.syscode = 0;
    // The counts describe the channels just reset. Kept, they would have every page list each
    // channel of a rejected file as an empty "no name chan" row that Edit and Delete act on.
    system.chan_count[0] = 0;
    system.chan_count[1] = 0;
    std::memset(system.fav_count, 0, sizeof system.fav_count);
}

void Database::clear_satellite(tSatellite& sat)
{
    sat.sat_id = INVALID_SATID;
}

void Database::clear_transponder(tTransponder& tp)
{
    tp.sat_id = INVALID_SATID;
    tp.symbol_rate = 0;
}

void Database::reset_channel_slot(int slot)
{
    reset_channel(channels[slot]);
}

void Database::reset_channel(tChannelStructure& ch)
{
    ch.tp_index = INVALID_TPID;
    ch.service_id = 0;
    for (auto& pid : ch.audio_pid)
        pid = INVALID_PID;
    ch.video_pid = INVALID_PID;
    ch.pcr_pid = INVALID_PID;
    ch.ttx_pid = INVALID_PID;
    ch.attributes = 0;
    ch.fav_membership = 0;
    std::memset(ch.audio_lang, 0xFF, sizeof ch.audio_lang);
    static const char empty_name[CHAN_NAME_LEN] = "no name chan";
    std::memcpy(ch.name, empty_name, CHAN_NAME_LEN);
    ch.carried_pid = INVALID_PID;
    ch.ext_audio_index = MAX_EXAUD_NUM;
    ch.ci_marker = 0;
    // carried43 is left as it was.
}

void Database::delete_channel(int global_index)
{
    tChannelStructure& ch = channels[global_index];
    if (ch.fav_membership & CH_FAV_GROUP_MASK)
        remove_from_favourites(ch.fav_membership & CH_FAV_GROUP_MASK, service_type_of(global_index),
                               relative_index(global_index));
    reset_channel_slot(global_index);
    language_bytes[global_index] = uint8_t((language_bytes[global_index] & 0xC0) | 3);
}

void Database::remove_from_favourites(uint8_t group_mask, int type, int relative)
{
    tChannelStructure& ch = channels[first_slot_of(type) + relative];
    for (int g = 0; g < MAX_FAVGROUP_NUM; ++g) {
        if (!(group_mask & (1u << g)))
            continue;
        uint16_t* list = fav_list(g, type);
        for (int i = 0; i < MAX_FAVCHAN_NUM; ++i) {
            if (list[i] != relative)
                continue;
            ch.fav_membership &= uint8_t(~(1u << g));
            std::memmove(list + i, list + i + 1, (MAX_FAVCHAN_NUM - i - 1) * sizeof(uint16_t));
            list[MAX_FAVCHAN_NUM - 1] = INVALID_FAVENTRY;
            break;
        }
    }
    if (!(ch.fav_membership & CH_FAV_GROUP_MASK))
        ch.fav_membership = 0;
}

uint16_t Database::clamp_cursor(uint16_t cursor_value, int count)
{
    if (count == 0)
        return 0;
    return cursor_value >= count ? uint16_t(count - 1) : cursor_value;
}

void Database::compact_channels_of(int type)
{
    const int first = first_slot_of(type);
    const int end = first + slot_count_of(type);
    // Every slot between an empty slot and the next used one is empty, so the search for the next
    // used slot only ever moves forward.
    int u = first;
    for (int e = first; e < end; ++e) {
        if (channels[e].tp_index != INVALID_TPID)
            continue;
        if (u <= e)
            u = e + 1;
        while (u < end && channels[u].tp_index == INVALID_TPID)
            ++u;
        if (u >= end)
            break;
        tChannelStructure& from = channels[u];
        if (uint8_t groups = from.fav_membership & CH_FAV_GROUP_MASK) {
            for (int g = 0; g < MAX_FAVGROUP_NUM; ++g) {
                if (!(groups & (1u << g)))
                    continue;
                uint16_t* list = fav_list(g, type);
                for (int i = 0; i < MAX_FAVCHAN_NUM; ++i)
                    if (list[i] == u - first) {
                        list[i] = uint16_t(e - first);
                        break;
                    }
            }
        }
        channels[e] = from;
        std::swap(language_bytes[e], language_bytes[u]);
        language_bytes[u] = 0xFF;
        reset_channel_slot(u);
    }
    int count = 0;
    while (count < slot_count_of(type) && channels[first + count].tp_index != INVALID_TPID)
        ++count;
    system.chan_count[type] = uint16_t(count);
    cursor.current_chan[type] = clamp_cursor(cursor.current_chan[type], count);
}

void Database::compact_channels()
{
    compact_channels_of(SERVICE_TV);
    compact_channels_of(SERVICE_RADIO);
}

void Database::compact_favourite_lists()
{
    for (int l = 0; l < FAV_LIST_NUM; ++l) {
        uint16_t* list = fav_index + l * MAX_FAVCHAN_NUM;
        int kept = 0;
        for (int i = 0; i < MAX_FAVCHAN_NUM; ++i)
            if (list[i] != INVALID_FAVENTRY)
                list[kept++] = list[i];
        std::fill(list + kept, list + MAX_FAVCHAN_NUM, INVALID_FAVENTRY);
        system.fav_count[l] = uint8_t(kept);
        cursor.fav_cursor[l] = uint8_t(clamp_cursor(cursor.fav_cursor[l], kept));
    }
}

void Database::swap_channels(int type, int a, int b)
{
    const int first = first_slot_of(type);
    const uint16_t ra = uint16_t(a - first), rb = uint16_t(b - first);
    const uint8_t groups = (channels[a].fav_membership | channels[b].fav_membership) & CH_FAV_GROUP_MASK;
    for (int g = 0; g < MAX_FAVGROUP_NUM; ++g) {
        if (!(groups & (1u << g)))
            continue;
        uint16_t* list = fav_list(g, type);
        const int count = std::min<int>(system.fav_count[fav_list_index(g, type)], MAX_FAVCHAN_NUM);
        bool seen_a = false, seen_b = false;
        for (int i = 0; i < count && !(seen_a && seen_b); ++i) {
            if (list[i] == ra && !seen_a) {
                list[i] = rb;
                seen_a = true;
            } else if (list[i] == rb && !seen_b) {
                list[i] = ra;
                seen_b = true;
            }
        }
    }
    std::swap(channels[a], channels[b]);
    std::swap(language_bytes[a], language_bytes[b]);
}

bool Database::reorder_channels(int type, const std::vector<int>& order)
{
    const int first = first_slot_of(type), n = slot_count_of(type);
    std::vector<int> slots;
    for (int c = first; c < first + n; ++c)
        if (channels[c].tp_index != INVALID_TPID)
            slots.push_back(c);
    if (order.size() != slots.size())
        return false;
    // new_slot[old relative index] = the relative index the channel moves to; free slots keep theirs.
    std::vector<int> new_slot(size_t(n), -1);
    for (size_t k = 0; k < order.size(); ++k) {
        const int from = order[k] - first;
        if (from < 0 || from >= n || channels[order[k]].tp_index == INVALID_TPID ||
            new_slot[size_t(from)] >= 0)
            return false;
        new_slot[size_t(from)] = slots[k] - first;
    }
    for (int i = 0; i < n; ++i)
        if (new_slot[size_t(i)] < 0)
            new_slot[size_t(i)] = i;

    std::vector<tChannelStructure> moved(order.size());
    std::vector<uint8_t> languages(order.size());
    for (size_t k = 0; k < order.size(); ++k) {
        moved[k] = channels[order[k]];
        languages[k] = language_bytes[order[k]];
    }
    for (size_t k = 0; k < order.size(); ++k) {
        channels[slots[k]] = moved[k];
        language_bytes[slots[k]] = languages[k];
    }
    // Every entry rather than the counted ones only, and by index rather than by the membership
    // bits as a swap goes: an entry kept beyond its count, or one whose bit is missing, still names
    // the channel it named.
    for (int g = 0; g < MAX_FAVGROUP_NUM; ++g) {
        uint16_t* list = fav_list(g, type);
        for (int i = 0; i < MAX_FAVCHAN_NUM; ++i)
            if (list[i] < n)
                list[i] = uint16_t(new_slot[list[i]]);
    }
    if (cursor.current_chan[type] < n)
        cursor.current_chan[type] = uint16_t(new_slot[cursor.current_chan[type]]);
    return true;
}

void Database::swap_favourite_positions(int group, int type, int p1, int p2)
{
    uint16_t* list = fav_list(group, type);
    std::swap(list[p1], list[p2]);
}

int same_satellite(int a, int b)
{
    if (a == b)
        return 0;
    return (a - b == SAT_HALF_NUM || b - a == SAT_HALF_NUM) ? 1 : -1;
}

int same_transponder(int a, int b)
{
    if (a == b)
        return 0;
    return (a - b == TP_HALF_NUM || b - a == TP_HALF_NUM) ? 1 : -1;
}

void sort_satellites_by_position(const Database& db, uint8_t* slots, int count)
{
    auto pos = [&](uint8_t s) { return db.satellites[s].position; };
    int gap = count;
    while (gap > 1) {
        gap = gap / 3 + 1;
        for (int i = gap; i < count; ++i) {
            uint8_t v = slots[i];
            int j = i;
            while (j >= gap && pos(slots[j - gap]) < pos(v)) {
                slots[j] = slots[j - gap];
                j -= gap;
            }
            slots[j] = v;
        }
    }
}

} // namespace korvid
