#include "korvid/database/image_check.h"

#include "common/strfmt.h"

namespace korvid {

using common::strfmt;

std::string damaged_database_reason(const Database& db)
{
    for (int s = 0; s < MAX_SAT_NUM; ++s) {
        const int id = db.satellites[s].sat_id;
        if (id != INVALID_SATID && id != s)
            return strfmt("satellite slot %d carries the id %d", s, id);
    }
    for (int t = 0; t < MAX_TP_NUM; ++t) {
        const int id = db.transponders[t].sat_id;
        if (id != INVALID_SATID && id >= MAX_SAT_NUM)
            return strfmt("transponder %d names satellite %d", t, id);
    }
    for (int c = 0; c < MAX_CHAN_NUM; ++c) {
        const tChannelStructure& ch = db.channels[c];
        if (ch.tp_index != INVALID_TPID && ch.tp_index >= MAX_TP_NUM)
            return strfmt("channel %d names transponder %d", c, ch.tp_index);
        if (ch.ext_audio_index > MAX_EXAUD_NUM)
            return strfmt("channel %d names extended audio record %d", c, ch.ext_audio_index);
    }
    for (int type : {SERVICE_TV, SERVICE_RADIO}) {
        const int slots = slot_count_of(type);
        const int count = db.system.chan_count[type];
        const char* what = type == SERVICE_TV ? "TV" : "radio";
        if (count > slots)
            return strfmt("%s channel count %d", what, count);
        if (db.cursor.current_chan[type] >= (count ? count : 1))
            return strfmt("%s current channel %d of %d", what, db.cursor.current_chan[type], count);
        for (int g = 0; g < MAX_FAVGROUP_NUM; ++g) {
            const int l = fav_list_index(g, type);
            const int used = db.system.fav_count[l];
            if (used > MAX_FAVCHAN_NUM)
                return strfmt("favourite group %d %s count %d", g, what, used);
            if (db.cursor.fav_cursor[l] >= (used ? used : 1))
                return strfmt("favourite group %d %s cursor %d of %d", g, what, db.cursor.fav_cursor[l],
                              used);
            const uint16_t* list = db.fav_list(g, type);
            for (int i = 0; i < MAX_FAVCHAN_NUM; ++i)
                if (list[i] != INVALID_FAVENTRY && list[i] >= slots)
                    return strfmt("favourite group %d %s entry %d names channel %d", g, what, i, list[i]);
        }
    }
    return {};
}

} // namespace korvid
