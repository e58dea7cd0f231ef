#pragma once
// The "SAT" page: every used satellite of the chosen tuner half, in slot order. The only page that
// adds satellites.
#include "korvid/database/transponder_list.h"
#include "korvid/editor/satellite_page_base.h"

namespace korvid {

class SatellitePage : public SatellitePageBase
{
public:
    explicit SatellitePage(EditorContext& ctx);

    static constexpr const char* UPDATE_TRANSPONDERS = "Update Transponders...";

    const char* caption() const override { return "SAT"; }
    std::vector<std::string> buttons() const override { return {"Add", "Edit", "Del", UPDATE_TRANSPONDERS}; }
    std::vector<std::string> context_menu() const override
    {
        return {"Add", "Edit", "Delete", UPDATE_TRANSPONDERS};
    }

    void add();
    // The selected satellite's transponders brought up to date from a public list: the installed
    // scan table of its position, or a file the user chooses; the preview; the ticked changes as
    // one undo step.
    void update_transponders();
    // Where the installed scan tables are looked for.
    void set_scan_table_folder(std::string folder) { m_scanTableFolder = std::move(folder); }

protected:
    std::vector<int> listed_ids() const override;
    int edit_tuner_selection() const override { return m_ctx.tuner_selection(); }
    uint8_t positioner_kept_on_delete() const override { return 0; }

private:
    // The list to update from: the installed scan table the user accepts, or a file chosen. Empty
    // when the user cancels.
    std::string choose_transponder_list(const std::string& sat_name, int position);

    std::string m_scanTableFolder = DEFAULT_SCAN_TABLE_FOLDER;
};

} // namespace korvid
