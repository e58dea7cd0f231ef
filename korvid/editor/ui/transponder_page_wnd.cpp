#include "korvid/editor/ui/transponder_page_wnd.h"

#include "korvid/editor/transponder_page.h"
#include "korvid/editor/ui/model_controls.h"
#include "korvid/ui/skin.h"

#include <QComboBox>
#include <QLabel>

namespace korvid {

CTransponderPageWnd::CTransponderPageWnd(TransponderPage& page, QWidget* parent)
    : CListPageWnd(page, parent)
    , m_page(page)
{
    setFont(skin::app_font());
    m_dbLabel = new QLabel(text8(page.db_label()), this);
    m_dbLabel->setAttribute(Qt::WA_TranslucentBackground);
    m_dbLabel->adjustSize();
    m_db = new QComboBox(this);
    m_db->setFixedSize(DB_COMBO_WIDTH, 22);
    // The database holds up to 64 satellites: show a good part of them without scrolling at once.
    m_db->setMaxVisibleItems(20);

    connect(m_db, qOverload<int>(&QComboBox::activated), this,
            [this](int entry) { act([this, entry] { m_page.choose_db(entry); }); });
    bind_list(m_page);
    sync();
}

void CTransponderPageWnd::sync()
{
    show_combo(m_db, m_page.db_combo());
    m_list->sync();
    layout_controls();
}

void CTransponderPageWnd::layout_controls()
{
    m_dbLabel->move(8, (TOP_ROW_HEIGHT - m_dbLabel->height()) / 2);
    m_db->move(8 + m_dbLabel->width() + 10, (TOP_ROW_HEIGHT - m_db->height()) / 2);
    place_list_and_buttons(TOP_ROW_HEIGHT);
}

void CTransponderPageWnd::resizeEvent(QResizeEvent*)
{
    layout_controls();
}

} // namespace korvid
