// korvid-cli update-tp end to end: the changes it prints and its exit codes (0 nothing to change, 1
// changes, 2 unusable input), and --apply writing the output file while the input stays as it was.
#include "korvid/database/ird_file.h"
#include "korvid/database/slots.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace korvid {
namespace {

namespace fs = std::filesystem;

class UpdateTpCli : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("kd-cli-update-tp-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        // One satellite at 13.0E with one transponder, both tuner halves.
        auto db = std::make_unique<Database>();
        db->clear();
        db->system.syscode = DB_SYSCODE_VALUE;
        for (int half = 0; half < 2; ++half) {
            tSatellite& sat = db->satellites[half * SAT_HALF_NUM];
            sat.sat_id = uint8_t(half * SAT_HALF_NUM);
            sat.position = 130;
            store_satellite_name(*db, half * SAT_HALF_NUM, "Hot Bird");
            tTransponder& tp = db->transponders[half * TP_HALF_NUM];
            tp = {uint8_t(half * SAT_HALF_NUM), 0, 27500, 11000, 10, 0, 3, 0};
        }
        ASSERT_TRUE(write_database_file(*db, 1, 2, p("db.ird")));
        std::ofstream(p("Hotbird-13.0E"))
            << "[CHANNEL]\nFREQUENCY = 11001000\nPOLARIZATION = VERTICAL\nSYMBOL_RATE = 27500000\n"
               "[CHANNEL]\nFREQUENCY = 12000000\nPOLARIZATION = HORIZONTAL\nSYMBOL_RATE = 30000000\n"
               "INNER_FEC = 5/6\n";
        std::ofstream(p("broken")) << "[CHANNEL]\nFREQUENCY = 11001000\n";
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string p(const std::string& name) const { return (dir / name).string(); }
    static std::string slurp(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    int run(const std::string& args)
    {
        const std::string cmd =
            std::string(KORVID_CLI) + " update-tp " + args + " >" + p("out") + " 2>" + p("err");
        const int status = std::system(cmd.c_str());
        out = slurp(p("out"));
        err = slurp(p("err"));
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    fs::path dir;
    std::string out, err;
};

TEST_F(UpdateTpCli, PrintsTheChangesAppliesThemAndThenHasNothingToChange)
{
    const std::string before = slurp(p("db.ird"));
    EXPECT_EQ(run(p("db.ird") + " --satellite 13.0E --from " + p("Hotbird-13.0E")), 1) << err;
    EXPECT_EQ(out, "Hot Bird from Hotbird-13.0E (13.0E, 2 transponders, 0 already as listed)\n"
                   "[x] add 12000 H 30000 5/6\n"
                   "[x] change 11000 V 27500 3/4 -> 11001 V 27500 3/4\n");

    EXPECT_EQ(run(p("db.ird") + " --satellite 'hot bird' --from " + p("Hotbird-13.0E") + " --apply -o " +
                  p("new.ird")),
              0)
        << err;
    EXPECT_NE(out.find("Added 1, changed 1, removed 0 transponders.\n"), std::string::npos) << out;
    EXPECT_EQ(slurp(p("db.ird")), before);
    const DatabaseFile file = read_database_file(p("new.ird"));
    ASSERT_TRUE(file.ok()) << file.message;
    EXPECT_EQ(file.buyer, 1);
    EXPECT_EQ(file.model, 2);
    const Database* updated = file.db.get();
    EXPECT_EQ(updated->transponders[0].frequency, 11001);
    EXPECT_EQ(updated->transponders[TP_HALF_NUM].frequency, 11001);
    EXPECT_EQ(updated->transponders[1].frequency, 12000);
    EXPECT_EQ(updated->transponders[1 + TP_HALF_NUM].sat_id, 64);

    EXPECT_EQ(run(p("new.ird") + " --satellite 13E --from " + p("Hotbird-13.0E")), 0) << err;
    EXPECT_EQ(out, "Hot Bird from Hotbird-13.0E (13.0E, 2 transponders, 2 already as listed)\n");
}

TEST_F(UpdateTpCli, UnusableInputSaysWhyWithExitTwo)
{
    EXPECT_EQ(run(p("db.ird") + " --satellite 19.2E --from " + p("Hotbird-13.0E")), 2);
    EXPECT_EQ(err, p("db.ird") + ": no satellite of the database is within 0.2 degrees of 19.2E\n");
    EXPECT_EQ(run(p("db.ird") + " --satellite Astra --from " + p("Hotbird-13.0E")), 2);
    EXPECT_EQ(err, p("db.ird") + ": the database has no satellite named \"Astra\"\n");
    EXPECT_EQ(run(p("db.ird") + " --satellite 13.0E --from " + p("broken")), 2);
    EXPECT_EQ(err, p("broken") + ":1: the block has no SYMBOL_RATE\n");
    EXPECT_EQ(run(p("missing.ird") + " --satellite 13.0E --from " + p("broken")), 2);
    EXPECT_NE(err.find("Can't open to this file"), std::string::npos) << err;
    EXPECT_TRUE(out.empty()) << out;
}

} // namespace
} // namespace korvid
