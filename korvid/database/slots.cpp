#include "korvid/database/slots.h"

#include <algorithm>
#include <cstring>

namespace korvid {

bool satellite_used(const Database& db, int slot)
{
    return slot >= 0 && slot < MAX_SAT_NUM && db.satellites[slot].sat_id < INVALID_SATID;
}

bool transponder_used(const Database& db, int index)
{
    return index >= 0 && index < MAX_TP_NUM && db.transponders[index].sat_id < INVALID_SATID;
}

bool channel_used(const Database& db, int global_index)
{
    return global_index >= 0 && global_index < MAX_CHAN_NUM &&
           db.channels[global_index].tp_index < INVALID_TPID;
}

std::string satellite_name(const Database& db, int slot)
{
    if (slot < 0 || slot >= MAX_SAT_NUM)
        return {};
    const char* cell = db.sat_names[slot];
    return std::string(cell, strnlen(cell, MAX_SATNAME_LEN));
}

void store_satellite_name(Database& db, int slot, const std::string& name)
{
    char* cell = db.sat_names[slot];
    std::memset(cell, 0, MAX_SATNAME_LEN + 1);
    std::memcpy(cell, name.data(), std::min<size_t>(name.size(), MAX_SATNAME_LEN));
}

} // namespace korvid
