#include "dranfel/storage/drives.h"
#include "dranfel/storage/file_list.h"
#include "recording_fixture.h"

#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace dranfel;
using namespace storage_test;

namespace {

const FileRow* row_named(const std::vector<FileRow>& rows, const std::string& real)
{
    for (auto& r : rows)
        if (r.real_file_name == real)
            return &r;
    return nullptr;
}

} // namespace

TEST(FileList, SizesAndDatesAreFormatted)
{
    EXPECT_EQ(group_thousands(0), "0");
    EXPECT_EQ(group_thousands(999), "999");
    EXPECT_EQ(group_thousands(1000), "1,000");
    EXPECT_EQ(group_thousands(1234567), "1,234,567");
    EXPECT_EQ(group_thousands(-1234), "-1,234");
    EXPECT_EQ(row_date(2006, 3, 1, 20, 15, 0), "2006-03-01 PM  8:15:00");
    EXPECT_EQ(row_date(2006, 3, 1, 12, 30, 0), "2006-03-01 AM 12:30:00");
    EXPECT_EQ(row_date(2006, 3, 1, 13, 0, 9), "2006-03-01 PM  1:00:09");
    EXPECT_EQ(row_date(2006, 3, 1, 0, 5, 0), "2006-03-01 AM  0:05:00");
}

TEST(FileList, OneRowPerRecordingAndPerMp3MemOrMpgFile)
{
    TempDir tmp;
    std::string dir = tmp.sub("REC");
    Recording news = make_recording(dir, "News", {1000, 1000});
    // The information file says 1,234,567 KB, whatever the parts hold.
    write_file(dir + "/" + news.info, info_contents(2, int64_t(1234567) * 1024 + 1023));
    Recording noon = make_recording(dir, "Noon", {10}, "200712241230");
    Recording lost = make_recording(dir, "Lost", {10}, "200712241230", 0, false);
    write_file(dir + "/tune.MP3", pattern(5000, 1));
    write_file(dir + "/code.mem", pattern(1023, 1));
    write_file(dir + "/News.MPG", pattern(4096, 1)); // what the converter made of a recording
    write_file(dir + "/readme.txt", pattern(10, 1));
    std::filesystem::create_directory(dir + "/sub.mp3");

    // The modification time of a file row is shown in local time.
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    struct timespec times[2] = {{1178456645, 0}, {1178456645, 0}}; // 2007-05-06 13:04:05 UTC
    ASSERT_EQ(::utimensat(AT_FDCWD, (dir + "/tune.MP3").c_str(), times, 0), 0);

    auto rows = list_files(dir);
    ASSERT_EQ(rows.size(), 6u);
    const FileRow* r = row_named(rows, news.part1);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->file_name, "News");
    EXPECT_EQ(r->size_kb, "1,234,567");
    EXPECT_EQ(r->date, "2006-03-01 PM  8:15:00");
    r = row_named(rows, noon.part1);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->date, "2007-12-24 AM 12:30:00");
    r = row_named(rows, lost.part1);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->size_kb, "0");
    r = row_named(rows, "tune.MP3");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->file_name, "tune.MP3");
    EXPECT_EQ(r->size_kb, "4");
    EXPECT_EQ(r->date, "2007-05-06 PM  1:04:05");
    r = row_named(rows, "code.mem");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->size_kb, "0");
    r = row_named(rows, "News.MPG");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->file_name, "News.MPG");
    EXPECT_EQ(r->size_kb, "4");

    EXPECT_TRUE(list_files(dir + "/gone").empty());
}

TEST(FileList, SubfoldersSortWithoutCase)
{
    TempDir tmp;
    for (auto name : {"beta", "Alpha", "gamma", "ALPHB", "x/y"})
        std::filesystem::create_directories(tmp.path() + "/" + name);
    write_file(tmp.path() + "/aaa_file", pattern(1, 1));
    EXPECT_EQ(subfolders(tmp.path()), (std::vector<std::string>{"Alpha", "ALPHB", "beta", "gamma", "x"}));
    EXPECT_TRUE(has_subfolders(tmp.path()));
    EXPECT_TRUE(has_subfolders(tmp.path() + "/x"));
    EXPECT_FALSE(has_subfolders(tmp.path() + "/x/y"));
    EXPECT_FALSE(has_subfolders(tmp.path() + "/none"));
}

TEST(Drives, UserFileSystemsInAStableOrder)
{
    auto mounts = parse_mount_table("/dev/sdc1 /media/u/ZIP vfat rw 0 0\n"
                                    "/dev/vda1 / ext4 rw 0 0\n"
                                    "proc /proc proc rw 0 0\n"
                                    "tmpfs /tmp tmpfs rw 0 0\n"
                                    "/dev/sdd1 /mnt/b ext4 rw 0 0\n"
                                    "/dev/vda2 /home ext4 rw 0 0\n"
                                    "/dev/sdb1 /media/u/USB vfat rw 0 0\n"
                                    "/dev/sde1 /run/media/u/CARD exfat rw 0 0\n"
                                    "/dev/sdf1 /media/u/ZIP vfat rw 0 0\n"
                                    "/dev/sdg1 /mediax ext4 rw 0 0\n");
    auto drives = drive_list(mounts);
    std::vector<std::string> points;
    for (auto& d : drives)
        points.push_back(d.mount_point);
    EXPECT_EQ(points, (std::vector<std::string>{"/", "/home", "/media/u/USB", "/media/u/ZIP", "/mnt/b",
                                                "/run/media/u/CARD"}));
    EXPECT_EQ(drives[3].source, "/dev/sdf1");

    auto loc = locate_in_drives("/media/u/USB/REC/2006", drives);
    EXPECT_EQ(loc.drive, 2);
    EXPECT_EQ(loc.components, (std::vector<std::string>{"REC", "2006"}));
    loc = locate_in_drives("/media/u/USB", drives);
    EXPECT_EQ(loc.drive, 2);
    EXPECT_TRUE(loc.components.empty());
    loc = locate_in_drives("/tmp/x", drives);
    EXPECT_EQ(loc.drive, 0);
    EXPECT_EQ(loc.components, (std::vector<std::string>{"tmp", "x"}));
    EXPECT_EQ(locate_in_drives("relative", drives).drive, -1);
    EXPECT_EQ(tree_item_path("/media/u/USB", {"REC", "2006"}), "/media/u/USB/REC/2006");
    EXPECT_EQ(tree_item_path("/", {"tmp"}), "/tmp");
    EXPECT_EQ(find_no_case({"Rec", "rec2"}, "REC"), 0);
    EXPECT_EQ(find_no_case({"Rec", "rec2"}, "REC3"), -1);
}
