// The downloader page: its controls, Open and a dropped file during a download, Stop, and a code
// file sent to receiver-sim on a pseudo-terminal.
#include "common/testing/qt_test_main.h"
#include "common/testing/receiver_sim_process.h"
#include "common/testing/scripted_prompts.h"
#include "korvid/database/codes.h"
#include "korvid/link/ui/korvid_view.h"
#include "korvid/link/ui/tests/ui_test_support.h"
#include "korvid/ui/percent_progress.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <random>

using namespace korvid;
using korvid::testing::SilentLine;

namespace {

std::vector<uint8_t> code_file_bytes(size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::vector<uint8_t> v(n);
    for (auto& b : v)
        b = uint8_t(rng());
    // codes 0xFFFF/0xFFFF: any receiver takes the file
    v[30] = v[31] = v[34] = v[35] = 0xFF;
    return v;
}

bool has(const common::ScriptedPrompts& p, const std::string& text)
{
    return std::find(p.shown.begin(), p.shown.end(), text) != p.shown.end();
}

} // namespace

class KorvidViewTest : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

    std::string path(const char* name)
    {
        return (m_dir.path() + QLatin1Char('/') + QLatin1String(name)).toStdString();
    }

private slots:
    void init() { g_Downloading = false; }

    void controls_sit_where_the_page_puts_them()
    {
        common::ScriptedPrompts prompts;
        CKorvidView view(prompts);
        QCOMPARE(view.control(CKorvidView::IDC_DOWNLOAD)->geometry(), QRect(230, 132, 80, 34));
        QCOMPARE(view.control(CKorvidView::IDC_STOP)->geometry(), QRect(318, 132, 80, 34));
        QCOMPARE(view.control(CKorvidView::IDC_PROGRESS)->geometry(), QRect(14, 102, 380, 24));
        QCOMPARE(view.control(CKorvidView::IDC_STATUS)->geometry(), QRect(66, 192, 220, 24));
        QCOMPARE(view.control(CKorvidView::IDC_DOWNLOAD)->toolTip(),
                 QStringLiteral("Start downloading data"));
        QCOMPARE(view.control(CKorvidView::IDC_FILE_NAME)->toolTip(),
                 QStringLiteral("Display seletected file name"));
        QCOMPARE(view.elapsed_text(), QStringLiteral("00:00"));
        QCOMPARE(view.expected_text(), QStringLiteral("00:00"));
        QCOMPARE(view.progress()->GetPos(), 0);
    }

    void a_taken_file_is_read_and_shows_its_expected_time()
    {
        const std::string code = path("main.mem");
        testing::write_file(code, code_file_bytes(100000, 1));
        common::ScriptedPrompts prompts;
        CKorvidView view(prompts);
        QVERIFY(view.take_file(code));
        QCOMPARE(view.file_name_text(), QString::fromStdString(code));
        QCOMPARE(view.expected_text(), QStringLiteral("00:10"));
        QVERIFY(prompts.shown.empty());

        // a missing file leaves the page as it was
        QVERIFY(!view.take_file(path("missing.mem")));
        QVERIFY(has(prompts, "File Open Failure\n" + path("missing.mem") + ": No such file or directory"));
        QCOMPARE(view.file_name_text(), QString::fromStdString(code));
    }

    void open_and_drop_during_a_download_are_refused_and_stop_ends_it()
    {
        const std::string code = path("busy.mem");
        testing::write_file(code, code_file_bytes(4096, 2));
        SilentLine line;
        common::ScriptedPrompts prompts;
        CKorvidView view(prompts, nullptr, nullptr, line.opener());
        view.show();
        QVERIFY(view.take_file(code));
        view.on_download();
        QVERIFY(view.downloading());
        QVERIFY(g_Downloading);
        QTRY_VERIFY(!view.control(CKorvidView::IDC_DOWNLOAD)->isVisible());

        prompts.files.push_back(path("other.mem"));
        view.on_open();
        QVERIFY(has(prompts, "On Processing"));
        QCOMPARE(prompts.files.size(), size_t(1)); // no file dialog was shown
        QCOMPARE(view.file_name_text(), QString::fromStdString(code));

        prompts.shown.clear();
        QVERIFY(!view.take_file(path("other.mem")));
        QVERIFY(has(prompts, "On Processing"));
        QCOMPARE(view.file_name_text(), QString::fromStdString(code));

        // Stop returns with the worker ended (the silent line would hold it for the 30 s connect
        // limit otherwise): nothing is still downloading once it is back.
        view.on_stop();
        QVERIFY(!view.downloading());
        QVERIFY(!g_Downloading);
        QTRY_VERIFY(view.control(CKorvidView::IDC_DOWNLOAD)->isVisible());
        QCOMPARE(view.file_name_text(), QString());
        QCOMPARE(view.progress()->GetPos(), 0);
        QCOMPARE(view.elapsed_text(), QStringLiteral("00:00"));

        // Stop with nothing running changes nothing
        prompts.shown.clear();
        view.on_stop();
        QVERIFY(prompts.shown.empty());
    }

    void a_code_file_arrives_whole_at_the_receiver()
    {
        const std::string code = path("full.mem");
        const std::string out = path("received.bin");
        const auto bytes = code_file_bytes(50 * 1024 + 77, 3);
        testing::write_file(code, bytes);
        common::testing::SimProcess sim({"--exchange", "software", "--out", out}, path("sim.log"));
        QVERIFY(!sim.path().empty());

        common::ScriptedPrompts prompts;
        CKorvidView view(prompts, nullptr, nullptr, testing::path_opener(sim.path()));
        view.show();
        QSignalSpy finished(&view, &CKorvidView::download_finished);
        QVERIFY(view.take_file(code));
        view.on_download();
        QVERIFY(view.downloading());
        QVERIFY(finished.wait(20000));
        QCOMPARE(sim.wait(5000), 0);
        QCOMPARE(testing::read_file(out), bytes);

        QTRY_VERIFY(has(prompts, "Transfer Complete.."));
        QCOMPARE(view.status_text(), QStringLiteral("Transfer Complete.."));
        QCOMPARE(view.progress()->GetPos(), 0);
        QCOMPARE(view.elapsed_text(), QStringLiteral("00:00"));
        QCOMPARE(view.expected_text(), QStringLiteral("00:00"));
        QVERIFY(!view.busy_picture_shown());
        QVERIFY(view.control(CKorvidView::IDC_DOWNLOAD)->isVisible());
        QVERIFY(view.control(CKorvidView::IDC_STOP)->isEnabled());
        QVERIFY(!g_Downloading);
        // the file name stays, so Download can be pressed again for the same file
        QCOMPARE(view.file_name_text(), QString::fromStdString(code));
    }
};

KD_QT_TEST_CLASS(KorvidViewTest)
#include "korvid_view_test.moc"
