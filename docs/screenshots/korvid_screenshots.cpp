// Takes the screenshots of docs/screenshots: Korvid in both modes, an open menu, the About box,
// the downloader page half-way through a code file and the DB Transfer dialog half-way through the
// database, each against receiver-sim on a pseudo-terminal. Run under xvfb-run (see make.sh there).
#include "common/testing/receiver_sim_process.h"
#include "common/testing/screen_shots.h"
#include "common/testing/scripted_prompts.h"
#include "korvid/app/about_dlg.h"
#include "korvid/app/main_frame.h"
#include "korvid/app/my_menu.h"
#include "korvid/database/codes.h"
#include "korvid/database/ird_file.h"
#include "korvid/database/korvid_doc.h"
#include "korvid/database/tests/test_database.h"
#include "korvid/editor/ui/db_view.h"
#include "korvid/link/com_port.h"
#include "korvid/link/ui/db_transfer_dlg.h"
#include "korvid/link/ui/korvid_view.h"
#include "korvid/ui/percent_progress.h"
#include "korvid/ui/skin.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QScreen>
#include <QThread>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

using namespace korvid;
using namespace common::testing;

namespace {

void click(QWidget* w, QPoint at)
{
    QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, {});
    QApplication::sendEvent(w, &release);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    app.setFont(skin::app_font());
    if (argc > 1)
        shot_folder() = QString::fromLocal8Bit(argv[1]);
    const std::string tmp = (QDir::tempPath() + QStringLiteral("/korvid-demo")).toStdString();
    std::filesystem::create_directories(tmp);

    auto db = korvid::testing::small_database();
    korvid::testing::use_channel(*db, 0, "Das Erste HD");
    korvid::testing::use_channel(*db, 1, "ZDF HD");
    const std::string ird = tmp + "/sample.ird";
    write_database_file(*db, 0xFFFF, 0xFFFF, ird);
    db->clear();

    common::ScriptedPrompts prompts;
    CKorvidDoc doc(*db, prompts);
    CMainFrame frame(*db, doc, prompts);
    frame.set_editor_view_factory(korvid::make_editor_view_factory(doc, prompts));
    frame.move(60, 60);
    frame.show();

    // A code file of 160 KiB.
    const std::string code = tmp + "/receiver_main_v2_3.mem";
    {
        std::mt19937 rng(7);
        std::string bytes(160 * 1024, '\0');
        for (auto& c : bytes)
            c = char(rng());
        for (int i : {30, 31, 34, 35})
            bytes[size_t(i)] = '\xFF';
        std::ofstream(code, std::ios::binary) << bytes;
    }

    // 1. downloader page, file chosen
    frame.take_code_file(code);
    shot("downloader.png", around(&frame));

    // 2. mid-download, on a receiver paced like a real line
    {
        common::testing::SimProcess sim(
            {"--exchange", "software", "--out", tmp + "/code.bin", "--baud", "115200"},
            tmp + "/sim-software.log");
        ::setenv("KORVID_SERIAL_PORTS", sim.path().c_str(), 1);
        CKorvidView* view = frame.downloader_view();
        view->on_download();
        wait_until([&] { return view->progress()->GetPos() >= 42; }, 60000);
        shot("downloader-mid-download.png", around(&frame));
        view->on_stop();
    }

    // 3. the editor, with the sample opened
    frame.goto_editor();
    doc.open_by_name(ird);
    doc.set_file_name(ird);
    db->present = true;
    frame.update();
    shot("editor.png", around(&frame));

    // 4. an open menu
    click(&frame, frame.menu_label_rect(0).center());
    wait_until([&] { return frame.file_menu()->isVisible(); }, 2000);
    {
        QRect r = around(&frame).united(frame.file_menu()->frameGeometry());
        // the second item highlighted, as under the pointer
        const QList<QAction*> acts = frame.file_menu()->actions();
        frame.file_menu()->setActiveAction(acts.value(1));
        shot("menu-file.png", r);
    }
    frame.file_menu()->hide();

    // 4b. the top band of the full-screen layout, with its small logo
    frame.toggle_full_screen();
    shot("editor-full-screen-top.png", QRect(frame.mapToGlobal(QPoint(0, 0)), QSize(360, 103)));
    frame.toggle_full_screen();

    // 5. the About box
    {
        CAboutDlg about(&frame);
        about.move(frame.geometry().center() - QPoint(245, 96));
        about.show();
        shot("about.png", around(&about));
    }

    // 6. DB Transfer, half-way through the database
    {
        common::testing::SimProcess sim(
            {"--exchange", "db-to-receiver", "--out", tmp + "/db.img", "--baud", "460800"},
            tmp + "/sim-db.log");
        ::setenv("KORVID_SERIAL_PORTS", sim.path().c_str(), 1);
        DbTransfer transfer(doc, prompts);
        prompts.answers.push_back(common::Answer::Yes); // the demo tables fail the check: sent anyway
        if (transfer.prepare_send([] { return true; })) {
            CDBTransferDlg dlg(transfer, prompts, &frame);
            dlg.move(frame.geometry().center() - QPoint(245, 96));
            dlg.show();
            wait_until([&] { return dlg.progress()->GetPos() >= 37; }, 60000);
            shot("db-transfer.png", around(&dlg));
            dlg.on_cancel();
            transfer.finish();
        }
    }
    std::filesystem::remove_all(tmp);
    return 0;
}
