#pragma once
// The editor inside the main frame on the sample database, as the program puts them together, for
// the tests of what the frame adds to the editor: its commands, menus, keys, files and window. The
// user's hands are the editor's own tests' (editor_window.h).
#include "common/testing/scripted_prompts.h"
#include "korvid/app/main_frame.h"
#include "korvid/database/korvid_doc.h"
#include "korvid/editor/ui/db_view.h"
#include "korvid/editor/ui/tests/editor_window.h"

#include <QTest>
#include <memory>

namespace korvid::testing {

class EditorInFrame : public EditorHands
{
protected:
    std::unique_ptr<CMainFrame> m_frame;

    // Call from the test's init(): a fresh frame in editor mode, shown, with no database yet.
    void make_frame()
    {
        make_document();
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
};

} // namespace korvid::testing
