#include "dranfel/storage/ui/main_frame.h"

#include "common/prompts.h"
#include "dranfel/storage/audio_tool.h"
#include "dranfel/storage/ui/about_dlg.h"
#include "dranfel/storage/ui/audio_tool_link.h"
#include "dranfel/storage/ui/delete_dlg.h"
#include "dranfel/storage/ui/file_view.h"
#include "dranfel/storage/ui/folder_view.h"
#include "dranfel/storage/ui/images.h"
#include "dranfel/storage/ui/input_name_dlg.h"
#include "dranfel/storage/ui/local_text.h"
#include "dranfel/storage/ui/mount_watcher.h"
#include "dranfel/storage/ui/progress_dlg.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <memory>

namespace dranfel {

namespace {

// Keeps a toolbar button without a tooltip from showing its menu text as one.
class NoToolTip : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject*, QEvent* e) override { return e->type() == QEvent::ToolTip; }
};

bool inside(const QWidget* w, const QWidget* pane)
{
    for (; w; w = w->parentWidget())
        if (w == pane)
            return true;
    return false;
}

} // namespace

CMainFrame::CMainFrame(common::Prompts& prompts, QSettings* settings, QWidget* parent)
    : QMainWindow(parent)
    , m_prompts(prompts)
    , m_settings(settings)
    , m_manager(*this, prompts)
{
    setWindowTitle(QString::fromLatin1(APP_TITLE));
    setWindowIcon(QIcon(images::program_icon(64)));
    build_menus_and_toolbar();
    build_panes();
    m_ready = new QLabel(QString::fromLatin1(IDLE_PROMPT), this);
    statusBar()->addWidget(m_ready, 1);
    resize(1000, 700);

    m_mounts = new CMountWatcher(this);
    connect(m_mounts, &CMountWatcher::mounts_changed, this,
            [this] { m_manager.devices_changed(drive_list() != tree(Half::Top)->drives()); });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (Focus f = pane_of(now); f != Focus::Elsewhere)
            m_lastPane = f;
        update_commands();
    });
    build_keys();

    for (Half h : {Half::Top, Half::Bottom})
        tree(h)->fill(drive_list());
    restore_settings();
    update_commands();
}

CMainFrame::~CMainFrame()
{
    // The panes go in QWidget's destructor, after this object has stopped being a frame.
    m_destroying = true;
    disconnect(qApp, nullptr, this, nullptr);
}

void CMainFrame::build_menus_and_toolbar()
{
    for (const Menu& m : menu_bar()) {
        QMenu* menu = menuBar()->addMenu(QString::fromLatin1(m.title));
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::update_commands);
        for (const MenuItem& item : m.items) {
            if (item.id == ID_SEPARATOR) {
                menu->addSeparator();
                continue;
            }
            QAction* a = menu->addAction(QString::fromLatin1(item.text));
            a->setStatusTip(QString::fromLatin1(command_prompt(item.id)));
            a->setToolTip(QString::fromLatin1(command_tooltip(item.id)));
            a->setData(item.id);
            if (item.id == ID_VIEW_TOOLBAR)
                a->setCheckable(true);
            const uint32_t id = item.id;
            connect(a, &QAction::triggered, this, [this, id] { on_command(id); });
            m_actions[item.id] = a;
        }
    }

    m_toolbar = new QToolBar(QStringLiteral("Toolbar"), this);
    m_toolbar->setObjectName(QStringLiteral("toolbar"));
    m_toolbar->setIconSize(QSize(TOOLBAR_BUTTON_WIDTH, TOOLBAR_BUTTON_HEIGHT));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_toolbar->setAllowedAreas(Qt::AllToolBarAreas);
    m_toolbar->setMovable(true);
    m_toolbar->setFloatable(true);
    addToolBar(Qt::TopToolBarArea, m_toolbar);
    for (uint32_t id : toolbar_buttons()) {
        if (id == ID_SEPARATOR) {
            m_toolbar->addSeparator();
            continue;
        }
        QAction* a = action(id);
        a->setIcon(images::toolbar_icon(id));
        m_toolbar->addAction(a);
        if (*command_tooltip(id) == '\0')
            m_toolbar->widgetForAction(a)->installEventFilter(new NoToolTip(m_toolbar));
    }
    // The menu shows the text only; the pictures belong to the toolbar.
    for (auto& [id, a] : m_actions)
        a->setIconVisibleInMenu(false);
    connect(m_toolbar, &QToolBar::visibilityChanged, this, [this] { update_commands(); });
}

void CMainFrame::build_panes()
{
    m_rows = new QSplitter(Qt::Vertical, this);
    m_rows->setObjectName(QStringLiteral("rows"));
    m_rows->setChildrenCollapsible(false);
    for (Half h : {Half::Top, Half::Bottom}) {
        auto* cols = new QSplitter(Qt::Horizontal, m_rows);
        cols->setObjectName(h == Half::Top ? QStringLiteral("top") : QStringLiteral("bottom"));
        cols->setChildrenCollapsible(false);
        m_columns[int(h)] = cols;
        m_trees[int(h)] = new CFolderView(cols);
        m_lists[int(h)] = new CFileView(cols);
        m_trees[int(h)]->setObjectName(h == Half::Top ? QStringLiteral("top tree")
                                                      : QStringLiteral("bottom tree"));
        m_lists[int(h)]->setObjectName(h == Half::Top ? QStringLiteral("top list")
                                                      : QStringLiteral("bottom list"));
        // The tree posts its new folder; the frame refreshes the list of the same half.
        connect(m_trees[int(h)], &CFolderView::folder_selected, this, &CMainFrame::on_folder_selected,
                Qt::QueuedConnection);
        connect(m_lists[int(h)], &CFileView::selection_changed, this, &CMainFrame::update_commands);
        // Rows dropped from the other half: copied, or moved with Shift, as the commands do.
        connect(m_lists[int(h)], &CFileView::rows_dropped, this, [this, h](const CFileView* from, bool move) {
            if (from == list(other(h)))
                m_manager.copy_move(other(h), move ? FileOpKind::Move : FileOpKind::Copy);
        });
        for (const bool file_list : {true, false}) {
            QAbstractScrollArea* pane = file_list ? static_cast<QAbstractScrollArea*>(m_lists[int(h)]->list())
                                                  : m_trees[int(h)]->tree();
            pane->setContextMenuPolicy(Qt::CustomContextMenu);
            connect(pane, &QWidget::customContextMenuRequested, this,
                    [this, h, file_list, pane](const QPoint& at) {
                        std::unique_ptr<QMenu> menu(context_menu(h, file_list));
                        menu->exec(pane->viewport()->mapToGlobal(at));
                    });
        }
        connect(m_lists[int(h)], &CFileView::play_requested, this, [this, h](const SelectedRow& row) {
            const std::string source = recording_to_play(list(h)->folder(), row);
            if (m_player)
                m_player(this, to_q(source));
            else
                m_prompts.info("Play a recording from a terminal with: dranfel-cli ts2pes \"" + source +
                               "\" - | mpv -");
        });
    }
    // One column split for both halves, as a static 2 x 2 splitter has.
    for (int i = 0; i < 2; ++i)
        connect(m_columns[i], &QSplitter::splitterMoved, this,
                [this, i] { m_columns[1 - i]->setSizes(m_columns[i]->sizes()); });
    setCentralWidget(m_rows);
}

void CMainFrame::set_start_sizes()
{
    const QSize client = m_rows->size();
    const int row = std::max(1, client.height() / 2 - 20);
    m_rows->setSizes({row, row});
    const int w = client.width();
    for (QSplitter* cols : m_columns)
        cols->setSizes({w / 3, w / 3 * 2});
}

void CMainFrame::setVisible(bool visible)
{
    // The panes take their sizes before they first show, so that the file lists make their
    // columns from their real width.
    if (visible && !m_sized) {
        m_sized = true;
        if (!m_restoredSizes) {
            layout()->activate();
            set_start_sizes();
        }
    }
    QMainWindow::setVisible(visible);
}

QAction* CMainFrame::action(uint32_t id) const
{
    auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

Focus CMainFrame::pane_of(const QWidget* w) const
{
    if (m_destroying)
        return Focus::Elsewhere;
    if (inside(w, m_trees[0]))
        return Focus::TopTree;
    if (inside(w, m_trees[1]))
        return Focus::BottomTree;
    if (inside(w, m_lists[0]))
        return Focus::TopList;
    if (inside(w, m_lists[1]))
        return Focus::BottomList;
    return Focus::Elsewhere;
}

Focus CMainFrame::focus() const
{
    const QWidget* w = focusWidget();
    const Focus f = pane_of(w);
    if (f != Focus::Elsewhere)
        return f;
    // The menu bar or the toolbar stands between the user and the pane they were in.
    if (!w || inside(w, menuBar()) || inside(w, m_toolbar))
        return m_lastPane;
    return Focus::Elsewhere;
}

void CMainFrame::build_keys()
{
    const std::pair<CommandKey, QKeySequence> keys[] = {
        {CommandKey::Copy, QKeySequence(Qt::Key_F5)},
        {CommandKey::Move, QKeySequence(Qt::Key_F6)},
        {CommandKey::NewFolder, QKeySequence(Qt::Key_F7)},
        {CommandKey::Delete, QKeySequence(Qt::Key_F8)},
        {CommandKey::Delete, QKeySequence(Qt::Key_Delete)},
        {CommandKey::Refresh, QKeySequence(Qt::CTRL | Qt::Key_R)},
    };
    // Actions of the window, not of the menus: the menus keep their texts as they are.
    for (const auto& [key, sequence] : keys) {
        auto* a = new QAction(this);
        a->setShortcut(sequence);
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a);
        connect(a, &QAction::triggered, this, [this, key = key] { on_key(key); });
    }
    // Tab goes round the four panes in reading order.
    setTabOrder(m_trees[0], m_lists[0]);
    setTabOrder(m_lists[0], m_trees[1]);
    setTabOrder(m_trees[1], m_lists[1]);
}

void CMainFrame::on_key(CommandKey key)
{
    const uint32_t id = key_command(key, focus());
    if (id == ID_REFRESH)
        refresh_both();
    else if (id != 0 && command_enabled(id, state()))
        on_command(id);
}

void CMainFrame::refresh_both()
{
    for (Half h : {Half::Top, Half::Bottom})
        rebuild_tree(h, tree(h)->path());
    update_commands();
}

FrameState CMainFrame::state() const
{
    FrameState s;
    for (Half h : {Half::Top, Half::Bottom}) {
        s.half(h).folder = tree(h)->path();
        s.half(h).chosen = tree(h)->folder();
        s.half(h).row_selected = list(h)->has_selection();
    }
    s.focus = focus();
    s.toolbar_shown = !m_toolbar->isHidden();
    return s;
}

void CMainFrame::update_commands()
{
    if (m_destroying)
        return;
    const FrameState s = state();
    for (auto& [id, a] : m_actions) {
        a->setEnabled(command_enabled(id, s));
        if (a->isCheckable())
            a->setChecked(command_checked(id, s));
    }
}

void CMainFrame::on_command(uint32_t id)
{
    if (m_manager.on_command(id)) {
        update_commands();
        return;
    }
    switch (id) {
    case ID_APP_ABOUT:
        show_about();
        break;
    case ID_APP_EXIT:
        close();
        break;
    case ID_VIEW_TOOLBAR:
        m_toolbar->setVisible(m_toolbar->isHidden());
        break;
    default:
        break;
    }
    update_commands();
}

QMenu* CMainFrame::context_menu(Half half, bool file_list)
{
    // The menu acts where it was opened, as the keys and the main menu act where the focus is.
    if (file_list)
        list(half)->list()->setFocus();
    else
        tree(half)->tree()->setFocus();
    const FrameState s = state();
    auto* menu = new QMenu(this);
    for (const MenuItem& item : dranfel::context_menu(half, file_list)) {
        if (item.id == ID_SEPARATOR) {
            menu->addSeparator();
            continue;
        }
        QAction* a = menu->addAction(QString::fromLatin1(item.text));
        const uint32_t id = item.id;
        if (id == ID_PLAY) {
            const std::vector<SelectedRow> rows = list(half)->selected_rows();
            a->setEnabled(!rows.empty() && !recording_to_play(list(half)->folder(), rows.front()).empty());
            connect(a, &QAction::triggered, this,
                    [this, half] { list(half)->play_row(list(half)->first_selected_row()); });
            continue;
        }
        a->setEnabled(id == ID_REFRESH || command_enabled(id, s));
        connect(a, &QAction::triggered, this,
                [this, id] { id == ID_REFRESH ? refresh_both() : on_command(id); });
    }
    return menu;
}

void CMainFrame::show_about()
{
    CAboutDlg dlg(this);
    emit dialog_opened(&dlg);
    dlg.exec();
}

void CMainFrame::on_folder_selected(CFolderView* pane)
{
    for (Half h : {Half::Top, Half::Bottom})
        if (tree(h) == pane)
            refresh_list(h);
    update_commands();
}

std::vector<SelectedRow> CMainFrame::selected_rows(Half half) const
{
    return list(half)->selected_rows();
}

void CMainFrame::refresh_list(Half half)
{
    list(half)->refresh(tree(half)->path());
}

void CMainFrame::rebuild_tree(Half half, const std::string& folder)
{
    tree(half)->rebuild(folder);
}

FileOpResult CMainFrame::run_progress(const FileOpParams& params)
{
    CProgressDlg dlg(params, this);
    emit dialog_opened(&dlg);
    dlg.exec();
    return dlg.result();
}

std::vector<std::string> CMainFrame::run_delete(const std::string& folder,
                                                const std::vector<std::string>& names)
{
    CDeleteDlg dlg(folder, names, this);
    emit dialog_opened(&dlg);
    dlg.exec();
    return dlg.files_left();
}

std::optional<std::string> CMainFrame::ask_folder_name(const std::string& typed)
{
    CInputNameDlg dlg(this);
    dlg.name_edit()->setText(to_q(typed));
    emit dialog_opened(&dlg);
    if (dlg.exec() != QDialog::Accepted)
        return std::nullopt;
    return from_q(dlg.name());
}

bool CMainFrame::open_converter(const std::string& source, const std::string& target)
{
    if (!m_converter)
        return false;
    m_converter(this, to_q(source), to_q(target));
    return true;
}

bool CMainFrame::start_audio_tool()
{
    std::vector<std::string> own;
    for (const QString& a : m_ownArgs)
        own.push_back(from_q(a));
    QStringList args;
    for (const std::string& a : audio_tool_arguments(own))
        args << to_q(a);
    return CAudioToolLink::raise_or_start(args);
}

void CMainFrame::select_folders(const std::string& top, const std::string& bottom)
{
    if (!top.empty())
        tree(Half::Top)->rebuild(top);
    if (!bottom.empty())
        tree(Half::Bottom)->rebuild(bottom);
}

void CMainFrame::restore_settings()
{
    if (!m_settings)
        return;
    const QByteArray geometry = m_settings->value(QStringLiteral("Frame/geometry")).toByteArray();
    if (!geometry.isEmpty())
        restoreGeometry(geometry);
    restoreState(m_settings->value(QStringLiteral("Frame/state")).toByteArray());
    const QByteArray rows = m_settings->value(QStringLiteral("Frame/rows")).toByteArray();
    const QByteArray cols = m_settings->value(QStringLiteral("Frame/columns")).toByteArray();
    if (!rows.isEmpty() && !cols.isEmpty()) {
        m_rows->restoreState(rows);
        for (QSplitter* c : m_columns)
            c->restoreState(cols);
        m_restoredSizes = true;
    }
    select_folders(from_q(m_settings->value(QStringLiteral("Folders/top")).toString()),
                   from_q(m_settings->value(QStringLiteral("Folders/bottom")).toString()));
}

void CMainFrame::save_settings()
{
    if (!m_settings)
        return;
    m_settings->setValue(QStringLiteral("Frame/geometry"), saveGeometry());
    m_settings->setValue(QStringLiteral("Frame/state"), saveState());
    m_settings->setValue(QStringLiteral("Frame/rows"), m_rows->saveState());
    m_settings->setValue(QStringLiteral("Frame/columns"), m_columns[0]->saveState());
    m_settings->setValue(QStringLiteral("Folders/top"), to_q(tree(Half::Top)->path()));
    m_settings->setValue(QStringLiteral("Folders/bottom"), to_q(tree(Half::Bottom)->path()));
    m_settings->sync();
}

void CMainFrame::closeEvent(QCloseEvent* e)
{
    save_settings();
    CAudioToolLink::minimise();
    QMainWindow::closeEvent(e);
}

} // namespace dranfel
