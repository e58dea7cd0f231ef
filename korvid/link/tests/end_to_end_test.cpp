// The exchange loop on a real port against receiver-sim on a pseudo-terminal pair: what only a real
// line shows (a far end that dies, the receiver's own byte order, a damaged packet on the wire).
// The protocol's detail is pinned on virtual time in exchange_loop_test.cpp, each command once in
// korvid/link/transfer/tests/transfer_e2e_test.cpp.
#include "common/testing/receiver_sim_process.h"
#include "common/testing/scripted_prompts.h"
#include "korvid/database/database.h"
#include "korvid/database/ird_file.h"
#include "korvid/link/com_port.h"
#include "korvid/link/exchange_loop.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <thread>

using namespace korvid;
using common::testing::SimProcess;
using ::testing::Contains;
using ::testing::HasSubstr;
using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

namespace {

struct SimRecorder : ExchangeObserver
{
    std::vector<std::string> statuses;
    std::vector<std::string> boxes;
    std::function<void(uint32_t)> percent_hook;
    void on_status(const std::string& t) override { statuses.push_back(t); }
    void on_message_box(const std::string& t) override { boxes.push_back(t); }
    void on_percent(uint32_t p) override
    {
        if (percent_hook)
            percent_hook(p);
    }
};

Bytes test_image(uint32_t size)
{
    Bytes b(size);
    uint32_t x = 0x12345678;
    for (auto& v : b) {
        x = x * 1103515245 + 12345;
        v = uint8_t(x >> 23);
    }
    return b;
}

// Time on this clock moves a tenth of a second every time the loop looks at it, however fast or
// slow the machine is: the 10 s silence limit is a hundred passes of the loop.
class PassClock : public LinkClock
{
public:
    std::atomic<uint32_t> now{0};
    uint32_t now_ms() override { return now += 100; }
    void pause_ms(uint32_t ms) override { now += ms; }
    void pause_poll() override
    {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        now += 1;
    }
};

void write_file(const fs::path& p, const std::vector<uint8_t>& bytes)
{
    std::ofstream f(p, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

class EndToEnd : public ::testing::Test
{
protected:
    fs::path dir;
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("korvid-link-e2e-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override
    {
        if (!HasFailure())
            fs::remove_all(dir);
    }

    // Opens the simulator's far end as COM1 through the port table, as the programs do.
    bool open(CComPort& port, const SimProcess& sim)
    {
        ::setenv("KORVID_SERIAL_PORTS", sim.path().c_str(), 1);
        return !sim.path().empty() && port.Open(1);
    }

    ExchangeResult send_database(CComPort& port, SimRecorder& obs, const Bytes& image, LinkClock& clock)
    {
        fill_database_flash_map(blocks, items);
        ExchangeSetup setup;
        setup.kind = ExchangeKind::DatabaseToReceiver;
        setup.payload = image.data();
        setup.payload_size = uint32_t(image.size());
        setup.block_table = &blocks;
        setup.item_table = &items;
        setup.buyer_code = &buyer;
        setup.model_code = &model;
        std::atomic<bool> running{true};
        ExchangeLoop loop(port, clock, obs, setup, running);
        return loop.run();
    }

    ExchangeResult receive_database(CComPort& port, SimRecorder& obs, Bytes& buffer)
    {
        fill_database_flash_map(blocks, items);
        ExchangeSetup setup;
        setup.kind = ExchangeKind::DatabaseFromReceiver;
        setup.receive_buffer = buffer.data();
        setup.receive_capacity = uint32_t(buffer.size());
        setup.announced_size = DB_TRANSFER_SIZE;
        setup.block_table = &blocks;
        setup.item_table = &items;
        setup.buyer_code = &buyer;
        setup.model_code = &model;
        std::atomic<bool> running{true};
        SteadyLinkClock clock; // the packet wait's own 2 s
        ExchangeLoop loop(port, clock, obs, setup, running);
        ExchangeResult r = loop.run();
        port.Close();
        return r;
    }

    FlashBlockTable blocks;
    ItemTable items;
    uint16_t buyer = 0x1234;
    uint16_t model = 0x5678;
};

} // namespace

TEST_F(EndToEnd, ReceiverKilledMidTransferIsSeenAtOnceAsCommunicationTimeOut)
{
    Bytes image = test_image(DB_TRANSFER_SIZE);
    SimProcess sim({}, (dir / "sim.log").string());
    CComPort port;
    ASSERT_TRUE(open(port, sim));
    SimRecorder obs;
    bool killed = false;
    PassClock clock;
    uint32_t killed_at = 0;
    obs.percent_hook = [&](uint32_t p) {
        if (p >= 30 && !killed) {
            sim.kill();
            killed = true;
            killed_at = clock.now;
        }
    };
    ExchangeResult r = send_database(port, obs, image, clock);
    EXPECT_TRUE(killed);
    EXPECT_EQ(r.outcome, ExchangeOutcome::TimedOut);
    EXPECT_TRUE(r.aborted);
    EXPECT_EQ(obs.boxes, std::vector<std::string>{"Communication Time Out"});
    EXPECT_EQ(obs.statuses.back(), "Communication Time Out");
    EXPECT_GT(r.offset, DB_TRANSFER_SIZE * 29 / 100);
    EXPECT_LT(r.offset, DB_TRANSFER_SIZE);
    // The hang-up ends the loop within a few passes; waiting out the silence would take a hundred.
    EXPECT_LT(clock.now - killed_at, 2000u);
    EXPECT_EQ(port.State(), PortState::HungUp);
    EXPECT_EQ(sim.wait(), -2);
}

TEST_F(EndToEnd, DatabaseReceiveFetchesTheReceiversImage)
{
    Bytes image = test_image(DB_TRANSFER_SIZE);
    write_file(dir / "image.bin", image);
    SimProcess sim({"--exchange", "db-from-receiver", "--image", (dir / "image.bin").string(), "--buyer",
                    "0xF1F2", "--model", "0x0304", "--corrupt-packet", "7"},
                   (dir / "sim.log").string());
    CComPort port;
    ASSERT_TRUE(open(port, sim));
    Bytes buffer(0x100000, 0);
    SimRecorder obs;
    ExchangeResult r = receive_database(port, obs, buffer);
    EXPECT_EQ(r.outcome, ExchangeOutcome::Complete);
    EXPECT_EQ(r.offset, DB_TRANSFER_SIZE);
    EXPECT_EQ(sim.wait(), 0) << sim.log();
    EXPECT_TRUE(std::equal(image.begin(), image.end(), buffer.begin()));
    EXPECT_EQ(buyer, 0xF1F2);
    EXPECT_EQ(model, 0x0304);
    // The damaged packet 7, then, the line having shown noise, the first copy of packets 7 to 464
    // held back until a second agrees.
    EXPECT_THAT(sim.log(), HasSubstr("in 464 packets, 459 refused by the PC"));
}

TEST_F(EndToEnd, ReceiverServesAnIrdDatabaseInItsOwnByteOrder)
{
    // A database with 16-bit fields whose two bytes differ, so a missing or double swap shows.
    auto db = std::make_unique<Database>();
    db->clear();
    db->system.syscode = DB_SYSCODE_VALUE;
    db->transponders[0] = {0, 0, 27500, 0x2F1E, 0, 1, 3, 0};
    db->transponders[3275] = {64, 0, 0x1234, 11954, 0, 0, 2, 0};
    std::vector<uint8_t> file;
    encode_database(*db, 0xABCD, 0x0102, file);
    write_file(dir / "db.ird", file);
    SimProcess sim({"--exchange", "db-from-receiver", "--ird", (dir / "db.ird").string()},
                   (dir / "sim.log").string());
    CComPort port;
    ASSERT_TRUE(open(port, sim));
    Bytes buffer(0x100000, 0);
    SimRecorder obs;
    ExchangeResult r = receive_database(port, obs, buffer);
    ASSERT_EQ(r.outcome, ExchangeOutcome::Complete);
    EXPECT_EQ(sim.wait(), 0) << sim.log();
    // The receiver's codes are the file's.
    EXPECT_EQ(buyer, 0xABCD);
    EXPECT_EQ(model, 0x0102);
    auto back = std::make_unique<Database>();
    common::ScriptedPrompts prompts;
    ASSERT_EQ(back->take_back_image(buffer.data(), prompts), 1);
    EXPECT_EQ(back->transponders[0].frequency, 0x2F1E);
    EXPECT_EQ(back->transponders[3275].symbol_rate, 0x1234);
    Bytes a(DB_IMAGE_SIZE, 0), b(DB_IMAGE_SIZE, 0);
    db->pack_image(a.data());
    back->pack_image(b.data());
    EXPECT_TRUE(a == b);
}
