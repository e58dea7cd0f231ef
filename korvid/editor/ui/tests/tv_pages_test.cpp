// The "TV" and "RADIO" pages and the channel dialog inside the main frame on the sample database, as
// a user meets them: columns, the "DB" choice and the selected channel's details, a channel added
// with two favourite groups ticked in the check-list box, Edit and Cancel, the name sort both ways,
// three channels moved with the mouse and saved, the edge scrolling of a drag, and Escape.
#include "common/testing/qt_test_main.h"
#include "korvid/database/channel_texts.h"
#include "korvid/database/ird_file.h"
#include "korvid/database/tests/test_database.h"
#include "korvid/editor/channel_dialog.h"
#include "korvid/editor/drag_scroll.h"
#include "korvid/editor/ui/channel_dlg.h"
#include "korvid/editor/ui/channel_page_wnd.h"
#include "korvid/editor/ui/drag_list.h"
#include "korvid/editor/ui/editor_look.h"
#include "korvid/editor/ui/favorite_page_wnd.h"
#include "korvid/editor/ui/group_check_combo_box.h"
#include "korvid/editor/ui/model_controls.h"
#include "korvid/editor/ui/tests/editor_window.h"
#include "korvid/frame/frame_commands.h"
#include "korvid/ui/bitmap_button.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QScrollBar>
#include <algorithm>
#include <cstring>
#include <strings.h>

using namespace korvid;
using namespace korvid::testing;

class TvPagesTest : public QObject, EditorWindow
{
    Q_OBJECT

    CChannelPageWnd* show_page(int tab)
    {
        click_tab(tab);
        return page<CChannelPageWnd>(tab);
    }
    static void when_dialog(std::function<void(CChannelDlg*)> user)
    {
        testing::when_dialog<CChannelDlg>(user);
    }
    static QStringList column(const CEditorList* list, int c)
    {
        QStringList texts;
        for (int r = 0; r < list->model()->rowCount(); ++r)
            texts << cell(list, r, c);
        return texts;
    }
    static QPoint row_point(const CEditorList* list, int row)
    {
        return list->visualRect(list->model()->index(row, 1)).center();
    }
    // The user presses on a row, moves past the drag distance and then to `to` (viewport coordinates).
    static void start_drag(CEditorList* list, int from_row, QPoint to)
    {
        const QPoint from = row_point(list, from_row);
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, from);
        QTest::mouseMove(list->viewport(), from + QPoint(0, QApplication::startDragDistance() + 2));
        QTest::mouseMove(list->viewport(), to);
    }
    static void drag_rows(CEditorList* list, int from_row, int to_row)
    {
        start_drag(list, from_row, row_point(list, to_row));
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, row_point(list, to_row));
    }
    std::string tv_name(int global) const { return channel_name(m_db->channels[global]); }

private slots:
    void init() { make_view(); }
    void cleanup() { drop_view(); }

    void keys_keep_the_current_row_selected_and_in_view()
    {
        // Lists longer than the page shows.
        auto db = sound_database();
        char name[CHAN_NAME_LEN + 1];
        for (int n = 0; n < 60; ++n)
            for (int type : {SERVICE_TV, SERVICE_RADIO}) {
                // n % 100: the sanitizer build's optimiser cannot see that n stays below 60, and
                // would warn of a name cut short.
                std::snprintf(name, sizeof name, "%s %02d", type == SERVICE_TV ? "TV" : "Radio", n % 100);
                put_channel(*db, type, 0, name, uint16_t(100 + n));
            }
        const std::string file = path_in_temp("long.ird").toStdString();
        QVERIFY(write_database_file(*db, 0xFFFF, 0xFFFF, file));
        m_doc->open_by_name(file);
        for (int tab : {EditorView::TAB_TV, EditorView::TAB_RADIO}) {
            CChannelPageWnd* w = show_page(tab);
            CEditorList* list = w->list();
            click_row(list, 0);
            const int last_shown = list->rowAt(list->viewport()->height() - 1);
            QVERIFY(last_shown > 0 && last_shown < 40);
            auto check = [&](const char* after) {
                const QModelIndex current = list->currentIndex();
                QVERIFY2(current.isValid(), after);
                QCOMPARE(list->selected_rows(), std::vector<int>{current.row()});
                QVERIFY2(list->viewport()->rect().contains(list->visualRect(current)), after);
            };
            for (int i = 0; i < last_shown + 5; ++i)
                QTest::keyClick(list, Qt::Key_Down);
            QCOMPARE(list->currentIndex().row(), last_shown + 5);
            check("Down");
            for (int i = 0; i < 2; ++i)
                QTest::keyClick(list, Qt::Key_PageDown);
            QVERIFY(list->currentIndex().row() > 2 * last_shown);
            check("PageDown");
        }
    }

    void list_keys_go_to_either_end_find_by_name_and_run_the_page_commands()
    {
        open_sample();
        CEditorList* list = show_page(EditorView::TAB_TV)->list();
        const int rows = list->model()->rowCount();
        click_row(list, 3);
        QTest::keyClick(list, Qt::Key_End);
        QCOMPARE(list->selected_rows(), std::vector<int>{rows - 1});
        QTest::keyClick(list, Qt::Key_Home);
        QCOMPARE(list->selected_rows(), std::vector<int>{0});
        // Typed from the Num column, the search still reads names.
        list->setCurrentIndex(list->model()->index(0, 0));
        QTest::keyClicks(list, QStringLiteral("rtl2"));
        QCOMPARE(list->selected_rows(), std::vector<int>{row_showing(list, QStringLiteral("RTL2"))});

        QString edited, added;
        when_dialog([&](CChannelDlg* dlg) {
            edited = dlg->name_edit()->text();
            dlg->reject();
        });
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(edited, QStringLiteral("RTL2"));
        when_dialog([&](CChannelDlg* dlg) {
            added = dlg->windowTitle() + QLatin1Char('/') + dlg->name_edit()->text();
            dlg->reject();
        });
        QTest::keyClick(list, Qt::Key_Insert);
        QCOMPARE(added, QStringLiteral("TV Channel/"));
        QVERIFY(!m_doc->is_modified());
    }

    void pages_show_their_columns_db_choice_and_selected_channel()
    {
        open_sample();
        CChannelPageWnd* tv = show_page(EditorView::TAB_TV);
        QVERIFY(tv && tv->isVisible());
        CEditorList* list = tv->list();
        const char* captions[12] = {"Num",     "Name",     "SAT",  "TP",     "V PID", "A PID",
                                    "PCR PID", "TTXT PID", "LOCK", "SCRAM.", "FAV",   "Aud Lang"};
        const int widths[12] = {60, 90, 80, 120, 50, 50, 60, 80, 50, 90, 60, 90};
        QCOMPARE(list->model()->columnCount(), 12);
        for (int c = 0; c < 12; ++c) {
            QCOMPARE(list->model()->headerData(c, Qt::Horizontal).toString(),
                     QString::fromLatin1(captions[c]));
            QVERIFY(list->columnWidth(c) >= widths[c]); // wider when a value needs it
        }
        const int tv_count = m_db->system.chan_count[SERVICE_TV];
        QVERIFY(tv_count > 8);
        QCOMPARE(list->model()->rowCount(), tv_count);
        QCOMPARE(cell(list, 0, 0), QStringLiteral("001"));
        QCOMPARE(cell(list, 0, 1), QString::fromLatin1(tv_name(0).c_str()));
        QCOMPARE(tv->db_combo()->itemText(0), QStringLiteral("All"));
        QCOMPARE(tv->audio_label()->text(), QStringLiteral(" Audio PID"));
        std::vector<QString> shown;
        for (CPageButton* b : tv->buttons())
            shown.push_back(b->text());
        QCOMPARE(shown, (std::vector<QString>{"Add", "Edit", "Del"}));
        QCOMPARE(tv->buttons()[2]->size(), QSize(80, 34));
        QVERIFY(list->selectionMode() == QAbstractItemView::ExtendedSelection);

        // A click describes the channel: its status line and its audio PIDs.
        click_row(list, 2);
        const tChannelStructure& ch = m_db->channels[2];
        QCOMPARE(tv->status_line()->text(), QString::fromLatin1(channel_status_text(ch, true).c_str()));
        QVERIFY(tv->audio_combo()->count() > 0);
        QCOMPARE(tv->audio_combo()->itemText(0), QString::number(ch.audio_pid[0]));

        // A "DB" entry shows that satellite's channels only; the choice and the row outlive a visit
        // to another page.
        QTest::keyClick(tv->db_combo(), Qt::Key_Down);
        const QString sat = tv->db_combo()->currentText();
        QVERIFY(sat != QStringLiteral("All"));
        QVERIFY(list->model()->rowCount() > 0 && list->model()->rowCount() < tv_count);
        QCOMPARE(column(list, 2).filter(sat).size(), list->model()->rowCount());
        click_row(list, 0);
        const QString picked = cell(list, 0, 1);
        click_tab(EditorView::TAB_FAVORITE);
        QVERIFY(!tv->isVisible());
        click_tab(EditorView::TAB_TV);
        QCOMPARE(tv->db_combo()->currentText(), sat);
        QCOMPARE(list->selected_rows(), std::vector<int>{0});
        QCOMPARE(cell(list, 0, 1), picked);

        // "RADIO": no video PID column, so "A PID" comes fifth; its own audio label.
        m_view->on_frame_command(ID_SHOW_ALL_DB);
        CChannelPageWnd* radio = show_page(EditorView::TAB_RADIO);
        QCOMPARE(radio->list()->model()->columnCount(), 11);
        QCOMPARE(radio->list()->model()->headerData(4, Qt::Horizontal).toString(), QStringLiteral("A PID"));
        QVERIFY(radio->list()->columnWidth(4) >= 50);
        QCOMPARE(radio->audio_label()->text(), QStringLiteral(" Audio PIDs"));
        QCOMPARE(radio->list()->model()->rowCount(), int(m_db->system.chan_count[SERVICE_RADIO]));
        QVERIFY(!m_doc->is_modified());
        QVERIFY(m_prompts->shown.empty());
    }

    void a_channel_added_with_two_groups_ticked_is_in_both()
    {
        open_sample();
        CChannelPageWnd* tv = show_page(EditorView::TAB_TV);
        const int before = m_db->system.chan_count[SERVICE_TV];
        const std::string group0 = favourite_group_label(*m_db, 0), group2 = favourite_group_label(*m_db, 2);
        bool refused_stayed_open = false;
        bool popup_stayed_open = false;
        QString closed;
        when_dialog([&](CChannelDlg* dlg) {
            QCOMPARE(dlg->windowTitle(), QStringLiteral("TV Channel"));
            QCOMPARE(dlg->video_pid()->edit()->text(), QStringLiteral("8191"));
            QVERIFY(!dlg->sid_edit()->isEnabled());
            QCOMPARE(dlg->sid_edit()->text(), QStringLiteral("0"));
            QCOMPARE(dlg->language_combo()->count(), 63);
            QCOMPARE(dlg->language_combo()->currentIndex(), -1);
            retype(dlg->name_edit(), QStringLiteral("Test News"));
            // The next satellite that has transponders.
            for (int i = 1; i < dlg->sat_combo()->count(); ++i) {
                QTest::keyClick(dlg->sat_combo(), Qt::Key_Down);
                if (dlg->tp_combo()->count() > 0)
                    break;
            }
            QVERIFY(dlg->tp_combo()->count() > 0);
            QVERIFY(dlg->tp_combo()->itemText(0).startsWith(QStringLiteral("TP:")));
            QVERIFY(!dlg->tp_combo()->itemText(0).contains(QStringLiteral("Pol:")));

            // Two groups ticked with the mouse in the open list, which stays open between them.
            CGroupCheckCombo* groups = dlg->group_combo();
            groups->showPopup();
            QAbstractItemView* view = groups->view();
            QTRY_VERIFY(view->isVisible());
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                              view->visualRect(view->model()->index(0, 0)).center());
            popup_stayed_open = view->isVisible();
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                              view->visualRect(view->model()->index(2, 0)).center());
            // The space bar toggles the entry under the keyboard: on and off again.
            QTest::keyClick(view, Qt::Key_Space);
            QTest::keyClick(view, Qt::Key_Space);
            groups->hidePopup();
            QVERIFY(groups->entry_checked(0) && groups->entry_checked(2) && !groups->entry_checked(1));
            closed = groups->closed_text();

            // A PID out of range is refused and the dialog stays.
            retype(dlg->video_pid()->edit(), QStringLiteral("600"));
            retype(dlg->audio_pid()->edit(), QStringLiteral("20"));
            QTest::mouseClick(dlg->ok_button(), Qt::LeftButton);
            refused_stayed_open = dlg->isVisible();
            retype(dlg->audio_pid()->edit(), QStringLiteral("601"));
            // The spin arrow steps the PCR PID from 8191 down by one.
            dlg->pcr_pid()->stepDown();
            QCOMPARE(dlg->pcr_pid()->edit()->text(), QStringLiteral("8190"));
            QTest::mouseClick(dlg->ok_button(), Qt::LeftButton);
        });
        QTest::mouseClick(tv->buttons()[0], Qt::LeftButton);
        QVERIFY(refused_stayed_open);
        QVERIFY(popup_stayed_open);
        QCOMPARE(m_prompts->shown,
                 (std::vector<std::string>{"Please enter an integer between 32 and 8191."}));
        const QString sep = QString::fromLatin1(list_separator_for(bytes8(QLocale().decimalPoint())).c_str());
        QCOMPARE(closed, QString::fromLatin1(group0.c_str()) + sep + QLatin1Char(' ') +
                             QString::fromLatin1(group2.c_str()));

        QCOMPARE(int(m_db->system.chan_count[SERVICE_TV]), before + 1);
        const int added = before; // the first free slot
        QCOMPARE(tv_name(added), std::string("Test News"));
        const tChannelStructure& ch = m_db->channels[added];
        QCOMPARE(int(ch.video_pid), 600);
        QCOMPARE(int(ch.audio_pid[0]), 601);
        QCOMPARE(int(ch.pcr_pid), 8190);
        QCOMPARE(int(ch.fav_membership), int(CH_FAV_MEMBER | 0x05));
        CEditorList* list = tv->list();
        const int row = row_showing(list, QStringLiteral("Test News"));
        QVERIFY(row >= 0);
        QCOMPARE(list->selected_rows(), std::vector<int>{row});
        QCOMPARE(cell(list, row, 10), QStringLiteral(" 1, 3"));
        QCOMPARE(tv->status_line()->text(), QStringLiteral("MANUAL, "));
        QVERIFY(m_doc->is_modified());

        // Both groups list it on the "Favorite" page, chosen there with the keyboard.
        click_tab(EditorView::TAB_FAVORITE);
        auto* fav = page<CFavoritePageWnd>(EditorView::TAB_FAVORITE);
        QVERIFY(fav && fav->isVisible());
        QComboBox* combo = fav->group_combo();
        combo->setFocus();
        for (int group : {0, 2}) {
            const QString label = QString::fromLatin1(favourite_group_label(*m_db, group).c_str());
            const int entry = combo->findText(label);
            QVERIFY2(entry >= 0, qPrintable(label));
            while (combo->currentIndex() != entry)
                QTest::keyClick(combo, combo->currentIndex() < entry ? Qt::Key_Down : Qt::Key_Up);
            bool listed = false;
            for (int c = 0; c < fav->list()->model()->columnCount(); ++c)
                listed = listed || row_showing(fav->list(), QStringLiteral("Test News"), c) >= 0;
            QVERIFY2(listed, qPrintable(label));
            const uint16_t* entries = m_db->fav_list(group, SERVICE_TV);
            QVERIFY(std::find(entries, entries + MAX_FAVCHAN_NUM, uint16_t(added)) !=
                    entries + MAX_FAVCHAN_NUM);
        }
    }

    void edit_changes_only_what_the_user_changed()
    {
        open_sample();
        CChannelPageWnd* tv = show_page(EditorView::TAB_TV);
        CEditorList* list = tv->list();
        const tChannelStructure stored = m_db->channels[1];

        // OK without a change, Escape, and Cancel with a change: the channel and the flag stay.
        when_dialog([](CChannelDlg* dlg) { QTest::mouseClick(dlg->ok_button(), Qt::LeftButton); });
        click_row(list, 1);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row_point(list, 1));
        when_dialog([](CChannelDlg* dlg) {
            retype(dlg->name_edit(), QStringLiteral("Escaped"));
            QTest::keyClick(dlg, Qt::Key_Escape);
        });
        tv->run_action(PageAction::Edit);
        when_dialog([](CChannelDlg* dlg) {
            QTest::mouseClick(dlg->lock_check(), Qt::LeftButton);
            QTest::mouseClick(dlg->cancel_button(), Qt::LeftButton);
        });
        QTest::mouseClick(tv->buttons()[1], Qt::LeftButton);
        QVERIFY(std::memcmp(&stored, &m_db->channels[1], sizeof stored) == 0);
        QVERIFY(!m_doc->is_modified());

        // A new name, typed and confirmed with Enter, marks the channel as set by hand.
        when_dialog([](CChannelDlg* dlg) {
            QCOMPARE(dlg->windowTitle(), QStringLiteral("TV Channel"));
            retype(dlg->name_edit(), QStringLiteral("Renamed"));
            QTest::keyClick(dlg->name_edit(), Qt::Key_Return);
        });
        QTest::mouseClick(tv->buttons()[1], Qt::LeftButton);
        QCOMPARE(tv_name(1), std::string("Renamed"));
        QCOMPARE(cell(list, 1, 1), QStringLiteral("Renamed"));
        QCOMPARE(cell(list, 1, 0), QStringLiteral("002"));
        QVERIFY(m_db->channels[1].attributes & CH_ATTR_MANUAL);
        QVERIFY(m_doc->is_modified());

        // Two rows selected: Edit refuses; the radio dialog has no video PID to edit.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ShiftModifier, row_point(list, 3));
        QCOMPARE(list->selected_rows(), (std::vector<int>{1, 2, 3}));
        QTest::mouseClick(tv->buttons()[1], Qt::LeftButton);
        QCOMPARE(m_prompts->shown.back(), std::string("Only one select!"));
        CChannelPageWnd* radio = show_page(EditorView::TAB_RADIO);
        bool video_disabled = false;
        QString video_text;
        when_dialog([&](CChannelDlg* dlg) {
            QCOMPARE(dlg->windowTitle(), QStringLiteral("Radio Channel"));
            video_disabled = !dlg->video_pid()->isEnabled();
            video_text = dlg->video_pid()->edit()->text();
            QTest::mouseClick(dlg->cancel_button(), Qt::LeftButton);
        });
        click_row(radio->list(), 0);
        radio->run_action(PageAction::Edit);
        QVERIFY(video_disabled);
        QCOMPARE(video_text, QStringLiteral("32767"));
    }

    void the_name_header_sorts_both_ways_and_a_new_visit_unsorts()
    {
        open_sample();
        CChannelPageWnd* tv = show_page(EditorView::TAB_TV);
        CEditorList* list = tv->list();
        const QStringList slot_order = column(list, 1);
        const QStringList numbers = column(list, 0);
        QHeaderView* header = list->horizontalHeader();
        const QPoint name_header(header->sectionViewportPosition(1) + 20, header->height() / 2);
        const auto by_name = [](const QString& a, const QString& b) {
            return strcasecmp(a.toLatin1().constData(), b.toLatin1().constData()) < 0;
        };
        QStringList ascending = slot_order;
        std::stable_sort(ascending.begin(), ascending.end(), by_name);
        QVERIFY(ascending != slot_order);

        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, name_header);
        QStringList shown = column(list, 1);
        QVERIFY(std::is_sorted(shown.rbegin(), shown.rend(), by_name));
        QVERIFY(header->isSortIndicatorShown());
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
        // The numbers travel with their rows: the database order is untouched.
        const int first = int(slot_order.indexOf(shown.front()));
        QCOMPARE(cell(list, 0, 0), numbers[first]);

        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, name_header);
        shown = column(list, 1);
        QVERIFY(std::is_sorted(shown.begin(), shown.end(), by_name));
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
        // Another column's header sorts nothing, and the triangle stays on "Name".
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(2) + 20, header->height() / 2));
        QCOMPARE(column(list, 1), shown);
        QCOMPARE(header->sortIndicatorSection(), 1);
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);

        click_tab(EditorView::TAB_RADIO);
        click_tab(EditorView::TAB_TV);
        QCOMPARE(column(list, 1), slot_order);
        QVERIFY(!header->isSortIndicatorShown());
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, name_header);
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
        QVERIFY(!m_doc->is_modified());
    }

    void three_channels_dragged_down_are_saved_in_their_new_order()
    {
        open_sample();
        CChannelPageWnd* tv = show_page(EditorView::TAB_TV);
        CEditorList* list = tv->list();
        std::vector<std::string> names;
        for (int c = 0; c < 9; ++c)
            names.push_back(tv_name(c));
        const uint8_t membership1 = m_db->channels[1].fav_membership;

        // Dropped on itself, a selection stays where it is.
        click_row(list, 1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ShiftModifier, row_point(list, 3));
        drag_rows(list, 2, 3);
        QVERIFY(!m_doc->is_modified());
        QCOMPARE(list->selected_rows(), (std::vector<int>{1, 2, 3}));

        // Channels 1 to 3, held by the middle one, onto the row of channel 8: they land at 6 to 8 and
        // channels 4 to 8 move up.
        drag_rows(list, 2, 8);
        QVERIFY(m_doc->is_modified());
        const std::vector<int> from = {0, 4, 5, 6, 7, 8, 1, 2, 3};
        for (int c = 0; c < 9; ++c)
            QCOMPARE(cell(list, c, 1), QString::fromLatin1(names[size_t(from[size_t(c)])].c_str()));
        // The row the drag held stays selected.
        QCOMPARE(list->selected_rows(), std::vector<int>{7});
        QCOMPARE(int(m_db->channels[6].fav_membership), int(membership1));

        const QString path = path_in_temp("moved.ird");
        m_prompts->files.push_back(path.toStdString());
        m_doc->save_as();
        QVERIFY(!m_doc->is_modified());
        std::vector<uint8_t> buffer;
        QCOMPARE(load_ird_file(path.toStdString(), buffer), IrdLoad::Ok);
        auto saved = std::make_unique<Database>();
        uint16_t buyer = 0, model = 0;
        read_database(*saved, buffer.data(), buyer, model);
        for (int c = 0; c < 9; ++c)
            QCOMPARE(channel_name(saved->channels[c]), names[size_t(from[size_t(c)])]);
        // Favourite entries followed the channels they name.
        for (int g = 0; g < MAX_FAVGROUP_NUM; ++g) {
            const uint16_t* list_g = saved->fav_list(g, SERVICE_TV);
            const bool in =
                std::find(list_g, list_g + MAX_FAVCHAN_NUM, uint16_t(6)) != list_g + MAX_FAVCHAN_NUM;
            QCOMPARE(in, bool(membership1 & (1u << g)));
        }
    }

    void a_drag_near_the_bottom_edge_scrolls_and_released_outside_moves_nothing()
    {
        open_sample();
        CChannelPageWnd* tv = show_page(EditorView::TAB_TV);
        CEditorList* list = tv->list();
        QScrollBar* bar = list->verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), 0);
        const QPoint near_bottom = list->viewport()->mapFrom(
            list, QPoint(list->width() / 2, list->height() - DRAG_SCROLL_BOTTOM_MARGIN / 2));
        start_drag(list, 0, near_bottom);
        QVERIFY(tv->drag_list()->dragging());
        // A picture of the held row goes with the mouse.
        QVERIFY(tv->drag_list()->drag_picture() && tv->drag_list()->drag_picture()->isVisible());
        QCOMPARE(tv->drag_list()->scroll_timer().interval(), DRAG_SCROLL_INTERVAL_MS);
        QTRY_VERIFY(bar->value() >= 2);

        // Above the top edge it scrolls back up.
        const int lowest = bar->value();
        QTest::mouseMove(list->viewport(), list->viewport()->mapFrom(list, QPoint(list->width() / 2, -5)));
        QTRY_VERIFY(bar->value() < lowest);

        // Released beside the list: the drag ends and nothing moves.
        const std::string first = tv_name(0);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {},
                            list->viewport()->mapFrom(list, QPoint(list->width() + 40, 10)));
        QVERIFY(!tv->drag_list()->dragging());
        QVERIFY(!tv->drag_list()->scroll_timer().isActive());
        QVERIFY(!tv->drag_list()->drag_picture());
        QCOMPARE(tv_name(0), first);
        QVERIFY(!m_doc->is_modified());
    }

    void a_drag_let_go_over_the_header_lands_on_the_top_row_shown()
    {
        open_sample();
        CChannelPageWnd* tv = show_page(EditorView::TAB_TV);
        CEditorList* list = tv->list();
        const std::string third = tv_name(3), first = tv_name(0);
        const QPoint over_header = list->viewport()->mapFrom(
            list, QPoint(list->width() / 2, list->horizontalHeader()->height() / 2));
        start_drag(list, 3, over_header);
        // The row the drop would land on is drawn as the drop place while the mouse is there.
        QCOMPARE(tv->drag_list()->drop_row(), 0);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, over_header);
        QCOMPARE(tv_name(0), third);
        QCOMPARE(tv_name(1), first);
        QCOMPARE(tv->drag_list()->drop_row(), -1);
        QVERIFY(m_doc->is_modified());
    }

    void escape_changes_nothing_on_the_pages_and_in_the_dialog()
    {
        open_sample();
        for (int tab : {int(EditorView::TAB_TV), int(EditorView::TAB_RADIO)}) {
            CChannelPageWnd* wnd = show_page(tab);
            click_row(wnd->list(), 1);
            const QStringList names = column(wnd->list(), 1);
            QTest::keyClick(wnd, Qt::Key_Escape);
            QTest::keyClick(wnd->list(), Qt::Key_Escape);
            QTest::keyClick(wnd->db_combo(), Qt::Key_Escape);
            QTest::keyClick(m_view, Qt::Key_Escape);
            QVERIFY(wnd->isVisible());
            QCOMPARE(m_view->current_tab(), tab);
            QCOMPARE(column(wnd->list(), 1), names);
            QCOMPARE(wnd->list()->selected_rows(), std::vector<int>{1});

            const int count = m_db->system.chan_count[tab == EditorView::TAB_TV ? SERVICE_TV : SERVICE_RADIO];
            when_dialog([](CChannelDlg* dlg) {
                retype(dlg->name_edit(), QStringLiteral("Never"));
                QTest::keyClick(dlg->audio_pid()->edit(), Qt::Key_Escape);
            });
            QTest::mouseClick(wnd->buttons()[0], Qt::LeftButton);
            QCOMPARE(int(m_db->system.chan_count[tab == EditorView::TAB_TV ? SERVICE_TV : SERVICE_RADIO]),
                     count);
            QCOMPARE(row_showing(wnd->list(), QStringLiteral("Never")), -1);
        }
        QVERIFY(!m_doc->is_modified());
        QVERIFY(m_prompts->shown.empty());
    }
};

KD_QT_TEST_CLASS(TvPagesTest)
#include "tv_pages_test.moc"
