#pragma once
// The promises every editing step keeps about the database: twins in step, transponders and channels
// referring only to slots in use, used channels at the front with the right counts, favourite lists
// without holes and in agreement with the membership bits. Tests run it after every step. Some broken
// promises make the receiver misbehave or lose channels (a reference to a free slot, a count that
// disagrees with the list it counts, a hole among the used channels); the others only leave the two
// tuners or the marks out of step, and the database check reports them as notes.
#include "korvid/database/database.h"

#include <string>
#include <vector>

namespace korvid {

struct BrokenPromise
{
    bool damage; // the receiver would misbehave or lose channels
    std::string text;
};

// One line per broken promise, naming the record as the pages show it; empty when the database
// keeps them all.
std::vector<BrokenPromise> broken_promises(const Database& db);
// The texts of broken_promises(), whatever their weight.
std::vector<std::string> check_database_invariants(const Database& db);

} // namespace korvid
