// What a copy or move leaves on disk when it fails, is killed or meets links, FIFOs and an
// information file that counts no parts: never a cut file under a real name, never the loss of
// the files it was to replace, never a recording that looks whole and is not.
#include "common/file_replacement/staging_area.h"
#include "common/testing/tmpfs_mount.h"
#include "dranfel/storage/file_list.h"
#include "dranfel/storage/file_operations.h"
#include "dranfel/storage/receiver_path.h"
#include "recording_fixture.h"

#include <gtest/gtest.h>
#include <map>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

using namespace dranfel;
using namespace storage_test;

namespace {

using Snapshot = std::map<std::string, std::vector<uint8_t>>;

// Every file of a folder with its bytes, temporary ones left out.
Snapshot real_files(const std::string& dir)
{
    Snapshot s;
    for (const std::string& name : files_in(dir))
        if (!common::is_temp_name(name))
            s[name] = read_file(dir + "/" + name);
    return s;
}

size_t temp_files(const std::string& dir)
{
    size_t n = 0;
    for (const std::string& name : files_in(dir))
        n += common::is_temp_name(name);
    return n;
}

// Runs a copy in a child process that kills itself (-9) after its `steps`-th block; false when the
// child got to the end instead.
bool copy_killed_after(const FileOpParams& p, int steps)
{
    pid_t pid = ::fork();
    if (pid == 0) {
        FileOperation op;
        int seen = 0;
        op.on_progress = [&](const ProgressReport& r) {
            if (r.code == PROGRESS_FILE_STEP && ++seen == steps)
                ::raise(SIGKILL);
        };
        op.run(p);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

} // namespace

TEST(FileSafety, AFailedCopyOrMoveLeavesTheFilesItWasToReplace)
{
    TempDir tmp;
    common::testing::TmpfsMount disk(1 << 20);
    if (!disk.ok())
        GTEST_SKIP() << disk.error();
    std::string src = tmp.sub("src");
    Recording rec = make_recording(src, "News", {300000, 300000, 300000});
    write_file(src + "/song.mp3", pattern(800000, 4));
    make_recording(disk.path(), "News", {100000, 100000}, "200603012015", 0, true);
    write_file(disk.path() + "/song.mp3", pattern(100000, 9));
    const Snapshot before = real_files(disk.path());
    const auto sources = files_in(src);

    for (auto kind : {FileOpKind::Copy, FileOpKind::Move})
        for (const std::string& name : {rec.part1, std::string("song.mp3")}) {
            FileOperation op;
            EXPECT_EQ(op.run(params(src, disk.path(), {name}, kind)), FileOpOutcome::Failed) << name;
            ASSERT_TRUE(op.failure());
            EXPECT_NE(op.failure()->reason.find("No space left on device"), std::string::npos)
                << op.failure()->reason;
            EXPECT_TRUE(real_files(disk.path()) == before) << name;
            EXPECT_EQ(temp_files(disk.path()), 0u);
            EXPECT_EQ(files_in(src), sources);
        }
}

TEST(FileSafety, AKilledCopyLeavesTheOldRecordingOrNothingAndTheNextCopyClearsUp)
{
    TempDir tmp;
    std::string src = tmp.sub("src"), dst = tmp.sub("dst"), empty = tmp.sub("empty");
    Recording rec = make_recording(src, "News", {200000, 200000, 200000}); // four blocks a part
    make_recording(dst, "News", {50000, 50000}, "200603012015", 0, true);
    write_file(src + "/a.mp3", pattern(1000, 2));
    const Snapshot old = real_files(dst);

    // In part 1, in part 2, and after the last block of part 3 (the information file and the
    // renames still to come).
    for (int steps : {1, 6, 12}) {
        ASSERT_TRUE(copy_killed_after(params(src, dst, {rec.part1}), steps)) << steps;
        EXPECT_TRUE(real_files(dst) == old) << "killed after block " << steps;
        EXPECT_GT(temp_files(dst), 0u);
        ASSERT_TRUE(copy_killed_after(params(src, empty, {rec.part1}), steps)) << steps;
        EXPECT_TRUE(real_files(empty).empty()) << "killed after block " << steps;
    }

    FileOperation op;
    ASSERT_EQ(op.run(params(src, empty, {"a.mp3"})), FileOpOutcome::Done);
    EXPECT_EQ(files_in(empty), std::vector<std::string>{"a.mp3"});
    ASSERT_EQ(op.run(params(src, dst, {rec.part1})), FileOpOutcome::Done);
    EXPECT_EQ(files_in(dst), (std::vector<std::string>{rec.info, rec.parts[0], rec.parts[1], rec.parts[2]}));
}

TEST(FileSafety, NoNameOfTheRecordingAppearsBeforeTheWholeRecordingIsThere)
{
    TempDir tmp;
    std::string src = tmp.sub("src"), dst = tmp.sub("dst");
    Recording rec = make_recording(src, "News", {200000, 200000});
    FileOperation op;
    std::vector<Snapshot> seen;
    op.on_progress = [&](const ProgressReport& r) {
        if (r.code == PROGRESS_FILE_STEP)
            seen.push_back(real_files(dst));
    };
    ASSERT_EQ(op.run(params(src, dst, {rec.part1})), FileOpOutcome::Done);
    ASSERT_EQ(seen.size(), 8u);
    for (const Snapshot& s : seen)
        EXPECT_TRUE(s.empty());
    EXPECT_EQ(files_in(dst).size(), 3u);
}

TEST(FileSafety, ACancelledCopyBringsBackTheFilesItHadReplaced)
{
    TempDir tmp;
    std::string src = tmp.sub("src"), dst = tmp.sub("dst");
    write_file(src + "/a.mp3", pattern(100000, 1));
    Recording rec = make_recording(src, "News", {300000, 300000});
    write_file(dst + "/a.mp3", pattern(5000, 7));
    make_recording(dst, "News", {1000, 1000, 1000}, "200603012015", 0, true);
    const Snapshot old = real_files(dst);

    FileOperation op;
    op.on_progress = [&](const ProgressReport& r) {
        if (r.index == 2 && r.code == PROGRESS_FILE_STEP && r.position >= 30)
            op.cancel();
    };
    EXPECT_EQ(op.run(params(src, dst, {"a.mp3", rec.part1})), FileOpOutcome::Cancelled);
    EXPECT_TRUE(real_files(dst) == old);
    EXPECT_EQ(temp_files(dst), 0u);

    // Done, a longer recording replaced by a shorter one leaves none of its extra parts.
    FileOperation again;
    ASSERT_EQ(again.run(params(src, dst, {"a.mp3", rec.part1})), FileOpOutcome::Done);
    EXPECT_EQ(files_in(dst), (std::vector<std::string>{rec.info, rec.parts[0], rec.parts[1], "a.mp3"}));
}

TEST(FileSafety, AnInformationFileCountingNoPartsTakesThePartsThatFollowOnFromPartOne)
{
    TempDir tmp;
    std::string src = tmp.sub("src"), dst = tmp.sub("dst");
    Recording rec = make_recording(src, "News", {1000, 2000, 3000});
    write_file(src + "/" + rec.info, info_contents(0, 6000));

    FileOperation op;
    ASSERT_EQ(op.run(params(src, dst, {rec.part1}, FileOpKind::Move)), FileOpOutcome::Done);
    EXPECT_EQ(files_in(dst), (std::vector<std::string>{rec.info, rec.parts[0], rec.parts[1], rec.parts[2]}));
    EXPECT_TRUE(files_in(src).empty());
    ASSERT_EQ(op.notes().size(), 1u);
    EXPECT_NE(op.notes()[0].find("counts 0 parts; the 3 part files found from part 1 on were moved"),
              std::string::npos)
        << op.notes()[0];

    // A part beyond a gap would be left behind: nothing is copied, nothing deleted, and it says why.
    Recording gap = make_recording(src, "Film", {1000, 1000, 1000, 1000});
    write_file(src + "/" + gap.info, info_contents(0, 4000));
    ::unlink((src + "/" + gap.parts[2]).c_str());
    const auto before = files_in(src);
    FileOperation op2;
    EXPECT_EQ(op2.run(params(src, dst, {gap.part1}, FileOpKind::Move)), FileOpOutcome::Failed);
    ASSERT_TRUE(op2.failure());
    EXPECT_EQ(op2.failure()->code, FAIL_SOURCE);
    EXPECT_NE(op2.failure()->reason.find(gap.parts[3] + " does not follow on from the 2 found"),
              std::string::npos)
        << op2.failure()->reason;
    EXPECT_EQ(files_in(src), before);
    EXPECT_EQ(files_in(dst).size(), 4u);

    // Deleted the same way: no counted-out part is left behind without its information file.
    EXPECT_TRUE(delete_entry(dst, rec.part1).empty());
    EXPECT_TRUE(files_in(dst).empty());
    // And refused the same way when a part lies beyond a gap: nothing deleted, that part named.
    auto refused = delete_entry(src, gap.part1);
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].rfind(src + "/" + gap.part1 + ": the information file ", 0), 0u) << refused[0];
    EXPECT_NE(
        refused[0].find(gap.parts[3] +
                        " does not follow on from the 2 found from part 1; the recording was not deleted"),
        std::string::npos)
        << refused[0];
    EXPECT_EQ(files_in(src), before);
}

TEST(FileSafety, ALinkAtTheDestinationIsReplacedNotWrittenThrough)
{
    TempDir tmp;
    std::string src = tmp.sub("src"), dst = tmp.sub("dst"), elsewhere = tmp.sub("elsewhere");
    Recording rec = make_recording(src, "News", {1000});
    std::string long_name = std::string(251, 's') + ".mp3"; // the longest name a folder takes
    write_file(src + "/a.mp3", pattern(3000, 1));
    write_file(src + "/" + long_name, pattern(3000, 2));
    write_file(elsewhere + "/victim", pattern(100, 9));
    const auto victim = read_file(elsewhere + "/victim");
    for (const std::string& name : {std::string("a.mp3"), rec.part1, rec.info})
        std::filesystem::create_symlink(elsewhere + "/victim", dst + "/" + name);

    FileOperation op;
    ASSERT_EQ(op.run(params(src, dst, {"a.mp3", rec.part1, long_name})), FileOpOutcome::Done);
    EXPECT_EQ(read_file(elsewhere + "/victim"), victim);
    for (const std::string& name : {std::string("a.mp3"), rec.part1, rec.info, long_name}) {
        EXPECT_FALSE(std::filesystem::is_symlink(dst + "/" + name)) << name;
        EXPECT_EQ(read_file(dst + "/" + name).size(), read_file(src + "/" + name).size()) << name;
    }

    // A folder of the name is no file to replace: it stays, with what it holds.
    std::filesystem::remove(dst + "/a.mp3");
    tmp.sub("dst/a.mp3");
    write_file(dst + "/a.mp3/inside", pattern(10, 1));
    EXPECT_EQ(op.run(params(src, dst, {"a.mp3"})), FileOpOutcome::Failed);
    EXPECT_EQ(read_file(dst + "/a.mp3/inside"), pattern(10, 1));
    EXPECT_EQ(temp_files(dst), 0u);
}

// A FIFO where a file is expected would block for ever: refused by a copy, passed over by a
// listing and a delete. A failure of this test shows as a hang.
TEST(FileSafety, FifosAreRefusedOrPassedOverAndNeverBlock)
{
    TempDir tmp;
    std::string src = tmp.sub("src"), dst = tmp.sub("dst");
    ASSERT_EQ(::mkfifo((src + "/pipe.mp3").c_str(), 0644), 0);
    Recording rec = make_recording(src, "News", {1000}, "200603012015", 0, false);
    ASSERT_EQ(::mkfifo((src + "/" + rec.info).c_str(), 0644), 0);

    for (const std::string& name : {std::string("pipe.mp3"), rec.part1}) {
        FileOperation op;
        EXPECT_EQ(op.run(params(src, dst, {name})), FileOpOutcome::Failed);
        ASSERT_TRUE(op.failure());
        EXPECT_EQ(op.failure()->code, FAIL_SOURCE);
        EXPECT_NE(op.failure()->reason.find("a FIFO, not a regular file"), std::string::npos)
            << op.failure()->reason;
    }
    auto rows = list_files(src);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].real_file_name, rec.part1);
    EXPECT_EQ(rows[0].size_kb, "0");
    EXPECT_TRUE(delete_entry(src, rec.part1).empty());
    EXPECT_EQ(files_in(src), std::vector<std::string>{"pipe.mp3"});
}

// What the user protected stays: a destination file without write permission is refused, never
// replaced; a replaced file keeps its permissions; a file with other names is replaced only when
// the caller says so.
TEST(FileSafety, ProtectedDestinationsAreRefusedAndReplacedFilesKeepTheirMode)
{
    TempDir tmp;
    std::string src = tmp.sub("src"), dst = tmp.sub("dst");
    Recording rec = make_recording(src, "News", {3000, 3000});
    write_file(src + "/a.mp3", pattern(3000, 1));
    Recording old = make_recording(dst, "News", {1000, 1000, 1000}, "200603012015", 0, true);
    ::chmod((dst + "/" + old.parts[1]).c_str(), 0444);
    write_file(dst + "/a.mp3", pattern(100, 2));
    ::chmod((dst + "/a.mp3").c_str(), 0600);
    const Snapshot before = real_files(dst);

    FileOperation op;
    EXPECT_EQ(op.run(params(src, dst, {rec.part1})), FileOpOutcome::Failed);
    ASSERT_TRUE(op.failure());
    EXPECT_EQ(op.failure()->reason, "could not replace " + dst + "/" + old.parts[1] + ": read-only");
    EXPECT_TRUE(real_files(dst) == before);

    ASSERT_EQ(op.run(params(src, dst, {"a.mp3"})), FileOpOutcome::Done);
    struct stat st;
    ASSERT_EQ(::stat((dst + "/a.mp3").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(read_file(dst + "/a.mp3"), pattern(3000, 1));

    ASSERT_EQ(::link((dst + "/a.mp3").c_str(), (tmp.path() + "/twin.mp3").c_str()), 0);
    EXPECT_EQ(op.run(params(src, dst, {"a.mp3"})), FileOpOutcome::Failed);
    FileOpParams force = params(src, dst, {"a.mp3"});
    force.replace_linked = true;
    EXPECT_EQ(op.run(force), FileOpOutcome::Done);
}

// A move within one file system renames: the very files arrive (same inodes), with the receiver
// path of their new place, and the source folder no longer names them.
TEST(FileSafety, AMoveWithinOneFileSystemRenamesTheFilesAndRewritesTheirPath)
{
    TempDir tmp;
    std::string src = tmp.sub("src"), dst = tmp.sub("dst");
    Recording rec = make_recording(src, "News", {5000, 5000});
    write_file(src + "/a.mp3", pattern(3000, 1));
    std::vector<ino_t> inodes;
    for (const std::string& name : {rec.parts[0], rec.parts[1], rec.info, std::string("a.mp3")}) {
        struct stat st;
        ASSERT_EQ(::stat((src + "/" + name).c_str(), &st), 0);
        inodes.push_back(st.st_ino);
    }
    FileOperation op;
    ASSERT_EQ(op.run(params(src, dst, {rec.part1, "a.mp3"}, FileOpKind::Move)), FileOpOutcome::Done);
    EXPECT_TRUE(files_in(src).empty());
    size_t i = 0;
    for (const std::string& name : {rec.parts[0], rec.parts[1], rec.info, std::string("a.mp3")}) {
        struct stat st;
        ASSERT_EQ(::stat((dst + "/" + name).c_str(), &st), 0);
        EXPECT_EQ(st.st_ino, inodes[i++]) << name;
    }
    const std::string rpath = receiver_path_of(dst + "/" + rec.info);
    auto part = read_file(dst + "/" + rec.parts[1]);
    auto info = read_file(dst + "/" + rec.info);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(part.data() + AVR_PATH_OFFSET)), rpath);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(info.data() + AVF_PATH_OFFSET)), rpath);
}
