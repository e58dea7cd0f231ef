// korvid-cli's transfer commands and the transfer flows against receiver-sim on pseudo-terminals.
#include "common/testing/child_process.h"
#include "common/testing/receiver_sim_process.h"
#include "common/testing/scripted_prompts.h"
#include "korvid/database/codes.h"
#include "korvid/database/ird_file.h"
#include "korvid/database/tests/test_database.h"
#include "korvid/link/transfer/db_transfer.h"

#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <iterator>

using namespace korvid;
using namespace korvid::testing;
using common::testing::SimProcess;
using ::testing::HasSubstr;
namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

namespace {

Bytes read_file(const fs::path& p)
{
    std::ifstream f(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void write_file(const fs::path& p, const Bytes& b)
{
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

std::string last_line(const std::string& s)
{
    std::string t = s;
    while (!t.empty() && t.back() == '\n')
        t.pop_back();
    auto nl = t.rfind('\n');
    return nl == std::string::npos ? t : t.substr(nl + 1);
}

// korvid-cli as a child process with its output in files.
class Cli
{
public:
    Cli(const std::vector<std::string>& args, const fs::path& dir)
        : m_out(dir / "cli.out")
        , m_err(dir / "cli.err")
        , m_child(with_program(args), {m_out.string(), m_err.string()})
    {}
    void interrupt() { m_child.signal(SIGINT); }
    // The exit code; the command ends by itself (its own time-outs included).
    int wait() { return m_child.wait(); }
    std::string out() const { return text(m_out); }
    std::string err() const { return text(m_err); }

private:
    static std::vector<std::string> with_program(std::vector<std::string> args)
    {
        args.insert(args.begin(), KORVID_CLI);
        return args;
    }
    static std::string text(const fs::path& p)
    {
        Bytes b = read_file(p);
        return std::string(b.begin(), b.end());
    }
    fs::path m_out, m_err;
    common::testing::ChildProcess m_child;
};

class TransferE2E : public ::testing::Test
{
protected:
    fs::path dir;
    void SetUp() override
    {
        reset_codes();
        dir = fs::temp_directory_path() / ("korvid_xfer_e2e_" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override
    {
        fs::remove_all(dir);
        reset_codes();
    }
    std::string p(const char* name) const { return (dir / name).string(); }

    // A valid database file with every table random, and its image in the receiver's order as
    // the sender must deliver it.
    void make_database(const fs::path& path, uint16_t buyer, uint16_t model, Bytes* receiver_image)
    {
        auto db = sound_random_database(11);
        ASSERT_TRUE(write_database_file(*db, buyer, model, path.string()));
        if (receiver_image) {
            receiver_image->assign(DB_TRANSFER_BUFFER_SIZE, 0);
            db->build_image_for_receiver(receiver_image->data());
            receiver_image->resize(DB_IMAGE_SIZE);
        }
    }
    Bytes code_file(size_t n, uint16_t buyer, uint16_t model, uint32_t buyer_at = 30, uint32_t model_at = 34)
    {
        Bytes b(n);
        for (size_t i = 0; i < n; ++i)
            b[i] = uint8_t(i * 131 + 7);
        b[buyer_at] = uint8_t(buyer >> 8), b[buyer_at + 1] = uint8_t(buyer);
        b[model_at] = uint8_t(model >> 8), b[model_at + 1] = uint8_t(model);
        return b;
    }
};

} // namespace

TEST_F(TransferE2E, SendDbDeliversThePackedImageInReceiverOrderIn465Packets)
{
    Bytes image;
    make_database(p("db.ird"), 0x1234, 0x5678, &image);
    SimProcess sim({"--buyer", "0x1234", "--model", "0x5678", "--out", p("got.bin")}, p("sim.log"));
    ASSERT_FALSE(sim.path().empty());
    Cli cli({"send-db", p("db.ird"), "--port", sim.path()}, dir);
    ASSERT_EQ(cli.wait(), 0) << cli.err();
    EXPECT_EQ(sim.wait(), 0) << sim.log();
    EXPECT_THAT(sim.log(), HasSubstr("received 475136 bytes in 465 packets, 0 refused"));
    EXPECT_EQ(read_file(p("got.bin")), image);
    EXPECT_THAT(cli.out(), HasSubstr("expected : 00:47\nWait Connection..\nConnected..\nData Transfer\n"
                                     "On Writing.. Please Wait!\nTransfer Complete\n"));
}

TEST_F(TransferE2E, SendDbTakesAFourByteVersionAnswer)
{
    Bytes image;
    make_database(p("db.ird"), 0x1234, 0x5678, &image);
    SimProcess sim({"--short-version", "--out", p("got.bin")}, p("sim.log"));
    Cli cli({"send-db", p("db.ird"), "--port", sim.path()}, dir);
    ASSERT_EQ(cli.wait(), 0) << cli.err();
    EXPECT_EQ(sim.wait(), 0);
    EXPECT_THAT(sim.log(), HasSubstr("465 packets, 0 refused"));
    EXPECT_EQ(read_file(p("got.bin")), image);
}

TEST_F(TransferE2E, SendDbAndFlashRepeatARefusedPacketThenStopTheReceiverBeforeItWrites)
{
    make_database(p("db.ird"), 0x1234, 0x5678, nullptr);
    {
        SimProcess sim({"--refuse-once", "3", "--refuse-once", "465", "--out", p("got.bin")}, p("sim.log"));
        Cli cli({"send-db", p("db.ird"), "--port", sim.path()}, dir);
        EXPECT_EQ(cli.wait(), 1);
        EXPECT_THAT(cli.out(), HasSubstr("Checksum error"));
        EXPECT_EQ(last_line(cli.err()), "Transfer stopped: the line damaged data; nothing was written");
        EXPECT_EQ(sim.wait(), 2);
        EXPECT_THAT(sim.log(), HasSubstr("the PC ended the exchange after packet 465; nothing written"));
        EXPECT_FALSE(fs::exists(p("got.bin")));
    }
    write_file(p("main.mem"), code_file(5000, 0xFFFF, 0xFFFF));
    {
        SimProcess sim({"--exchange", "software", "--refuse-once", "2", "--out", p("got.mem")}, p("sim.log"));
        Cli cli({"flash", p("main.mem"), "--port", sim.path()}, dir);
        EXPECT_EQ(cli.wait(), 1);
        EXPECT_EQ(last_line(cli.err()), "Transfer stopped: the line damaged data; nothing was written");
        EXPECT_EQ(sim.wait(), 2);
        EXPECT_THAT(sim.log(), HasSubstr("the PC ended the exchange after packet 5; nothing written"));
        EXPECT_FALSE(fs::exists(p("got.mem")));
    }
}

TEST_F(TransferE2E, SendDbToAReceiverOfAnotherFamilyFailsWithTheMismatchLast)
{
    make_database(p("db.ird"), 0x1234, 0x5678, nullptr);
    SimProcess sim({"--buyer", "0x1234", "--model", "0x0001"}, p("sim.log"));
    Cli cli({"send-db", p("db.ird"), "--port", sim.path()}, dir);
    EXPECT_EQ(cli.wait(), 1);
    EXPECT_EQ(last_line(cli.err()), "Buyer/Model is different");
    EXPECT_EQ(sim.wait(), 3) << sim.log();
}

TEST_F(TransferE2E, SendDbAndFlashGiveUpOnAPacketTheReceiverRefusesEveryTime)
{
    make_database(p("db.ird"), 0x1234, 0x5678, nullptr);
    {
        SimProcess sim({"--refuse-always", "3", "--trace"}, p("sim.log"));
        Cli cli({"send-db", p("db.ird"), "--port", sim.path(), "--max-refusals", "5"}, dir);
        EXPECT_EQ(cli.wait(), 1);
        EXPECT_EQ(last_line(cli.err()), "The receiver refused packet 3 5 times: giving up");
        EXPECT_EQ(sim.wait(), 2);
        EXPECT_THAT(sim.log(), HasSubstr("the PC ended the exchange at packet 3"));
    }
    write_file(p("main.mem"), code_file(5000, 0xFFFF, 0xFFFF));
    {
        SimProcess sim({"--exchange", "software", "--refuse-always", "1"}, p("sim.log"));
        Cli cli({"flash", p("main.mem"), "--port", sim.path(), "--max-refusals", "2"}, dir);
        EXPECT_EQ(cli.wait(), 1);
        EXPECT_EQ(last_line(cli.err()), "The receiver refused packet 1 2 times: giving up");
        EXPECT_EQ(sim.wait(), 2);
    }
}

TEST_F(TransferE2E, RecvDbKeepsAWholeButDamagedImageAndPrintsWhatTheCheckFound)
{
    auto db = sound_random_database(12);
    db->transponders[100].sat_id = 0xC3; // what two flips the packet checksum cannot see might leave
    Bytes image(DB_TRANSFER_BUFFER_SIZE, 0);
    db->build_image_for_receiver(image.data());
    image.resize(DB_IMAGE_SIZE);
    write_file(p("image.bin"), image);
    SimProcess sim({"--exchange", "db-from-receiver", "--image", p("image.bin")}, p("sim.log"));
    Cli cli({"recv-db", p("out.ird"), "--port", sim.path()}, dir);
    EXPECT_EQ(cli.wait(), 0) << cli.err();
    EXPECT_EQ(sim.wait(), 0);
    const std::string out = cli.out();
    const size_t complete = out.find("Transfer Complete");
    ASSERT_NE(complete, std::string::npos) << out;
    EXPECT_NE(out.find("The database check: 1 damaged, 0 notes\n"
                       "damaged: transponder 100 names satellite 195\n",
                       complete),
              std::string::npos)
        << out;
    std::vector<uint8_t> buf;
    ASSERT_EQ(load_ird_file(p("out.ird"), buf), IrdLoad::Ok);
    auto kept = std::make_unique<Database>();
    uint16_t buyer = 0, model = 0;
    read_database(*kept, buf.data(), buyer, model);
    EXPECT_EQ(kept->transponders[100].sat_id, 0xC3) << "what arrived is written as it arrived";
}

TEST_F(TransferE2E, RecvDbWritesWhatOpenAndSaveOfTheSourceGiveWithTheReceiversCodes)
{
    Bytes image;
    make_database(p("src.ird"), 0x0102, 0x0304, &image);
    write_file(p("image.bin"), image);
    // The expected file: the source opened, and saved under the receiver's codes.
    {
        std::vector<uint8_t> buf;
        ASSERT_EQ(load_ird_file(p("src.ird"), buf), IrdLoad::Ok);
        auto db = std::make_unique<Database>();
        uint16_t b, m;
        read_database(*db, buf.data(), b, m);
        ASSERT_TRUE(write_database_file(*db, 0xF1E2, 0xD3C4, p("expected.ird")));
    }
    SimProcess sim({"--exchange", "db-from-receiver", "--image", p("image.bin"), "--buyer", "0xF1E2",
                    "--model", "0xD3C4"},
                   p("sim.log"));
    Cli cli({"recv-db", p("out.ird"), "--port", sim.path()}, dir);
    ASSERT_EQ(cli.wait(), 0) << cli.err();
    EXPECT_EQ(sim.wait(), 0) << sim.log();
    Bytes out = read_file(p("out.ird"));
    ASSERT_EQ(out.size(), size_t(IRD_FILE_SIZE));
    EXPECT_EQ(out[0], 0xF1);
    EXPECT_EQ(out[3], 0xC4);
    EXPECT_TRUE(out == read_file(p("expected.ird")));
}

TEST_F(TransferE2E, RecvDbOfSomethingThatIsNoDatabaseWritesNothing)
{
    write_file(p("image.bin"), Bytes(DB_IMAGE_SIZE, 0x33));
    SimProcess sim({"--exchange", "db-from-receiver", "--image", p("image.bin")}, p("sim.log"));
    Cli cli({"recv-db", p("out.ird"), "--port", sim.path()}, dir);
    EXPECT_EQ(cli.wait(), 1);
    EXPECT_EQ(last_line(cli.err()), "Wrong DB : syscode");
    EXPECT_FALSE(fs::exists(p("out.ird")));
}

TEST_F(TransferE2E, RecvDbIntoAFileThatCannotBeWrittenStopsBeforeTheTransfer)
{
    Bytes image;
    make_database(p("src.ird"), 0x0102, 0x0304, &image);
    write_file(p("image.bin"), image);
    SimProcess sim({"--exchange", "db-from-receiver", "--image", p("image.bin")}, p("sim.log"));
    Cli cli({"recv-db", p("no-such-dir/out.ird"), "--port", sim.path()}, dir);
    EXPECT_EQ(cli.wait(), 1);
    EXPECT_EQ(cli.err(),
              "Can't save to this file\n" + p("no-such-dir/out.ird") + ": No such file or directory\n");
    EXPECT_THAT(cli.out(), ::testing::Not(HasSubstr("expected"))) << "the receive never started";
}

TEST_F(TransferE2E, RecvDbOfAShortImageIsNotTakenForAWholeOne)
{
    Bytes image;
    make_database(p("src.ird"), 0x0102, 0x0304, &image);
    image.resize(0x71000); // the system block is in, the last regions are not
    write_file(p("image.bin"), image);
    SimProcess sim({"--exchange", "db-from-receiver", "--image", p("image.bin")}, p("sim.log"));
    Cli cli({"recv-db", p("out.ird"), "--port", sim.path()}, dir);
    EXPECT_EQ(cli.wait(), 1);
    EXPECT_THAT(last_line(cli.err()), HasSubstr("Transfer incomplete"));
    EXPECT_FALSE(fs::exists(p("out.ird")));
}

TEST_F(TransferE2E, FlashSendsEachKindWithItsHeaderTypeByteForByte)
{
    struct Case
    {
        const char* flag;
        const char* type;
        size_t size;
    };
    for (Case c : {Case{nullptr, "type 2", 5000}, Case{"--boot", "type 136", 0xFFFF},
                   Case{"--ota", "type 153", 3072}}) {
        SCOPED_TRACE(c.type);
        Bytes code = code_file(c.size, 0xFFFF, 0xFFFF);
        write_file(p("code.mem"), code);
        SimProcess sim({"--exchange", "software", "--out", p("got.bin"), "--trace"}, p("sim.log"));
        std::vector<std::string> args{"flash", p("code.mem"), "--port", sim.path()};
        if (c.flag)
            args.push_back(c.flag);
        Cli cli(args, dir);
        ASSERT_EQ(cli.wait(), 0) << cli.err();
        EXPECT_EQ(sim.wait(), 0) << sim.log();
        EXPECT_THAT(sim.log(), HasSubstr("header: size " + std::to_string(c.size) + " " + c.type));
        EXPECT_TRUE(read_file(p("got.bin")) == code);
        EXPECT_THAT(cli.out(), HasSubstr("Transfer Complete.."));
    }
}

TEST_F(TransferE2E, FlashRefusesABootFileOf0x10000AndOtherCodesWithoutDn)
{
    write_file(p("boot.mem"), code_file(0x10000, 0xFFFF, 0xFFFF));
    {
        Cli cli({"flash", p("boot.mem"), "--port", "/dev/null", "--boot"}, dir);
        EXPECT_EQ(cli.wait(), 1);
        EXPECT_EQ(last_line(cli.err()), "boot file is too big");
    }
    write_file(p("main.mem"), code_file(3000, 0x1234, 0x5678));
    {
        SimProcess sim({"--exchange", "software", "--buyer", "0x1234", "--model", "0x9999"}, p("sim.log"));
        Cli cli({"flash", p("main.mem"), "--port", sim.path()}, dir);
        EXPECT_EQ(cli.wait(), 1);
        EXPECT_EQ(last_line(cli.err()), "Buyer/Model is different");
        EXPECT_EQ(sim.wait(), 3);
    }
    {
        SimProcess sim(
            {"--exchange", "software", "--buyer", "0x1234", "--model", "0x9999", "--out", p("got.bin")},
            p("sim.log"));
        Cli cli({"flash", p("main.mem"), "--port", sim.path(), "--dn"}, dir);
        EXPECT_EQ(cli.wait(), 0) << cli.err();
        EXPECT_EQ(sim.wait(), 0);
        EXPECT_EQ(read_file(p("got.bin")).size(), 3000u);
    }
}

TEST_F(TransferE2E, CtrlCSaysByeClosesThePortAndExits130)
{
    write_file(p("main.mem"), code_file(20000, 0xFFFF, 0xFFFF));
    SimProcess sim({"--exchange", "software", "--silent-after", "3", "--trace"}, p("sim.log"));
    Cli cli({"flash", p("main.mem"), "--port", sim.path()}, dir);
    // Wait until the receiver has gone quiet, well inside the 10 s the PC would wait.
    for (int i = 0; i < 12000 && sim.log().find("silent:") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_THAT(sim.log(), HasSubstr("silent:"));
    cli.interrupt();
    EXPECT_EQ(cli.wait(), 130);
    EXPECT_EQ(sim.wait(), 4);
    EXPECT_THAT(sim.log(), HasSubstr("rx A0 BYE"));
}

TEST_F(TransferE2E, PortsThatCannotBeOpenedAndWrongArgumentsGiveTheirExitCodes)
{
    make_database(p("db.ird"), 0x1234, 0x5678, nullptr);
    {
        Cli cli({"send-db", p("db.ird"), "--port", "COM77"}, dir);
        EXPECT_EQ(cli.wait(), 1);
        EXPECT_THAT(cli.err(), ::testing::StartsWith("Can not open COM77\n"));
    }
    {
        Cli cli({"send-db", p("db.ird"), "--port", p("no-such-tty")}, dir);
        EXPECT_EQ(cli.wait(), 1);
        EXPECT_THAT(cli.err(), HasSubstr("Can not open"));
    }
    {
        Cli cli({"send-db", p("missing.ird"), "--port", "COM1"}, dir);
        EXPECT_EQ(cli.wait(), 1);
    }
    {
        Cli cli({"recv-db", p("x.ird"), "--port", "serial"}, dir);
        EXPECT_EQ(cli.wait(), 2);
    }
}
