#pragma once
// CDBView: the "Database Editor" mode of the main window. A tab control with the six tabs; the page
// objects exist from the start, a page window is made when its tab is first selected (or when a new
// database arrives), and every page is shown again from its model whenever the model was refreshed.
// The view takes "Show All DB Data" from the frame; the frame itself runs the database transfers,
// and a database that arrives comes back here as refresh().
#include "korvid/editor/channel_pages.h"
#include "korvid/editor/dialog_runner.h"
#include "korvid/editor/editor_context.h"
#include "korvid/editor/editor_selection.h"
#include "korvid/editor/editor_view.h"
#include "korvid/ui/frame_view.h"

#include <QWidget>

class QTabBar;

namespace common {
class Prompts;
}

namespace korvid {

class CEditorPageWnd;
class CKorvidDoc;

class CDBView : public QWidget, public FrameView
{
    Q_OBJECT
public:
    // `selection` outlives the view: a new view of the same run starts with what the last one picked.
    CDBView(CKorvidDoc& doc, common::Prompts& prompts, EditorSelection& selection, QWidget* parent = nullptr);
    ~CDBView() override;

    EditorView& model() { return m_view; }
    ChannelPages& channel_pages() { return m_channelPages; }
    EditorSelection& selection() { return m_ctx.selection(); }
    QTabBar* tab_bar() const { return m_tabs; }
    int current_tab() const { return m_view.current_tab(); }
    // The window of a tab's page, null while it has not been made.
    CEditorPageWnd* page_window(int tab) const;
    // Where a page window goes: the tab control's display area.
    QRect page_rect() const;

    void select_tab(int tab);

    // FrameView
    bool on_frame_command(uint32_t id) override;
    // A database was loaded or received.
    void refresh() override;

protected:
    void resizeEvent(QResizeEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void paintEvent(QPaintEvent*) override;

private:
    void on_tab_changed(int tab);
    // Ctrl+Tab, Ctrl+PgDn and the rest move between pages; Alt+1 to Alt+6 pick one.
    void bind_page_keys();
    void create_page_window(int tab);
    void place(CEditorPageWnd* page);
    // Every page window made if need be and shown again from its model; only the current one visible.
    void sync_all_pages();

    DialogRunner m_dialogs;
    EditorContext m_ctx;
    EditorView m_view;
    ChannelPages m_channelPages;

    QTabBar* m_tabs;
    CEditorPageWnd* m_pages[EditorView::TAB_COUNT] = {};
    int m_shownTab = -1;
};

// The factory the main frame takes for its editor mode. Its views share one selection, which lives
// as long as the factory.
EditorViewFactory make_editor_view_factory(CKorvidDoc& doc, common::Prompts& prompts);

} // namespace korvid
