#pragma once
// The main window: frameless and painted by itself (top band with title, menu-bar labels, command
// buttons and caption buttons; side and bottom bands with the status text), in one of two modes,
// each with its own view, menus, buttons and window size. The rules live in frame_rules.h; this
// class draws, hit-tests and routes.
#include "korvid/app/frame_skin.h"
#include "korvid/database/database_check.h"
#include "korvid/frame/frame_rules.h"
#include "korvid/ui/frame_view.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <string>
#include <vector>

class QPainter;

namespace common {
class Prompts;
}

namespace korvid {

class CCheckDatabaseDlg;
class CKorvidDoc;
class CKorvidView;
class CMyMenu;
class Database;

class CMainFrame : public QWidget
{
    Q_OBJECT
public:
    CMainFrame(Database& db, CKorvidDoc& doc, common::Prompts& prompts, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // The editor-mode view; until one is set the editor area stays empty.
    void set_editor_view_factory(EditorViewFactory factory) { m_editorFactory = std::move(factory); }

    FrameMode mode() const { return m_mode; }
    int layout_kind() const { return m_layout; }
    QWidget* view() const { return m_view; }
    // The downloader page while the frame is in downloader mode, else null.
    CKorvidView* downloader_view() const;
    CMyMenu* file_menu() const { return m_file; }
    CMyMenu* config_menu() const { return m_config; }
    // The Check Database window, once a check has shown it.
    CCheckDatabaseDlg* check_window() const;
    CMyMenu* help_menu() const { return m_help; }
    const QString& status_text() const { return m_status; }
    int hovered_button() const { return m_hoverButton; }
    // What a tooltip shows at a point of the window: the prompt of the frame button there, or "".
    QString tooltip_at(const QPoint& pos) const;
    // Opens a menu-bar popup as Alt with its letter or F10 does, its first item active.
    void open_menu_from_keyboard(int popup);
    bool hover_timer_running() const { return m_hoverTimer.isActive(); }

    // Where things are drawn, in window coordinates.
    QRect client_rect() const;
    QRect command_button_rect(int index) const; // empty when the button is not shown
    QRect menu_label_rect(int popup) const;     // 0 File, 1 Configuration, 2 Help
    QRect caption_rect(CaptionButton which) const;

    // A menu or accelerator command.
    void on_command(uint32_t id);
    // The command of button `index`, as the click posts it.
    void on_button(int index);
    // A file dropped on the window (also what a drop event hands over).
    void drop_files(const std::vector<std::string>& paths);
    void goto_editor();
    void goto_downloader();
    void toggle_full_screen();
    // Hands a code file to the downloader page.
    void take_code_file(const std::string& path);
    // A file named on the command line: a database opens in the editor, anything else is the code
    // file to send.
    void open_from_command_line(const std::string& path);
    // User Instruction: the user guide in the desktop's viewer for it.
    void open_user_guide();

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void leaveEvent(QEvent*) override;
    void closeEvent(QCloseEvent*) override;
    void dragEnterEvent(QDragEnterEvent*) override;
    void dropEvent(QDropEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    bool event(QEvent*) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void replace_view(int layout);
    void apply_geometry();
    // The frame's pictures for the layout and size now shown.
    void update_pieces();
    void set_resize_cursor(int edges);
    void open_menu(int popup);
    void set_status(const QString& text);
    void refresh_view();
    void update_title();
    // The File menu's "Undo"/"Redo" items name what they would undo or redo, greyed when nothing.
    void update_history_items();
    // The document's name in the top band, from `x` to the caption buttons.
    void draw_document_name(QPainter& p, int x, int y, int h);
    // The 30 ms watch: where the pointer is now decides the lit button, label and caption button.
    void watch_pointer();
    void set_hover(int button, int label, int caption);
    void bind_keys();
    void show_about();
    // Check Database: the problems in a window beside the editor, refreshed by each new check.
    void show_database_check();
    // The same window over problems already found (those of a database just received).
    void show_check_window(const std::vector<DatabaseProblem>& problems);
    int button_at(const QPoint& pos) const;
    int label_at(const QPoint& pos) const;
    int caption_at(const QPoint& pos) const;
    FrameView* frame_view() const;

    Database& m_db;
    CKorvidDoc& m_doc;
    common::Prompts& m_prompts;

    FrameMode m_mode = MODE_DOWNLOADER;
    int m_layout = LAYOUT_DOWNLOADER;
    FrameGeometry m_geo;
    frame_skin::FramePieces m_pieces;
    int m_piecesLayout = 0;
    QString m_status;
    int m_labelWidth[3] = {};
    QFont m_menuFont;

    QMenu* m_top = nullptr;
    CMyMenu* m_file = nullptr;
    CMyMenu* m_config = nullptr;
    CMyMenu* m_help = nullptr;

    QPointer<QWidget> m_view;
    QPointer<CCheckDatabaseDlg> m_checkWindow;
    EditorViewFactory m_editorFactory;

    QTimer m_hoverTimer;
    int m_hoverButton = -1;
    int m_hoverLabel = -1;
    int m_hoverCaption = -1;
    int m_pressedButton = -1;

    // The editor window's size as the user left it, kept across full screen and mode switches, and
    // where it stood before full screen took the screen.
    QSize m_editorSize{EDITOR_WIDTH, EDITOR_HEIGHT};
    QPoint m_editorPos;
    bool m_editorPosKnown = false;
    QSize m_piecesSize;
    // A resize by an edge in progress: the edges held (EDGE_*), where the press was and the window then.
    int m_resizeEdges = 0;
    QPoint m_resizeFrom;
    QRect m_resizeStart;
};

} // namespace korvid
