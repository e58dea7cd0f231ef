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
    std::vector<std::string> buttons() const override { return {"Edit", "Del"}; }
    std::vector<std::string> context_menu() const override { return {"Edit", "Delete"}; }

protected:
    std::vector<int> listed_ids() const override;
    int edit_tuner_selection() const override { return m_tuner.selection(); }
    // Deleting from here keeps the motor bits; only the stored-position mode goes.
    uint8_t positioner_kept_on_delete() const override { return uint8_t(~0x03); }
};

} // namespace korvid
