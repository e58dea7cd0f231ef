#include "common/regular_file.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

// A FIFO with no writer would block a plain open for ever; here it is refused at once, and so is
// every other kind of file that is not a regular one. A failure of this test shows as a hang.
TEST(OpenRegularFile, OnlyARegularFileIsOpenedAndNothingElseBlocks)
{
    char tmpl[] = "/tmp/kd-regular-XXXXXX";
    ASSERT_TRUE(::mkdtemp(tmpl));
    std::string dir = tmpl;
    std::ofstream(dir + "/plain") << "abc";
    ASSERT_EQ(::mkfifo((dir + "/fifo").c_str(), 0644), 0);
    std::filesystem::create_symlink(dir + "/fifo", dir + "/link-to-fifo");
    std::filesystem::create_symlink(dir + "/plain", dir + "/link-to-plain");

    std::string reason;
    struct stat st;
    int fd = common::open_regular_file(dir + "/plain", &reason, &st);
    ASSERT_GE(fd, 0) << reason;
    EXPECT_EQ(st.st_size, 3);
    char buf[4];
    EXPECT_EQ(::read(fd, buf, sizeof buf), 3); // blocking again, and reads as usual
    ::close(fd);
    fd = common::open_regular_file(dir + "/link-to-plain", &reason);
    EXPECT_GE(fd, 0);
    ::close(fd);

    struct Case
    {
        std::string path, reason;
    } cases[] = {
        {dir + "/fifo", "a FIFO, not a regular file"}, {dir + "/link-to-fifo", "a FIFO, not a regular file"},
        {dir, "a folder, not a regular file"},         {"/dev/zero", "a device, not a regular file"},
        {dir + "/missing", std::strerror(ENOENT)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(common::open_regular_file(c.path, &reason), -1) << c.path;
        EXPECT_EQ(reason, c.reason) << c.path;
    }
    EXPECT_FALSE(common::is_regular_file(dir + "/fifo"));
    EXPECT_TRUE(common::is_regular_file(dir + "/link-to-plain"));
    std::filesystem::remove_all(dir);
}

} // namespace
