#pragma once
// Which slots hold something, and the satellite names: the look-ups every page, the check and the
// diff share. Out-of-range indexes read as free (or nameless), so callers may pass what a file says.
#include "korvid/database/database.h"

#include <string>

namespace korvid {

bool satellite_used(const Database& db, int slot);
bool transponder_used(const Database& db, int index);
bool channel_used(const Database& db, int global_index);

// The name in a satellite's cell, read no further than the stored bytes.
std::string satellite_name(const Database& db, int slot);
// Writes the name NUL-padded over the whole cell.
void store_satellite_name(Database& db, int slot, const std::string& name);

} // namespace korvid
