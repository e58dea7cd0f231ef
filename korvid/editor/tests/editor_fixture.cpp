#include "korvid/editor/tests/editor_fixture.h"

#include "common/strfmt.h"

#include <cstring>

namespace korvid::testing {

void put_satellite(Database& db, int slot, const std::string& name, int16_t position)
{
    tSatellite sat{};
    sat.lnb_freq_high = 10600;
    sat.lnb_freq_low = 9750;
    sat.lnb_type = UNI_LNB;
    sat.tuner_connection = TUNER_T1;
    sat.sat_id = uint8_t(slot);
    sat.position = position;
    db.satellites[slot] = sat;
    sat.sat_id = uint8_t(slot + SAT_HALF_NUM);
    sat.tuner_connection = TUNER_T2;
    db.satellites[slot + SAT_HALF_NUM] = sat;
    store_satellite_name(db, slot, name);
    store_satellite_name(db, slot + SAT_HALF_NUM, name);
}

void put_transponder(Database& db, int entry, int sat, uint16_t freq, uint16_t sr, uint8_t pol)
{
    tTransponder tp{};
    tp.sat_id = uint8_t(sat);
    tp.symbol_rate = sr;
    tp.frequency = freq;
    tp.sr_offset = 10;
    tp.polarisation = pol;
    tp.fec = 3;
    tp.carried9 = 0xA5;
    db.transponders[entry] = tp;
    tp.sat_id = uint8_t(sat + SAT_HALF_NUM);
    db.transponders[entry + TP_HALF_NUM] = tp;
}

int put_channel(Database& db, int type, int tp_index, const char* name)
{
    const int global = first_slot_of(type) + db.system.chan_count[type]++;
    tChannelStructure& ch = db.channels[global];
    ch.tp_index = uint16_t(tp_index);
    ch.service_id = uint16_t(100 + global);
    ch.video_pid = type == SERVICE_TV ? uint16_t(0x100 + global % 64) : INVALID_PID;
    ch.audio_pid[0] = uint16_t(0x200 + global % 64);
    std::memset(ch.name, 0, sizeof ch.name);
    std::memcpy(ch.name, name, std::min<size_t>(std::strlen(name), CHAN_NAME_LEN));
    db.language_bytes[global] = 17;
    return global;
}

void put_favourite(Database& db, int group, int global_index)
{
    const int type = service_type_of(global_index);
    uint8_t& count = db.system.fav_count[fav_list_index(group, type)];
    db.fav_list(group, type)[count++] = uint16_t(relative_index(global_index));
    db.channels[global_index].fav_membership |= uint8_t(CH_FAV_MEMBER | (1u << group));
}

void fill_sample_database(Database& db, TunerMode mode)
{
    db.clear();
    std::fill(std::begin(db.fav_index), std::end(db.fav_index), INVALID_FAVENTRY);
    std::memset(db.system.fav_count, 0, sizeof db.system.fav_count);
    db.system.chan_count[0] = db.system.chan_count[1] = 0;
    db.system.syscode = DB_SYSCODE_VALUE;
    for (int s = 0; s < 32; ++s) {
        put_satellite(db, s, common::strfmt("Sat %02d", s), int16_t(s * 70 - 1000));
        if (mode == TunerMode::Loop)
            db.satellites[s].tuner_connection = TUNER_LOOP;
        else if (mode == TunerMode::Twin)
            db.satellites[s].tuner_connection = TUNER_TWIN;
    }
    for (int s = 0; s < 4; ++s) {
        put_transponder(db, 3 * s, s, 11000, 27500, 0);
        put_transponder(db, 3 * s + 1, s, 12000, 27500, 1);
        put_transponder(db, 3 * s + 2, s, 12500, 22000, 0);
    }
    put_channel(db, SERVICE_TV, 0, "tv0");
    put_channel(db, SERVICE_TV, 1, "tv1");
    put_channel(db, SERVICE_TV, 3, "tv2");
    put_channel(db, SERVICE_TV, 4, "tv3");
    put_channel(db, SERVICE_TV, 6, "tv4");
    put_channel(db, SERVICE_TV, TP_HALF_NUM + 7, "tv5");
    put_channel(db, SERVICE_RADIO, 2, "r0");
    put_channel(db, SERVICE_RADIO, 5, "r1");
    put_channel(db, SERVICE_RADIO, 9, "r2");
    put_favourite(db, 0, 1);
    put_favourite(db, 0, 3);
    put_favourite(db, 0, 5);
    put_favourite(db, 2, 3);
    put_favourite(db, 1, MAX_TV_CHAN_NUM + 1);
    db.present = true;
}

EditorFixture::EditorFixture()
{
    fill_sample_database(db);
}

void EditorFixture::announce_new_database()
{
    view.on_new_database();
    doc.set_modified(false);
    doc.restart_history();
}

void EditorFixture::load(TunerMode mode)
{
    fill_sample_database(db, mode);
    announce_new_database();
}

void EditorFixture::on_satellite_dialog(std::function<void(SatelliteDialog&)> user)
{
    dialogs.satellite = [this, user](SatelliteDialog& d) {
        ++satellite_dialogs_opened;
        user(d);
        return d.ok();
    };
}

void EditorFixture::on_transponder_dialog(std::function<void(TransponderDialog&)> user)
{
    dialogs.transponder = [this, user](TransponderDialog& d) {
        ++transponder_dialogs_opened;
        user(d);
        return d.ok();
    };
}

int EditorFixture::row_of(const ListState& list, int item)
{
    return list.find_item(item);
}

} // namespace korvid::testing
