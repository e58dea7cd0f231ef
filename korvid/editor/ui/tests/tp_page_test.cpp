// The "TP" page as a user meets it inside the main frame on the sample database: the "DB" combo
// and what the page keeps while hidden, a transponder added, edited and deleted through the real
// dialog (its channels and favourite entries go with it), and every refusal, Cancel and Escape
// leaving the document as it was.
#include "common/testing/qt_test_main.h"
#include "korvid/editor/editor_operations.h"
#include "korvid/editor/transponder_dialog.h"
#include "korvid/editor/ui/editor_look.h"
#include "korvid/editor/ui/satellite_page_wnd.h"
#include "korvid/editor/ui/tests/editor_window.h"
#include "korvid/editor/ui/transponder_dlg.h"
#include "korvid/editor/ui/transponder_page_wnd.h"
#include "korvid/editor/ui/up_down.h"
#include "korvid/ui/bitmap_button.h"

#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QToolButton>

using namespace korvid;
using namespace korvid::testing;

namespace {

// Sample: "Hot Bird 13F/13G" is satellite 1 with transponders 7 to 11; 7 (11766 H 27500 2/3) carries
// "Rai 1" (also in the "Family" group), "Rai 2", "Rai 3" and the radio channel "Rai Radio 1".
constexpr int HOT_BIRD_ENTRY = 2; // in the "DB" combo, after "All" and Astra 1
constexpr int FIRST_FREE_TP = 82;

void when_dialog(std::function<void(CTransponderDlg*)> user)
{
    testing::when_dialog<CTransponderDlg>(user);
}

QStringList row_texts(const CEditorList* list, int row)
{
    QStringList texts;
    for (int c = 0; c < list->model()->columnCount(); ++c)
        texts << cell(list, row, c);
    return texts;
}

bool tv_page_shows(ChannelPages& pages, const std::string& name)
{
    for (const ListState::Row& r : pages.tv.list().rows)
        if (r.texts.size() > 1 && r.texts[1] == name)
            return true;
    return false;
}

} // namespace

class TpPageTest : public QObject, EditorWindow
{
    Q_OBJECT

    CTransponderPageWnd* tp()
    {
        click_tab(EditorView::TAB_TP);
        return page<CTransponderPageWnd>(EditorView::TAB_TP);
    }
    void choose_hot_bird(CTransponderPageWnd* w)
    {
        QTest::keyClick(w->db_combo(), Qt::Key_Down);
        QTest::keyClick(w->db_combo(), Qt::Key_Down);
        QCOMPARE(w->db_combo()->currentIndex(), HOT_BIRD_ENTRY);
    }

private slots:
    void init() { make_view(); }
    void cleanup() { drop_view(); }

    void the_db_combo_filters_and_the_page_keeps_its_choice_while_hidden()
    {
        open_sample();
        CTransponderPageWnd* w = tp();
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->db_label()->text(), QStringLiteral("DB"));
        QCOMPARE(w->db_combo()->currentText(), QStringLiteral("All"));
        QCOMPARE(w->db_combo()->count(), 33);
        CEditorList* list = w->list();
        QCOMPARE(list->model()->rowCount(), 82);
        const int widths[6] = {100, 120, 100, 100, 100, 60};
        const QStringList captions = {"Num", "Linked SAT", "Freq.", "Polarity", "Sym. Rate", "FEC"};
        for (int c = 0; c < 6; ++c) {
            QVERIFY(list->columnWidth(c) >= widths[c]); // wider when a value needs it
            QCOMPARE(list->model()->headerData(c, Qt::Horizontal).toString(), captions[c]);
        }
        QCOMPARE(row_texts(list, 0),
                 (QStringList{"001", "Astra 1KR/1L/1M/1N", "11494", "HOR", "22000", "2/3"}));
        QCOMPARE(w->buttons().size(), size_t(3));
        QCOMPARE(w->buttons()[2]->text(), QStringLiteral("Del"));
        QCOMPARE(w->buttons()[0]->size(), QSize(80, 34));
        QVERIFY(w->buttons()[0]->geometry().bottom() > list->geometry().bottom());

        choose_hot_bird(w);
        QCOMPARE(int(m_view->selection().current_sat), 1);
        QCOMPARE(list->model()->rowCount(), 5);
        QCOMPARE(row_showing(list, QStringLiteral("Astra 1KR/1L/1M/1N")), -1);
        click_row(list, 2);
        QCOMPARE(int(m_view->selection().current_tp), 9);

        // Hidden behind "SAT" and shown again: the same satellite and the same row.
        click_tab(EditorView::TAB_SAT);
        click_tab(EditorView::TAB_TP);
        QCOMPARE(w->db_combo()->currentIndex(), HOT_BIRD_ENTRY);
        QCOMPARE(list->selected_rows(), std::vector<int>{2});

        // A satellite of the second tuner picked on "SAT" has no entry here: "All", and no satellite.
        click_tab(EditorView::TAB_SAT);
        auto* sat = page<CSatellitePageWnd>(EditorView::TAB_SAT);
        QTest::keyClick(sat->tuner_combo(), Qt::Key_Down);
        click_row(sat->list(), 3);
        QCOMPARE(int(m_view->selection().current_sat), 67);
        click_tab(EditorView::TAB_TP);
        QCOMPARE(w->db_combo()->currentText(), QStringLiteral("All"));
        QCOMPARE(int(m_view->selection().current_sat), int(INVALID_SATID));
        QCOMPARE(list->model()->rowCount(), 82);
        // With T2 chosen on "SAT", a row names the second tuner's copy.
        click_row(list, 0);
        QCOMPARE(int(m_view->selection().current_tp), 1638);
        QCOMPARE(int(m_view->selection().current_sat), 64);
        QVERIFY(!m_doc->is_modified());
    }

    void add_edit_and_delete_a_transponder_through_the_dialog()
    {
        open_sample();
        CTransponderPageWnd* w = tp();
        CEditorList* list = w->list();
        choose_hot_bird(w);

        // Add: Hot Bird comes preselected with its transponders beside the fields; a row is copied,
        // a bad number keeps the dialog, then Enter is OK.
        bool ready = false, stayed_open = false, keyboard_on_fault = false;
        when_dialog([&](CTransponderDlg* dlg) {
            QCOMPARE(dlg->windowTitle(), QStringLiteral("Transponder"));
            QCOMPARE(dlg->link_sat_combo()->currentText(), QStringLiteral("Hot Bird 13F/13G"));
            QVERIFY(dlg->link_sat_combo()->isEnabled());
            QVERIFY(dlg->existing_list()->isVisible());
            QVERIFY(dlg->width() > TransponderDialog::EDIT_WIDTH);
            QCOMPARE(dlg->existing_list()->model()->rowCount(), 5);
            QCOMPARE(dlg->frequency_edit()->text(), QStringLiteral("0"));
            QVERIFY(dlg->polarity_button(TransponderDialog::VER)->isChecked());
            click_row(dlg->existing_list(), 0);
            QCOMPARE(dlg->frequency_edit()->text(), QStringLiteral("11766"));
            QCOMPARE(dlg->fec_combo()->currentText(), QStringLiteral("2/3"));
            QVERIFY(dlg->polarity_button(TransponderDialog::HOR)->isChecked());
            ready = true;
            retype(dlg->symbol_rate_edit(), QStringLiteral("27 500"));
            QTest::mouseClick(dlg->ok_button(), Qt::LeftButton);
            stayed_open = dlg->isVisible();
            keyboard_on_fault = dlg->focusWidget() == dlg->symbol_rate_edit();
            retype(dlg->symbol_rate_edit(), QStringLiteral("27500"));
            retype(dlg->frequency_edit(), QStringLiteral("11785"));
            QTest::mouseClick(dlg->polarity_button(TransponderDialog::VER), Qt::LeftButton);
            QTest::keyClick(dlg->frequency_edit(), Qt::Key_Return);
        });
        QTest::mouseClick(w->buttons()[0], Qt::LeftButton);
        QVERIFY(ready && stayed_open && keyboard_on_fault);
        QCOMPARE(m_prompts->shown, (std::vector<std::string>{"Please enter an integer."}));
        QCOMPARE(list->model()->rowCount(), 6);
        const int row = row_showing(list, QStringLiteral("11785"), 2);
        QVERIFY(row >= 0);
        QCOMPARE(list->selected_rows(), std::vector<int>{row});
        QCOMPARE(row_texts(list, row).mid(1),
                 (QStringList{"Hot Bird 13F/13G", "11785", "VER", "27500", "2/3"}));
        const tTransponder& added = m_db->transponders[FIRST_FREE_TP];
        const tTransponder& twin = m_db->transponders[FIRST_FREE_TP + 1638];
        QCOMPARE(int(added.sat_id), 1);
        QCOMPARE(int(twin.sat_id), 65);
        QCOMPARE(int(twin.frequency), 11785);
        QCOMPARE(int(m_view->selection().current_tp), FIRST_FREE_TP);
        QVERIFY(m_doc->is_modified());

        // Edit by double click: the small window, the satellite fixed; both spins step the number.
        m_doc->set_modified(false);
        bool small = false;
        when_dialog([&](CTransponderDlg* dlg) {
            small = dlg->size() == QSize(TransponderDialog::EDIT_WIDTH, TransponderDialog::EDIT_HEIGHT) &&
                    !dlg->existing_list()->isVisible() && !dlg->link_sat_combo()->isEnabled();
            QCOMPARE(dlg->frequency_edit()->text(), QStringLiteral("11785"));
            QTest::mouseClick(dlg->frequency_spin()->up_button(), Qt::LeftButton);
            QTest::keyClick(dlg->frequency_edit(), Qt::Key_Up);
            QTest::mouseClick(dlg->symbol_rate_spin()->down_button(), Qt::LeftButton);
            QCOMPARE(dlg->frequency_edit()->text(), QStringLiteral("11787"));
            QTest::mouseClick(dlg->ok_button(), Qt::LeftButton);
        });
        click_row(list, row);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                           list->visualRect(list->model()->index(row, 1)).center());
        QVERIFY(small);
        QCOMPARE(row_texts(list, row).mid(2, 3), (QStringList{"11787", "VER", "27499"}));
        QCOMPARE(int(twin.frequency), 11787);
        QVERIFY(m_doc->is_modified());

        // Delete the carrier of the Rai channels: No keeps it, Yes takes it and its channels.
        ChannelPages& channels = m_view->channel_pages();
        click_tab(EditorView::TAB_TV);
        QVERIFY(tv_page_shows(channels, "Rai 1") && tv_page_shows(channels, "Rai 3"));
        click_tab(EditorView::TAB_TP);
        click_row(list, 0);
        QCOMPARE(cell(list, 0, 2), QStringLiteral("11766"));
        const int tv = m_db->system.chan_count[0], radio = m_db->system.chan_count[1];
        const int family_tv = m_db->system.fav_count[1 * 2 + 0];
        m_prompts->shown.clear();
        m_prompts->answers.push_back(common::Answer::No);
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(list->model()->rowCount(), 6);
        m_prompts->answers.push_back(common::Answer::Yes);
        QTest::mouseClick(w->buttons()[2], Qt::LeftButton);
        QCOMPARE(m_prompts->shown, (std::vector<std::string>{"Delete it?", "Delete it?"}));
        QCOMPARE(list->model()->rowCount(), 5);
        QCOMPARE(row_showing(list, QStringLiteral("11766"), 2), -1);
        QVERIFY(!transponder_used(*m_db, 7) && !transponder_used(*m_db, 7 + 1638));
        QCOMPARE(int(m_db->system.chan_count[0]), tv - 3);
        QCOMPARE(int(m_db->system.chan_count[1]), radio - 1);
        QCOMPARE(int(m_db->system.fav_count[1 * 2 + 0]), family_tv - 1);
        QCOMPARE(int(m_view->selection().current_tp), int(INVALID_TPID));
        QCOMPARE(int(m_view->selection().current_sat), 1);
        // The TV page, refreshed as its tab is chosen, lists the satellite's other channels only.
        click_tab(EditorView::TAB_TV);
        QVERIFY(!tv_page_shows(channels, "Rai 1") && !tv_page_shows(channels, "Rai 3"));
        QCOMPARE(channels.tv.list().rows.size(), size_t(3));
    }

    void refusals_cancel_and_escape_leave_the_document_alone()
    {
        open_sample();
        CTransponderPageWnd* w = tp();
        CEditorList* list = w->list();
        // Nothing selected: Edit and Del say so, whichever way they are asked for.
        QTest::mouseClick(w->buttons()[1], Qt::LeftButton);
        w->run_action(PageAction::Delete);
        QCOMPARE(m_prompts->shown, (std::vector<std::string>{"No Item is selected!", "No Item"}));
        m_prompts->shown.clear();
        choose_in_context_menu(list, 2); // Delete
        choose_in_context_menu(list, 1); // Edit
        QCOMPARE(m_prompts->shown, (std::vector<std::string>{"No Item", "No Item is selected!"}));

        // On "All" no satellite is preselected, and OK without one is refused.
        const auto add_with = [&](std::function<void(CTransponderDlg*)> user) {
            when_dialog(user);
            w->run_action(PageAction::Add);
        };
        m_prompts->shown.clear();
        add_with([](CTransponderDlg* dlg) {
            QCOMPARE(dlg->link_sat_combo()->currentIndex(), -1);
            QCOMPARE(dlg->existing_list()->model()->rowCount(), 0);
            retype(dlg->frequency_edit(), QStringLiteral("12000"));
            retype(dlg->symbol_rate_edit(), QStringLiteral("27500"));
            QTest::mouseClick(dlg->ok_button(), Qt::LeftButton);
        });
        // A satellite chosen, but 949 MHz.
        add_with([](CTransponderDlg* dlg) {
            QTest::keyClick(dlg->link_sat_combo(), Qt::Key_Down);
            QCOMPARE(dlg->existing_list()->model()->rowCount(), 7);
            retype(dlg->frequency_edit(), QStringLiteral("949"));
            retype(dlg->symbol_rate_edit(), QStringLiteral("27500"));
            QTest::mouseClick(dlg->ok_button(), Qt::LeftButton);
        });
        // Escape is Cancel: nothing is asked and nothing stored.
        add_with([](CTransponderDlg* dlg) {
            QTest::keyClick(dlg->link_sat_combo(), Qt::Key_Down);
            retype(dlg->frequency_edit(), QStringLiteral("12345"));
            QTest::keyClick(dlg->frequency_edit(), Qt::Key_Escape);
        });
        QCOMPARE(m_prompts->shown, (std::vector<std::string>{"SAT Infomation is not correct",
                                                             "Transponder value is not valid"}));
        QCOMPARE(list->model()->rowCount(), 82);
        QVERIFY(!transponder_used(*m_db, FIRST_FREE_TP));

        // Edit within 3 of another Astra 1 horizontal transponder (11494/22000): refused; OK with
        // nothing changed stores nothing either.
        click_row(list, 1); // 11362 H 22000
        m_prompts->shown.clear();
        when_dialog([](CTransponderDlg* dlg) {
            retype(dlg->frequency_edit(), QStringLiteral("11497"));
            QTest::mouseClick(dlg->ok_button(), Qt::LeftButton);
        });
        w->run_action(PageAction::Edit);
        when_dialog([](CTransponderDlg* dlg) { QTest::mouseClick(dlg->ok_button(), Qt::LeftButton); });
        QTest::mouseClick(w->buttons()[1], Qt::LeftButton);
        QCOMPARE(m_prompts->shown, (std::vector<std::string>{"Same Transponder already exist"}));
        QCOMPARE(cell(list, 1, 2), QStringLiteral("11362"));

        // Escape on the page and its list, and Delete answered No.
        QTest::keyClick(w, Qt::Key_Escape);
        QTest::keyClick(list, Qt::Key_Escape);
        m_prompts->answers.push_back(common::Answer::No);
        QTest::keyClick(list, Qt::Key_Delete);
        QVERIFY(w->isVisible());
        QCOMPARE(list->selected_rows(), std::vector<int>{1});
        QCOMPARE(list->model()->rowCount(), 82);
        QVERIFY(!m_doc->is_modified());
    }
};

KD_QT_TEST_CLASS(TpPageTest)
#include "tp_page_test.moc"
