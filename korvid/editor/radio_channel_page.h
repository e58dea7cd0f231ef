#pragma once
// The "RADIO" page: radio slots 4467 to 7444, no video PID column, "skip" shown in the "LOCK"
// column, every audio PID slot listed in the audio combo. Edit stores the record as the dialog
// made it, without the "MANUAL" mark.
#include "korvid/editor/channel_page_base.h"

namespace korvid {

class RadioChannelPage : public ChannelPageBase
{
public:
    explicit RadioChannelPage(EditorContext& ctx)
        : ChannelPageBase(ctx, SERVICE_RADIO)
    {}

    const char* caption() const override { return "RADIO"; }
    const char* audio_label() const override { return " Audio PIDs"; }

protected:
    std::vector<std::string> audio_entries(const tChannelStructure& ch) const override;
    tChannelStructure edited_record(const tChannelStructure& stored, tChannelStructure rec) const override;
};

} // namespace korvid
