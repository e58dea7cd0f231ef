// What the one way of putting files in place does with what is not its own: the user's files
// named like ours, standard output redirected by a shell, files and folders the user may not
// write, modes, owners and hard links, and a second writer in the same folder.
#include "common/file_replacement/atomic_file.h"
#include "common/file_replacement/staging_area.h"
#include "common/tests/temp_files.h"

#include <filesystem>
#include <fstream>
#include <grp.h>
#include <gtest/gtest.h>
#include <iterator>
#include <pwd.h>
#include <sys/file.h>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;
using namespace common_test;

// Runs `body` in a child process and gives its exit code (-1 when it died by a signal).
template <class F> int in_child(F body)
{
    pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(FileReplacement, FilesOfTheUsersNamedLikeOursAreNeverTouched)
{
    TempDir dir;
    // Names of our shape, but no signed journal of ours behind them: an unsigned "lock", its
    // "staged" file, and a lock file that only starts like our signature.
    write_text(dir.path() + "/.kdtmp-abcdef", "notes");
    write_text(dir.path() + "/.kdtmp-abcdef.1", "more notes");
    write_text(dir.path() + "/.kdtmp-ghijkl", "kd staging area 1\n");
    ASSERT_TRUE(common::write_file_atomically(dir.path() + "/db.ird", "x", 1));
    EXPECT_EQ(read_text(dir.path() + "/.kdtmp-abcdef"), "notes");
    EXPECT_EQ(read_text(dir.path() + "/.kdtmp-abcdef.1"), "more notes");
    EXPECT_EQ(read_text(dir.path() + "/.kdtmp-ghijkl"), "kd staging area 1\n");
}

// A shell's redirection is the descriptor, not the file behind it: `>> log` appends, and what
// the shell wrote before and after stays. Into a pipe the bytes flow.
TEST(FileReplacement, StandardOutputIsWrittenIntoNeverReplaced)
{
    TempDir dir;
    const std::string log = dir.path() + "/log";
    write_text(log, "keep\n");
    for (const char* name : {"/dev/stdout", "-", "/proc/self/fd/1", "/dev/fd/1"}) {
        int rc = in_child([&] {
            int fd = ::open(log.c_str(), O_WRONLY | O_APPEND);
            ::dup2(fd, 1);
            std::string error;
            return common::write_file_atomically(name, "dump\n", 5, &error) ? 0 : 1;
        });
        EXPECT_EQ(rc, 0) << name;
    }
    EXPECT_EQ(read_text(log), "keep\ndump\ndump\ndump\ndump\n");

    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    int rc = in_child([&] {
        ::dup2(fds[1], 1);
        ::close(fds[0]);
        return common::write_file_atomically("/dev/stdout", "piped", 5) ? 0 : 1;
    });
    ::close(fds[1]);
    char buf[16] = {};
    EXPECT_EQ(::read(fds[0], buf, sizeof buf), 5);
    ::close(fds[0]);
    EXPECT_EQ(rc, 0);
    EXPECT_STREQ(buf, "piped");
}

// Permission bits stop nobody but the super-user's own "no write bit at all"; the checks are
// run as the user nobody, in a child that gives up root.
TEST(FileReplacement, WhatTheUserMayNotWriteIsRefusedWithTheReason)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as nobody";
    const passwd* nobody = ::getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);
    TempDir dir;
    ::chmod(dir.path().c_str(), 0777);
    const std::string locked = dir.path() + "/locked.ird";
    write_text(locked, "old");
    ::chmod(locked.c_str(), 0444);
    // Even root keeps a file that has no write bit for anybody.
    std::string error;
    EXPECT_FALSE(common::write_file_atomically(locked, "new", 3, &error));
    EXPECT_EQ(error, "read-only");

    const std::string shut = dir.path() + "/shut";
    fs::create_directory(shut);
    const std::string inside = shut + "/open.ird";
    write_text(inside, "old");
    ::chmod(inside.c_str(), 0666);
    ::chmod(shut.c_str(), 0755);
    const std::string theirs = dir.path() + "/theirs.ird";
    write_text(theirs, "old");
    ::chmod(theirs.c_str(), 0644); // root's, read-only for nobody

    int rc = in_child([&] {
        if (::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0)
            return 10;
        std::string why;
        common::TargetRefusal refusal;
        common::AtomicFile f(theirs);
        if (f.open() || f.refusal() != common::TargetRefusal::ReadOnly || f.error() != "read-only")
            return 11;
        common::AtomicFile g(inside);
        if (g.open() || g.refusal() != common::TargetRefusal::FolderNotWritable ||
            g.error() != "cannot write in " + shut + ": save elsewhere")
            return 12;
        common::WriteTarget t;
        if (common::resolve_write_target(shut + "/new.ird", t, why, &refusal) ||
            refusal != common::TargetRefusal::FolderNotWritable)
            return 13;
        return 0;
    });
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(read_text(theirs), "old");
    EXPECT_EQ(read_text(inside), "old");
    EXPECT_EQ(read_text(locked), "old");
}

TEST(FileReplacement, AReplacedFileKeepsItsModeOwnerAndLinksUnlessToldOtherwise)
{
    TempDir dir;
    const std::string path = dir.path() + "/private.ird";
    write_text(path, "old");
    ::chmod(path.c_str(), 0600);
    const bool root = ::geteuid() == 0;
    const passwd* nobody = ::getpwnam("nobody");
    if (root && nobody) {
        ASSERT_EQ(::chown(path.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    }
    ASSERT_TRUE(common::write_file_atomically(path, "new", 3));
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    if (root && nobody) {
        EXPECT_EQ(st.st_uid, nobody->pw_uid);
    }
    // A new file takes the umask as any other program's would.
    mode_t mask = ::umask(022);
    ASSERT_TRUE(common::write_file_atomically(dir.path() + "/fresh", "x", 1));
    ::umask(mask);
    ASSERT_EQ(::stat((dir.path() + "/fresh").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);

    // The other name would keep the old contents: refused, unless the caller says go on.
    const std::string other = dir.path() + "/other-name.ird";
    ASSERT_EQ(::link(path.c_str(), other.c_str()), 0);
    common::AtomicFile f(path);
    EXPECT_FALSE(f.open());
    EXPECT_EQ(f.refusal(), common::TargetRefusal::HardLinked);
    common::WriteTargetOptions go_on;
    go_on.detach_hard_links = true;
    ASSERT_TRUE(common::write_file_atomically(path, "newer", 5, nullptr, go_on));
    EXPECT_EQ(read_text(path), "newer");
    EXPECT_EQ(read_text(other), "new");
}

// Two writers never interleave their groups in one folder: while one holds it between its first
// step and its commit, the folder is locked for everyone else, and a cleaner stays out.
TEST(FileReplacement, AGroupHoldsTheFolderUntilItsCommit)
{
    TempDir dir;
    write_text(dir.path() + "/a", "old a");
    common::StagingArea area(dir.path());
    ASSERT_TRUE(area.open());
    std::string aside;
    ASSERT_TRUE(area.set_aside(dir.path() + "/a", aside));
    int probe = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
    EXPECT_NE(::flock(probe, LOCK_EX | LOCK_NB), 0);
    // A second writer opening its area meanwhile recovers nothing of the live one.
    common::StagingArea second(dir.path());
    ASSERT_TRUE(second.open());
    EXPECT_TRUE(fs::exists(aside));
    ASSERT_TRUE(area.roll_back());
    EXPECT_EQ(::flock(probe, LOCK_EX | LOCK_NB), 0);
    ::close(probe);
    EXPECT_EQ(read_text(dir.path() + "/a"), "old a");
}

// A writer killed in the middle of a group: the next one puts the old files back, whatever the
// user did with the names in between.
TEST(FileReplacement, TheNextWriterUndoesADeadWritersGroupButNotTheUsersFiles)
{
    TempDir dir;
    for (const char* n : {"p1", "p2", "info"})
        write_text(dir.path() + "/" + n, std::string("old ") + n);
    int rc = in_child([&] {
        common::StagingArea area(dir.path());
        std::string s1, s2, aside;
        if (!area.open())
            return 1;
        int a = area.create(s1), b = area.create(s2);
        (void)!::write(a, "new p1", 6);
        (void)!::write(b, "new p2", 6);
        if (!area.set_aside(dir.path() + "/info", aside) || !area.set_aside(dir.path() + "/p1", aside) ||
            !area.set_aside(dir.path() + "/p2", aside) || !area.place(s1, dir.path() + "/p1"))
            return 2;
        ::raise(SIGKILL); // before p2 and the information file are in
        return 3;
    });
    ASSERT_EQ(rc, -1);
    EXPECT_FALSE(fs::exists(dir.path() + "/info"));
    // The user put a file of their own at one of the names meanwhile: it stays, and so does the
    // old file that name held, under its staged name, for the user to find.
    write_text(dir.path() + "/p2", "the user's");
    common::clear_dead_areas(dir.path());
    EXPECT_EQ(read_text(dir.path() + "/info"), "old info");
    EXPECT_EQ(read_text(dir.path() + "/p1"), "old p1");
    EXPECT_EQ(read_text(dir.path() + "/p2"), "the user's");
    size_t kept = 0;
    for (auto& e : fs::directory_iterator(dir.path()))
        kept += common::is_temp_name(e.path().filename().string()) && read_text(e.path()) == "old p2";
    EXPECT_EQ(kept, 1u);

    // Without the user's interference the area goes altogether.
    fs::remove(dir.path() + "/p2");
    common::clear_dead_areas(dir.path());
    EXPECT_EQ(read_text(dir.path() + "/p2"), "old p2");
    for (auto& e : fs::directory_iterator(dir.path()))
        EXPECT_FALSE(common::is_temp_name(e.path().filename().string())) << e.path();
}
