#include "korvid/app/tests/tv_pages_screenshots.h"

#include "korvid/app/main_frame.h"
#include "korvid/database/database.h"
#include "korvid/editor/channel_dialog.h"
#include "korvid/editor/ui/channel_dlg.h"
#include "korvid/editor/ui/channel_page_wnd.h"
#include "korvid/editor/ui/db_view.h"
#include "korvid/editor/ui/editor_list.h"
#include "korvid/editor/ui/group_check_combo_box.h"
#include "korvid/frame/frame_commands.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QMouseEvent>

namespace korvid {

namespace {

void click_row(CEditorList* list, int row)
{
    const QPoint at = list->visualRect(list->model()->index(row, 1)).center();
    QWidget* w = list->viewport();
    QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, {});
    QApplication::sendEvent(w, &release);
}

// The first TV channel in two favourite groups, else in one, else the first channel.
int channel_with_groups(const Database& db)
{
    int best = 0, best_groups = 0;
    for (int c = 0; c < db.system.chan_count[SERVICE_TV]; ++c) {
        const int groups = __builtin_popcount(db.channels[c].fav_membership & CH_FAV_GROUP_MASK);
        if (groups > best_groups) {
            best = c;
            best_groups = groups;
        }
        if (best_groups >= 2)
            break;
    }
    return best;
}

} // namespace

bool take_tv_pages_screenshots(CMainFrame& frame,
                               CDBView& view,
                               Database& db,
                               common::Prompts& prompts,
                               const std::function<bool(const char*, QRect)>& shot)
{
    bool ok = true;
    // Every channel, whatever the satellite pages picked before.
    frame.on_command(ID_SHOW_ALL_DB);
    view.select_tab(EditorView::TAB_TV);
    auto* tv = qobject_cast<CChannelPageWnd*>(view.page_window(EditorView::TAB_TV));
    if (!tv)
        return false;
    click_row(tv->list(), channel_with_groups(db));
    ok &= shot("editor-tv.png", frame.frameGeometry());

    view.select_tab(EditorView::TAB_RADIO);
    auto* radio = qobject_cast<CChannelPageWnd*>(view.page_window(EditorView::TAB_RADIO));
    if (!radio)
        return false;
    click_row(radio->list(), 0);
    ok &= shot("editor-radio.png", frame.frameGeometry());

    // The dialog as Edit opens it on a channel in favourite groups; then with its group box open.
    ChannelDialog model(db, ChannelDialog::EDIT, channel_with_groups(db), view.selection().current_sat,
                        prompts);
    CChannelDlg dlg(model, &frame);
    dlg.show();
    dlg.adjustSize();
    dlg.move(frame.geometry().center() - QPoint(dlg.width() / 2, dlg.height() / 2));
    ok &= shot("channel-dialog.png", dlg.frameGeometry());
    dlg.group_combo()->showPopup();
    const QWidget* popup = dlg.group_combo()->view()->window();
    ok &= shot("channel-dialog-groups.png", dlg.frameGeometry().united(popup->frameGeometry()));
    dlg.group_combo()->hidePopup();
    return ok;
}

} // namespace korvid
