#pragma once
// The "TP" page: the first-half transponders, filtered by the "DB" satellite. Every change is written
// to both tuner halves, the second-half copy 1638 slots further on with its satellite id 64 higher.
#include "korvid/editor/combo_state.h"
#include "korvid/editor/editor_context.h"
#include "korvid/editor/editor_page.h"
#include "korvid/editor/list_state.h"
#include "korvid/editor/page_action.h"

#include <string>
#include <vector>

namespace korvid {

class TransponderPage : public EditorPage
{
public:
    explicit TransponderPage(EditorContext& ctx);

    const char* caption() const { return "TP"; }
    const char* db_label() const { return "DB"; }
    std::vector<PageEntry> buttons() const { return page_buttons(ADD_EDIT_DELETE); }
    std::vector<PageEntry> context_menu() const { return page_menu(ADD_EDIT_DELETE); }
    // What a button, a menu entry or a key asks for.
    void run(PageAction action) { run_add_edit_delete(*this, action); }

    const ComboState& db_combo() const { return m_db_combo; }
    // The satellite id behind each "DB" entry; INVALID_SATID for "All".
    const std::vector<int>& db_ids() const { return m_db_ids; }
    const ListState& list() const { return m_list; }
    int remembered_item() const { return m_remembered; }

    void refresh() override;
    // Forgets the remembered row, which belonged to the old data, and refreshes.
    void on_new_database() override;
    // The text of the filter box changed: the list keeps the rows that show it.
    void set_filter(std::string text);
    bool choose_db(int entry);
    void select_rows(std::vector<int> rows);
    void click_row(int row);
    void double_click_row(int row);
    void add();
    void edit();
    // "Del" button, "Delete" menu entry or the Delete key.
    void remove();

private:
    ListState::Row make_row(int row_number, int index) const;
    // The one selected row when it still shows its slot as the tables hold it; else -1 and the
    // list is refilled.
    int checked_selection();
    void fill_db_combo();
    void fill_list();

    EditorContext& m_ctx;
    ComboState m_db_combo;
    std::vector<int> m_db_ids;
    ListState m_list;
    int m_remembered = -1;
};

} // namespace korvid
