#pragma once
// The names of the user's changes as the undo history shows them after "Undo " and "Redo ":
// a verb and what it acted on, in the words the pages use ("Delete satellite Astra 19.2E",
// "Move 3 channels"). Taken before the change, while the records still hold what they name.
#include "korvid/database/database.h"

#include <string>
#include <vector>

namespace korvid {

std::string satellite_change_label(const char* verb, const Database& db, int slot);
// The transponder as the lists show it: "11494/H/22000".
std::string transponder_change_label(const char* verb, const tTransponder& tp);
// One channel by name, or several by count: "Delete channel Das Erste", "Move 3 channels".
std::string
channels_change_label(const char* verb, const Database& db, const std::vector<int>& global_indexes);
// A favourite group by the name its selector shows: "Change favourites of Sports".
std::string favourite_change_label(const char* verb, const Database& db, int group);

} // namespace korvid
