// The filter box above the editor's lists, as a user meets it in the main frame on the sample
// database: typing narrows the list, Del takes only the selected row in view (SAT, TV), Ctrl+F reaches the
// box of the page on screen, and Escape clears the box but changes nothing elsewhere.
#include "common/testing/qt_test_main.h"
#include "korvid/database/channel_texts.h"
#include "korvid/editor/editor_operations.h"
#include "korvid/editor/ui/channel_page_wnd.h"
#include "korvid/editor/ui/drag_list.h"
#include "korvid/editor/ui/editor_look.h"
#include "korvid/editor/ui/favorite_dlg.h"
#include "korvid/editor/ui/favorite_page_wnd.h"
#include "korvid/editor/ui/list_filter_edit.h"
#include "korvid/editor/ui/satellite_page_wnd.h"
#include "korvid/editor/ui/tests/editor_window.h"
#include "korvid/ui/bitmap_button.h"

#include <QTest>

using namespace korvid;
using namespace korvid::testing;

class FilterTest : public QObject, EditorWindow
{
    Q_OBJECT

    CEditorList* sat_list(int tab = EditorView::TAB_SAT) const
    {
        return page<CSatellitePageWnd>(tab)->list();
    }
    // The dialog's lists have the one "Name" column.
    static void click_name(CEditorList* list, int row)
    {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(row, 0)).center());
    }
    static QStringList column(const CEditorList* list, int c)
    {
        QStringList out;
        for (int r = 0; r < list->model()->rowCount(); ++r)
            out << cell(list, r, c);
        return out;
    }
    // Two satellites beyond the defaults, which are the only ones Del may take; told to the editor as
    // a database that has just been opened.
    void add_two_satellites()
    {
        for (int slot : {32, 33}) {
            const char* name = slot == 32 ? "Kolibri East" : "Kolibri West";
            for (int s : {slot, slot + SAT_HALF_NUM}) {
                m_db->satellites[s] = m_db->satellites[s - 32];
                m_db->satellites[s].sat_id = uint8_t(s);
                store_satellite_name(*m_db, s, name);
            }
        }
        m_view->refresh();
    }

private slots:
    void init() { make_view(); }
    void cleanup() { drop_view(); }

    void typing_narrows_the_list_and_keeps_whole_list_numbers()
    {
        open_sample();
        add_two_satellites();
        CEditorList* list = sat_list();
        CListFilterEdit* box = list->filter_edit();
        QVERIFY(box && box->isVisible());
        // Above the captions and the rows, as wide as the rows.
        const QRect box_at(box->mapTo(list, QPoint(0, 0)), box->size());
        const QRect rows_at(list->viewport()->mapTo(list, QPoint(0, 0)), list->viewport()->size());
        QVERIFY(box_at.bottom() + list->horizontalHeader()->height() - CListFilterEdit::HEIGHT <
                rows_at.top());
        QCOMPARE(box_at.width(), rows_at.width());
        QCOMPARE(list->model()->rowCount(), 34);

        QTest::keyClicks(box, QStringLiteral("KOL"));
        QCOMPARE(column(list, 1), (QStringList{"Kolibri East", "Kolibri West"}));
        QCOMPARE(column(list, 0), (QStringList{"033", "034"}));
        QTest::keyClicks(box, QStringLiteral("ibri w"));
        QCOMPARE(column(list, 1), QStringList{"Kolibri West"});
        QCOMPARE(column(list, 0), QStringList{"034"});
        QTest::keyClick(box, Qt::Key_Backspace);
        QCOMPARE(list->model()->rowCount(), 2);
    }

    void del_deletes_the_selected_visible_row_only()
    {
        open_sample();
        add_two_satellites();
        CEditorList* list = sat_list();
        // Both new satellites selected; the filter then hides one of them.
        list->selectRow(32);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                          list->visualRect(list->model()->index(33, 1)).center());
        QCOMPARE(list->selected_rows(), (std::vector<int>{32, 33}));
        QTest::keyClicks(list->filter_edit(), QStringLiteral("kolibri west"));
        QCOMPARE(list->selected_rows(), std::vector<int>{0});

        m_prompts->answers.push_back(common::Answer::Yes);
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(m_prompts->shown.back(), std::string("Delete it?"));
        QVERIFY(!satellite_used(*m_db, 33));
        QVERIFY(satellite_used(*m_db, 32));
        QCOMPARE(satellite_name(*m_db, 32), std::string("Kolibri East"));
        QCOMPARE(list->model()->rowCount(), 0);
        QVERIFY(m_doc->is_modified());
    }

    void tv_filter_narrows_the_list_and_del_deletes_the_selected_visible_channel_only()
    {
        open_sample();
        store_channel_name(m_db->channels[2], "Zebra News");
        store_channel_name(m_db->channels[5], "Zebra Sport");
        m_view->refresh();
        click_tab(EditorView::TAB_TV);
        CEditorList* list = page<CChannelPageWnd>(EditorView::TAB_TV)->list();
        const int channels = m_db->system.chan_count[SERVICE_TV];
        QCOMPARE(list->model()->rowCount(), channels);
        std::vector<std::string> others;
        for (int c = 0; c < channels; ++c)
            if (c != 5)
                others.push_back(channel_name(m_db->channels[c]));

        // Every channel selected, then all but one hidden: Del takes that one alone.
        list->setFocus();
        list->selectAll();
        QCOMPARE(int(list->selected_rows().size()), channels);
        QTest::keyClick(list, Qt::Key_F, Qt::ControlModifier);
        QTest::keyClicks(list->filter_edit(), QStringLiteral("ZEBRA"));
        QCOMPARE(column(list, 1), (QStringList{"Zebra News", "Zebra Sport"}));
        QTest::keyClicks(list->filter_edit(), QStringLiteral(" s"));
        QCOMPARE(column(list, 1), QStringList{"Zebra Sport"});
        QCOMPARE(column(list, 0), QStringList{"006"});
        QCOMPARE(list->selected_rows(), std::vector<int>{0});

        m_prompts->answers.push_back(common::Answer::Yes);
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(m_prompts->shown.back(), std::string("Delete it ?"));
        std::vector<std::string> left;
        for (int c = 0; c < m_db->system.chan_count[SERVICE_TV]; ++c)
            left.push_back(channel_name(m_db->channels[c]));
        QCOMPARE(left, others);
        QCOMPARE(list->model()->rowCount(), 0);

        QTest::keyClick(list, Qt::Key_F, Qt::ControlModifier);
        QTest::keyClick(list->filter_edit(), Qt::Key_Escape);
        QCOMPARE(list->model()->rowCount(), channels - 1);
    }

    void every_page_and_both_lists_of_the_favourite_dialog_filter()
    {
        open_sample();
        for (int tab : {EditorView::TAB_TP, EditorView::TAB_RADIO, EditorView::TAB_FAVORITE}) {
            click_tab(tab);
            CEditorList* list = page<CListPageWnd>(tab)->list();
            const int rows = list->model()->rowCount();
            QVERIFY2(rows > 0, EditorView::tab_caption(tab));
            QVERIFY(list->filter_edit() && list->filter_edit()->isVisible());
            QTest::keyClicks(list->filter_edit(), QStringLiteral("no such text"));
            QCOMPARE(list->model()->rowCount(), 0);
            QTest::keyClick(list->filter_edit(), Qt::Key_Escape);
            QCOMPARE(list->model()->rowCount(), rows);
        }

        bool dialog_seen = false;
        // A check that fails inside returns early; the dialog is closed after the user either way.
        const auto user = [&](CFavoriteDlg* dlg) {
            dialog_seen = true;
            // The keyboard reaches a window only once it is the active one.
            QVERIFY(QTest::qWaitForWindowActive(dlg));
            CDragList* channels = dlg->channel_list();
            CDragList* favorites = dlg->favorite_list();
            const int members = favorites->model()->rowCount();
            // Ctrl+F reaches the box of the list that has the keyboard.
            click_name(channels, 0);
            QTRY_VERIFY(channels->hasFocus());
            QTest::keyClick(channels, Qt::Key_F, Qt::ControlModifier);
            QVERIFY(channels->filter_edit()->hasFocus());
            QTest::keyClicks(channels->filter_edit(), QStringLiteral("DAS ERSTE"));
            QCOMPARE(column(channels, 0), (QStringList{"Das Erste HD", "Das Erste"}));
            click_name(channels, 1);
            QTest::mouseClick(dlg->add_button(), Qt::LeftButton);
            QCOMPARE(favorites->model()->rowCount(), members + 1);

            click_name(favorites, 0);
            QTRY_VERIFY(favorites->hasFocus());
            QTest::keyClick(favorites, Qt::Key_F, Qt::ControlModifier);
            QVERIFY(favorites->filter_edit()->hasFocus());
            QTest::keyClicks(favorites->filter_edit(), QStringLiteral("erste"));
            QCOMPARE(column(favorites, 0), (QStringList{"Das Erste HD", "Das Erste"}));
            click_name(favorites, 0);
            QTest::mouseClick(dlg->remove_button(), Qt::LeftButton);
            QCOMPARE(column(favorites, 0), QStringList{"Das Erste"});
            // Escape clears the box and leaves the dialog open; the hidden favourites are all there.
            QTest::keyClick(favorites->filter_edit(), Qt::Key_Escape);
            QVERIFY(dlg->isVisible());
            QCOMPARE(favorites->model()->rowCount(), members);
            QVERIFY(!column(favorites, 0).contains(QStringLiteral("Das Erste HD")));
        };
        testing::when_dialog<CFavoriteDlg>([&](CFavoriteDlg* dlg) {
            user(dlg);
            dlg->reject();
        });
        for (CPageButton* b : page<CFavoritePageWnd>(EditorView::TAB_FAVORITE)->buttons())
            if (b->text() == QLatin1String("Modify"))
                QTest::mouseClick(b, Qt::LeftButton);
        QVERIFY(dialog_seen);
        QVERIFY(!m_doc->is_modified());
    }

    void ctrl_f_reaches_the_box_of_the_page_on_screen_and_escape_clears_it()
    {
        open_sample();
        CEditorList* list = sat_list();
        list->setFocus();
        QTest::keyClick(list, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(list->filter_edit()->hasFocus());
        QTest::keyClicks(list->filter_edit(), QStringLiteral("astra"));
        const int narrowed = list->model()->rowCount();
        QVERIFY(narrowed > 0 && narrowed < 32);

        // Escape outside the box leaves the page, the text and the rows as they were.
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Escape);
        QVERIFY(list->isVisible());
        QCOMPARE(list->filter_edit()->text(), QStringLiteral("astra"));
        QCOMPARE(list->model()->rowCount(), narrowed);

        QTest::keyClick(list, Qt::Key_F, Qt::ControlModifier);
        QTest::keyClick(list->filter_edit(), Qt::Key_Escape);
        QVERIFY(list->filter_edit()->text().isEmpty());
        QCOMPARE(list->model()->rowCount(), 32);
        QVERIFY(list->isVisible());
        // Down takes the keyboard into the list.
        QTest::keyClick(list->filter_edit(), Qt::Key_Down);
        QVERIFY(list->hasFocus());

        // Each page has its own box; Ctrl+F reaches the one on screen.
        click_tab(EditorView::TAB_SEARCHED_SAT);
        CEditorList* searched = sat_list(EditorView::TAB_SEARCHED_SAT);
        searched->setFocus();
        QTest::keyClick(searched, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(searched->filter_edit()->hasFocus());
        QTest::keyClicks(searched->filter_edit(), QStringLiteral("no such satellite"));
        QCOMPARE(searched->model()->rowCount(), 0);
        click_tab(EditorView::TAB_SAT);
        QCOMPARE(list->model()->rowCount(), 32);
    }
};

KD_QT_TEST_CLASS(FilterTest)
#include "filter_test.moc"
