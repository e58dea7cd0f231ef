#pragma once
// Databases for tests: random bytes in every table, or small known contents.
#include "korvid/database/database.h"
#include "korvid/database/database_json.h"
#include "korvid/database/slots.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace korvid::testing {

inline void fill_random(void* p, size_t n, std::mt19937& rng)
{
    auto* b = static_cast<uint8_t*>(p);
    for (size_t i = 0; i < n; ++i)
        b[i] = uint8_t(rng());
}

// Every byte of every table random; the bytes that an unpacking zeroes are zero already, so that
// a round trip can be compared whole.
inline std::unique_ptr<Database> random_database(unsigned seed)
{
    std::mt19937 rng(seed);
    auto db = std::make_unique<Database>();
    fill_random(db->channels, sizeof db->channels, rng);
    fill_random(db->ext_audio, sizeof db->ext_audio, rng);
    fill_random(db->transponders, sizeof db->transponders, rng);
    fill_random(db->fav_index, sizeof db->fav_index, rng);
    fill_random(db->fav_names, sizeof db->fav_names, rng);
    fill_random(db->satellites, sizeof db->satellites, rng);
    fill_random(db->sat_names, sizeof db->sat_names, rng);
    fill_random(db->region1, sizeof db->region1, rng);
    fill_random(&db->system, sizeof db->system, rng);
    fill_random(&db->cursor, sizeof db->cursor, rng);
    fill_random(db->language_bytes, sizeof db->language_bytes, rng);
    fill_random(db->region2, sizeof db->region2, rng);
    fill_random(db->region3, sizeof db->region3, rng);
    fill_random(db->region4, sizeof db->region4, rng);
    std::memset(db->region4 + 1168, 0, 128);
    return db;
}

// Makes the random tables keep the promises every editing step keeps: twins in step, references
// only to used slots, used channels at the front with their counts, favourite lists without holes
// and in agreement with the membership bits. Every other byte stays random.
inline void keep_promises(Database& db, std::mt19937& rng)
{
    std::vector<int> sats, tps;
    for (int s = 0; s < SAT_HALF_NUM; ++s) {
        const bool used = db.satellites[s].sat_id == s;
        db.satellites[s + SAT_HALF_NUM].sat_id = used ? uint8_t(s + SAT_HALF_NUM) : INVALID_SATID;
        std::memcpy(db.sat_names[s + SAT_HALF_NUM], db.sat_names[s], MAX_SATNAME_LEN + 1);
        if (used)
            sats.push_back(s);
    }
    for (int t = 0; t < TP_HALF_NUM; ++t) {
        tTransponder& tp = db.transponders[t];
        tp.sat_id = (!sats.empty() && (rng() & 1)) ? uint8_t(sats[rng() % sats.size()]) : INVALID_SATID;
        db.transponders[t + TP_HALF_NUM] = tp;
        if (tp.sat_id != INVALID_SATID) {
            db.transponders[t + TP_HALF_NUM].sat_id = uint8_t(tp.sat_id + SAT_HALF_NUM);
            tps.push_back(t);
        }
    }
    for (int type : {SERVICE_TV, SERVICE_RADIO}) {
        const int first = first_slot_of(type), n = slot_count_of(type);
        const int count = tps.empty() ? 0 : db.system.chan_count[type];
        db.system.chan_count[type] = uint16_t(count);
        for (int i = 0; i < n; ++i) {
            tChannelStructure& ch = db.channels[first + i];
            ch.tp_index =
                i < count ? uint16_t(tps[rng() % tps.size()] + (rng() & 1) * TP_HALF_NUM) : INVALID_TPID;
            ch.fav_membership &= uint8_t(~(CH_FAV_MEMBER | CH_FAV_GROUP_MASK));
            if (i >= count)
                ch.fav_membership = 0;
        }
        for (int g = 0; g < MAX_FAVGROUP_NUM; ++g) {
            const int l = fav_list_index(g, type);
            const int used = count ? std::min<int>(db.system.fav_count[l], count) : 0;
            db.system.fav_count[l] = uint8_t(used);
            uint16_t* list = db.fav_list(g, type);
            const int step = used ? std::max(1, count / used) : 1;
            const int start = used ? int(rng() % uint32_t(count - (used - 1) * step)) : 0;
            for (int i = 0; i < MAX_FAVCHAN_NUM; ++i)
                list[i] = i < used ? uint16_t(start + i * step) : INVALID_FAVENTRY;
            for (int i = 0; i < used; ++i)
                db.channels[first + list[i]].fav_membership |= uint8_t(CH_FAV_MEMBER | (1u << g));
        }
    }
}

// Random as above, but every index the receiver follows lies in its table and every count within
// its list, and the tables keep the editor's promises, as in any database a receiver could hold;
// valid system code.
inline std::unique_ptr<Database> sound_random_database(unsigned seed)
{
    auto db = random_database(seed);
    db->system.syscode = DB_SYSCODE_VALUE;
    for (int s = 0; s < MAX_SAT_NUM; ++s)
        db->satellites[s].sat_id = (db->satellites[s].sat_id & 1) ? uint8_t(s) : INVALID_SATID;
    for (auto& tp : db->transponders)
        tp.sat_id = tp.sat_id % (MAX_SAT_NUM + 1); // 128 is INVALID_SATID
    for (auto& ch : db->channels) {
        ch.tp_index = uint16_t(ch.tp_index % (MAX_TP_NUM + 1));
        ch.ext_audio_index = uint16_t(ch.ext_audio_index % (MAX_EXAUD_NUM + 1));
    }
    for (int type : {SERVICE_TV, SERVICE_RADIO}) {
        db->system.chan_count[type] = uint16_t(db->system.chan_count[type] % (slot_count_of(type) + 1));
        db->cursor.current_chan[type] = 0;
        for (int g = 0; g < MAX_FAVGROUP_NUM; ++g) {
            const int l = fav_list_index(g, type);
            db->system.fav_count[l] = uint8_t(db->system.fav_count[l] % (MAX_FAVCHAN_NUM + 1));
            db->cursor.fav_cursor[l] = 0;
            uint16_t* list = db->fav_list(g, type);
            for (int i = 0; i < MAX_FAVCHAN_NUM; ++i)
                list[i] =
                    i < db->system.fav_count[l] ? uint16_t(list[i] % slot_count_of(type)) : INVALID_FAVENTRY;
        }
    }
    std::mt19937 rng(seed + 1000);
    keep_promises(*db, rng);
    return db;
}

// A cleared, valid database with satellite 0 and transponder 0 in use.
inline std::unique_ptr<Database> small_database()
{
    auto db = std::make_unique<Database>();
    db->clear();
    db->system.syscode = DB_SYSCODE_VALUE;
    std::memset(db->fav_index, 0xFF, sizeof db->fav_index);
    db->satellites[0].sat_id = 0;
    db->satellites[0].position = 192;
    std::strcpy(db->sat_names[0], "ASTRA 1");
    db->transponders[0] = tTransponder{0, 0, 27500, 11494, 10, 1, 3, 0};
    return db;
}

inline void use_channel(Database& db, int slot, const char* name, uint16_t tp = 0)
{
    db.reset_channel_slot(slot);
    db.channels[slot].tp_index = tp;
    std::memset(db.channels[slot].name, 0, CHAN_NAME_LEN);
    std::strncpy(reinterpret_cast<char*>(db.channels[slot].name), name, CHAN_NAME_LEN);
}

// A satellite and its second-tuner twin with a universal LNB.
inline void put_satellite(Database& db, int slot, const char* name, int16_t position)
{
    for (int s : {slot, slot + SAT_HALF_NUM}) {
        tSatellite& sat = db.satellites[s];
        sat = tSatellite{};
        sat.lnb_freq_low = 9750;
        sat.lnb_freq_high = 10600;
        sat.lnb_type = UNI_LNB;
        sat.sat_id = uint8_t(s);
        sat.position = position;
        sat.tuner_connection = s == slot ? TUNER_T1 : TUNER_T2;
        store_satellite_name(db, s, name);
    }
}

// A transponder and its twin.
inline void put_transponder(Database& db, int entry, int sat, uint16_t freq, uint16_t sr, uint8_t pol)
{
    db.transponders[entry] = tTransponder{uint8_t(sat), 0, sr, freq, 10, pol, 0, 0};
    db.transponders[entry + TP_HALF_NUM] =
        tTransponder{uint8_t(sat + SAT_HALF_NUM), 0, sr, freq, 10, pol, 0, 0};
}

// Appends a channel of a type; returns its global index.
inline int put_channel(Database& db, int type, uint16_t tp, const char* name, uint16_t sid = 0)
{
    const int slot = first_slot_of(type) + db.system.chan_count[type]++;
    use_channel(db, slot, name, tp);
    db.channels[slot].service_id = sid;
    db.channels[slot].video_pid = type == SERVICE_TV ? uint16_t(100 + sid) : INVALID_PID;
    db.channels[slot].audio_pid[0] = uint16_t(200 + sid);
    return slot;
}

inline void put_favourite(Database& db, int group, int global_index)
{
    const int type = service_type_of(global_index);
    uint8_t& count = db.system.fav_count[fav_list_index(group, type)];
    db.fav_list(group, type)[count++] = uint16_t(relative_index(global_index));
    db.channels[global_index].fav_membership |= uint8_t(CH_FAV_MEMBER | (1u << group));
}

// A database the check finds nothing in: two satellites with a transponder each, on the band their
// LNB receives, every transponder in use, no two channels alike, every favourite group in use.
inline std::unique_ptr<Database> sound_database()
{
    auto db = std::make_unique<Database>();
    db->clear();
    db->system.syscode = DB_SYSCODE_VALUE;
    std::memset(db->fav_index, 0xFF, sizeof db->fav_index);
    db->present = true;
    put_satellite(*db, 0, "Astra 19.2E", 192);
    put_satellite(*db, 1, "Hot Bird", 130);
    put_transponder(*db, 0, 0, 11494, 22000, 1);
    put_transponder(*db, 1, 1, 10992, 27500, 0);
    const int ard = put_channel(*db, SERVICE_TV, 0, "Das Erste HD", 1);
    const int zdf = put_channel(*db, SERVICE_TV, 0, "ZDF HD", 2);
    put_channel(*db, SERVICE_TV, TP_HALF_NUM + 1, "Rai 1", 3);
    const int radio = put_channel(*db, SERVICE_RADIO, 1, "Radio 1", 4);
    put_favourite(*db, 0, ard);
    put_favourite(*db, 0, zdf);
    put_favourite(*db, 1, zdf);
    put_favourite(*db, 2, radio);
    put_favourite(*db, 3, ard);
    return db;
}

#ifdef KD_SOURCE_DIR
// The sample database of samples/, built from its JSON text; null when the text is refused (the
// sample's own test says why). Only for programs that know where the sources are.
inline std::unique_ptr<Database> sample_database()
{
    std::ifstream in(std::string(KD_SOURCE_DIR) + "/samples/sample.json", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return build_database_from_json(text.str()).db;
}
#endif

// Another database with the same tables, through the image as a file would carry them.
inline std::unique_ptr<Database> copy_of(const Database& db)
{
    std::vector<uint8_t> image(DB_IMAGE_SIZE, 0);
    db.pack_image(image.data());
    auto copy = std::make_unique<Database>();
    copy->unpack_image(image.data());
    return copy;
}

} // namespace korvid::testing
