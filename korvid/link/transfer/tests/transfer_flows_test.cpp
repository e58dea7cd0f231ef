// The database transfer flows and the worker, against a receiver inside the test process.
#include "common/testing/scripted_prompts.h"
#include "korvid/database/codes.h"
#include "korvid/database/ird_file.h"
#include "korvid/database/tests/test_database.h"
#include "korvid/link/transfer/db_transfer.h"
#include "korvid/link/transfer/tests/fake_receiver.h"
#include "korvid/link/transfer/transfer_times.h"

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <iterator>

using namespace korvid;
using namespace korvid::testing;
using common::ScriptedPrompts;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
namespace fs = std::filesystem;

namespace {

struct Recorder : TransferObserver
{
    std::mutex m;
    std::vector<std::string> statuses, boxes;
    std::atomic<int> finished{0};
    void on_status(const std::string& t) override
    {
        std::lock_guard<std::mutex> l(m);
        statuses.push_back(t);
    }
    void on_message_box(const std::string& t) override
    {
        std::lock_guard<std::mutex> l(m);
        boxes.push_back(t);
    }
    void on_finished(const ExchangeResult&) override { ++finished; }
};

// A line that never answers: the loop probes into it until stopped or timed out.
struct SilentLine : SerialLine
{
    std::atomic<int>* closed;
    std::atomic<int>* probes = nullptr; // counts what the PC writes, when given
    explicit SilentLine(std::atomic<int>* c, std::atomic<int>* p = nullptr)
        : closed(c)
        , probes(p)
    {}
    ~SilentLine() override
    {
        if (closed)
            ++*closed;
    }
    uint32_t Write(const uint8_t*, uint32_t) override
    {
        if (probes)
            ++*probes;
        return 1;
    }
    uint32_t Read(uint8_t*, uint32_t) override { return 0; }
    bool ReadByte(uint8_t& out) override
    {
        out = 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return false;
    }
    uint32_t QueuedBytes() override { return 0; }
    void PurgeRx() override {}
};

Bytes read_bytes(const fs::path& p)
{
    std::ifstream f(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

class DbFlows : public ::testing::Test
{
protected:
    void SetUp() override { reset_codes(); }
    void TearDown() override { reset_codes(); }
    std::unique_ptr<Database> db = small_database();
    ScriptedPrompts prompts;
    CKorvidDoc doc{*db, prompts};
    Recorder obs;
    SteadyLinkClock clock;
};

} // namespace

TEST(TransferTimes, ExpectedTimeIsATenthOfASecondPerKibPlusOne)
{
    EXPECT_EQ(expected_time_text(DB_TRANSFER_SIZE), "expected : 00:47");
    EXPECT_EQ(expected_time_figures(100000), "00:10");
    // 599 KiB: 59 s, shown as 60 in the seconds place rather than rolled into the minutes.
    EXPECT_EQ(expected_time_figures(599 * 1024), "00:60");
    EXPECT_EQ(expected_time_figures(600 * 1024 + 1023), "01:01");
    EXPECT_EQ(expected_time_figures(0), "00:01");
    // The largest size does not overflow on the way (4194303 KiB, 419430 s).
    EXPECT_EQ(expected_time_figures(0xFFFFFFFF), "6990:31");
}

TEST_F(DbFlows, SendRefusesWithoutADatabaseAndWithoutAPort)
{
    db->present = false;
    int tested = 0;
    DbTransfer t(doc, prompts);
    EXPECT_FALSE(t.prepare_send([&] { return ++tested, true; }));
    EXPECT_EQ(tested, 0);
    EXPECT_THAT(prompts.shown, ElementsAre("There is no data to send"));

    db->present = true;
    uint8_t before[DB_IMAGE_SIZE] = {};
    db->pack_image(before);
    prompts.answers.push_back(common::Answer::Yes); // these tables fail the check: sent anyway
    EXPECT_FALSE(t.prepare_send([&] { return ++tested, false; }));
    EXPECT_EQ(tested, 1);
    EXPECT_EQ(t.finish(), DbTransferOutcome::NotRun);
    uint8_t after[DB_IMAGE_SIZE] = {};
    db->pack_image(after);
    EXPECT_EQ(std::memcmp(before, after, DB_IMAGE_SIZE), 0)
        << "a refused send must leave the tables as they were";
}

TEST_F(DbFlows, SendAsksOnlyAboutDamage)
{
    auto sound = sound_database();
    CKorvidDoc sdoc(*sound, prompts);
    int tested = 0;
    auto port = [&] { return ++tested, true; };
    // A satellite without transponders is a note: nothing is asked, nothing shown.
    put_satellite(*sound, 5, "Thor", -8);
    {
        DbTransfer t(sdoc, prompts);
        EXPECT_TRUE(t.prepare_send(port));
        EXPECT_THAT(prompts.shown, IsEmpty());
        EXPECT_EQ(tested, 1);
    }
    // A count that hides a channel is damage: asked, listing the damage only; No sends nothing and
    // tries no port.
    sound->system.chan_count[SERVICE_TV] = 2;
    {
        DbTransfer t(sdoc, prompts);
        EXPECT_FALSE(t.prepare_send(port));
        EXPECT_EQ(tested, 1);
        EXPECT_THAT(prompts.shown,
                    ElementsAre("The database check found 1 problem that the receiver would trip over:\n"
                                "damaged: TV list: the count says 2 channels, but 3 stand at the front\n"
                                "Send it anyway?"));
        prompts.answers.push_back(common::Answer::Yes);
        EXPECT_TRUE(t.prepare_send(port));
        EXPECT_EQ(tested, 2);
    }
}

TEST_F(DbFlows, SendDeliversTheReceiverOrderImageAndRestoresTheTables)
{
    auto rnd = random_database(7);
    rnd->system.syscode = DB_SYSCODE_VALUE;
    rnd->present = true;
    CKorvidDoc rdoc(*rnd, prompts);
    Bytes host(DB_IMAGE_SIZE), receiver(DB_IMAGE_SIZE);
    rnd->pack_image(host.data());
    {
        auto copy = random_database(7);
        copy->system.syscode = DB_SYSCODE_VALUE;
        copy->build_image_for_receiver(receiver.data());
    }
    ASSERT_NE(host, receiver) << "the test database must have fields whose order differs";

    FakeReceiverRecord rec;
    DbTransfer t(rdoc, prompts);
    prompts.answers.push_back(common::Answer::Yes); // these tables fail the check: sent anyway
    ASSERT_TRUE(t.prepare_send({}));
    EXPECT_EQ(t.expected_text(), "expected : 00:47");
    ASSERT_TRUE(t.start(std::make_unique<FakeReceiver>(rec, 0xFFFF, 0xFFFF, true), clock, obs));
    ASSERT_TRUE(t.wait(UNTIL_DONE_MS));
    EXPECT_EQ(t.finish(), DbTransferOutcome::Complete);

    EXPECT_EQ(rec.payload, receiver);
    EXPECT_EQ(rec.packets, 465u); // 464 full packets and one of length 0
    EXPECT_EQ(rec.closed.load(), 1);
    EXPECT_EQ(obs.finished.load(), 1);
    Bytes now(DB_IMAGE_SIZE);
    rnd->pack_image(now.data());
    EXPECT_EQ(now, host);
    // The database flash map as the receiver got it.
    ASSERT_EQ(rec.block_table.size(), FlashBlockTable::WIRE_SIZE);
    EXPECT_EQ(be32(rec.block_table, 0), 6u);
    EXPECT_EQ(be32(rec.block_table, 16), 0x390000u);
    EXPECT_EQ(be32(rec.block_table, 20), 0x3EFFFFu);
    EXPECT_EQ(be32(rec.block_table, 5 * 16 + 4), 0x3FFFFFu);
    ASSERT_EQ(rec.item_table.size(), ItemTable::WIRE_SIZE);
    EXPECT_EQ(be32(rec.item_table, 8), 7u);
    EXPECT_EQ(be32(rec.item_table, 6 * 12), 1u); // the EEPROM item
    EXPECT_EQ(be32(rec.item_table, 6 * 12 + 8), 0x4000u);
    EXPECT_EQ(be32(rec.header, 8), HEADER_DB_TO_RECEIVER);
    ASSERT_EQ(prompts.shown.size(), 1u) << "nothing but the check's question";
    EXPECT_EQ(prompts.icon_of(prompts.shown[0]), common::Icon::Question);
}

TEST_F(DbFlows, SendThatEndsEarlyLeavesTheTablesInHostOrderAndSaveWritesTheSameBytes)
{
    auto rnd = random_database(9);
    rnd->system.syscode = DB_SYSCODE_VALUE;
    rnd->present = true;
    CKorvidDoc rdoc(*rnd, prompts);
    const fs::path file =
        fs::temp_directory_path() / ("korvid_early_end_" + std::to_string(::getpid()) + ".ird");
    rdoc.set_file_name(file.string());
    ASSERT_TRUE(rdoc.save());
    const Bytes saved = read_bytes(file);
    ASSERT_EQ(saved.size(), size_t(IRD_FILE_SIZE));

    enum class End
    {
        Cancel,
        TimeOut,
        HungUp,
        NoFinish
    };
    for (End end : {End::Cancel, End::TimeOut, End::HungUp, End::NoFinish}) {
        SCOPED_TRACE(int(end));
        FakeReceiverRecord rec;
        rec.hang_up_after = 100;
        ScaledLinkClock fast(1000); // 10 s of silence in 10 ms
        {
            DbTransfer t(rdoc, prompts);
            prompts.answers.push_back(common::Answer::Yes); // these tables fail the check: sent anyway
            ASSERT_TRUE(t.prepare_send({}));
            if (end == End::HungUp) {
                ASSERT_TRUE(t.start(std::make_unique<FakeReceiver>(rec, 0xFFFF, 0xFFFF, true), clock, obs));
                ASSERT_TRUE(t.wait(UNTIL_DONE_MS));
                EXPECT_EQ(t.finish(), DbTransferOutcome::Aborted);
                EXPECT_EQ(rec.packets, 100u);
            } else {
                ASSERT_TRUE(t.start(std::make_unique<SilentLine>(nullptr), fast, obs));
                if (end == End::Cancel) {
                    EXPECT_TRUE(t.cancel(UNTIL_DONE_MS));
                } else if (end == End::TimeOut) {
                    ASSERT_TRUE(t.wait(UNTIL_DONE_MS));
                }
                if (end != End::NoFinish) {
                    EXPECT_EQ(t.finish(), DbTransferOutcome::Aborted);
                }
            }
        } // the transfer goes; with NoFinish its destructor is all that ran
        rdoc.set_modified(true);
        ASSERT_TRUE(rdoc.save());
        EXPECT_EQ(read_bytes(file), saved);
    }
    fs::remove(file);
}

TEST_F(DbFlows, SendToAReceiverWithOtherCodesIsAVersionMismatchAndTheTablesComeBack)
{
    db->present = true;
    g_BuyerCode = 0x1111;
    g_ModelCode = 0x2222;
    Bytes host(DB_IMAGE_SIZE);
    db->pack_image(host.data());
    FakeReceiverRecord rec;
    DbTransfer t(doc, prompts);
    prompts.answers.push_back(common::Answer::Yes); // these tables fail the check: sent anyway
    ASSERT_TRUE(t.prepare_send({}));
    ASSERT_TRUE(t.start(std::make_unique<FakeReceiver>(rec, 0x1111, 0x3333, true), clock, obs));
    ASSERT_TRUE(t.wait(UNTIL_DONE_MS));
    EXPECT_EQ(t.finish(), DbTransferOutcome::VersionMismatch);
    EXPECT_FALSE(t.aborted());
    EXPECT_THAT(obs.boxes, ElementsAre("Buyer/Model is different"));
    EXPECT_EQ(rec.payload.size(), 0u);
    EXPECT_EQ(rec.closed.load(), 1);
    Bytes now(DB_IMAGE_SIZE);
    db->pack_image(now.data());
    EXPECT_EQ(now, host);
    EXPECT_EQ(g_BuyerCode, 0x1111);
}

TEST_F(DbFlows, ReceiveAsksForTheFileFirstAndCancelMeansNoTransfer)
{
    int tested = 0;
    DbTransfer t(doc, prompts);
    EXPECT_FALSE(t.prepare_receive([&] { return ++tested, true; }));
    EXPECT_EQ(tested, 0);
    ASSERT_EQ(prompts.dialogs.size(), 1u);
    EXPECT_EQ(prompts.dialogs[0].default_extension, ".ird");
    EXPECT_EQ(t.finish(), DbTransferOutcome::NotRun);
}

TEST_F(DbFlows, CancelStopsTheWorkerClosesThePortAndSavesNothing)
{
    std::atomic<int> closed{0}, probes{0};
    prompts.files.push_back(std::string("/nonexistent-dir/never-written.ird"));
    DbTransfer t(doc, prompts);
    ASSERT_TRUE(t.prepare_receive({}));
    EXPECT_EQ(t.receive_path(), "/nonexistent-dir/never-written.ird");
    ASSERT_TRUE(t.start(std::make_unique<SilentLine>(&closed, &probes), clock, obs));
    // Probing into the silence: the worker runs.
    while (probes.load() < 3)
        std::this_thread::yield();
    EXPECT_TRUE(t.running());
    EXPECT_TRUE(t.cancel()) << "the worker ends within Cancel's own wait";
    EXPECT_EQ(closed.load(), 1);
    EXPECT_TRUE(t.aborted());
    EXPECT_EQ(t.finish(), DbTransferOutcome::Aborted);
    EXPECT_THAT(prompts.shown, IsEmpty()) << "an aborted receive says nothing more";
    EXPECT_EQ(obs.finished.load(), 1);
}

TEST_F(DbFlows, SilenceEndsTheSendAsAbortedOnAShortenedClock)
{
    std::atomic<int> closed{0};
    db->present = true;
    ScaledLinkClock fast(1000); // 30 s of silence in 30 ms
    DbTransfer t(doc, prompts);
    prompts.answers.push_back(common::Answer::Yes); // these tables fail the check: sent anyway
    ASSERT_TRUE(t.prepare_send({}));
    ASSERT_TRUE(t.start(std::make_unique<SilentLine>(&closed), fast, obs));
    ASSERT_TRUE(t.wait(UNTIL_DONE_MS));
    EXPECT_TRUE(t.aborted());
    EXPECT_EQ(t.finish(), DbTransferOutcome::Aborted);
    EXPECT_THAT(obs.boxes, ElementsAre("Communication Time Out"));
    EXPECT_EQ(closed.load(), 1);
}

TEST(TransferWorker, BuffersGoOnlyAfterAWorkerStuckInAWriteHasEnded)
{
    FakeReceiverRecord rec;
    Recorder obs;
    SteadyLinkClock clock;
    auto payload = std::make_shared<Bytes>(5000, 0xA5);
    std::weak_ptr<Bytes> watch = payload;
    ExchangeSetup setup;
    setup.kind = ExchangeKind::SoftwareToReceiver;
    setup.payload = payload->data();
    setup.payload_size = uint32_t(payload->size());
    {
        std::lock_guard<std::mutex> l(rec.mutex);
        rec.hold_writes = true;
    }
    TransferWorker w;
    int after_calls = 0;
    ASSERT_TRUE(w.start(std::make_unique<FakeReceiver>(rec, 0xFFFF, 0xFFFF), clock, obs, setup,
                        std::move(payload), [&](SerialLine&, ExchangeResult&, bool cancelled) {
                            ++after_calls;
                            EXPECT_TRUE(cancelled);
                        }));
    while (rec.writes_held.load() == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    // The first PROBE hangs: Stop gives up after its wait, and nothing is released under the worker.
    EXPECT_FALSE(w.stop(100));
    EXPECT_TRUE(w.active());
    EXPECT_FALSE(watch.expired());
    EXPECT_EQ(rec.closed.load(), 0);
    EXPECT_FALSE(w.start(std::make_unique<SilentLine>(nullptr), clock, obs, setup)) << "one worker at a time";

    rec.release();
    ASSERT_TRUE(w.wait(UNTIL_DONE_MS));
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(rec.closed.load(), 1);
    EXPECT_EQ(after_calls, 1);
    EXPECT_EQ(obs.finished.load(), 1);
    EXPECT_EQ(w.result().outcome, ExchangeOutcome::Stopped);
}
