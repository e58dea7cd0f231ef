#include "korvid/database/record_names.h"

#include "common/strfmt.h"
#include "korvid/database/channel_texts.h"
#include "korvid/database/satellite_texts.h"
#include "korvid/database/slots.h"
#include "korvid/database/transponder_texts.h"

namespace korvid {

using common::strfmt;

std::string trimmed(const std::string& s)
{
    const size_t first = s.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : s.substr(first);
}

namespace {

std::string quoted(const std::string& s)
{
    return "\"" + s + "\"";
}

std::string degree_text(const Database& db, int slot)
{
    return slot >= 0 && slot < MAX_SAT_NUM ? trimmed(degree_column_text(db.satellites[slot].position))
                                           : std::string();
}

// The transponder a channel refers to, as the channel lists' TP column shows it; the bare number
// when it lies outside the table.
std::string channel_tuning(const Database& db, const tChannelStructure& ch)
{
    if (ch.tp_index >= MAX_TP_NUM)
        return strfmt("TP %d", ch.tp_index);
    return transponder_tuning_text(db.transponders[ch.tp_index]);
}

} // namespace

std::string transponder_tuning_text(const tTransponder& tp)
{
    return strfmt("%d %s %d", tp.frequency, polarity_letter(tp.polarisation).c_str(), tp.symbol_rate);
}

const char* service_page_name(int type)
{
    return type == SERVICE_RADIO ? "RADIO" : "TV";
}

RecordNames::RecordNames(const Database& db)
    : m_db(db)
    , m_sat_row(MAX_SAT_NUM, 0)
    , m_tp_row(TP_HALF_NUM, 0)
{
    for (int half = 0; half < 2; ++half) {
        int row = 0;
        for (int s = half * SAT_HALF_NUM; s < (half + 1) * SAT_HALF_NUM; ++s)
            if (satellite_used(db, s))
                m_sat_row[size_t(s)] = ++row;
    }
    int row = 0;
    for (int t = 0; t < TP_HALF_NUM; ++t)
        if (transponder_used(db, t))
            m_tp_row[size_t(t)] = ++row;
}

std::string RecordNames::satellite(int slot) const
{
    const int row = slot >= 0 && slot < MAX_SAT_NUM ? m_sat_row[size_t(slot)] : 0;
    std::string text = row ? strfmt("SAT %03d ", row) : strfmt("SAT slot %d ", slot);
    text += quoted(satellite_name(m_db, slot)) + " " + degree_text(m_db, slot);
    if (slot >= SAT_HALF_NUM)
        text += " (T2)";
    return text;
}

std::string RecordNames::transponder(int index) const
{
    if (index < 0 || index >= MAX_TP_NUM)
        return strfmt("TP %d", index);
    const int first = index % TP_HALF_NUM;
    const int row = m_tp_row[size_t(first)];
    const tTransponder& tp = m_db.transponders[index];
    std::string text = row ? strfmt("TP %03d ", row) : strfmt("TP entry %d ", index);
    text += quoted(satellite_name(m_db, tp.sat_id)) + " " + transponder_tuning_text(tp);
    if (index >= TP_HALF_NUM)
        text += " (T2)";
    return text;
}

std::string RecordNames::channel(int global_index) const
{
    const tChannelStructure& ch = m_db.channels[global_index];
    return strfmt("%s %04d ", service_page_name(service_type_of(global_index)),
                  relative_index(global_index) + 1) +
           quoted(channel_name(ch)) + " on " + channel_tuning(m_db, ch);
}

std::string RecordNames::favourite_group(int group) const
{
    return strfmt("Favorite %d ", group + 1) + quoted(favourite_group_label(m_db, group));
}

std::string RecordNames::favourite_list(int group, int type) const
{
    return favourite_group(group) + " " + service_page_name(type) + " list";
}

std::string RecordNames::satellite_identity(const Database& db, int slot)
{
    return "SAT " + quoted(satellite_name(db, slot));
}

std::string RecordNames::transponder_identity(const Database& db, int index)
{
    if (index < 0 || index >= MAX_TP_NUM)
        return strfmt("TP %d", index);
    const tTransponder& tp = db.transponders[index];
    return "TP " + quoted(satellite_name(db, tp.sat_id)) + " " + transponder_tuning_text(tp);
}

std::string RecordNames::channel_identity(const Database& db, int global_index)
{
    const tChannelStructure& ch = db.channels[global_index];
    std::string text = std::string(service_page_name(service_type_of(global_index))) + " " +
                       quoted(channel_name(ch)) + " on ";
    if (ch.tp_index < MAX_TP_NUM)
        text += quoted(satellite_name(db, db.transponders[ch.tp_index].sat_id)) + " ";
    return text + channel_tuning(db, ch);
}

} // namespace korvid
