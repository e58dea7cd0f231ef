#include "korvid/editor/ui/list_page_wnd.h"

#include "korvid/editor/list_state.h"
#include "korvid/editor/ui/drag_list.h"
#include "korvid/editor/ui/editor_list.h"
#include "korvid/editor/ui/editor_look.h"
#include "korvid/editor/ui/model_controls.h"

#include <QMenu>
#include <algorithm>

namespace korvid {

namespace {

constexpr int MARGIN = 2;
constexpr int LIST_TO_BUTTONS = 4;

} // namespace

CListPageWnd::CListPageWnd(const ListState& list,
                           const std::vector<PageEntry>& buttons,
                           std::vector<PageEntry> menu,
                           std::function<void(PageAction)> run,
                           QWidget* parent,
                           RowMoves moves)
    : CEditorPageWnd(parent)
    , m_menu(std::move(menu))
    , m_run(std::move(run))
{
    for (const PageEntry& e : buttons)
        m_offered.push_back(e.action);
    for (const PageEntry& e : m_menu)
        m_offered.push_back(e.action);
    if (moves == RowMoves::ByDrag) {
        m_dragList = new CDragList(list, this);
        m_list = m_dragList;
        bind_drag();
    } else {
        m_list = new CEditorList(list, this);
    }
    for (const PageEntry& entry : buttons) {
        auto* b = new CPageButton(text8(entry.caption), this);
        m_buttons.push_back(b);
        connect(b, &QAbstractButton::clicked, this, [this, a = entry.action] { run_action(a); });
    }
    connect(m_list, &CEditorList::deletePressed, this, [this] { run_action(PageAction::Delete); });
    // Enter and Insert do what the page's own "Edit" and "Add" do, on pages that have them; elsewhere
    // nobody listens and the list passes the keys on.
    if (offers(PageAction::Edit))
        connect(m_list, &CEditorList::editPressed, this, [this] { run_action(PageAction::Edit); });
    if (offers(PageAction::Add))
        connect(m_list, &CEditorList::insertPressed, this, [this] { run_action(PageAction::Add); });
    connect(m_list, &CEditorList::contextMenuAt, this, &CListPageWnd::show_context_menu);
}

bool CListPageWnd::offers(PageAction action) const
{
    return std::find(m_offered.begin(), m_offered.end(), action) != m_offered.end();
}

void CListPageWnd::run_action(PageAction action)
{
    if (offers(action))
        act([this, action] { m_run(action); });
}

void CListPageWnd::act(const std::function<void()>& action)
{
    action();
    sync();
}

void CListPageWnd::bind_drag()
{
    connect(m_dragList, &CDragList::dragStarted, this, [this](int row) { m_draggedRow = row; });
    const auto follow = [this](QPoint global) {
        m_dragAt = global;
        m_dragList->drag_scroll_at(global);
        m_dragList->set_drop_row(landing_row(global));
    };
    connect(m_dragList, &CDragList::dragMoved, this, follow);
    // The rows scrolled under a still mouse: the drop place is another row now.
    connect(m_dragList, &CDragList::dragScrolled, this, [this, follow] { follow(m_dragAt); });
    connect(m_dragList, &CDragList::dragCancelled, this, [this] {
        m_draggedRow = -1;
        m_dragList->set_drop_row(-1);
    });
    connect(m_dragList, &CDragList::dragDropped, this, [this](QPoint global) {
        const int start = m_draggedRow;
        const int drop = landing_row(global);
        m_draggedRow = -1;
        m_dragList->set_drop_row(-1);
        if (start >= 0 && drop >= 0)
            drop_rows(start, drop);
    });
}

int CListPageWnd::landing_row(QPoint global) const
{
    int row = -1;
    if (!m_dragList->drop_target(global, &row))
        return -1;
    return row >= 0 ? row : m_dragList->model()->rowCount() - 1;
}

void CListPageWnd::show_context_menu(QPoint global_pos)
{
    if (m_menu.empty())
        return;
    QMenu menu(this);
    for (const PageEntry& entry : m_menu)
        menu.addAction(text8(entry.caption))->setData(int(entry.action));
    // Run once the menu is gone, so that a dialog the action opens is not opened from inside it.
    if (QAction* chosen = menu.exec(global_pos))
        run_action(PageAction(chosen->data().toInt()));
}

int CListPageWnd::place_list_and_buttons(int top)
{
    const int buttons_top = height() - CPageButton::HEIGHT - MARGIN;
    m_list->setGeometry(MARGIN, top, width() - 2 * MARGIN, buttons_top - top - LIST_TO_BUTTONS);
    int x = MARGIN;
    for (CPageButton* b : m_buttons) {
        const int width = b->page_width();
        b->setGeometry(x, buttons_top, width, CPageButton::HEIGHT);
        x += width + MARGIN;
    }
    return buttons_top;
}

} // namespace korvid
