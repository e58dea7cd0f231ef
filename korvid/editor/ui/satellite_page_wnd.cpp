#include "korvid/editor/ui/satellite_page_wnd.h"

#include "korvid/editor/satellite_page_base.h"
#include "korvid/editor/ui/editor_list.h"
#include "korvid/editor/ui/editor_look.h"
#include "korvid/editor/ui/model_controls.h"
#include "korvid/ui/skin.h"

#include <QComboBox>
#include <QLabel>

namespace korvid {

CSatellitePageWnd::CSatellitePageWnd(SatellitePageBase& page, QWidget* parent)
    : CListPageWnd(page, parent)
    , m_page(page)
{
    setFont(skin::app_font());
    m_tunerLabel = new QLabel(text8(page.tuner().label()), this);
    m_tunerLabel->setAttribute(Qt::WA_TranslucentBackground);
    m_tuner = new QComboBox(this);
    m_tuner->setFixedSize(70, 22);

    connect(m_tuner, qOverload<int>(&QComboBox::activated), this,
            [this](int entry) { act([this, entry] { m_page.choose_tuner(entry); }); });
    bind_list(m_page);
    sync();
}

void CSatellitePageWnd::sync()
{
    m_tunerLabel->setText(text8(m_page.tuner().label()));
    m_tunerLabel->adjustSize();
    show_combo(m_tuner, m_page.tuner().combo());
    m_list->sync();
    layout_controls();
}

void CSatellitePageWnd::layout_controls()
{
    m_tunerLabel->move(8, (TOP_ROW_HEIGHT - m_tunerLabel->height()) / 2);
    m_tuner->move(8 + m_tunerLabel->width() + 10, (TOP_ROW_HEIGHT - m_tuner->height()) / 2);
    place_list_and_buttons(TOP_ROW_HEIGHT);
}

void CSatellitePageWnd::resizeEvent(QResizeEvent*)
{
    layout_controls();
}

} // namespace korvid
