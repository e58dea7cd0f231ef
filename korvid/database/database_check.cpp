#include "korvid/database/database_check.h"

#include "common/strfmt.h"
#include "korvid/database/channel_texts.h"
#include "korvid/database/database_invariants.h"
#include "korvid/database/image_check.h"
#include "korvid/database/record_names.h"
#include "korvid/database/satellite_texts.h"
#include "korvid/database/slots.h"

#include <cstdlib>
#include <iterator>
#include <map>
#include <utility>

namespace korvid {

using common::strfmt;

namespace {

// The tuner's input band: an LNB shifts what it receives into this range.
constexpr int TUNER_IF_LOW = 950;
constexpr int TUNER_IF_HIGH = 2150;

void note(std::vector<DatabaseProblem>& out, std::string text)
{
    out.push_back({ProblemSeverity::Note, std::move(text)});
}

// Two channels of one type with one name on one transponder (either half): the lists show two rows
// the user cannot tell apart, most likely one scan merged into another.
void check_same_names(const Database& db, const RecordNames& names, std::vector<DatabaseProblem>& out)
{
    for (int type = SERVICE_TV; type <= SERVICE_RADIO; ++type) {
        std::map<std::pair<int, std::string>, int> first_seen;
        const int first = first_slot_of(type);
        for (int c = first; c < first + slot_count_of(type); ++c) {
            if (!channel_used(db, c))
                continue;
            const int tp = db.channels[c].tp_index % TP_HALF_NUM;
            auto [it, fresh] = first_seen.emplace(std::make_pair(tp, channel_name(db.channels[c])), c);
            if (!fresh)
                note(out, names.channel(c) + strfmt(": same name as %s %04d on the same transponder",
                                                    service_page_name(type), relative_index(it->second) + 1));
        }
    }
}

// A transponder without channels is what a scan leaves and the receiver lists it all the same; a
// satellite without transponders is most likely one the user forgot.
void check_unused_satellites(const Database& db, const RecordNames& names, std::vector<DatabaseProblem>& out)
{
    std::vector<bool> sat_has_tp(SAT_HALF_NUM, false);
    for (int t = 0; t < TP_HALF_NUM; ++t)
        if (transponder_used(db, t) && db.transponders[t].sat_id < SAT_HALF_NUM)
            sat_has_tp[db.transponders[t].sat_id] = true;
    for (int s = 0; s < SAT_HALF_NUM; ++s)
        if (satellite_used(db, s) && !sat_has_tp[size_t(s)])
            note(out, names.satellite(s) + ": it has no transponder");
}

void check_favourite_groups(const Database& db, const RecordNames& names, std::vector<DatabaseProblem>& out)
{
    for (int g = 0; g < MAX_FAVGROUP_NUM; ++g) {
        if (db.system.fav_count[fav_list_index(g, SERVICE_TV)] == 0 &&
            db.system.fav_count[fav_list_index(g, SERVICE_RADIO)] == 0)
            note(out, names.favourite_group(g) + ": the group is empty");
        for (int type = SERVICE_TV; type <= SERVICE_RADIO; ++type)
            if (db.system.fav_count[fav_list_index(g, type)] >= MAX_FAVCHAN_NUM)
                note(out, names.favourite_list(g, type) +
                              strfmt(": the list is full (%d channels); nothing more can be added",
                                     MAX_FAVCHAN_NUM));
    }
}

std::string lnb_text(const tSatellite& sat)
{
    const std::string type = lnb_type_column_text(sat.lnb_type);
    if (sat.lnb_freq_low == sat.lnb_freq_high)
        return strfmt("%s, %d MHz", type.c_str(), sat.lnb_freq_low);
    return strfmt("%s, %d/%d MHz", type.c_str(), sat.lnb_freq_low, sat.lnb_freq_high);
}

// Each half's satellite carries its own LNB in T1/T2 wiring, so both are asked; the second only when
// it differs, so that one transponder gives one line in the common case.
void check_frequencies(const Database& db, const RecordNames& names, std::vector<DatabaseProblem>& out)
{
    for (int t = 0; t < MAX_TP_NUM; ++t) {
        if (!transponder_used(db, t))
            continue;
        const tTransponder& tp = db.transponders[t];
        if (tp.sat_id >= MAX_SAT_NUM || !satellite_used(db, tp.sat_id))
            continue;
        const tSatellite& sat = db.satellites[tp.sat_id];
        if (t >= TP_HALF_NUM) {
            const tSatellite& t1 = db.satellites[tp.sat_id % SAT_HALF_NUM];
            if (t1.lnb_freq_low == sat.lnb_freq_low && t1.lnb_freq_high == sat.lnb_freq_high)
                continue;
        }
        if (!lnb_receives(sat, tp.frequency))
            note(out, names.transponder(t) + strfmt(": %d MHz is outside what its LNB (", tp.frequency) +
                          lnb_text(sat) + ") can receive");
    }
}

} // namespace

bool lnb_receives(const tSatellite& sat, int frequency_mhz)
{
    for (int lo : {int(sat.lnb_freq_low), int(sat.lnb_freq_high)}) {
        const int shift = std::abs(frequency_mhz - lo);
        if (shift >= TUNER_IF_LOW && shift <= TUNER_IF_HIGH)
            return true;
    }
    return false;
}

std::vector<DatabaseProblem> check_database(const Database& db)
{
    std::vector<DatabaseProblem> out;
    if (!db.is_valid()) {
        out.push_back({ProblemSeverity::Damaged,
                       strfmt("the system code is 0x%04x, not a database", db.system.syscode)});
        return out;
    }
    // The page texts below follow the indexes the records hold; they must lie in their tables first.
    if (std::string why = damaged_database_reason(db); !why.empty()) {
        out.push_back({ProblemSeverity::Damaged, why});
        return out;
    }
    std::vector<DatabaseProblem> notes;
    for (BrokenPromise& p : broken_promises(db))
        (p.damage ? out : notes)
            .push_back({p.damage ? ProblemSeverity::Damaged : ProblemSeverity::Note, std::move(p.text)});
    out.insert(out.end(), std::make_move_iterator(notes.begin()), std::make_move_iterator(notes.end()));
    const RecordNames names(db);
    check_same_names(db, names, out);
    check_unused_satellites(db, names, out);
    check_favourite_groups(db, names, out);
    check_frequencies(db, names, out);
    return out;
}

bool any_damage(const std::vector<DatabaseProblem>& problems)
{
    for (const DatabaseProblem& p : problems)
        if (p.severity == ProblemSeverity::Damaged)
            return true;
    return false;
}

std::string problem_count_text(const std::vector<DatabaseProblem>& problems)
{
    size_t damaged = 0;
    for (const DatabaseProblem& p : problems)
        damaged += p.severity == ProblemSeverity::Damaged;
    const size_t notes = problems.size() - damaged;
    if (problems.empty())
        return "No problem found";
    return strfmt("%zu damaged, %zu note%s", damaged, notes, notes == 1 ? "" : "s");
}

std::string problem_line(const DatabaseProblem& problem)
{
    return (problem.severity == ProblemSeverity::Damaged ? "damaged: " : "note: ") + problem.text;
}

std::string problem_summary(const std::vector<DatabaseProblem>& problems, size_t limit)
{
    std::string text;
    for (size_t i = 0; i < problems.size() && i < limit; ++i)
        text += problem_line(problems[i]) + "\n";
    if (problems.size() > limit)
        text += strfmt("... and %zu more\n", problems.size() - limit);
    return text;
}

namespace {

constexpr size_t SHOWN_PROBLEMS = 10;

std::string found_text(size_t n)
{
    return strfmt("The database check found %zu problem%s that the receiver would trip over:\n", n,
                  n == 1 ? "" : "s");
}

} // namespace

std::string send_check_question(const std::vector<DatabaseProblem>& problems)
{
    std::vector<DatabaseProblem> damage;
    for (const DatabaseProblem& p : problems)
        if (p.severity == ProblemSeverity::Damaged)
            damage.push_back(p);
    if (damage.empty())
        return {};
    return found_text(damage.size()) + problem_summary(damage, SHOWN_PROBLEMS) + "Send it anyway?";
}

} // namespace korvid
