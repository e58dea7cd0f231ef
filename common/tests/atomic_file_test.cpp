// Replacing files through a staging area: what is on disk after a failure, a kill, a link and a
// long name.
#include "common/file_replacement/atomic_file.h"
#include "common/tests/temp_files.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <signal.h>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;
using namespace common_test;

std::vector<std::string> names_in(const std::string& dir)
{
    std::vector<std::string> names;
    for (auto& e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

size_t temp_count(const std::string& dir)
{
    auto names = names_in(dir);
    return size_t(std::count_if(names.begin(), names.end(),
                                [](const std::string& n) { return common::is_temp_name(n); }));
}

// A child process that opens an atomic write of `target`, writes `text` and is killed (-9) before
// it can commit.
void killed_while_writing(const std::string& target, const std::string& text)
{
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        common::AtomicFile f(target);
        if (f.open() && f.write(text.data(), text.size()))
            ::raise(SIGKILL);
        ::_exit(3);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
        << "the child did not get as far as its write";
}

TEST(AtomicFile, AKilledWriteLeavesTheOldFileAndTheNextWriteClearsWhatItLeft)
{
    TempDir dir;
    std::string target = dir.path() + "/db.ird";
    write_text(target, "old contents");
    killed_while_writing(target, "new contents that never land");
    EXPECT_EQ(read_text(target), "old contents");
    EXPECT_EQ(temp_count(dir.path()), 2u); // the dead writer's lock and its staged file

    write_text(dir.path() + "/.kdtmp-notes.txt", "a name that only starts like ours");
    ASSERT_TRUE(common::write_file_atomically(dir.path() + "/other.json", "{}", 2));
    EXPECT_EQ(names_in(dir.path()), (std::vector<std::string>{".kdtmp-notes.txt", "db.ird", "other.json"}));
}

TEST(AtomicFile, TheTemporaryFilesOfAWriterStillAtWorkAreLeftAlone)
{
    TempDir dir;
    common::AtomicFile slow(dir.path() + "/a.ird");
    ASSERT_TRUE(slow.open());
    ASSERT_TRUE(slow.write("aaaa", 4));
    ASSERT_TRUE(common::write_file_atomically(dir.path() + "/b.ird", "bb", 2));
    ASSERT_TRUE(slow.commit());
    EXPECT_EQ(read_text(dir.path() + "/a.ird"), "aaaa");
    EXPECT_EQ(names_in(dir.path()), (std::vector<std::string>{"a.ird", "b.ird"}));
}

TEST(AtomicFile, ALinkIsFollowedToItsFinalTargetAndStaysALink)
{
    TempDir dir;
    fs::create_directories(dir.path() + "/real");
    fs::create_directories(dir.path() + "/links");
    write_text(dir.path() + "/real/db.ird", "old");
    // links/a -> b -> ../real/db.ird: a relative link through another link.
    fs::create_symlink("../real/db.ird", dir.path() + "/links/b");
    fs::create_symlink("b", dir.path() + "/links/a");
    ASSERT_TRUE(common::write_file_atomically(dir.path() + "/links/a", "new", 3));
    EXPECT_TRUE(fs::is_symlink(dir.path() + "/links/a"));
    EXPECT_TRUE(fs::is_symlink(dir.path() + "/links/b"));
    EXPECT_EQ(read_text(dir.path() + "/real/db.ird"), "new");
    EXPECT_EQ(names_in(dir.path() + "/links"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(names_in(dir.path() + "/real"), (std::vector<std::string>{"db.ird"}));

    // A link to a file not there yet makes that file.
    fs::create_symlink(dir.path() + "/real/new.ird", dir.path() + "/links/n");
    ASSERT_TRUE(common::write_file_atomically(dir.path() + "/links/n", "n", 1));
    EXPECT_EQ(read_text(dir.path() + "/real/new.ird"), "n");
    EXPECT_TRUE(fs::is_symlink(dir.path() + "/links/n"));

    fs::create_symlink("loop2", dir.path() + "/links/loop1");
    fs::create_symlink("loop1", dir.path() + "/links/loop2");
    std::string error;
    EXPECT_FALSE(common::write_file_atomically(dir.path() + "/links/loop1", "x", 1, &error));
    EXPECT_EQ(error, std::strerror(ELOOP));
}

TEST(AtomicFile, ANameOfTheLongestLegalLengthCanBeWritten)
{
    TempDir dir;
    std::string name(251, 'n');
    name += ".ird"; // 255 bytes
    ASSERT_TRUE(common::write_file_atomically(dir.path() + "/" + name, "x", 1));
    EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{name});
}

TEST(AtomicFile, APipeOrADeviceIsWrittenDirectly)
{
    ASSERT_TRUE(common::write_file_atomically("/dev/null", "x", 1));
    EXPECT_EQ(temp_count("/dev"), 0u);

    TempDir dir;
    std::string error;
    EXPECT_FALSE(common::write_file_atomically(dir.path(), "x", 1, &error));
    EXPECT_EQ(error, std::strerror(EISDIR));
}

} // namespace
