#include "korvid/editor/tv_channel_page.h"

#include "common/strfmt.h"
#include "korvid/database/channel_texts.h"

#include <cstring>

namespace korvid {

std::vector<std::string> TvChannelPage::audio_entries(const tChannelStructure& ch) const
{
    std::vector<std::string> entries;
    for (uint16_t pid : ch.audio_pid)
        if (pid != INVALID_PID)
            entries.push_back(common::strfmt("%ld", long(pid)));
    for (uint16_t pid : extended_audio_pids(m_ctx.db, ch))
        entries.push_back(common::strfmt("%ld", long(pid)));
    return entries;
}

tChannelStructure TvChannelPage::edited_record(const tChannelStructure& stored, tChannelStructure rec) const
{
    // Editing never moves a channel to the other tuner.
    if (stored.tp_index >= TP_HALF_NUM && stored.tp_index < MAX_TP_NUM && rec.tp_index < TP_HALF_NUM)
        rec.tp_index = uint16_t(rec.tp_index + TP_HALF_NUM);
    if (std::memcmp(&stored, &rec, sizeof rec) != 0)
        rec.attributes |= CH_ATTR_MANUAL;
    return rec;
}

} // namespace korvid
