// The DB Transfer dialog: its expected time, Escape, Cancel, OK after success, a silence that
// closes it, and the database sent to receiver-sim and fetched back into a new .ird.
#include "common/testing/qt_test_main.h"
#include "common/testing/receiver_sim_process.h"
#include "common/testing/scripted_prompts.h"
#include "korvid/database/codes.h"
#include "korvid/database/ird_file.h"
#include "korvid/database/tests/test_database.h"
#include "korvid/link/ui/db_transfer_dlg.h"
#include "korvid/link/ui/tests/ui_test_support.h"
#include "korvid/ui/bitmap_button.h"
#include "korvid/ui/percent_progress.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <filesystem>

using namespace korvid;
using korvid::testing::SilentLine;

namespace {

// The database the tests send: valid, with a few channels of its own, and nothing the check before
// a send would ask about.
std::unique_ptr<Database> sample_database()
{
    return korvid::testing::sound_database();
}

// A receive of `image` from receiver-sim through the dialog, run up to the moment the dialog
// offers OK; the test closes it and checks the outcome. The dialog goes before the transfer it
// shows, and the transfer before the receiver.
struct Receive
{
    common::testing::SimProcess sim;
    DbTransfer transfer;
    std::unique_ptr<CDBTransferDlg> dlg;

    Receive(CKorvidDoc& doc,
            common::ScriptedPrompts& prompts,
            const std::string& image,
            const std::string& log)
        : sim({"--exchange", "db-from-receiver", "--image", image}, log)
        , transfer(doc, prompts)
    {}

    // False when the receive could not start or the dialog never reached its end with OK shown.
    bool run(common::ScriptedPrompts& prompts, const std::string& ird)
    {
        prompts.files.push_back(ird);
        if (!transfer.prepare_receive([] { return true; }))
            return false;
        dlg = std::make_unique<CDBTransferDlg>(transfer, prompts, nullptr, nullptr,
                                               korvid::testing::path_opener(sim.path()));
        QSignalSpy done(dlg.get(), &CDBTransferDlg::transfer_finished);
        dlg->show();
        return done.wait(30000) && dlg->ok_button()->isVisible();
    }
};

} // namespace

class DbTransferDlgTest : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

    std::string path(const char* name)
    {
        return (m_dir.path() + QLatin1Char('/') + QLatin1String(name)).toStdString();
    }

private slots:
    void init() { reset_codes(); }

    void shows_the_expected_time_and_ignores_escape_and_cancel_stops_the_worker()
    {
        auto db = sample_database();
        common::ScriptedPrompts prompts;
        CKorvidDoc doc(*db, prompts);
        DbTransfer transfer(doc, prompts);
        QVERIFY(transfer.prepare_send([] { return true; }));
        SilentLine line;
        CDBTransferDlg dlg(transfer, prompts, nullptr, nullptr, line.opener());
        dlg.show();
        QCOMPARE(dlg.size(), QSize(490, 192));
        QTRY_VERIFY(dlg.worker_started());
        QCOMPARE(dlg.time_line(), QStringLiteral("expected : 00:47"));
        QVERIFY(!dlg.ok_button()->isVisible());
        QCOMPARE(dlg.cancel_button()->geometry(), QRect(362, 140, 80, 34));
        QCOMPARE(dlg.progress()->geometry(), QRect(25, 47, 440, 20));

        QTest::keyClick(&dlg, Qt::Key_Escape);
        QTest::keyClick(&dlg, Qt::Key_Return); // OK is not there yet
        QCoreApplication::processEvents();
        QVERIFY(dlg.isVisible());
        QVERIFY(transfer.running());

        QTest::mouseClick(&dlg, Qt::LeftButton, {}, dlg.close_box().center());
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(!transfer.running());
        QVERIFY(transfer.aborted());
        QCOMPARE(transfer.finish(), DbTransferOutcome::Aborted);
    }

    void a_port_that_does_not_open_leaves_an_idle_dialog()
    {
        auto db = sample_database();
        common::ScriptedPrompts prompts;
        CKorvidDoc doc(*db, prompts);
        DbTransfer transfer(doc, prompts);
        QVERIFY(transfer.prepare_send([] { return true; }));
        bool asked = false;
        CDBTransferDlg dlg(transfer, prompts, nullptr, nullptr, [&] {
            asked = true;
            return std::unique_ptr<SerialLine>();
        });
        dlg.show();
        QTRY_VERIFY(asked);
        QVERIFY(!dlg.worker_started());
        QVERIFY(dlg.isVisible());
        dlg.on_cancel();
        QVERIFY(!dlg.isVisible());
        QCOMPARE(transfer.finish(), DbTransferOutcome::NotRun);
    }

    void the_database_goes_to_the_receiver_and_comes_back_whole()
    {
        auto db = sample_database();
        std::vector<uint8_t> original;
        encode_database(*db, 0xFFFF, 0xFFFF, original);
        common::ScriptedPrompts prompts;
        CKorvidDoc doc(*db, prompts);

        // send
        const std::string image = path("receiver.img");
        {
            common::testing::SimProcess sim({"--exchange", "db-to-receiver", "--out", image},
                                            path("send.log"));
            DbTransfer transfer(doc, prompts);
            QVERIFY(transfer.prepare_send([] { return true; }));
            CDBTransferDlg dlg(transfer, prompts, nullptr, nullptr, korvid::testing::path_opener(sim.path()));
            QSignalSpy done(&dlg, &CDBTransferDlg::transfer_finished);
            dlg.show();
            QVERIFY(done.wait(30000));
            QVERIFY(dlg.ok_button()->isVisible());
            QCOMPARE(dlg.focusWidget(), static_cast<QWidget*>(dlg.ok_button()));
            QVERIFY(!dlg.cancel_button()->isVisible());
            QCOMPARE(dlg.progress()->GetPos(), 100);
            QVERIFY(dlg.time_line().startsWith(QStringLiteral("Elapsed ")));
            QTest::mouseClick(dlg.ok_button(), Qt::LeftButton);
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
            QCOMPARE(transfer.finish(), DbTransferOutcome::Complete);
            QCOMPARE(sim.wait(), 0);
        }
        QCOMPARE(testing::read_file(image).size(), size_t(DB_IMAGE_SIZE));
        // the tables are back in host order after the send
        std::vector<uint8_t> after_send;
        encode_database(*db, 0xFFFF, 0xFFFF, after_send);
        QVERIFY(after_send == original);

        // receive into a new .ird, over a database that has been wiped meanwhile
        db->clear();
        const std::string ird = path("fetched.ird");
        {
            Receive r(doc, prompts, image, path("recv.log"));
            QVERIFY(r.run(prompts, ird));
            QTest::keyClick(r.dlg.get(), Qt::Key_Enter);
            QCOMPARE(r.dlg->result(), int(QDialog::Accepted));
            QCOMPARE(r.transfer.finish(), DbTransferOutcome::Complete);
            QCOMPARE(r.sim.wait(), 0);
        }
        QCOMPARE(testing::read_file(ird), original);
        QCOMPARE(doc.file_name(), ird);
        QVERIFY(db->present);
        QCOMPARE(std::string(db->sat_names[0]), std::string("Astra 19.2E"));
    }

    void a_complete_receive_offers_only_ok_and_nothing_throws_the_database_away()
    {
        std::vector<uint8_t> img(DB_IMAGE_SIZE, 0);
        sample_database()->build_image_for_receiver(img.data());
        const std::string image = path("served.img");
        testing::write_file(image, img);

        auto db = korvid::testing::small_database();
        common::ScriptedPrompts prompts;
        CKorvidDoc doc(*db, prompts);
        const std::string ird = path("kept.ird");
        Receive r(doc, prompts, image, path("kept.log"));
        QVERIFY(r.run(prompts, ird));
        QVERIFY(!r.dlg->cancel_button()->isVisible());
        // The close box is all that is left besides OK; the transfer it would cancel is over.
        QTest::mouseClick(r.dlg.get(), Qt::LeftButton, {}, r.dlg->close_box().center());
        QVERIFY(!r.dlg->isVisible());
        QVERIFY(!r.transfer.aborted());
        QCOMPARE(r.transfer.finish(), DbTransferOutcome::Complete);
        QCOMPARE(r.sim.wait(), 0);
        QVERIFY(std::filesystem::exists(ird));
        QCOMPARE(std::string(db->sat_names[0]), std::string("Astra 19.2E"));
    }

    void a_silent_receiver_closes_the_dialog_and_nothing_is_unpacked()
    {
        auto source = sample_database();
        std::vector<uint8_t> img(DB_IMAGE_SIZE, 0);
        source->build_image_for_receiver(img.data());
        const std::string image = path("silent.img");
        testing::write_file(image, img);

        auto db = korvid::testing::small_database();
        std::strcpy(db->sat_names[0], "KEEP ME");
        common::ScriptedPrompts prompts;
        CKorvidDoc doc(*db, prompts);
        const std::string ird = path("never.ird");
        common::testing::SimProcess sim(
            {"--exchange", "db-from-receiver", "--image", image, "--silent-after", "3"}, path("silent.log"));
        DbTransfer transfer(doc, prompts);
        prompts.files.push_back(ird);
        QVERIFY(transfer.prepare_receive([] { return true; }));
        // 10 s of silence on a clock two hundred times as fast
        ScaledLinkClock fast(200);
        CDBTransferDlg dlg(transfer, prompts, nullptr, &fast, korvid::testing::path_opener(sim.path()));
        QSignalSpy done(&dlg, &CDBTransferDlg::transfer_finished);
        dlg.show();
        QVERIFY(done.wait(20000));
        QTRY_VERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(std::find(prompts.shown.begin(), prompts.shown.end(), "Communication Time Out") !=
                prompts.shown.end());
        QVERIFY(transfer.aborted());
        QCOMPARE(transfer.finish(), DbTransferOutcome::Aborted);
        QVERIFY(!std::filesystem::exists(ird));
        QCOMPARE(std::string(db->sat_names[0]), std::string("KEEP ME"));
    }
};

KD_QT_TEST_CLASS(DbTransferDlgTest)
#include "db_transfer_dlg_test.moc"
