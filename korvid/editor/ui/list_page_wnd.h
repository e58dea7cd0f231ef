#pragma once
// What every page with a list shares on screen: the list over the page model's ListState, the page
// buttons along the bottom edge, and the context menu. Buttons, menu entries and the Delete key all
// end in run_menu_entry(), and the page shows its model again after each of them.
#include "korvid/editor/ui/editor_page_wnd.h"

#include <QPoint>
#include <functional>
#include <string>
#include <vector>

namespace korvid {

struct ListState;
class CEditorList;
class CPageButton;

class CListPageWnd : public CEditorPageWnd
{
    Q_OBJECT
public:
    CEditorList* list() const { return m_list; }
    // The page buttons in their order.
    const std::vector<CPageButton*>& buttons() const { return m_buttons; }
    // Runs the action of a context menu entry ("Add", "Edit", "Delete"), as choosing it does.
    virtual void run_menu_entry(const QString& text) = 0;

protected:
    CListPageWnd(const ListState& list,
                 const std::vector<std::string>& buttons,
                 std::vector<std::string> menu,
                 QWidget* parent);

    // Runs a user's action on the model, then shows the model again.
    void act(const std::function<void()>& action);
    // The list from `top` down to the button row, the buttons side by side 2 pixels from the left.
    // Returns the top of the button row.
    int place_list_and_buttons(int top);

    CEditorList* m_list;
    std::vector<CPageButton*> m_buttons;

private:
    void show_context_menu(QPoint global_pos);

    std::vector<std::string> m_menu;
};

} // namespace korvid
