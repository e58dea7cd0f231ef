#include "korvid/editor/ui/satellite_page_wnd.h"

#include "korvid/editor/satellite_page.h"
#include "korvid/editor/ui/editor_list.h"
#include "korvid/editor/ui/editor_look.h"
#include "korvid/ui/skin.h"

#include <QComboBox>
#include <QLabel>
#include <QMenu>

namespace korvid {

namespace {

QString text8(const std::string& s)
{
    return QString::fromLatin1(s.data(), qsizetype(s.size()));
}

constexpr int TOP_ROW_HEIGHT = 30;
constexpr int MARGIN = 2;

} // namespace

CSatellitePageWnd::CSatellitePageWnd(SatellitePageBase& page, SatellitePage* sat_page, QWidget* parent)
    : CEditorPageWnd(parent)
    , m_page(page)
    , m_satPage(sat_page)
{
    setFont(skin::app_font());
    m_tunerLabel = new QLabel(text8(page.tuner().label()), this);
    m_tunerLabel->setAttribute(Qt::WA_TranslucentBackground);
    m_tuner = new QComboBox(this);
    m_tuner->setFixedSize(70, 22);
    m_list = new CEditorList(page.list(), this);
    m_list->enable_filter(
        [this](const std::string& text) { act([this, &text] { m_page.set_filter(text); }); });

    for (const std::string& caption : page.buttons()) {
        auto* b = new CPageButton(text8(caption), this);
        m_buttons.push_back(b);
        const QString text = b->text();
        connect(b, &QAbstractButton::clicked, this, [this, text] {
            run_menu_entry(text == QLatin1String("Del") ? QStringLiteral("Delete") : text);
        });
    }

    connect(m_tuner, qOverload<int>(&QComboBox::activated), this,
            [this](int entry) { act([this, entry] { m_page.choose_tuner(entry); }); });
    connect(m_list, &CEditorList::rowsSelected, this,
            [this](std::vector<int> rows) { m_page.select_rows(rows); });
    connect(m_list, &CEditorList::rowClicked, this, [this](int row) {
        // A click that extended a selection is not a click on one row.
        if (m_list->selected_rows() == std::vector<int>{row})
            m_page.click_row(row);
    });
    connect(m_list, &CEditorList::rowDoubleClicked, this,
            [this](int row) { act([this, row] { m_page.double_click_row(row); }); });
    connect(m_list, &CEditorList::deletePressed, this, [this] { act([this] { m_page.remove(); }); });
    connect(m_list, &CEditorList::contextMenuAt, this, &CSatellitePageWnd::show_context_menu);
    sync();
}

void CSatellitePageWnd::act(const std::function<void()>& action)
{
    action();
    sync();
}

void CSatellitePageWnd::run_menu_entry(const QString& text)
{
    if (text == QLatin1String("Add")) {
        if (m_satPage)
            act([this] { m_satPage->add(); });
    } else if (text == QLatin1String("Edit")) {
        act([this] { m_page.edit(); });
    } else if (text == QLatin1String("Delete")) {
        act([this] { m_page.remove(); });
    }
}

void CSatellitePageWnd::show_context_menu(QPoint global_pos)
{
    QMenu menu(this);
    for (const std::string& entry : m_page.context_menu())
        menu.addAction(text8(entry));
    if (QAction* chosen = menu.exec(global_pos))
        run_menu_entry(chosen->text());
}

void CSatellitePageWnd::sync()
{
    m_tunerLabel->setText(text8(m_page.tuner().label()));
    m_tunerLabel->adjustSize();
    const ComboState& combo = m_page.tuner().combo();
    QStringList entries;
    for (const std::string& e : combo.entries)
        entries << text8(e);
    QStringList shown;
    for (int i = 0; i < m_tuner->count(); ++i)
        shown << m_tuner->itemText(i);
    const QSignalBlocker quiet(m_tuner);
    if (shown != entries) {
        m_tuner->clear();
        m_tuner->addItems(entries);
    }
    m_tuner->setCurrentIndex(combo.selection);
    m_tuner->setEnabled(combo.enabled);
    m_list->sync();
    layout_controls();
}

void CSatellitePageWnd::layout_controls()
{
    m_tunerLabel->move(8, (TOP_ROW_HEIGHT - m_tunerLabel->height()) / 2);
    m_tuner->move(8 + m_tunerLabel->width() + 10, (TOP_ROW_HEIGHT - m_tuner->height()) / 2);
    const int buttons_top = height() - CPageButton::HEIGHT - MARGIN;
    m_list->setGeometry(MARGIN, TOP_ROW_HEIGHT, width() - 2 * MARGIN, buttons_top - TOP_ROW_HEIGHT - 4);
    int x = MARGIN;
    for (CPageButton* b : m_buttons) {
        b->setGeometry(x, buttons_top, CPageButton::WIDTH, CPageButton::HEIGHT);
        x += CPageButton::WIDTH + 2;
    }
}

void CSatellitePageWnd::resizeEvent(QResizeEvent*)
{
    layout_controls();
}

} // namespace korvid
