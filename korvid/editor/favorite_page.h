#pragma once
// The "Favorite" page: one favourite list (group, TV or radio) in its stored order, reordered by
// dragging one row onto another and edited in the "Favorite" dialog through "Modify".
// The group selector lists only the groups the receiver shows (a name starting with 0x7F is kept
// out), so its entries are mapped to group numbers rather than taken as group numbers.
#include "korvid/editor/check_state.h"
#include "korvid/editor/combo_state.h"
#include "korvid/editor/editor_context.h"
#include "korvid/editor/editor_page.h"
#include "korvid/editor/list_state.h"
#include "korvid/editor/page_action.h"

#include <string>
#include <vector>

namespace korvid {

class FavoritePage : public EditorPage
{
public:
    explicit FavoritePage(EditorContext& ctx);

    const char* caption() const { return "Favorite"; }
    const char* group_label() const { return "Favorite Group "; }
    static constexpr PageAction ACTIONS[] = {PageAction::Modify, PageAction::Rename};
    std::vector<PageEntry> buttons() const { return page_buttons(ACTIONS); }
    // The page has no context menu.
    std::vector<PageEntry> context_menu() const { return {}; }
    // What a button asks for.
    void run(PageAction action);

    const ComboState& group_combo() const { return m_group_combo; }
    // The group number (0 to 3) behind each selector entry.
    const std::vector<int>& group_numbers() const { return m_group_numbers; }
    // The chosen group number, -1 when no group is listed.
    int group() const;
    int type() const { return m_type; }
    const CheckState& tv_button() const { return m_tv; }
    const CheckState& radio_button() const { return m_radio; }
    const ListState& list() const { return m_list; }

    // Refills the group selector (keeping the chosen group while it is listed) and the list.
    void refresh() override;
    // Forgets the row last dropped on, which belonged to the old database.
    void on_new_database() override;
    bool choose_group(int entry);
    // SERVICE_TV or SERVICE_RADIO, as the two radio buttons.
    void choose_type(int type);
    // The text of the filter box changed: the list keeps the rows that show it, in stored order.
    void set_filter(std::string text);
    void select_rows(std::vector<int> rows);
    void click_row(int row) { select_rows({row}); }
    void modify();
    // "Rename": the chosen group's name through the group name dialog; the selector shows the new
    // name and keeps the group chosen.
    void rename();
    // Row `drag_row` was dropped on `drop_row` (-1, or any row past the end, means below the last
    // row). Returns true when the list changed. In a filtered list the dragged entry goes right after
    // the drop row's entry when dragged down and right before it when dragged up; the hidden entries
    // keep their order.
    bool drag_and_drop(int drag_row, int drop_row);

private:
    void fill_groups();
    void fill_list();

    EditorContext& m_ctx;
    ComboState m_group_combo;
    std::vector<int> m_group_numbers;
    int m_chosen_group = 0;
    int m_type = SERVICE_TV;
    CheckState m_tv, m_radio;
    ListState m_list;
    std::vector<int> m_entry_of_row; // position in the stored list behind each row
    int m_dropped_row = -1;
};

} // namespace korvid
