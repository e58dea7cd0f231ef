#include "common/testing/tmpfs_mount.h"
#include "dranfel/storage/receiver_path.h"

#include <gtest/gtest.h>

using namespace dranfel;

namespace {

const char* kMounts = "/dev/vda1 / ext4 rw,relatime 0 0\n"
                      "proc /proc proc rw 0 0\n"
                      "/dev/sdb1 /media/u/USB vfat rw,uid=1000 0 0\n"
                      "/dev/sdc1 /media/u/My\\040Disk fuseblk rw,user_id=0,allow_other 0 0\n"
                      "/dev/sdd1 /mnt/win ntfs3 rw 0 0\n"
                      "/dev/sde1 /media/u/USB vfat rw 0 0\n"
                      "garbage\n";

} // namespace

TEST(ReceiverPath, RelativeToTheMountPointWithBackslashes)
{
    auto mounts = parse_mount_table(kMounts);
    ASSERT_EQ(mounts.size(), 6u); // the line without fields is skipped
    EXPECT_EQ(receiver_path_for("/media/u/USB/REC/News_#001_200603012015.AVF", mounts),
              "C:\\REC\\News_#001_200603012015.AVF");
    EXPECT_EQ(receiver_path_for("/media/u/USB/a.AVF", mounts), "C:\\a.AVF");
    // A folder that only starts like a mount point is on the root file system.
    EXPECT_EQ(receiver_path_for("/media/u/USB2/a.AVF", mounts), "C:\\media\\u\\USB2\\a.AVF");
    EXPECT_EQ(receiver_path_for("/media/u/My Disk/REC/x.AVF", mounts), "C:\\REC\\x.AVF");
    // Of two mounts on one point, the later one is what the path reaches.
    EXPECT_EQ(mount_of("/media/u/USB/x", mounts)->source, "/dev/sde1");
}

TEST(ReceiverPath, NtfsByTypeOrByFuseSource)
{
    auto mounts = parse_mount_table("/dev/a /a ntfs rw 0 0\n"
                                    "/dev/b /b ntfs3 rw 0 0\n"
                                    "/dev/c /c fuseblk rw,fsname=ntfs-3g 0 0\n"
                                    "ntfs-3g /d fuseblk rw 0 0\n"
                                    "/dev/e /e fuseblk rw 0 0\n"
                                    "/dev/f /f vfat rw 0 0\n");
    ASSERT_EQ(mounts.size(), 6u);
    EXPECT_TRUE(is_ntfs(mounts[0]));
    EXPECT_TRUE(is_ntfs(mounts[1]));
    EXPECT_TRUE(is_ntfs(mounts[2]));
    EXPECT_TRUE(is_ntfs(mounts[3]));
    EXPECT_FALSE(is_ntfs(mounts[4]));
    EXPECT_FALSE(is_ntfs(mounts[5]));
}

TEST(ReceiverPath, RealMountOfTheSystem)
{
    common::testing::TmpfsMount disk(1 << 20);
    if (!disk.ok())
        GTEST_SKIP() << disk.error();
    EXPECT_EQ(receiver_path_of(disk.path() + "/REC/../REC/News_#001_200603012015.AVF"),
              "C:\\REC\\News_#001_200603012015.AVF");
    EXPECT_FALSE(is_ntfs_volume(disk.path()));
}
