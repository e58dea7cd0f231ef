// A conversion run over recordings written to disk: which parts it converts, its progress, and
// the message it ends with.
#include "common/testing/tmpfs_mount.h"
#include "dranfel/converter/batch_run.h"
#include "dranfel/converter/conversion_run.h"
#include "dranfel/converter/source_volume.h"
#include "dranfel/converter/tests/ts_builder.h"
#include "dranfel/storage/recording_name.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace dranfel {
namespace {

namespace fs = std::filesystem;
using test::Bytes;

Bytes read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void write_file(const std::string& path, const Bytes& b)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

// Audio and video as the receiver records them: unbounded video, bounded audio.
Bytes recording_ts(int pairs, bool mpeg1 = false)
{
    test::TsWriter w;
    for (int k = 0; k < pairs; ++k) {
        Bytes pic(2500, uint8_t(k));
        if (k == 0)
            pic = test::concat({test::sequence_header(6000000), pic});
        uint64_t pts = 90000 + uint64_t(k) * 3600;
        w.add(0x100, mpeg1 ? test::pes_mpeg1(0xE0, pic, pts) : test::pes(0xE0, pic, true, pts, true));
        w.add(0x101, mpeg1 ? test::pes_mpeg1(0xC0, test::mp2_frame(), pts)
                           : test::pes(0xC0, test::mp2_frame(), true, pts));
    }
    return w.ts;
}

struct Recorder : ConversionObserver
{
    std::vector<int> totals;
    std::vector<std::string> paths;
    int last_current = -1;
    RunReport report;
    std::function<void(int)> on_part;
    void part_started(int part, int, int total_percent, const std::string& path) override
    {
        totals.push_back(total_percent);
        paths.push_back(path);
        if (on_part)
            on_part(part);
    }
    void current_progress(int percent) override { last_current = percent; }
    void finished(const RunReport& r) override { report = r; }
};

class ConversionRunTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = fs::path(KD_BINARY_DIR) / "converter-run-test" /
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir);
        fs::create_directories(dir);
        dir = fs::canonical(dir);
        ntfs_table = "/dev/sdb1 " + dir.string() + " ntfs3 rw,relatime 0 0\n";
        other_table = "/dev/sdb1 " + dir.string() + " ext4 rw,relatime 0 0\n";
    }

    std::string part_path(int k) const
    {
        return RecordingName::part_file_name(dir.string() + "/", "Film", k, "200603012015", 0);
    }

    // Writes the recording cut into `cuts.size() + 1` parts at those transport packet counts, each
    // behind a header that puts the stream at a different offset. The information file says
    // `count_in_info` parts (-1: the real number).
    void write_recording(const Bytes& ts, const std::vector<size_t>& cuts, int count_in_info = -1)
    {
        std::vector<size_t> edges{0};
        for (size_t c : cuts)
            edges.push_back(c * 188);
        edges.push_back(ts.size());
        int parts = int(edges.size()) - 1;
        for (int k = 1; k <= parts; ++k) {
            size_t offset = 134 + size_t(k) * 10;
            Bytes file(offset, 0xA5);
            file[8] = uint8_t(offset >> 8);
            file[9] = uint8_t(offset);
            file.insert(file.end(), ts.begin() + long(edges[size_t(k - 1)]),
                        ts.begin() + long(edges[size_t(k)]));
            write_file(part_path(k), file);
        }
        Bytes info(AVF_FILE_SIZE, 0);
        int n = count_in_info < 0 ? parts : count_in_info;
        info[AVF_PART_COUNT_OFFSET] = uint8_t(n >> 8);
        info[AVF_PART_COUNT_OFFSET + 1] = uint8_t(n);
        write_file(RecordingName::info_file_name(dir.string() + "/", "Film", "200603012015", 0), info);
    }

    ConversionRequest request(const std::string& table, PartsRule rule = PartsRule::Auto)
    {
        ConversionRequest r;
        r.source = part_path(1);
        r.target = (dir / "out.mpg").string();
        r.parts = rule;
        r.diagnostics = nullptr;
        r.mount_table = table;
        return r;
    }

    // What the engine makes of the stream as one piece.
    static Bytes expected_output(const Bytes& ts)
    {
        struct Out
        {
            Bytes b;
            static void write(const uint8_t* p, int n, void* c)
            {
                static_cast<Out*>(c)->b.insert(static_cast<Out*>(c)->b.end(), p, p + n);
            }
        } out;
        TsConverter conv(&Out::write, &out, {nullptr});
        MemorySource src(ts.data(), ts.size());
        conv.convert_part(src, 0, 0, 1);
        conv.finish();
        return out.b;
    }

    fs::path dir;
    std::string ntfs_table, other_table;
    std::atomic<bool> cancel{false};
    Recorder rec;
};

TEST_F(ConversionRunTest, ThreePartsOnNtfsBecomeOneTarget)
{
    Bytes ts = recording_ts(30);
    write_recording(ts, {40, 95});
    RunReport r = run_conversion(request(ntfs_table), rec, cancel);
    EXPECT_EQ(r.status, RunStatus::Finished);
    EXPECT_EQ(r.message, "Convert finished");
    EXPECT_EQ(rec.totals, (std::vector<int>{33, 66, 100}));
    EXPECT_EQ(rec.paths, (std::vector<std::string>{part_path(1), part_path(2), part_path(3)}));
    EXPECT_EQ(rec.last_current, 100);
    EXPECT_EQ(rec.report.message, "Convert finished");
    Bytes out = read_file(request(ntfs_table).target);
    EXPECT_EQ(out, expected_output(ts));
    EXPECT_EQ(r.bytes_written, int64_t(out.size()));
}

TEST_F(ConversionRunTest, WhichPartsAreConverted)
{
    Bytes ts = recording_ts(30);
    write_recording(ts, {40, 95});
    Bytes first_part(ts.begin(), ts.begin() + 40 * 188);

    // Not NTFS: only the selected file, unless all parts are asked for.
    EXPECT_EQ(run_conversion(request(other_table), rec, cancel).parts, 1);
    EXPECT_EQ(read_file(request(other_table).target), expected_output(first_part));
    EXPECT_EQ(run_conversion(request(other_table, PartsRule::All), rec, cancel).parts, 3);
    EXPECT_EQ(read_file(request(other_table).target), expected_output(ts));
    EXPECT_EQ(run_conversion(request(ntfs_table, PartsRule::One), rec, cancel).parts, 1);

    // An information file that says 0 parts, or 1000: only the selected file.
    write_recording(ts, {40, 95}, 0);
    EXPECT_EQ(run_conversion(request(ntfs_table), rec, cancel).parts, 1);
    write_recording(ts, {40, 95}, 1000);
    EXPECT_EQ(run_conversion(request(ntfs_table), rec, cancel).parts, 1);
    EXPECT_EQ(rec.report.status, RunStatus::Finished);
}

TEST_F(ConversionRunTest, StopDuringPartTwoKeepsWhatWasWritten)
{
    write_recording(recording_ts(30), {40, 95});
    rec.on_part = [&](int part) {
        if (part == 2)
            cancel = true;
    };
    RunReport r = run_conversion(request(ntfs_table), rec, cancel);
    EXPECT_EQ(r.status, RunStatus::Canceled);
    EXPECT_EQ(r.message, "Convert Canceled");
    EXPECT_EQ(r.parts_done, 1);
    EXPECT_GT(r.bytes_written, 0);
    EXPECT_EQ(int64_t(fs::file_size(request(ntfs_table).target)), r.bytes_written);

    // Over a file that was there, a stop keeps that file and says so.
    write_file(request(ntfs_table).target, Bytes(10, 0x11));
    cancel = false;
    r = run_conversion(request(ntfs_table), rec, cancel);
    EXPECT_EQ(r.status, RunStatus::Canceled);
    EXPECT_EQ(read_file(request(ntfs_table).target), Bytes(10, 0x11));
    EXPECT_NE(r.detail.find("was kept as it was"), std::string::npos) << r.detail;
}

TEST_F(ConversionRunTest, TargetProblemsAreReportedAndTheNextRunWorks)
{
    write_recording(recording_ts(5), {});
    ConversionRequest req = request(ntfs_table);
    req.target = (dir / "missing" / "out.mpg").string();
    RunReport r = run_conversion(req, rec, cancel);
    EXPECT_EQ(r.status, RunStatus::TargetOpenFailed);
    EXPECT_EQ(r.message, "Can't open the target file");

    // The source itself as the target would be wiped by creating it.
    Bytes before = read_file(part_path(1));
    req.target = part_path(1);
    EXPECT_EQ(run_conversion(req, rec, cancel).status, RunStatus::TargetOpenFailed);
    EXPECT_EQ(read_file(part_path(1)), before);

    EXPECT_EQ(run_conversion(request(ntfs_table), rec, cancel).status, RunStatus::Finished);
}

TEST_F(ConversionRunTest, MissingPartAndForeignFileEndTheRunWithTheirMessages)
{
    write_recording(recording_ts(30), {40, 95});
    fs::remove(part_path(2));
    RunReport r = run_conversion(request(ntfs_table), rec, cancel);
    EXPECT_EQ(r.status, RunStatus::SourceOpenFailed);
    EXPECT_EQ(r.message, "Can't open the source file");
    EXPECT_NE(r.detail.find(part_path(2)), std::string::npos);
    EXPECT_FALSE(fs::exists(request(ntfs_table).target)); // a failed run puts nothing in place

    write_file(part_path(1), Bytes(4000, 0x00));
    r = run_conversion(request(other_table), rec, cancel);
    EXPECT_EQ(r.status, RunStatus::NotTransportStream);
    EXPECT_EQ(r.message, "Convert Canceled");
}

TEST_F(ConversionRunTest, RunThatWritesNothingSaysSoAndWhy)
{
    write_recording(recording_ts(6, true), {});
    RunReport r = run_conversion(request(ntfs_table), rec, cancel);
    EXPECT_EQ(r.status, RunStatus::NothingConverted);
    EXPECT_NE(r.message, "Convert finished");
    EXPECT_NE(r.detail.find("MPEG-1"), std::string::npos);
    EXPECT_EQ(r.detail.rfind(part_path(1) + ": ", 0), 0u) << r.detail; // names the recording
    EXPECT_FALSE(fs::exists(request(ntfs_table).target));

    // Video only: no audio stream to decide the output by.
    test::TsWriter w;
    for (int k = 0; k < 5; ++k)
        w.add(0x100, test::pes(0xE0, test::concat({test::sequence_header(6000000), Bytes(1000, 1)})));
    write_recording(w.ts, {});
    r = run_conversion(request(ntfs_table), rec, cancel);
    EXPECT_EQ(r.status, RunStatus::NothingConverted);
    EXPECT_NE(r.detail.find("no audio stream"), std::string::npos);
}

// The old target stays whole until a run has something to put in its place: a run that fails, or
// is killed, leaves it as it was; a stopped run puts what it wrote there.
TEST_F(ConversionRunTest, AnOldTargetIsReplacedOnlyByARunThatFinishes)
{
    write_recording(recording_ts(30), {40, 95});
    const std::string target = request(ntfs_table).target;
    const Bytes old(5000, 0x5A);
    write_file(target, old);
    auto names = [&] {
        std::vector<std::string> n;
        for (auto& e : fs::directory_iterator(dir))
            n.push_back(e.path().filename().string());
        std::sort(n.begin(), n.end());
        return n;
    };
    const auto before = names();

    Bytes part2 = read_file(part_path(2));
    fs::remove(part_path(2));
    EXPECT_EQ(run_conversion(request(ntfs_table), rec, cancel).status, RunStatus::SourceOpenFailed);
    EXPECT_EQ(read_file(target), old);
    ASSERT_EQ(::mkfifo(part_path(2).c_str(), 0644), 0); // refused, not waited on
    RunReport r = run_conversion(request(ntfs_table), rec, cancel);
    EXPECT_EQ(r.status, RunStatus::SourceOpenFailed);
    EXPECT_NE(r.detail.find("a FIFO, not a regular file"), std::string::npos) << r.detail;
    EXPECT_EQ(read_file(target), old);
    fs::remove(part_path(2));
    write_file(part_path(2), part2);

    // Killed (-9) as part 2 starts: part 1 was written, the target is still the old one.
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        Recorder killer;
        killer.on_part = [](int part) {
            if (part == 2)
                ::raise(SIGKILL);
        };
        std::atomic<bool> no{false};
        run_conversion(request(ntfs_table), killer, no);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(read_file(target), old);
    EXPECT_NE(names(), before); // what the killed run left, under a temporary name

    rec.on_part = [&](int part) {
        if (part == 2)
            cancel = true;
    };
    r = run_conversion(request(ntfs_table), rec, cancel);
    EXPECT_EQ(r.status, RunStatus::Canceled);
    EXPECT_EQ(read_file(target), old); // a stop is no finish
    EXPECT_EQ(names(), before);        // and the next run cleared away what the killed one left
}

TEST_F(ConversionRunTest, FullDiskIsAFailureNotAFinish)
{
    common::testing::TmpfsMount disk(64 * 1024);
    if (!disk.ok())
        GTEST_SKIP() << "cannot mount a tmpfs here: " << disk.error();
    write_recording(recording_ts(60), {});
    ConversionRequest req = request(ntfs_table);
    req.target = disk.path() + "/out.mpg";
    RunReport r = run_conversion(req, rec, cancel);
    EXPECT_EQ(r.status, RunStatus::WriteFailed);
    EXPECT_NE(r.message, "Convert finished");
    EXPECT_NE(r.detail.find("No space"), std::string::npos) << r.detail;
}

TEST(SourceVolume, NtfsIsToldFromTheMountHoldingTheSource)
{
    std::string table = "/dev/sda1 / ext4 rw 0 0\n"
                        "/dev/sdb1 /media/u/REC ntfs3 rw 0 0\n"
                        "/dev/sdc1 /media/u/OLD ntfs rw 0 0\n"
                        "/dev/sdd1 /media/u/FUSE fuseblk rw,user_id=0,allow_other,blksize=4096 0 0\n"
                        "ntfs-3g /media/u/FUSE2 fuseblk rw 0 0\n"
                        "/dev/sde1 /media/u/REC/inner vfat rw 0 0\n"
                        "/dev/sdf1 /media/u/My\\040Disk ntfs3 rw 0 0\n";
    EXPECT_TRUE(source_on_ntfs(table, "/media/u/REC/News_#001_200603012015.AVR"));
    EXPECT_TRUE(source_on_ntfs(table, "/media/u/OLD/a.AVR"));
    EXPECT_FALSE(source_on_ntfs(table, "/media/u/FUSE/a.AVR"));
    EXPECT_TRUE(source_on_ntfs(table, "/media/u/FUSE2/a.AVR"));
    EXPECT_FALSE(source_on_ntfs(table, "/media/u/REC/inner/a.AVR"));
    EXPECT_FALSE(source_on_ntfs(table, "/media/u/RECORDS/a.AVR"));
    EXPECT_TRUE(source_on_ntfs(table, "/media/u/My Disk/a.AVR"));
    EXPECT_FALSE(source_on_ntfs(table, "/home/u/a.AVR"));
}

TEST(DefaultTarget, ExtensionBecomesMpg)
{
    EXPECT_EQ(default_target("/m/News_#001_200603012015.AVR"), "/m/News_#001_200603012015.mpg");
    EXPECT_EQ(default_target("/m/v1.0/clip"), "/m/v1.0/clip.mpg");
}

TEST_F(ConversionRunTest, BatchTargetsGoToTheFolderAndMayNotCollide)
{
    std::vector<BatchItem> items;
    std::string error;
    ASSERT_TRUE(plan_batch({"/rec/A_01.AVR", "/other/B_01.AVR"}, "/out", items, error));
    EXPECT_EQ(items[0].target, "/out/A_01.mpg");
    EXPECT_EQ(items[1].target, "/out/B_01.mpg");
    ASSERT_TRUE(plan_batch({"/rec/A_01.AVR"}, "", items, error));
    EXPECT_EQ(items[0].target, "/rec/A_01.mpg");
    // Two recordings of one name from two folders would end in one file.
    EXPECT_FALSE(plan_batch({"/rec/A_01.AVR", "/other/A_01.AVR"}, "/out", items, error));
    EXPECT_NE(error.find("/out/A_01.mpg"), std::string::npos) << error;
}

// Stopped during the second of three: the second ends cancelled and the third is not begun.
TEST_F(ConversionRunTest, BatchStopsAtTheCurrentRecording)
{
    write_recording(recording_ts(30), {});
    fs::copy_file(part_path(1), dir / "second.AVR");
    fs::copy_file(part_path(1), dir / "third.AVR");
    std::vector<BatchItem> items;
    std::string error;
    ASSERT_TRUE(plan_batch({part_path(1), (dir / "second.AVR").string(), (dir / "third.AVR").string()},
                           (dir / "out").string(), items, error));
    fs::create_directories(dir / "out");
    struct StopAtSecond : BatchObserver
    {
        std::atomic<bool>* cancel;
        std::vector<int> started;
        void item_started(int index, int, const BatchItem&) override
        {
            started.push_back(index);
            if (index == 2)
                *cancel = true;
        }
    } observer;
    observer.cancel = &cancel;
    ConversionRequest common = request(other_table);
    BatchResult r = run_batch(items, common, observer, cancel);
    EXPECT_EQ(observer.started, (std::vector<int>{1, 2}));
    EXPECT_EQ(r.converted, 1);
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(r.not_started, 1);
    ASSERT_EQ(r.failures.size(), 1u);
    EXPECT_EQ(r.failures[0].item.source, (dir / "second.AVR").string());
    EXPECT_EQ(r.failures[0].report.status, RunStatus::Canceled);
    EXPECT_TRUE(fs::exists(items[0].target));
    EXPECT_FALSE(fs::exists(items[2].target));
}

} // namespace
} // namespace dranfel
