#include "korvid/editor/ui/list_page_wnd.h"

#include "korvid/editor/list_state.h"
#include "korvid/editor/ui/editor_list.h"
#include "korvid/editor/ui/editor_look.h"
#include "korvid/editor/ui/model_controls.h"

#include <QMenu>

namespace korvid {

namespace {

constexpr int MARGIN = 2;
constexpr int LIST_TO_BUTTONS = 4;

} // namespace

CListPageWnd::CListPageWnd(const ListState& list,
                           const std::vector<std::string>& buttons,
                           std::vector<std::string> menu,
                           QWidget* parent)
    : CEditorPageWnd(parent)
    , m_list(new CEditorList(list, this))
    , m_menu(std::move(menu))
{
    for (const std::string& caption : buttons) {
        auto* b = new CPageButton(text8(caption), this);
        m_buttons.push_back(b);
        // The button says "Del" where the menu says "Delete"; both do the same.
        const QString entry = caption == "Del" ? QStringLiteral("Delete") : text8(caption);
        connect(b, &QAbstractButton::clicked, this, [this, entry] { run_menu_entry(entry); });
    }
    connect(m_list, &CEditorList::deletePressed, this, [this] { run_menu_entry(QStringLiteral("Delete")); });
    connect(m_list, &CEditorList::contextMenuAt, this, &CListPageWnd::show_context_menu);
}

void CListPageWnd::act(const std::function<void()>& action)
{
    action();
    sync();
}

void CListPageWnd::show_context_menu(QPoint global_pos)
{
    QMenu menu(this);
    for (const std::string& entry : m_menu)
        menu.addAction(text8(entry));
    if (QAction* chosen = menu.exec(global_pos))
        run_menu_entry(chosen->text());
}

int CListPageWnd::place_list_and_buttons(int top)
{
    const int buttons_top = height() - CPageButton::HEIGHT - MARGIN;
    m_list->setGeometry(MARGIN, top, width() - 2 * MARGIN, buttons_top - top - LIST_TO_BUTTONS);
    int x = MARGIN;
    for (CPageButton* b : m_buttons) {
        b->setGeometry(x, buttons_top, CPageButton::WIDTH, CPageButton::HEIGHT);
        x += CPageButton::WIDTH + MARGIN;
    }
    return buttons_top;
}

} // namespace korvid
