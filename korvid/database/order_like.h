#pragma once
// "Order Like": the TV and radio channels of a database put in the order of another database (the
// reference), the usual job after a scan or with a list from elsewhere. Channels are paired as the
// diff pairs them, by what they are, through three rules in turn: transponder, name and service
// PIDs; then name and transponder; then the name alone where it is unique in both lists. The paired
// channels come first, in the reference's order; the others keep their order after them.
//
// A plan is made first, so that the user sees what would happen, and applied after; nothing in
// the database changes until then.
#include "korvid/database/database.h"

#include <memory>
#include <string>
#include <vector>

namespace korvid {

constexpr int ORDER_LIKE_RULE_COUNT = 3;
// "transponder, name and PIDs", "name and transponder", "name alone".
const char* order_like_rule_text(int rule);

struct OrderLikeCounts
{
    int channels = 0;                        // used channels of the type in the database
    int by_rule[ORDER_LIKE_RULE_COUNT] = {}; // paired by each rule
    int unmatched = 0;                       // channels no reference channel paired with
    int reference_unmatched = 0;             // reference channels that paired with none
    int moved = 0;                           // channels that would stand in another slot
    int matched() const { return by_rule[0] + by_rule[1] + by_rule[2]; }
};

struct OrderLikePlan
{
    static constexpr size_t SHOWN_UNMATCHED = 5;

    OrderLikeCounts counts[2]; // TV, radio
    // The first SHOWN_UNMATCHED channels nothing paired with, TV first, named by what they are.
    std::vector<std::string> unmatched_names;
    // Per type, the database's used channels (global indexes) in their new order.
    std::vector<int> order[2];
    // Per global index of the database, the reference channel paired with it; -1 for none.
    std::vector<int> reference_of;
    // With the favourite groups: the database's own members that stay in a list, those of its
    // channels that nothing paired with, but that do not fit after the reference's members (a list
    // holds 200).
    int favourites_left_out = 0;
};

OrderLikePlan plan_order_like(const Database& db, const Database& reference);

// Puts the plan into the database: the channels in their new order, their favourite entries,
// language bytes and the current channel with them. With `favourite_groups`, each group's lists
// become the reference's members that were paired, in the reference's order, followed by the
// database's own members that nothing paired with; the group names come from the reference with
// its groups. True when anything changed.
bool apply_order_like(Database& db,
                      const Database& reference,
                      const OrderLikePlan& plan,
                      bool favourite_groups);

// What the plan would do, one line each, as the editor and korvid-cli show it:
//   TV: 412 of 420 channels matched (400 by transponder, name and PIDs, 10 by name and transponder,
//       2 by name alone), 8 not
//   ...
std::vector<std::string> order_like_summary(const OrderLikePlan& plan);

// A reference database from an .ird file or the JSON text that dump writes (by the extension:
// ".json" is text, anything else a database file). Null with the message that says why not.
std::unique_ptr<Database> read_reference_database(const std::string& path, std::string& message);

// "Order like sample.ird": the undo history's name of the change.
std::string order_like_label(const std::string& reference_path);

} // namespace korvid
