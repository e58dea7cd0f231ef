#pragma once
// The promises every editing step keeps about the database: twins in step, transponders and channels
// referring only to slots in use, used channels at the front with the right counts, favourite lists
// without holes and in agreement with the membership bits. A database that breaks one would confuse
// the receiver. Tests run it after every step; the database check reports each line as damage.
#include "korvid/database/database.h"

#include <string>
#include <vector>

namespace korvid {

// One line per broken promise, naming the record as the pages show it; empty when the database
// keeps them all.
std::vector<std::string> check_database_invariants(const Database& db);

} // namespace korvid
