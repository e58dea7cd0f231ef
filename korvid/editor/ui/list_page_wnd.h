#pragma once
// What every page with a list shares on screen: the list over the page model's ListState, the page
// buttons along the bottom edge, the context menu, and on pages whose rows move with the mouse the
// drag inside the list. Buttons, menu entries and the Delete, Enter and Insert keys all end in
// run_action(), which hands the page model its action; the page shows its model again after each.
#include "korvid/editor/page_action.h"
#include "korvid/editor/ui/editor_list.h"
#include "korvid/editor/ui/editor_page_wnd.h"

#include <QPoint>
#include <functional>
#include <string>
#include <vector>

namespace korvid {

struct ListState;
class CDragList;
class CPageButton;

class CListPageWnd : public CEditorPageWnd
{
    Q_OBJECT
public:
    // Whether the user moves the list's rows by dragging them.
    enum class RowMoves
    {
        None,
        ByDrag
    };

    CEditorList* list() const { return m_list; }
    // The list on a page whose rows move by drag; null on the others.
    CDragList* drag_list() const { return m_dragList; }
    // The page buttons in their order.
    const std::vector<CPageButton*>& buttons() const { return m_buttons; }
    // Runs a page action as its button, menu entry or key does; one the page does not offer (the
    // Delete key on "Favorite") does nothing.
    void run_action(PageAction action);

protected:
    // A window over a page model with list(), buttons(), context_menu() and run(PageAction).
    template <class Page>
    CListPageWnd(Page& page, QWidget* parent, RowMoves moves = RowMoves::None)
        : CListPageWnd(
              page.list(),
              page.buttons(),
              page.context_menu(),
              [&page](PageAction action) { page.run(action); },
              parent,
              moves)
    {}

    // Runs a user's action on the model, then shows the model again.
    void act(const std::function<void()>& action);
    // Hands the list's clicks to a page model with select_rows, click_row and double_click_row, and
    // its filter box to the model's set_filter.
    template <class Page> void bind_list(Page& page)
    {
        m_list->enable_filter(
            [this, &page](const std::string& text) { act([&page, &text] { page.set_filter(text); }); });
        connect(m_list, &CEditorList::rowsSelected, this, [this, &page](std::vector<int> rows) {
            page.select_rows(rows);
            row_choice_changed();
        });
        connect(m_list, &CEditorList::rowClicked, this, [this, &page](int row) {
            // A click that extended a selection is not a click on one row. A click changes no
            // rows, and reloading them here would lose the press a double click pairs with.
            if (m_list->selected_rows() == std::vector<int>{row}) {
                page.click_row(row);
                row_choice_changed();
            }
        });
        connect(m_list, &CEditorList::rowDoubleClicked, this,
                [this, &page](int row) { act([&page, row] { page.double_click_row(row); }); });
    }
    // After the model took a new selection or a click: what follows the chosen row, the rows stay.
    virtual void row_choice_changed() {}
    // The rows dragged from `start_row` were let go on `drop_row` (a row of the list: below the rows
    // is the last one). Released outside the list, a drag ends without this.
    virtual void drop_rows(int /*start_row*/, int /*drop_row*/) {}
    // The list from `top` down to the button row, the buttons side by side 2 pixels from the left.
    // Returns the top of the button row.
    int place_list_and_buttons(int top);

    // The row of choices above the list (tuner, database, group) and the database combo in it, wide
    // enough for the longest satellite name the database holds (21 characters).
    static constexpr int TOP_ROW_HEIGHT = 30;
    static constexpr int DB_COMBO_WIDTH = 200;

    CEditorList* m_list;
    CDragList* m_dragList = nullptr;
    std::vector<CPageButton*> m_buttons;

private:
    CListPageWnd(const ListState& list,
                 const std::vector<PageEntry>& buttons,
                 std::vector<PageEntry> menu,
                 std::function<void(PageAction)> run,
                 QWidget* parent,
                 RowMoves moves);
    // Whether a button or menu entry of the page does `action`.
    bool offers(PageAction action) const;
    void show_context_menu(QPoint global_pos);
    void bind_drag();
    // The row a drag at `global` would land on: -1 outside the list.
    int landing_row(QPoint global) const;

    std::vector<PageAction> m_offered;
    std::vector<PageEntry> m_menu;
    std::function<void(PageAction)> m_run;
    int m_draggedRow = -1;
    QPoint m_dragAt;
};

} // namespace korvid
