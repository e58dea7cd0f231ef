// Undo and redo inside the main frame: a satellite deleted on "SAT" with its transponder, channels
// and favourite comes back with Ctrl+Z on every page, the File menu names the change, and both
// redo keys bring the deletion back.
#include "common/testing/qt_test_main.h"
#include "korvid/app/my_menu.h"
#include "korvid/app/tests/editor_in_frame.h"
#include "korvid/database/channel_texts.h"
#include "korvid/database/codes.h"
#include "korvid/database/database_invariants.h"
#include "korvid/database/ird_file.h"
#include "korvid/editor/editor_operations.h"
#include "korvid/editor/ui/list_page_wnd.h"
#include "korvid/editor/ui/satellite_page_wnd.h"

#include <QAction>
#include <QTest>

using namespace korvid;
using namespace korvid::testing;

class UndoTest : public QObject, EditorInFrame
{
    Q_OBJECT

    int m_tp = -1, m_tv = -1, m_group = -1;

    // The sample with one more satellite, "Undo Sat", carrying a transponder with a TV and a radio
    // channel, the TV one in the favourite group the "Favorite" page shows; saved and opened.
    void open_with_extra_satellite()
    {
        open_sample();
        Database& db = *m_db;
        m_group = m_view->channel_pages().favorite.group();
        const int slot = find_free_satellite_slot(db);
        m_tp = find_free_transponder(db);
        QVERIFY(m_group >= 0 && slot >= 32 && m_tp >= 0);
        for (int half = 0; half < 2; ++half) {
            const int s = slot + half * SAT_HALF_NUM, t = m_tp + half * TP_HALF_NUM;
            db.satellites[s] = db.satellites[half * SAT_HALF_NUM];
            db.satellites[s].sat_id = uint8_t(s);
            store_satellite_name(db, s, "Undo Sat");
            db.transponders[t] = db.transponders[half * TP_HALF_NUM];
            db.transponders[t].sat_id = uint8_t(s);
            db.transponders[t].frequency = 11494;
        }
        for (int type : {SERVICE_TV, SERVICE_RADIO}) {
            const int c = first_slot_of(type) + db.system.chan_count[type]++;
            db.channels[c] = db.channels[first_slot_of(type)];
            db.channels[c].tp_index = uint16_t(m_tp);
            db.channels[c].fav_membership = 0;
            db.channels[c].service_id = uint16_t(0x7000 + type);
            store_channel_name(db.channels[c], type == SERVICE_TV ? "Undo TV" : "Undo Radio");
            if (type == SERVICE_TV)
                m_tv = c;
        }
        uint8_t& count = db.system.fav_count[fav_list_index(m_group, SERVICE_TV)];
        db.fav_list(m_group, SERVICE_TV)[count++] = uint16_t(m_tv);
        db.channels[m_tv].fav_membership = uint8_t(CH_FAV_MEMBER | (1u << m_group));
        const auto broken = check_database_invariants(db);
        QVERIFY2(broken.empty(), broken.empty() ? "" : broken.front().c_str());
        const std::string path = path_in_temp("extra.ird").toStdString();
        QVERIFY(write_database_file(db, g_BuyerCode, g_ModelCode, path));
        m_doc->open_by_name(path);
    }
    QAction* file_action(uint32_t id) const
    {
        const QString verb = QLatin1String(id == ID_EDIT_UNDO ? "Undo" : "Redo");
        for (QAction* a : m_frame->file_menu()->actions())
            if (a->text().startsWith(verb))
                return a;
        return nullptr;
    }
    // The pages that show the extra satellite's records, through their windows where they have
    // them and through their models otherwise.
    QString pages_showing_extra()
    {
        ChannelPages& ch = m_view->channel_pages();
        const ListState* models[] = {&m_view->model().satellite_page().list(),
                                     nullptr,
                                     &m_view->model().transponder_page().list(),
                                     &ch.tv.list(),
                                     &ch.radio.list(),
                                     &ch.favorite.list()};
        const char* names[] = {"Undo Sat", "", "Undo Sat", "Undo TV", "Undo Radio", "Undo TV"};
        QStringList shown;
        for (int tab : {EditorView::TAB_SAT, EditorView::TAB_TP, EditorView::TAB_TV, EditorView::TAB_RADIO,
                        EditorView::TAB_FAVORITE}) {
            click_tab(tab);
            bool found = false;
            if (auto* wnd = qobject_cast<CListPageWnd*>(m_view->page_window(tab)))
                found = row_showing(wnd->list(), QString::fromLatin1(names[tab])) >= 0;
            else
                for (const auto& row : models[tab]->rows)
                    found = found || row.texts.at(1) == names[tab];
            if (found)
                shown << QString::fromLatin1(EditorView::tab_caption(tab));
        }
        click_tab(EditorView::TAB_SAT);
        return shown.join(QLatin1Char(' '));
    }

private slots:
    void init() { make_frame(); }
    void cleanup() { drop_frame(); }

    void ctrl_z_after_deleting_a_satellite_brings_it_back_on_every_page()
    {
        open_with_extra_satellite();
        const QString everywhere = QStringLiteral("SAT TP TV RADIO Favorite");
        QCOMPARE(pages_showing_extra(), everywhere);
        QVERIFY(!file_action(ID_EDIT_UNDO)->isEnabled());
        QVERIFY(!file_action(ID_EDIT_REDO)->isEnabled());

        CEditorList* list = page<CSatellitePageWnd>(EditorView::TAB_SAT)->list();
        click_row(list, row_showing(list, QStringLiteral("Undo Sat")));
        m_prompts->answers.push_back(common::Answer::Yes);
        QTest::keyClick(list, Qt::Key_Delete);
        QVERIFY(m_doc->is_modified());
        QCOMPARE(pages_showing_extra(), QString());
        QCOMPARE(file_action(ID_EDIT_UNDO)->text(), QStringLiteral("Undo Delete satellite Undo Sat\tCtrl+Z"));
        QVERIFY(file_action(ID_EDIT_UNDO)->isEnabled());

        QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(pages_showing_extra(), everywhere);
        QVERIFY2(!m_doc->is_modified(), "back at the file as opened");
        QVERIFY(check_database_invariants(*m_db).empty());
        QVERIFY(!file_action(ID_EDIT_UNDO)->isEnabled());
        QCOMPARE(file_action(ID_EDIT_REDO)->text(), QStringLiteral("Redo Delete satellite Undo Sat\tCtrl+Y"));
        QVERIFY(file_action(ID_EDIT_REDO)->isEnabled());

        // Both redo keys do it again; the pages follow each time.
        QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(pages_showing_extra(), QString());
        QVERIFY(m_doc->is_modified());
        QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(list, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(pages_showing_extra(), QString());
        QCOMPARE(m_view->selection().current_sat, uint16_t(INVALID_SATID));

        // A file opened starts the history again.
        open_sample();
        QVERIFY(!file_action(ID_EDIT_UNDO)->isEnabled());
        QVERIFY(!file_action(ID_EDIT_REDO)->isEnabled());
    }
};

KD_QT_TEST_CLASS(UndoTest)
#include "undo_test.moc"
