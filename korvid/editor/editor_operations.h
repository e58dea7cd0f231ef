#pragma once
// Database-wide steps that the editing pages share: free slots, names, and the cascade that a
// deleted satellite or transponder sets off through the transponder, channel and favourite tables.
#include "korvid/database/database.h"
#include "korvid/database/slots.h"

#include <string>

namespace korvid {

// True when a used satellite of the first half other than `skip_slot` (-1: none) has exactly this
// name; a satellite and its twin share their name, so the first half is enough.
bool satellite_name_taken(const Database& db, const std::string& name, int skip_slot);

// Lowest free slot of the first tuner half, or -1.
int find_free_satellite_slot(const Database& db);
int find_free_transponder(const Database& db);

// Folds a satellite id into the half of a tuner selection: T2 gives the second half, anything else
// (T1 or no selection) the first.
int satellite_in_half(int sat_id, int tuner_selection);
inline int satellite_t1(int sat_id)
{
    return sat_id >= SAT_HALF_NUM ? sat_id - SAT_HALF_NUM : sat_id;
}

// Empties a transponder slot: no satellite, symbol rate 0; the other fields stay.
void free_transponder(Database& db, int index);

// The record Add and Edit of a transponder store: the dialog's fields over `kept` (the entry as it
// was on Edit, zeros on Add), the byte at 1 cleared and the symbol-rate offset 10.
tTransponder edited_transponder(
    tTransponder kept, int sat_id, uint16_t frequency, uint16_t symbol_rate, uint8_t pol, uint8_t fec);
// A transponder the receiver can tune: at least 950 MHz and a symbol rate.
bool transponder_values_valid(const tTransponder& tp);
enum class DuplicateRule
{
    Exact,  // Add: the same frequency and symbol rate
    Within3 // Edit: within 3 MHz and 3 kSymbols/s
};
// The first entry of the first half, other than `skip`, on the same satellite with the same
// polarisation that counts as the same transponder as `tp`; -1 when there is none.
int find_duplicate_transponder(const Database& db, const tTransponder& tp, DuplicateRule rule, int skip);
// Writes a first-half entry and its second-half copy, 1638 entries on with the satellite id 64 higher.
void store_transponder_pair(Database& db, int index, const tTransponder& tp);
// Frees a first-half entry and its copy and deletes every channel on them, favourite entries
// included; returns how many channels went. The caller compacts the channels.
int delete_transponder_pair(Database& db, int index);
// Frees every transponder (both halves) that belongs to the satellite or its twin; returns how many.
int free_transponders_of_satellite(Database& db, int sat_id);
// Deletes, with their favourite memberships, every channel whose transponder is free; returns how many.
int delete_channels_on_free_transponders(Database& db);
// After channels were deleted: compacts the channel tables and brings the favourite counts and
// cursors up to date, so the system block always matches the lists.
void compact_after_channel_deletion(Database& db);

} // namespace korvid
