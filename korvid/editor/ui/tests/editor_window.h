#pragma once
// The editor view on its own, on the sample database, as the frame shows it (the same size), and
// the user's hands for it: tabs and rows clicked, fields retyped, a dialog played once it is the
// active modal window. The page windows' tests derive from EditorWindow; the frame's own tests put
// the view in the frame (korvid/app/tests) and use the same hands.
#include "common/testing/scripted_prompts.h"
#include "korvid/database/korvid_doc.h"
#include "korvid/editor/editor_selection.h"
#include "korvid/editor/ui/db_view.h"
#include "korvid/editor/ui/editor_list.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

namespace korvid::testing {

// Hands `user` the widget of type W that `find` gives, once it gives one: a modal dialog or a menu
// runs its own event loop, so the test's hands come from a timer inside it.
template <class W> void when_shown(QWidget* (*find)(), std::function<void(W*)> user)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, find, user] {
        auto* w = qobject_cast<W*>(find());
        if (!w)
            return;
        timer->stop();
        timer->deleteLater();
        user(w);
    });
    timer->start();
}

// Plays the user in the next dialog of type Dlg once it is the active modal window.
template <class Dlg> void when_dialog(std::function<void(Dlg*)> user)
{
    when_shown<Dlg>(&QApplication::activeModalWidget, [user](Dlg* dlg) {
        user(dlg);
        // A check that failed in there returned before OK or Cancel: close the dialog, so the test
        // reports the failure instead of waiting on it.
        if (QTest::currentTestFailed() && dlg->isVisible())
            dlg->reject();
    });
}

// Opens the list's context menu as a right click does and clicks its entry number `entry`.
inline void choose_in_context_menu(CEditorList* list, int entry)
{
    when_shown<QMenu>(&QApplication::activePopupWidget, [entry](QMenu* menu) {
        const QList<QAction*> entries = menu->actions();
        if (entry < entries.size())
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(entries[entry]).center());
        else
            menu->close();
    });
    emit list->contextMenuAt(list->mapToGlobal(QPoint(5, 5)));
}

inline void retype(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

inline QString cell(const CEditorList* list, int row, int column)
{
    return list->model()->index(row, column).data().toString();
}

// The first row whose given column shows the text, or -1.
inline int row_showing(const CEditorList* list, const QString& text, int column = 1)
{
    for (int r = 0; r < list->model()->rowCount(); ++r)
        if (cell(list, r, column) == text)
            return r;
    return -1;
}

inline void click_row(CEditorList* list, int row)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(row, 1)).center());
}

// What every editor window test holds: the database, its document, scripted prompts, the view
// wherever it is shown, and a folder for files.
class EditorHands
{
protected:
    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;
    std::unique_ptr<common::ScriptedPrompts> m_prompts;
    std::unique_ptr<CKorvidDoc> m_doc;
    CDBView* m_view = nullptr;

    void make_document()
    {
        m_db = std::make_unique<Database>();
        m_prompts = std::make_unique<common::ScriptedPrompts>();
        m_doc = std::make_unique<CKorvidDoc>(*m_db, *m_prompts);
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

class EditorWindow : public EditorHands
{
protected:
    EditorSelection m_selection;
    std::unique_ptr<CDBView> m_window;

    // Call from the test's init(): a fresh view, shown and active, with no database yet.
    void make_view()
    {
        make_document();
        m_selection = EditorSelection{};
        m_window = std::make_unique<CDBView>(*m_doc, *m_prompts, m_selection);
        m_view = m_window.get();
        m_doc->on_new_database = [this] { m_view->refresh(); };
        // The size the frame gives its editor view.
        m_view->resize(673, 333);
        m_view->show();
        m_view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_view));
    }
    // Call from the test's cleanup().
    void drop_view()
    {
        m_view = nullptr;
        m_window.reset();
        m_doc.reset();
    }
};

} // namespace korvid::testing
