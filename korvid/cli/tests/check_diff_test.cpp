// korvid-cli check, diff and order-like end to end: the lines they print, JSON, and their exit codes;
// and the same check in front of send-db.
#include "korvid/database/database_json.h"
#include "korvid/database/ird_file.h"
#include "korvid/database/tests/test_database.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace korvid {
namespace {

namespace fs = std::filesystem;

struct Result
{
    int code = -1;
    std::string out, err;
};

class CheckDiffCli : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("kd-cli-check-diff-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string p(const std::string& name) const { return (dir / name).string(); }
    void write(const Database& db, const std::string& name, uint16_t model = 0x0105)
    {
        ASSERT_TRUE(write_database_file(db, 0x0001, model, p(name)));
    }
    static std::string slurp(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // The file names the tests use need no quoting.
    Result run(const std::string& args)
    {
        const std::string cmd = std::string(KORVID_CLI) + " " + args + " >" + p("out") + " 2>" + p("err");
        const int status = std::system(cmd.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(p("out")), slurp(p("err"))};
    }

    fs::path dir;
};

TEST_F(CheckDiffCli, CheckPrintsOneLinePerProblemAndExitsOneWhenThereIsAny)
{
    auto db = testing::sound_database();
    write(*db, "sound.ird");
    Result r = run("check " + p("sound.ird"));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "");

    // Notes are printed but only count with --strict.
    testing::put_satellite(*db, 5, "Thor", -8);
    write(*db, "noted.ird");
    r = run("check " + p("noted.ird"));
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "note: SAT 003 \"Thor\" 0.8W: it has no transponder\n");
    EXPECT_EQ(run("check --strict " + p("noted.ird")).code, 1);

    db->system.chan_count[SERVICE_RADIO] = 0;
    write(*db, "bad.ird");
    r = run("check " + p("bad.ird"));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "damaged: RADIO list: the count says 0 channels, but 1 stand at the front\n"
                     "note: SAT 003 \"Thor\" 0.8W: it has no transponder\n");

    r = run("check " + p("missing.ird"));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "Can't open to this file\n" + p("missing.ird") + ": No such file or directory\n");
    EXPECT_EQ(run("check").code, 2);
}

TEST_F(CheckDiffCli, SendDbRefusesDamageUnlessForcedAndIsSilentAboutNotes)
{
    auto db = testing::sound_database();
    testing::put_satellite(*db, 5, "Thor", -8);
    write(*db, "noted.ird");
    db->system.chan_count[SERVICE_RADIO] = 0;
    write(*db, "bad.ird");
    // No port by that name: the check's answer shows whether the port was tried at all.
    Result r = run("send-db " + p("bad.ird") + " --port COM77");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "The database check found 1 problem that the receiver would trip over:\n"
                     "damaged: RADIO list: the count says 0 channels, but 1 stand at the front\n"
                     "Send it anyway? No (--force sends it all the same)\n");
    r = run("send-db " + p("bad.ird") + " --port COM77 --force");
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("Send it anyway? Yes\nCan not open COM77\n"), std::string::npos) << r.err;
    // Notes are not asked about: the port is tried at once.
    r = run("send-db " + p("noted.ird") + " --port COM77");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("Can not open COM77\n", 0), 0u) << r.err;
}

TEST_F(CheckDiffCli, DiffPrintsWhatChangedAsTextOrJsonAndExitsOneWhenTheyDiffer)
{
    auto db = testing::sound_database();
    write(*db, "a.ird");
    write(*db, "same.ird");
    db->swap_channels(SERVICE_TV, 0, 2);
    write(*db, "b.ird", 0x0106);

    Result r = run("diff " + p("a.ird") + " " + p("same.ird"));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "");

    r = run("diff " + p("a.ird") + " " + p("b.ird"));
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_EQ(r.out, "changed: the file's codes: Model \"0x0105\" -> \"0x0106\"\n"
                     "moved: TV \"Das Erste HD\" on \"Astra 19.2E\" 11494 H 22000: Num 0001 -> 0003\n"
                     "moved: TV \"Rai 1\" on \"Hot Bird\" 10992 V 27500: Num 0003 -> 0001\n");

    r = run("diff --json " + p("a.ird") + " " + p("b.ird"));
    EXPECT_EQ(r.code, 1);
    const auto json = nlohmann::json::parse(r.out);
    EXPECT_EQ(json["same"], false);
    EXPECT_EQ(json["differences"].size(), 3u);
    EXPECT_EQ(json["differences"][1]["change"], "moved");

    r = run("diff " + p("a.ird") + " " + p("missing.ird"));
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err, "Can't open to this file\n" + p("missing.ird") + ": No such file or directory\n");
}

// Names come from receivers: a line feed, CR or ESC in one must neither split a line nor reach the
// terminal, and a byte that is not UTF-8 is shown as its value.
TEST_F(CheckDiffCli, EveryLineStaysOneLineWhateverTheNamesHold)
{
    auto db = testing::sound_database();
    write(*db, "a.ird");
    const char odd[] = "Z\nD\x1b[2J\r\xfc";
    for (int c : {1, 2}) // the same name twice on one transponder is a note that names both
        std::memcpy(db->channels[c].name, odd, sizeof odd);
    db->channels[2].tp_index = 0;
    write(*db, "b.ird");
    const std::string shown = "Z\\nD\\x1b[2J\\x0d\\xfc";

    Result r = run("check " + p("b.ird"));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "note: TV 0003 \"" + shown +
                         "\" on 11494 H 22000: same name as TV 0002 on the same transponder\n");

    r = run("diff " + p("a.ird") + " " + p("b.ird"));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 3)
        << r.out; // a rename, and a removal and addition
    EXPECT_EQ(r.out.find_first_of("\x1b\r"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Name \"ZDF HD\" -> \"" + shown + "\""), std::string::npos) << r.out;

    // A path holding them in an error message, too.
    r = run("info " + p("odd\x1b[2J") + "");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "Can't open to this file\n" + p("odd\\x1b[2J") + ": No such file or directory\n");
}

TEST_F(CheckDiffCli, OrderLikePrintsTheSummaryAndWritesTheFileInTheReferencesOrder)
{
    auto db = testing::sound_database();
    write(*db, "db.ird");
    auto ref = testing::copy_of(*db);
    ASSERT_TRUE(ref->reorder_channels(SERVICE_TV, {2, 1, 0}));
    write(*ref, "ref.ird");
    std::ofstream(p("ref.json")) << dump_database_json(*ref, 0x0001, 0x0105);

    Result r = run("order-like " + p("db.ird") + " " + p("ref.json") + " -o " + p("out.ird"));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "TV: 3 of 3 channels matched (3 by transponder, name and PIDs)\n"
                     "RADIO: 1 of 1 channel matched (1 by transponder, name and PIDs)\n"
                     "2 channels change place\n"
                     "Saved " +
                         p("out.ird") + "\n");
    EXPECT_EQ(slurp(p("out.ird")), slurp(p("ref.ird")));

    // A reference that cannot be read leaves the file alone; without -o the file itself is written.
    const std::string before = slurp(p("db.ird"));
    r = run("order-like " + p("db.ird") + " " + p("missing.ird"));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "Can't open to this file\n" + p("missing.ird") + ": No such file or directory\n");
    EXPECT_EQ(slurp(p("db.ird")), before);
    EXPECT_EQ(run("order-like " + p("db.ird") + " " + p("ref.ird")).code, 0);
    EXPECT_EQ(slurp(p("db.ird")), slurp(p("ref.ird")));
}

} // namespace
} // namespace korvid
