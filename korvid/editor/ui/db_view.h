#pragma once
// CDBView: the "Database Editor" mode of the main window. A tab control with the six tabs; the page
// objects exist from the start, a page window is made when its tab is first selected (or when a new
// database arrives), and every page is shown again from its model whenever the model was refreshed.
// The view takes "Show All DB Data" and the two database transfers from the frame.
#include "korvid/app/frame_view.h"
#include "korvid/editor/dialog_runner.h"
#include "korvid/editor/editor_context.h"
#include "korvid/editor/editor_view.h"
#include "korvid/editor/favorite_page.h"
#include "korvid/editor/radio_channel_page.h"
#include "korvid/editor/tv_channel_page.h"

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
    CDBView(CKorvidDoc& doc, common::Prompts& prompts, QWidget* parent = nullptr);
    ~CDBView() override;

    EditorView& model() { return m_view; }
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
    void create_page_window(int tab);
    void place(CEditorPageWnd* page);

    CKorvidDoc& m_doc;
    common::Prompts& m_prompts;
    DialogRunner m_dialogs;
    EditorContext m_ctx;
    EditorView m_view;
    TvChannelPage m_tvPage;
    RadioChannelPage m_radioPage;
    FavoritePage m_favoritePage;

    QTabBar* m_tabs;
    CEditorPageWnd* m_pages[EditorView::TAB_COUNT] = {};
    int m_shownTab = -1;
};

// The factory the main frame takes for its editor mode.
EditorViewFactory make_editor_view_factory(CKorvidDoc& doc, common::Prompts& prompts);

} // namespace korvid
