#include "common/testing/tmpfs_mount.h"
#include "dranfel/storage/commands.h"
#include "recording_fixture.h"

#include <gtest/gtest.h>

using namespace dranfel;

TEST(Commands, CopyAndMoveChecksSayWhatIsMissing)
{
    using V = std::vector<std::string>;
    auto c = check_copy_move("", true, "/b");
    EXPECT_EQ(c.messages, V{"You did not select a folder"});
    EXPECT_TRUE(c.proceed); // the missing source folder is said, but the checks go on
    c = check_copy_move("", false, "/b");
    EXPECT_EQ(c.messages, (V{"You did not select a folder", "You did not select a file"}));
    EXPECT_FALSE(c.proceed);
    c = check_copy_move("/a", true, "");
    EXPECT_EQ(c.messages, V{"You did not select a destination folder"});
    EXPECT_FALSE(c.proceed);
    c = check_copy_move("/media/USB/REC", true, "/media/USB/./REC/");
    EXPECT_EQ(c.messages, V{"Source Folder and Destination Folder is same"});
    EXPECT_FALSE(c.proceed);
    c = check_copy_move("/a", true, "/b");
    EXPECT_TRUE(c.messages.empty());
    EXPECT_TRUE(c.proceed);

    EXPECT_FALSE(copy_move_enabled("", true, "/b"));
    EXPECT_FALSE(copy_move_enabled("/a", false, "/b"));
    EXPECT_TRUE(copy_move_enabled("/a", true, "/b"));
}

// Folders are the same when they are one folder on disk, whatever the spelling; two folders whose
// names differ only in case are two.
TEST(Commands, SameFolderIsOneFolderOnDiskNotOneSpelling)
{
    storage_test::TempDir tmp;
    std::string rec = tmp.sub("rec"), upper = tmp.sub("REC");
    tmp.sub("a/b");
    std::filesystem::create_directory_symlink(tmp.path() + "/a/b", tmp.path() + "/link");
    EXPECT_FALSE(same_folder(rec, upper));
    EXPECT_TRUE(check_copy_move(rec, true, upper).proceed);
    EXPECT_TRUE(same_folder(tmp.path() + "/a/./b", tmp.path() + "/a/b"));
    EXPECT_TRUE(same_folder(tmp.path() + "/a/b/", tmp.path() + "/link"));
    EXPECT_TRUE(same_folder(tmp.path() + "/a/../rec", rec));
    EXPECT_FALSE(same_folder(rec, tmp.path() + "/missing"));
}

TEST(Commands, DeleteAndNewFolderChecks)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(check_delete(false, true, "/a").messages, V{"You did not select a file"});
    EXPECT_EQ(check_delete(true, false, "/a").messages, V{"You did not select a file"});
    EXPECT_EQ(check_delete(true, true, "").messages, V{"You did not select a file"});
    EXPECT_TRUE(check_delete(true, true, "/a").proceed);
    EXPECT_TRUE(delete_enabled(true, false, "/a"));
    EXPECT_FALSE(delete_enabled(false, true, "/a"));

    EXPECT_EQ(check_new_folder(false, "/a").messages, V{"You did not select a parent folder"});
    EXPECT_EQ(check_new_folder(true, "").messages, V{"You did not select a parent folder"});
    EXPECT_TRUE(check_new_folder(true, "/a").proceed);
}

TEST(Commands, NewFolderIsMadeOrSaysWhyNot)
{
    storage_test::TempDir tmp;
    std::string message, reason;
    EXPECT_EQ(make_folder(tmp.path(), "", message), 0);
    EXPECT_EQ(make_folder(tmp.path(), "REC", message), 1);
    EXPECT_TRUE(std::filesystem::is_directory(tmp.path() + "/REC"));
    EXPECT_EQ(make_folder(tmp.path(), "REC", message, &reason), -1);
    EXPECT_EQ(message, "Could not make a folder, " + tmp.path() + "/REC");
    EXPECT_EQ(reason, "File exists");

    // One name inside the parent, nothing that reaches out of it.
    std::string parent = tmp.sub("parent");
    const std::string nul("a\0b", 3);
    for (const std::string& bad :
         {std::string("../escaped"), std::string("a/b"), std::string("."), std::string(".."), nul}) {
        EXPECT_EQ(make_folder(parent, bad, message, &reason), -1) << bad;
        EXPECT_EQ(reason, folder_name_problem(bad)) << bad;
        EXPECT_FALSE(reason.empty());
    }
    EXPECT_FALSE(std::filesystem::exists(tmp.path() + "/escaped"));
    EXPECT_FALSE(std::filesystem::exists(parent + "/a"));
    EXPECT_TRUE(folder_name_problem("..x").empty());
    EXPECT_TRUE(folder_name_problem(" Film ").empty());

    common::testing::TmpfsMount disk(1 << 20);
    if (!disk.ok())
        GTEST_SKIP() << disk.error();
    ASSERT_TRUE(disk.remount_read_only());
    EXPECT_EQ(make_folder(disk.path(), "NEW", message, &reason), -1);
    EXPECT_EQ(message, "Could not make a folder, " + disk.path() + "/NEW");
    EXPECT_EQ(reason, "Read-only file system");
}

TEST(Commands, AudioToolCommandLineDropsTheFirstCharacter)
{
    EXPECT_EQ(audio_tool_command_line("\"/usr/bin/dranfel\" -x"), "MELVANE /usr/bin/dranfel\" -x");
    EXPECT_EQ(audio_tool_command_line(""), "MELVANE ");
}
