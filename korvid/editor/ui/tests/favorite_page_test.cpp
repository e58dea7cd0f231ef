// The "Favorite" page inside the main frame on the sample database, as a user works it: a group
// edited in the "Favorite" dialog with ">>", "<<" and the mouse, rows reordered by dragging on the
// page, a group renamed and both found in the saved file, and Escape and Cancel changing nothing.
#include "common/testing/qt_test_main.h"
#include "korvid/database/ird_file.h"
#include "korvid/editor/editor_operations.h"
#include "korvid/editor/editor_view.h"
#include "korvid/editor/ui/drag_list.h"
#include "korvid/editor/ui/editor_look.h"
#include "korvid/editor/ui/favorite_dlg.h"
#include "korvid/editor/ui/favorite_page_wnd.h"
#include "korvid/editor/ui/group_name_dlg.h"
#include "korvid/editor/ui/tests/editor_window.h"
#include "korvid/frame/frame_commands.h"
#include "korvid/ui/bitmap_button.h"

#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using namespace korvid;
using namespace korvid::testing;

namespace {

QPoint row_point(const CEditorList* list, int row)
{
    return list->visualRect(list->model()->index(row, list->model()->columnCount() > 1 ? 1 : 0)).center();
}

QStringList names(const CEditorList* list, int column)
{
    QStringList out;
    for (int r = 0; r < list->model()->rowCount(); ++r)
        out << cell(list, r, column);
    return out;
}

// Presses on row `from` of `source`, moves past the drag distance, then to `global`; `over` runs
// while the mouse is there, before the button comes up.
void drag_row(CDragList* source, int from, QPoint global, const std::function<void()>& over = {})
{
    QWidget* vp = source->viewport();
    const QPoint start = row_point(source, from);
    QTest::mousePress(vp, Qt::LeftButton, {}, start);
    QTest::mouseMove(vp, start + QPoint(0, 8));
    QTest::mouseMove(vp, start + QPoint(4, 16));
    QTest::mouseMove(vp, vp->mapFromGlobal(global));
    if (over)
        over();
    QTest::mouseRelease(vp, Qt::LeftButton, {}, vp->mapFromGlobal(global));
}

void click(CEditorList* list, int row, Qt::KeyboardModifiers keys = {})
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, keys, row_point(list, row));
}

// Plays the user in the next dialog of type Dlg; a check that fails inside closes the dialog, so
// that the test reports it instead of waiting on a window nobody closes.
template <class Dlg> void play(std::function<void(Dlg*)> user)
{
    testing::when_dialog<Dlg>([user](Dlg* dlg) {
        user(dlg);
        if (dlg->isVisible())
            dlg->reject();
    });
}

QPoint global_row_point(const CEditorList* list, int row)
{
    return list->viewport()->mapToGlobal(row_point(list, row));
}

} // namespace

class FavoritePageTest : public QObject, EditorWindow
{
    Q_OBJECT

    CFavoritePageWnd* fav() const { return page<CFavoritePageWnd>(EditorView::TAB_FAVORITE); }
    void press(CFavoritePageWnd* page, const char* caption)
    {
        for (CPageButton* b : page->buttons())
            if (b->text() == QLatin1String(caption))
                QTest::mouseClick(b, Qt::LeftButton);
    }
    CFavoritePageWnd* open_favorites()
    {
        open_sample();
        click_tab(EditorView::TAB_FAVORITE);
        return fav();
    }
    std::vector<uint16_t> stored(const Database& db, int group, int type) const
    {
        std::vector<uint16_t> out;
        const uint16_t* list = db.fav_list(group, type);
        for (int i = 0; i < MAX_FAVCHAN_NUM && list[i] != INVALID_FAVENTRY; ++i)
            out.push_back(list[i]);
        return out;
    }

private slots:
    void init() { make_view(); }
    void cleanup() { drop_view(); }

    void the_page_shows_the_chosen_group_and_type()
    {
        CFavoritePageWnd* page = open_favorites();
        QVERIFY(page && page->isVisible());
        QCOMPARE(page->group_label()->text(), QStringLiteral("Favorite Group "));
        QCOMPARE(page->group_combo()->count(), 4);
        QCOMPARE(page->group_combo()->currentText(), QStringLiteral("News"));
        QVERIFY(page->tv_button()->isChecked() && !page->radio_button()->isChecked());
        std::vector<QString> captions;
        for (CPageButton* b : page->buttons()) {
            captions.push_back(b->text());
            QCOMPARE(b->size(), QSize(CPageButton::WIDTH, CPageButton::HEIGHT));
        }
        QCOMPARE(captions, (std::vector<QString>{"Modify", "Rename"}));

        CDragList* list = page->drag_list();
        const int widths[4] = {50, 100, 100, 200};
        for (int c = 0; c < 4; ++c)
            QVERIFY(list->columnWidth(c) >= widths[c]); // wider when a value needs it
        QCOMPARE(names(list, 1),
                 (QStringList{"n-tv", "Euronews", "CNN Int.", cell(list, 3, 1), "Das Erste HD"}));

        // "Family" from the keyboard, then its radio list; the type stays while the group changes.
        page->group_combo()->setFocus();
        QTest::keyClick(page->group_combo(), Qt::Key_Down);
        QCOMPARE(cell(list, 0, 1), QStringLiteral("Das Erste HD"));
        QTest::mouseClick(page->radio_button(), Qt::LeftButton);
        QVERIFY(page->radio_button()->isChecked() && !page->tv_button()->isChecked());
        QCOMPARE(list->model()->rowCount(), 2);
        // Hidden and shown again, the page keeps the group and the type.
        click_tab(EditorView::TAB_SAT);
        click_tab(EditorView::TAB_FAVORITE);
        QCOMPARE(page->group_combo()->currentText(), QStringLiteral("Family"));
        QVERIFY(page->radio_button()->isChecked());
        QVERIFY(!m_doc->is_modified());

        // With no radio channel left, "Modify" on "Radio" says so and opens nothing.
        for (int c = MAX_TV_CHAN_NUM; c < MAX_CHAN_NUM; ++c)
            if (channel_used(*m_db, c))
                m_db->delete_channel(c);
        compact_after_channel_deletion(*m_db);
        const auto opened = std::make_shared<bool>(false);
        QTimer::singleShot(0, [opened] {
            if (auto* dlg = qobject_cast<CFavoriteDlg*>(QApplication::activeModalWidget())) {
                *opened = true;
                dlg->reject();
            }
        });
        press(page, "Modify");
        QCoreApplication::processEvents(); // the check above runs now when no dialog ran it
        QCOMPARE(m_prompts->shown, std::vector<std::string>{"There is no channel!"});
        QVERIFY(!*opened);
    }

    void modify_a_group_with_the_buttons_and_a_drag_between_the_lists()
    {
        CFavoritePageWnd* page = open_favorites();
        bool dialog_seen = false;
        play<CFavoriteDlg>([&](CFavoriteDlg* dlg) {
            dialog_seen = true;
            QCOMPARE(dlg->windowTitle(), QStringLiteral("Favorite"));
            QCOMPARE(dlg->heading()->text(), QStringLiteral("1. News"));
            CDragList* channels = dlg->channel_list();
            CDragList* favorites = dlg->favorite_list();
            QCOMPARE(channels->model()->rowCount(), 32);
            QCOMPARE(names(favorites, 0), names(page->list(), 1));

            // ">>" with "Das Erste": appended and selected, its transponder in the info lines.
            click(channels, 2);
            QVERIFY(QRegularExpression(QStringLiteral("^\\d+/[HV]/\\d+$"))
                        .match(dlg->info_line(1)->text())
                        .hasMatch());
            QVERIFY(!dlg->info_line(0)->text().isEmpty());
            QTest::mouseClick(dlg->add_button(), Qt::LeftButton);
            QCOMPARE(favorites->model()->rowCount(), 6);
            QCOMPARE(cell(favorites, 5, 0), QStringLiteral("Das Erste"));
            QCOMPARE(favorites->selected_rows(), std::vector<int>{5});
            QTest::mouseClick(dlg->add_button(), Qt::LeftButton);
            QCOMPARE(m_prompts->shown.back(), std::string("Same channel already exist"));
            QCOMPARE(favorites->model()->rowCount(), 6);

            // "<<" on "n-tv".
            click(favorites, 0);
            QTest::mouseClick(dlg->remove_button(), Qt::LeftButton);
            QCOMPARE(cell(favorites, 0, 0), QStringLiteral("Euronews"));
            QCOMPARE(favorites->model()->rowCount(), 5);

            // A channel already there, dragged: refused with its own message.
            drag_row(channels, 0, global_row_point(favorites, 2));
            QCOMPARE(m_prompts->shown.back(), std::string("Same Channel already exist"));
            QCOMPARE(favorites->model()->rowCount(), 5);

            // "BR Fernsehen" dragged onto row 1: the row under the mouse shows the drop place and the
            // channel goes in before it.
            int highlighted = -2;
            drag_row(channels, 3, global_row_point(favorites, 1),
                     [&] { highlighted = favorites->drop_row(); });
            QCOMPARE(highlighted, 1);
            QCOMPARE(favorites->drop_row(), -1);
            QCOMPARE(cell(favorites, 1, 0), QStringLiteral("BR Fernsehen"));
            QCOMPARE(favorites->model()->rowCount(), 6);
            // Let go over "CHANNEL" itself: nothing.
            drag_row(channels, 4, global_row_point(channels, 10));
            QCOMPARE(favorites->model()->rowCount(), 6);
            QTest::mouseClick(dlg->ok_button(), Qt::LeftButton);
        });
        press(page, "Modify");
        QVERIFY(dialog_seen);
        QCOMPARE(names(page->list(), 1),
                 (QStringList{"Euronews", "BR Fernsehen", "CNN Int.", cell(page->list(), 3, 1),
                              "Das Erste HD", "Das Erste"}));
        QVERIFY(m_doc->is_modified());
        QCOMPARE(int(m_db->system.fav_count[0]), 6);
    }

    void several_channels_dragged_at_once_while_the_list_scrolls()
    {
        CFavoritePageWnd* page = open_favorites();
        play<CFavoriteDlg>([&](CFavoriteDlg* dlg) {
            CDragList* channels = dlg->channel_list();
            CDragList* favorites = dlg->favorite_list();
            // Every channel in: the ones already there are skipped without a word.
            const size_t said = m_prompts->shown.size();
            channels->setFocus();
            QTest::keyClick(channels, Qt::Key_A, Qt::ControlModifier);
            QTest::mouseClick(dlg->add_button(), Qt::LeftButton);
            QCOMPARE(favorites->model()->rowCount(), 32);
            QCOMPARE(m_prompts->shown.size(), said);
            // Two out again, then both dragged back together, to the bottom of the list.
            QScrollBar* bar = favorites->verticalScrollBar();
            QVERIFY(bar->maximum() > 0);
            bar->setValue(0); // the user scrolls back to the top
            click(favorites, 0);
            click(favorites, 1, Qt::ControlModifier);
            const QStringList out = {cell(favorites, 0, 0), cell(favorites, 1, 0)};
            QTest::mouseClick(dlg->remove_button(), Qt::LeftButton);
            QCOMPARE(favorites->model()->rowCount(), 30);
            const int a = row_showing(channels, out[0], 0), b = row_showing(channels, out[1], 0);
            click(channels, a);
            click(channels, b, Qt::ControlModifier);
            QCOMPARE(channels->selected_rows().size(), size_t(2));

            bar->setValue(0);
            const QPoint near_bottom =
                favorites->viewport()->mapToGlobal(QPoint(20, favorites->viewport()->height() - 3));
            drag_row(channels, b, near_bottom, [&] {
                QTRY_COMPARE(bar->value(), bar->maximum());
                // The drop place follows the rows that scrolled under the mouse.
                QCOMPARE(favorites->drop_row(), favorites->rowAt(favorites->viewport()->height() - 3));
            });
            QCOMPARE(favorites->model()->rowCount(), 32);
            const int at = row_showing(favorites, out[0], 0);
            QVERIFY(at >= 20);
            QCOMPARE(cell(favorites, at + 1, 0), out[1]);
            QTest::mouseClick(dlg->ok_button(), Qt::LeftButton);
        });
        press(page, "Modify");
        QCOMPARE(page->list()->model()->rowCount(), 32);
        QCOMPARE(int(m_db->system.fav_count[0]), 32);
    }

    void reorder_by_drag_and_rename_are_in_the_saved_file()
    {
        CFavoritePageWnd* page = open_favorites();
        CDragList* list = page->drag_list();
        const std::vector<uint16_t> before = stored(*m_db, 0, SERVICE_TV);
        QCOMPARE(before.size(), size_t(5));

        // Row 0 onto row 3 gives 1, 2, 3, 0, 4, and the dropped row stays selected.
        int highlighted = -2;
        drag_row(list, 0, global_row_point(list, 3), [&] { highlighted = list->drop_row(); });
        QCOMPARE(highlighted, 3);
        QCOMPARE(stored(*m_db, 0, SERVICE_TV),
                 (std::vector<uint16_t>{before[1], before[2], before[3], before[0], before[4]}));
        QCOMPARE(list->selected_rows(), std::vector<int>{3});
        QCOMPARE(cell(list, 3, 0), QStringLiteral("004"));
        QVERIFY(m_doc->is_modified());
        // The row dropped on is still the one picked after the page was hidden and shown again.
        click_tab(EditorView::TAB_TV);
        click_tab(EditorView::TAB_FAVORITE);
        QCOMPARE(list->selected_rows(), std::vector<int>{3});
        // Let go outside the list: the row goes back where it was.
        drag_row(list, 0, page->buttons()[0]->mapToGlobal(QPoint(5, 5)));
        QCOMPARE(stored(*m_db, 0, SERVICE_TV)[0], before[1]);

        // Rename: eleven characters at most, refused in the open dialog; then a name that fits.
        bool stayed_open = false;
        play<CGroupNameDlg>([&](CGroupNameDlg* dlg) {
            QCOMPARE(dlg->windowTitle(), QStringLiteral("Rename"));
            QCOMPARE(dlg->name_edit()->text(), QStringLiteral("News"));
            retype(dlg->name_edit(), QStringLiteral("Twelve chars"));
            QTest::mouseClick(dlg->ok_button(), Qt::LeftButton);
            stayed_open = dlg->isVisible();
            retype(dlg->name_edit(), QStringLiteral("Nachrichten"));
            QTest::keyClick(dlg->name_edit(), Qt::Key_Return);
        });
        press(page, "Rename");
        QVERIFY(stayed_open);
        QCOMPARE(m_prompts->shown.back(), std::string("The group name is too long: 11 characters at most!"));
        QCOMPARE(page->group_combo()->currentText(), QStringLiteral("Nachrichten"));
        QCOMPARE(page->group_combo()->currentIndex(), 0);

        const QString file = path_in_temp("renamed.ird");
        m_prompts->files.push_back(file.toStdString());
        m_doc->save_as();
        QVERIFY(!m_doc->is_modified());
        std::vector<uint8_t> buffer;
        QCOMPARE(int(load_ird_file(file.toStdString(), buffer)), int(IrdLoad::Ok));
        Database saved;
        uint16_t buyer = 0, model = 0;
        read_database(saved, buffer.data(), buyer, model);
        QCOMPARE(stored(saved, 0, SERVICE_TV), stored(*m_db, 0, SERVICE_TV));
        QCOMPARE(std::string(reinterpret_cast<const char*>(saved.fav_names[0]), MAX_FAVNAME_LEN),
                 std::string("Nachrichten\0", MAX_FAVNAME_LEN));
    }

    void escape_and_cancel_change_nothing()
    {
        CFavoritePageWnd* page = open_favorites();
        const auto snapshot = [&] {
            std::vector<std::vector<uint16_t>> lists;
            for (int g = 0; g < MAX_FAVGROUP_NUM; ++g)
                for (int type : {SERVICE_TV, SERVICE_RADIO})
                    lists.push_back(stored(*m_db, g, type));
            return std::make_pair(
                lists, std::string(reinterpret_cast<const char*>(m_db->fav_names), sizeof m_db->fav_names));
        };
        const auto before = snapshot();
        const auto unchanged = [&] { return snapshot() == before && !m_doc->is_modified(); };
        // On the page and its list.
        QTest::keyClick(page, Qt::Key_Escape);
        QTest::keyClick(page->list(), Qt::Key_Escape);
        QVERIFY(page->isVisible() && m_view->isVisible());
        // Escape in the middle of a drag takes the row back.
        CDragList* list = page->drag_list();
        const QPoint start = row_point(list, 0);
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, start);
        QTest::mouseMove(list->viewport(), start + QPoint(0, 12));
        QTest::mouseMove(list->viewport(), row_point(list, 2));
        QVERIFY(list->dragging());
        QTest::keyClick(list, Qt::Key_Escape);
        QVERIFY(!list->dragging());
        QCOMPARE(list->drop_row(), -1);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, row_point(list, 2));
        QVERIFY(unchanged());

        // The dialog worked, then Escape; then opened again and OK on nothing changed.
        play<CFavoriteDlg>([&](CFavoriteDlg* dlg) {
            click(dlg->channel_list(), 2);
            QTest::mouseClick(dlg->add_button(), Qt::LeftButton);
            // Escape where the keyboard is: on the list.
            QTest::keyClick(dlg->channel_list(), Qt::Key_Escape);
            QVERIFY(!dlg->isVisible());
        });
        press(page, "Modify");
        play<CFavoriteDlg>([&](CFavoriteDlg* dlg) { QTest::mouseClick(dlg->ok_button(), Qt::LeftButton); });
        press(page, "Modify");
        QCOMPARE(page->list()->model()->rowCount(), 5);
        // Rename typed over, then Escape; then Cancel.
        play<CGroupNameDlg>([&](CGroupNameDlg* dlg) {
            retype(dlg->name_edit(), QStringLiteral("Other"));
            QTest::keyClick(dlg->name_edit(), Qt::Key_Escape);
            QVERIFY(!dlg->isVisible());
        });
        press(page, "Rename");
        play<CGroupNameDlg>([&](CGroupNameDlg* dlg) {
            retype(dlg->name_edit(), QStringLiteral("Other"));
            QTest::mouseClick(dlg->cancel_button(), Qt::LeftButton);
        });
        press(page, "Rename");
        QCOMPARE(page->group_combo()->currentText(), QStringLiteral("News"));
        QVERIFY(unchanged());
        QVERIFY(m_prompts->shown.empty());
    }
};

KD_QT_TEST_CLASS(FavoritePageTest)
#include "favorite_page_test.moc"
