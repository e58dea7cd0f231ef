#include "korvid/editor/searched_satellite_page.h"

namespace korvid {

SearchedSatellitePage::SearchedSatellitePage(EditorContext& ctx)
    : SatellitePageBase(ctx, 1)
{}

std::vector<int> SearchedSatellitePage::listed_ids() const
{
    const Database& db = m_ctx.db;
    uint8_t ids[MAX_SAT_NUM];
    int count = 0;
    bool seen[MAX_SAT_NUM] = {};
    auto collect = [&](int first, int n) {
        for (int c = first; c < first + n && count < MAX_SAT_NUM; ++c) {
            const uint16_t tp = db.channels[c].tp_index;
            if (tp >= MAX_TP_NUM)
                continue;
            const uint8_t id = db.transponders[tp].sat_id;
            if (id >= INVALID_SATID || seen[id])
                continue;
            seen[id] = true;
            ids[count++] = id;
        }
    };
    // Counts come from the file; never walk past a table whatever they say.
    collect(0, std::min<int>(db.system.chan_count[SERVICE_TV], MAX_TV_CHAN_NUM));
    collect(MAX_TV_CHAN_NUM, std::min<int>(db.system.chan_count[SERVICE_RADIO], MAX_RADIO_CHAN_NUM));
    sort_satellites_by_position(db, ids, count);

    std::vector<int> shown;
    const bool t2 = m_tuner.t2();
    for (int i = 0; i < count; ++i)
        if ((ids[i] >= SAT_HALF_NUM) == t2)
            shown.push_back(ids[i]);
    return shown;
}

} // namespace korvid
