#include "korvid/editor/ui/db_view.h"

#include "common/prompts.h"
#include "korvid/database/korvid_doc.h"
#include "korvid/editor/channel_dialog.h"
#include "korvid/editor/favorite_dialog.h"
#include "korvid/editor/group_name_dialog.h"
#include "korvid/editor/order_like_dialog.h"
#include "korvid/editor/satellite_dialog.h"
#include "korvid/editor/transponder_dialog.h"
#include "korvid/editor/transponder_update_dialog.h"
#include "korvid/editor/ui/channel_dlg.h"
#include "korvid/editor/ui/channel_page_wnd.h"
#include "korvid/editor/ui/editor_look.h"
#include "korvid/editor/ui/favorite_dlg.h"
#include "korvid/editor/ui/favorite_page_wnd.h"
#include "korvid/editor/ui/group_name_dlg.h"
#include "korvid/editor/ui/list_page_wnd.h"
#include "korvid/editor/ui/order_like_dlg.h"
#include "korvid/editor/ui/satellite_dlg.h"
#include "korvid/editor/ui/satellite_page_wnd.h"
#include "korvid/editor/ui/transponder_dlg.h"
#include "korvid/editor/ui/transponder_page_wnd.h"
#include "korvid/editor/ui/transponder_update_dlg.h"
#include "korvid/ui/skin.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QShortcut>
#include <QTabBar>
#include <memory>

namespace korvid {

namespace {

// The display area sits inside the tab control's frame: one pixel below the tab row, four pixels
// above the bottom.
constexpr int FRAME_INSET = 2;
constexpr int BOTTOM_GAP = 4;

} // namespace

CDBView::CDBView(CKorvidDoc& doc, common::Prompts& prompts, EditorSelection& selection, QWidget* parent)
    : QWidget(parent)
    , m_ctx(doc, prompts, m_dialogs, selection)
    , m_view(m_ctx)
    , m_channelPages(m_ctx, m_view)
{
    setFont(skin::app_font());
    setFocusPolicy(Qt::StrongFocus);
    m_dialogs.satellite = [this](SatelliteDialog& dialog) {
        CSatelliteDlg window(dialog, this);
        return window.exec() == QDialog::Accepted;
    };
    m_dialogs.channel = [this](ChannelDialog& dialog) {
        CChannelDlg window(dialog, this);
        return window.exec() == QDialog::Accepted;
    };
    m_dialogs.transponder = [this](TransponderDialog& dialog) {
        CTransponderDlg window(dialog, this);
        return window.exec() == QDialog::Accepted;
    };
    m_dialogs.favorite = [this](FavoriteDialog& dialog) {
        CFavoriteDlg window(dialog, this);
        return window.exec() == QDialog::Accepted;
    };
    m_dialogs.group_name = [this](GroupNameDialog& dialog) {
        CGroupNameDlg window(dialog, this);
        return window.exec() == QDialog::Accepted;
    };
    m_dialogs.order_like = [this](OrderLikeDialog& dialog) {
        COrderLikeDlg window(dialog, this);
        return window.exec() == QDialog::Accepted;
    };
    m_dialogs.transponder_update = [this](TransponderUpdateDialog& dialog) {
        CTransponderUpdateDlg window(dialog, this);
        return window.exec() == QDialog::Accepted;
    };

    m_tabs = new QTabBar(this);
    m_tabs->setDrawBase(false);
    m_tabs->setExpanding(false);
    m_tabs->setFocusPolicy(Qt::NoFocus);
    for (int t = 0; t < EditorView::TAB_COUNT; ++t)
        m_tabs->addTab(QString::fromLatin1(EditorView::tab_caption(t)));

    // First update: only the "SAT" page gets its window.
    m_view.first_update();
    create_page_window(EditorView::TAB_SAT);
    m_shownTab = EditorView::TAB_SAT;
    m_pages[EditorView::TAB_SAT]->show();
    connect(m_tabs, &QTabBar::currentChanged, this, &CDBView::on_tab_changed);
    bind_page_keys();
}

void CDBView::bind_page_keys()
{
    // The keys of a desktop's tabbed window. Shift+Tab arrives as Backtab from most keyboards and as
    // Tab with Shift from others, so both are bound.
    const auto bind = [this](const QKeySequence& keys, auto action) {
        auto* s = new QShortcut(keys, this);
        s->setContext(Qt::WidgetWithChildrenShortcut);
        connect(s, &QShortcut::activated, this, action);
    };
    const auto step = [this](int by) {
        return [this, by] { select_tab(EditorView::neighbour_tab(current_tab(), by)); };
    };
    bind(QKeySequence(Qt::CTRL | Qt::Key_Tab), step(1));
    bind(QKeySequence(Qt::CTRL | Qt::Key_PageDown), step(1));
    bind(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), step(-1));
    bind(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), step(-1));
    bind(QKeySequence(Qt::CTRL | Qt::Key_PageUp), step(-1));
    for (int t = 0; t < EditorView::TAB_COUNT; ++t)
        bind(QKeySequence(Qt::ALT | Qt::Key(Qt::Key_1 + t)), [this, t] { select_tab(t); });
}

CDBView::~CDBView()
{
    // The page windows show the models that are this view's members: they go first, or a view
    // destroyed while shown would have its children repaint from models already gone.
    for (CEditorPageWnd*& page : m_pages) {
        delete page;
        page = nullptr;
    }
    // The context's query points into this view's model, which goes with it.
    m_ctx.tuner_selection_query = nullptr;
}

CEditorPageWnd* CDBView::page_window(int tab) const
{
    return (tab >= 0 && tab < EditorView::TAB_COUNT) ? m_pages[tab] : nullptr;
}

QRect CDBView::page_rect() const
{
    const int top = m_tabs->geometry().bottom() + 1 + FRAME_INSET;
    return QRect(FRAME_INSET, top, width() - 2 * FRAME_INSET, height() - top - BOTTOM_GAP);
}

void CDBView::create_page_window(int tab)
{
    CEditorPageWnd* page = nullptr;
    if (tab == EditorView::TAB_SAT)
        page = new CSatellitePageWnd(m_view.satellite_page(), this);
    else if (tab == EditorView::TAB_SEARCHED_SAT)
        page = new CSatellitePageWnd(m_view.searched_satellite_page(), this);
    else if (tab == EditorView::TAB_TV)
        page = new CChannelPageWnd(m_channelPages.tv, this);
    else if (tab == EditorView::TAB_RADIO)
        page = new CChannelPageWnd(m_channelPages.radio, this);
    else if (tab == EditorView::TAB_TP)
        page = new CTransponderPageWnd(m_view.transponder_page(), this);
    else if (tab == EditorView::TAB_FAVORITE)
        page = new CFavoritePageWnd(m_channelPages.favorite, this);
    else
        page = new CPendingPageWnd(QString::fromLatin1(EditorView::tab_caption(tab)), this);
    page->setFont(skin::app_font());
    page->hide();
    m_pages[tab] = page;
    place(page);
}

void CDBView::place(CEditorPageWnd* page)
{
    page->setGeometry(page_rect());
}

void CDBView::select_tab(int tab)
{
    if (tab < 0 || tab >= EditorView::TAB_COUNT)
        return;
    if (m_tabs->currentIndex() != tab)
        m_tabs->setCurrentIndex(tab); // comes back through on_tab_changed
    else
        on_tab_changed(tab);
}

void CDBView::on_tab_changed(int tab)
{
    if (tab < 0 || tab >= EditorView::TAB_COUNT)
        return;
    // The keys keep working on the page that comes up when the page going away had the keyboard.
    QWidget* focus = QApplication::focusWidget();
    const bool had_keyboard = focus && (focus == this || isAncestorOf(focus));
    if (m_shownTab >= 0 && m_shownTab != tab && m_pages[m_shownTab])
        m_pages[m_shownTab]->hide();
    m_view.select_tab(tab);
    if (!m_pages[tab])
        create_page_window(tab);
    place(m_pages[tab]);
    m_pages[tab]->sync();
    m_pages[tab]->show();
    m_shownTab = tab;
    if (auto* listed = qobject_cast<CListPageWnd*>(m_pages[tab]); listed && had_keyboard)
        listed->list()->setFocus(Qt::TabFocusReason);
}

void CDBView::refresh()
{
    m_view.on_new_database();
    sync_all_pages();
}

void CDBView::sync_all_pages()
{
    for (int t = 0; t < EditorView::TAB_COUNT; ++t) {
        if (!m_pages[t])
            create_page_window(t);
        m_pages[t]->sync();
    }
    const int current = m_tabs->currentIndex();
    for (int t = 0; t < EditorView::TAB_COUNT; ++t)
        m_pages[t]->setVisible(t == current);
    m_shownTab = current;
}

bool CDBView::on_frame_command(uint32_t id)
{
    switch (id) {
    case ID_SHOW_ALL_DB:
        m_view.show_all_db_data();
        if (CEditorPageWnd* page = m_pages[m_view.current_tab()])
            page->sync();
        return true;
    case ID_ORDER_LIKE:
        if (m_view.order_like())
            sync_all_pages();
        return true;
    case ID_EDIT_UNDO:
    case ID_EDIT_REDO:
        // Taken in the editor mode even with nothing to undo, so the key does nothing else here.
        if (id == ID_EDIT_UNDO ? m_view.undo() : m_view.redo())
            sync_all_pages();
        return true;
    default:
        return false;
    }
}

void CDBView::resizeEvent(QResizeEvent*)
{
    m_tabs->setGeometry(0, 0, width(), m_tabs->sizeHint().height());
    for (CEditorPageWnd* page : m_pages)
        if (page)
            place(page);
}

void CDBView::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape) {
        e->accept();
        return;
    }
    QWidget::keyPressEvent(e);
}

void CDBView::paintEvent(QPaintEvent*)
{
    // The tab control's body: a frame around the display area, open to the selected tab.
    QPainter p(this);
    p.fillRect(rect(), editor_look::page_background());
    const QRect body(0, m_tabs->geometry().bottom(), width() - 1, height() - m_tabs->geometry().bottom() - 1);
    p.setPen(QColor(140, 156, 184));
    p.drawRect(body);
}

EditorViewFactory make_editor_view_factory(CKorvidDoc& doc, common::Prompts& prompts)
{
    auto selection = std::make_shared<EditorSelection>();
    return [&doc, &prompts, selection](QWidget* parent, int) -> QWidget* {
        return new CDBView(doc, prompts, *selection, parent);
    };
}

} // namespace korvid
