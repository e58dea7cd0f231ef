#include "korvid/editor/ui/favorite_page_wnd.h"

#include "korvid/editor/favorite_page.h"
#include "korvid/editor/ui/editor_list.h"
#include "korvid/editor/ui/model_controls.h"
#include "korvid/ui/skin.h"

#include <QComboBox>
#include <QLabel>
#include <QRadioButton>

namespace korvid {

CFavoritePageWnd::CFavoritePageWnd(FavoritePage& page, QWidget* parent)
    : CListPageWnd(page, parent, RowMoves::ByDrag)
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

    connect(m_group, qOverload<int>(&QComboBox::activated), this,
            [this](int entry) { act([this, entry] { m_page.choose_group(entry); }); });
    connect(m_tv, &QAbstractButton::clicked, this,
            [this] { act([this] { m_page.choose_type(SERVICE_TV); }); });
    connect(m_radio, &QAbstractButton::clicked, this,
            [this] { act([this] { m_page.choose_type(SERVICE_RADIO); }); });
    connect(m_list, &CEditorList::rowsSelected, this,
            [this](std::vector<int> rows) { m_page.select_rows(rows); });
    m_list->enable_filter(
        [this](const std::string& text) { act([this, &text] { m_page.set_filter(text); }); });
    sync();
}

void CFavoritePageWnd::drop_rows(int start_row, int drop_row)
{
    act([this, start_row, drop_row] { m_page.drag_and_drop(start_row, drop_row); });
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
    place_list_and_buttons(TOP_ROW_HEIGHT);
}

void CFavoritePageWnd::resizeEvent(QResizeEvent*)
{
    layout_controls();
}

} // namespace korvid
