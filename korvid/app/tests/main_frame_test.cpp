// The main window: start-up look, the two modes and their menus, dropped files, the command
// buttons, the port dialog, the About box and closing with unsaved changes.
#include "common/qt/qt_prompts.h"
#include "common/testing/qt_test_main.h"
#include "common/testing/scripted_prompts.h"
#include "korvid/app/about_dlg.h"
#include "korvid/app/check_database_dlg.h"
#include "korvid/app/frame_skin.h"
#include "korvid/app/main_frame.h"
#include "korvid/app/my_menu.h"
#include "korvid/database/codes.h"
#include "korvid/database/ird_file.h"
#include "korvid/database/korvid_doc.h"
#include "korvid/database/tests/test_database.h"
#include "korvid/link/com_port.h"
#include "korvid/link/ui/korvid_view.h"
#include "korvid/link/ui/select_port_dlg.h"
#include "korvid/ui/bitmap_button.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <fstream>

using namespace korvid;

namespace {

using Texts = std::vector<std::string>;

struct MenuState
{
    Texts file, config, help;
    std::vector<std::pair<uint32_t, uint32_t>> records; // id, flags of every record in order
    bool operator==(const MenuState&) const = default;
};

MenuState menus(const CMainFrame& f)
{
    MenuState m{f.file_menu()->item_texts(), f.config_menu()->item_texts(), f.help_menu()->item_texts(), {}};
    for (CMyMenu* menu : {f.file_menu(), f.config_menu(), f.help_menu()})
        for (const auto& r : menu->records())
            m.records.push_back({r->id, r->flags});
    return m;
}

// A stand-in for the editor view: it takes Show All DB Data and counts its refreshes.
class FakeEditorView : public QWidget, public FrameView
{
public:
    using QWidget::QWidget;
    std::vector<uint32_t> commands;
    int refreshes = 0;
    bool on_frame_command(uint32_t id) override
    {
        if (id != ID_SHOW_ALL_DB)
            return false;
        commands.push_back(id);
        return true;
    }
    void refresh() override { ++refreshes; }
};

// A view that takes the pointer's moves for itself, as the editor's lists do: the frame does not
// hear of a pointer that goes from a button straight into it.
class TrackingView : public QWidget, public FrameView
{
public:
    explicit TrackingView(QWidget* parent)
        : QWidget(parent)
    {
        setMouseTracking(true);
    }

protected:
    void mouseMoveEvent(QMouseEvent* e) override { e->accept(); }
};

// Receives what the desktop would open in a browser.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

} // namespace

class MainFrameTest : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;
    std::unique_ptr<common::ScriptedPrompts> m_prompts;
    std::unique_ptr<CKorvidDoc> m_doc;
    std::unique_ptr<CMainFrame> m_frame;

    std::string path(const char* name)
    {
        return (m_dir.path() + QLatin1Char('/') + QLatin1String(name)).toStdString();
    }
    void touch(const std::string& p, size_t size)
    {
        std::ofstream f(p, std::ios::binary);
        f << std::string(size, '\x11');
    }
    // The frame's database becomes the small sound one of the tests, as if a file had been opened.
    void load_sound_database()
    {
        std::vector<uint8_t> image(DB_IMAGE_SIZE, 0);
        korvid::testing::sound_database()->pack_image(image.data());
        m_db->unpack_image(image.data());
        m_db->present = true;
    }
    void click_button(int index)
    {
        QTest::mouseClick(m_frame.get(), Qt::LeftButton, {}, m_frame->command_button_rect(index).center());
        QCoreApplication::processEvents(); // the click posts its command
    }

private slots:
    void initTestCase()
    {
        // What the window keeps for the next run goes to a folder of the test's own.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           m_dir.path() + QStringLiteral("/settings"));
    }

    void init()
    {
        reset_codes();
        g_Downloading = false;
        g_ComPort = 1;
        m_db = std::make_unique<Database>();
        m_prompts = std::make_unique<common::ScriptedPrompts>();
        m_doc = std::make_unique<CKorvidDoc>(*m_db, *m_prompts);
        m_frame = std::make_unique<CMainFrame>(*m_db, *m_doc, *m_prompts);
        m_frame->show();
    }
    void cleanup()
    {
        m_frame.reset();
        m_doc.reset();
        g_Downloading = false;
    }

    void starts_as_the_downloader_with_its_menus_and_buttons()
    {
        QCOMPARE(m_frame->size(), QSize(444, 390));
        QCOMPARE(m_frame->mode(), MODE_DOWNLOADER);
        QCOMPARE(m_frame->layout_kind(), LAYOUT_DOWNLOADER);
        QCOMPARE(m_frame->file_menu()->item_texts(), (Texts{"Open", "---", "Exit"}));
        QCOMPARE(m_frame->config_menu()->item_texts(), (Texts{"Serial Port"}));
        QCOMPARE(m_frame->help_menu()->item_texts(), (Texts{"About Korvid...", "---", "User Instruction"}));
        for (int i = 0; i < BUTTON_COUNT; ++i)
            QCOMPARE(!m_frame->command_button_rect(i).isEmpty(), i == 0 || i == 3);
        QCOMPARE(m_frame->command_button_rect(3), QRect(22 + 52, 74, 52, 27));
        QCOMPARE(m_frame->client_rect(), QRect(7, 103, 424, 237));
        QVERIFY(m_frame->downloader_view());
        QCOMPARE(m_frame->view()->geometry(), m_frame->client_rect());
        for (const auto& r : m_frame->file_menu()->records())
            QVERIFY(r->flags & MF_OWNERDRAW);
    }

    void switching_to_the_editor_and_back_restores_the_start_up_menus_exactly()
    {
        const MenuState start = menus(*m_frame);
        QWidget* first_view = m_frame->view();
        QPointer<QWidget> watch(first_view);

        click_button(3); // Goto Database Editor
        QCOMPARE(m_frame->mode(), MODE_EDITOR);
        QCOMPARE(m_frame->size(), QSize(699, 500));
        QVERIFY(watch.isNull()); // the old view is gone
        QCOMPARE(m_frame->file_menu()->item_texts(),
                 (Texts{"Open", "Save", "Save As...", "---", "Undo", "Redo", "---", "Order Like...",
                        "Save Channels...", "---", "Exit"}));
        QCOMPARE(m_frame->config_menu()->item_texts(),
                 (Texts{"Show All DB Data", "Check Database", "---", "Serial Port"}));
        for (int i = 0; i < BUTTON_COUNT; ++i)
            QCOMPARE(!m_frame->command_button_rect(i).isEmpty(), i != 3);
        QCOMPARE(m_frame->client_rect(), QRect(10, 103, 699 - 26, 500 - 167));

        // the same mode again changes nothing
        m_frame->on_command(ID_GOTO_EDITOR);
        QCOMPARE(m_frame->config_menu()->item_texts(),
                 (Texts{"Show All DB Data", "Check Database", "---", "Serial Port"}));

        m_frame->toggle_full_screen();
        QCOMPARE(m_frame->layout_kind(), LAYOUT_FULL);
        QCOMPARE(m_frame->pos(), QPoint(0, 0));
        QVERIFY(m_frame->width() >= 699);
        m_frame->toggle_full_screen();
        QCOMPARE(m_frame->layout_kind(), LAYOUT_EDITOR);
        QCOMPARE(m_frame->size(), QSize(699, 500));

        click_button(2); // Goto Software Downloader
        QCOMPARE(m_frame->mode(), MODE_DOWNLOADER);
        QCOMPARE(m_frame->size(), QSize(444, 390));
        QVERIFY(menus(*m_frame) == start);
        QVERIFY(m_frame->downloader_view());
    }

    void the_editor_view_comes_from_the_factory_and_takes_its_commands()
    {
        std::vector<int> layouts;
        FakeEditorView* made = nullptr;
        m_frame->set_editor_view_factory([&](QWidget* parent, int layout) {
            layouts.push_back(layout);
            made = new FakeEditorView(parent);
            return made;
        });
        m_frame->goto_editor();
        QCOMPARE(m_frame->view(), static_cast<QWidget*>(made));
        m_frame->on_command(ID_SHOW_ALL_DB);
        QCOMPARE(made->commands, std::vector<uint32_t>{ID_SHOW_ALL_DB});
        m_doc->on_new_database();
        QCOMPARE(made->refreshes, 1);
        m_frame->toggle_full_screen();
        QCOMPARE(layouts, (std::vector<int>{LAYOUT_EDITOR, LAYOUT_FULL}));
    }

    void two_dropped_files_open_nothing()
    {
        const std::string a = path("a.mem"), b = path("b.mem");
        touch(a, 64);
        touch(b, 64);
        m_frame->drop_files({a, b});
        QCOMPARE(m_prompts->shown, Texts{"Only one file at a time"});
        QCOMPARE(m_frame->downloader_view()->file_name_text(), QString());
    }

    void a_mem_file_is_taken_at_once_and_another_kind_only_after_yes()
    {
        const std::string mem = path("a.mem"), bin = path("a.bin");
        touch(mem, 100);
        touch(bin, 200);
        m_frame->drop_files({mem});
        QVERIFY(m_prompts->shown.empty());
        QCOMPARE(m_frame->downloader_view()->file_name_text(), QString::fromStdString(mem));

        m_prompts->answers.push_back(common::Answer::No);
        m_frame->drop_files({bin});
        QCOMPARE(m_prompts->shown, Texts{"File Extension is not mem, is it correct file?"});
        QCOMPARE(m_frame->downloader_view()->file_name_text(), QString::fromStdString(mem));

        m_prompts->answers.push_back(common::Answer::Yes);
        m_frame->drop_files({bin});
        QCOMPARE(m_frame->downloader_view()->file_name_text(), QString::fromStdString(bin));

        // the extension is compared without regard to case
        m_prompts->shown.clear();
        const std::string upper = path("B.MEM");
        touch(upper, 50);
        m_frame->drop_files({upper});
        QVERIFY(m_prompts->shown.empty());
    }

    void an_ird_file_dropped_on_the_editor_opens_without_a_save_question()
    {
        auto source = korvid::testing::small_database();
        const std::string ird = path("list.ird");
        QVERIFY(write_database_file(*source, 0x1234, 0x5678, ird));
        m_frame->goto_editor();
        m_doc->set_modified(true);
        m_frame->drop_files({ird});
        QVERIFY(m_prompts->shown.empty());
        QVERIFY(m_db->is_valid());
        QCOMPARE(std::string(m_db->sat_names[0]), std::string("ASTRA 1"));
        QCOMPARE(g_BuyerCode, uint16_t(0x1234));
        QCOMPARE(m_doc->file_name(), std::string()); // a drop does not name the document

        // a .mem file on the editor is asked about
        m_frame->drop_files({path("code.mem")});
        QCOMPARE(m_prompts->shown, Texts{"File Extension is not ird, is it correct file?"});
    }

    void goto_database_editor_does_nothing_while_a_download_runs()
    {
        g_Downloading = true;
        click_button(3);
        QCOMPARE(m_frame->mode(), MODE_DOWNLOADER);
        QVERIFY(m_frame->downloader_view());
        g_Downloading = false;
        click_button(3);
        QCOMPARE(m_frame->mode(), MODE_EDITOR);
    }

    void buttons_show_their_prompt_while_hovered()
    {
        QTest::mouseMove(m_frame.get(), m_frame->command_button_rect(0).center());
        QCOMPARE(m_frame->hovered_button(), 0);
        QCOMPARE(m_frame->status_text(), QStringLiteral("Open an existing document"));
        QTest::mouseMove(m_frame.get(), m_frame->command_button_rect(3).center());
        QCOMPARE(m_frame->status_text(), QStringLiteral("Goto Database Editor"));
        QTest::mouseMove(m_frame.get(), QPoint(200, 30));
        QCOMPARE(m_frame->hovered_button(), -1);
        QCOMPARE(m_frame->status_text(), QStringLiteral("Korvid"));
    }

    void a_menu_label_opens_its_popup_under_it()
    {
        QTest::mouseClick(m_frame.get(), Qt::LeftButton, {}, m_frame->menu_label_rect(1).center());
        QTRY_VERIFY(m_frame->config_menu()->isVisible());
        QVERIFY(m_frame->config_menu()->pos().y() >=
                m_frame->mapToGlobal(m_frame->menu_label_rect(1).bottomLeft()).y());
        m_frame->config_menu()->hide();
    }

    void serial_port_opens_on_the_chosen_entry_and_cancel_keeps_it()
    {
        g_ComPort = 3;
        int shown_index = -1;
        QTimer::singleShot(0, [&] {
            auto* dlg = qobject_cast<CSelectPortDlg*>(QApplication::activeModalWidget());
            QVERIFY(dlg);
            shown_index = dlg->list()->currentIndex();
            dlg->reject();
        });
        m_frame->on_command(ID_SERIAL_PORT);
        QCOMPARE(shown_index, 2);
        QCOMPARE(g_ComPort, 3);
    }

    void the_about_box_is_a_rounded_490_by_192_box_closed_by_ok()
    {
        QSize size;
        QTimer::singleShot(0, [&] {
            auto* dlg = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
            QVERIFY(dlg);
            size = dlg->size();
            QCOMPARE(dlg->ok_button()->geometry(), QRect(384, 126, 80, 34));
            QTest::mouseClick(dlg->ok_button(), Qt::LeftButton);
        });
        m_frame->on_command(ID_APP_ABOUT);
        QCOMPARE(size, QSize(490, 192));
        QCOMPARE(about_version_line(), std::string("Korvid : KVPVR-VER 2.3"));
    }

    void closing_asks_about_unsaved_changes_and_cancel_keeps_the_window()
    {
        m_doc->set_modified(true);
        m_prompts->answers.push_back(common::Answer::Cancel);
        QVERIFY(!m_frame->close());
        QVERIFY(m_frame->isVisible());
        QCOMPARE(m_prompts->shown, Texts{"Save changes to file?"});
        m_prompts->answers.push_back(common::Answer::No);
        m_frame->on_command(ID_APP_EXIT);
        QVERIFY(!m_frame->isVisible());
    }

    void menu_records_keep_append_order_and_removal_takes_the_first_match()
    {
        CMyMenu menu(QStringLiteral("Test"));
        menu.AppendMenu(MF_STRING, 10, "One");
        menu.AppendMenu(MF_SEPARATOR, 0, "");
        menu.AppendMenu(MF_STRING, 11, "A text far longer than the thirty-one characters a record holds");
        menu.AppendMenu(MF_SEPARATOR, 0, "");
        menu.AppendMenu(MF_STRING, 10, "One again");
        QCOMPARE(std::string(menu.records()[2]->text), std::string("A text far longer than the thir"));
        QVERIFY(menu.RemoveMenu(0));
        QVERIFY(menu.RemoveMenu(10));
        QCOMPARE(menu.item_texts(), (Texts{QStringLiteral("A text far longer than the thir").toStdString(),
                                           "---", "One again"}));
        QVERIFY(!menu.RemoveMenu(99));
        QCOMPARE(menu.records().size(), size_t(3));
    }

    void menu_items_are_drawn_in_the_menu_colours()
    {
        CMyMenu menu(QStringLiteral("Test"));
        menu.AppendMenu(MF_STRING, 1, "Open\tCtrl+O");
        menu.AppendMenu(MF_SEPARATOR, 0, "");
        menu.AppendMenu(MF_GRAYED, 2, "Disabled");
        menu.popup(QPoint(10, 10));
        QTRY_VERIFY(menu.isVisible());
        menu.setActiveAction(menu.actions().first());
        const QImage img = menu.grab().toImage().convertToFormat(QImage::Format_RGB32);
        menu.hide();
        // Text is antialiased: its pixels count when they come within `tol` of the colour.
        auto count = [&](QColor c, QRect in, int tol = 0) {
            int n = 0;
            for (int y = in.top(); y <= in.bottom(); ++y)
                for (int x = in.left(); x <= in.right(); ++x) {
                    const QRgb p = img.pixel(x, y);
                    n += std::abs(qRed(p) - c.red()) <= tol && std::abs(qGreen(p) - c.green()) <= tol &&
                         std::abs(qBlue(p) - c.blue()) <= tol;
                }
            return n;
        };
        const QRect open = menu.actionGeometry(menu.actions()[0]);
        const QRect disabled = menu.actionGeometry(menu.actions()[2]);
        QCOMPARE(open.height(), QFontMetrics(menu.font()).height() + 6);
        QVERIFY(count(QColor(107, 162, 214), open) > open.width() * 4); // highlighted fill
        QVERIFY(count(QColor(8, 37, 107), open) >= 2 * open.width());   // its frame
        QVERIFY(count(Qt::white, open, 30) > 10);                       // white text on it
        QVERIFY(count(QColor(130, 140, 190), disabled) > disabled.width() * 4);
        QVERIFY(count(Qt::white, disabled, 30) > 10); // the embossed shadow of disabled text
    }

    void the_top_band_drags_the_window_except_in_full_screen()
    {
        const QPoint start = m_frame->pos();
        const QPoint grab(250, 12); // top band, clear of labels, buttons and caption buttons
        QTest::mousePress(m_frame.get(), Qt::LeftButton, {}, grab);
        QTest::mouseMove(m_frame.get(), grab + QPoint(30, 20));
        QTest::mouseRelease(m_frame.get(), Qt::LeftButton, {}, grab + QPoint(30, 20));
        QCOMPARE(m_frame->pos(), start + QPoint(30, 20));

        m_frame->goto_editor();
        m_frame->toggle_full_screen();
        QCOMPARE(m_frame->pos(), QPoint(0, 0));
        QTest::mousePress(m_frame.get(), Qt::LeftButton, {}, grab);
        QTest::mouseMove(m_frame.get(), grab + QPoint(30, 20));
        QTest::mouseRelease(m_frame.get(), Qt::LeftButton, {}, grab + QPoint(30, 20));
        QCOMPARE(m_frame->pos(), QPoint(0, 0));
    }

    void user_instruction_opens_the_user_guide()
    {
        // Run from the build folder, the program finds the guide the build wrote.
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
        m_frame->on_command(ID_USER_INSTRUCTION);
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(catcher.urls.size(), 1);
        const QString path = catcher.urls.front().toLocalFile();
        QVERIFY2(QFileInfo(path).isFile(), qPrintable(path));
        QVERIFY2(path.endsWith(QStringLiteral("/guide.html")), qPrintable(path));
        QCOMPARE(m_prompts->shown, Texts{});
    }

    void the_close_box_goes_through_the_save_question()
    {
        m_frame->goto_editor();
        m_doc->set_modified(true);
        m_prompts->answers.push_back(common::Answer::Cancel);
        QTest::mouseClick(m_frame.get(), Qt::LeftButton, {}, m_frame->caption_rect(CAPTION_CLOSE).center());
        QVERIFY(m_frame->isVisible());
        QCOMPARE(m_prompts->shown, Texts{"Save changes to file?"});
        m_prompts->answers.push_back(common::Answer::No);
        QTest::mouseClick(m_frame.get(), Qt::LeftButton, {}, m_frame->caption_rect(CAPTION_CLOSE).center());
        QVERIFY(!m_frame->isVisible());
    }

    void the_hover_watch_lets_go_when_the_pointer_leaves_into_the_view_or_the_mode_changes()
    {
        m_frame->set_editor_view_factory([](QWidget* parent, int) { return new TrackingView(parent); });
        m_frame->goto_editor();
        QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
        auto at = [this](QPoint p) { QCursor::setPos(m_frame->mapToGlobal(p)); };

        at(m_frame->command_button_rect(4).center());
        QTRY_COMPARE(m_frame->status_text(), QStringLiteral("Download DB"));
        QVERIFY(m_frame->hover_timer_running());
        at(m_frame->client_rect().center()); // straight into the view
        QTRY_COMPARE(m_frame->status_text(), QStringLiteral("Korvid"));
        QCOMPARE(m_frame->hovered_button(), -1);
        QTRY_VERIFY(!m_frame->hover_timer_running());

        // Goto Software Downloader: the window shrinks and no button is under the pointer any more.
        const QPoint goto_downloader = m_frame->command_button_rect(2).center();
        at(goto_downloader);
        QTRY_COMPARE(m_frame->status_text(), QStringLiteral("Goto Software Downloader"));
        QTest::mouseClick(m_frame.get(), Qt::LeftButton, {}, goto_downloader);
        QTRY_COMPARE(m_frame->mode(), MODE_DOWNLOADER);
        QTRY_COMPARE(m_frame->status_text(), QStringLiteral("Korvid"));
        QCOMPARE(m_frame->hovered_button(), -1);
    }

    void the_full_screen_logo_holds_the_whole_name()
    {
        const QRect text = frame_skin::small_logo_text_rect();
        QVERIFY(QRect(0, 0, 62, 18).contains(text));
        QVERIFY(text.left() >= 16); // right of the emblem
        QVERIFY(QFontMetrics(frame_skin::small_logo_font()).horizontalAdvance(QStringLiteral("Korvid")) <=
                text.width());
        QCOMPARE(frame_skin::small_logo().size(), QSize(62, 18));
    }

    void enter_presses_ok_in_the_about_box_and_the_port_dialog()
    {
        CAboutDlg about(m_frame.get());
        about.show();
        QTest::keyClick(&about, Qt::Key_Return);
        QCOMPARE(about.result(), int(QDialog::Accepted));
        QVERIFY(!about.isVisible());

        bool accepted = false;
        QTimer::singleShot(0, [&accepted] {
            auto* dlg = qobject_cast<CSelectPortDlg*>(QApplication::activeModalWidget());
            QVERIFY(dlg);
            QTest::keyClick(dlg->list(), Qt::Key_Return);
            accepted = !dlg->isVisible() && dlg->result() == QDialog::Accepted;
            if (dlg->isVisible())
                dlg->reject(); // Enter did nothing: end the dialog so that the test can fail
        });
        m_frame->on_command(ID_SERIAL_PORT);
        QVERIFY(accepted);
        // The choice is kept for the next run.
        QCOMPARE(CSelectPortDlg::remembered_port(), g_ComPort);
    }

    void menus_open_from_the_keyboard_and_show_their_shortcuts()
    {
        QVERIFY(QTest::qWaitForWindowActive(m_frame.get()));
        m_frame->goto_editor();
        QCOMPARE(std::string(m_frame->file_menu()->records()[0]->text), std::string("Open\tCtrl+O"));
        QCOMPARE(std::string(m_frame->file_menu()->records()[1]->text), std::string("Save\tCtrl+S"));
        QCOMPARE(std::string(m_frame->file_menu()->records()[2]->text),
                 std::string("Save As...\tCtrl+Shift+S"));
        QCOMPARE(std::string(m_frame->file_menu()->records().back()->text), std::string("Exit\tCtrl+Q"));

        QTest::keyClick(m_frame.get(), Qt::Key_F, Qt::AltModifier);
        QTRY_VERIFY(m_frame->file_menu()->isVisible());
        QCOMPARE(m_frame->file_menu()->activeAction()->text(), QStringLiteral("Open\tCtrl+O"));
        QTest::keyClick(m_frame->file_menu(), Qt::Key_Right);
        QTRY_VERIFY(m_frame->config_menu()->isVisible());
        QVERIFY(!m_frame->file_menu()->isVisible());
        QTest::keyClick(m_frame->config_menu(), Qt::Key_Escape);
        QTRY_VERIFY(!m_frame->config_menu()->isVisible());

        // Alt+H, down to User Instruction, Enter.
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
        QTest::keyClick(m_frame.get(), Qt::Key_H, Qt::AltModifier);
        QTRY_VERIFY(m_frame->help_menu()->isVisible());
        QTest::keyClick(m_frame->help_menu(), Qt::Key_Down);
        QTest::keyClick(m_frame->help_menu(), Qt::Key_Return);
        QTRY_COMPARE(catcher.urls.size(), 1);
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));

        QTest::keyClick(m_frame.get(), Qt::Key_F10);
        QTRY_VERIFY(m_frame->file_menu()->isVisible());
        QTest::keyClick(m_frame->file_menu(), Qt::Key_Escape);
        QTRY_VERIFY(!m_frame->file_menu()->isVisible());

        // Ctrl+Q is Exit, which asks about unsaved changes first.
        m_doc->set_modified(true);
        QTest::keyClick(m_frame.get(), Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(m_prompts->shown, Texts{"Save changes to file?"});
        QVERIFY(m_frame->isVisible());
    }

    void frame_buttons_have_tooltips_in_their_prompt_words()
    {
        auto tip = [this](QPoint pos) {
            QHelpEvent e(QEvent::ToolTip, pos, m_frame->mapToGlobal(pos));
            QApplication::sendEvent(m_frame.get(), &e);
            return QToolTip::isVisible() ? QToolTip::text() : QString();
        };
        QCOMPARE(tip(m_frame->command_button_rect(3).center()), QStringLiteral("Goto Database Editor"));
        QCOMPARE(tip(m_frame->caption_rect(CAPTION_CLOSE).center()), QStringLiteral("Close"));
        m_frame->goto_editor();
        QCOMPARE(tip(m_frame->command_button_rect(4).center()), QStringLiteral("Download DB"));
        QCOMPARE(tip(m_frame->caption_rect(CAPTION_FULL_SCREEN).center()), QStringLiteral("Full screen"));
        QCOMPARE(m_frame->tooltip_at(QPoint(300, 300)), QString());
    }

    void the_window_title_names_the_file_and_marks_unsaved_changes()
    {
        QCOMPARE(m_frame->windowTitle(), QStringLiteral("Korvid"));
        m_frame->goto_editor();
        const std::string file = path("list.ird");
        auto db = korvid::testing::small_database();
        QVERIFY(write_database_file(*db, 1, 2, file));
        m_prompts->files.push_back(file);
        m_frame->on_command(ID_FILE_OPEN);
        QCOMPARE(m_frame->windowTitle(), QStringLiteral("list.ird - Korvid"));
        m_doc->set_modified(true);
        QCOMPARE(m_frame->windowTitle(), QStringLiteral("list.ird* - Korvid"));
        m_frame->on_command(ID_FILE_SAVE);
        QCOMPARE(m_frame->windowTitle(), QStringLiteral("list.ird - Korvid"));
    }

    void failures_warn_and_questions_ask_with_their_icons()
    {
        m_frame->drop_files({path("a.mem"), path("b.mem")});
        QCOMPARE(m_prompts->icon_of("Only one file at a time"), common::Icon::Warning);
        m_frame->drop_files({path("a.bin")});
        QCOMPARE(m_prompts->icon_of("File Extension is not mem, is it correct file?"),
                 common::Icon::Question);
        m_frame->goto_editor();
        m_prompts->files.push_back(path("missing.ird"));
        m_frame->on_command(ID_FILE_OPEN);
        QCOMPARE(m_prompts->icons.back().second, common::Icon::Error);
    }

    void file_dialogs_remember_their_folder_per_kind_of_file()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           m_dir.path() + QStringLiteral("/settings"));
        QDir(m_dir.path()).mkpath(QStringLiteral("ird-files"));
        QDir(m_dir.path()).mkpath(QStringLiteral("code-files"));
        const common::FileDialogSpec ird = CKorvidDoc::ird_dialog(false);
        common::FileDialogSpec code;
        code.filter = "CODE Files (*.mem)|*.mem|COMP Files (*.comp)|*.comp|All Files (*.*)|*.*||";
        QCOMPARE(common::file_dialog_kind(ird), std::string("ird"));
        QCOMPARE(common::file_dialog_kind(code), std::string("mem"));
        QCOMPARE(common::file_dialog_kind(common::FileDialogSpec{}), std::string("file"));

        QCOMPARE(common::FileDialogFolders::folder_for(ird), QString());
        common::FileDialogFolders::remember(ird, m_dir.path() + QStringLiteral("/ird-files/list.ird"));
        common::FileDialogFolders::remember(code, m_dir.path() + QStringLiteral("/code-files/main.mem"));
        QSettings().sync();
        QCOMPARE(common::FileDialogFolders::folder_for(ird), m_dir.path() + QStringLiteral("/ird-files"));
        QCOMPARE(common::FileDialogFolders::folder_for(code), m_dir.path() + QStringLiteral("/code-files"));
        QCOMPARE(common::FileDialogFolders::folder_for(CKorvidDoc::ird_dialog(true)),
                 m_dir.path() + QStringLiteral("/ird-files"));
        // A folder that has gone since is not offered.
        QDir(m_dir.path()).rmdir(QStringLiteral("code-files"));
        QCOMPARE(common::FileDialogFolders::folder_for(code), QString());
    }

    void check_database_lists_the_problems_in_a_window_that_a_new_check_refreshes()
    {
        m_frame->goto_editor();
        m_frame->on_command(ID_CHECK_DATABASE);
        QCOMPARE(m_prompts->shown, Texts{"There is no data to check"});
        QVERIFY(!m_frame->check_window());

        load_sound_database();
        korvid::testing::put_satellite(*m_db, 5, "Thor", -8);
        m_db->system.chan_count[SERVICE_RADIO] = 0;
        m_frame->on_command(ID_CHECK_DATABASE);
        CCheckDatabaseDlg* window = m_frame->check_window();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->summary(), QStringLiteral("1 damaged, 1 note"));
        QCOMPARE(window->rows(),
                 (QStringList{QStringLiteral(
                                  "damaged: RADIO list: the count says 0 channels, but 1 stand at the front"),
                              QStringLiteral("note: SAT 003 \"Thor\" 0.8W: it has no transponder")}));

        m_db->system.chan_count[SERVICE_RADIO] = 1;
        m_frame->on_command(ID_CHECK_DATABASE);
        QCOMPARE(m_frame->check_window(), window);
        QCOMPARE(window->summary(), QStringLiteral("0 damaged, 1 note"));
        QCOMPARE(window->rows().size(), 1);
    }

    void download_db_asks_about_damage_only_and_sends_only_when_told_to()
    {
        ::setenv("KORVID_SERIAL_PORTS", path("no-such-tty").c_str(), 1);
        m_frame->goto_editor();
        load_sound_database();
        korvid::testing::put_satellite(*m_db, 5, "Thor", -8); // a note: straight on to the port
        click_button(4);
        QCOMPARE(m_prompts->shown.size(), size_t(1));
        QVERIFY(m_prompts->shown[0].rfind("Can not open COM1", 0) == 0);
        m_prompts->shown.clear();
        m_db->system.chan_count[SERVICE_RADIO] = 0;
        const std::string question =
            "The database check found 1 problem that the receiver would trip over:\n"
            "damaged: RADIO list: the count says 0 channels, but 1 stand at the front\n"
            "Send it anyway?";
        m_prompts->answers.push_back(common::Answer::No);
        click_button(4);
        QCOMPARE(m_prompts->shown.size(), size_t(1));
        QCOMPARE(m_prompts->shown[0], question); // No: not even the port is tried
        m_prompts->shown.clear();
        m_prompts->answers.push_back(common::Answer::Yes);
        click_button(4);
        QCOMPARE(m_prompts->shown.size(), size_t(2));
        QCOMPARE(m_prompts->shown[0], question);
        QVERIFY(m_prompts->shown[1].rfind("Can not open COM1", 0) == 0); // Yes: on to the port
        ::unsetenv("KORVID_SERIAL_PORTS");
    }

    void frame_save_and_download_db_explain_why_nothing_happens()
    {
        m_frame->on_button(1);
        QCOMPARE(m_prompts->shown, Texts{"not db page"});
        m_prompts->shown.clear();
        m_frame->goto_editor();
        click_button(4); // Download DB with no database
        QCOMPARE(m_prompts->shown, Texts{"There is no data to send"});
    }
};

KD_QT_TEST_CLASS(MainFrameTest)
#include "main_frame_test.moc"
