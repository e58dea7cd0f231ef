#include "korvid/editor/ui/favorite_page_wnd.h"

#include "korvid/editor/favorite_page.h"
#include "korvid/editor/ui/drag_list.h"
#include "korvid/editor/ui/state_widgets.h"
#include "korvid/ui/skin.h"

#include <QComboBox>
#include <QLabel>
#include <QRadioButton>

namespace korvid {

CFavoritePageWnd::CFavoritePageWnd(FavoritePage& page, QWidget* parent)
    : CEditorPageWnd(parent)
    , m_page(page)
{
    setFont(skin::app_font());
    m_groupLabel = new QLabel(text8(page.group_label()), this);
    m_groupLabel->setAttribute(Qt::WA_TranslucentBackground);
    m_group = new QComboBox(this);
    m_group->setFixedSize(130, 22);
    m_tv = new QRadioButton(QStringLiteral("TV"), this);
    m_radio = new QRadioButton(QStringLiteral("Radio"), this);
    for (QRadioButton* b : {m_tv, m_radio}) {
        // The model decides which one is checked.
        b->setAutoExclusive(false);
        b->setAttribute(Qt::WA_TranslucentBackground);
    }
    m_list = new CDragList(page.list(), this);

    add_buttons(page.buttons(), [this](const QString& text) {
        if (text == QLatin1String("Modify"))
            act([this] { m_page.modify(); });
        else if (text == QLatin1String("Rename"))
            act([this] { m_page.rename(); });
    });

    connect(m_group, qOverload<int>(&QComboBox::activated), this,
            [this](int entry) { act([this, entry] { m_page.choose_group(entry); }); });
    connect(m_tv, &QAbstractButton::clicked, this,
            [this] { act([this] { m_page.choose_type(SERVICE_TV); }); });
    connect(m_radio, &QAbstractButton::clicked, this,
            [this] { act([this] { m_page.choose_type(SERVICE_RADIO); }); });
    connect(m_list, &CEditorList::rowsSelected, this,
            [this](std::vector<int> rows) { m_page.select_rows(rows); });
    connect(m_list, &CDragList::dragStarted, this, [this](int row) { m_draggedRow = row; });
    connect(m_list, &CDragList::dragMoved, this, &CFavoritePageWnd::drag_moved);
    connect(m_list, &CDragList::dragScrolled, this, [this] { drag_moved(m_dragAt); });
    connect(m_list, &CDragList::dragDropped, this, &CFavoritePageWnd::dropped);
    connect(m_list, &CDragList::dragCancelled, this, [this] {
        m_draggedRow = -1;
        m_list->set_drop_row(-1);
    });
    sync();
}

void CFavoritePageWnd::act(const std::function<void()>& action)
{
    action();
    sync();
}

void CFavoritePageWnd::drag_moved(QPoint global)
{
    m_dragAt = global;
    m_list->drag_scroll_at(global);
    int row = -1;
    if (!m_list->drop_target(global, &row)) {
        m_list->set_drop_row(-1);
        return;
    }
    // Below the rows the row lands last, so the last row is where it goes.
    m_list->set_drop_row(row >= 0 ? row : m_list->model()->rowCount() - 1);
}

void CFavoritePageWnd::dropped(QPoint global)
{
    const int dragged = m_draggedRow;
    m_draggedRow = -1;
    m_list->set_drop_row(-1);
    int row = -1;
    // Let go outside the list: the user took the row back.
    if (dragged < 0 || !m_list->drop_target(global, &row))
        return;
    act([this, dragged, row] { m_page.drag_and_drop(dragged, row); });
}

void CFavoritePageWnd::sync()
{
    show_combo(m_group, m_page.group_combo());
    show_check(m_tv, m_page.tv_button());
    show_check(m_radio, m_page.radio_button());
    m_list->sync();
    layout_controls();
}

void CFavoritePageWnd::layout_controls()
{
    m_groupLabel->adjustSize();
    m_groupLabel->move(8, (TOP_ROW_HEIGHT - m_groupLabel->height()) / 2);
    int x = 8 + m_groupLabel->width() + 6;
    m_group->move(x, (TOP_ROW_HEIGHT - m_group->height()) / 2);
    x += m_group->width() + 24;
    for (QRadioButton* b : {m_tv, m_radio}) {
        b->adjustSize();
        b->move(x, (TOP_ROW_HEIGHT - b->height()) / 2);
        x += b->width() + 16;
    }
    place_list_and_buttons(m_list);
}

void CFavoritePageWnd::resizeEvent(QResizeEvent*)
{
    layout_controls();
}

} // namespace korvid
