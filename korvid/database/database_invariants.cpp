#include "korvid/database/database_invariants.h"

#include "common/strfmt.h"
#include "korvid/database/channel_texts.h"
#include "korvid/database/record_names.h"
#include "korvid/database/slots.h"

#include <cstring>

namespace korvid {

using common::strfmt;

namespace {

void check_satellites(const Database& db, const RecordNames& names, std::vector<std::string>& out)
{
    for (int s = 0; s < SAT_HALF_NUM; ++s) {
        const int t = s + SAT_HALF_NUM;
        const bool used = satellite_used(db, s), twin_used = satellite_used(db, t);
        if (used != twin_used) {
            out.push_back(used ? names.satellite(s) + ": its T2 twin is not in use"
                               : names.satellite(t) + ": its T1 twin is not in use");
            continue;
        }
        if (!used)
            continue;
        if (db.satellites[s].sat_id != s || db.satellites[t].sat_id != t)
            out.push_back(names.satellite(s) + strfmt(": slots %d/%d carry the ids %d/%d", s, t,
                                                      db.satellites[s].sat_id, db.satellites[t].sat_id));
        if (satellite_name(db, s) != satellite_name(db, t))
            out.push_back(names.satellite(s) + ": its T2 twin is named \"" + satellite_name(db, t) + "\"");
    }
}

void check_transponders(const Database& db, const RecordNames& names, std::vector<std::string>& out)
{
    for (int i = 0; i < TP_HALF_NUM; ++i) {
        const tTransponder& a = db.transponders[i];
        const tTransponder& b = db.transponders[i + TP_HALF_NUM];
        const bool used = transponder_used(db, i), twin_used = transponder_used(db, i + TP_HALF_NUM);
        if (used != twin_used) {
            out.push_back(used ? names.transponder(i) + ": its T2 twin is not in use"
                               : names.transponder(i + TP_HALF_NUM) + ": its T1 twin is not in use");
            continue;
        }
        if (!used)
            continue;
        if (a.sat_id >= SAT_HALF_NUM || !satellite_used(db, a.sat_id))
            out.push_back(names.transponder(i) + strfmt(": its satellite (slot %d) is not in use", a.sat_id));
        tTransponder expected = a;
        expected.sat_id = uint8_t(a.sat_id + SAT_HALF_NUM);
        if (std::memcmp(&expected, &b, sizeof b) != 0)
            out.push_back(names.transponder(i) + ": its T2 twin differs (" + transponder_tuning_text(b) +
                          strfmt(" on slot %d)", b.sat_id));
    }
}

void check_channels(const Database& db, const RecordNames& names, std::vector<std::string>& out)
{
    for (int type = SERVICE_TV; type <= SERVICE_RADIO; ++type) {
        const int first = first_slot_of(type), n = slot_count_of(type);
        const char* page = service_page_name(type);
        int count = 0;
        while (count < n && channel_used(db, first + count))
            ++count;
        for (int i = count; i < n; ++i)
            if (db.channels[first + i].tp_index != INVALID_TPID) {
                out.push_back(
                    names.channel(first + i) +
                    strfmt(": stands behind the free slot %04d, where the %s list ends", count + 1, page));
                break;
            }
        if (db.system.chan_count[type] != count)
            out.push_back(strfmt("%s list: the count says %d channels, but %d stand at the front", page,
                                 db.system.chan_count[type], count));
        for (int i = 0; i < count; ++i)
            if (!transponder_used(db, db.channels[first + i].tp_index))
                out.push_back(names.channel(first + i) + ": its transponder is not in use");
        for (int i = count; i < n; ++i)
            if (db.channels[first + i].fav_membership != 0) {
                out.push_back(strfmt("%s slot %04d is free but marked for favourites (0x%02x)", page, i + 1,
                                     db.channels[first + i].fav_membership));
                break;
            }
    }
}

void check_favourites(const Database& db, const RecordNames& names, std::vector<std::string>& out)
{
    for (int type = SERVICE_TV; type <= SERVICE_RADIO; ++type) {
        const int first = first_slot_of(type), n = slot_count_of(type);
        std::vector<uint8_t> expected(size_t(n), 0);
        for (int g = 0; g < MAX_FAVGROUP_NUM; ++g) {
            const uint16_t* list = db.fav_list(g, type);
            int used = 0;
            while (used < MAX_FAVCHAN_NUM && list[used] != INVALID_FAVENTRY)
                ++used;
            for (int i = used; i < MAX_FAVCHAN_NUM; ++i)
                if (list[i] != INVALID_FAVENTRY) {
                    out.push_back(names.favourite_list(g, type) + strfmt(": a hole at entry %d", used + 1));
                    break;
                }
            if (db.system.fav_count[fav_list_index(g, type)] != used)
                out.push_back(names.favourite_list(g, type) +
                              strfmt(": the count says %d, but the list holds %d",
                                     db.system.fav_count[fav_list_index(g, type)], used));
            for (int i = 0; i < used; ++i) {
                const int rel = list[i];
                if (rel >= n || !channel_used(db, first + rel)) {
                    out.push_back(names.favourite_list(g, type) +
                                  strfmt(": entry %d names the free slot %04d", i + 1, rel + 1));
                    continue;
                }
                if (expected[size_t(rel)] & (1u << g))
                    out.push_back(names.favourite_list(g, type) + ": holds " + names.channel(first + rel) +
                                  " twice");
                expected[size_t(rel)] |= uint8_t(1u << g);
            }
        }
        for (int rel = 0; rel < n; ++rel) {
            const uint8_t bits = db.channels[first + rel].fav_membership;
            const uint8_t want = expected[size_t(rel)] ? uint8_t(expected[size_t(rel)] | CH_FAV_MEMBER) : 0;
            const uint8_t have = uint8_t(bits & (CH_FAV_MEMBER | CH_FAV_GROUP_MASK));
            if (channel_used(db, first + rel) && have != want)
                out.push_back(
                    names.channel(first + rel) +
                    strfmt(
                        ": marked for favourites \"%s\" (0x%02x), but the lists hold it in \"%s\" (0x%02x)",
                        favourite_column_text(have).c_str(), have, favourite_column_text(want).c_str(),
                        want));
        }
    }
}

} // namespace

std::vector<std::string> check_database_invariants(const Database& db)
{
    std::vector<std::string> out;
    const RecordNames names(db);
    check_satellites(db, names, out);
    check_transponders(db, names, out);
    check_channels(db, names, out);
    check_favourites(db, names, out);
    return out;
}

} // namespace korvid
