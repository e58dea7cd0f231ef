#include "korvid/editor/database_invariants.h"

#include "common/strfmt.h"
#include "korvid/editor/editor_operations.h"

#include <cstring>

namespace korvid {

namespace {

void check_satellites(const Database& db, std::vector<std::string>& out)
{
    for (int s = 0; s < SAT_HALF_NUM; ++s) {
        const int t = s + SAT_HALF_NUM;
        const bool used = satellite_used(db, s), twin_used = satellite_used(db, t);
        if (used != twin_used) {
            out.push_back(
                common::strfmt("satellite %d used=%d but its twin %d used=%d", s, used, t, twin_used));
            continue;
        }
        if (!used)
            continue;
        if (db.satellites[s].sat_id != s || db.satellites[t].sat_id != t)
            out.push_back(common::strfmt("satellite %d/%d carries ids %d/%d", s, t, db.satellites[s].sat_id,
                                         db.satellites[t].sat_id));
        if (satellite_name(db, s) != satellite_name(db, t))
            out.push_back(common::strfmt("satellite %d is named \"%s\" but its twin \"%s\"", s,
                                         satellite_name(db, s).c_str(), satellite_name(db, t).c_str()));
    }
}

void check_transponders(const Database& db, std::vector<std::string>& out)
{
    for (int i = 0; i < TP_HALF_NUM; ++i) {
        const tTransponder& a = db.transponders[i];
        const tTransponder& b = db.transponders[i + TP_HALF_NUM];
        const bool used = transponder_used(db, i), twin_used = transponder_used(db, i + TP_HALF_NUM);
        if (used != twin_used) {
            out.push_back(common::strfmt("transponder %d used=%d but its twin used=%d", i, used, twin_used));
            continue;
        }
        if (!used)
            continue;
        if (a.sat_id >= SAT_HALF_NUM || !satellite_used(db, a.sat_id))
            out.push_back(common::strfmt(
                "transponder %d refers to satellite %d, which is not a used first-half slot", i, a.sat_id));
        tTransponder expected = a;
        expected.sat_id = uint8_t(a.sat_id + SAT_HALF_NUM);
        if (std::memcmp(&expected, &b, sizeof b) != 0)
            out.push_back(common::strfmt("transponder %d and its twin %d differ", i, i + TP_HALF_NUM));
    }
}

void check_channels(const Database& db, std::vector<std::string>& out)
{
    for (int type = SERVICE_TV; type <= SERVICE_RADIO; ++type) {
        const int first = first_slot_of(type), n = slot_count_of(type);
        int count = 0;
        while (count < n && channel_used(db, first + count))
            ++count;
        for (int i = count; i < n; ++i)
            if (db.channels[first + i].tp_index != INVALID_TPID) {
                out.push_back(common::strfmt("type %d: slot %d is in use after the free slot %d", type,
                                             first + i, first + count));
                break;
            }
        if (db.system.chan_count[type] != count)
            out.push_back(common::strfmt("type %d: channel count %d but %d used slots at the front", type,
                                         db.system.chan_count[type], count));
        for (int i = 0; i < count; ++i) {
            const int tp = db.channels[first + i].tp_index;
            if (!transponder_used(db, tp))
                out.push_back(
                    common::strfmt("channel %d refers to transponder %d, which is free", first + i, tp));
        }
        for (int i = count; i < n; ++i)
            if (db.channels[first + i].fav_membership != 0) {
                out.push_back(common::strfmt("free channel slot %d has membership bits 0x%02x", first + i,
                                             db.channels[first + i].fav_membership));
                break;
            }
    }
}

void check_favourites(const Database& db, std::vector<std::string>& out)
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
                    out.push_back(common::strfmt("favourite list %d/%d has a hole at %d", g, type, used));
                    break;
                }
            if (db.system.fav_count[fav_list_index(g, type)] != used)
                out.push_back(common::strfmt("favourite list %d/%d count %d but %d entries", g, type,
                                             db.system.fav_count[fav_list_index(g, type)], used));
            for (int i = 0; i < used; ++i) {
                const int rel = list[i];
                if (rel >= n || !channel_used(db, first + rel)) {
                    out.push_back(common::strfmt("favourite list %d/%d entry %d names free channel %d", g,
                                                 type, i, rel));
                    continue;
                }
                if (expected[size_t(rel)] & (1u << g))
                    out.push_back(
                        common::strfmt("favourite list %d/%d holds channel %d twice", g, type, rel));
                expected[size_t(rel)] |= uint8_t(1u << g);
            }
        }
        for (int rel = 0; rel < n; ++rel) {
            const uint8_t bits = db.channels[first + rel].fav_membership;
            const uint8_t want = expected[size_t(rel)] ? uint8_t(expected[size_t(rel)] | CH_FAV_MEMBER) : 0;
            if (channel_used(db, first + rel) && (bits & (CH_FAV_MEMBER | CH_FAV_GROUP_MASK)) != want)
                out.push_back(common::strfmt("channel %d has membership 0x%02x but the lists say 0x%02x",
                                             first + rel, bits, want));
        }
    }
}

} // namespace

std::vector<std::string> check_database_invariants(const Database& db)
{
    std::vector<std::string> out;
    check_satellites(db, out);
    check_transponders(db, out);
    check_channels(db, out);
    check_favourites(db, out);
    return out;
}

} // namespace korvid
