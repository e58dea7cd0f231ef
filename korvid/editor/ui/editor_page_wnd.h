#pragma once
// A page window in the editor's tab control: painted in the page colour, deaf to Escape (a page is
// never closed by it), and able to show its model again after the model changed. It also carries
// what the list pages share: the page buttons along the bottom, the context menu, and the list's
// events handed to the page model.
#include "korvid/editor/ui/editor_list.h"

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

namespace korvid {

class CPageButton;

class CEditorPageWnd : public QWidget
{
    Q_OBJECT
public:
    explicit CEditorPageWnd(QWidget* parent = nullptr);
    // Mirrors the page model on screen.
    virtual void sync() {}

    // The page buttons in their order ("Add", "Edit", "Del" and the like).
    const std::vector<CPageButton*>& buttons() const { return m_buttons; }
    // Runs the action of a context menu entry, as choosing it does; the buttons run theirs too.
    virtual void run_menu_entry(const QString&) {}

protected:
    void keyPressEvent(QKeyEvent* e) override;

    // Runs a user event on the model, then shows the model again.
    void act(const std::function<void()>& action);
    // One button per caption; a button runs the menu entry of its caption ("Del" is "Delete").
    void make_buttons(const std::vector<std::string>& captions);
    void show_context_menu(const std::vector<std::string>& entries, QPoint global_pos);
    // The list fills the page from `top` down to the buttons, which stand side by side at the bottom.
    void layout_list_and_buttons(QWidget* list, int top);

    // Hands the list's events to a page model with select_rows, click_row, double_click_row and
    // remove; the context menu shows `Page::context_menu()`.
    template <class Page> void bind_list(CEditorList* list, Page& page)
    {
        connect(list, &CEditorList::rowsSelected, this,
                [&page](std::vector<int> rows) { page.select_rows(rows); });
        connect(list, &CEditorList::rowClicked, this, [list, &page](int row) {
            // A click that extended a selection is not a click on one row. A click changes no
            // rows, and reloading them here would lose the press a double click pairs with.
            if (list->selected_rows() == std::vector<int>{row})
                page.click_row(row);
        });
        connect(list, &CEditorList::rowDoubleClicked, this,
                [this, &page](int row) { act([&page, row] { page.double_click_row(row); }); });
        connect(list, &CEditorList::deletePressed, this, [this, &page] { act([&page] { page.remove(); }); });
        connect(list, &CEditorList::contextMenuAt, this,
                [this, &page](QPoint at) { show_context_menu(page.context_menu(), at); });
    }

private:
    std::vector<CPageButton*> m_buttons;
};

// The window of a tab whose page has no window in this version: it says so instead of pretending to
// be empty data.
class CPendingPageWnd : public CEditorPageWnd
{
    Q_OBJECT
public:
    CPendingPageWnd(const QString& caption, QWidget* parent = nullptr);
    QString message() const;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString m_caption;
};

} // namespace korvid
