#pragma once
// What changed between two databases, in the pages' own terms: satellites, transponders, channels,
// favourite lists and group names added, removed, changed (each field before and after) or moved.
// Records are matched by what they are, not by slot: a channel by its name, its transponder and its
// service PIDs, so that a sort or a move shows as moves and one deleted channel as one removal.
#include "korvid/database/database.h"

#include <string>
#include <vector>

namespace korvid {

enum class DiffChange
{
    Added,
    Removed,
    Changed,
    Moved,
};

struct FieldChange
{
    std::string field; // the page's column or the dialog's label ("A PID", "LNB type", "Num")
    std::string before;
    std::string after;
};

struct DiffEntry
{
    std::string kind; // "SAT", "TP", "TV", "RADIO", "Favorite", "Codes", "Data"
    DiffChange change = DiffChange::Changed;
    std::string record; // as the first database names it (the second one for Added)
    std::string after;  // as the second one names it, for Changed and Moved
    std::vector<FieldChange> fields;
};

struct DatabaseDiff
{
    std::vector<DiffEntry> entries;
    bool same() const { return entries.empty(); }
};

// Empty exactly when both images are byte for byte the same: when nothing a page shows differs but
// the images do, one "Data" entry gives the image offsets that differ, each run with its bytes
// before and after (hex): changed: what the pages do not show (1 byte): 0x6FFF0 "00" -> "01".
DatabaseDiff diff_databases(const Database& a, const Database& b);
// The buyer and model codes of two files, as a "Codes" entry when they differ.
void diff_codes(DatabaseDiff& diff, uint16_t buyer_a, uint16_t model_a, uint16_t buyer_b, uint16_t model_b);

const char* diff_change_text(DiffChange change);
// changed: TV "ARD" on "Astra 19.2E" 11494 H 22000: A PID "101" -> "102"
std::string diff_line(const DiffEntry& entry);
// {"same": bool, "differences": [{"kind", "change", "record", "after", "fields": [...]}]}
std::string diff_json(const DatabaseDiff& diff);

} // namespace korvid
