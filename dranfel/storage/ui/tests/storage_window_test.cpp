// The storage manager's window driven as a user would, on folders of real recording sets made in
// each test: the rows, the trees, the menus and toolbar, every command with its dialog, the
// refusals, the free-space check on a small full tmpfs, mounts and unmounts, the audio tool and
// the settings kept between runs.
#include "common/testing/scripted_prompts.h"
#include "common/testing/tmpfs_mount.h"
#include "dranfel/storage/audio_tool.h"
#include "dranfel/storage/chosen_folder.h"
#include "dranfel/storage/commands.h"
#include "dranfel/storage/receiver_path.h"
#include "dranfel/storage/tests/recording_fixture.h"
#include "dranfel/storage/transfer_space.h"
#include "dranfel/storage/ui/about_dlg.h"
#include "dranfel/storage/ui/delete_dlg.h"
#include "dranfel/storage/ui/file_view.h"
#include "dranfel/storage/ui/folder_view.h"
#include "dranfel/storage/ui/input_name_dlg.h"
#include "dranfel/storage/ui/main_frame.h"
#include "dranfel/storage/ui/mount_watcher.h"
#include "dranfel/storage/ui/progress_dlg.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <memory>
#include <semaphore>
#include <sys/mount.h>

using namespace dranfel;
using namespace storage_test;
namespace fs = std::filesystem;

namespace {

using Texts = std::vector<std::string>;

QStringList row_texts(const CFileView* list, int column)
{
    QStringList out;
    for (int r = 0; r < list->row_count(); ++r)
        out << list->text(r, column);
    return out;
}

void select_rows(CFileView* list, const QStringList& file_names)
{
    list->list()->clearSelection();
    for (int r = 0; r < list->row_count(); ++r)
        if (file_names.contains(list->text(r, 0)))
            list->list()->topLevelItem(r)->setSelected(true);
}

} // namespace

class StorageWindowTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempDir> m_dir;
    std::string m_top, m_bottom;
    common::ScriptedPrompts m_prompts;
    std::unique_ptr<CMainFrame> m_frame;
    std::function<void(QDialog*)> m_onDialog;
    QTemporaryDir m_runtime;

    void open_frame(QSettings* settings = nullptr)
    {
        m_frame = std::make_unique<CMainFrame>(m_prompts, settings);
        QObject::connect(m_frame.get(), &CMainFrame::dialog_opened, [this](QDialog* d) {
            if (m_onDialog)
                m_onDialog(d);
        });
        m_frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
    }

    void pick(Half h, const std::string& folder)
    {
        m_frame->tree(h)->rebuild(folder);
        QCOMPARE(m_frame->tree(h)->path(), folder);
        QTRY_COMPARE(m_frame->list(h)->folder(), folder);
    }

    // The three kinds of file a receiver's disk holds, and strays that get no row.
    void fill_top()
    {
        make_recording(m_top, "News", {300000, 300000, 100000});
        make_recording(m_top, "Noon", {200000}, "200603011230");
        write_file(m_top + "/song.mp3", pattern(5000, 3));
        write_file(m_top + "/code.mem", pattern(70000, 4));
        write_file(m_top + "/notes.txt", pattern(10, 5));
        write_file(m_top + "/Lone_#001_200601010101.AVF", pattern(AVF_FILE_SIZE, 6));
    }

    std::vector<std::string> rpath_fields(const std::string& folder, const Recording& r)
    {
        std::vector<std::string> out;
        auto field = [](const std::vector<uint8_t>& bytes, size_t at) {
            return std::string(reinterpret_cast<const char*>(bytes.data() + at));
        };
        out.push_back(field(read_file(folder + "/" + r.info), AVF_PATH_OFFSET));
        for (const std::string& p : r.parts)
            out.push_back(field(read_file(folder + "/" + p), AVR_PATH_OFFSET));
        return out;
    }

private slots:
    void initTestCase()
    {
        // The audio tool's socket and any settings stay inside the test.
        qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
        qputenv("PATH", QByteArray("/usr/bin:/bin"));
        // Names are ordered as the user's language orders them; the tests speak English.
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void init()
    {
        m_dir = std::make_unique<TempDir>();
        m_top = m_dir->sub("top");
        m_bottom = m_dir->sub("bottom");
        m_prompts = {};
        m_onDialog = nullptr;
        open_frame();
    }

    void cleanup()
    {
        m_frame.reset();
        m_dir.reset();
    }

    void rows_show_recordings_and_single_files()
    {
        fill_top();
        pick(Half::Top, m_top);
        CFileView* list = m_frame->list(Half::Top);
        QStringList names = row_texts(list, 0);
        names.sort();
        QCOMPARE(names, (QStringList{"News", "Noon", "code.mem", "song.mp3"}));
        for (int r = 0; r < list->row_count(); ++r) {
            if (list->text(r, 0) == "News") {
                QCOMPARE(list->text(r, 1), QStringLiteral("News_#001_200603012015.AVR"));
                QCOMPARE(list->text(r, 2), QStringLiteral("683")); // 700000 / 1024
                QCOMPARE(list->text(r, 3), QStringLiteral("2006-03-01 PM  8:15:00"));
            } else if (list->text(r, 0) == "Noon") {
                QCOMPARE(list->text(r, 3), QStringLiteral("2006-03-01 AM 12:30:00"));
            } else if (list->text(r, 0) == "code.mem") {
                QCOMPARE(list->text(r, 1), QStringLiteral("code.mem"));
                QCOMPARE(list->text(r, 2), QStringLiteral("68"));
            }
        }
        // The hidden column holds the name; the others share the width as the pane first showed.
        QTreeWidget* w = list->list();
        QVERIFY(w->isColumnHidden(1));
        QCOMPARE(w->headerItem()->text(1), QStringLiteral("Real File Name"));
        const int width = w->viewport()->width(), rest = width - width / 10 * 6;
        QCOMPARE(w->columnWidth(0), width / 10 * 6);
        QCOMPARE(w->columnWidth(2), rest / 3);
        QCOMPARE(w->columnWidth(3), rest / 3 * 2);
        QCOMPARE(w->selectionMode(), QAbstractItemView::ExtendedSelection);
        // The other half shows nothing until its tree has a folder.
        QCOMPARE(m_frame->list(Half::Bottom)->row_count(), 0);
    }

    void trees_expand_lazily_sorted_without_case()
    {
        for (const char* d : {"b", "A", "c"})
            fs::create_directories(m_top + "/" + d);
        fs::create_directories(m_top + "/A/inner");
        CFolderView* tree = m_frame->tree(Half::Top);
        QVERIFY(tree->root_item("/"));
        QCOMPARE(tree->child_texts(tree->root_item("/")), QStringList{QString()}); // the placeholder
        pick(Half::Top, m_top);
        QTreeWidgetItem* item = tree->tree()->currentItem();
        QCOMPARE(item->text(0), QStringLiteral("top"));
        QCOMPARE(tree->child_texts(item), QStringList{QString()});
        item->setExpanded(true);
        QCOMPARE(tree->child_texts(item), (QStringList{"A", "b", "c"}));
        QCOMPARE(tree->child_texts(item->child(0)), QStringList{QString()});
        QCOMPARE(tree->child_texts(item->child(1)), QStringList{});
        // Collapsing puts the placeholder back; a folder made meanwhile shows on the next expansion.
        item->setExpanded(false);
        QCOMPARE(tree->child_texts(item), QStringList{QString()});
        fs::create_directories(m_top + "/B2");
        item->setExpanded(true);
        QCOMPARE(tree->child_texts(item), (QStringList{"A", "b", "B2", "c"}));
        tree->tree()->setCurrentItem(item->child(0));
        QCOMPARE(tree->path(), m_top + "/A");
        QTRY_COMPARE(m_frame->list(Half::Top)->folder(), m_top + "/A");

        // In the order of the user's language, and what is open stays open through a rebuild.
        for (const char* d : {"ZETA", "\u00c9clair", "Eagle"})
            fs::create_directories(m_top + "/" + d);
        item->setExpanded(false);
        item->setExpanded(true);
        QCOMPARE(tree->child_texts(item), (QStringList{"A", "b", "B2", "c", "Eagle", "\u00c9clair", "ZETA"}));
        item->child(0)->setExpanded(true);
        tree->rebuild(m_top + "/b");
        QCOMPARE(tree->path(), m_top + "/b");
        QTreeWidgetItem* a = tree->tree()->currentItem()->parent()->child(0);
        QVERIFY(a->isExpanded());
        QCOMPARE(tree->child_texts(a), QStringList{"inner"});
    }

    // A click on a column header orders the rows by it: sizes as numbers, a second click turns it.
    void a_header_click_sorts_the_rows()
    {
        write_file(m_top + "/b.mp3", pattern(9 * 1024, 1));
        write_file(m_top + "/a.mp3", pattern(10 * 1024, 2));
        write_file(m_top + "/c.mp3", pattern(100 * 1024, 3));
        pick(Half::Top, m_top);
        CFileView* list = m_frame->list(Half::Top);
        auto click = [&](int column) {
            const QHeaderView* header = list->list()->header();
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
        };
        click(2);
        QCOMPARE(row_texts(list, 0), (QStringList{"b.mp3", "a.mp3", "c.mp3"}));
        click(2);
        QCOMPARE(row_texts(list, 0), (QStringList{"c.mp3", "a.mp3", "b.mp3"}));
        click(0);
        QCOMPARE(row_texts(list, 0), (QStringList{"a.mp3", "b.mp3", "c.mp3"}));
    }

    void menus_toolbar_and_enabling()
    {
        QStringList titles;
        for (QAction* a : m_frame->menuBar()->actions())
            titles << a->text();
        QCOMPARE(titles, (QStringList{"&File", "&Tool", "&View", "&Help"}));
        QCOMPARE(m_frame->windowTitle(), QStringLiteral("Dranfel"));

        QStringList tips;
        for (QAction* a : m_frame->toolbar()->actions())
            tips << (a->isSeparator() ? QStringLiteral("|") : a->toolTip());
        QCOMPARE(tips, (QStringList{"Create New Folder", "|", "Copy files from Top to Bottom",
                                    "Copy files from Bottom to Top", "|", "Move files from Top to Bottom",
                                    "Move files from Bottom to Top", "|", "Delete files", "|",
                                    "Convert to AVI", "Convert to MP3"}));
        QCOMPARE(m_frame->toolbar()->iconSize(), QSize(64, 42));
        QCOMPARE(m_frame->action(ID_CONVERT_MP3)->statusTip(), QStringLiteral("Tool for MP3 converting"));
        QCOMPARE(m_frame->action(ID_CONVERT_AVI)->statusTip(),
                 QStringLiteral("Tool for Converting AVR to AVI"));

        fill_top();
        auto enabled = [&](uint32_t id) {
            m_frame->update_commands();
            return m_frame->action(id)->isEnabled();
        };
        QVERIFY(enabled(ID_CONVERT_AVI) && enabled(ID_CONVERT_MP3));
        QVERIFY(!enabled(ID_COPY_TOP_TO_BOTTOM));
        pick(Half::Top, m_top);
        select_rows(m_frame->list(Half::Top), {"News"});
        QVERIFY(!enabled(ID_COPY_TOP_TO_BOTTOM)); // no destination yet
        pick(Half::Bottom, m_bottom);
        QVERIFY(enabled(ID_COPY_TOP_TO_BOTTOM) && enabled(ID_MOVE_TOP_TO_BOTTOM));
        QVERIFY(!enabled(ID_COPY_BOTTOM_TO_TOP) && !enabled(ID_MOVE_BOTTOM_TO_TOP));

        m_frame->tree(Half::Bottom)->tree()->setFocus();
        QVERIFY(enabled(ID_NEW_FOLDER));
        QVERIFY(!enabled(ID_DELETE));
        m_frame->list(Half::Bottom)->list()->setFocus();
        QVERIFY(!enabled(ID_NEW_FOLDER));
        QVERIFY(enabled(ID_DELETE)); // its folder is set, though nothing is selected there

        QVERIFY(m_frame->action(ID_VIEW_TOOLBAR)->isChecked());
        m_frame->on_command(ID_VIEW_TOOLBAR);
        QVERIFY(m_frame->toolbar()->isHidden());
        QVERIFY(!m_frame->action(ID_VIEW_TOOLBAR)->isChecked());
        m_frame->on_command(ID_VIEW_TOOLBAR);
        QVERIFY(!m_frame->toolbar()->isHidden());

        QString caption, version;
        m_onDialog = [&](QDialog* d) {
            auto* about = qobject_cast<CAboutDlg*>(d);
            QVERIFY(about);
            caption = about->windowTitle();
            version = about->findChild<QLabel*>(QStringLiteral("version"))->text();
            QTimer::singleShot(0, about->ok_button(), &QPushButton::click);
        };
        m_frame->on_command(ID_APP_ABOUT);
        QCOMPARE(caption, QStringLiteral("About Dranfel"));
        QCOMPARE(version, QStringLiteral("Dranfel Version 2.1.0"));
    }

    void starting_layout_is_two_by_two()
    {
        const QSize client = m_frame->rows_splitter()->size();
        const QList<int> rows = m_frame->rows_splitter()->sizes();
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0], rows[1]);
        const QList<int> cols = m_frame->columns_splitter(Half::Top)->sizes();
        // The halves share one column split; the tree takes about a third of the width.
        QCOMPARE(m_frame->columns_splitter(Half::Bottom)->sizes(), cols);
        QVERIFY(qAbs(cols[0] - client.width() / 3) <= 4);
    }

    void copy_top_to_bottom_writes_the_destinations_receiver_path()
    {
        fill_top();
        Recording news = make_recording(m_top, "News", {300000, 300000, 100000});
        Recording noon = make_recording(m_top, "Noon", {200000}, "200603011230");
        pick(Half::Top, m_top);
        pick(Half::Bottom, m_bottom);
        select_rows(m_frame->list(Half::Top), {"News", "Noon"});
        QStringList totals;
        m_onDialog = [&](QDialog* d) {
            auto* dlg = qobject_cast<CProgressDlg*>(d);
            QVERIFY(dlg);
            QCOMPARE(dlg->source_edit()->text(), QString::fromStdString(m_top));
            QCOMPARE(dlg->destination_edit()->text(), QString::fromStdString(m_bottom));
            QCOMPARE(dlg->total_text()->text(), QStringLiteral("1/2"));
            connect(dlg, &CProgressDlg::report_shown, dlg, [dlg, &totals](int, int code) {
                if (code == PROGRESS_FILE_START)
                    totals << dlg->total_text()->text() + " " + dlg->file_name_edit()->text();
            });
        };
        m_frame->on_command(ID_COPY_TOP_TO_BOTTOM);
        QCOMPARE(totals, (QStringList{"1/2 News_#001_200603012015.AVR", "2/2 Noon_#001_200603011230.AVR"}));
        QCOMPARE(m_prompts.shown, Texts{});
        Texts expected = {news.info, noon.info};
        expected.insert(expected.end(), news.parts.begin(), news.parts.end());
        expected.insert(expected.end(), noon.parts.begin(), noon.parts.end());
        std::sort(expected.begin(), expected.end());
        QCOMPARE(files_in(m_bottom), expected);
        const std::string rpath = receiver_path_of(m_bottom + "/" + news.info);
        QVERIFY(rpath.rfind("C:\\", 0) == 0);
        for (const std::string& field : rpath_fields(m_bottom, news))
            QCOMPARE(field, rpath);
        // The parts are the source's bytes apart from the path field.
        auto copied = read_file(m_bottom + "/" + news.parts[1]),
             source = read_file(m_top + "/" + news.parts[1]);
        QCOMPARE(copied.size(), source.size());
        QVERIFY(std::equal(copied.begin() + AVR_HEADER_SIZE, copied.end(), source.begin() + AVR_HEADER_SIZE));
        QTRY_COMPARE(m_frame->list(Half::Bottom)->row_count(), 2);
        QCOMPARE(m_frame->list(Half::Top)->row_count(), 4);
    }

    void move_takes_the_sources_away()
    {
        Recording news = make_recording(m_top, "News", {300000, 300000});
        write_file(m_top + "/song.mp3", pattern(5000, 3));
        pick(Half::Top, m_top);
        pick(Half::Bottom, m_bottom);
        select_rows(m_frame->list(Half::Top), {"News", "song.mp3"});
        m_frame->on_command(ID_MOVE_TOP_TO_BOTTOM);
        QCOMPARE(m_prompts.shown, Texts{});
        QCOMPARE(files_in(m_top), Texts{});
        Texts expected = {news.info, news.parts[0], news.parts[1], "song.mp3"};
        std::sort(expected.begin(), expected.end());
        QCOMPARE(files_in(m_bottom), expected);
        QCOMPARE(m_frame->list(Half::Top)->row_count(), 0);
        QCOMPARE(m_frame->list(Half::Bottom)->row_count(), 2);
    }

    void cancel_during_the_second_of_three_leaves_nothing()
    {
        make_recording(m_top, "Alpha", {300000, 300000});
        make_recording(m_top, "Beta", {400000, 400000});
        make_recording(m_top, "Gamma", {300000});
        const Texts before = files_in(m_top);
        pick(Half::Top, m_top);
        pick(Half::Bottom, m_bottom);
        select_rows(m_frame->list(Half::Top), {"Alpha", "Beta", "Gamma"});
        bool cancelled_in_second = false;
        // The worker does not wait for the window: it is held at its first block of entry 2 until
        // the window has shown that block and Cancel has been pressed.
        std::binary_semaphore go_on{0};
        bool held = false; // the worker's own
        m_onDialog = [&](QDialog* d) {
            auto* dlg = qobject_cast<CProgressDlg*>(d);
            dlg->set_report_hook([&](const ProgressReport& r) {
                if (r.index == 2 && r.code == PROGRESS_FILE_STEP && !held) {
                    held = true;
                    go_on.acquire();
                }
            });
            connect(dlg, &CProgressDlg::report_shown, dlg, [&, dlg](int index, int code) {
                if (index == 2 && code == PROGRESS_FILE_STEP && dlg->cancel_button()->isEnabled()) {
                    cancelled_in_second = fs::exists(dlg->destination_edit()->text().toStdString() + "/" +
                                                     "Alpha_#002_200603012015.AVR");
                    QTest::mouseClick(dlg->cancel_button(), Qt::LeftButton);
                    go_on.release();
                }
            });
        };
        m_frame->on_command(ID_COPY_TOP_TO_BOTTOM);
        QVERIFY(cancelled_in_second); // entry 1 was whole at the destination when Cancel came
        QCOMPARE(files_in(m_bottom), Texts{});
        QCOMPARE(files_in(m_top), before);
        QCOMPARE(m_prompts.shown, Texts{});
    }

    void failed_copy_names_the_file_and_leaves_no_partial_copy()
    {
        Recording lost = make_recording(m_top, "Lost", {300000}, "200603012015", 0, false);
        pick(Half::Top, m_top);
        pick(Half::Bottom, m_bottom);
        select_rows(m_frame->list(Half::Top), {"Lost"});
        QCOMPARE(m_frame->list(Half::Top)->row_count(), 1);
        m_frame->on_command(ID_COPY_TOP_TO_BOTTOM);
        QCOMPARE(m_prompts.shown.size(), size_t(1));
        const std::string& text = m_prompts.shown[0];
        QVERIFY2(text.rfind("Could not copy " + lost.part1 + ": ", 0) == 0, text.c_str());
        QVERIFY2(text.find(lost.info) != std::string::npos, text.c_str());
        QCOMPARE(files_in(m_bottom), Texts{});

        // A move stops at the same entry: what came before is moved whole, the failed one stays put.
        m_prompts.shown.clear();
        Recording good = make_recording(m_top, "Good", {300000});
        m_frame->refresh_list(Half::Top);
        select_rows(m_frame->list(Half::Top), {"Good", "Lost"});
        m_frame->on_command(ID_MOVE_TOP_TO_BOTTOM);
        QCOMPARE(m_prompts.shown.size(), size_t(1));
        QVERIFY2(m_prompts.shown[0].rfind("Could not move " + lost.part1 + ": ", 0) == 0,
                 m_prompts.shown[0].c_str());
        QCOMPARE(files_in(m_bottom), (Texts{good.info, good.part1}));
        QCOMPARE(files_in(m_top), Texts{lost.part1});
    }

    // The context menus and a drop of rows onto the other half run the commands on the pane they
    // were opened on, with the same checks and dialogs.
    void context_menus_and_drops_run_the_commands()
    {
        write_file(m_top + "/a.mp3", pattern(3000, 1));
        write_file(m_top + "/b.mp3", pattern(3000, 2));
        pick(Half::Top, m_top);
        pick(Half::Bottom, m_bottom);
        select_rows(m_frame->list(Half::Top), {"a.mp3"});
        std::unique_ptr<QMenu> rows(m_frame->context_menu(Half::Top, true));
        QStringList texts;
        for (QAction* a : rows->actions())
            texts << a->text();
        QCOMPARE(texts, (QStringList{"&Copy to the Other Half", "&Move to the Other Half", "&Delete", "",
                                     "&Play", "Convert to &AVI"}));
        QVERIFY(rows->actions()[2]->isEnabled());
        rows->actions()[0]->trigger();
        QCOMPARE(files_in(m_bottom), Texts{"a.mp3"});
        std::unique_ptr<QMenu> folders(m_frame->context_menu(Half::Bottom, false));
        QCOMPARE(folders->actions().size(), 2);
        QVERIFY(folders->actions()[0]->isEnabled()); // New Folder, with the focus now in that tree

        // b.mp3 dragged onto the bottom list with Shift held: moved.
        m_frame->refresh_list(Half::Top);
        select_rows(m_frame->list(Half::Top), {"b.mp3"});
        m_frame->list(Half::Bottom)->drop_rows(m_frame->list(Half::Top), true);
        QTRY_COMPARE(files_in(m_bottom), (Texts{"a.mp3", "b.mp3"}));
        QCOMPARE(files_in(m_top), Texts{"a.mp3"});
    }

    // What is already at the destination is replaced only when the user says so: Skip leaves it,
    // Replace replaces it, Cancel (or Escape) stops before anything is written.
    void copy_onto_existing_files_asks_what_to_do()
    {
        for (const char* n : {"a.mp3", "b.mp3", "c.mp3"})
            write_file(m_top + "/" + n, pattern(3000, 1));
        for (const char* n : {"a.mp3", "b.mp3"})
            write_file(m_bottom + "/" + n, pattern(10, 2));
        pick(Half::Top, m_top);
        pick(Half::Bottom, m_bottom);
        select_rows(m_frame->list(Half::Top), {"a.mp3", "b.mp3", "c.mp3"});
        m_prompts.choices = {CANCEL};
        m_frame->on_command(ID_COPY_TOP_TO_BOTTOM);
        QCOMPARE(files_in(m_bottom), (Texts{"a.mp3", "b.mp3"}));
        m_prompts.shown.clear();
        m_prompts.choices = {SKIP, REPLACE};
        m_frame->on_command(ID_COPY_TOP_TO_BOTTOM);
        QCOMPARE(m_prompts.shown,
                 (Texts{replace_question(m_bottom, "a.mp3"), replace_question(m_bottom, "b.mp3")}));
        QCOMPARE(read_file(m_bottom + "/a.mp3"), pattern(10, 2));
        QCOMPARE(read_file(m_bottom + "/b.mp3"), pattern(3000, 1));
        QCOMPARE(read_file(m_bottom + "/c.mp3"), pattern(3000, 1));
    }

    // A destination with other names is replaced only when the user says so, and the run goes on.
    void copy_onto_a_hard_linked_file_asks_first()
    {
        write_file(m_top + "/song.mp3", pattern(5000, 3));
        write_file(m_bottom + "/song.mp3", pattern(100, 1));
        QCOMPARE(::link((m_bottom + "/song.mp3").c_str(), (m_dir->path() + "/twin.mp3").c_str()), 0);
        pick(Half::Top, m_top);
        pick(Half::Bottom, m_bottom);
        for (common::Answer answer : {common::Answer::No, common::Answer::Yes}) {
            m_prompts.shown.clear();
            m_prompts.choices = {REPLACE};
            m_prompts.answers = {answer};
            select_rows(m_frame->list(Half::Top), {"song.mp3"});
            m_frame->on_command(ID_COPY_TOP_TO_BOTTOM);
            QVERIFY(!m_prompts.shown.empty());
            QCOMPARE(m_prompts.shown[0], replace_question(m_bottom, "song.mp3"));
            QVERIFY2(m_prompts.shown[1].find("Replace it anyway?") != std::string::npos,
                     m_prompts.shown[1].c_str());
            QCOMPARE(read_file(m_bottom + "/song.mp3"), pattern(answer == common::Answer::Yes ? 5000 : 100,
                                                                answer == common::Answer::Yes ? 3 : 1));
        }
        QCOMPARE(read_file(m_dir->path() + "/twin.mp3"), pattern(100, 1));
    }

    void delete_shows_each_path_and_removes_the_recording()
    {
        Recording news = make_recording(m_top, "News", {3000, 3000, 3000});
        write_file(m_top + "/song.mp3", pattern(5000, 3));
        write_file(m_top + "/notes.txt", pattern(10, 5));
        pick(Half::Top, m_top);
        select_rows(m_frame->list(Half::Top), {"News", "song.mp3"});
        m_frame->list(Half::Top)->list()->setFocus();
        // The menu bar, opened from the keyboard, takes the focus; Delete still acts on the list.
        m_frame->menuBar()->setFocus();
        m_frame->update_commands();
        QVERIFY(m_frame->action(ID_DELETE)->isEnabled());
        m_frame->list(Half::Top)->list()->setFocus();
        // The Delete key asks first, and No (the default) keeps everything.
        const std::string question = "Delete 1 recording and 1 file (" + size_text(9000 + 8008 + 5000) + ")?";
        QTest::keyClick(m_frame->list(Half::Top)->list(), Qt::Key_Delete);
        QCOMPARE(m_prompts.shown, Texts{question});
        QCOMPARE(files_in(m_top).size(), size_t(6));
        m_prompts.shown.clear();
        m_prompts.answers = {common::Answer::Yes};
        QStringList shown;
        m_onDialog = [&](QDialog* d) {
            auto* dlg = qobject_cast<CDeleteDlg*>(d);
            QVERIFY(dlg);
            dlg->on_file = [dlg, &shown](const std::string& path) {
                QCOMPARE(dlg->path_edit()->text(), QString::fromStdString(path));
                shown << QString::fromStdString(path);
            };
        };
        QTest::keyClick(m_frame->list(Half::Top)->list(), Qt::Key_F8);
        QStringList expected;
        for (const std::string& p : news.parts)
            expected << QString::fromStdString(m_top + "/" + p);
        expected << QString::fromStdString(m_top + "/" + news.info)
                 << QString::fromStdString(m_top + "/song.mp3");
        QCOMPARE(shown, expected);
        QCOMPARE(files_in(m_top), Texts{"notes.txt"});
        QCOMPARE(m_frame->list(Half::Top)->row_count(), 0);
        QCOMPARE(m_prompts.shown, Texts{question});

        // Stop ends the run after the entry in hand.
        for (const char* title : {"A", "B", "C"})
            make_recording(m_top, title, {1000});
        m_frame->refresh_list(Half::Top);
        select_rows(m_frame->list(Half::Top), {"A", "B", "C"});
        m_prompts.answers = {common::Answer::Yes};
        m_onDialog = [](QDialog* d) {
            auto* dlg = qobject_cast<CDeleteDlg*>(d);
            dlg->on_file = [dlg](const std::string&) { dlg->stop_button()->click(); };
        };
        m_frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_frame.get()));
        m_frame->list(Half::Top)->list()->setFocus();
        QTest::keyClick(m_frame->list(Half::Top)->list(), Qt::Key_Delete);
        QCOMPARE(m_frame->list(Half::Top)->row_count(), 2);
    }

    void delete_lists_the_files_that_stayed()
    {
        Recording rec = make_recording(m_top, "News", {3000, 3000});
        write_file(m_top + "/" + rec.info, info_contents(1, 3000));
        pick(Half::Top, m_top);
        select_rows(m_frame->list(Half::Top), {"News"});
        m_frame->list(Half::Top)->list()->setFocus();
        m_prompts.answers = {common::Answer::Yes};
        m_frame->on_command(ID_DELETE);
        QCOMPARE(files_in(m_top), Texts{rec.parts[1]});
        QCOMPARE(m_prompts.shown.size(), size_t(2));
        QCOMPARE(m_prompts.shown.back(), "These files were not deleted:\n" + m_top + "/" + rec.parts[1] +
                                             ": the information file " + m_top + "/" + rec.info +
                                             " counts 1 parts");
    }

    void new_folder_is_made_and_selected()
    {
        pick(Half::Top, m_top);
        pick(Half::Bottom, m_bottom);
        m_frame->tree(Half::Top)->tree()->setFocus();
        auto answer = [this](const QString& name, bool ok) {
            m_onDialog = [name, ok](QDialog* d) {
                auto* dlg = qobject_cast<CInputNameDlg*>(d);
                QVERIFY(dlg);
                QCOMPARE(dlg->windowTitle(), QStringLiteral("Input Name"));
                QCOMPARE(dlg->name_edit()->maxLength(), 128);
                dlg->name_edit()->setText(name);
                QTimer::singleShot(0, ok ? dlg->ok_button() : dlg->cancel_button(), &QPushButton::click);
            };
        };
        answer("Films", false);
        m_frame->on_command(ID_NEW_FOLDER);
        QVERIFY(!fs::exists(m_top + "/Films"));
        answer("", true);
        m_frame->on_command(ID_NEW_FOLDER);
        QCOMPARE(files_in(m_top), Texts{});

        answer("Films", true);
        m_frame->on_command(ID_NEW_FOLDER);
        QVERIFY(fs::is_directory(m_top + "/Films"));
        QCOMPARE(m_frame->tree(Half::Top)->path(), m_top + "/Films");
        QTRY_COMPARE(m_frame->list(Half::Top)->folder(), m_top + "/Films");
        QCOMPARE(m_frame->tree(Half::Bottom)->path(), m_bottom);
        QCOMPARE(m_prompts.shown, Texts{});

        // A name that is already taken: the reason, then the dialog again with the name as typed.
        pick(Half::Top, m_top);
        m_frame->tree(Half::Top)->tree()->setFocus();
        QStringList offered;
        m_onDialog = [&offered](QDialog* d) {
            auto* dlg = qobject_cast<CInputNameDlg*>(d);
            offered << dlg->name_edit()->text();
            dlg->name_edit()->setText(offered.size() == 1 ? QStringLiteral("Films")
                                                          : QStringLiteral("Films 2"));
            QTimer::singleShot(0, dlg->ok_button(), &QPushButton::click);
        };
        m_frame->on_command(ID_NEW_FOLDER);
        QCOMPARE(m_prompts.shown, Texts{"Could not make a folder, " + m_top + "/Films\nFile exists"});
        QCOMPARE(offered, (QStringList{QString(), QStringLiteral("Films")}));
        QVERIFY(fs::is_directory(m_top + "/Films 2"));
    }

    void refusals_come_in_their_order()
    {
        fill_top();
        m_frame->on_command(ID_COPY_TOP_TO_BOTTOM);
        QCOMPARE(m_prompts.shown, (Texts{"You did not select a folder", "You did not select a file"}));
        m_prompts.shown.clear();
        pick(Half::Top, m_top);
        select_rows(m_frame->list(Half::Top), {"News"});
        m_frame->on_command(ID_MOVE_TOP_TO_BOTTOM);
        QCOMPARE(m_prompts.shown, Texts{"You did not select a destination folder"});
        m_prompts.shown.clear();
        pick(Half::Bottom, m_top);
        m_frame->on_command(ID_COPY_TOP_TO_BOTTOM);
        QCOMPARE(m_prompts.shown, Texts{"Source Folder and Destination Folder is same"});
        m_prompts.shown.clear();
        m_frame->on_command(ID_COPY_BOTTOM_TO_TOP);
        QCOMPARE(m_prompts.shown, Texts{"You did not select a file"});
        m_prompts.shown.clear();

        m_frame->setFocus();
        m_frame->on_command(ID_DELETE);
        m_frame->on_command(ID_NEW_FOLDER);
        QCOMPARE(m_prompts.shown, (Texts{"You did not select a file", "You did not select a parent folder"}));
        QCOMPARE(files_in(m_top).size(), size_t(10));
    }

    void copy_onto_a_full_disk_is_refused_before_writing()
    {
        common::testing::TmpfsMount disk(1 << 20);
        if (!disk.ok())
            QSKIP(disk.error().c_str());
        disk.fill(200 * 1024);
        const std::string dest = disk.path() + "/REC";
        fs::create_directories(dest);
        make_recording(m_top, "Big", {400000, 400000});
        pick(Half::Top, m_top);
        pick(Half::Bottom, dest);
        select_rows(m_frame->list(Half::Top), {"Big"});
        bool dialog = false;
        m_onDialog = [&](QDialog*) { dialog = true; };
        m_frame->on_command(ID_COPY_TOP_TO_BOTTOM);
        QVERIFY(!dialog);
        QCOMPARE(m_prompts.shown.size(), size_t(1));
        const std::string& text = m_prompts.shown[0];
        QVERIFY2(text.rfind("Not enough free space in " + dest + ": the selection needs 789.", 0) == 0,
                 text.c_str());
        QCOMPARE(files_in(dest), Texts{});
    }

    void mount_and_unmount_reach_both_trees()
    {
        char tmpl[] = "/mnt/kd-ui-XXXXXX";
        if (!fs::exists("/mnt") || !::mkdtemp(tmpl))
            QSKIP("no folder under /mnt to mount on");
        const std::string point = tmpl;
        if (::mount("tmpfs", point.c_str(), "tmpfs", 0, "size=1m") != 0) {
            fs::remove(point);
            QSKIP("mounting a tmpfs is refused here");
        }
        pick(Half::Top, m_top);
        QTRY_VERIFY(m_frame->tree(Half::Top)->root_item(point));
        QTRY_VERIFY(m_frame->tree(Half::Bottom)->root_item(point));
        fs::create_directories(point + "/REC");
        write_file(point + "/REC/song.mp3", pattern(100, 1));
        pick(Half::Bottom, point + "/REC");
        QCOMPARE(m_frame->list(Half::Bottom)->row_count(), 1);

        ::umount2(point.c_str(), MNT_DETACH);
        fs::remove(point);
        QTRY_VERIFY(!m_frame->tree(Half::Bottom)->root_item(point));
        QTRY_VERIFY(!m_frame->tree(Half::Top)->root_item(point));
        QCOMPARE(m_frame->tree(Half::Bottom)->path(), std::string());
        QVERIFY(!m_frame->tree(Half::Bottom)->tree()->currentItem());
        QTRY_COMPARE(m_frame->list(Half::Bottom)->row_count(), 0);
        QCOMPARE(m_frame->tree(Half::Top)->path(), m_top);
    }

    // A tmpfs of the test's own, seen by the window's mount watcher before a half is put on it: its
    // rebuild of the trees would otherwise come later and drop the selections.
    std::unique_ptr<common::testing::TmpfsMount> mounted_disk()
    {
        QSignalSpy mounts(m_frame->findChild<CMountWatcher*>(), &CMountWatcher::mounts_changed);
        auto disk = std::make_unique<common::testing::TmpfsMount>(1 << 20);
        if (disk->ok())
            mounts.wait();
        return disk;
    }

    void a_half_on_an_unmounted_disk_is_cleared_and_never_written()
    {
        make_recording(m_top, "News", {3000});
        bool dialog = false;
        m_onDialog = [&](QDialog*) { dialog = true; };
        {
            auto disk = mounted_disk();
            if (!disk->ok())
                QSKIP(disk->error().c_str());
            pick(Half::Top, m_top);
            pick(Half::Bottom, disk->path());
            select_rows(m_frame->list(Half::Top), {"News"});
            // The copy comes before the mount watcher has had a turn: it is refused all the same.
            QVERIFY(disk->unmount());
            m_frame->on_command(ID_COPY_TOP_TO_BOTTOM);
            QVERIFY(!dialog);
            QCOMPARE(m_prompts.shown, Texts{folder_gone_message(disk->path())});
            QCOMPARE(m_frame->tree(Half::Bottom)->path(), std::string());
        }
        m_prompts.shown.clear();
        {
            // Left to the watcher, the half goes too, rather than back to the empty mount point.
            auto disk = mounted_disk();
            pick(Half::Bottom, disk->path());
            QVERIFY(disk->unmount());
            QTRY_COMPARE(m_frame->tree(Half::Bottom)->path(), std::string());
        }
        {
            // A disk that goes while the new folder's name is typed gets no folder.
            auto disk = mounted_disk();
            pick(Half::Top, disk->path());
            m_frame->tree(Half::Top)->tree()->setFocus();
            m_onDialog = [&](QDialog* d) {
                auto* dlg = qobject_cast<CInputNameDlg*>(d);
                QVERIFY(dlg && disk->unmount());
                dlg->name_edit()->setText("Films");
                QTimer::singleShot(0, dlg->ok_button(), &QPushButton::click);
            };
            m_frame->on_command(ID_NEW_FOLDER);
            QCOMPARE(m_prompts.shown, Texts{folder_gone_message(disk->path())});
            QVERIFY(!fs::exists(disk->path() + "/Films"));
            QCOMPARE(m_frame->tree(Half::Top)->path(), std::string());
        }
    }

    void audio_tool_is_raised_started_or_reported()
    {
        // None running and none on PATH.
        m_frame->on_command(ID_CONVERT_MP3);
        QCOMPARE(m_prompts.shown, Texts{"Can't execute Ostrel Melvane."});
        QCOMPARE(m_prompts.captions, Texts{"Error"});

        // One on PATH: started with Dranfel's own arguments.
        const std::string bin = m_dir->sub("bin");
        const std::string marker = m_dir->path() + "/started";
        {
            std::ofstream script(bin + "/melvane");
            script << "#!/bin/sh\necho \"$@\" > " << marker << "\n";
        }
        fs::permissions(bin + "/melvane", fs::perms::owner_all);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QByteArray::fromStdString(bin) + ":" + path);
        m_frame->set_own_arguments({"dranfel", "/media/usb"});
        m_frame->on_command(ID_CONVERT_MP3);
        qputenv("PATH", path);
        QTRY_VERIFY(fs::exists(marker) && fs::file_size(marker) > 0);
        auto started = read_file(marker);
        QCOMPARE(std::string(started.begin(), started.end()), std::string("/media/usb\n"));

        // One running: asked to come forward, and to minimise when Dranfel closes.
        QLocalServer server;
        QVERIFY(server.listen(QString::fromStdString(audio_tool_socket_path())));
        QByteArray got;
        connect(&server, &QLocalServer::newConnection, &server, [&] {
            QLocalSocket* s = server.nextPendingConnection();
            connect(s, &QLocalSocket::readyRead, s, [s, &got] { got += s->readAll(); });
        });
        m_frame->on_command(ID_CONVERT_MP3);
        QTRY_COMPARE(got, QByteArray("raise\n"));
        m_frame->close();
        QTRY_COMPARE(got, QByteArray("raise\nminimize\n"));
        QCOMPARE(m_prompts.shown.size(), size_t(1));
    }

    void convert_to_avi_opens_the_converter_on_the_selected_recording()
    {
        make_recording(m_top, "News", {3000});
        write_file(m_top + "/song.mp3", pattern(5000, 3));
        pick(Half::Top, m_top);
        QStringList opened;
        m_frame->set_converter([&](QWidget*, const QString& s, const QString& t) { opened << s << t; });
        m_frame->on_command(ID_CONVERT_AVI);
        select_rows(m_frame->list(Half::Top), {"News"});
        m_frame->list(Half::Top)->list()->setFocus();
        m_frame->on_command(ID_CONVERT_AVI);
        select_rows(m_frame->list(Half::Top), {"song.mp3"});
        m_frame->on_command(ID_CONVERT_AVI);
        const QString src = QString::fromStdString(m_top + "/News_#001_200603012015.AVR");
        QCOMPARE(opened,
                 (QStringList{"", "", src, QString::fromStdString(m_top + "/News_#001_200603012015.mpg"), "",
                              ""}));

        m_frame->set_converter(nullptr);
        select_rows(m_frame->list(Half::Top), {"News"});
        m_frame->on_command(ID_CONVERT_AVI);
        QCOMPARE(m_prompts.shown.size(), size_t(1));
        QVERIFY(QString::fromStdString(m_prompts.shown[0]).contains("dranfel-cli ts2pes \"" + src + "\""));
    }

    // A double-click on a recording plays it; a single file is no recording to play, and without
    // a player the window says how to play one from a terminal.
    void double_click_plays_a_recording()
    {
        make_recording(m_top, "News", {3000});
        write_file(m_top + "/song.mp3", pattern(5000, 3));
        pick(Half::Top, m_top);
        QStringList played;
        m_frame->set_player([&](QWidget*, const QString& s) { played << s; });
        QTreeWidget* rows = m_frame->list(Half::Top)->list();
        // The list's own double-click signal: offscreen, a synthesised double-click reaches the
        // viewport only now and then.
        for (int r = 0; r < rows->topLevelItemCount(); ++r)
            emit rows->itemDoubleClicked(rows->topLevelItem(r), 0);
        const std::string src = m_top + "/News_#001_200603012015.AVR";
        QCOMPARE(played, QStringList{QString::fromStdString(src)});

        m_frame->set_player(nullptr);
        m_frame->list(Half::Top)->play_row(row_texts(m_frame->list(Half::Top), 0).indexOf("News"));
        QCOMPARE(m_prompts.shown.size(), size_t(1));
        QVERIFY(QString::fromStdString(m_prompts.shown[0])
                    .contains("ts2pes \"" + QString::fromStdString(src) + "\" - |"));
    }

    void size_splitters_and_folders_are_kept_between_runs()
    {
        QSettings settings(QString::fromStdString(m_dir->path() + "/settings.ini"), QSettings::IniFormat);
        m_frame.reset();
        open_frame(&settings);
        pick(Half::Top, m_top);
        pick(Half::Bottom, m_bottom);
        m_frame->resize(900, 640);
        m_frame->rows_splitter()->setSizes({150, 350});
        const QList<int> rows = m_frame->rows_splitter()->sizes();
        m_frame->close();
        m_frame.reset();

        open_frame(&settings);
        QCOMPARE(m_frame->size(), QSize(900, 640));
        QCOMPARE(m_frame->tree(Half::Top)->path(), m_top);
        QCOMPARE(m_frame->tree(Half::Bottom)->path(), m_bottom);
        QTRY_COMPARE(m_frame->list(Half::Bottom)->folder(), m_bottom);
        QCOMPARE(m_frame->rows_splitter()->sizes(), rows);
    }
};

QTEST_MAIN(StorageWindowTest)
#include "storage_window_test.moc"
