// The "ts2pes" dialog on a recording of three parts written to disk: the totals as the parts
// start, the final message, Stop and closing in the middle of a run, a target that cannot be
// made, and the buttons that do nothing while a run is going on.
#include "common/testing/scripted_prompts.h"
#include "dranfel/converter/tests/ts_builder.h"
#include "dranfel/converter/ui/ts2pes_dlg.h"
#include "dranfel/storage/recording_name.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

using namespace dranfel;
namespace fs = std::filesystem;
using test::Bytes;

namespace {

Bytes read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void write_file(const std::string& path, const Bytes& b)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

// A worker held at the start of a part until the test lets it go on.
struct PartGate
{
    int hold_at = 0;
    std::atomic<bool> held{false};
    std::atomic<bool> open{false};
    void operator()(int part)
    {
        if (part != hold_at)
            return;
        held = true;
        while (!open.load())
            std::this_thread::yield();
    }
};

// Lets a held worker go when a test ends early, so that the dialog's wait for it ends.
struct GateOpener
{
    PartGate& gate;
    ~GateOpener() { gate.open = true; }
};

} // namespace

class Ts2PesDlgTest : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

    std::string part(int k) const
    {
        return RecordingName::part_file_name(m_dir.path().toStdString() + "/", "Film", k, "200603012015", 0);
    }
    std::string target() const { return m_dir.path().toStdString() + "/out.mpg"; }

    // Video and audio PES packets cut into three part files behind their headers, and the
    // information file that says three parts.
    void write_recording()
    {
        test::TsWriter w;
        for (int k = 0; k < 60; ++k) {
            Bytes pic(2500, uint8_t(k));
            if (k == 0)
                pic = test::concat({test::sequence_header(6000000), pic});
            uint64_t pts = 90000 + uint64_t(k) * 3600;
            w.add(0x100, test::pes(0xE0, pic, true, pts, true));
            w.add(0x101, test::pes(0xC0, test::mp2_frame(), pts));
        }
        size_t packets = w.ts.size() / 188;
        for (int k = 1; k <= 3; ++k) {
            Bytes stream(w.ts.begin() + long(packets * size_t(k - 1) / 3 * 188),
                         k == 3 ? w.ts.end() : w.ts.begin() + long(packets * size_t(k) / 3 * 188));
            Bytes file = test::concat({Bytes(AVR_HEADER_SIZE, 0), stream});
            file[9] = uint8_t(AVR_HEADER_SIZE);
            write_file(part(k), file);
        }
        Bytes info(AVF_FILE_SIZE, 0);
        info[AVF_PART_COUNT_OFFSET + 1] = 3;
        write_file(RecordingName::info_file_name(m_dir.path().toStdString() + "/", "Film", "200603012015", 0),
                   info);
    }

    // Starts the dialog's run and collects the total texts until the dialog is idle again.
    QStringList run(CTs2PesDlg& dlg)
    {
        QStringList totals;
        auto c = connect(&dlg, &CTs2PesDlg::total_changed, [&](const QString& t) { totals << t; });
        QSignalSpy done(&dlg, &CTs2PesDlg::run_finished);
        QTest::mouseClick(dlg.start_button(), Qt::LeftButton);
        if (done.isEmpty())
            done.wait(30000);
        disconnect(c);
        return totals;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        write_recording();
    }

    void starts_idle_with_the_paths_it_was_given()
    {
        CTs2PesDlg dlg(nullptr, QString::fromStdString(part(1)), QString::fromStdString(target()));
        QCOMPARE(dlg.windowTitle(), QStringLiteral("ts2pes"));
        QCOMPARE(dlg.source(), QString::fromStdString(part(1)));
        QCOMPARE(dlg.target(), QString::fromStdString(target()));
        QCOMPARE(dlg.total_text(), QStringLiteral("0 %"));
        QCOMPARE(dlg.current_text(), QStringLiteral("0 %"));
        QVERIFY(!dlg.busy());
    }

    void open_buttons_ask_for_avr_and_mpg_files()
    {
        common::ScriptedPrompts prompts;
        prompts.files = {std::string("/rec/a.AVR"), std::nullopt};
        CTs2PesDlg dlg;
        dlg.set_prompts(&prompts);
        QTest::mouseClick(dlg.open_source_button(), Qt::LeftButton);
        QTest::mouseClick(dlg.open_target_button(), Qt::LeftButton);
        QCOMPARE(dlg.source(), QStringLiteral("/rec/a.AVR"));
        QCOMPARE(dlg.target(), QString()); // a cancelled dialog changes nothing
        QCOMPARE(prompts.dialogs.size(), size_t(2));
        QCOMPARE(prompts.dialogs[0].default_extension, std::string(".avr"));
        QCOMPARE(prompts.dialogs[0].filter, std::string("AVR Files (*.avr)|*.avr|All Files (*.*)|*.*||"));
        QCOMPARE(prompts.dialogs[1].default_extension, std::string(".mpg"));
        QCOMPARE(prompts.dialogs[1].filter, std::string("MPG Files (*.mpg)|*.mpg|All Files (*.*)|*.*||"));
    }

    void three_parts_give_one_target_and_the_totals_as_they_start()
    {
        common::ScriptedPrompts prompts;
        CTs2PesDlg dlg(nullptr, QString::fromStdString(part(1)), QString::fromStdString(target()));
        dlg.set_prompts(&prompts);
        dlg.show();
        QCOMPARE(run(dlg), (QStringList{"33 %", "66 %", "100 %"}));
        QCOMPARE(prompts.shown.size(), size_t(1));
        QVERIFY2(prompts.shown[0].rfind("Convert finished\n", 0) == 0, prompts.shown[0].c_str());
        QCOMPARE(dlg.total_text(), QStringLiteral("0 %"));
        QCOMPARE(dlg.current_text(), QStringLiteral("0 %"));
        QCOMPARE(dlg.total_value(), 0);
        QVERIFY(!dlg.busy());
        Bytes all = read_file(target());
        QVERIFY(!all.empty());

        // Only the selected part when the box says so, and the report counts the others.
        dlg.one_part_box()->setChecked(true);
        QCOMPARE(run(dlg), (QStringList{"100 %"}));
        QVERIFY2(prompts.shown.back().rfind("Convert finished\n", 0) == 0, prompts.shown.back().c_str());
        QVERIFY2(prompts.shown.back().find("Parts converted: 1 of 3, 2 left out as asked") !=
                     std::string::npos,
                 prompts.shown.back().c_str());
        Bytes one = read_file(target());
        QVERIFY(!one.empty());
        QVERIFY(one.size() < all.size() / 2);
    }

    void stop_during_part_two_keeps_the_old_target()
    {
        common::ScriptedPrompts prompts;
        PartGate gate;
        CTs2PesDlg dlg(nullptr, QString::fromStdString(part(1)), QString::fromStdString(target()));
        dlg.set_prompts(&prompts);
        run(dlg);
        Bytes whole = read_file(target());

        GateOpener opener{gate};
        gate.hold_at = 2;
        dlg.set_part_hook(std::ref(gate));
        QSignalSpy done(&dlg, &CTs2PesDlg::run_finished);
        QTest::mouseClick(dlg.start_button(), Qt::LeftButton);
        QTRY_VERIFY(gate.held.load());
        QTRY_COMPARE(dlg.total_text(), QStringLiteral("66 %"));
        QTest::mouseClick(dlg.stop_button(), Qt::LeftButton);
        gate.open = true;
        QVERIFY(done.wait(30000));
        QCOMPARE(done.first().first().toString(), QStringLiteral("Convert Canceled"));
        QVERIFY2(prompts.shown.back().rfind("Convert Canceled", 0) == 0, prompts.shown.back().c_str());
        // The file of the first run was there: a stop keeps it, and says so.
        QVERIFY(read_file(target()) == whole);
        QVERIFY2(prompts.shown.back().find("was kept as it was") != std::string::npos,
                 prompts.shown.back().c_str());
        QCOMPARE(dlg.total_text(), QStringLiteral("0 %"));
    }

    void open_and_start_do_nothing_while_busy_and_closing_waits_for_the_worker()
    {
        common::ScriptedPrompts prompts;
        PartGate gate;
        CTs2PesDlg dlg(nullptr, QString::fromStdString(part(1)), QString::fromStdString(target()));
        GateOpener opener{gate};
        dlg.set_prompts(&prompts);
        gate.hold_at = 1;
        dlg.set_part_hook(std::ref(gate));
        dlg.show();
        QSignalSpy done(&dlg, &CTs2PesDlg::run_finished);
        QTest::mouseClick(dlg.start_button(), Qt::LeftButton);
        QTRY_VERIFY(gate.held.load());
        QVERIFY(dlg.busy());
        QVERIFY(!dlg.start_button()->isEnabled());
        QVERIFY(!dlg.open_source_button()->isEnabled());
        // Reached by other means than a click on a greyed button, they still do nothing.
        dlg.on_open_source();
        dlg.on_open_target();
        dlg.on_start();
        QVERIFY(prompts.dialogs.empty());

        // Closing stops the run; the window stays up, and answering, until the worker has ended.
        QVERIFY(!dlg.close());
        QVERIFY(dlg.isVisible());
        QCoreApplication::processEvents(); // one pass of the event loop, no waiting
        QVERIFY(dlg.isVisible());
        gate.open = true;
        QVERIFY(done.wait(30000));
        QCOMPARE(done.size(), 1);
        QCOMPARE(done.first().first().toString(), QStringLiteral("Convert Canceled"));
        QTRY_VERIFY(!dlg.isVisible());
        QVERIFY(prompts.shown.empty()); // the user closed it: no box afterwards
    }

    // The current bar follows the reading position on the window's timer while the worker is
    // held half-way through part 1.
    void current_bar_follows_the_reading_position()
    {
        common::ScriptedPrompts prompts;
        std::atomic<int> held_at{-1};
        std::atomic<bool> go{false};
        CTs2PesDlg dlg(nullptr, QString::fromStdString(part(1)), QString::fromStdString(target()));
        struct Release
        {
            std::atomic<bool>& go;
            ~Release() { go = true; }
        } release{go};
        dlg.set_prompts(&prompts);
        dlg.set_progress_hook([&](int part, int percent) {
            if (part == 1 && percent >= 50 && held_at.load() < 0) {
                held_at = percent;
                while (!go.load())
                    std::this_thread::yield();
            }
        });
        QSignalSpy done(&dlg, &CTs2PesDlg::run_finished);
        QTest::mouseClick(dlg.start_button(), Qt::LeftButton);
        QTRY_VERIFY(held_at.load() >= 50);
        QTRY_COMPARE(dlg.current_text(), QStringLiteral("%1 %").arg(held_at.load()));
        QCOMPARE(dlg.current_value(), held_at.load());
        QCOMPARE(dlg.total_text(), QStringLiteral("33 %"));
        go = true;
        QVERIFY(done.wait(30000));
        QCOMPARE(dlg.current_text(), QStringLiteral("0 %"));
    }

    void a_missing_target_folder_fails_and_start_works_again()
    {
        common::ScriptedPrompts prompts;
        std::string missing = m_dir.path().toStdString() + "/no such folder/out.mpg";
        CTs2PesDlg dlg(nullptr, QString::fromStdString(part(1)), QString::fromStdString(missing));
        dlg.set_prompts(&prompts);
        run(dlg);
        QCOMPARE(prompts.shown.size(), size_t(1));
        QVERIFY2(prompts.shown[0].rfind("Can't open the target file\n", 0) == 0, prompts.shown[0].c_str());
        QVERIFY(prompts.shown[0].find("no such folder") != std::string::npos);
        QVERIFY(!dlg.busy());
        QVERIFY(dlg.start_button()->isEnabled());

        dlg.target_edit()->setText(QString::fromStdString(target()));
        run(dlg);
        QCOMPARE(prompts.shown.size(), size_t(2));
        QVERIFY2(prompts.shown[1].rfind("Convert finished\n", 0) == 0, prompts.shown[1].c_str());
    }

    void a_file_that_is_no_transport_stream_says_why()
    {
        common::ScriptedPrompts prompts;
        std::string junk = m_dir.path().toStdString() + "/junk.AVR";
        write_file(junk, Bytes(4000, 0));
        CTs2PesDlg dlg(nullptr, QString::fromStdString(junk), QString::fromStdString(target()));
        dlg.set_prompts(&prompts);
        run(dlg);
        QCOMPARE(prompts.shown.size(), size_t(1));
        QVERIFY2(prompts.shown[0].rfind("Not a transport stream\n", 0) == 0, prompts.shown[0].c_str());
        QVERIFY2(prompts.shown[0].find("junk.AVR holds no MPEG transport stream") != std::string::npos,
                 prompts.shown[0].c_str());
    }
};

QTEST_MAIN(Ts2PesDlgTest)
#include "ts2pes_dlg_test.moc"
