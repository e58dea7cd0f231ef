// A program without subcommands, parsed from its plain description: what each kind of option takes
// and refuses, and the exit codes a script sees.
#include "common/cli/command.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using common::cli::Command;
using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

namespace {

constexpr int RAN = 7;

struct Parsed
{
    uint32_t baud = 0;
    std::vector<uint32_t> refused;
    double noise = 0;
    bool pty = false;
    std::string port;
    bool ran = false;
};

// Runs `words` against a small simulator-like program; the exit code, with the words' effect in `p`
// and what the program wrote to standard error in `err`.
int run(const std::vector<std::string>& words, Parsed& p, std::string* err = nullptr)
{
    Command prog("sim", "A small program");
    prog.option("--baud", p.baud, "rate");
    prog.option("--refuse", p.refused, "packets");
    prog.option("--noise", p.noise, "share").range(0.0, 1.0);
    prog.flag("--pty", p.pty, "on a pseudo-terminal").excludes("--port");
    prog.option("--port", p.port, "device");
    prog.run = [&p] {
        p.ran = true;
        return RAN;
    };
    std::vector<std::string> argv_words{"sim"};
    argv_words.insert(argv_words.end(), words.begin(), words.end());
    std::vector<char*> argv;
    for (std::string& w : argv_words)
        argv.push_back(w.data());
    CaptureStderr();
    int code = common::cli::run_single(prog, int(argv.size()), argv.data());
    std::string text = GetCapturedStderr();
    if (err)
        *err = text;
    return code;
}

int run(const std::vector<std::string>& words)
{
    Parsed p;
    return run(words, p);
}

} // namespace

TEST(SingleCommand, UnsignedOptionTakesTheWholeRangeAndRefusesTheRest)
{
    Parsed p;
    EXPECT_EQ(run({"--baud", "4294967295"}, p), RAN);
    EXPECT_EQ(p.baud, 4294967295u);
    // Neither wrapped nor cut to what fits: refused, and the program does not run.
    for (const char* bad : {"4294967296", "-1", "abc", "12x", ""}) {
        Parsed q;
        std::string err;
        EXPECT_EQ(run({"--baud", bad}, q, &err), 2) << bad;
        EXPECT_FALSE(q.ran) << bad;
        EXPECT_NE(err.find("Usage: sim"), std::string::npos) << bad;
    }
}

TEST(SingleCommand, ListCollectsEveryValueOfEveryTime)
{
    Parsed p;
    EXPECT_EQ(run({"--refuse", "3", "--pty", "--refuse", "5", "9", "--refuse=3"}, p), RAN);
    EXPECT_EQ(p.refused, (std::vector<uint32_t>{3, 5, 9, 3}));
    EXPECT_TRUE(p.pty);
    EXPECT_EQ(run({"--refuse", "1", "x"}), 2);
}

TEST(SingleCommand, RealRangeIsInclusive)
{
    for (const char* good : {"0", "1", "1.0", "0.25"}) {
        Parsed p;
        EXPECT_EQ(run({"--noise", good}, p), RAN) << good;
        EXPECT_DOUBLE_EQ(p.noise, std::stod(good));
    }
    for (const char* bad : {"1.0001", "-0.1", "2", "abc", "nan"})
        EXPECT_EQ(run({"--noise", bad}), 2) << bad;
}

TEST(SingleCommand, HelpExcludesAndStrayWords)
{
    CaptureStdout();
    Parsed p;
    EXPECT_EQ(run({"--help"}, p), 0);
    std::string help = GetCapturedStdout();
    EXPECT_FALSE(p.ran);
    EXPECT_NE(help.find("A small program"), std::string::npos);
    EXPECT_NE(help.find("--refuse UINT ..."), std::string::npos);

    std::string err;
    EXPECT_EQ(run({"--pty", "--port", "x"}, p, &err), 2);
    EXPECT_NE(err.find("--pty excludes --port"), std::string::npos);
    // A word like an option that the program lacks, even one that starts like -h, is refused with
    // the reason rather than read as help.
    EXPECT_EQ(run({"-h.ird"}, p, &err), 2);
    EXPECT_EQ(err.rfind("-h.ird is not an option of sim\n", 0), 0u) << err;
    EXPECT_EQ(run({"stray"}), 2);
    EXPECT_FALSE(p.ran);
}
