#pragma once
// A satellite's transponders brought up to date from a public list (korvid/database/transponder_list.h):
// what would be added, changed and removed, each change ticked or not, and the ticked ones stored
// by the very steps the "TP" page's Add, Edit and Delete take.
//
// A transponder of the list and one of the database are the same when their polarisation matches,
// their frequencies differ by at most 2 MHz and their symbol rates by at most 1 % of the list's.
// Pairs are made closest first, each transponder in at most one pair. A pair whose frequency or
// symbol rate differs is a change (the entry keeps its FEC and carried bytes); a list transponder
// left over is added, a database one left over is removed with every channel on it.
//
// Ticked at first: everything but the removal of a transponder that carries channels, and
// everything the list marks DVB-S2 (the record cannot say DVB-S2 or 8PSK; a DVB-S-only receiver
// would not lock on it). A list rate the record does not hold (3/5, 8/9, 9/10, 4/5) is stored as
// the nearest one it does.
#include "korvid/database/database.h"
#include "korvid/database/transponder_list.h"

#include <string>
#include <vector>

namespace korvid {

// How far apart a list's and a database's transponder may be and still be the same one.
constexpr int MATCH_FREQUENCY_MHZ = 2;
constexpr int MATCH_SYMBOL_RATE_PERCENT = 1;

// The same-transponder test above, for the list's entry `src` and the record `tp`.
bool same_listed_transponder(const SourceTransponder& src, const tTransponder& tp);

enum class TransponderChangeKind
{
    Add,
    Change,
    Remove
};

struct TransponderChange
{
    TransponderChangeKind kind = TransponderChangeKind::Add;
    int entry = -1;         // Change, Remove: the first-half entry
    tTransponder before{};  // Change, Remove: as the database holds it
    tTransponder after{};   // Add, Change: what would be stored in the first half
    int source_line = 0;    // Add, Change: where the list gives it
    bool dvb_s2 = false;    // Add, Change: the list says DVB-S2
    std::string mapped_fec; // Add: the list's rate ("3/5") when the record holds another instead
    int channels = 0;       // Remove: channels on the entry and its twin
    bool ticked = true;
};

struct TransponderUpdatePlan
{
    int sat_slot = -1; // the satellite, first half
    std::string sat_name;
    std::string source_name; // the list's satellite, shown for confirmation
    int source_position = NO_POSITION;
    std::string source_path;
    int source_count = 0;                   // transponders the list gives
    int unchanged = 0;                      // pairs with nothing to change
    std::vector<TransponderChange> changes; // adds, then changes, then removals, each by frequency
    std::vector<std::string> left_out;      // list entries not offered, each with its reason
};

// What updating the satellite in first-half slot `sat_slot` from `source` would do.
TransponderUpdatePlan
plan_transponder_update(const Database& db, int sat_slot, const SourceSatellite& source);

// One change on one line, as the preview and korvid-cli show it:
//   add 10719 V 27500 3/4
//   add 11034 V 30000 2/3 DVB-S2 (list FEC 3/5)
//   change 11766 H 27500 3/4 -> 11767 H 29900 3/4
//   remove 12000 H 27500 AUTO (3 channels)
std::string transponder_change_line(const TransponderChange& change);
// "10719 V 27500 3/4"
std::string transponder_values_text(const tTransponder& tp);
// The lines under the preview: what is not applied and why, the source named.
std::vector<std::string> transponder_update_notes(const TransponderUpdatePlan& plan);

struct TransponderUpdateResult
{
    int added = 0, changed = 0, removed = 0;
    int channels_deleted = 0;
    int not_added_full = 0;    // the table had no free entry left
    int refused_duplicate = 0; // the same transponder by the dialog's rules is already there
    bool stored() const { return added + changed + removed > 0; }
};

// Stores the ticked changes: removals first (their entries are free for what is added), then
// changes, then additions; a full table stops the additions. The caller records the undo step.
TransponderUpdateResult apply_transponder_update(Database& db, const TransponderUpdatePlan& plan);
// "Added 3, changed 1, removed 2 transponders (5 channels deleted)." and, on lines of their own,
// what could not be stored.
std::string transponder_update_summary(const TransponderUpdateResult& result);
// The undo step: "Update transponders of Hot Bird 13F/13G".
std::string transponder_update_label(const std::string& sat_name);

} // namespace korvid
