#pragma once
// The "TV" page: TV slots 0 to 4466 with the video PID column; Edit keeps the tuner half and marks
// any changed channel as set by hand ("MANUAL").
#include "korvid/editor/channel_page_base.h"

namespace korvid {

class TvChannelPage : public ChannelPageBase
{
public:
    explicit TvChannelPage(EditorContext& ctx)
        : ChannelPageBase(ctx, SERVICE_TV)
    {}

    const char* caption() const override { return "TV"; }
    const char* audio_label() const override { return " Audio PID"; }

protected:
    std::vector<std::string> audio_entries(const tChannelStructure& ch) const override;
    tChannelStructure edited_record(const tChannelStructure& stored, tChannelStructure rec) const override;
};

} // namespace korvid
