#include "korvid/app/main_frame.h"

#include "common/prompts.h"
#include "korvid/app/about_dlg.h"
#include "korvid/app/check_database_dlg.h"
#include "korvid/app/my_menu.h"
#include "korvid/database/channel_export.h"
#include "korvid/database/korvid_doc.h"
#include "korvid/link/ui/db_transfer_dlg.h"
#include "korvid/link/ui/korvid_view.h"
#include "korvid/link/ui/select_port_dlg.h"
#include "korvid/ui/frameless_drag.h"
#include "korvid/ui/skin.h"
#include "korvid_guide_places.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <QToolTip>
#include <QUrl>
#include <algorithm>
#include <filesystem>

namespace korvid {

namespace {

// The editor area of a frame that was given no editor view (the frame's own tests): the client,
// empty but for the document's file name, so that what Open and Upload DB brought in still shows.
class EmptyEditorView : public QWidget, public FrameView
{
public:
    EmptyEditorView(CKorvidDoc& doc, QWidget* parent)
        : QWidget(parent)
        , m_doc(doc)
    {
        setAutoFillBackground(true);
        QPalette pal = palette();
        pal.setColor(QPalette::Window, Qt::white);
        setPalette(pal);
    }
    void refresh() override { update(); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setFont(skin::app_font());
        p.setPen(QColor(90, 100, 120));
        const QString name = QString::fromStdString(m_doc.file_name());
        const QString line =
            m_doc.database().present
                ? QStringLiteral("Database: %1").arg(name.isEmpty() ? QStringLiteral("(not saved)") : name)
                : QStringLiteral("No database loaded");
        p.drawText(rect().adjusted(12, 10, -12, -10), Qt::AlignLeft | Qt::AlignTop, line);
    }

private:
    CKorvidDoc& m_doc;
};

QRect to_qrect(const Rect& r)
{
    return QRect(r.x, r.y, r.w, r.h);
}

} // namespace

CMainFrame::CMainFrame(Database& db, CKorvidDoc& doc, common::Prompts& prompts, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_db(db)
    , m_doc(doc)
    , m_prompts(prompts)
    , m_menuFont(skin::arial(16, QFont::Bold))
{
    setWindowTitle(QStringLiteral("Korvid"));
    setMouseTracking(true);
    setAcceptDrops(true);
    setAttribute(Qt::WA_OpaquePaintEvent);

    const QFontMetrics fm(m_menuFont);
    const char* labels[3] = {"File", "Configuration", "Help"};
    for (int i = 0; i < 3; ++i)
        m_labelWidth[i] = fm.horizontalAdvance(QString::fromLatin1(labels[i]));

    m_top = new QMenu(this);
    m_file = new CMyMenu(QStringLiteral("File"), this);
    m_config = new CMyMenu(QStringLiteral("Configuration"), this);
    m_help = new CMyMenu(QStringLiteral("Help"), this);
    for (CMyMenu* m : {m_file, m_config, m_help}) {
        m_top->addMenu(m);
        m->m_pParent = m_top;
        m->installEventFilter(this); // Left and Right move to the neighbouring popup
        connect(m, &CMyMenu::command, this, [this](uint32_t id) { on_command(id); });
    }

    m_db.clear();
    m_doc.restart_history(); // the empty tables are where undo stops
    build_start_menus(*m_file, *m_config, *m_help);
    bind_keys();

    m_hoverTimer.setInterval(HOVER_TIMER_MS);
    connect(&m_hoverTimer, &QTimer::timeout, this, &CMainFrame::watch_pointer);

    // The rest of the top band moves the window, except in the full-screen layout.
    new FramelessDrag(this, [this](const QPoint& pos) {
        return pos.y() < TOP_BAND && m_geo.draggable && caption_at(pos) < 0 && label_at(pos) < 0 &&
               button_at(pos) < 0 && resize_edges(m_geo, pos.x(), pos.y()) == 0;
    });

    m_doc.on_new_database = [this] { refresh_view(); };
    m_doc.on_title_changed = [this] { update_title(); };
    m_doc.on_history_changed = [this] { update_history_items(); };
    update_title();
    replace_view(LAYOUT_DOWNLOADER);
}

CMainFrame::~CMainFrame()
{
    m_doc.on_new_database = nullptr;
    m_doc.on_title_changed = nullptr;
    m_doc.on_history_changed = nullptr;
}

void CMainFrame::bind_keys()
{
    for (uint32_t id :
         {ID_FILE_OPEN, ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_APP_EXIT, ID_EDIT_UNDO, ID_EDIT_REDO}) {
        for (const char* keys : {command_accelerator(id), command_alternate_accelerator(id)}) {
            if (!*keys)
                continue;
            auto* s = new QShortcut(QKeySequence(QString::fromLatin1(keys)), this);
            connect(s, &QShortcut::activated, this, [this, id] { on_command(id); });
        }
    }
    // The menu bar is drawn by the frame, so its keys are bound here: Alt with a label's letter,
    // and F10 for the first popup.
    for (int popup = 0; popup < 3; ++popup) {
        auto* s =
            new QShortcut(QKeySequence::mnemonic(QString::fromLatin1(menu_label_mnemonic_text(popup))), this);
        connect(s, &QShortcut::activated, this, [this, popup] { open_menu_from_keyboard(popup); });
    }
    auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(f10, &QShortcut::activated, this, [this] { open_menu_from_keyboard(0); });
}

void CMainFrame::update_history_items()
{
    const EditHistory& h = m_doc.history();
    m_file->SetItemText(ID_EDIT_UNDO, history_item_text(ID_EDIT_UNDO, h.undo_label()));
    m_file->SetItemText(ID_EDIT_REDO, history_item_text(ID_EDIT_REDO, h.redo_label()));
    m_file->EnableItem(ID_EDIT_UNDO, h.can_undo());
    m_file->EnableItem(ID_EDIT_REDO, h.can_redo());
}

void CMainFrame::update_title()
{
    setWindowTitle(QString::fromLocal8Bit(m_doc.title().c_str()));
    update(0, 0, width(), MENU_LABEL_Y); // the name painted in the top band
}

CKorvidView* CMainFrame::downloader_view() const
{
    return m_mode == MODE_DOWNLOADER ? qobject_cast<CKorvidView*>(m_view.data()) : nullptr;
}

FrameView* CMainFrame::frame_view() const
{
    return dynamic_cast<FrameView*>(m_view.data());
}

QRect CMainFrame::client_rect() const
{
    return QRect(m_geo.left, m_geo.top, width() - m_geo.left - m_geo.right,
                 height() - m_geo.top - m_geo.bottom);
}

QRect CMainFrame::command_button_rect(int index) const
{
    const auto& shown = visible_buttons(m_mode);
    for (size_t n = 0; n < shown.size(); ++n)
        if (shown[n] == index)
            return to_qrect(button_rect(int(n)));
    return {};
}

QRect CMainFrame::menu_label_rect(int popup) const
{
    int x = MENU_LABEL_X;
    for (int i = 0; i < popup; ++i)
        x += m_labelWidth[i] + MENU_LABEL_GAP;
    return QRect(x, MENU_LABEL_Y, m_labelWidth[popup], 16);
}

QRect CMainFrame::caption_rect(CaptionButton which) const
{
    for (const auto& [kind, r] : m_geo.captions)
        if (kind == which)
            return to_qrect(r);
    return {};
}

int CMainFrame::button_at(const QPoint& pos) const
{
    for (int i : visible_buttons(m_mode))
        if (command_button_rect(i).contains(pos))
            return i;
    return -1;
}

int CMainFrame::label_at(const QPoint& pos) const
{
    for (int i = 0; i < 3; ++i)
        if (menu_label_rect(i).adjusted(-4, -2, 4, 2).contains(pos))
            return i;
    return -1;
}

int CMainFrame::caption_at(const QPoint& pos) const
{
    for (const auto& [kind, r] : m_geo.captions)
        if (to_qrect(r).contains(pos))
            return kind;
    return -1;
}

// --- views and modes -------------------------------------------------------------------------

void CMainFrame::replace_view(int layout)
{
    QWidget* old = m_view;
    m_layout = layout;
    QWidget* fresh = nullptr;
    if (layout == LAYOUT_DOWNLOADER)
        fresh = new CKorvidView(m_prompts, this);
    else if (m_editorFactory)
        fresh = m_editorFactory(this, layout);
    if (!fresh)
        fresh = new EmptyEditorView(m_doc, this);
    m_view = fresh;
    if (old) {
        old->hide();
        delete old;
    }
    apply_geometry();
    m_view->show();
    m_view->setFocus();
    update();
}

void CMainFrame::apply_geometry()
{
    QSize screen(1280, 1024);
    if (QScreen* s = this->screen() ? this->screen() : QGuiApplication::primaryScreen())
        screen = s->availableGeometry().size();
    m_geo = frame_geometry(m_layout, screen.width(), screen.height(), m_editorSize.width(),
                           m_editorSize.height());
    if (m_geo.resizable) {
        setMinimumSize(EDITOR_WIDTH, EDITOR_HEIGHT);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        resize(m_geo.width, m_geo.height);
    } else {
        setFixedSize(m_geo.width, m_geo.height);
    }
    if (m_geo.x >= 0)
        move(m_geo.x, m_geo.y);
    update_pieces();
    if (m_view)
        m_view->setGeometry(client_rect());
}

void CMainFrame::update_pieces()
{
    const int piece_layout = m_layout == LAYOUT_DOWNLOADER ? LAYOUT_DOWNLOADER : LAYOUT_EDITOR;
    const QSize size(m_geo.width, m_geo.height);
    if (m_piecesLayout != piece_layout || (piece_layout == LAYOUT_EDITOR && m_piecesSize != size)) {
        m_pieces = frame_skin::pieces(piece_layout, size);
        m_piecesLayout = piece_layout;
        m_piecesSize = size;
    }
}

void CMainFrame::resizeEvent(QResizeEvent*)
{
    if (m_geo.resizable && size() != QSize(m_geo.width, m_geo.height)) {
        m_editorSize = size();
        m_geo = frame_geometry(m_layout, 0, 0, width(), height());
        update_pieces();
        update();
    }
    if (m_view)
        m_view->setGeometry(client_rect());
}

void CMainFrame::goto_editor()
{
    if (m_mode == MODE_EDITOR)
        return;
    m_hoverButton = -1;
    m_hoverLabel = -1;
    m_hoverTimer.start(); // the status text goes back once the pointer is seen off the buttons
    m_mode = MODE_EDITOR;
    replace_view(LAYOUT_EDITOR);
    menus_to_editor(*m_file, *m_config);
    update_history_items();
}

void CMainFrame::goto_downloader()
{
    if (m_mode == MODE_DOWNLOADER)
        return;
    m_hoverButton = -1;
    m_hoverLabel = -1;
    m_hoverTimer.start();
    m_mode = MODE_DOWNLOADER;
    replace_view(LAYOUT_DOWNLOADER);
    menus_to_downloader(*m_file, *m_config);
}

void CMainFrame::toggle_full_screen()
{
    if (m_mode != MODE_EDITOR)
        return;
    if (m_layout == LAYOUT_FULL) {
        replace_view(LAYOUT_EDITOR);
        // Back where the window stood before, at the size it had then.
        if (m_editorPosKnown)
            move(m_editorPos);
    } else {
        m_editorPos = pos();
        m_editorPosKnown = true;
        replace_view(LAYOUT_FULL);
    }
}

void CMainFrame::refresh_view()
{
    if (FrameView* v = frame_view())
        v->refresh();
}

// --- commands ----------------------------------------------------------------------------------

void CMainFrame::on_command(uint32_t id)
{
    if (FrameView* v = frame_view(); v && v->on_frame_command(id))
        return;
    switch (id) {
    case ID_FILE_OPEN:
        if (m_mode == MODE_EDITOR)
            m_doc.open_from_menu();
        else if (CKorvidView* v = downloader_view())
            v->on_open();
        break;
    case ID_FILE_SAVE:
        m_doc.save();
        break;
    case ID_FILE_SAVE_AS:
        if (m_mode == MODE_EDITOR)
            m_doc.save_as();
        break;
    case ID_SAVE_CHANNELS:
        save_channels_command(m_db, m_mode == MODE_EDITOR, m_prompts);
        break;
    case ID_SERIAL_PORT:
        CSelectPortDlg::run(&m_prompts, this);
        break;
    case ID_GOTO_DOWNLOADER:
        goto_downloader();
        break;
    case ID_GOTO_EDITOR:
        goto_editor();
        break;
    case ID_DOWNLOAD_DB:
        if (m_mode == MODE_EDITOR)
            send_database_command(m_doc, m_prompts, this);
        break;
    case ID_UPLOAD_DB:
        if (m_mode == MODE_EDITOR)
            receive_database_command(
                m_doc, m_prompts, this,
                [this](const std::vector<DatabaseProblem>& found) { show_check_window(found); });
        break;
    case ID_CHECK_DATABASE:
        if (m_mode == MODE_EDITOR)
            show_database_check();
        break;
    case ID_APP_ABOUT:
        show_about();
        break;
    case ID_USER_INSTRUCTION:
        open_user_guide();
        break;
    case ID_APP_EXIT:
        close();
        break;
    default:
        break;
    }
}

void CMainFrame::on_button(int index)
{
    m_hoverButton = -1;
    m_pressedButton = -1;
    m_hoverTimer.start();
    update();
    const uint32_t id = button_command(index);
    switch (id) {
    case 0:
        break;
    case ID_FILE_SAVE:
        // The button is the frame's own Save, which names the page it was pressed on.
        if (FrameView* v = frame_view(); v && v->on_frame_command(ID_FILE_SAVE))
            break;
        m_doc.frame_save(m_mode == MODE_EDITOR);
        break;
    case ID_GOTO_EDITOR:
        // Leaving the page would take the running download's window away from under it.
        if (!g_Downloading.load())
            on_command(id);
        break;
    default:
        on_command(id);
        break;
    }
}

void CMainFrame::show_about()
{
    CAboutDlg dlg(this);
    dlg.exec();
}

CCheckDatabaseDlg* CMainFrame::check_window() const
{
    return m_checkWindow;
}

void CMainFrame::show_database_check()
{
    if (!m_db.present) {
        m_prompts.warning("There is no data to check");
        return;
    }
    show_check_window(check_database(m_db));
}

void CMainFrame::show_check_window(const std::vector<DatabaseProblem>& problems)
{
    if (!m_checkWindow)
        m_checkWindow = new CCheckDatabaseDlg(this);
    m_checkWindow->show_problems(problems);
    m_checkWindow->show();
    m_checkWindow->raise();
    m_checkWindow->activateWindow();
}

void CMainFrame::take_code_file(const std::string& path)
{
    if (CKorvidView* v = downloader_view())
        v->take_file(path);
}

void CMainFrame::open_user_guide()
{
    // The guide's places come from the build: where the install puts it relative to the program,
    // and the build and source folders' copies for a program run where it was built.
    const std::string program_dir = QCoreApplication::applicationDirPath().toStdString();
    const std::vector<std::string> fallbacks{KD_BUILD_GUIDE, KD_SOURCE_GUIDE};
    const std::string from_program = KD_GUIDE_FROM_PROGRAM;
    const std::string guide = user_guide_path(program_dir, from_program, fallbacks, [](const std::string& p) {
        std::error_code ec;
        return std::filesystem::is_regular_file(p, ec);
    });
    if (guide.empty()) {
        const auto expected = std::filesystem::path(program_dir + "/" + from_program).lexically_normal();
        m_prompts.error(user_guide_missing_message(expected.string()));
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(guide)));
}

void CMainFrame::open_from_command_line(const std::string& path)
{
    if (command_line_file_kind(path) == CommandLineFile::CodeFile) {
        take_code_file(path);
        return;
    }
    goto_editor();
    // As File > Open, not as a drop: the file the desktop opened is the document, and Save goes
    // back to it.
    m_doc.open_named(path);
}

void CMainFrame::drop_files(const std::vector<std::string>& paths)
{
    const DropDecision d = decide_drop(m_mode, paths);
    if (d.kind == DropDecision::TooMany) {
        m_prompts.warning(d.message);
        return;
    }
    if (d.kind == DropDecision::Ask && !m_prompts.ask_yes_no(d.message))
        return;
    if (m_mode == MODE_DOWNLOADER)
        take_code_file(paths.front());
    else
        m_doc.open_by_name(paths.front());
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* e)
{
    if (e->mimeData()->hasUrls())
        e->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* e)
{
    std::vector<std::string> paths;
    for (const QUrl& u : e->mimeData()->urls())
        paths.push_back(u.toLocalFile().toStdString());
    e->acceptProposedAction();
    drop_files(paths);
}

void CMainFrame::closeEvent(QCloseEvent* e)
{
    if (!m_doc.ask_save_changes()) {
        e->ignore();
        return;
    }
    e->accept();
}

// --- the painted frame -------------------------------------------------------------------------

void CMainFrame::set_status(const QString& text)
{
    if (text == m_status)
        return;
    m_status = text;
    update(0, m_geo.status_top - 4, width(), 30);
}

void CMainFrame::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (m_layout == LAYOUT_FULL) {
        p.fillRect(rect(), QColor(222, 228, 240));
        QLinearGradient band(0, 0, 0, TOP_BAND);
        band.setColorAt(0, QColor(244, 247, 252));
        band.setColorAt(1, QColor(200, 212, 234));
        p.fillRect(0, 0, width(), TOP_BAND, band);
        p.setPen(QColor(110, 132, 176));
        p.drawLine(0, TOP_BAND - 1, width(), TOP_BAND - 1);
        p.drawPixmap(10, 28, frame_skin::small_logo());
        draw_document_name(p, 84, 28, 18);
    } else {
        p.drawPixmap(m_pieces.top_at, m_pieces.top);
        p.drawPixmap(m_pieces.left_at, m_pieces.left);
        p.drawPixmap(m_pieces.right_at, m_pieces.right);
        p.drawPixmap(m_pieces.bottom_at, m_pieces.bottom);
        p.drawPixmap(6, 24, frame_skin::emblem(24));
        p.setFont(skin::arial(20, QFont::Bold));
        p.setPen(QColor(60, 100, 160));
        p.drawText(QRect(TITLE_X, 22, 200, 28), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Korvid"));
        if (m_mode == MODE_EDITOR)
            draw_document_name(
                p, TITLE_X + QFontMetrics(p.font()).horizontalAdvance(QStringLiteral("Korvid")) + 12, 22, 28);
    }
    p.setRenderHint(QPainter::Antialiasing);

    // menu-bar labels
    p.setFont(m_menuFont);
    for (int i = 0; i < 3; ++i) {
        QRect r = menu_label_rect(i);
        if (i == m_hoverLabel) {
            p.setPen(QColor(8, 37, 107));
            p.setBrush(QColor(107, 162, 214));
            p.drawRoundedRect(QRectF(r.adjusted(-4, -2, 4, 2)).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
            p.setPen(Qt::white);
        } else {
            p.setPen(QColor(28, 44, 80));
        }
        p.drawText(r.adjusted(0, -1, 0, 1), Qt::AlignCenter | Qt::TextShowMnemonic,
                   QString::fromLatin1(menu_label_mnemonic_text(i)));
    }

    // command buttons
    const auto& shown = visible_buttons(m_mode);
    for (size_t n = 0; n < shown.size(); ++n) {
        const int i = shown[n];
        const int state = i == m_pressedButton ? 2 : i == m_hoverButton ? 1 : 0;
        p.drawPixmap(to_qrect(button_rect(int(n))).topLeft(), frame_skin::command_button(i, state));
    }

    // caption buttons
    for (const auto& [kind, r] : m_geo.captions)
        p.drawPixmap(r.x, r.y, frame_skin::caption_button(kind, r.w, kind == m_hoverCaption));

    // status text
    p.setFont(m_menuFont);
    p.setPen(QColor(28, 44, 80));
    p.drawText(QRect(22, m_geo.status_top, width() - 44, 22), Qt::AlignLeft | Qt::AlignVCenter, m_status);
}

void CMainFrame::draw_document_name(QPainter& p, int x, int y, int h)
{
    // Between the title and the caption buttons, shortened in the middle when the name is long.
    int right = width() - 8;
    for (const auto& [kind, r] : m_geo.captions)
        right = std::min(right, r.x - 12);
    const QString name = QString::fromLocal8Bit(m_doc.display_name().c_str());
    if (name.isEmpty() || right - x < 40)
        return;
    p.save();
    p.setFont(skin::arial(14));
    p.setPen(QColor(70, 90, 130));
    const QString shown = QFontMetrics(p.font()).elidedText(name, Qt::ElideMiddle, right - x);
    p.drawText(QRect(x, y, right - x, h), Qt::AlignLeft | Qt::AlignVCenter, shown);
    p.restore();
}

void CMainFrame::open_menu(int popup)
{
    CMyMenu* menus[3] = {m_file, m_config, m_help};
    const QRect r = menu_label_rect(popup);
    menus[popup]->popup(mapToGlobal(QPoint(r.left() - 4, r.bottom() + 4)));
}

void CMainFrame::open_menu_from_keyboard(int popup)
{
    if (popup < 0 || popup > 2)
        return;
    CMyMenu* menus[3] = {m_file, m_config, m_help};
    for (CMyMenu* m : menus)
        if (m != menus[popup] && m->isVisible())
            m->hide();
    open_menu(popup);
    for (QAction* a : menus[popup]->actions())
        if (!a->isSeparator() && a->isEnabled()) {
            menus[popup]->setActiveAction(a);
            break;
        }
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        CMyMenu* menus[3] = {m_file, m_config, m_help};
        for (int i = 0; i < 3; ++i) {
            if (watched != menus[i] || (key != Qt::Key_Left && key != Qt::Key_Right))
                continue;
            const int next = (i + (key == Qt::Key_Right ? 1 : 2)) % 3;
            menus[i]->hide();
            // After the key has left the closing popup.
            QMetaObject::invokeMethod(
                this, [this, next] { open_menu_from_keyboard(next); }, Qt::QueuedConnection);
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}

QString CMainFrame::tooltip_at(const QPoint& pos) const
{
    if (const int b = button_at(pos); b >= 0)
        return QString::fromLatin1(command_prompt(button_command(b)));
    if (const int c = caption_at(pos); c >= 0)
        return QString::fromLatin1(caption_prompt(CaptionButton(c), m_layout == LAYOUT_FULL));
    return {};
}

bool CMainFrame::event(QEvent* e)
{
    if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        const QString tip = tooltip_at(help->pos());
        if (tip.isEmpty()) {
            QToolTip::hideText();
            e->ignore();
        } else {
            QToolTip::showText(help->globalPos(), tip, this);
        }
        return true;
    }
    return QWidget::event(e);
}

void CMainFrame::set_hover(int b, int l, int c)
{
    if (b != m_hoverButton) {
        m_hoverButton = b;
        set_status(b >= 0 ? QString::fromLatin1(command_prompt(button_command(b)))
                          : QString::fromLatin1(IDLE_STATUS));
        update(0, BUTTON_ROW_Y - 2, width(), BUTTON_HEIGHT + 4);
    } else if (b < 0) {
        set_status(QString::fromLatin1(IDLE_STATUS)); // after a mode switch the prompt may linger
    }
    if (l != m_hoverLabel || c != m_hoverCaption) {
        m_hoverLabel = l;
        m_hoverCaption = c;
        update(0, 0, width(), 72);
    }
    // The watch runs while anything is lit: the pointer can leave straight into the view or off
    // the window without the frame hearing of it.
    if (b >= 0 || l >= 0 || c >= 0)
        m_hoverTimer.start();
    else
        m_hoverTimer.stop();
}

void CMainFrame::watch_pointer()
{
    const QPoint pos = mapFromGlobal(QCursor::pos());
    // Only where the frame itself is under the pointer: not over the view, nor another window.
    const bool over_frame = rect().contains(pos) && !client_rect().contains(pos) &&
                            QApplication::topLevelAt(QCursor::pos()) == this;
    if (!over_frame) {
        set_hover(-1, -1, -1);
        return;
    }
    set_hover(button_at(pos), label_at(pos), caption_at(pos));
}

void CMainFrame::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint pos = e->position().toPoint();
    if (m_resizeEdges) {
        const QPoint by = e->globalPosition().toPoint() - m_resizeFrom;
        QRect r = m_resizeStart;
        if (m_resizeEdges & EDGE_LEFT)
            r.setLeft(std::min(r.left() + by.x(), r.right() + 1 - EDITOR_WIDTH));
        if (m_resizeEdges & EDGE_RIGHT)
            r.setRight(r.right() + by.x());
        if (m_resizeEdges & EDGE_TOP)
            r.setTop(std::min(r.top() + by.y(), r.bottom() + 1 - EDITOR_HEIGHT));
        if (m_resizeEdges & EDGE_BOTTOM)
            r.setBottom(r.bottom() + by.y());
        setGeometry(r);
        return;
    }
    set_resize_cursor(resize_edges(m_geo, pos.x(), pos.y()));
    set_hover(button_at(pos), label_at(pos), caption_at(pos));
}

void CMainFrame::set_resize_cursor(int edges)
{
    const bool h = edges & (EDGE_LEFT | EDGE_RIGHT), v = edges & (EDGE_TOP | EDGE_BOTTOM);
    if (!edges)
        unsetCursor();
    else if (h && v)
        setCursor((edges == (EDGE_LEFT | EDGE_TOP) || edges == (EDGE_RIGHT | EDGE_BOTTOM))
                      ? Qt::SizeFDiagCursor
                      : Qt::SizeBDiagCursor);
    else
        setCursor(h ? Qt::SizeHorCursor : Qt::SizeVerCursor);
}

void CMainFrame::leaveEvent(QEvent*)
{
    set_hover(-1, -1, -1);
}

void CMainFrame::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    const QPoint pos = e->position().toPoint();
    if (const int edges = resize_edges(m_geo, pos.x(), pos.y())) {
        m_resizeEdges = edges;
        m_resizeFrom = e->globalPosition().toPoint();
        m_resizeStart = geometry();
        return;
    }
    const int c = caption_at(pos);
    if (c == CAPTION_MINIMISE) {
        showMinimized();
        return;
    }
    if (c == CAPTION_FULL_SCREEN) {
        toggle_full_screen();
        return;
    }
    if (c == CAPTION_CLOSE) {
        close();
        return;
    }
    const int l = label_at(pos);
    if (l >= 0) {
        open_menu(l);
        return;
    }
    const int b = button_at(pos);
    if (b >= 0) {
        m_pressedButton = b;
        update(command_button_rect(b));
    }
}

void CMainFrame::mouseReleaseEvent(QMouseEvent* e)
{
    m_resizeEdges = 0;
    if (m_pressedButton < 0)
        return;
    const int b = m_pressedButton;
    const bool inside = command_button_rect(b).contains(e->position().toPoint());
    m_pressedButton = -1;
    update(command_button_rect(b));
    if (inside)
        QMetaObject::invokeMethod(
            this, [this, b] { on_button(b); }, Qt::QueuedConnection);
}

} // namespace korvid
