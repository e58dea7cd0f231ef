// Takes the editor's screenshots of docs/screenshots on the sample database: every page ("SAT",
// "SEARCHED SAT", "TP", "TV", "RADIO", "Favorite") with a row picked, and every dialog ("Satellite",
// "Transponder", the channel dialog closed and with its group box open, "Favorite", "Rename",
// "Update Transponders" on the second satellite from its installed scan table, the summary of
// "Order Like..."), and the window made larger.
// Run under xvfb-run with a window manager (make.sh).
// Usage: korvid_editor_screenshots <output folder> <sample.ird>
#include "common/testing/screen_shots.h"
#include "common/testing/scripted_prompts.h"
#include "korvid/app/main_frame.h"
#include "korvid/database/korvid_doc.h"
#include "korvid/editor/channel_dialog.h"
#include "korvid/editor/editor_operations.h"
#include "korvid/editor/favorite_dialog.h"
#include "korvid/editor/group_name_dialog.h"
#include "korvid/editor/order_like_dialog.h"
#include "korvid/editor/satellite_dialog.h"
#include "korvid/editor/transponder_dialog.h"
#include "korvid/editor/transponder_update_dialog.h"
#include "korvid/editor/ui/channel_dlg.h"
#include "korvid/editor/ui/channel_page_wnd.h"
#include "korvid/editor/ui/db_view.h"
#include "korvid/editor/ui/editor_list.h"
#include "korvid/editor/ui/favorite_dlg.h"
#include "korvid/editor/ui/favorite_page_wnd.h"
#include "korvid/editor/ui/group_check_combo_box.h"
#include "korvid/editor/ui/group_name_dlg.h"
#include "korvid/editor/ui/list_filter_edit.h"
#include "korvid/editor/ui/order_like_dlg.h"
#include "korvid/editor/ui/satellite_dlg.h"
#include "korvid/editor/ui/satellite_page_wnd.h"
#include "korvid/editor/ui/transponder_dlg.h"
#include "korvid/editor/ui/transponder_page_wnd.h"
#include "korvid/editor/ui/transponder_update_dlg.h"
#include "korvid/frame/frame_commands.h"
#include "korvid/ui/skin.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QMouseEvent>
#include <QTreeWidget>
#include <cstdio>
#include <memory>

using namespace korvid;
using namespace common::testing;

namespace {

void click_row(CEditorList* list, int row)
{
    QWidget* w = list->viewport();
    const QPoint at = list->visualRect(list->model()->index(row, 1)).center();
    QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, {});
    QApplication::sendEvent(w, &release);
}

// The page of `tab`, selected as the user selects it.
template <class Wnd> Wnd* show_page(CDBView& view, int tab)
{
    view.select_tab(tab);
    return qobject_cast<Wnd*>(view.page_window(tab));
}

// A dialog shown over the middle of the main frame, shot with its title bar.
bool shot_dialog(const char* name, QDialog& dlg, const QWidget& frame)
{
    dlg.show();
    dlg.adjustSize();
    dlg.move(frame.geometry().center() - QPoint(dlg.width() / 2, dlg.height() / 2));
    // The window manager frames and may place the window again: take the place it ends up in.
    decorated(&dlg, 0);
    settle();
    return shot(name, around(&dlg));
}

// The first TV channel in two favourite groups, else in one, else the first channel.
int channel_with_groups(const Database& db)
{
    int best = 0, best_groups = 0;
    for (int c = 0; c < db.system.chan_count[SERVICE_TV] && best_groups < 2; ++c) {
        const int groups = __builtin_popcount(db.channels[c].fav_membership & CH_FAV_GROUP_MASK);
        if (groups > best_groups) {
            best = c;
            best_groups = groups;
        }
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    app.setFont(skin::app_font());
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <output folder> <sample.ird>\n", argv[0]);
        return 2;
    }
    shot_folder() = QString::fromLocal8Bit(argv[1]);

    auto db = std::make_unique<Database>();
    common::ScriptedPrompts prompts;
    CKorvidDoc doc(*db, prompts);
    CMainFrame frame(*db, doc, prompts);
    frame.set_editor_view_factory(make_editor_view_factory(doc, prompts));
    frame.move(60, 60);
    frame.show();
    frame.goto_editor();
    doc.open_by_name(argv[2]);
    if (!db->present) {
        std::fprintf(stderr, "cannot open %s\n", argv[2]);
        return 1;
    }
    auto* view = dynamic_cast<CDBView*>(frame.view());
    if (!view)
        return 1;
    const QRect main_window = decorated(&frame, 0);
    bool ok = true;

    // "SAT" with the third satellite picked, then "SEARCHED SAT".
    auto* sat = show_page<CSatellitePageWnd>(*view, EditorView::TAB_SAT);
    click_row(sat->list(), 2);
    ok &= shot("editor-sat.png", main_window);
    auto* searched = show_page<CSatellitePageWnd>(*view, EditorView::TAB_SEARCHED_SAT);
    click_row(searched->list(), 0);
    ok &= shot("editor-searched-sat.png", main_window);
    {
        SatelliteDialog model(db->satellites[0], satellite_name(*db, 0), prompts);
        CSatelliteDlg dlg(model, &frame);
        ok &= shot_dialog("satellite-dialog.png", dlg, frame);
    }

    // "TP" on the second satellite with its second transponder picked; the "Transponder" dialog as
    // Add opens it there, its first transponder copied as a starting point.
    auto* tp = show_page<CTransponderPageWnd>(*view, EditorView::TAB_TP);
    view->model().transponder_page().choose_db(2);
    tp->sync();
    click_row(tp->list(), 1);
    ok &= shot("editor-tp.png", main_window);
    {
        tTransponder working{};
        working.sat_id = INVALID_SATID;
        TransponderDialog model(*db, TransponderDialog::ADD, working, view->selection().current_sat, prompts);
        model.click_existing_row(0);
        CTransponderDlg dlg(model, &frame);
        dlg.sync();
        ok &= shot_dialog("transponder-dialog.png", dlg, frame);
    }

    // "Update Transponders" for the second satellite, from the scan table installed for its position.
    {
        const int slot = 1;
        const std::string path = find_scan_table(DEFAULT_SCAN_TABLE_FOLDER, db->satellites[slot].position);
        TransponderList list;
        std::string error;
        const int source =
            path.empty() || !read_transponder_list(path, list, error)
                ? -1
                : choose_source_satellite(list, db->satellites[slot].position, satellite_name(*db, slot));
        if (source < 0) {
            std::fprintf(stderr, "no scan table for %s in %s %s\n", satellite_name(*db, slot).c_str(),
                         DEFAULT_SCAN_TABLE_FOLDER, error.c_str());
            ok = false;
        } else {
            TransponderUpdateDialog model(
                plan_transponder_update(*db, slot, list.satellites[size_t(source)]));
            CTransponderUpdateDlg dlg(model, &frame);
            // The end of the list: the last additions, the change and the removal.
            QTreeWidget* changes = dlg.changes();
            changes->setCurrentItem(changes->topLevelItem(changes->topLevelItemCount() - 1));
            ok &= shot_dialog("update-transponders.png", dlg, frame);
        }
    }

    // "TV" and "RADIO" over every channel; the channel dialog as Edit opens it on a channel in
    // favourite groups, then with its group box open.
    frame.on_command(ID_SHOW_ALL_DB);
    auto* tv = show_page<CChannelPageWnd>(*view, EditorView::TAB_TV);
    click_row(tv->list(), channel_with_groups(*db));
    ok &= shot("editor-tv.png", main_window);
    auto* radio = show_page<CChannelPageWnd>(*view, EditorView::TAB_RADIO);
    click_row(radio->list(), 0);
    ok &= shot("editor-radio.png", main_window);
    {
        ChannelDialog model(*db, ChannelDialog::EDIT, channel_with_groups(*db), view->selection().current_sat,
                            prompts);
        CChannelDlg dlg(model, &frame);
        ok &= shot_dialog("channel-dialog.png", dlg, frame);
        dlg.group_combo()->showPopup();
        const QWidget* popup = dlg.group_combo()->view()->window();
        ok &= shot("channel-dialog-groups.png", around(&dlg).united(popup->frameGeometry()));
        dlg.group_combo()->hidePopup();
    }

    // "Favorite" on the first group's TV list, a row picked; its dialog with a channel picked and a
    // drag over row 2 showing the drop place; "Rename" on the first group.
    auto* fav = show_page<CFavoritePageWnd>(*view, EditorView::TAB_FAVORITE);
    click_row(fav->list(), 1);
    ok &= shot("editor-favorite.png", main_window);
    {
        FavoriteDialog model(*db, 0, SERVICE_TV, prompts);
        model.click_channel_row(3);
        model.drag_over_favorites(2);
        CFavoriteDlg dlg(model, &frame);
        dlg.sync();
        ok &= shot_dialog("favorite-dialog.png", dlg, frame);
    }
    {
        GroupNameDialog model(*db, 0, prompts);
        CGroupNameDlg dlg(model, &frame);
        ok &= shot_dialog("favorite-rename.png", dlg, frame);
    }

    // "Order Like..." against a list that holds the sample's TV channels the other way round, one of
    // them with other PIDs, one on another transponder and two missing, so that every line of the
    // summary shows.
    {
        std::vector<uint8_t> image(DB_IMAGE_SIZE, 0);
        db->pack_image(image.data());
        Database reference;
        reference.unpack_image(image.data());
        std::vector<int> order(reference.system.chan_count[SERVICE_TV]);
        for (size_t k = 0; k < order.size(); ++k)
            order[k] = int(order.size() - 1 - k);
        reference.reorder_channels(SERVICE_TV, order);
        reference.channels[0].service_id = uint16_t(reference.channels[0].service_id + 1000);
        reference.channels[1].tp_index = reference.channels[int(order.size()) - 1].tp_index;
        reference.delete_channel(2);
        reference.delete_channel(3);
        reference.compact_channels();
        reference.compact_favourite_lists();
        const OrderLikePlan plan = plan_order_like(*db, reference);
        OrderLikeDialog model("/home/user/lists/my-order.ird", plan);
        COrderLikeDlg dlg(model, &frame);
        ok &= shot_dialog("order-like.png", dlg, frame);
    }

    // "TV" over every channel, narrowed by its filter box.
    tv = show_page<CChannelPageWnd>(*view, EditorView::TAB_TV);
    tv->list()->filter_edit()->setFocus();
    tv->list()->filter_edit()->setText(QStringLiteral("hd"));
    ok &= shot("editor-filter.png", main_window);
    tv->list()->filter_edit()->clear();

    // The window made larger by its corner: "TV" over every channel, the list grown with it.
    frame.resize(1100, 800);
    wait_until([&frame] { return frame.size() == QSize(1100, 800); }, 2000);
    tv->setFocus();
    click_row(tv->list(), channel_with_groups(*db));
    ok &= shot("editor-resized.png", decorated(&frame, 0));
    return ok ? 0 : 1;
}
