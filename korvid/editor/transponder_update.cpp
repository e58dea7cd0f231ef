#include "korvid/editor/transponder_update.h"

#include "common/strfmt.h"
#include "korvid/database/transponder_texts.h"
#include "korvid/editor/editor_operations.h"

#include <algorithm>
#include <cstdlib>
#include <tuple>

namespace korvid {

namespace {

bool same_polarisation(uint8_t a, uint8_t b)
{
    return (a != 0) == (b != 0);
}

// Within the tolerances between two list entries, measured against the first one's symbol rate.
bool same_listed(const SourceTransponder& a, const SourceTransponder& b)
{
    return same_polarisation(a.polarisation, b.polarisation) &&
           std::llabs(int64_t(a.frequency) - int64_t(b.frequency)) <= MATCH_FREQUENCY_MHZ &&
           std::llabs(int64_t(a.symbol_rate) - int64_t(b.symbol_rate)) * 100 <=
               int64_t(a.symbol_rate) * MATCH_SYMBOL_RATE_PERCENT;
}

// Why an entry of the list cannot be a transponder of the record: the Transponder dialog's rules and
// the record's 16-bit fields. Null when it can.
const char* invalid_reason(const SourceTransponder& src)
{
    if (src.frequency < 950)
        return "frequency below 950 MHz";
    if (src.frequency > 65535)
        return "frequency above 65535 MHz";
    if (src.symbol_rate == 0)
        return "symbol rate 0";
    if (src.symbol_rate > 65535)
        return "symbol rate above 65535 kS/s";
    return nullptr;
}

std::string source_values_text(const SourceTransponder& src)
{
    return common::strfmt("%u %s %u", src.frequency, polarity_letter(src.polarisation).c_str(),
                          src.symbol_rate);
}

int change_order(TransponderChangeKind kind)
{
    return kind == TransponderChangeKind::Add ? 0 : kind == TransponderChangeKind::Change ? 1 : 2;
}

} // namespace

bool same_listed_transponder(const SourceTransponder& src, const tTransponder& tp)
{
    SourceTransponder held;
    held.frequency = tp.frequency;
    held.symbol_rate = tp.symbol_rate;
    held.polarisation = tp.polarisation;
    return same_listed(src, held);
}

TransponderUpdatePlan plan_transponder_update(const Database& db, int sat_slot, const SourceSatellite& source)
{
    TransponderUpdatePlan plan;
    plan.sat_slot = sat_slot;
    plan.sat_name = satellite_name(db, sat_slot);
    plan.source_name = source.name;
    plan.source_position = source.position;
    plan.source_count = int(source.transponders.size());

    // The list as it can be offered: entries the record can hold, each transponder once.
    std::vector<const SourceTransponder*> listed;
    for (const SourceTransponder& src : source.transponders) {
        if (const char* why = invalid_reason(src)) {
            plan.left_out.push_back(
                common::strfmt("line %d: %s: %s", src.line, source_values_text(src).c_str(), why));
            continue;
        }
        const auto earlier = std::find_if(listed.begin(), listed.end(), [&src](const SourceTransponder* e) {
            return same_listed(*e, src);
        });
        if (earlier != listed.end()) {
            plan.left_out.push_back(common::strfmt("line %d: %s: the same transponder as line %d", src.line,
                                                   source_values_text(src).c_str(), (*earlier)->line));
            continue;
        }
        listed.push_back(&src);
    }

    std::vector<int> held;
    for (int t = 0; t < TP_HALF_NUM; ++t)
        if (transponder_used(db, t) && same_satellite(db.transponders[t].sat_id, sat_slot) >= 0)
            held.push_back(t);

    // Every pair within the tolerances, closest first, then each side taken once.
    struct Pair
    {
        int64_t frequency_gap, rate_gap;
        size_t held_at, listed_at;
    };
    std::vector<Pair> pairs;
    for (size_t h = 0; h < held.size(); ++h)
        for (size_t l = 0; l < listed.size(); ++l) {
            const tTransponder& tp = db.transponders[held[h]];
            if (same_listed_transponder(*listed[l], tp))
                pairs.push_back({std::llabs(int64_t(listed[l]->frequency) - tp.frequency),
                                 std::llabs(int64_t(listed[l]->symbol_rate) - tp.symbol_rate), h, l});
        }
    std::sort(pairs.begin(), pairs.end(), [](const Pair& a, const Pair& b) {
        return std::tie(a.frequency_gap, a.rate_gap, a.held_at, a.listed_at) <
               std::tie(b.frequency_gap, b.rate_gap, b.held_at, b.listed_at);
    });
    std::vector<int> partner_of_held(held.size(), -1), partner_of_listed(listed.size(), -1);
    for (const Pair& p : pairs)
        if (partner_of_held[p.held_at] < 0 && partner_of_listed[p.listed_at] < 0) {
            partner_of_held[p.held_at] = int(p.listed_at);
            partner_of_listed[p.listed_at] = int(p.held_at);
        }

    for (size_t l = 0; l < listed.size(); ++l) {
        const SourceTransponder& src = *listed[l];
        TransponderChange c;
        c.source_line = src.line;
        c.dvb_s2 = src.system == DeliverySystem::DvbS2;
        c.ticked = !c.dvb_s2;
        if (partner_of_listed[l] >= 0) {
            c.kind = TransponderChangeKind::Change;
            c.entry = held[size_t(partner_of_listed[l])];
            c.before = db.transponders[c.entry];
            if (c.before.frequency == src.frequency && c.before.symbol_rate == src.symbol_rate) {
                ++plan.unchanged;
                continue;
            }
            c.after = edited_transponder(c.before, sat_slot, uint16_t(src.frequency),
                                         uint16_t(src.symbol_rate), c.before.polarisation, c.before.fec);
        } else {
            bool exact = true;
            const uint8_t fec = record_fec(src, &exact);
            if (!exact)
                c.mapped_fec = source_fec_text(src);
            c.after = edited_transponder(tTransponder{}, sat_slot, uint16_t(src.frequency),
                                         uint16_t(src.symbol_rate), src.polarisation, fec);
        }
        plan.changes.push_back(c);
    }

    if (std::any_of(partner_of_held.begin(), partner_of_held.end(), [](int p) { return p < 0; })) {
        std::vector<int> channels_on(MAX_TP_NUM, 0);
        for (const tChannelStructure& ch : db.channels)
            if (ch.tp_index < MAX_TP_NUM)
                ++channels_on[ch.tp_index];
        for (size_t h = 0; h < held.size(); ++h) {
            if (partner_of_held[h] >= 0)
                continue;
            TransponderChange c;
            c.kind = TransponderChangeKind::Remove;
            c.entry = held[h];
            c.before = db.transponders[c.entry];
            c.channels = channels_on[size_t(c.entry)] + channels_on[size_t(c.entry + TP_HALF_NUM)];
            c.ticked = c.channels == 0;
            plan.changes.push_back(c);
        }
    }

    std::stable_sort(
        plan.changes.begin(), plan.changes.end(), [](const TransponderChange& a, const TransponderChange& b) {
            const tTransponder& ta = a.kind == TransponderChangeKind::Remove ? a.before : a.after;
            const tTransponder& tb = b.kind == TransponderChangeKind::Remove ? b.before : b.after;
            return std::make_tuple(change_order(a.kind), ta.frequency, ta.polarisation) <
                   std::make_tuple(change_order(b.kind), tb.frequency, tb.polarisation);
        });
    return plan;
}

std::string transponder_values_text(const tTransponder& tp)
{
    return common::strfmt("%d %s %d %s", tp.frequency, polarity_letter(tp.polarisation).c_str(),
                          tp.symbol_rate, fec_text(tp.fec).c_str());
}

std::string transponder_change_line(const TransponderChange& c)
{
    std::string line;
    switch (c.kind) {
    case TransponderChangeKind::Add:
        line = "add " + transponder_values_text(c.after);
        break;
    case TransponderChangeKind::Change:
        line = "change " + transponder_values_text(c.before) + " -> " + transponder_values_text(c.after);
        break;
    case TransponderChangeKind::Remove:
        line = "remove " + transponder_values_text(c.before) +
               (c.channels == 1 ? " (1 channel)" : common::strfmt(" (%d channels)", c.channels));
        break;
    }
    if (c.dvb_s2)
        line += " DVB-S2";
    if (!c.mapped_fec.empty())
        line += " (list FEC " + c.mapped_fec + ")";
    return line;
}

std::vector<std::string> transponder_update_notes(const TransponderUpdatePlan& plan)
{
    std::vector<std::string> notes;
    notes.push_back(common::strfmt("%s at %s, %d transponders; %d already as listed.",
                                   plan.source_name.c_str(), position_text(plan.source_position).c_str(),
                                   plan.source_count, plan.unchanged));
    const auto any = [&plan](auto test) {
        return std::any_of(plan.changes.begin(), plan.changes.end(), test);
    };
    if (any([](const TransponderChange& c) { return c.dvb_s2; }))
        notes.push_back("DVB-S2 entries start unticked: the receiver's record cannot say DVB-S2 or its "
                        "modulation.");
    if (any([](const TransponderChange& c) { return !c.mapped_fec.empty(); }))
        notes.push_back(
            "A FEC the record does not hold is stored as the nearest one it does (AUTO, 1/2, 2/3, "
            "3/4, 5/6, 7/8).");
    if (any([](const TransponderChange& c) {
            return c.kind == TransponderChangeKind::Remove && c.channels > 0;
        }))
        notes.push_back("Removing a transponder deletes its channels; those removals start unticked.");
    if (!plan.left_out.empty())
        notes.push_back(common::strfmt("Not offered (%zu):", plan.left_out.size()));
    for (const std::string& why : plan.left_out)
        notes.push_back("  " + why);
    return notes;
}

TransponderUpdateResult apply_transponder_update(Database& db, const TransponderUpdatePlan& plan)
{
    TransponderUpdateResult result;
    for (const TransponderChange& c : plan.changes)
        if (c.ticked && c.kind == TransponderChangeKind::Remove && transponder_used(db, c.entry)) {
            result.channels_deleted += delete_transponder_pair(db, c.entry);
            ++result.removed;
        }
    if (result.removed > 0)
        compact_after_channel_deletion(db);

    for (const TransponderChange& c : plan.changes) {
        if (!c.ticked || c.kind != TransponderChangeKind::Change)
            continue;
        if (find_duplicate_transponder(db, c.after, DuplicateRule::Within3, c.entry) >= 0) {
            ++result.refused_duplicate;
            continue;
        }
        store_transponder_pair(db, c.entry, c.after);
        ++result.changed;
    }

    for (const TransponderChange& c : plan.changes) {
        if (!c.ticked || c.kind != TransponderChangeKind::Add)
            continue;
        if (find_duplicate_transponder(db, c.after, DuplicateRule::Exact, -1) >= 0) {
            ++result.refused_duplicate;
            continue;
        }
        const int entry = result.not_added_full > 0 ? -1 : find_free_transponder(db);
        if (entry < 0) {
            ++result.not_added_full;
            continue;
        }
        store_transponder_pair(db, entry, c.after);
        ++result.added;
    }
    return result;
}

std::string transponder_update_summary(const TransponderUpdateResult& r)
{
    std::string text =
        common::strfmt("Added %d, changed %d, removed %d transponders", r.added, r.changed, r.removed);
    if (r.channels_deleted > 0)
        text += r.channels_deleted == 1 ? std::string(" (1 channel deleted)")
                                        : common::strfmt(" (%d channels deleted)", r.channels_deleted);
    text += ".";
    if (r.not_added_full > 0)
        text += common::strfmt("\nAll Transponder slot is full: %d could not be added.", r.not_added_full);
    if (r.refused_duplicate > 0)
        text +=
            common::strfmt("\nSame Transponder already exist: %d left as they were.", r.refused_duplicate);
    return text;
}

std::string transponder_update_label(const std::string& sat_name)
{
    return "Update transponders of " + sat_name;
}

} // namespace korvid
