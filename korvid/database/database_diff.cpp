#include "korvid/database/database_diff.h"

#include "common/strfmt.h"
#include "korvid/database/channel_texts.h"
#include "korvid/database/record_matching.h"
#include "korvid/database/record_names.h"
#include "korvid/database/satellite_texts.h"
#include "korvid/database/slots.h"
#include "korvid/database/transponder_texts.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>

namespace korvid {

using common::strfmt;

namespace {

using Fields = std::vector<std::pair<std::string, std::string>>;

// Of a sequence of positions, which belong to one longest increasing run: the records outside it are
// the ones that moved, whatever shifted around them. Among the longest runs the one that keeps most
// records at their own row number wins, so that two swapped records are the two that moved. Quadratic,
// but over one list of at most a few thousand records.
std::vector<bool> kept_in_order(const std::vector<int>& positions, const std::vector<int>& rows_before)
{
    const size_t n = positions.size();
    const long per_record = long(n) + 1; // one more record kept outweighs every fixed row
    std::vector<long> best(n, 0);
    std::vector<long> previous(n, -1);
    long top = -1;
    for (size_t i = 0; i < n; ++i) {
        const long own = per_record + (positions[i] == rows_before[i] ? 1 : 0);
        best[i] = own;
        for (size_t k = 0; k < i; ++k)
            if (positions[k] < positions[i] && best[k] + own > best[i]) {
                best[i] = best[k] + own;
                previous[i] = long(k);
            }
        if (top < 0 || best[i] > best[size_t(top)])
            top = long(i);
    }
    std::vector<bool> kept(n, false);
    for (long k = top; k >= 0; k = previous[size_t(k)])
        kept[size_t(k)] = true;
    return kept;
}

const char* tuner_text(uint8_t connection)
{
    switch (connection) {
    case TUNER_T1:
        return "T1";
    case TUNER_T2:
        return "T2";
    case TUNER_LOOP:
        return "LOOP";
    case TUNER_TWIN:
        return "TWIN";
    default:
        return "";
    }
}

Fields satellite_fields(const Database& db, int slot)
{
    const tSatellite& s = db.satellites[slot];
    return {{"LNB type", lnb_type_column_text(s.lnb_type)},
            {"LNB Freq. Low", strfmt("%d", s.lnb_freq_low)},
            {"LNB Freq. High", strfmt("%d", s.lnb_freq_high)},
            {"0/12V", v012_column_text(s)},
            {"22KHz", k22_column_text(s)},
            {"LNB Power", (s.lnb_control & LNB_CTRL_POWER_MASK) == 3 ? "OFF" : "ON"},
            {"DiSEqC", diseqc_column_text(s)},
            {"Port", port_column_text(s)},
            {"Degree", trimmed(degree_column_text(s.position))},
            {"Positioner", strfmt("0x%02x/%d", s.positioner, s.positioner_position)},
            {"Tuner", tuner_text(s.tuner_connection)}};
}

Fields transponder_fields(const Database& db, int index)
{
    const tTransponder& tp = db.transponders[index];
    return {{"Linked SAT", satellite_name(db, tp.sat_id)},
            {"Freq.", strfmt("%d", tp.frequency)},
            {"Polarity", polarity_text(tp.polarisation)},
            {"Sym. Rate", strfmt("%d", tp.symbol_rate)},
            {"FEC", fec_text(tp.fec)}};
}

Fields channel_fields(const Database& db, int c)
{
    const tChannelStructure& ch = db.channels[c];
    const bool tv = service_type_of(c) == SERVICE_TV;
    std::string tp;
    if (ch.tp_index < MAX_TP_NUM)
        tp = transponder_short_text(db.transponders[ch.tp_index]) +
             (ch.tp_index >= TP_HALF_NUM ? " (T2)" : "");
    Fields f = {{"Name", channel_name(ch)},
                {"SAT", channel_satellite_name(db, ch)},
                {"TP", tp},
                {"SID", strfmt("%d", ch.service_id)}};
    if (tv)
        f.push_back({"V PID", pid_column_text(ch.video_pid)});
    f.insert(f.end(), {{"A PID", pid_column_text(shown_audio_pid(db, ch))},
                       {"PCR PID", pid_column_text(ch.pcr_pid)},
                       {"TTXT PID", ttx_column_text(ch.ttx_pid)},
                       {"LOCK", lock_column_text(ch, tv)},
                       {"SCRAM.", channel_scrambled(ch) ? "1" : "0"},
                       {"Aud Lang", language_column_text(ch)},
                       {"Status", trimmed(channel_status_text(ch, tv))}});
    return f;
}

std::vector<FieldChange>
changed_fields(const Fields& before, const Fields& after, const std::string& prefix = "")
{
    std::vector<FieldChange> out;
    for (size_t i = 0; i < before.size() && i < after.size(); ++i)
        if (before[i].second != after[i].second)
            out.push_back({prefix + before[i].first, before[i].second, after[i].second});
    return out;
}

class Differ
{
public:
    Differ(const Database& a, const Database& b)
        : m_a(a)
        , m_b(b)
    {}

    DatabaseDiff run()
    {
        m_image_a.assign(DB_IMAGE_SIZE, 0);
        m_image_b.assign(DB_IMAGE_SIZE, 0);
        m_a.pack_image(m_image_a.data());
        m_b.pack_image(m_image_b.data());
        // Equal images are the same database, whatever the matching below would make of records
        // it cannot pair (a channel on a free transponder has no key).
        if (m_image_a == m_image_b)
            return {};
        m_match.emplace(m_a, m_b, RecordMatcher::Rules{});
        satellites();
        transponders();
        for (int type = SERVICE_TV; type <= SERVICE_RADIO; ++type)
            channels(type);
        for (int g = 0; g < MAX_FAVGROUP_NUM; ++g) {
            group_name(g);
            for (int type = SERVICE_TV; type <= SERVICE_RADIO; ++type)
                favourites(g, type);
        }
        if (m_diff.entries.empty())
            other_bytes();
        return std::move(m_diff);
    }

private:
    void add(std::string kind,
             DiffChange change,
             std::string record,
             std::string after = {},
             std::vector<FieldChange> fields = {})
    {
        m_diff.entries.push_back(
            {std::move(kind), change, std::move(record), std::move(after), std::move(fields)});
    }

    // Added, removed, changed and moved records of one kind, in the order of the first database.
    template <class Identity, class FieldsOf>
    void report(const char* kind,
                const std::vector<int>& a_items,
                const std::vector<int>& b_items,
                const Matching& m,
                Identity identity,
                FieldsOf fields_of,
                const char* num_format)
    {
        std::vector<int> order, b_rows(b_items.empty() ? 0 : size_t(b_items.back()) + 1, 0);
        for (size_t r = 0; r < b_items.size(); ++r)
            b_rows[size_t(b_items[r])] = int(r) + 1;
        std::vector<int> a_rows, matched;
        for (size_t r = 0; r < a_items.size(); ++r) {
            const int i = a_items[r];
            if (m.a_to_b[size_t(i)] < 0) {
                add(kind, DiffChange::Removed, identity(m_a, i));
                continue;
            }
            const int j = m.a_to_b[size_t(i)];
            std::vector<FieldChange> changes = fields_of(i, j);
            if (!changes.empty())
                add(kind, DiffChange::Changed, identity(m_a, i), identity(m_b, j), std::move(changes));
            matched.push_back(i);
            a_rows.push_back(int(r) + 1);
            order.push_back(b_rows[size_t(j)]);
        }
        const std::vector<bool> kept = kept_in_order(order, a_rows);
        // A record outside the longest run that still stands at its own row number has not moved
        // for anyone reading the list.
        for (size_t k = 0; k < matched.size(); ++k)
            if (!kept[k] && a_rows[k] != order[k])
                add(kind, DiffChange::Moved, identity(m_a, matched[k]),
                    identity(m_b, m.a_to_b[size_t(matched[k])]),
                    {{"Num", strfmt(num_format, a_rows[k]), strfmt(num_format, order[k])}});
        for (int j : b_items)
            if (m.b_to_a[size_t(j)] < 0)
                add(kind, DiffChange::Added, identity(m_b, j));
    }

    void satellites()
    {
        const auto a = used_satellites(m_a), b = used_satellites(m_b);
        report(
            "SAT", a, b, m_match->satellites(), RecordNames::satellite_identity,
            [&](int i, int j) {
                auto changes =
                    changed_fields({{"Name", satellite_name(m_a, i)}}, {{"Name", satellite_name(m_b, j)}});
                for (auto& c : changed_fields(satellite_fields(m_a, i), satellite_fields(m_b, j)))
                    changes.push_back(std::move(c));
                // The second tuner's copy carries its own LNB in T1/T2 wiring; shown when it changed
                // otherwise than the first.
                const auto t1 = changed_fields(satellite_fields(m_a, i), satellite_fields(m_b, j));
                for (auto& c : changed_fields(satellite_fields(m_a, i + SAT_HALF_NUM),
                                              satellite_fields(m_b, j + SAT_HALF_NUM), "T2 ")) {
                    const bool same_as_t1 = std::any_of(t1.begin(), t1.end(), [&](const FieldChange& f) {
                        return "T2 " + f.field == c.field && f.before == c.before && f.after == c.after;
                    });
                    if (!same_as_t1 && c.field != "T2 Tuner")
                        changes.push_back(std::move(c));
                }
                return changes;
            },
            "%03d");
    }

    void transponders()
    {
        const auto a = used_transponders(m_a), b = used_transponders(m_b);
        report(
            "TP", a, b, m_match->transponders(), RecordNames::transponder_identity,
            [&](int i, int j) {
                return changed_fields(transponder_fields(m_a, i), transponder_fields(m_b, j));
            },
            "%03d");
    }

    void channels(int type)
    {
        const auto a = used_channels(m_a, type), b = used_channels(m_b, type);
        // Whole identity first, then a renamed channel, then one whose PIDs changed, then the same
        // record in the same slot.
        m_match->match_channels(type, true, true);
        m_match->match_channels(type, false, true);
        m_match->match_channels(type, true, false);
        m_match->match_channels_in_place(type);
        auto tp_a = [&](int c) { return m_match->channel_tp_a(c); };
        auto tp_b = [&](int c) { return m_match->channel_tp_b(c); };
        report(
            service_page_name(type), a, b, m_match->channels(), RecordNames::channel_identity,
            [&](int i, int j) {
                auto changes = changed_fields(channel_fields(m_a, i), channel_fields(m_b, j));
                // A channel still on its own transponder has not changed where it is: an edited
                // transponder is reported once, not with every channel on it.
                const int ta = m_a.channels[i].tp_index, tb = m_b.channels[j].tp_index;
                if (tp_a(i) >= 0 && tp_a(i) == tp_b(j) && (ta >= TP_HALF_NUM) == (tb >= TP_HALF_NUM))
                    std::erase_if(changes,
                                  [](const FieldChange& f) { return f.field == "SAT" || f.field == "TP"; });
                return changes;
            },
            "%04d");
    }

    void group_name(int g)
    {
        if (std::memcmp(m_a.fav_names[g], m_b.fav_names[g], MAX_FAVNAME_LEN) == 0)
            return;
        std::vector<FieldChange> changes =
            changed_fields({{"Name", favourite_group_label(m_a, g)},
                            {"Hidden", favourite_group_hidden(m_a, g) ? "yes" : "no"}},
                           {{"Name", favourite_group_label(m_b, g)},
                            {"Hidden", favourite_group_hidden(m_b, g) ? "yes" : "no"}});
        if (changes.empty())
            changes.push_back({"Name cell", "", "other bytes"});
        add("Favorite", DiffChange::Changed, strfmt("Favorite %d", g + 1), strfmt("Favorite %d", g + 1),
            std::move(changes));
    }

    static std::vector<int> list_channels(const Database& db, int g, int type)
    {
        std::vector<int> out;
        const uint16_t* list = db.fav_list(g, type);
        for (int i = 0; i < MAX_FAVCHAN_NUM && list[i] != INVALID_FAVENTRY; ++i)
            if (list[i] < slot_count_of(type))
                out.push_back(first_slot_of(type) + list[i]);
        return out;
    }

    void favourites(int g, int type)
    {
        const auto a = list_channels(m_a, g, type), b = list_channels(m_b, g, type);
        std::vector<int> b_pos(MAX_CHAN_NUM, 0);
        for (size_t k = 0; k < b.size(); ++k)
            b_pos[size_t(b[k])] = int(k) + 1;
        const std::string list = strfmt("Favorite %d %s list: ", g + 1, service_page_name(type));
        std::vector<int> order, a_pos, members;
        std::vector<bool> in_a(MAX_CHAN_NUM, false);
        for (size_t k = 0; k < a.size(); ++k) {
            const int j = m_match->channels().a_to_b[size_t(a[k])];
            if (j < 0 || !b_pos[size_t(j)]) {
                add("Favorite", DiffChange::Removed, list + RecordNames::channel_identity(m_a, a[k]));
                continue;
            }
            in_a[size_t(j)] = true;
            members.push_back(a[k]);
            a_pos.push_back(int(k) + 1);
            order.push_back(b_pos[size_t(j)]);
        }
        const std::vector<bool> kept = kept_in_order(order, a_pos);
        for (size_t k = 0; k < members.size(); ++k)
            if (!kept[k] && a_pos[k] != order[k])
                add("Favorite", DiffChange::Moved, list + RecordNames::channel_identity(m_a, members[k]),
                    list + RecordNames::channel_identity(m_b, m_match->channels().a_to_b[size_t(members[k])]),
                    {{"Num", strfmt("%03d", a_pos[k]), strfmt("%03d", order[k])}});
        for (int j : b)
            if (!in_a[size_t(j)])
                add("Favorite", DiffChange::Added, list + RecordNames::channel_identity(m_b, j));
    }

    // The bytes that differ where no page looks, as runs of neighbouring offsets in the image, each
    // with its bytes before and after (the first few runs, the first bytes of each).
    void other_bytes()
    {
        constexpr size_t SHOWN_RUNS = 8, SHOWN_BYTES = 16;
        auto hex = [](const std::vector<uint8_t>& image, size_t from, size_t to) {
            std::string text;
            for (size_t i = from; i < to && i < from + SHOWN_BYTES; ++i)
                text += strfmt("%02X", image[i]);
            return to - from > SHOWN_BYTES ? text + "..." : text;
        };
        std::vector<FieldChange> runs;
        size_t bytes = 0, run_count = 0;
        for (size_t i = 0; i < m_image_a.size();) {
            if (m_image_a[i] == m_image_b[i]) {
                ++i;
                continue;
            }
            size_t end = i;
            while (end < m_image_a.size() && m_image_a[end] != m_image_b[end])
                ++end;
            bytes += end - i;
            if (++run_count <= SHOWN_RUNS)
                runs.push_back({end - i == 1 ? strfmt("0x%05zX", i) : strfmt("0x%05zX-0x%05zX", i, end - 1),
                                hex(m_image_a, i, end), hex(m_image_b, i, end)});
            i = end;
        }
        if (!bytes)
            return;
        std::string record = strfmt("what the pages do not show (%zu byte%s", bytes, bytes == 1 ? "" : "s");
        if (run_count > SHOWN_RUNS)
            record += strfmt(" in %zu places, the first %zu here", run_count, SHOWN_RUNS);
        add("Data", DiffChange::Changed, record + ")", {}, std::move(runs));
    }

    const Database& m_a;
    const Database& m_b;
    std::optional<RecordMatcher> m_match;
    DatabaseDiff m_diff;
    std::vector<uint8_t> m_image_a, m_image_b;
};

} // namespace

DatabaseDiff diff_databases(const Database& a, const Database& b)
{
    return Differ(a, b).run();
}

void diff_codes(DatabaseDiff& diff, uint16_t buyer_a, uint16_t model_a, uint16_t buyer_b, uint16_t model_b)
{
    std::vector<FieldChange> fields;
    if (buyer_a != buyer_b)
        fields.push_back({"Buyer", strfmt("0x%04X", buyer_a), strfmt("0x%04X", buyer_b)});
    if (model_a != model_b)
        fields.push_back({"Model", strfmt("0x%04X", model_a), strfmt("0x%04X", model_b)});
    if (!fields.empty())
        diff.entries.insert(
            diff.entries.begin(),
            DiffEntry{"Codes", DiffChange::Changed, "the file's codes", {}, std::move(fields)});
}

const char* diff_change_text(DiffChange change)
{
    switch (change) {
    case DiffChange::Added:
        return "added";
    case DiffChange::Removed:
        return "removed";
    case DiffChange::Changed:
        return "changed";
    case DiffChange::Moved:
        return "moved";
    }
    return "";
}

std::string diff_line(const DiffEntry& entry)
{
    std::string line = std::string(diff_change_text(entry.change)) + ": " + entry.record;
    if (entry.change == DiffChange::Moved && !entry.fields.empty()) {
        const FieldChange& f = entry.fields.front();
        return line + ": " + f.field + " " + f.before + " -> " + f.after;
    }
    for (size_t i = 0; i < entry.fields.size(); ++i) {
        const FieldChange& f = entry.fields[i];
        line += (i ? ", " : ": ") + f.field + " \"" + f.before + "\" -> \"" + f.after + "\"";
    }
    return line;
}

std::string diff_json(const DatabaseDiff& diff)
{
    nlohmann::ordered_json out;
    out["same"] = diff.same();
    out["differences"] = nlohmann::ordered_json::array();
    for (const DiffEntry& e : diff.entries) {
        nlohmann::ordered_json item;
        item["kind"] = e.kind;
        item["change"] = diff_change_text(e.change);
        item["record"] = e.record;
        if (!e.after.empty())
            item["after"] = e.after;
        item["fields"] = nlohmann::ordered_json::array();
        for (const FieldChange& f : e.fields)
            item["fields"].push_back({{"field", f.field}, {"before", f.before}, {"after", f.after}});
        out["differences"].push_back(std::move(item));
    }
    // Names are the receiver's 8-bit text: bytes that are not UTF-8 are replaced, not refused.
    return out.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

} // namespace korvid
