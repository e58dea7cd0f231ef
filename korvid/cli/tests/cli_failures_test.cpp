// korvid-cli as a user meets its failures: every short message keeps its text and gains a line with
// the path and the system's reason, the same failure ends every command with the same exit code, and
// a word that looks like an option where a file name belongs is refused rather than obeyed.
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <pwd.h>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::StartsWith;

struct Result
{
    int code = -1;
    std::string out, err;
};

class CliFailures : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("kd-cli-failures-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        Result built = run({"build", std::string(KD_SOURCE_DIR) + "/samples/sample.json", p("good.ird")});
        ASSERT_EQ(built.code, 0) << built.err;
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string p(const std::string& name) const { return (dir / name).string(); }

    // Runs korvid-cli in `dir` with the arguments; `as_nobody`: as the user nobody, who is in no
    // group that owns a device.
    Result run(const std::vector<std::string>& args, bool as_nobody = false)
    {
        // nobody may not reach the build folder (a clone in a private folder, say): a copy of the
        // program beside the test's files, which are nobody's to read, is what nobody runs.
        std::string program = KORVID_CLI;
        if (as_nobody) {
            const fs::path copy = dir / "korvid-cli";
            fs::copy_file(program, copy, fs::copy_options::overwrite_existing);
            fs::permissions(copy, fs::perms(0755));
            program = copy.string();
        }
        pid_t pid = ::fork();
        if (pid == 0) {
            if (::chdir(dir.c_str()) != 0)
                ::_exit(126);
            FILE* o = std::fopen("cli.out", "w");
            FILE* e = std::fopen("cli.err", "w");
            ::dup2(fileno(o), 1);
            ::dup2(fileno(e), 2);
            if (as_nobody && ::geteuid() == 0) {
                const passwd* nobody = ::getpwnam("nobody");
                if (!nobody || ::setgroups(0, nullptr) != 0 || ::setgid(nobody->pw_gid) != 0 ||
                    ::setuid(nobody->pw_uid) != 0)
                    ::_exit(125);
            }
            std::vector<std::string> a{program};
            a.insert(a.end(), args.begin(), args.end());
            std::vector<char*> argv;
            for (auto& s : a)
                argv.push_back(s.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        Result r;
        r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = text(dir / "cli.out");
        r.err = text(dir / "cli.err");
        return r;
    }
    static std::string text(const fs::path& path)
    {
        std::ifstream f(path);
        std::stringstream s;
        s << f.rdbuf();
        return s.str();
    }

    fs::path dir;
};

TEST_F(CliFailures, AnUnreadableDatabaseGivesTheReasonAndExit1InEveryCommand)
{
    fs::create_directory(p("folder.ird"));
    {
        std::ofstream big(p("big.ird"), std::ios::binary);
        big << std::string((1u << 20) + 1, 'Z');
    }
    struct Case
    {
        std::string file, reason;
    };
    const Case cases[] = {
        {p("missing.ird"), "No such file or directory"},
        {p("folder.ird"), "Is a directory"},
        {p("big.ird"), "too large: 1048577 bytes, the limit is 1048576 bytes"},
    };
    const std::vector<std::vector<std::string>> commands = {{"info"},
                                                            {"export", "", p("out.txt")},
                                                            {"dump", "", p("out.json")},
                                                            {"send-db", "", "--port", "COM77"}};
    for (const Case& c : cases) {
        for (std::vector<std::string> args : commands) {
            if (args.size() == 1)
                args.push_back(c.file);
            else
                args[1] = c.file;
            SCOPED_TRACE(args[0] + " " + c.file);
            Result r = run(args);
            EXPECT_EQ(r.code, 1);
            EXPECT_EQ(r.err, "Can't open to this file\n" + c.file + ": " + c.reason + "\n");
        }
    }
    EXPECT_FALSE(fs::exists(p("out.txt")));
    EXPECT_FALSE(fs::exists(p("out.json")));
}

TEST_F(CliFailures, AWrongSystemCodeIsRefusedInTheSameWordsByEveryCommand)
{
    {
        std::ofstream wrong(p("wrong.ird"), std::ios::binary);
        wrong << std::string(475140, '\xF1');
    }
    const std::string refusal = "Wrong DB : syscode\n" + p("wrong.ird") + ": the system code is 0xf1f1\n";
    struct Case
    {
        std::vector<std::string> args;
        int code;
        std::string err;
    };
    const Case cases[] = {
        {{"info", p("wrong.ird")}, 1, refusal},
        {{"check", p("wrong.ird")}, 1, refusal},
        {{"export", p("wrong.ird"), p("out.txt")}, 1, refusal},
        {{"dump", p("wrong.ird"), p("out.json")}, 1, refusal},
        {{"diff", p("good.ird"), p("wrong.ird")}, 2, refusal},
        // The window's words for a dropped file of this kind come first; the port is never tried.
        {{"send-db", p("wrong.ird"), "--port", "COM77"}, 1, "syscode case 4(0xf1f1)\n" + refusal},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0]);
        Result r = run(c.args);
        EXPECT_EQ(r.code, c.code);
        EXPECT_EQ(r.err, c.err);
    }
    EXPECT_THAT(run({"info", p("wrong.ird")}).out,
                HasSubstr("Buyer code:     0xF1F1\nModel code:     0xF1F1\n"
                          "System code:    0xF1F1\n"))
        << "the codes are shown before the refusal";
    EXPECT_FALSE(fs::exists(p("out.txt")));
    EXPECT_FALSE(fs::exists(p("out.json")));
}

TEST_F(CliFailures, AFileThatCannotBeCreatedSaysWhy)
{
    fs::create_directory(p("taken"));
    const std::string missing = p("no-such-dir/out");
    Result r = run({"export", p("good.ird"), missing});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "the file, " + missing + ", could not be created\n" + missing +
                         ": No such file or directory\n");
    r = run({"dump", p("good.ird"), p("taken")});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err,
              "the file, " + p("taken") + ", could not be created\n" + p("taken") + ": Is a directory\n");
    r = run({"build", std::string(KD_SOURCE_DIR) + "/samples/sample.json", missing});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "the file, " + missing + ", could not be created\n" + missing +
                         ": No such file or directory\n");
}

TEST_F(CliFailures, RecvDbRefusesATargetItCannotWriteBeforeTouchingThePort)
{
    // COM77 has no device: had the port been tried first, the message would be about the port.
    const std::string target = p("no-such-dir/got.ird");
    Result r = run({"recv-db", target, "--port", "COM77"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "Can't save to this file\n" + target + ": No such file or directory\n");
    fs::create_directory(p("taken.ird"));
    r = run({"recv-db", p("taken.ird"), "--port", "COM77"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "Can't save to this file\n" + p("taken.ird") + ": Is a directory\n");
}

TEST_F(CliFailures, APortThatCannotBeOpenedSaysWhy)
{
    Result r = run({"send-db", p("good.ird"), "--port", "COM77"});
    EXPECT_EQ(r.code, 1);
    EXPECT_THAT(r.err, StartsWith("Can not open COM77\nCOM77: no such port (the port table has "));

    r = run({"send-db", p("good.ird"), "--port", p("no-such-tty")});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "Can not open " + p("no-such-tty") + "\n" + p("no-such-tty") + ": no such device\n");

    // Another program holds the port: its lock is what a second user meets.
    int master = -1, slave = -1;
    char name[256] = {};
    ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
    ASSERT_EQ(::flock(slave, LOCK_EX | LOCK_NB), 0);
    r = run({"send-db", p("good.ird"), "--port", name});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err,
              std::string("Can not open ") + name + "\n" + name + ": busy, another program is using it\n");
    ::close(slave);
    ::close(master);
}

TEST_F(CliFailures, APortTheUserMayNotOpenNamesTheGroupToJoin)
{
    // Root opens any device, so the user without the right is played by nobody (a user who owns
    // the device is refused by its mode alone).
    int master = -1, slave = -1;
    char name[256] = {};
    ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
    ASSERT_EQ(::chmod(name, 0), 0);
    // Everything but the port is nobody's to use, whatever the umask made of it.
    ASSERT_EQ(::chmod(dir.c_str(), 0755), 0);
    ASSERT_EQ(::chmod(p("good.ird").c_str(), 0644), 0);
    ::setenv("KORVID_SERIAL_PORTS", name, 1);
    Result r = run({"send-db", p("good.ird"), "--port", "COM1"}, true);
    ::unsetenv("KORVID_SERIAL_PORTS");
    ::close(slave);
    ::close(master);
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err,
              "Can not open COM1\n" + std::string(name) +
                  ": permission denied\nAdd yourself to the dialout group: sudo usermod -aG dialout $USER, "
                  "then log in again.\n");
}

TEST_F(CliFailures, AnOptionLikeWordWhereAFileBelongsIsRefusedAndDoubleDashEndsOptions)
{
    const std::string sample = std::string(KD_SOURCE_DIR) + "/samples/sample.json";
    Result r = run({"build", sample, "-h.ird"});
    EXPECT_EQ(r.code, 2);
    EXPECT_THAT(r.err, HasSubstr("-h.ird"));
    EXPECT_THAT(r.err, HasSubstr("Usage: korvid-cli build"));
    EXPECT_TRUE(r.out.empty()) << "no help on stdout as if it had been asked for";
    EXPECT_FALSE(fs::exists(p("-h.ird")));

    r = run({"info", "--x"});
    EXPECT_EQ(r.code, 2);

    r = run({"build", sample, "--", "-h.ird"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(fs::is_regular_file(p("-h.ird")));
    // Options given as such still work, in either order and with '='.
    r = run({"send-db", "--port=COM77", p("good.ird")});
    EXPECT_EQ(r.code, 1);
    EXPECT_THAT(r.err, StartsWith("Can not open COM77"));
    r = run({"build", "--help"});
    EXPECT_EQ(r.code, 0);
    EXPECT_THAT(r.out, HasSubstr("Usage: korvid-cli build"));
}

} // namespace
