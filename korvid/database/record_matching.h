#pragma once
// Records of two databases paired by what they are, never by slot: the diff reports what changed
// between the pairs, "Order Like" sorts one list by the other. Satellites pair first, then the
// transponders on paired satellites, then the channels on paired transponders by the keys a caller
// asks for, one rule after the other, so that a stricter rule has the first pick.
#include "korvid/database/database.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace korvid {

// Records of one kind matched across the two databases: index in a -> index in b, and back; -1 when
// unmatched. Indexes are slots (satellites, first-half transponders) or global channel indexes.
struct Matching
{
    std::vector<int> a_to_b, b_to_a;
    explicit Matching(size_t n)
        : a_to_b(n, -1)
        , b_to_a(n, -1)
    {}
};

// Pairs still unmatched records whose keys are equal, in slot order within equal keys; an empty key
// takes no part. Returns the number of pairs made.
template <class KeyA, class KeyB>
int match_by(
    Matching& m, const std::vector<int>& a_items, const std::vector<int>& b_items, KeyA key_a, KeyB key_b)
{
    std::map<std::string, std::deque<int>> waiting;
    for (int j : b_items)
        if (m.b_to_a[size_t(j)] < 0)
            if (std::string key = key_b(j); !key.empty())
                waiting[std::move(key)].push_back(j);
    int made = 0;
    for (int i : a_items) {
        if (m.a_to_b[size_t(i)] >= 0)
            continue;
        const std::string key = key_a(i);
        auto it = key.empty() ? waiting.end() : waiting.find(key);
        if (it == waiting.end() || it->second.empty())
            continue;
        const int j = it->second.front();
        it->second.pop_front();
        m.a_to_b[size_t(i)] = j;
        m.b_to_a[size_t(j)] = i;
        ++made;
    }
    return made;
}

// The used first-half satellites and transponders, and the used channels of a type, in slot order.
std::vector<int> used_satellites(const Database& db);
std::vector<int> used_transponders(const Database& db);
std::vector<int> used_channels(const Database& db, int type);

class RecordMatcher
{
public:
    // What pairs a satellite whose name matched nothing: the diff takes the same slot (a satellite
    // renamed in place); two lists from different hands share no slots, so they go by the orbital
    // position instead.
    enum class UnnamedSatellites
    {
        BySlot,
        ByPosition,
    };
    struct Rules
    {
        UnnamedSatellites satellites = UnnamedSatellites::BySlot;
        // A transponder whose tuning matched nothing pairs with the same entry on the same satellite
        // (edited in place). Only sound when both databases grew from one file.
        bool transponders_by_entry = true;
    };

    // Pairs the satellites and transponders at once; channels wait for the caller's rules.
    RecordMatcher(const Database& a, const Database& b, Rules rules);

    const Matching& satellites() const { return m_sats; }
    const Matching& transponders() const { return m_tps; }
    const Matching& channels() const { return m_channels; }

    // A channel's transponder as a first-half entry of b: a's through the transponder pairs, b's its
    // own; -1 for a channel on a transponder that has no counterpart.
    int channel_tp_a(int c) const;
    int channel_tp_b(int c) const;

    // Pairs the channels of a type on paired transponders whose name and/or service PIDs (service
    // id, video, first audio, PCR) agree too; returns the pairs made.
    int match_channels(int type, bool by_name, bool by_pids);
    // Pairs channels of a type by their name alone, where the name is held by exactly one used
    // channel of the type in either database: a name held twice says nothing about which is which.
    int match_channels_by_unique_name(int type);
    // A channel on a transponder that matched nothing (a free one, say) pairs with the same record
    // in the same slot.
    int match_channels_in_place(int type);

private:
    std::string tp_key(const Database& db, int t, int sat) const;
    // A transponder's satellite as b numbers it; -1 when it has no counterpart.
    int sat_in_b(int a_sat) const;
    std::string channel_key(const Database& db, int c, int tp, bool name, bool pids) const;
    void match_satellites(UnnamedSatellites unnamed);
    void match_transponders(bool by_entry);

    const Database& m_a;
    const Database& m_b;
    Matching m_sats, m_tps, m_channels;
};

} // namespace korvid
