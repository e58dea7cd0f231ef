// Takes the storage manager's screenshots for docs/screenshots: the window with a folder picked in
// each half, the progress dialog half-way through a copy, the rows' context menu, the questions
// before a replace and a delete, the Delete dialog, "Input Name" and the About box. Run under xvfb-run
// (docs/screenshots/make.sh).
#include "common/qt/qt_prompts.h"
#include "common/testing/screen_shots.h"
#include "dranfel/storage/tests/recording_fixture.h"
#include "dranfel/storage/ui/about_dlg.h"
#include "dranfel/storage/ui/delete_dlg.h"
#include "dranfel/storage/ui/file_view.h"
#include "dranfel/storage/ui/folder_view.h"
#include "dranfel/storage/ui/input_name_dlg.h"
#include "dranfel/storage/ui/main_frame.h"
#include "dranfel/storage/ui/progress_dlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>
#include <filesystem>
#include <semaphore>

using namespace dranfel;
using namespace common::testing;

namespace {

// The window's real questions, each pictured as it shows and then answered by its first button
// (Yes, Replace): the run goes on as a user's would.
class ShotPrompts : public common::QtPrompts
{
public:
    using common::QtPrompts::QtPrompts;
    bool ask_yes_no_default_no(const std::string& text) override
    {
        answer_after_shot("dranfel-delete-question.png", QStringLiteral("&Yes"));
        return common::QtPrompts::ask_yes_no_default_no(text);
    }
    int
    ask_choice(const std::string& text, const std::vector<std::string>& buttons, int default_button) override
    {
        answer_after_shot("dranfel-replace-question.png", QStringLiteral("&Replace"));
        return common::QtPrompts::ask_choice(text, buttons, default_button);
    }

private:
    static void answer_after_shot(const char* name, const QString& button)
    {
        QTimer::singleShot(500, [name, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            shot(name, decorated(box, 4));
            for (QAbstractButton* b : box->buttons())
                if (b->text() == button)
                    b->click();
        });
    }
};

void select(CFileView* list, const QStringList& names)
{
    list->list()->clearSelection();
    for (int r = 0; r < list->row_count(); ++r)
        if (names.contains(list->text(r, 0)))
            list->list()->topLevelItem(r)->setSelected(true);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc > 1)
        shot_folder() = QString::fromLocal8Bit(argv[1]);
    const std::string root = "/tmp/dranfel-shots";
    std::filesystem::remove_all(root);
    const std::string pc = root + "/Recordings", usb = root + "/USB/REC";
    std::filesystem::create_directories(pc);
    std::filesystem::create_directories(usb);
    using storage_test::make_recording;
    const size_t mb = 1 << 20;
    make_recording(usb, "Evening News", {6 * mb, 6 * mb, 3 * mb}, "200603012015");
    make_recording(usb, "Cup Final", {8 * mb, 8 * mb, 8 * mb, 2 * mb}, "200605202000");
    make_recording(usb, "Wildlife", {5 * mb, 4 * mb}, "200604111230");
    make_recording(usb, "Film Night", {7 * mb, 7 * mb}, "200604152130", 2);
    storage_test::write_file(usb + "/theme.mp3", storage_test::pattern(3 * mb + 12345, 9));
    storage_test::write_file(usb + "/receiver.mem", storage_test::pattern(900000, 8));
    make_recording(pc, "Weather", {2 * mb}, "200602280655");

    ShotPrompts prompts(nullptr, QStringLiteral("Dranfel"));
    CMainFrame frame(prompts);
    prompts.set_parent(&frame);
    frame.resize(1100, 720);
    frame.move(60, 40);
    frame.show();
    settle(500);
    frame.tree(Half::Top)->rebuild(usb);
    frame.tree(Half::Bottom)->rebuild(pc);
    settle(300);
    select(frame.list(Half::Top), {"Evening News", "Cup Final", "Wildlife"});
    frame.list(Half::Top)->list()->setFocus();
    frame.update_commands();
    shot("dranfel-window.png", decorated(&frame, 0));

    bool taken = false;
    bool held = false; // the worker's own
    std::binary_semaphore go_on{0};
    QObject::connect(&frame, &CMainFrame::dialog_opened, [&](QDialog* d) {
        if (auto* p = qobject_cast<CProgressDlg*>(d)) {
            // Half-way through the second recording the worker waits while the picture is taken.
            p->set_report_hook([&](const ProgressReport& r) {
                if (!held && r.index == 2 && r.code == PROGRESS_FILE_STEP && r.position >= 45) {
                    held = true;
                    go_on.acquire();
                }
            });
            QObject::connect(p, &CProgressDlg::report_shown, p, [&, p](int index, int code) {
                if (!taken && index == 2 && code == PROGRESS_FILE_STEP && p->current_bar()->value() >= 45 &&
                    p->isVisible() && p->width() > 100) {
                    taken = true;
                    settle(1200); // the speed and time left appear after half a second
                    shot("dranfel-progress.png", p->geometry().adjusted(-4, -4, 4, 4));
                    go_on.release();
                }
            });
        } else if (auto* del = qobject_cast<CDeleteDlg*>(d)) {
            bool first = true;
            del->on_file = [del, first](const std::string&) mutable {
                if (first)
                    shot("dranfel-delete.png", del->geometry().adjusted(-4, -4, 4, 4));
                first = false;
            };
        } else if (auto* in = qobject_cast<CInputNameDlg*>(d)) {
            in->name_edit()->setText(QStringLiteral("Holiday 2006"));
            QTimer::singleShot(400, in, [in] {
                shot("dranfel-input-name.png", decorated(in, 4));
                in->cancel_button()->click();
            });
        } else if (auto* about = qobject_cast<CAboutDlg*>(d)) {
            QTimer::singleShot(400, about, [about] {
                shot("dranfel-about.png", decorated(about, 4));
                about->ok_button()->click();
            });
        }
    });
    frame.on_command(ID_COPY_TOP_TO_BOTTOM);
    settle(300);
    // The context menu of the rows, as a right click opens it.
    select(frame.list(Half::Top), {"Evening News"});
    {
        QMenu* menu = frame.context_menu(Half::Top, true);
        QTreeWidget* rows = frame.list(Half::Top)->list();
        menu->popup(
            rows->viewport()->mapToGlobal(rows->visualItemRect(rows->selectedItems().first()).center()));
        settle(400);
        shot("dranfel-context-menu.png", decorated(&frame, 0).united(menu->geometry()));
        menu->close();
        delete menu;
        QMenu* folders = frame.context_menu(Half::Bottom, false);
        QTreeWidget* tree = frame.tree(Half::Bottom)->tree();
        folders->popup(tree->viewport()->mapToGlobal(tree->visualItemRect(tree->currentItem()).center()));
        settle(400);
        shot("dranfel-folder-menu.png", decorated(&frame, 0).united(folders->geometry()));
        folders->close();
        delete folders;
    }
    // Copying the same recording again asks before it replaces it.
    select(frame.list(Half::Top), {"Wildlife"});
    frame.on_command(ID_COPY_TOP_TO_BOTTOM);
    settle(300);
    select(frame.list(Half::Bottom), {"Wildlife"});
    frame.list(Half::Bottom)->list()->setFocus();
    frame.on_command(ID_DELETE);
    frame.tree(Half::Bottom)->tree()->setFocus();
    frame.on_command(ID_NEW_FOLDER);
    frame.on_command(ID_APP_ABOUT);
    std::filesystem::remove_all(root);
    return taken ? 0 : 1;
}
