#pragma once
// The editor inside the main frame on the sample database, as the program puts them together, for
// the tests of what the frame adds to the editor: its commands, menus, keys, files and window. The
// user's hands are the editor's own tests' (editor_window.h).
#include "common/testing/scripted_prompts.h"
#include "korvid/app/main_frame.h"
#include "korvid/database/korvid_doc.h"
#include "korvid/editor/ui/db_view.h"
#include "korvid/editor/ui/tests/editor_window.h"

#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace korvid::testing {

class EditorInFrame
{
protected:
    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;
    std::unique_ptr<common::ScriptedPrompts> m_prompts;
    std::unique_ptr<CKorvidDoc> m_doc;
    std::unique_ptr<CMainFrame> m_frame;
    CDBView* m_view = nullptr;

    // Call from the test's init(): a fresh frame in editor mode, shown, with no database yet.
    void make_frame()
    {
        m_db = std::make_unique<Database>();
        m_prompts = std::make_unique<common::ScriptedPrompts>();
        m_doc = std::make_unique<CKorvidDoc>(*m_db, *m_prompts);
        m_frame = std::make_unique<CMainFrame>(*m_db, *m_doc, *m_prompts);
        m_frame->set_editor_view_factory(make_editor_view_factory(*m_doc, *m_prompts));
        m_frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
        m_frame->goto_editor();
        m_view = dynamic_cast<CDBView*>(m_frame->view());
        QVERIFY(m_view);
    }
    // Call from the test's cleanup().
    void drop_frame()
    {
        m_frame.reset();
        m_doc.reset();
    }

    void open_sample() { m_doc->open_by_name(KD_SAMPLE_IRD); }
    QString path_in_temp(const char* name) const
    {
        return m_dir.path() + QLatin1Char('/') + QLatin1String(name);
    }
    void click_tab(int tab)
    {
        QTabBar* bar = m_view->tab_bar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center());
    }
    template <class Wnd> Wnd* page(int tab) const { return qobject_cast<Wnd*>(m_view->page_window(tab)); }
};

} // namespace korvid::testing
