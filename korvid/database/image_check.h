#pragma once
// What can be checked of a database image that came over the cable, beyond its system code. The
// link's packet checksum is a plain byte sum, blind to two bit flips that cancel out, so a damaged
// image can arrive as a whole one. Every value the receiver itself uses as an index must lie in
// its table, and every count within its list: an image that breaks that is damaged, whatever the
// checksums said.
#include "korvid/database/database.h"

#include <string>

namespace korvid {

// The first value out of its range, as "what: value"; empty when the database keeps them all.
std::string damaged_database_reason(const Database& db);

} // namespace korvid
