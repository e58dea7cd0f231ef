#include "korvid/editor/ui/channel_page_wnd.h"

#include "korvid/editor/channel_page_base.h"
#include "korvid/editor/ui/editor_list.h"
#include "korvid/editor/ui/editor_look.h"
#include "korvid/editor/ui/model_controls.h"
#include "korvid/ui/skin.h"

#include <QComboBox>
#include <QLabel>
#include <algorithm>

namespace korvid {

namespace {

constexpr int AUDIO_COMBO_WIDTH = 90;
constexpr int COMBO_HEIGHT = 22;

int sort_direction(ChannelPageBase::NameSort sort)
{
    switch (sort) {
    case ChannelPageBase::NameSort::Ascending:
        return +1;
    case ChannelPageBase::NameSort::Descending:
        return -1;
    default:
        return 0;
    }
}

} // namespace

CChannelPageWnd::CChannelPageWnd(ChannelPageBase& page, QWidget* parent)
    : CListPageWnd(page, parent, RowMoves::ByDrag)
    , m_page(page)
{
    setFont(skin::app_font());
    m_dbLabel = new QLabel(text8(page.db_label()), this);
    m_db = new QComboBox(this);
    m_db->setFixedSize(DB_COMBO_WIDTH, COMBO_HEIGHT);
    m_audioLabel = new QLabel(text8(page.audio_label()), this);
    m_audio = new QComboBox(this);
    m_audio->setFixedSize(AUDIO_COMBO_WIDTH, COMBO_HEIGHT);
    m_status = new QLabel(this);
    for (QLabel* label : {m_dbLabel, m_audioLabel, m_status})
        label->setAttribute(Qt::WA_TranslucentBackground);

    connect(m_db, qOverload<int>(&QComboBox::activated), this,
            [this](int entry) { act([this, entry] { m_page.choose_db(entry); }); });
    connect(m_audio, qOverload<int>(&QComboBox::activated), this, [this](int entry) {
        m_page.choose_audio(entry);
        sync_details();
    });
    bind_list(m_page);
    connect(m_list, &CEditorList::headerClicked, this, [this](int column) {
        if (column == ChannelPageBase::NAME_COLUMN)
            act([this] { m_page.click_name_header(); });
    });
    sync();
}

void CChannelPageWnd::drop_rows(int start_row, int drop_row)
{
    act([this, start_row, drop_row] { m_page.drag_and_drop(start_row, drop_row); });
}

void CChannelPageWnd::sync()
{
    show_combo(m_db, m_page.db_combo());
    m_list->sync();
    m_list->set_sort_indicator(ChannelPageBase::NAME_COLUMN, sort_direction(m_page.name_sort()));
    sync_details();
    layout_controls();
}

void CChannelPageWnd::sync_details()
{
    m_status->setText(text8(m_page.status_line()));
    show_combo(m_audio, m_page.audio_combo());
}

void CChannelPageWnd::layout_controls()
{
    const int combo_y = (TOP_ROW_HEIGHT - COMBO_HEIGHT) / 2;
    m_dbLabel->adjustSize();
    m_dbLabel->move(8, (TOP_ROW_HEIGHT - m_dbLabel->height()) / 2);
    m_db->move(m_dbLabel->geometry().right() + 8, combo_y);
    m_audioLabel->adjustSize();
    const int audio_x = width() - 8 - AUDIO_COMBO_WIDTH;
    m_audio->move(audio_x, combo_y);
    m_audioLabel->move(audio_x - 6 - m_audioLabel->width(), (TOP_ROW_HEIGHT - m_audioLabel->height()) / 2);

    const int buttons_top = place_list_and_buttons(TOP_ROW_HEIGHT);
    const int status_x = m_buttons.empty() ? 8 : m_buttons.back()->geometry().right() + 12;
    m_status->setGeometry(status_x, buttons_top, std::max(0, width() - status_x - 8), CPageButton::HEIGHT);
}

void CChannelPageWnd::resizeEvent(QResizeEvent*)
{
    layout_controls();
}

} // namespace korvid
