// Software download: code files, size checks, the flash map per kind, and the download flow
// against a receiver inside the test process.
#include "common/testing/scripted_prompts.h"
#include "korvid/database/codes.h"
#include "korvid/link/transfer/software_download.h"
#include "korvid/link/transfer/tests/fake_receiver.h"

#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace korvid;
using namespace korvid::testing;
using common::ScriptedPrompts;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
namespace fs = std::filesystem;

namespace {

struct PageRecorder : DownloadPageObserver
{
    std::mutex m;
    std::vector<std::string> statuses, boxes, expected, names;
    std::vector<bool> download_button;
    std::atomic<int> finished{0};
    // Whether a download was flagged as running when the page was first told of its progress;
    // read after the end, since a fast download may be over before start() returns.
    std::atomic<int> flag_at_first_percent{-1};
    void on_percent(uint32_t) override
    {
        int unset = -1;
        flag_at_first_percent.compare_exchange_strong(unset, g_Downloading.load() ? 1 : 0);
    }
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
    void on_expected_text(const std::string& t) override
    {
        std::lock_guard<std::mutex> l(m);
        expected.push_back(t);
    }
    void on_file_name(const std::string& t) override
    {
        std::lock_guard<std::mutex> l(m);
        names.push_back(t);
    }
    void on_download_button(bool shown) override
    {
        std::lock_guard<std::mutex> l(m);
        download_button.push_back(shown);
    }
    void on_finished(const ExchangeResult&) override { ++finished; }
};

// Bytes with high bits set, so that a sign-extending read of the codes shows.
Bytes code_bytes(size_t n)
{
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = uint8_t(0xF1 + i * 7);
    return b;
}

class Software : public ::testing::Test
{
protected:
    fs::path dir;
    void SetUp() override
    {
        reset_codes();
        dir = fs::temp_directory_path() / ("korvid_sw_" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override
    {
        fs::remove_all(dir);
        reset_codes();
    }
    std::string file(const std::string& name, const Bytes& b)
    {
        auto p = dir / name;
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
        return p.string();
    }

    ScriptedPrompts prompts;
    PageRecorder obs;
    SteadyLinkClock clock;
    FakeReceiverRecord rec;
    LineOpener fake(uint16_t buyer, uint16_t model)
    {
        return [this, buyer, model] { return std::make_unique<FakeReceiver>(rec, buyer, model); };
    }
};

} // namespace

TEST(SoftwareFlashMap, OneRegionPerKindAndTheHeaderTypeFromBootThenOta)
{
    FlashBlockTable t;
    fill_software_flash_map(t, SoftwareKind::Main, 100000);
    EXPECT_EQ(t.count(), 2u);
    EXPECT_EQ(t.entry[1].staddr, 0x10000u);
    EXPECT_EQ(t.entry[1].edaddr, 0x386A0u);
    EXPECT_EQ(t.entry[1].bassize, 0x10000u);
    fill_software_flash_map(t, SoftwareKind::Boot, 100);
    EXPECT_EQ(t.entry[1].staddr, 0u);
    EXPECT_EQ(t.entry[1].edaddr, 0xFFFFu);
    fill_software_flash_map(t, SoftwareKind::Ota, 100);
    EXPECT_EQ(t.entry[1].staddr, 0x360000u);
    EXPECT_EQ(t.entry[1].edaddr, 0x38FFFFu);
    EXPECT_EQ(t.entry[2].staddr, 0u) << "nothing of an earlier map may stay behind";

    EXPECT_EQ(software_header_type(software_kind(true, true)), 136u);
    EXPECT_EQ(software_header_type(software_kind(false, true)), 153u);
    EXPECT_EQ(software_header_type(software_kind(false, false)), 2u);
}

TEST(CodeFileCodes, ReadBigEndianAtTheOffsetsOfTheKindAndOnlyFromBytesThatExist)
{
    Bytes b = code_bytes(300);
    uint16_t buyer = 0, model = 0;
    read_code_file_codes(b.data(), b.size(), false, buyer, model);
    EXPECT_EQ(buyer, b[30] * 256 + b[31]);
    EXPECT_EQ(model, b[34] * 256 + b[35]);
    read_code_file_codes(b.data(), b.size(), true, buyer, model);
    EXPECT_EQ(buyer, b[256] * 256 + b[257]);
    EXPECT_EQ(model, b[258] * 256 + b[259]);
    EXPECT_GT(buyer, 0x8000) << "fixture bytes must have the high bit set";

    // 35 bytes hold the main buyer code but only half of the model code.
    read_code_file_codes(b.data(), 35, false, buyer, model);
    EXPECT_EQ(buyer, b[30] * 256 + b[31]);
    EXPECT_EQ(model, 0xFFFF);
    read_code_file_codes(b.data(), 259, true, buyer, model);
    EXPECT_EQ(buyer, b[256] * 256 + b[257]);
    EXPECT_EQ(model, 0xFFFF);
    read_code_file_codes(b.data(), 0, false, buyer, model);
    EXPECT_EQ(buyer, 0xFFFF);
}

TEST_F(Software, SizeCheckRefusesBootAndOtaFilesAtTheirLimits)
{
    auto boot_max = file("b1.mem", Bytes(0xFFFF));
    auto boot_big = file("b2.mem", Bytes(0x10000));
    auto ota_max = file("o1.mem", Bytes(0x2FFFF));
    auto ota_big = file("o2.mem", Bytes(0x30000));
    EXPECT_TRUE(code_file_size_ok(boot_max, false, true, prompts));
    EXPECT_FALSE(code_file_size_ok(boot_big, false, true, prompts));
    EXPECT_TRUE(code_file_size_ok(ota_max, true, false, prompts));
    EXPECT_FALSE(code_file_size_ok(ota_big, true, false, prompts));
    EXPECT_TRUE(code_file_size_ok(ota_big, false, false, prompts)) << "main software has no limit";
    EXPECT_FALSE(code_file_size_ok((dir / "missing").string(), false, true, prompts));
    EXPECT_TRUE(code_file_size_ok((dir / "missing").string(), false, false, prompts));
    // A FIFO is no code file, and is not waited on.
    ASSERT_EQ(::mkfifo((dir / "pipe.mem").c_str(), 0644), 0);
    EXPECT_FALSE(code_file_size_ok((dir / "pipe.mem").string(), false, true, prompts));
    // Which file and why, under the short text.
    EXPECT_THAT(
        prompts.shown,
        ElementsAre("boot file is too big", "boot file is too big",
                    "can't open file\n" + (dir / "missing").string() + ": No such file or directory",
                    "can't open file\n" + (dir / "pipe.mem").string() + ": a FIFO, not a regular file"));
}

TEST_F(Software, EachKindGetsItsRegionHeaderAndTheFileByteForByte)
{
    struct Case
    {
        bool boot, ota;
        uint32_t type, staddr, edaddr;
    };
    const Bytes code = code_bytes(2048 + 300); // two full packets, a short one
    for (Case c : {Case{false, false, 2, 0x10000, 2348 + 0x20000}, Case{true, false, 136, 0, 0xFFFF},
                   Case{false, true, 153, 0x360000, 0x38FFFF}}) {
        SCOPED_TRACE(c.type);
        FakeReceiverRecord r;
        SoftwareDownload d(prompts, obs, clock);
        d.set_boxes(c.ota, c.boot, false);
        ASSERT_TRUE(d.take_file(file("code.mem", code)));
        auto watch = d.code_buffer();
        EXPECT_FALSE(watch.expired());
        ASSERT_EQ(d.start([&] { return std::make_unique<FakeReceiver>(r, 0xFFFF, 0xFFFF); }),
                  SoftwareDownload::Start::Started);
        ASSERT_TRUE(d.wait(UNTIL_DONE_MS));
        EXPECT_EQ(obs.flag_at_first_percent.exchange(-1), 1);
        EXPECT_EQ(d.result().outcome, ExchangeOutcome::Complete);
        EXPECT_EQ(r.payload, code);
        EXPECT_EQ(r.packets, 3u);
        ASSERT_EQ(r.block_table.size(), FlashBlockTable::WIRE_SIZE);
        EXPECT_EQ(be32(r.block_table, 0), 2u);
        EXPECT_EQ(be32(r.block_table, 16), c.staddr);
        EXPECT_EQ(be32(r.block_table, 20), c.edaddr);
        EXPECT_EQ(be32(r.block_table, 24), 0x10000u);
        ASSERT_EQ(r.header.size(), TransferHeader::SIZE);
        EXPECT_EQ(be32(r.header, 4), code.size());
        EXPECT_EQ(be32(r.header, 8), c.type);
        EXPECT_TRUE(r.item_table.empty());
        EXPECT_EQ(r.closed.load(), 1);
        EXPECT_TRUE(watch.expired()) << "the worker releases the code buffer when it ends";
        EXPECT_FALSE(g_Downloading.load());
        EXPECT_EQ(r.answers.back(), BYE);
    }
    EXPECT_THAT(obs.boxes, ElementsAre("Transfer Complete..", "Transfer Complete..", "Transfer Complete.."));
    EXPECT_EQ(obs.download_button.back(), true);
    EXPECT_EQ(obs.expected.back(), "00:00");
}

TEST_F(Software, DnLetsAReceiverWithOtherCodesTakeTheFile)
{
    Bytes code = code_bytes(1024); // a multiple of 1024: ends with a packet of length 0
    code[30] = 0x12, code[31] = 0x34, code[34] = 0x56, code[35] = 0x78;
    auto path = file("main.mem", code);
    {
        SoftwareDownload d(prompts, obs, clock);
        ASSERT_TRUE(d.take_file(path));
        EXPECT_EQ(g_BuyerCode, 0x1234);
        EXPECT_EQ(g_ModelCode, 0x5678);
        ASSERT_EQ(d.start(fake(0x1234, 0x9999)), SoftwareDownload::Start::Started);
        ASSERT_TRUE(d.wait(UNTIL_DONE_MS));
        EXPECT_EQ(d.result().outcome, ExchangeOutcome::VersionMismatch);
        EXPECT_THAT(rec.answers, ::testing::Contains(VERSION_BAD));
        EXPECT_TRUE(rec.payload.empty());
    }
    FakeReceiverRecord r2;
    SoftwareDownload d(prompts, obs, clock);
    d.set_boxes(false, false, true);
    ASSERT_TRUE(d.take_file(path));
    ASSERT_EQ(d.start([&] { return std::make_unique<FakeReceiver>(r2, 0x1234, 0x9999); }),
              SoftwareDownload::Start::Started);
    ASSERT_TRUE(d.wait(UNTIL_DONE_MS));
    EXPECT_EQ(d.result().outcome, ExchangeOutcome::Complete);
    EXPECT_EQ(r2.payload, code);
    EXPECT_EQ(r2.packets, 2u);
}

TEST_F(Software, StartRefusesWhatCannotBeSentAndOpensNothingElse)
{
    SoftwareDownload d(prompts, obs, clock);
    ASSERT_TRUE(d.open_chosen(file("empty.mem", {})));
    EXPECT_EQ(d.start(fake(0xFFFF, 0xFFFF)), SoftwareDownload::Start::FileRefused);
    EXPECT_THAT(prompts.shown, ElementsAre("Please, check the file !"));
    EXPECT_EQ(rec.closed.load(), 1) << "the port opened for the refused download is closed again";

    prompts.shown.clear();
    ASSERT_TRUE(d.open_chosen(file("x.mem", Bytes(10))));
    fs::remove(dir / "x.mem");
    EXPECT_EQ(d.start(fake(0xFFFF, 0xFFFF)), SoftwareDownload::Start::FileRefused);
    EXPECT_THAT(prompts.shown,
                ElementsAre("File Open Failure\n" + (dir / "x.mem").string() + ": No such file or directory",
                            "Please, check the file !"));

    prompts.shown.clear();
    ASSERT_TRUE(d.open_chosen(file("p.mem", Bytes(10))));
    fs::remove(dir / "p.mem");
    ASSERT_EQ(::mkfifo((dir / "p.mem").c_str(), 0644), 0);
    EXPECT_EQ(d.start(fake(0xFFFF, 0xFFFF)), SoftwareDownload::Start::FileRefused);
    EXPECT_THAT(prompts.shown,
                ElementsAre("File Open Failure\n" + (dir / "p.mem").string() + ": a FIFO, not a regular file",
                            "Please, check the file !"));

    prompts.shown.clear();
    ASSERT_TRUE(d.open_chosen(file("y.mem", Bytes(10))));
    EXPECT_EQ(d.start([] { return nullptr; }), SoftwareDownload::Start::PortFailed);
    EXPECT_FALSE(g_Downloading.load());

    // A boot file chosen as main and then ticked BOOT is caught when Download is pressed.
    prompts.shown.clear();
    ASSERT_TRUE(d.open_chosen(file("big.mem", Bytes(0x10000))));
    d.boot_clicked(true);
    EXPECT_EQ(d.start(fake(0xFFFF, 0xFFFF)), SoftwareDownload::Start::FileRefused);
    EXPECT_THAT(prompts.shown, ElementsAre("boot file is too big"));
    EXPECT_TRUE(d.code_buffer().expired());
}

TEST_F(Software, StopEndsARunningDownloadWithByeAndClearsThePageButIdleStopDoesNothing)
{
    SoftwareDownload d(prompts, obs, clock);
    auto path = file("code.mem", code_bytes(4096));
    ASSERT_TRUE(d.open_chosen(path));
    d.stop();
    EXPECT_EQ(d.file_name(), path) << "Stop while no download runs changes nothing";
    EXPECT_TRUE(obs.names.size() == 1);

    {
        std::lock_guard<std::mutex> l(rec.mutex);
        rec.hold_writes = true; // every write of the PC waits: the download is still running
    }
    ASSERT_EQ(d.start(fake(0xFFFF, 0xFFFF)), SoftwareDownload::Start::Started);
    auto watch = d.code_buffer();
    EXPECT_FALSE(d.take_file(path));
    EXPECT_FALSE(d.open_chosen(path));
    EXPECT_EQ(d.start(fake(0xFFFF, 0xFFFF)), SoftwareDownload::Start::Busy);
    EXPECT_THAT(prompts.shown, ElementsAre("On Processing", "On Processing", "On downloading"));

    // The worker is stuck in a write: Stop gives up its wait at once and clears the page, and the
    // worker, once the line lets it go, ends and releases the code buffer itself.
    d.stop(0);
    EXPECT_FALSE(watch.expired()) << "the worker still uses the code buffer";
    rec.release();
    ASSERT_TRUE(d.wait(UNTIL_DONE_MS));
    EXPECT_FALSE(d.downloading());
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(rec.closed.load(), 1);
    EXPECT_EQ(rec.answers.back(), BYE);
    EXPECT_EQ(d.file_name(), "");
    EXPECT_EQ(d.code_size(), 0u);
    EXPECT_EQ(obs.names.back(), "");
    EXPECT_EQ(obs.finished.load(), 1);
}

TEST_F(Software, BoxClicksClearTheOtherBoxAndReadTheCodesAgain)
{
    Bytes code = code_bytes(300);
    SoftwareDownload d(prompts, obs, clock);
    ASSERT_TRUE(d.take_file(file("c.mem", code)));
    EXPECT_EQ(g_BuyerCode, code[30] * 256 + code[31]);
    d.ota_clicked(true);
    d.boot_clicked(true);
    EXPECT_TRUE(d.boot_box());
    EXPECT_FALSE(d.ota_box());
    EXPECT_EQ(g_BuyerCode, code[256] * 256 + code[257]);
    EXPECT_EQ(g_ModelCode, code[258] * 256 + code[259]);
    d.ota_clicked(true);
    EXPECT_FALSE(d.boot_box());
    EXPECT_EQ(g_ModelCode, code[34] * 256 + code[35]);
}
