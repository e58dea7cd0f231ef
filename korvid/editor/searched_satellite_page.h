#pragma once
// The "SEARCHED SAT" page: only the satellites that carry channels, East before West. It edits and
// deletes but cannot add.
#include "korvid/editor/satellite_page_base.h"

namespace korvid {

class SearchedSatellitePage : public SatellitePageBase
{
public:
    explicit SearchedSatellitePage(EditorContext& ctx);

    const char* caption() const override { return "SEARCHED SAT"; }
    // No Add: satellites come to this page through their channels.
    static constexpr PageAction ACTIONS[] = {PageAction::Edit, PageAction::Delete};
    std::vector<PageEntry> buttons() const override { return page_buttons(ACTIONS); }
    std::vector<PageEntry> context_menu() const override { return page_menu(ACTIONS); }

protected:
    std::vector<int> listed_ids() const override;
    int edit_tuner_selection() const override { return m_tuner.selection(); }
    // Deleting from here keeps the motor bits; only the stored-position mode goes.
    uint8_t positioner_kept_on_delete() const override { return uint8_t(~0x03); }
};

} // namespace korvid
