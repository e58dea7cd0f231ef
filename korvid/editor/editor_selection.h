#pragma once
// What the editor has selected: the satellite and transponder that filter the "TP", "TV" and
// "RADIO" pages, and which satellite page picked them. It outlives every editor view of a run (the
// factory that makes the views keeps it) and is reset by the editor when a new database arrives.
#include "korvid/database/limits.h"

#include <cstdint>

namespace korvid {

struct EditorSelection
{
    uint16_t current_sat = INVALID_SATID;
    uint16_t current_tp = INVALID_TPID;
    uint16_t active_sat_page = 0; // 0 "SAT", 1 "SEARCHED SAT"

    void reset() { *this = EditorSelection{}; }
};

} // namespace korvid
