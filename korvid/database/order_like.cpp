#include "korvid/database/order_like.h"

#include "common/strfmt.h"
#include "korvid/database/database_json.h"
#include "korvid/database/ird_file.h"
#include "korvid/database/record_matching.h"
#include "korvid/database/record_names.h"
#include "korvid/database/slots.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace korvid {

using common::strfmt;

const char* order_like_rule_text(int rule)
{
    static const char* const texts[ORDER_LIKE_RULE_COUNT] = {"transponder, name and PIDs",
                                                             "name and transponder", "name alone"};
    return rule >= 0 && rule < ORDER_LIKE_RULE_COUNT ? texts[rule] : "";
}

namespace {

// The reference's members of list (g, type) that were paired, in its order, then the database's
// own members that nothing paired with, in theirs; as the database's global indexes, at most a
// list's length. Only the counted entries are read: they are what the receiver shows.
std::vector<int> favourites_like(const Database& db,
                                 const Database& reference,
                                 const OrderLikePlan& plan,
                                 const std::vector<int>& database_of,
                                 int g,
                                 int type,
                                 int& left_out)
{
    const int first = first_slot_of(type), n = slot_count_of(type);
    std::vector<int> out;
    std::vector<bool> seen(size_t(n), false);
    auto take = [&](int c) {
        if (seen[size_t(c - first)])
            return;
        seen[size_t(c - first)] = true;
        out.push_back(c);
    };
    auto counted = [type, g](const Database& d) {
        return std::min<int>(d.system.fav_count[fav_list_index(g, type)], MAX_FAVCHAN_NUM);
    };
    const uint16_t* ref_list = reference.fav_list(g, type);
    for (int i = 0; i < counted(reference); ++i)
        if (ref_list[i] < n && channel_used(reference, first + ref_list[i]))
            if (const int c = database_of[size_t(first + ref_list[i])]; c >= 0)
                take(c);
    const uint16_t* own = db.fav_list(g, type);
    for (int i = 0; i < counted(db); ++i)
        if (own[i] < n && channel_used(db, first + own[i]) && plan.reference_of[size_t(first + own[i])] < 0)
            take(first + own[i]);
    if (out.size() > size_t(MAX_FAVCHAN_NUM)) {
        left_out += int(out.size()) - MAX_FAVCHAN_NUM;
        out.resize(MAX_FAVCHAN_NUM);
    }
    return out;
}

std::vector<int> database_of(const OrderLikePlan& plan)
{
    std::vector<int> out(MAX_CHAN_NUM, -1);
    for (int c = 0; c < MAX_CHAN_NUM; ++c)
        if (plan.reference_of[size_t(c)] >= 0)
            out[size_t(plan.reference_of[size_t(c)])] = c;
    return out;
}

// Writes the favourite lists of `favourites_like` over the database's (in its present slots) and
// marks each channel of the lists' type for the groups that hold it. True when anything changed.
bool take_favourites(Database& db, const Database& reference, const OrderLikePlan& plan)
{
    const std::vector<int> paired = database_of(plan);
    bool changed = std::memcmp(db.fav_names, reference.fav_names, sizeof db.fav_names) != 0;
    std::memcpy(db.fav_names, reference.fav_names, sizeof db.fav_names);
    for (int type = SERVICE_TV; type <= SERVICE_RADIO; ++type) {
        const int first = first_slot_of(type), n = slot_count_of(type);
        std::vector<uint8_t> groups(size_t(n), 0);
        int left_out = 0;
        for (int g = 0; g < MAX_FAVGROUP_NUM; ++g) {
            const std::vector<int> members = favourites_like(db, reference, plan, paired, g, type, left_out);
            uint16_t list[MAX_FAVCHAN_NUM];
            std::fill(list, list + MAX_FAVCHAN_NUM, INVALID_FAVENTRY);
            for (size_t i = 0; i < members.size(); ++i) {
                list[i] = uint16_t(members[i] - first);
                groups[size_t(members[i] - first)] |= uint8_t(1u << g);
            }
            const int l = fav_list_index(g, type);
            uint16_t* stored = db.fav_list(g, type);
            if (std::memcmp(stored, list, sizeof list) != 0 || db.system.fav_count[l] != members.size())
                changed = true;
            std::memcpy(stored, list, sizeof list);
            db.system.fav_count[l] = uint8_t(members.size());
            if (db.cursor.fav_cursor[l] >= members.size())
                db.cursor.fav_cursor[l] = uint8_t(members.empty() ? 0 : members.size() - 1);
        }
        for (int i = 0; i < n; ++i) {
            tChannelStructure& ch = db.channels[first + i];
            if (ch.tp_index == INVALID_TPID)
                continue;
            // The other bits of the byte are not ours to clear; a channel in no group is 0, as a
            // removal from its last group leaves it.
            const uint8_t want = groups[size_t(i)] ? uint8_t(groups[size_t(i)] | CH_FAV_MEMBER) : 0;
            const uint8_t membership =
                want ? uint8_t((ch.fav_membership & ~(CH_FAV_MEMBER | CH_FAV_GROUP_MASK)) | want) : 0;
            if (membership != ch.fav_membership) {
                ch.fav_membership = membership;
                changed = true;
            }
        }
    }
    return changed;
}

} // namespace

OrderLikePlan plan_order_like(const Database& db, const Database& reference)
{
    OrderLikePlan plan;
    // Two lists from different hands share no slots: satellites that differ in name pair by their
    // orbital position, and transponders only by their tuning.
    RecordMatcher match(db, reference, {RecordMatcher::UnnamedSatellites::ByPosition, false});
    plan.reference_of.assign(MAX_CHAN_NUM, -1);
    for (int type = SERVICE_TV; type <= SERVICE_RADIO; ++type) {
        OrderLikeCounts& counts = plan.counts[type];
        counts.by_rule[0] = match.match_channels(type, true, true);
        counts.by_rule[1] = match.match_channels(type, true, false);
        counts.by_rule[2] = match.match_channels_by_unique_name(type);
        const Matching& m = match.channels();

        const std::vector<int> own = used_channels(db, type);
        std::vector<int>& order = plan.order[type];
        for (int r : used_channels(reference, type))
            if (const int c = m.b_to_a[size_t(r)]; c >= 0) {
                order.push_back(c);
                plan.reference_of[size_t(c)] = r;
            } else {
                ++counts.reference_unmatched;
            }
        for (int c : own)
            if (m.a_to_b[size_t(c)] < 0) {
                order.push_back(c);
                ++counts.unmatched;
                if (plan.unmatched_names.size() < OrderLikePlan::SHOWN_UNMATCHED)
                    plan.unmatched_names.push_back(RecordNames::channel_identity(db, c));
            }
        counts.channels = int(own.size());
        for (size_t k = 0; k < own.size(); ++k)
            counts.moved += order[k] != own[k];
    }
    const std::vector<int> paired = database_of(plan);
    for (int type = SERVICE_TV; type <= SERVICE_RADIO; ++type)
        for (int g = 0; g < MAX_FAVGROUP_NUM; ++g)
            favourites_like(db, reference, plan, paired, g, type, plan.favourites_left_out);
    return plan;
}

bool apply_order_like(Database& db,
                      const Database& reference,
                      const OrderLikePlan& plan,
                      bool favourite_groups)
{
    // The lists are written in the slots the channels hold now; the reorder below carries every
    // entry to where its channel goes.
    bool changed = favourite_groups && take_favourites(db, reference, plan);
    for (int type = SERVICE_TV; type <= SERVICE_RADIO; ++type)
        if (plan.counts[type].moved && db.reorder_channels(type, plan.order[type]))
            changed = true;
    return changed;
}

std::vector<std::string> order_like_summary(const OrderLikePlan& plan)
{
    std::vector<std::string> lines;
    int unmatched = 0, reference_unmatched = 0, moved = 0;
    for (int type = SERVICE_TV; type <= SERVICE_RADIO; ++type) {
        const OrderLikeCounts& c = plan.counts[type];
        unmatched += c.unmatched;
        reference_unmatched += c.reference_unmatched;
        moved += c.moved;
        std::string line = std::string(service_page_name(type)) + ": ";
        if (!c.channels) {
            lines.push_back(line + "no channels");
            continue;
        }
        line += strfmt("%d of %d channel%s matched", c.matched(), c.channels, c.channels == 1 ? "" : "s");
        std::string rules;
        for (int r = 0; r < ORDER_LIKE_RULE_COUNT; ++r)
            if (c.by_rule[r])
                rules +=
                    strfmt("%s%d by %s", rules.empty() ? "" : ", ", c.by_rule[r], order_like_rule_text(r));
        if (!rules.empty())
            line += " (" + rules + ")";
        if (c.unmatched)
            line += strfmt(", %d not", c.unmatched);
        lines.push_back(line);
    }
    for (const std::string& name : plan.unmatched_names)
        lines.push_back("Not matched: " + name);
    if (unmatched > int(plan.unmatched_names.size()))
        lines.push_back(strfmt("... and %d more not matched", unmatched - int(plan.unmatched_names.size())));
    if (reference_unmatched)
        lines.push_back(strfmt("%d channel%s of the reference match%s none here", reference_unmatched,
                               reference_unmatched == 1 ? "" : "s", reference_unmatched == 1 ? "es" : ""));
    lines.push_back(
        moved ? strfmt("%d channel%s change%s place", moved, moved == 1 ? "" : "s", moved == 1 ? "s" : "")
              : std::string("The channels are in the reference's order already"));
    if (plan.favourites_left_out)
        lines.push_back(
            strfmt("With the favourite groups, %d favourite%s of this list do%s not fit after the "
                   "reference's and would be left out",
                   plan.favourites_left_out, plan.favourites_left_out == 1 ? "" : "s",
                   plan.favourites_left_out == 1 ? "es" : ""));
    return lines;
}

std::unique_ptr<Database> read_reference_database(const std::string& path, std::string& message)
{
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char ch) { return char(std::tolower(ch)); });
    if (extension == ".json") {
        uint16_t buyer = 0, model = 0;
        return read_database_json_file(path, buyer, model, message);
    }
    DatabaseFile file = read_database_file(path);
    if (!file.ok()) {
        message = file.message;
        return nullptr;
    }
    return std::move(file.db);
}

std::string order_like_label(const std::string& reference_path)
{
    return "Order like " + std::filesystem::path(reference_path).filename().string();
}

} // namespace korvid
