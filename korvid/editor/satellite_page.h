#pragma once
// The "SAT" page: every used satellite of the chosen tuner half, in slot order. The only page that
// adds satellites.
#include "korvid/editor/satellite_page_base.h"

namespace korvid {

class SatellitePage : public SatellitePageBase
{
public:
    explicit SatellitePage(EditorContext& ctx);

    const char* caption() const override { return "SAT"; }
    std::vector<std::string> buttons() const override { return {"Add", "Edit", "Del"}; }
    std::vector<std::string> context_menu() const override { return {"Add", "Edit", "Delete"}; }

    void add();

protected:
    std::vector<int> listed_ids() const override;
    int edit_tuner_selection() const override { return m_ctx.tuner_selection(); }
    uint8_t positioner_kept_on_delete() const override { return 0; }
};

} // namespace korvid
