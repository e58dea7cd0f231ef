// korvid-cli export, dump and build as a user runs them: exit codes, messages, and nothing written
// on failure. Needs the korvid-cli binary of the same build.
#include "korvid/database/database_json.h"
#include "korvid/database/ird_file.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>

namespace {

using namespace korvid;
namespace fs = std::filesystem;

const std::string CLI = std::string(KD_BINARY_DIR) + "/korvid/cli/korvid-cli";

class TextCommands : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!fs::exists(CLI))
            GTEST_SKIP() << "korvid-cli is not built";
        dir = fs::temp_directory_path() / ("kd-cli-" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override
    {
        if (!dir.empty())
            fs::remove_all(dir);
    }
    std::string path(const std::string& name) const { return (dir / name).string(); }

    // Runs korvid-cli with the arguments; returns the exit code, stderr in `err`.
    int run(const std::string& args, std::string& err)
    {
        std::string cmd = CLI + " " + args + " 2>" + path("stderr.txt") + " >/dev/null";
        int status = std::system(cmd.c_str());
        std::ifstream in(path("stderr.txt"));
        std::stringstream s;
        s << in.rdbuf();
        err = s.str();
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    fs::path dir;
};

TEST_F(TextCommands, SampleGoesThroughDumpBuildAndExport)
{
    std::string err;
    std::string sample = std::string(KD_SOURCE_DIR) + "/samples/sample.json";
    ASSERT_EQ(run("build " + sample + " " + path("s.ird"), err), 0) << err;
    EXPECT_EQ(fs::file_size(path("s.ird")), size_t(IRD_FILE_SIZE));
    ASSERT_EQ(run("dump " + path("s.ird") + " " + path("s.json"), err), 0) << err;
    ASSERT_EQ(run("build " + path("s.json") + " " + path("t.ird"), err), 0) << err;
    auto bytes_of = [](const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    };
    EXPECT_TRUE(bytes_of(path("s.ird")) == bytes_of(path("t.ird")));
    // The sample is kept in the form dump writes, so the text comes back byte for byte.
    EXPECT_TRUE(bytes_of(path("s.json")) == bytes_of(sample));
    ASSERT_EQ(run("export " + path("s.ird") + " " + path("s.txt"), err), 0) << err;
    EXPECT_TRUE(err.empty());
    EXPECT_GT(fs::file_size(path("s.txt")), 100000u);
}

TEST_F(TextCommands, FailuresSayWhyAndWriteNothing)
{
    std::string err;
    auto empty = std::make_unique<Database>();
    ASSERT_TRUE(write_database_file(*empty, 0xFFFF, 0xFFFF, path("zero.ird")));
    EXPECT_EQ(run("export " + path("zero.ird") + " " + path("z.txt"), err), 1);
    EXPECT_EQ(err, "Wrong DB : syscode\n" + path("zero.ird") + ": the system code is 0x0000\n");
    EXPECT_FALSE(fs::exists(path("z.txt")));

    std::string sample = std::string(KD_SOURCE_DIR) + "/samples/sample.json";
    ASSERT_EQ(run("build " + sample + " " + path("s.ird"), err), 0) << err;
    std::string out = path("missing/dir/s.txt");
    EXPECT_EQ(run("export " + path("s.ird") + " " + out, err), 1);
    EXPECT_EQ(err, "the file, " + out + ", could not be created\n" + out + ": No such file or directory\n");

    std::ofstream(path("bad.json")) << "[]";
    EXPECT_EQ(run("build " + path("bad.json") + " " + path("bad.ird"), err), 1);
    EXPECT_EQ(err, path("bad.json") + ": top level: expected an object\n");
    EXPECT_FALSE(fs::exists(path("bad.ird")));
}

} // namespace
