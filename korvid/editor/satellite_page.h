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

    static constexpr PageAction ACTIONS[] = {PageAction::Add, PageAction::Edit, PageAction::Delete,
                                             PageAction::UpdateTransponders};

    const char* caption() const override { return "SAT"; }
    std::vector<PageEntry> buttons() const override { return page_buttons(ACTIONS); }
    std::vector<PageEntry> context_menu() const override { return page_menu(ACTIONS); }
    void run(PageAction action) override;

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
