#pragma once
// CheckVersion against the codes of what is loaded now (the database or the code file). Kept
// apart from link_blocks.h so that the link library itself does not need the database library;
// whoever includes this links korvid_database, which defines the two codes.
#include "korvid/database/codes.h"
#include "korvid/link/link_blocks.h"

namespace korvid {

inline bool CheckVersion(const VersionBlock& block) { return CheckVersion(block, g_BuyerCode, g_ModelCode); }

} // namespace korvid
