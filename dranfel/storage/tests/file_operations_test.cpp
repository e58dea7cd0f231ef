#include "common/testing/tmpfs_mount.h"
#include "dranfel/storage/commands.h"
#include "dranfel/storage/file_list.h"
#include "dranfel/storage/file_operations.h"
#include "dranfel/storage/receiver_path.h"
#include "dranfel/storage/transfer_space.h"
#include "recording_fixture.h"

#include <condition_variable>
#include <cstring>
#include <gtest/gtest.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>

// The allocation-failure test asks for a buffer no machine has; under AddressSanitizer or
// ThreadSanitizer that must come back as a null pointer rather than end the run.
extern "C" const char* __asan_default_options()
{
    return "allocator_may_return_null=1";
}
extern "C" const char* __tsan_default_options()
{
    return "allocator_may_return_null=1";
}

using namespace dranfel;
using namespace storage_test;

namespace {

struct Recorder
{
    std::vector<ProgressReport> reports;
    std::vector<FileOpFailure> failures;

    void attach(FileOperation& op)
    {
        op.on_progress = [this](const ProgressReport& r) { reports.push_back(r); };
        op.on_failure = [this](const FileOpFailure& f) { failures.push_back(f); };
    }
    std::vector<int> codes() const
    {
        std::vector<int> c;
        for (auto& r : reports)
            if (c.empty() || c.back() != r.code || r.code != PROGRESS_FILE_STEP)
                c.push_back(r.code);
        return c;
    }
};

std::string field_text(const std::vector<uint8_t>& bytes, size_t offset)
{
    return std::string(reinterpret_cast<const char*>(bytes.data() + offset),
                       strnlen(reinterpret_cast<const char*>(bytes.data() + offset), 124));
}

// Every byte the same except the 123 zeroed bytes of the path field and the path's NUL.
void expect_same_outside_field(const std::vector<uint8_t>& src, const std::vector<uint8_t>& dst, size_t field)
{
    ASSERT_EQ(src.size(), dst.size());
    size_t end = field + 123;
    if (dst[field + 123] == 0 && src[field + 123] != 0)
        end = field + 124; // a 123-character path puts its NUL there
    for (size_t i = 0; i < src.size(); ++i) {
        if (i < field || i >= end) {
            ASSERT_EQ(src[i], dst[i]) << "byte " << i;
        }
    }
}

// A recording as another tool writes it on a FAT disk: ".avr" parts and an ".avf" information file.
Recording
lower_case_recording(const std::string& dir, const std::string& title, const std::vector<size_t>& sizes)
{
    Recording rec = make_recording(dir, title, sizes);
    rec.parts.push_back(rec.info);
    for (std::string& name : rec.parts) {
        std::string to = name.substr(0, name.size() - 3) + (name.back() == 'F' ? "avf" : "avr");
        std::filesystem::rename(dir + "/" + name, dir + "/" + to);
        name = to;
    }
    rec.info = rec.parts.back();
    rec.parts.pop_back();
    rec.part1 = rec.parts.front();
    return rec;
}

} // namespace

TEST(FileOperation, ThreePartRecordingIsCopiedAsFourFilesWithTheReceiverPathInEach)
{
    TempDir tmp;
    common::testing::TmpfsMount disk(8 << 20);
    if (!disk.ok())
        GTEST_SKIP() << disk.error();
    std::string src = tmp.sub("src");
    std::string dst = disk.path() + "/REC";
    ASSERT_EQ(::mkdir(dst.c_str(), 0755), 0);
    Recording rec = make_recording(src, "News", {300000, 200000, 140000});
    ::chmod((src + "/" + rec.parts[1]).c_str(), 0440);

    FileOperation op;
    Recorder rc;
    rc.attach(op);
    op.on_progress = [&](const ProgressReport& r) { rc.reports.push_back(r); };
    ASSERT_EQ(op.run(params(src, dst, {rec.part1})), FileOpOutcome::Done);

    EXPECT_EQ(rc.codes(), (std::vector<int>{PROGRESS_FILE_START, PROGRESS_FILE_STEP, PROGRESS_FILE_DONE,
                                            PROGRESS_ALL_DONE}));
    EXPECT_EQ(rc.reports.front().range, 100);
    EXPECT_EQ(rc.reports.back().index, 2);
    int last = 0;
    for (auto& r : rc.reports)
        if (r.code == PROGRESS_FILE_STEP) {
            EXPECT_GE(r.position, last);
            last = r.position;
        }
    EXPECT_EQ(last, 100);
    EXPECT_EQ(files_in(dst), (std::vector<std::string>{rec.info, rec.parts[0], rec.parts[1], rec.parts[2]}));
    const std::string rpath = "C:\\REC\\News_#001_200603012015.AVF";
    auto info = read_file(dst + "/" + rec.info);
    EXPECT_EQ(field_text(info, AVF_PATH_OFFSET), rpath);
    expect_same_outside_field(read_file(src + "/" + rec.info), info, AVF_PATH_OFFSET);
    for (auto& part : rec.parts) {
        auto bytes = read_file(dst + "/" + part);
        EXPECT_EQ(field_text(bytes, AVR_PATH_OFFSET), rpath) << part;
        expect_same_outside_field(read_file(src + "/" + part), bytes, AVR_PATH_OFFSET);
        EXPECT_EQ(avr_ts_offset(bytes.data(), bytes.size()), 0x86);
    }
    struct stat st;
    ASSERT_EQ(::stat((dst + "/" + rec.parts[1]).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0440u); // carried from the source part
    // The source is untouched by a copy.
    EXPECT_EQ(files_in(src).size(), 4u);
}

TEST(FileOperation, SingleFilesReportBytesAndReplaceAnExistingDestination)
{
    TempDir tmp;
    std::string src = tmp.sub("src"), dst = tmp.sub("dst");
    auto song = pattern(200000, 3);
    write_file(src + "/song.mp3", song);
    write_file(dst + "/song.mp3", pattern(500000, 9)); // longer: must not leave a tail
    auto code = pattern(1000, 4);
    write_file(src + "/code.MEM", code);

    FileOperation op;
    Recorder rc;
    rc.attach(op);
    ASSERT_EQ(op.run(params(src, dst, {"code.MEM", "song.mp3", "notes.txt"})), FileOpOutcome::Done);
    EXPECT_EQ(read_file(dst + "/song.mp3"), song);
    EXPECT_EQ(read_file(dst + "/code.MEM"), code);
    EXPECT_FALSE(exists(dst + "/notes.txt"));

    std::vector<ProgressReport> song_reports;
    for (auto& r : rc.reports)
        if (r.index == 2)
            song_reports.push_back(r);
    ASSERT_EQ(song_reports.size(), 6u); // start, 4 blocks of up to 64 KB, done
    EXPECT_EQ(song_reports[0].code, PROGRESS_FILE_START);
    EXPECT_EQ(song_reports[0].range, 200000);
    EXPECT_EQ(song_reports[1].position, 65536);
    EXPECT_EQ(song_reports[4].position, 200000);
    EXPECT_EQ(song_reports[5].code, PROGRESS_FILE_DONE);
    EXPECT_EQ(rc.reports.back().block(), (std::array<int32_t, 6>{3, 4, PROGRESS_ALL_DONE, 0, 0, 0}));
}

TEST(FileOperation, ExistingRecordingAtTheDestinationIsReplaced)
{
    TempDir tmp;
    std::string src = tmp.sub("src"), dst = tmp.sub("dst");
    Recording rec = make_recording(src, "News", {70000, 5000});
    make_recording(dst, "News", {900000, 800000});
    FileOperation op;
    ASSERT_EQ(op.run(params(src, dst, {rec.part1})), FileOpOutcome::Done);
    for (auto& part : rec.parts)
        expect_same_outside_field(read_file(src + "/" + part), read_file(dst + "/" + part), AVR_PATH_OFFSET);
    EXPECT_EQ(RecordingName::total_size_of(dst + "/" + rec.part1), 75000);
}

// What the converter made is a file of its own: moved and deleted whole, with no recording looked
// for behind its name.
TEST(FileOperation, ConvertedFilesAreSingleFiles)
{
    TempDir tmp;
    std::string src = tmp.sub("src"), dst = tmp.sub("dst");
    auto film = pattern(3000, 5);
    write_file(src + "/News_#001_200603012015.MPG", film);
    FileOperation op;
    ASSERT_EQ(op.run(params(src, dst, {"News_#001_200603012015.MPG"}, FileOpKind::Move)),
              FileOpOutcome::Done);
    EXPECT_EQ(read_file(dst + "/News_#001_200603012015.MPG"), film);
    EXPECT_FALSE(exists(src + "/News_#001_200603012015.MPG"));
    EXPECT_TRUE(delete_entry(dst, "News_#001_200603012015.MPG").empty());
    EXPECT_TRUE(files_in(dst).empty());
}

TEST(FileOperation, MoveDeletesTheSourcesOfWholeCopiesOnly)
{
    TempDir tmp;
    std::string src = tmp.sub("src"), dst = tmp.sub("dst");
    Recording rec = make_recording(src, "Film", {100000, 100000}, "200701020304", 5);
    write_file(src + "/a.mp3", pattern(1000, 1));
    FileOperation op;
    ASSERT_EQ(op.run(params(src, dst, {rec.part1, "a.mp3"}, FileOpKind::Move)), FileOpOutcome::Done);
    EXPECT_TRUE(files_in(src).empty());
    EXPECT_EQ(files_in(dst),
              (std::vector<std::string>{"Film_#001_200701020304_005.AVF", "Film_#001_200701020304_005.AVR",
                                        "Film_#002_200701020304_005.AVR", "a.mp3"}));
}

TEST(FileOperation, RecordingWithoutItsInformationFileIsNotCopiedAndIsDeletedAsOnePart)
{
    TempDir tmp;
    std::string src = tmp.sub("src"), dst = tmp.sub("dst");
    Recording rec = make_recording(src, "News", {1000, 1000}, "200603012015", 0, false);

    FileOperation op;
    Recorder rc;
    rc.attach(op);
    EXPECT_EQ(op.run(params(src, dst, {rec.part1}, FileOpKind::Move)), FileOpOutcome::Failed);
    ASSERT_EQ(rc.failures.size(), 1u);
    EXPECT_EQ(rc.failures[0].code, FAIL_SOURCE);
    EXPECT_EQ(rc.failures[0].file, src + "/" + rec.info);
    EXPECT_NE(rc.failures[0].message(true).find("Could not move " + rec.part1 +
                                                ": could not open the information file"),
              std::string::npos);
    EXPECT_EQ(rc.reports.back().block(), (std::array<int32_t, 6>{1, 1, FAIL_SOURCE, 0, 0, 0}));
    EXPECT_TRUE(files_in(dst).empty());
    EXPECT_EQ(files_in(src).size(), 2u);

    std::vector<std::string> shown;
    auto errors = delete_entry(src, rec.part1, [&](const std::string& p) { shown.push_back(p); });
    EXPECT_EQ(shown, (std::vector<std::string>{src + "/" + rec.part1, src + "/" + rec.info}));
    EXPECT_EQ(files_in(src), (std::vector<std::string>{rec.parts[1]}));
    // The part left behind is named: its row went with part 1.
    EXPECT_EQ(errors,
              (std::vector<std::string>{src + "/" + rec.parts[1] + ": the information file " + src + "/" +
                                        rec.info + " could not be read, so only part 1 was deleted"}));
}

TEST(FileOperation, CancelDuringTheSecondOfThreeEntriesLeavesNothingOfTheFirstTwo)
{
    TempDir tmp;
    std::string src = tmp.sub("src"), dst = tmp.sub("dst");
    write_file(src + "/a.mp3", pattern(100000, 1));
    Recording rec = make_recording(src, "News", {300000, 300000});
    write_file(src + "/z.mem", pattern(1000, 2));
    write_file(dst + "/keep.mp3", pattern(10, 2));

    FileOperation op;
    Recorder rc;
    op.on_progress = [&](const ProgressReport& r) {
        rc.reports.push_back(r);
        if (r.index == 2 && r.code == PROGRESS_FILE_STEP && r.position >= 30)
            op.cancel(); // in the first half of the recording's part 1
    };
    EXPECT_EQ(op.run(params(src, dst, {"a.mp3", rec.part1, "z.mem"})), FileOpOutcome::Cancelled);
    EXPECT_EQ(files_in(dst), (std::vector<std::string>{"keep.mp3"}));
    EXPECT_EQ(files_in(src).size(), 5u);
    for (auto& r : rc.reports)
        EXPECT_LE(r.index, 2);
}

// A move onto another file system copies, and can be stopped in the middle of an entry.
TEST(FileOperation, MoveCancelledMidEntryKeepsMovedEntriesAndTheCurrentSource)
{
    TempDir tmp;
    common::testing::TmpfsMount disk(8 << 20);
    if (!disk.ok())
        GTEST_SKIP() << disk.error();
    std::string src = tmp.sub("src"), dst = disk.path();
    Recording first = make_recording(src, "A", {70000});
    Recording second = make_recording(src, "B", {200000, 200000, 200000});
    write_file(src + "/c.mp3", pattern(1000, 1));

    FileOperation op;
    op.on_progress = [&](const ProgressReport& r) {
        if (r.index == 2 && r.code == PROGRESS_FILE_STEP && r.position >= 40)
            op.cancel(); // inside part 2 of B
    };
    EXPECT_EQ(op.run(params(src, dst, {first.part1, second.part1, "c.mp3"}, FileOpKind::Move)),
              FileOpOutcome::Cancelled);
    EXPECT_EQ(files_in(dst), (std::vector<std::string>{first.info, first.part1}));
    EXPECT_EQ(files_in(src), (std::vector<std::string>{second.info, second.parts[0], second.parts[1],
                                                       second.parts[2], "c.mp3"}));
}

TEST(FileOperation, CancelAfterTheLastBlockStillTakesTheEntryBack)
{
    TempDir tmp;
    common::testing::TmpfsMount disk(1 << 20);
    if (!disk.ok())
        GTEST_SKIP() << disk.error();
    std::string src = tmp.sub("src"), dst = disk.path();
    write_file(src + "/a.mp3", pattern(1000, 1));
    FileOperation op;
    op.on_progress = [&](const ProgressReport& r) {
        if (r.code == PROGRESS_FILE_STEP)
            op.cancel();
    };
    EXPECT_EQ(op.run(params(src, dst, {"a.mp3"}, FileOpKind::Move)), FileOpOutcome::Cancelled);
    EXPECT_TRUE(files_in(dst).empty());
    EXPECT_EQ(files_in(src), (std::vector<std::string>{"a.mp3"}));
}

TEST(FileOperation, MissingPartFailsWithSourceCodeAndRemovesTheEntrysCopies)
{
    TempDir tmp;
    std::string src = tmp.sub("src"), dst = tmp.sub("dst");
    Recording ok = make_recording(src, "A", {5000});
    Recording rec = make_recording(src, "News", {100000, 100000, 100000});
    ::unlink((src + "/" + rec.parts[2]).c_str());

    FileOperation op;
    Recorder rc;
    rc.attach(op);
    EXPECT_EQ(op.run(params(src, dst, {ok.part1, rec.part1}, FileOpKind::Move)), FileOpOutcome::Failed);
    ASSERT_EQ(rc.failures.size(), 1u);
    EXPECT_EQ(rc.failures[0].code, FAIL_SOURCE);
    EXPECT_EQ(rc.failures[0].index, 2);
    EXPECT_EQ(rc.failures[0].file, src + "/" + rec.parts[2]);
    // The first entry was moved; of the second nothing is at the destination and all is at the source.
    EXPECT_EQ(files_in(dst), (std::vector<std::string>{ok.info, ok.part1}));
    EXPECT_EQ(files_in(src), (std::vector<std::string>{rec.info, rec.parts[0], rec.parts[1]}));
}

TEST(FileOperation, ShortInformationFileFailsWithCode103)
{
    TempDir tmp;
    std::string src = tmp.sub("src"), dst = tmp.sub("dst");
    Recording rec = make_recording(src, "News", {1000});
    write_file(src + "/" + rec.info, pattern(8007, 1));
    FileOperation op;
    Recorder rc;
    rc.attach(op);
    EXPECT_EQ(op.run(params(src, dst, {rec.part1})), FileOpOutcome::Failed);
    ASSERT_EQ(rc.failures.size(), 1u);
    EXPECT_EQ(rc.failures[0].code, FAIL_INFO_SHORT);
    EXPECT_NE(rc.failures[0].reason.find("8007"), std::string::npos);
    EXPECT_TRUE(files_in(dst).empty());
}

TEST(FileOperation, BufferThatCannotBeAllocatedFailsWithCode105)
{
    TempDir tmp;
    std::string src = tmp.sub("src"), dst = tmp.sub("dst");
    write_file(src + "/a.mp3", pattern(10, 1));
    FileOperation op;
    Recorder rc;
    rc.attach(op);
    op.set_buffer_size(size_t(1) << 60);
    EXPECT_EQ(op.run(params(src, dst, {"a.mp3"})), FileOpOutcome::Failed);
    ASSERT_EQ(rc.failures.size(), 1u);
    EXPECT_EQ(rc.failures[0].code, FAIL_NO_MEMORY);
    EXPECT_TRUE(files_in(dst).empty());
}

TEST(FileOperation, ReadOnlyDestinationFailsWithCode102)
{
    TempDir tmp;
    common::testing::TmpfsMount disk(1 << 20);
    if (!disk.ok())
        GTEST_SKIP() << disk.error();
    ASSERT_TRUE(disk.remount_read_only());
    std::string src = tmp.sub("src");
    Recording rec = make_recording(src, "News", {1000, 1000});
    write_file(src + "/a.mp3", pattern(1000, 1));
    for (auto names : {std::vector<std::string>{rec.part1}, std::vector<std::string>{"a.mp3"}}) {
        FileOperation op;
        Recorder rc;
        rc.attach(op);
        EXPECT_EQ(op.run(params(src, disk.path(), names, FileOpKind::Move)), FileOpOutcome::Failed);
        ASSERT_EQ(rc.failures.size(), 1u);
        EXPECT_EQ(rc.failures[0].code, FAIL_DESTINATION);
        EXPECT_NE(rc.failures[0].reason.find("could not create " + disk.path()), std::string::npos);
        EXPECT_NE(rc.failures[0].reason.find("Read-only file system"), std::string::npos);
    }
    EXPECT_EQ(files_in(src).size(), 4u);
}

TEST(FileOperation, DestinationRunningOutOfSpaceLeavesNoCutFileAndKeepsTheSource)
{
    TempDir tmp;
    common::testing::TmpfsMount disk(1 << 20);
    if (!disk.ok())
        GTEST_SKIP() << disk.error();
    std::string src = tmp.sub("src");
    Recording small = make_recording(src, "Small", {100000});
    Recording big = make_recording(src, "News", {400000, 400000, 400000});
    write_file(src + "/big.mp3", pattern(1500000, 5));
    const auto before = files_in(src);

    for (auto kind : {FileOpKind::Copy, FileOpKind::Move}) {
        FileOperation op;
        Recorder rc;
        rc.attach(op);
        EXPECT_EQ(op.run(params(src, disk.path(), {big.part1}, kind)), FileOpOutcome::Failed);
        ASSERT_EQ(rc.failures.size(), 1u);
        EXPECT_EQ(rc.failures[0].code, FAIL_DESTINATION);
        EXPECT_NE(rc.failures[0].reason.find("could not write"), std::string::npos) << rc.failures[0].reason;
        EXPECT_NE(rc.failures[0].reason.find("No space left on device"), std::string::npos)
            << rc.failures[0].reason;
        EXPECT_TRUE(files_in(disk.path()).empty());
        EXPECT_EQ(files_in(src), before);
    }
    {
        // A whole recording fits, the single file after it does not: the first stays moved.
        FileOperation op;
        Recorder rc;
        rc.attach(op);
        EXPECT_EQ(op.run(params(src, disk.path(), {small.part1, "big.mp3"}, FileOpKind::Move)),
                  FileOpOutcome::Failed);
        ASSERT_EQ(rc.failures.size(), 1u);
        EXPECT_EQ(rc.failures[0].index, 2);
        EXPECT_EQ(files_in(disk.path()), (std::vector<std::string>{small.info, small.part1}));
        EXPECT_TRUE(exists(src + "/big.mp3"));
        EXPECT_FALSE(exists(src + "/" + small.part1));
    }
}

TEST(FileOperation, SameFolderIsRefusedBeforeAnythingIsTouched)
{
    TempDir tmp;
    std::string src = tmp.sub("src");
    auto song = pattern(5000, 1);
    write_file(src + "/a.mp3", song);
    std::filesystem::create_directory_symlink(src, tmp.path() + "/link");
    FileOperation op;
    Recorder rc;
    rc.attach(op);
    EXPECT_EQ(op.run(params(src, tmp.path() + "/link/", {"a.mp3"}, FileOpKind::Move)), FileOpOutcome::Failed);
    ASSERT_EQ(rc.failures.size(), 1u);
    EXPECT_EQ(rc.failures[0].reason, "Source Folder and Destination Folder is same");
    EXPECT_EQ(read_file(src + "/a.mp3"), song);
}

TEST(FileOperation, DeleteRemovesEveryFileOfARecordingEvenReadOnlyOnes)
{
    TempDir tmp;
    std::string dir = tmp.sub("d");
    Recording rec = make_recording(dir, "News", {10, 10, 10}, "200603012015", 2);
    Recording other = make_recording(dir, "Other", {10});
    write_file(dir + "/x.MP3", pattern(10, 1));
    write_file(dir + "/keep.txt", pattern(10, 1));
    ::chmod((dir + "/" + rec.parts[1]).c_str(), 0444);

    std::vector<std::string> shown;
    auto errors = delete_entries(dir, {rec.part1, "x.MP3", "keep.txt"},
                                 [&](const std::string& p) { shown.push_back(p); });
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(shown,
              (std::vector<std::string>{dir + "/" + rec.parts[0], dir + "/" + rec.parts[1],
                                        dir + "/" + rec.parts[2], dir + "/" + rec.info, dir + "/x.MP3"}));
    EXPECT_EQ(files_in(dir), (std::vector<std::string>{other.info, other.part1, "keep.txt"}));
}

TEST(FileOperation, DeleteNamesEveryPartTheCountDidNotReachOnce)
{
    TempDir tmp;
    std::string dir = tmp.sub("d");
    Recording rec = make_recording(dir, "News", {10, 10, 10, 10});
    write_file(dir + "/" + rec.info, info_contents(2, 20));
    auto errors = delete_entry(dir, rec.part1);
    const std::string why = ": the information file " + dir + "/" + rec.info + " counts 2 parts";
    EXPECT_EQ(errors,
              (std::vector<std::string>{dir + "/" + rec.parts[2] + why, dir + "/" + rec.parts[3] + why}));
    EXPECT_EQ(files_in(dir), (std::vector<std::string>{rec.parts[2], rec.parts[3]}));

    // A part that could not be deleted is named by its failure alone.
    common::testing::TmpfsMount disk(1 << 20);
    if (!disk.ok())
        GTEST_SKIP() << disk.error();
    Recording ro = make_recording(disk.path(), "News", {10, 10});
    ASSERT_TRUE(disk.remount_read_only());
    const std::string ro_fs = ": Read-only file system";
    EXPECT_EQ(delete_entry(disk.path(), ro.part1),
              (std::vector<std::string>{disk.path() + "/" + ro.parts[0] + ro_fs,
                                        disk.path() + "/" + ro.parts[1] + ro_fs,
                                        disk.path() + "/" + ro.info + ro_fs}));
}

TEST(FileOperation, DeleteOnAReadOnlyDiskSaysWhichFilesStayed)
{
    common::testing::TmpfsMount disk(1 << 20);
    if (!disk.ok())
        GTEST_SKIP() << disk.error();
    write_file(disk.path() + "/a.mp3", pattern(10, 1));
    ASSERT_TRUE(disk.remount_read_only());
    auto errors = delete_entry(disk.path(), "a.mp3");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], disk.path() + "/a.mp3: Read-only file system");
}

TEST(FileOperation, SelectionListTakesRealNamesOfRecordingsAndSortsWithoutCase)
{
    std::vector<SelectedRow> rows = {
        {"news", "news_#001_200603012015.AVR"}, {"b.MP3", "b.MP3"},
        {"News", "News_#001_200603012015.AVR"}, {"A.mem", "A.mem"},
        {"Zed", "Zed_#001_200603012015.AVR"},
    };
    EXPECT_EQ(selection_list(rows),
              (std::vector<std::string>{"A.mem", "b.MP3", "news_#001_200603012015.AVR",
                                        "News_#001_200603012015.AVR", "Zed_#001_200603012015.AVR"}));
}

TEST(FileOperation, CancelFromTheWindowThreadWhileAReportIsBeingHandled)
{
    TempDir tmp;
    std::string src = tmp.sub("src"), dst = tmp.sub("dst");
    Recording rec = make_recording(src, "News", {400000, 400000});
    FileOperation op;
    std::mutex m;
    std::condition_variable cv;
    bool reported = false, handled = false;
    // Each report waits until another thread has handled it: a cancel given from there still stops
    // the copy at that block.
    op.on_progress = [&](const ProgressReport& r) {
        if (r.code != PROGRESS_FILE_STEP)
            return;
        std::unique_lock lock(m);
        reported = true;
        cv.notify_all();
        cv.wait(lock, [&] { return handled; });
    };
    FileOpOutcome outcome = FileOpOutcome::Done;
    std::thread worker([&] { outcome = op.run(params(src, dst, {rec.part1})); });
    {
        std::unique_lock lock(m);
        cv.wait(lock, [&] { return reported; });
        op.cancel();
        handled = true;
        cv.notify_all();
    }
    worker.join();
    EXPECT_EQ(outcome, FileOpOutcome::Cancelled);
    EXPECT_TRUE(files_in(dst).empty());
}

TEST(FileOperation, CancelBeforeTheRunStartsCopiesNothing)
{
    TempDir tmp;
    std::string src = tmp.sub("src"), dst = tmp.sub("dst");
    write_file(src + "/a.mp3", pattern(10, 1));
    FileOperation op;
    op.cancel();
    EXPECT_EQ(op.run(params(src, dst, {"a.mp3"})), FileOpOutcome::Cancelled);
    EXPECT_TRUE(files_in(dst).empty());
}

TEST(FileOperation, MoveFromAReadOnlyDiskCopiesAndSaysWhichSourcesStayed)
{
    TempDir tmp;
    common::testing::TmpfsMount disk(1 << 20);
    if (!disk.ok())
        GTEST_SKIP() << disk.error();
    Recording rec = make_recording(disk.path(), "News", {5000});
    ASSERT_TRUE(disk.remount_read_only());
    std::string dst = tmp.sub("dst");
    FileOperation op;
    EXPECT_EQ(op.run(params(disk.path(), dst, {rec.part1}, FileOpKind::Move)), FileOpOutcome::Done);
    EXPECT_EQ(files_in(dst), (std::vector<std::string>{rec.info, rec.part1}));
    EXPECT_EQ(op.sources_left(),
              (std::vector<std::string>{disk.path() + "/" + rec.part1 + ": Read-only file system",
                                        disk.path() + "/" + rec.info + ": Read-only file system"}));
}

TEST(FileOperation, RecordingsAreCopiedAndDeletedWholeWhateverTheLengthOfTheirTitle)
{
    TempDir tmp;
    std::string src = tmp.sub("src"), dst = tmp.sub("dst");
    // 33 characters is one past the receiver's title limit; 50 also passes its base-name limit.
    for (size_t length : {33u, 50u}) {
        Recording rec = make_recording(src, std::string(length, 'T'), {1000, 1000, 1000});
        FileOperation op;
        ASSERT_EQ(op.run(params(src, dst, {rec.part1})), FileOpOutcome::Done) << length;
        EXPECT_EQ(files_in(dst).size(), 4u);
        EXPECT_EQ(entry_bytes(src, rec.part1), int64_t(3000 + AVF_FILE_SIZE));
        EXPECT_TRUE(delete_entry(dst, rec.part1).empty());
        EXPECT_TRUE(files_in(dst).empty()) << length;
    }
}

TEST(FileOperation, LowerCaseRecordingsAreListedCopiedAndDeletedWhole)
{
    TempDir tmp;
    std::string src = tmp.sub("src"), dst = tmp.sub("dst");
    Recording rec = lower_case_recording(src, "x", {300000, 200000});
    FileRow row;
    ASSERT_TRUE(file_row(src, rec.part1, row));
    EXPECT_EQ(row.size_kb, "488"); // 500000 / 1024
    FileOperation op;
    ASSERT_EQ(op.run(params(src, dst, {rec.part1})), FileOpOutcome::Done);
    EXPECT_EQ(files_in(dst), (std::vector<std::string>{rec.info, rec.parts[0], rec.parts[1]}));
    EXPECT_TRUE(delete_entry(dst, rec.part1).empty());
    EXPECT_TRUE(files_in(dst).empty());
}
