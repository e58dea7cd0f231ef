#include "korvid/editor/editor_operations.h"

#include "korvid/editor/tuner_mode.h"

#include <cstdlib>
#include <cstring>

namespace korvid {

bool satellite_name_taken(const Database& db, const std::string& name, int skip_slot)
{
    for (int s = 0; s < SAT_HALF_NUM; ++s)
        if (s != skip_slot && satellite_used(db, s) && satellite_name(db, s) == name)
            return true;
    return false;
}

int find_free_satellite_slot(const Database& db)
{
    for (int s = 0; s < SAT_HALF_NUM; ++s)
        if (!satellite_used(db, s))
            return s;
    return -1;
}

int find_free_transponder(const Database& db)
{
    for (int t = 0; t < TP_HALF_NUM; ++t)
        if (!transponder_used(db, t))
            return t;
    return -1;
}

int satellite_in_half(int sat_id, int tuner_selection)
{
    if (tuner_selection == TUNER_SEL_T2)
        return sat_id < SAT_HALF_NUM ? sat_id + SAT_HALF_NUM : sat_id;
    return satellite_t1(sat_id);
}

void free_transponder(Database& db, int index)
{
    db.transponders[index].sat_id = INVALID_SATID;
    db.transponders[index].symbol_rate = 0;
}

tTransponder edited_transponder(
    tTransponder kept, int sat_id, uint16_t frequency, uint16_t symbol_rate, uint8_t pol, uint8_t fec)
{
    kept.sat_id = uint8_t(sat_id);
    kept.carried1 = 0;
    kept.frequency = frequency;
    kept.symbol_rate = symbol_rate;
    kept.sr_offset = 10;
    kept.polarisation = pol;
    kept.fec = fec;
    return kept;
}

bool transponder_values_valid(const tTransponder& tp)
{
    return tp.frequency >= 950 && tp.symbol_rate != 0;
}

int find_duplicate_transponder(const Database& db, const tTransponder& tp, DuplicateRule rule, int skip)
{
    const bool horizontal = tp.polarisation != 0;
    for (int t = 0; t < TP_HALF_NUM; ++t) {
        const tTransponder& other = db.transponders[t];
        if (t == skip || !transponder_used(db, t) || same_satellite(other.sat_id, tp.sat_id) < 0 ||
            (other.polarisation != 0) != horizontal)
            continue;
        if (rule == DuplicateRule::Exact) {
            if (other.frequency == tp.frequency && other.symbol_rate == tp.symbol_rate)
                return t;
        } else if (std::abs(int(other.frequency) - int(tp.frequency)) <= 3 &&
                   std::abs(int(other.symbol_rate) - int(tp.symbol_rate)) <= 3) {
            return t;
        }
    }
    return -1;
}

void store_transponder_pair(Database& db, int index, const tTransponder& tp)
{
    db.transponders[index] = tp;
    tTransponder twin = tp;
    twin.sat_id = uint8_t(tp.sat_id + SAT_HALF_NUM);
    db.transponders[index + TP_HALF_NUM] = twin;
}

int delete_transponder_pair(Database& db, int index)
{
    free_transponder(db, index);
    free_transponder(db, index + TP_HALF_NUM);
    return delete_channels_on_free_transponders(db);
}

int free_transponders_of_satellite(Database& db, int sat_id)
{
    int freed = 0;
    for (int t = 0; t < MAX_TP_NUM; ++t)
        if (transponder_used(db, t) && same_satellite(db.transponders[t].sat_id, sat_id) >= 0) {
            free_transponder(db, t);
            ++freed;
        }
    return freed;
}

int delete_channels_on_free_transponders(Database& db)
{
    int deleted = 0;
    for (int c = 0; c < MAX_CHAN_NUM; ++c) {
        const uint16_t tp = db.channels[c].tp_index;
        if (tp < MAX_TP_NUM && !transponder_used(db, tp)) {
            db.delete_channel(c);
            ++deleted;
        }
    }
    return deleted;
}

void compact_after_channel_deletion(Database& db)
{
    db.compact_channels();
    db.compact_favourite_lists();
}

} // namespace korvid
