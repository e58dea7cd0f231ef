// The editor as a user meets it inside the main frame: the sample database on "SAT", a satellite
// added, its LNB edited and deleted through the real dialog and buttons, page windows made only when
// their tab is chosen and refreshed after a new database, Show All DB Data, Escape everywhere, and
// Order Like from the File menu to its dialog's keys.
#include "common/testing/qt_test_main.h"
#include "korvid/app/tests/editor_in_frame.h"
#include "korvid/database/channel_texts.h"
#include "korvid/database/ird_file.h"
#include "korvid/database/korvid_doc.h"
#include "korvid/editor/editor_operations.h"
#include "korvid/editor/satellite_dialog.h"
#include "korvid/editor/ui/db_view.h"
#include "korvid/editor/ui/editor_list.h"
#include "korvid/editor/ui/editor_look.h"
#include "korvid/editor/ui/list_filter_edit.h"
#include "korvid/editor/ui/list_page_wnd.h"
#include "korvid/editor/ui/model_controls.h"
#include "korvid/editor/ui/order_like_dlg.h"
#include "korvid/editor/ui/satellite_dlg.h"
#include "korvid/editor/ui/satellite_page_wnd.h"
#include "korvid/editor/ui/transponder_update_dlg.h"
#include "korvid/frame/frame_rules.h"
#include "korvid/ui/bitmap_button.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <memory>

using namespace korvid;
using namespace korvid::testing;

class DbViewTest : public QObject, EditorInFrame
{
    Q_OBJECT

    CSatellitePageWnd* sat_window(int tab) const { return page<CSatellitePageWnd>(tab); }
    static void when_dialog(std::function<void(CSatelliteDlg*)> user)
    {
        testing::when_dialog<CSatelliteDlg>(user);
    }

private slots:
    void init() { make_frame(); }
    void cleanup() { drop_frame(); }

    void sample_shows_t1_satellites_on_sat_in_the_drawn_look()
    {
        open_sample();
        QCOMPARE(m_view->current_tab(), int(EditorView::TAB_SAT));
        CSatellitePageWnd* sat = sat_window(EditorView::TAB_SAT);
        QVERIFY(sat && sat->isVisible());
        QCOMPARE(sat->tuner_label()->text(), QStringLiteral("TUNER: T1/T2"));
        QVERIFY(sat->tuner_combo()->isEnabled());
        QCOMPARE(sat->tuner_combo()->currentText(), QStringLiteral("T1"));

        CEditorList* list = sat->list();
        QCOMPARE(list->model()->rowCount(), 32);
        const int widths[8] = {50, 100, 80, 50, 60, 70, 50, 70};
        const char* captions[8] = {"Num", "Name", "LNB type", "0/12V", "22KHz", "DiSEqC", "Port", "Degree"};
        for (int c = 0; c < 8; ++c) {
            // The page's width, or more where a value would be cut ("DiSEqC 1.1").
            QVERIFY(list->columnWidth(c) >= widths[c]);
            for (int r = 0; r < list->model()->rowCount(); ++r)
                QVERIFY2(list->fontMetrics().horizontalAdvance(cell(list, r, c)) < list->columnWidth(c) - 4,
                         qPrintable(cell(list, r, c)));
            QCOMPARE(list->model()->headerData(c, Qt::Horizontal).toString(),
                     QString::fromLatin1(captions[c]));
            QCOMPARE(list->model()->index(0, c).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
        }
        // The first default satellite: universal LNB, 0/12 V on, DiSEqC 1.0 on port 1, 19.2 East.
        const QStringList first = {"001",   "Astra 1KR/1L/1M/1N", "UNI_LNB", "ON", "HLBAND", "Ver 1.0", "1",
                                   " 19.2E"};
        for (int c = 0; c < 8; ++c)
            QCOMPARE(cell(list, 0, c), first[c]);
        QCOMPARE(cell(list, 11, 7), QStringLiteral(" 30.0W"));
        QVERIFY(list->showGrid());
        QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
        QVERIFY(!list->model()->index(0, 0).data(Qt::DecorationRole).isNull());

        std::vector<QString> captions_shown;
        for (CPageButton* b : sat->buttons())
            captions_shown.push_back(b->text());
        QCOMPARE(captions_shown, (std::vector<QString>{"Add", "Edit", "Del", "Update Transponders..."}));
        QCOMPARE(sat->buttons()[0]->size(), QSize(80, 34));
        // A caption longer than the others gets a wider button, side by side with them.
        QVERIFY(sat->buttons()[3]->width() > 80);
        QCOMPARE(sat->buttons()[3]->x(), sat->buttons()[2]->geometry().right() + 3);

        // Drawn, not styled: the header colour under a caption-free corner (below the filter box that
        // lies over the header's top), the page colour beside the tuner label.
        const QImage header = list->horizontalHeader()->grab().toImage();
        const int captions_middle = (CListFilterEdit::HEIGHT + header.height()) / 2;
        QCOMPARE(QColor(header.pixel(3, captions_middle)), editor_look::header_background());
        // The sort triangle, which later lists show on "Name", is drawn over the header colour.
        list->set_sort_indicator(1, +1);
        const QRect name_section(list->horizontalHeader()->sectionViewportPosition(1), 0, 100,
                                 header.height());
        const QImage sorted = list->horizontalHeader()->grab().toImage().copy(name_section);
        QVERIFY(sorted != header.copy(name_section));
        list->set_sort_indicator(1, 0);
        const QImage page = sat->grab().toImage();
        QCOMPARE(QColor(page.pixel(page.width() - 5, 5)), editor_look::page_background());

        // SEARCHED SAT: only the satellites with channels, East before West, and no Add.
        click_tab(EditorView::TAB_SEARCHED_SAT);
        CSatellitePageWnd* searched = sat_window(EditorView::TAB_SEARCHED_SAT);
        QVERIFY(searched && searched->isVisible() && !sat->isVisible());
        CEditorList* slist = searched->list();
        QVERIFY(slist->model()->rowCount() > 0 && slist->model()->rowCount() < 32);
        const auto degree = [&](int r) {
            QString t = cell(slist, r, 7).trimmed();
            const double v = t.chopped(1).toDouble();
            return t.endsWith(QLatin1Char('W')) ? -v : v;
        };
        for (int r = 1; r < slist->model()->rowCount(); ++r)
            QVERIFY2(degree(r - 1) >= degree(r), qPrintable(cell(slist, r, 1)));
        QCOMPARE(searched->buttons().size(), size_t(2));
    }

    void pages_are_made_when_selected_and_refreshed_after_a_new_database()
    {
        // Before any database: only "SAT" has a window.
        QVERIFY(m_view->page_window(EditorView::TAB_SAT));
        for (int t = 1; t < EditorView::TAB_COUNT; ++t)
            QVERIFY(!m_view->page_window(t));
        click_tab(EditorView::TAB_TP);
        QVERIFY(m_view->page_window(EditorView::TAB_TP) &&
                m_view->page_window(EditorView::TAB_TP)->isVisible());
        QVERIFY(!m_view->page_window(EditorView::TAB_SEARCHED_SAT));
        QVERIFY(!m_view->page_window(EditorView::TAB_TV));
        QVERIFY(!m_view->page_window(EditorView::TAB_SAT)->isVisible());

        // A database opened while "TP" is shown: every page gets its window and the new data,
        // the never-selected "SEARCHED SAT" too; "TP" stays the one on screen.
        open_sample();
        for (int t = 0; t < EditorView::TAB_COUNT; ++t)
            QVERIFY(m_view->page_window(t));
        QVERIFY(m_view->page_window(EditorView::TAB_TP)->isVisible());
        QVERIFY(!m_view->page_window(EditorView::TAB_SEARCHED_SAT)->isVisible());
        const int searched_rows = sat_window(EditorView::TAB_SEARCHED_SAT)->list()->model()->rowCount();
        QVERIFY(searched_rows > 0);
        QCOMPARE(sat_window(EditorView::TAB_SAT)->list()->model()->rowCount(), 32);

        // T2 chosen and a row remembered on "SAT"; then a second file with a renamed satellite.
        click_tab(EditorView::TAB_SAT);
        CSatellitePageWnd* sat = sat_window(EditorView::TAB_SAT);
        QTest::keyClick(sat->tuner_combo(), Qt::Key_Down);
        QCOMPARE(sat->tuner_combo()->currentText(), QStringLiteral("T2"));
        click_row(sat->list(), 3);
        QCOMPARE(int(m_view->selection().current_sat), 67);
        // The remembered row comes back selected after the page is refilled on its next selection.
        click_tab(EditorView::TAB_FAVORITE);
        click_tab(EditorView::TAB_SAT);
        QCOMPARE(sat->list()->selected_rows(), std::vector<int>{3});
        store_satellite_name(*m_db, 1, "Renamed 13E");
        store_satellite_name(*m_db, 65, "Renamed 13E");
        const std::string second = (m_dir.path() + QStringLiteral("/second.ird")).toStdString();
        QVERIFY(write_database_file(*m_db, 0x0001, 0x0105, second));
        m_doc->open_by_name(second);

        QCOMPARE(sat->tuner_combo()->currentText(), QStringLiteral("T1"));
        QCOMPARE(cell(sat->list(), 1, 1), QStringLiteral("Renamed 13E"));
        QVERIFY(sat->list()->selected_rows().empty());
        CEditorList* slist = sat_window(EditorView::TAB_SEARCHED_SAT)->list();
        QVERIFY(row_showing(slist, QStringLiteral("Renamed 13E")) >= 0);
        QCOMPARE(slist->model()->rowCount(), searched_rows);
    }

    void add_edit_lnb_and_delete_a_satellite_through_the_dialog()
    {
        open_sample();
        CSatellitePageWnd* sat = sat_window(EditorView::TAB_SAT);
        CEditorList* list = sat->list();

        // Add: a refused OK keeps the dialog open; then a name and a position.
        bool refused_stayed_open = false;
        when_dialog([&](CSatelliteDlg* dlg) {
            QCOMPARE(dlg->windowTitle(), QStringLiteral("Satellite"));
            for (int b = 0; b < 5; ++b)
                QVERIFY(!dlg->antenna_button(b)->isEnabled());
            QVERIFY(dlg->antenna_button(SatelliteDialog::ANT_T1)->isChecked());
            QCOMPARE(dlg->degree_hint()->text(), QStringLiteral("( XXX.XE )"));
            retype(dlg->name_edit(), QString());
            QTest::mouseClick(dlg->ok_button(), Qt::LeftButton);
            refused_stayed_open = dlg->isVisible();
            retype(dlg->name_edit(), QStringLiteral("Test Sat 45E"));
            // The free slot holds no LNB yet; picking the universal type fills its frequencies.
            QTest::keyClick(dlg->lnb_type_combo(), Qt::Key_Down);
            QTest::keyClick(dlg->lnb_type_combo(), Qt::Key_Up);
            QCOMPARE(dlg->low_edit()->text(), QStringLiteral("9750"));
            QCOMPARE(dlg->high_edit()->text(), QStringLiteral("10600"));
            retype(dlg->degree_edit(), QStringLiteral("045.0E"));
            QTest::mouseClick(dlg->ok_button(), Qt::LeftButton);
        });
        QTest::mouseClick(sat->buttons()[0], Qt::LeftButton);
        QVERIFY(refused_stayed_open);
        QCOMPARE(m_prompts->shown, (std::vector<std::string>{"SAT Name is not correct!"}));
        QCOMPARE(list->model()->rowCount(), 33);
        const int row = row_showing(list, QStringLiteral("Test Sat 45E"));
        QCOMPARE(row, 32);
        QCOMPARE(list->selected_rows(), std::vector<int>{32});
        QCOMPARE(cell(list, 32, 7), QStringLiteral(" 45.0E"));
        QCOMPARE(satellite_name(*m_db, 96), std::string("Test Sat 45E"));
        QVERIFY(m_doc->is_modified());

        // Edit its LNB by double click: a user-defined LNB with two frequencies, so no 22 kHz.
        when_dialog([&](CSatelliteDlg* dlg) {
            QTest::keyClick(dlg->lnb_type_combo(), Qt::Key_End);
            QCOMPARE(dlg->lnb_type_combo()->currentText(), QStringLiteral("USER_DEFINE"));
            QVERIFY(dlg->low_edit()->isEnabled());
            retype(dlg->low_edit(), QStringLiteral("9750"));
            retype(dlg->high_edit(), QStringLiteral("10700"));
            QVERIFY(!dlg->k22_check()->isEnabled());
            QTest::keyClick(dlg->diseqc_combo(), Qt::Key_Down); // Off -> DiSEqC 1.0
            QCOMPARE(dlg->port_combo()->count(), 4);
            QVERIFY(dlg->port_combo()->isEnabled());
            QTest::mouseClick(dlg->ok_button(), Qt::LeftButton);
        });
        // A double click is the second press of a pair; QTest sends only that one, so the first comes here.
        click_row(list, 32);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                           list->visualRect(list->model()->index(32, 1)).center());
        QCOMPARE(cell(list, 32, 2), QStringLiteral("USER"));
        QCOMPARE(cell(list, 32, 5), QStringLiteral("Ver 1.0"));
        QCOMPARE(int(m_db->satellites[32].lnb_freq_high), 10700);
        // T1/T2 mode with T1 chosen: the second tuner's copy keeps its own LNB.
        QCOMPARE(int(m_db->satellites[96].lnb_type), int(UNI_LNB));

        // Cancel stores nothing.
        m_doc->set_modified(false);
        when_dialog([](CSatelliteDlg* dlg) {
            retype(dlg->name_edit(), QStringLiteral("Never stored"));
            QTest::mouseClick(dlg->cancel_button(), Qt::LeftButton);
        });
        QTest::mouseClick(sat->buttons()[1], Qt::LeftButton);
        QCOMPARE(cell(list, 32, 1), QStringLiteral("Test Sat 45E"));
        QVERIFY(!m_doc->is_modified());

        // Delete with the Delete key, answered No and then Yes.
        click_row(list, 32);
        m_prompts->shown.clear();
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(list->model()->rowCount(), 33);
        m_prompts->answers.push_back(common::Answer::Yes);
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(m_prompts->shown, (std::vector<std::string>{"Delete it?", "Delete it?"}));
        QCOMPARE(list->model()->rowCount(), 32);
        QCOMPARE(row_showing(list, QStringLiteral("Test Sat 45E")), -1);
        QVERIFY(!satellite_used(*m_db, 32) && !satellite_used(*m_db, 96));
        QVERIFY(m_doc->is_modified());
    }

    void context_menu_and_buttons_follow_the_page()
    {
        open_sample();
        CSatellitePageWnd* sat = sat_window(EditorView::TAB_SAT);
        // Nothing selected: Edit and Del say so.
        QTest::mouseClick(sat->buttons()[1], Qt::LeftButton);
        QTest::mouseClick(sat->buttons()[2], Qt::LeftButton);
        // A default satellite cannot go, whichever way Delete is asked for.
        click_row(sat->list(), 0);
        sat->run_action(PageAction::Delete);
        QCOMPARE(m_prompts->shown, (std::vector<std::string>{"No Item is selected!", "No Item",
                                                             "You can't delete default SAT"}));
        // SEARCHED SAT has no Add, whatever is asked of it.
        click_tab(EditorView::TAB_SEARCHED_SAT);
        CSatellitePageWnd* searched = sat_window(EditorView::TAB_SEARCHED_SAT);
        const int rows = sat->list()->model()->rowCount();
        searched->run_action(PageAction::Add);
        QCOMPARE(sat->list()->model()->rowCount(), rows);
        QCOMPARE(searched->buttons()[0]->text(), QStringLiteral("Edit"));
    }

    void update_transponders_from_the_button_and_the_menu_previews_and_ok_is_one_undo_step()
    {
        open_sample();
        // Hot Bird 13F/13G (13.0E): 11766 H and 10992 V as the sample has them, 11034 V moved by a
        // megahertz, one transponder new; the sample's other two would go.
        QFile table(path_in_temp("Hotbird-13.0E"));
        QVERIFY(table.open(QIODevice::WriteOnly));
        table.write("[CHANNEL]\nFREQUENCY = 11766000\nPOLARIZATION = HORIZONTAL\nSYMBOL_RATE = 27500000\n"
                    "[CHANNEL]\nFREQUENCY = 10992000\nPOLARIZATION = VERTICAL\nSYMBOL_RATE = 27500000\n"
                    "[CHANNEL]\nFREQUENCY = 11035000\nPOLARIZATION = VERTICAL\nSYMBOL_RATE = 27500000\n"
                    "[CHANNEL]\nFREQUENCY = 12111000\nPOLARIZATION = VERTICAL\nSYMBOL_RATE = 27500000\n");
        table.close();
        m_view->model().satellite_page().set_scan_table_folder(m_dir.path().toStdString());
        CSatellitePageWnd* sat = sat_window(EditorView::TAB_SAT);
        click_row(sat->list(), 1);
        const size_t steps = m_doc->history().undo_count();

        // The menu entry: the preview, left with Escape, stores nothing.
        m_prompts->choices = {0};
        bool previewed = false;
        testing::when_dialog<CTransponderUpdateDlg>([&previewed](CTransponderUpdateDlg* dlg) {
            previewed = true;
            QTest::keyClick(dlg->changes(), Qt::Key_Escape);
        });
        sat->run_action(PageAction::UpdateTransponders);
        QVERIFY(previewed);
        QCOMPARE(m_doc->history().undo_count(), steps);

        // The button: Space unticks the first row (the addition), Enter is OK.
        m_prompts->choices = {0};
        int rows = 0;
        testing::when_dialog<CTransponderUpdateDlg>([&rows](CTransponderUpdateDlg* dlg) {
            QTreeWidget* list = dlg->changes();
            rows = list->topLevelItemCount();
            QCOMPARE(list->currentItem()->text(0), QStringLiteral("Add"));
            QCOMPARE(list->currentItem()->checkState(0), Qt::Checked);
            QTest::keyClick(list, Qt::Key_Space);
            QCOMPARE(list->currentItem()->checkState(0), Qt::Unchecked);
            QTest::keyClick(list, Qt::Key_Return);
        });
        QTest::mouseClick(sat->buttons()[3], Qt::LeftButton);
        QCOMPARE(rows, 4); // add 12111, change 11034, remove 11623 and 12597
        QCOMPARE(m_doc->history().undo_count(), steps + 1);
        QCOMPARE(m_doc->history().undo_label(), std::string("Update transponders of Hot Bird 13F/13G"));
        QCOMPARE(int(m_db->transponders[9].frequency), 11035);
        QCOMPARE(int(m_db->transponders[9 + TP_HALF_NUM].frequency), 11035);
    }

    void show_all_db_data_clears_the_selection_through_the_frame()
    {
        open_sample();
        click_tab(EditorView::TAB_SEARCHED_SAT);
        CEditorList* slist = sat_window(EditorView::TAB_SEARCHED_SAT)->list();
        click_row(slist, 0);
        QCOMPARE(int(m_view->selection().active_sat_page), 1);
        QVERIFY(m_view->selection().current_sat != INVALID_SATID);
        m_frame->on_command(ID_SHOW_ALL_DB);
        QCOMPARE(int(m_view->selection().current_sat), int(INVALID_SATID));
        QCOMPARE(int(m_view->selection().current_tp), int(INVALID_TPID));
        QCOMPARE(int(m_view->selection().active_sat_page), 0);
    }

    void the_selection_outlives_a_switch_to_the_downloader_and_a_new_database_resets_it()
    {
        open_sample();
        click_row(sat_window(EditorView::TAB_SAT)->list(), 2);
        const uint16_t picked = m_view->selection().current_sat;
        QVERIFY(picked != INVALID_SATID);

        m_frame->goto_downloader();
        m_frame->goto_editor();
        auto* fresh = dynamic_cast<CDBView*>(m_frame->view());
        QVERIFY(fresh);
        m_view = fresh;
        QCOMPARE(m_view->selection().current_sat, picked);

        open_sample();
        QCOMPARE(int(m_view->selection().current_sat), int(INVALID_SATID));
    }

    void a_database_named_on_the_command_line_opens_in_the_editor_under_its_name()
    {
        // What a double-click on an .ird file hands the program, as it starts in the downloader.
        const std::string file = path_in_temp("mine.ird").toStdString();
        QVERIFY(QFile::copy(QStringLiteral(KD_SAMPLE_IRD), QString::fromStdString(file)));
        m_frame->goto_downloader();
        m_frame->open_from_command_line(file);
        QCOMPARE(m_frame->mode(), MODE_EDITOR);
        QVERIFY(m_db->present);
        QCOMPARE(m_prompts->shown, std::vector<std::string>{});
        m_view = dynamic_cast<CDBView*>(m_frame->view());
        QVERIFY(m_view);
        QCOMPARE(sat_window(EditorView::TAB_SAT)->list()->model()->rowCount(), 32);
        // As File > Open does: the file is the document, and Save goes back to it without asking.
        QCOMPARE(m_doc->file_name(), file);
        QCOMPARE(m_frame->windowTitle(), QStringLiteral("mine.ird - Korvid"));
        m_doc->set_modified(true);
        m_frame->on_command(ID_FILE_SAVE);
        QVERIFY(m_prompts->dialogs.empty());
        QVERIFY(!m_doc->is_modified());
    }

    void a_yes_whose_save_does_not_happen_stops_open_and_keeps_the_edits()
    {
        open_sample();
        const std::string kept = m_db->sat_names[0];
        const std::string other = path_in_temp("other.ird").toStdString();
        QVERIFY(write_database_file(*small_database(), 0x1234, 0x5678, other));
        m_doc->set_modified(true);

        // Yes, then Cancel in the Save dialog of the unnamed document: the Open goes no further.
        m_prompts->answers.push_back(common::Answer::Yes);
        m_prompts->files = {std::nullopt, other};
        m_frame->on_command(ID_FILE_OPEN);
        QCOMPARE(m_prompts->dialogs.size(), size_t(1)); // the Save dialog, and no Open dialog
        QCOMPARE(std::string(m_db->sat_names[0]), kept);
        QVERIFY(m_doc->is_modified());
        QCOMPARE(m_doc->file_name(), std::string());

        // Yes, and a save that fails: the same.
        m_doc->set_file_name(path_in_temp("no such folder/db.ird").toStdString());
        m_prompts->answers = {common::Answer::Yes};
        m_prompts->files = {other};
        m_frame->on_command(ID_FILE_OPEN);
        QCOMPARE(std::string(m_db->sat_names[0]), kept);
        QVERIFY(m_doc->is_modified());
        QCOMPARE(m_prompts->files.size(), size_t(1)); // the Open dialog was never shown
    }

    void a_failed_load_leaves_no_channel_rows_on_any_page()
    {
        open_sample();
        for (int tab : {EditorView::TAB_TV, EditorView::TAB_RADIO, EditorView::TAB_FAVORITE})
            click_tab(tab); // every page has its window and its rows
        QVERIFY(page<CListPageWnd>(EditorView::TAB_TV)->list()->model()->rowCount() > 0);

        // The sample with a wrong system code: its channel counts are still there in the file.
        QFile sample(QStringLiteral(KD_SAMPLE_IRD));
        QVERIFY(sample.open(QIODevice::ReadOnly));
        QByteArray bytes = sample.readAll();
        bytes[IRD_HEADER_SIZE + 0x70000] = 0;
        const QString bad = path_in_temp("bad.ird");
        QFile out(bad);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        out.close();
        m_prompts->files.push_back(bad.toStdString());
        m_frame->on_command(ID_FILE_OPEN);
        QCOMPARE(m_prompts->shown.back(), std::string("Wrong DB : syscode"));

        for (int tab : {EditorView::TAB_TV, EditorView::TAB_RADIO, EditorView::TAB_FAVORITE}) {
            click_tab(tab);
            QCOMPARE(page<CListPageWnd>(tab)->list()->model()->rowCount(), 0);
        }
        // Nothing is left for Edit to open on.
        m_prompts->shown.clear();
        click_tab(EditorView::TAB_TV);
        page<CListPageWnd>(EditorView::TAB_TV)->run_action(PageAction::Edit);
        QCOMPARE(m_prompts->shown.back(), std::string("No item is selected!"));
    }

    void escape_changes_nothing_on_any_page()
    {
        open_sample();
        click_row(sat_window(EditorView::TAB_SAT)->list(), 2);
        const EditorSelection before = m_view->selection();
        for (int t = 0; t < EditorView::TAB_COUNT; ++t) {
            click_tab(t);
            CEditorPageWnd* page = m_view->page_window(t);
            QTest::keyClick(page, Qt::Key_Escape);
            if (auto* sat = qobject_cast<CSatellitePageWnd*>(page)) {
                const int rows = sat->list()->model()->rowCount();
                const auto selected = sat->list()->selected_rows();
                QTest::keyClick(sat->list(), Qt::Key_Escape);
                QCOMPARE(sat->list()->model()->rowCount(), rows);
                QCOMPARE(sat->list()->selected_rows(), selected);
            }
            QTest::keyClick(m_view, Qt::Key_Escape);
            QCOMPARE(m_frame->view(), static_cast<QWidget*>(m_view));
            QVERIFY(page->isVisible());
            QCOMPARE(m_view->current_tab(), t);
        }
        QCOMPARE(m_view->selection().current_sat, before.current_sat);
        QVERIFY(!m_doc->is_modified());
        QVERIFY(m_prompts->shown.empty());
    }

    void pages_change_from_the_keyboard_and_the_keys_stay_on_the_page_shown()
    {
        open_sample();
        m_frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_frame.get()));
        sat_window(EditorView::TAB_SAT)->list()->setFocus();
        const Qt::KeyboardModifiers ctrl = Qt::ControlModifier, alt = Qt::AltModifier;
        const struct
        {
            int key;
            Qt::KeyboardModifiers mods;
            int tab;
        } steps[] = {{Qt::Key_Tab, ctrl, EditorView::TAB_SEARCHED_SAT},
                     {Qt::Key_PageDown, ctrl, EditorView::TAB_TP},
                     {Qt::Key_6, alt, EditorView::TAB_FAVORITE},
                     {Qt::Key_PageDown, ctrl, EditorView::TAB_SAT},
                     {Qt::Key_Backtab, ctrl | Qt::ShiftModifier, EditorView::TAB_FAVORITE},
                     {Qt::Key_PageUp, ctrl, EditorView::TAB_RADIO},
                     {Qt::Key_1, alt, EditorView::TAB_SAT}};
        for (const auto& step : steps) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(step.key), step.mods);
            QCOMPARE(m_view->current_tab(), step.tab);
        }
        QCOMPARE(m_view->tab_bar()->currentIndex(), int(EditorView::TAB_SAT));
    }

    void the_window_grows_by_its_corner_with_the_lists_and_full_screen_gives_it_back()
    {
        open_sample();
        CEditorList* list = sat_window(EditorView::TAB_SAT)->list();
        const int rows_shown = list->rowAt(list->viewport()->height() - 1);
        m_frame->move(40, 30);
        const QPoint corner(m_frame->width() - 2, m_frame->height() - 2);
        QTest::mousePress(m_frame.get(), Qt::LeftButton, {}, corner);
        QTest::mouseMove(m_frame.get(), corner + QPoint(401, 300));
        QTest::mouseRelease(m_frame.get(), Qt::LeftButton, {}, corner + QPoint(401, 300));
        QCOMPARE(m_frame->size(), QSize(1100, 800));
        QVERIFY(list->rowAt(list->viewport()->height() - 1) > rows_shown + 10);

        const QPoint where = m_frame->pos();
        m_frame->toggle_full_screen();
        m_frame->toggle_full_screen();
        QCOMPARE(m_frame->geometry(), QRect(where, QSize(1100, 800)));
    }

    void edits_outlive_an_open_cancelled_at_both_questions()
    {
        open_sample();
        when_dialog([](CSatelliteDlg* dlg) {
            retype(dlg->name_edit(), QStringLiteral("Kept Sat"));
            QTest::keyClick(dlg->name_edit(), Qt::Key_Return); // Enter presses OK
        });
        QTest::mouseClick(sat_window(EditorView::TAB_SAT)->buttons()[0], Qt::LeftButton);
        QCOMPARE(satellite_name(*m_db, 32), std::string("Kept Sat"));
        QVERIFY(m_doc->is_modified());

        // File > Open: Cancel to the save question, then Cancel in the file dialog.
        m_prompts->answers.push_back(common::Answer::Cancel);
        m_frame->on_command(ID_FILE_OPEN);
        QVERIFY(m_doc->is_modified());
        QCOMPARE(satellite_name(*m_db, 32), std::string("Kept Sat"));
        // Closing still asks, and Cancel keeps the window with the edits.
        m_prompts->shown.clear();
        m_prompts->answers.push_back(common::Answer::Cancel);
        QVERIFY(!m_frame->close());
        QCOMPARE(m_prompts->shown, (std::vector<std::string>{"Save changes to file?"}));
        QVERIFY(m_frame->isVisible());
    }

    void a_failed_load_empties_the_shown_page_and_sends_nothing()
    {
        open_sample();
        CSatellitePageWnd* sat = sat_window(EditorView::TAB_SAT);
        CEditorList* list = sat->list();
        QCOMPARE(list->model()->rowCount(), 32);
        click_row(list, 5);

        // A file that fails the system-code check, dropped while "SAT" is on screen.
        const QString bad = m_dir.path() + QStringLiteral("/bad.ird");
        {
            QFile f(bad);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("\x00\x01\x01\x05", 4);
        }
        m_frame->drop_files({bad.toStdString()});
        QCOMPARE(m_prompts->shown,
                 (std::vector<std::string>{"syscode case 4(0x0000)", "Wrong DB : syscode"}));
        QCOMPARE(m_prompts->icon_of("Wrong DB : syscode"), common::Icon::Error);
        QCOMPARE(list->model()->rowCount(), 0);
        QCOMPARE(sat->tuner_combo()->currentText(), QStringLiteral("T1"));

        // No row is left to edit through, so nothing half-formed can be stored.
        m_prompts->shown.clear();
        QTest::mouseClick(sat->buttons()[1], Qt::LeftButton);
        QCOMPARE(m_prompts->shown, (std::vector<std::string>{"No Item is selected!"}));
        for (int s = 0; s < MAX_SAT_NUM; ++s)
            QVERIFY(!satellite_used(*m_db, s));

        // Download DB would wipe the receiver's list with these empty tables: it is refused.
        m_prompts->shown.clear();
        QTest::mouseClick(m_frame.get(), Qt::LeftButton, {}, m_frame->command_button_rect(4).center());
        QCoreApplication::processEvents();
        QCOMPARE(m_prompts->shown, (std::vector<std::string>{"There is no data to send"}));
        QCOMPARE(m_prompts->icon_of("There is no data to send"), common::Icon::Warning);
    }

    void add_is_ready_for_ok_and_a_taken_name_keeps_the_dialog()
    {
        open_sample();
        CSatellitePageWnd* sat = sat_window(EditorView::TAB_SAT);
        bool stayed_open = false;
        bool name_focused = false;
        QString degree_kept;
        when_dialog([&](CSatelliteDlg* dlg) {
            // The universal LNB of a free slot comes with its frequencies.
            QCOMPARE(dlg->lnb_type_combo()->currentText(), QStringLiteral("UNI_LNB"));
            QCOMPARE(dlg->low_edit()->text(), QStringLiteral("9750"));
            QCOMPARE(dlg->high_edit()->text(), QStringLiteral("10600"));
            retype(dlg->degree_edit(), QStringLiteral("045.0E"));
            retype(dlg->name_edit(), QStringLiteral("Astra 1KR/1L/1M/1N"));
            QTest::mouseClick(dlg->ok_button(), Qt::LeftButton);
            stayed_open = dlg->isVisible();
            name_focused = dlg->focusWidget() == dlg->name_edit();
            degree_kept = dlg->degree_edit()->text();
            retype(dlg->name_edit(), QStringLiteral("Sat 45E"));
            QTest::mouseClick(dlg->ok_button(), Qt::LeftButton);
        });
        QTest::mouseClick(sat->buttons()[0], Qt::LeftButton);
        QCOMPARE(m_prompts->shown, (std::vector<std::string>{"Same Name SAT already exist"}));
        QVERIFY(stayed_open);
        QVERIFY(name_focused);
        QCOMPARE(degree_kept, QStringLiteral("045.0E"));
        QCOMPARE(satellite_name(*m_db, 32), std::string("Sat 45E"));
        QCOMPARE(int(m_db->satellites[32].lnb_type), int(UNI_LNB));
        QCOMPARE(int(m_db->satellites[32].lnb_freq_low), 9750);
        QCOMPARE(int(m_db->satellites[32].position), 450);
    }

    void download_without_a_database_says_so_once()
    {
        m_frame->on_button(4);
        QCOMPARE(m_prompts->shown, (std::vector<std::string>{"There is no data to send"}));
    }

    void order_like_runs_from_the_file_menu_and_its_dialog_takes_its_keys()
    {
        open_sample();
        Database reference;
        std::vector<uint8_t> file;
        encode_database(*m_db, 0, 0, file);
        reference.unpack_image(file.data() + IRD_HEADER_SIZE);
        std::vector<int> reversed(reference.system.chan_count[SERVICE_TV]);
        for (size_t k = 0; k < reversed.size(); ++k)
            reversed[k] = int(reversed.size() - 1 - k);
        QVERIFY(reference.reorder_channels(SERVICE_TV, reversed));
        const QString path = path_in_temp("reversed.ird");
        QVERIFY(write_database_file(reference, 0, 0, path.toStdString()));
        click_tab(EditorView::TAB_TV);

        m_prompts->files.push_back(path.toStdString());
        bool shown = false;
        testing::when_dialog<COrderLikeDlg>([&](COrderLikeDlg* dlg) {
            shown = true;
            QVERIFY(dlg->summary()->text().startsWith(
                QStringLiteral("TV: 32 of 32 channels matched (32 by transponder, name and PIDs)\n")));
            dlg->activateWindow();
            QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(dlg));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_G, Qt::AltModifier);
            QTRY_VERIFY(dlg->favourites_box()->isChecked()); // a mnemonic clicks after its animation
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        });
        m_frame->on_command(ID_ORDER_LIKE);
        QVERIFY(shown);
        QCOMPARE(m_doc->history().undo_label(), std::string("Order like reversed.ird"));
        CEditorList* tv = page<CListPageWnd>(EditorView::TAB_TV)->list();
        QCOMPARE(cell(tv, 0, 1), text8(channel_name(reference.channels[0])));
    }
};

KD_QT_TEST_CLASS(DbViewTest)
#include "db_view_test.moc"
