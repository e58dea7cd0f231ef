#include "korvid/database/record_matching.h"

#include "common/strfmt.h"
#include "korvid/database/channel_texts.h"
#include "korvid/database/slots.h"

namespace korvid {

using common::strfmt;

std::vector<int> used_satellites(const Database& db)
{
    std::vector<int> out;
    for (int s = 0; s < SAT_HALF_NUM; ++s)
        if (satellite_used(db, s))
            out.push_back(s);
    return out;
}

std::vector<int> used_transponders(const Database& db)
{
    std::vector<int> out;
    for (int t = 0; t < TP_HALF_NUM; ++t)
        if (transponder_used(db, t))
            out.push_back(t);
    return out;
}

std::vector<int> used_channels(const Database& db, int type)
{
    std::vector<int> out;
    for (int c = first_slot_of(type); c < first_slot_of(type) + slot_count_of(type); ++c)
        if (channel_used(db, c))
            out.push_back(c);
    return out;
}

RecordMatcher::RecordMatcher(const Database& a, const Database& b, Rules rules)
    : m_a(a)
    , m_b(b)
    , m_sats(MAX_SAT_NUM)
    , m_tps(TP_HALF_NUM)
    , m_channels(MAX_CHAN_NUM)
{
    match_satellites(rules.satellites);
    match_transponders(rules.transponders_by_entry);
}

void RecordMatcher::match_satellites(UnnamedSatellites unnamed)
{
    const auto a = used_satellites(m_a), b = used_satellites(m_b);
    match_by(
        m_sats, a, b, [&](int s) { return satellite_name(m_a, s); },
        [&](int s) { return satellite_name(m_b, s); });
    if (unnamed == UnnamedSatellites::BySlot)
        match_by(
            m_sats, a, b, [](int s) { return strfmt("%d", s); }, [](int s) { return strfmt("%d", s); });
    else
        match_by(
            m_sats, a, b, [&](int s) { return strfmt("%d", m_a.satellites[s].position); },
            [&](int s) { return strfmt("%d", m_b.satellites[s].position); });
}

std::string RecordMatcher::tp_key(const Database& db, int t, int sat) const
{
    const tTransponder& tp = db.transponders[t];
    return strfmt("%d/%d/%d/%d", sat, tp.frequency, tp.polarisation ? 1 : 0, tp.symbol_rate);
}

int RecordMatcher::sat_in_b(int a_sat) const
{
    const int s = a_sat % SAT_HALF_NUM;
    return a_sat < MAX_SAT_NUM ? m_sats.a_to_b[size_t(s)] : -1;
}

void RecordMatcher::match_transponders(bool by_entry)
{
    const auto a = used_transponders(m_a), b = used_transponders(m_b);
    auto sat_a = [&](int t) { return sat_in_b(m_a.transponders[t].sat_id); };
    auto sat_b = [&](int t) { return m_b.transponders[t].sat_id % SAT_HALF_NUM; };
    match_by(
        m_tps, a, b, [&](int t) { return sat_a(t) < 0 ? std::string() : tp_key(m_a, t, sat_a(t)); },
        [&](int t) { return tp_key(m_b, t, sat_b(t)); });
    if (by_entry)
        match_by(
            m_tps, a, b, [&](int t) { return sat_a(t) < 0 ? std::string() : strfmt("%d/%d", t, sat_a(t)); },
            [&](int t) { return strfmt("%d/%d", t, sat_b(t)); });
}

int RecordMatcher::channel_tp_a(int c) const
{
    const int t = m_a.channels[c].tp_index;
    return t < MAX_TP_NUM ? m_tps.a_to_b[size_t(t % TP_HALF_NUM)] : -1;
}

int RecordMatcher::channel_tp_b(int c) const
{
    const int t = m_b.channels[c].tp_index;
    return t < MAX_TP_NUM ? t % TP_HALF_NUM : -1;
}

std::string RecordMatcher::channel_key(const Database& db, int c, int tp, bool name, bool pids) const
{
    const tChannelStructure& ch = db.channels[c];
    std::string key = strfmt("%d", tp);
    if (name)
        key += "\x1f" + channel_name(ch);
    if (pids)
        key += strfmt("\x1f%d/%d/%d/%d", ch.service_id, ch.video_pid, ch.audio_pid[0], ch.pcr_pid);
    return key;
}

int RecordMatcher::match_channels(int type, bool by_name, bool by_pids)
{
    return match_by(
        m_channels, used_channels(m_a, type), used_channels(m_b, type),
        [&](int c) {
            const int tp = channel_tp_a(c);
            return tp < 0 ? std::string() : channel_key(m_a, c, tp, by_name, by_pids);
        },
        [&](int c) { return channel_key(m_b, c, channel_tp_b(c), by_name, by_pids); });
}

int RecordMatcher::match_channels_by_unique_name(int type)
{
    const auto a = used_channels(m_a, type), b = used_channels(m_b, type);
    auto counted = [](const Database& db, const std::vector<int>& items) {
        std::map<std::string, int> count;
        for (int c : items)
            ++count[channel_name(db.channels[c])];
        return count;
    };
    const auto count_a = counted(m_a, a), count_b = counted(m_b, b);
    auto unique = [](const std::map<std::string, int>& count, const Database& db, int c) {
        std::string name = channel_name(db.channels[c]);
        return count.at(name) == 1 ? name : std::string();
    };
    return match_by(
        m_channels, a, b, [&](int c) { return unique(count_a, m_a, c); },
        [&](int c) { return unique(count_b, m_b, c); });
}

int RecordMatcher::match_channels_in_place(int type)
{
    auto raw_key = [](const Database& db, int c) {
        return strfmt("%d\x1f", c) +
               std::string(reinterpret_cast<const char*>(&db.channels[c]), sizeof(tChannelStructure));
    };
    return match_by(
        m_channels, used_channels(m_a, type), used_channels(m_b, type),
        [&](int c) { return channel_tp_a(c) < 0 ? raw_key(m_a, c) : std::string(); },
        [&](int c) { return raw_key(m_b, c); });
}

} // namespace korvid
