// Takes the editor's screenshots of docs/screenshots: the sample database on "SAT" and on
// "SEARCHED SAT", and the "Satellite" dialog on the first satellite. Run under xvfb-run (make.sh).
// Usage: korvid_editor_screenshots <output folder> <sample.ird>
#include "common/scripted_prompts.h"
#include "korvid/app/main_frame.h"
#include "korvid/app/tests/tv_pages_screenshots.h"
#include "korvid/database/korvid_doc.h"
#include "korvid/editor/editor_operations.h"
#include "korvid/editor/satellite_dialog.h"
#include "korvid/editor/ui/db_view.h"
#include "korvid/editor/ui/editor_list.h"
#include "korvid/editor/ui/satellite_dlg.h"
#include "korvid/editor/ui/satellite_page_wnd.h"
#include "korvid/ui/skin.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QScreen>
#include <QTabBar>
#include <QThread>
#include <cstdio>
#include <memory>

using namespace korvid;

namespace {

QString g_out;

void settle()
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 300) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
}

bool shot(const char* name, QRect area)
{
    settle();
    QPixmap pm =
        QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    const QString file = g_out + QLatin1Char('/') + QLatin1String(name);
    const bool ok = pm.save(file);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(file));
    return ok;
}

void click(QWidget* w, QPoint at)
{
    QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, {});
    QApplication::sendEvent(w, &release);
}

void click_row(CEditorList* list, int row)
{
    click(list->viewport(), list->visualRect(list->model()->index(row, 1)).center());
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
    g_out = QString::fromLocal8Bit(argv[1]);

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
    bool ok = true;

    // 1. "SAT" with the third satellite picked
    auto* sat = qobject_cast<CSatellitePageWnd*>(view->page_window(EditorView::TAB_SAT));
    click_row(sat->list(), 2);
    ok &= shot("editor-sat.png", frame.frameGeometry());

    // 2. "SEARCHED SAT"
    view->select_tab(EditorView::TAB_SEARCHED_SAT);
    auto* searched = qobject_cast<CSatellitePageWnd*>(view->page_window(EditorView::TAB_SEARCHED_SAT));
    click_row(searched->list(), 0);
    ok &= shot("editor-searched-sat.png", frame.frameGeometry());

    // 3. the "Satellite" dialog on the first satellite, as Edit opens it
    {
        SatelliteDialog model(db->satellites[0], satellite_name(*db, 0), prompts);
        CSatelliteDlg dlg(model, &frame);
        dlg.show();
        dlg.adjustSize();
        dlg.move(frame.geometry().center() - QPoint(dlg.width() / 2, dlg.height() / 2));
        ok &= shot("satellite-dialog.png", dlg.frameGeometry());
    }
    ok &= take_tv_pages_screenshots(frame, *view, *db, prompts, shot);
    return ok ? 0 : 1;
}
