#pragma once
// What the "SAT" and "SEARCHED SAT" pages share: the tuner label and selector, the satellite list
// with its eight columns, the row click that sets the editor selection, Edit and Delete.
// The pages differ in which satellites they list, which tuner selection Edit follows, and how much of
// the positioner byte a delete clears.
#include "korvid/editor/editor_context.h"
#include "korvid/editor/editor_page.h"
#include "korvid/editor/list_state.h"
#include "korvid/editor/page_action.h"
#include "korvid/editor/tuner_selector.h"

#include <string>
#include <vector>

namespace korvid {

class SatellitePageBase : public EditorPage
{
public:
    // `page_index` is what a row click stores as the active satellite page (0 "SAT", 1 "SEARCHED SAT").
    SatellitePageBase(EditorContext& ctx, int page_index);

    virtual const char* caption() const = 0;
    virtual std::vector<PageEntry> buttons() const = 0;
    virtual std::vector<PageEntry> context_menu() const = 0;
    // What a button, a menu entry or a key asks for.
    virtual void run(PageAction action);

    const ListState& list() const { return m_list; }
    const TunerSelector& tuner() const { return m_tuner; }
    // The satellite id of the row last clicked, -1 when none is remembered.
    int remembered_item() const { return m_remembered; }

    // Refills the list from the database, keeping the tuner selection.
    void refresh() override;
    // Re-reads the tuner mode (which resets the selector), forgets the remembered row and refills.
    void on_new_database() override;

    // The text of the filter box changed: the list keeps the rows that show it.
    void set_filter(std::string text);
    bool choose_tuner(int entry);
    // The list's selection changed without a click (several rows, or none).
    void select_rows(std::vector<int> rows);
    // A click that leaves exactly this row selected.
    void click_row(int row);
    void double_click_row(int row);
    void edit();
    // "Del" button, "Delete" menu entry or the Delete key.
    void remove();

protected:
    // The satellite ids to list, in display order.
    virtual std::vector<int> listed_ids() const = 0;
    // The tuner selection Edit (and Add) move the satellite id into.
    virtual int edit_tuner_selection() const = 0;
    // The positioner bits a deleted satellite keeps in its free slot.
    virtual uint8_t positioner_kept_on_delete() const = 0;

    void fill_list();
    ListState::Row make_row(int row_number, int sat_id) const;
    // True when the row still shows the satellite its slot holds ("Num" aside: it counts the whole
    // list, which a filtered row number does not know).
    bool row_matches(int row) const;
    // The one selected row when it still matches its slot; otherwise -1, and a stale list is
    // refilled from the tables.
    int checked_selection();
    // Selects and shows the row of a satellite id when it is listed; returns the row or -1.
    int select_item(int sat_id);

    EditorContext& m_ctx;
    const int m_page_index;
    TunerSelector m_tuner;
    ListState m_list;
    int m_remembered = -1;
};

} // namespace korvid
