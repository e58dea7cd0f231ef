#pragma once
// How the check and the diff name a record: with the texts the pages show for it, so that a user can
// find it on screen. Lines that point at a place carry the page's row number (the "Num" column with
// "All" chosen); lines that compare two databases name a record by what it is instead.
#include "korvid/database/database.h"

#include <string>
#include <vector>

namespace korvid {

// "11494 H 22000": frequency, polarisation letter, symbol rate.
std::string transponder_tuning_text(const tTransponder& tp);
// "TV" or "RADIO", as the page tabs say.
const char* service_page_name(int type);
// A column text without the leading blanks that align it on the page.
std::string trimmed(const std::string& s);

class RecordNames
{
public:
    explicit RecordNames(const Database& db);

    // SAT 003 "Astra 19.2E" 19.2E; a second-half slot ends in " (T2)" and counts on the T2 list.
    std::string satellite(int slot) const;
    // TP 012 "Astra 19.2E" 11494 H 22000; a second-half entry is named by its first-half row.
    std::string transponder(int index) const;
    // TV 0123 "Das Erste HD" on 11494 H 22000 (the number is the channel's place in its list).
    std::string channel(int global_index) const;
    // Favorite 2 "Sports" TV list.
    std::string favourite_list(int group, int type) const;
    // Favorite 2 "Sports".
    std::string favourite_group(int group) const;

    // The same without row numbers, for records matched across two databases.
    static std::string satellite_identity(const Database& db, int slot);
    static std::string transponder_identity(const Database& db, int index);
    static std::string channel_identity(const Database& db, int global_index);

private:
    const Database& m_db;
    std::vector<int> m_sat_row; // per slot, 1-based row on its half's list; 0 when not listed
    std::vector<int> m_tp_row;  // per first-half entry, 1-based row on the TP list; 0 when not listed
};

} // namespace korvid
