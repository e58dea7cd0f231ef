#include "korvid/editor/radio_channel_page.h"

#include "common/strfmt.h"
#include "korvid/database/channel_texts.h"

namespace korvid {

std::vector<std::string> RadioChannelPage::audio_entries(const tChannelStructure& ch) const
{
    std::vector<std::string> entries;
    for (uint16_t pid : ch.audio_pid)
        entries.push_back(pid == INVALID_PID ? std::string() : common::strfmt("%ld", long(pid)));
    for (uint16_t pid : extended_audio_pids(m_ctx.db, ch))
        entries.push_back(common::strfmt("%ld", long(pid)));
    return entries;
}

tChannelStructure RadioChannelPage::edited_record(const tChannelStructure& stored,
                                                  tChannelStructure rec) const
{
    // The dialog offers first-half transponders only; a channel added for the second tuner stays on
    // it, or an unchanged edit would silently move it to the other input.
    if (stored.tp_index >= TP_HALF_NUM && stored.tp_index < MAX_TP_NUM && rec.tp_index < TP_HALF_NUM)
        rec.tp_index = uint16_t(rec.tp_index + TP_HALF_NUM);
    return rec;
}

} // namespace korvid
