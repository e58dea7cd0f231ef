#include "korvid/database/database_invariants.h"

#include "common/strfmt.h"
#include "korvid/database/channel_texts.h"
#include "korvid/database/record_names.h"
#include "korvid/database/slots.h"
#include "korvid/database/transponder_texts.h"

#include <algorithm>
#include <cstring>

namespace korvid {

using common::strfmt;

namespace {

using Out = std::vector<BrokenPromise>;

void damage(Out& out, std::string text)
{
    out.push_back({true, std::move(text)});
}

void note(Out& out, std::string text)
{
    out.push_back({false, std::move(text)});
}

void check_satellites(const Database& db, const RecordNames& names, Out& out)
{
    for (int s = 0; s < SAT_HALF_NUM; ++s) {
        const int t = s + SAT_HALF_NUM;
        const bool used = satellite_used(db, s), twin_used = satellite_used(db, t);
        if (used != twin_used) {
            note(out, used ? names.satellite(s) + ": its T2 twin is not in use"
                           : names.satellite(t) + ": its T1 twin is not in use");
            continue;
        }
        if (!used)
            continue;
        if (db.satellites[s].sat_id != s || db.satellites[t].sat_id != t)
            damage(out, names.satellite(s) + strfmt(": slots %d/%d carry the ids %d/%d", s, t,
                                                    db.satellites[s].sat_id, db.satellites[t].sat_id));
        if (satellite_name(db, s) != satellite_name(db, t))
            note(out, names.satellite(s) + ": its T2 twin is named \"" + satellite_name(db, t) + "\"");
    }
}

// What differs between a transponder and its T2 twin, field by field with both values, so that a
// line never shows two equal tuning texts. The bytes no page shows are named by their offset.
std::string twin_difference(const tTransponder& a, const tTransponder& b)
{
    std::string shown, carried;
    auto add = [](std::string& to, const std::string& what) { to += (to.empty() ? "" : ", ") + what; };
    if (a.frequency != b.frequency)
        add(shown, strfmt("frequency %d/%d", a.frequency, b.frequency));
    if (a.polarisation != b.polarisation)
        add(shown, "polarisation " + polarity_letter(a.polarisation) + "/" + polarity_letter(b.polarisation));
    if (a.symbol_rate != b.symbol_rate)
        add(shown, strfmt("symbol rate %d/%d", a.symbol_rate, b.symbol_rate));
    if (a.fec != b.fec)
        add(shown, strfmt("FEC %d/%d", a.fec, b.fec));
    if (a.carried1 != b.carried1)
        add(carried, strfmt("byte 1 (%d/%d)", a.carried1, b.carried1));
    if (a.sr_offset != b.sr_offset)
        add(carried, strfmt("byte 6, the symbol-rate offset (%d/%d)", a.sr_offset, b.sr_offset));
    if (a.carried9 != b.carried9)
        add(carried, strfmt("byte 9 (0x%02x/0x%02x)", a.carried9, b.carried9));
    if (shown.empty())
        return "its T2 twin differs only in bytes no page shows: " + carried;
    return "its T2 twin differs in " + shown + (carried.empty() ? "" : ", and in " + carried);
}

void check_transponders(const Database& db, const RecordNames& names, Out& out)
{
    for (int i = 0; i < TP_HALF_NUM; ++i) {
        const tTransponder& a = db.transponders[i];
        const tTransponder& b = db.transponders[i + TP_HALF_NUM];
        const bool used = transponder_used(db, i), twin_used = transponder_used(db, i + TP_HALF_NUM);
        if (used != twin_used) {
            note(out, used ? names.transponder(i) + ": its T2 twin is not in use"
                           : names.transponder(i + TP_HALF_NUM) + ": its T1 twin is not in use");
            // The tuner the twin serves still needs a satellite behind the entry that is there.
            const int there = used ? i : i + TP_HALF_NUM;
            const int sat = db.transponders[there].sat_id;
            if (sat >= MAX_SAT_NUM || !satellite_used(db, sat))
                damage(out,
                       names.transponder(there) + strfmt(": its satellite (slot %d) is not in use", sat));
            continue;
        }
        if (!used)
            continue;
        if (a.sat_id >= SAT_HALF_NUM || !satellite_used(db, a.sat_id))
            damage(out, names.transponder(i) + strfmt(": its satellite (slot %d) is not in use", a.sat_id));
        else if (b.sat_id >= MAX_SAT_NUM || !satellite_used(db, b.sat_id))
            damage(out, names.transponder(i + TP_HALF_NUM) +
                            strfmt(": its satellite (slot %d) is not in use", b.sat_id));
        tTransponder expected = a;
        expected.sat_id = uint8_t(a.sat_id + SAT_HALF_NUM);
        if (std::memcmp(&expected, &b, sizeof b) == 0)
            continue;
        if (expected.sat_id != b.sat_id)
            note(out, names.transponder(i) + strfmt(": its T2 twin lies on satellite slot %d, not %d",
                                                    b.sat_id, expected.sat_id));
        expected.sat_id = b.sat_id;
        if (std::memcmp(&expected, &b, sizeof b) != 0)
            note(out, names.transponder(i) + ": " + twin_difference(a, b));
    }
}

void check_channels(const Database& db, const RecordNames& names, Out& out)
{
    for (int type = SERVICE_TV; type <= SERVICE_RADIO; ++type) {
        const int first = first_slot_of(type), n = slot_count_of(type);
        const char* page = service_page_name(type);
        int count = 0;
        while (count < n && channel_used(db, first + count))
            ++count;
        for (int i = count; i < n; ++i)
            if (db.channels[first + i].tp_index != INVALID_TPID) {
                damage(out, names.channel(first + i) + strfmt(": stands behind the free slot %04d, where the "
                                                              "%s list ends",
                                                              count + 1, page));
                break;
            }
        // The receiver lists as many channels as the count says: more shows free slots, fewer hides
        // channels.
        if (db.system.chan_count[type] != count)
            damage(out, strfmt("%s list: the count says %d channels, but %d stand at the front", page,
                               db.system.chan_count[type], count));
        for (int i = 0; i < count; ++i)
            if (!transponder_used(db, db.channels[first + i].tp_index))
                damage(out, names.channel(first + i) + ": its transponder is not in use");
        for (int i = count; i < n; ++i)
            if (db.channels[first + i].fav_membership != 0) {
                note(out, strfmt("%s slot %04d is free but marked for favourites (0x%02x)", page, i + 1,
                                 db.channels[first + i].fav_membership));
                break;
            }
    }
}

// The receiver reads as many entries of a list as its count says; what lies beyond is kept but
// never shown.
void check_favourites(const Database& db, const RecordNames& names, Out& out)
{
    for (int type = SERVICE_TV; type <= SERVICE_RADIO; ++type) {
        const int first = first_slot_of(type), n = slot_count_of(type);
        std::vector<uint8_t> expected(size_t(n), 0);
        for (int g = 0; g < MAX_FAVGROUP_NUM; ++g) {
            const uint16_t* list = db.fav_list(g, type);
            const int count = std::min<int>(db.system.fav_count[fav_list_index(g, type)], MAX_FAVCHAN_NUM);
            for (int i = 0; i < count; ++i) {
                const int rel = list[i];
                if (rel == INVALID_FAVENTRY) {
                    damage(out, names.favourite_list(g, type) +
                                    strfmt(": entry %d is empty, within the count of %d", i + 1, count));
                    continue;
                }
                if (rel >= n || !channel_used(db, first + rel)) {
                    damage(out, names.favourite_list(g, type) +
                                    strfmt(": entry %d names the free slot %04d", i + 1, rel + 1));
                    continue;
                }
                if (expected[size_t(rel)] & (1u << g))
                    note(out,
                         names.favourite_list(g, type) + ": holds " + names.channel(first + rel) + " twice");
                expected[size_t(rel)] |= uint8_t(1u << g);
            }
            int beyond = 0;
            for (int i = count; i < MAX_FAVCHAN_NUM; ++i)
                beyond += list[i] != INVALID_FAVENTRY;
            if (beyond)
                note(out, names.favourite_list(g, type) +
                              strfmt(": %d entr%s beyond the count of %d, which the receiver does not show",
                                     beyond, beyond == 1 ? "y stands" : "ies stand", count));
        }
        for (int rel = 0; rel < n; ++rel) {
            const uint8_t bits = db.channels[first + rel].fav_membership;
            const uint8_t want = expected[size_t(rel)] ? uint8_t(expected[size_t(rel)] | CH_FAV_MEMBER) : 0;
            const uint8_t have = uint8_t(bits & (CH_FAV_MEMBER | CH_FAV_GROUP_MASK));
            if (channel_used(db, first + rel) && have != want)
                note(out, names.channel(first + rel) + strfmt(": marked for favourites \"%s\" (0x%02x), but "
                                                              "the lists hold it in \"%s\" (0x%02x)",
                                                              favourite_column_text(have).c_str(), have,
                                                              favourite_column_text(want).c_str(), want));
        }
    }
}

} // namespace

std::vector<BrokenPromise> broken_promises(const Database& db)
{
    Out out;
    const RecordNames names(db);
    check_satellites(db, names, out);
    check_transponders(db, names, out);
    check_channels(db, names, out);
    check_favourites(db, names, out);
    return out;
}

std::vector<std::string> check_database_invariants(const Database& db)
{
    std::vector<std::string> out;
    for (BrokenPromise& p : broken_promises(db))
        out.push_back(std::move(p.text));
    return out;
}

} // namespace korvid
