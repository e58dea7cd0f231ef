// A conversion run over recordings written to disk: which parts it converts, its progress, and
// the message it ends with.
#include "common/testing/tmpfs_mount.h"
#include "dranfel/converter/batch_run.h"
#include "dranfel/converter/conversion_run.h"
#include "dranfel/converter/player.h"
#include "dranfel/converter/run_summary.h"
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
    std::function<void(int)> on_progress;
    void part_started(int part, int, int total_percent, const std::string& path) override
    {
        totals.push_back(total_percent);
        paths.push_back(path);
        if (on_part)
            on_part(part);
    }
    void current_progress(int percent) override
    {
        last_current = percent;
        if (on_progress)
            on_progress(percent);
    }
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

    ConversionRequest request(PartsRule rule = PartsRule::All)
    {
        ConversionRequest r;
        r.source = part_path(1);
        r.target = (dir / "out.mpg").string();
        r.parts = rule;
        r.diagnostics = nullptr;
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
    std::atomic<bool> cancel{false};
    Recorder rec;
};

TEST_F(ConversionRunTest, ThreePartsBecomeOneTarget)
{
    Bytes ts = recording_ts(30);
    write_recording(ts, {40, 95});
    RunReport r = run_conversion(request(), rec, cancel);
    EXPECT_EQ(r.status, RunStatus::Finished);
    EXPECT_EQ(r.message, "Convert finished");
    EXPECT_EQ(r.detail, "");
    EXPECT_EQ(rec.totals, (std::vector<int>{33, 66, 100}));
    EXPECT_EQ(rec.paths, (std::vector<std::string>{part_path(1), part_path(2), part_path(3)}));
    EXPECT_EQ(rec.last_current, 100);
    EXPECT_EQ(rec.report.message, "Convert finished");
    Bytes out = read_file(request().target);
    EXPECT_EQ(out, expected_output(ts));
    EXPECT_EQ(r.bytes_written, int64_t(out.size()));
    EXPECT_EQ(r.files, (std::vector<std::string>{request().target}));
}

// The payload is written from the part file's mapped pages: over several windows of them, with
// chunks still being built as the source moves on, the target is what the engine makes of the
// stream in memory, byte for byte.
TEST_F(ConversionRunTest, PayloadWrittenFromThePartFileIsTheSameAsCopied)
{
    Bytes ts = recording_ts(int(3 * FileSource::BUFFER_SIZE / 3400));
    ASSERT_GT(ts.size(), 2 * FileSource::BUFFER_SIZE);
    write_recording(ts, {ts.size() / 188 / 2});
    ConversionRequest req = request();
    req.payload_in_place = true; // as into /dev/null, where the output cannot be looked at
    RunReport r = run_conversion(req, rec, cancel);
    ASSERT_EQ(r.status, RunStatus::Finished) << r.detail;
    EXPECT_TRUE(read_file(request().target) == expected_output(ts));

    // One video packet among every 300 audio ones: a video chunk is built over half a megabyte
    // of input, so the window its first bytes lie in is let go before the chunk is written.
    test::TsWriter video, audio;
    video.add(0x100, test::pes(0xE0, test::concat({test::sequence_header(6000000), Bytes(30000, 0x5C)}), true,
                               90000, true));
    for (int k = 0; audio.ts.size() < 4 * FileSource::BUFFER_SIZE; ++k)
        audio.add(0x101, test::pes(0xC0, test::mp2_frame(), true, 90000 + uint64_t(k) * 2160));
    Bytes mixed;
    size_t a = 0;
    for (size_t v = 0; v < video.ts.size(); v += 188) {
        size_t take = std::min(audio.ts.size() - a, size_t(300 * 188));
        mixed.insert(mixed.end(), audio.ts.begin() + long(a), audio.ts.begin() + long(a + take));
        a += take;
        mixed.insert(mixed.end(), video.ts.begin() + long(v), video.ts.begin() + long(v + 188));
    }
    mixed.insert(mixed.end(), audio.ts.begin() + long(a), audio.ts.end());
    write_recording(mixed, {});
    r = run_conversion(req, rec, cancel);
    ASSERT_EQ(r.status, RunStatus::Finished) << r.detail;
    EXPECT_TRUE(read_file(request().target) == expected_output(mixed));
}

// The disk the recording lies on makes no difference: four parts on a tmpfs are one recording.
TEST_F(ConversionRunTest, FourPartsOnATmpfsAreAllConverted)
{
    common::testing::TmpfsMount disk(8 << 20);
    if (!disk.ok())
        GTEST_SKIP() << "cannot mount a tmpfs here: " << disk.error();
    Bytes ts = recording_ts(40);
    dir = disk.path();
    write_recording(ts, {30, 60, 90});
    RunReport r = run_conversion(request(), rec, cancel);
    EXPECT_EQ(r.status, RunStatus::Finished);
    EXPECT_EQ(r.parts_done, 4);
    EXPECT_EQ(read_file(request().target), expected_output(ts));
}

TEST_F(ConversionRunTest, WhichPartsAreConverted)
{
    Bytes ts = recording_ts(30);
    write_recording(ts, {40, 70, 95});
    auto plan = [&](const std::string& source, PartsRule rule = PartsRule::All) {
        ConversionRequest req = request(rule);
        req.source = source;
        return plan_parts(req);
    };
    const std::vector<std::string> all{part_path(1), part_path(2), part_path(3), part_path(4)};

    // Any part selected: the recording from its first part to its last.
    EXPECT_EQ(plan(part_path(3)).paths, all);
    EXPECT_EQ(plan(part_path(3)).recording_parts, 4);
    // One part on request, the others counted as left out.
    PartPlan one = plan(part_path(3), PartsRule::One);
    EXPECT_EQ(one.paths, (std::vector<std::string>{part_path(3)}));
    EXPECT_EQ(one.recording_parts, 4);
    RunReport r = run_conversion(request(PartsRule::One), rec, cancel);
    EXPECT_EQ(r.status, RunStatus::Finished);
    EXPECT_EQ(r.parts_skipped, 3);
    EXPECT_EQ(read_file(request().target), expected_output(Bytes(ts.begin(), ts.begin() + 40 * 188)));

    // An information file that cannot tell (0, 1000 or missing): the parts that are there.
    write_recording(ts, {40, 70, 95}, 0);
    EXPECT_EQ(plan(part_path(1)).paths, all);
    write_recording(ts, {40, 70, 95}, 1000);
    EXPECT_EQ(plan(part_path(2)).paths, all);
    fs::remove(RecordingName::info_file_name(dir.string() + "/", "Film", "200603012015", 0));
    EXPECT_EQ(plan(part_path(1)).paths, all);
    fs::remove(part_path(3)); // up to the first gap
    EXPECT_EQ(plan(part_path(1)).paths, (std::vector<std::string>{part_path(1), part_path(2)}));

    // A file without the part marker is a recording of its own.
    fs::copy_file(part_path(1), dir / "clip.AVR");
    EXPECT_EQ(plan((dir / "clip.AVR").string()).paths,
              (std::vector<std::string>{(dir / "clip.AVR").string()}));
}

// Over the limit of one file, the output is cut where a part begins: each piece starts with a
// pack header, and the pieces hold what one file would, nothing lost or repeated.
TEST_F(ConversionRunTest, OutputOverTheFileLimitIsSplitAtPartBoundaries)
{
    Bytes ts = recording_ts(30);
    write_recording(ts, {200, 400, 470});
    ConversionRequest req = request();
    req.file_limit = int64_t(fs::file_size(part_path(1)) + fs::file_size(part_path(2)));
    RunReport r = run_conversion(req, rec, cancel);
    ASSERT_EQ(r.status, RunStatus::Finished) << r.detail;
    const std::string first = (dir / "out-1.mpg").string(), second = (dir / "out-2.mpg").string(),
                      third = (dir / "out-3.mpg").string();
    ASSERT_EQ(r.files, (std::vector<std::string>{first, second}));
    EXPECT_FALSE(fs::exists(req.target));
    EXPECT_NE(r.detail.find("Split at part boundaries into 2 files"), std::string::npos) << r.detail;
    EXPECT_NE(r.detail.find(second), std::string::npos) << r.detail;
    EXPECT_EQ(r.parts_done, 4);
    Bytes a = read_file(first), b = read_file(second);
    ASSERT_GT(b.size(), 32u);
    EXPECT_LE(int64_t(a.size()), req.file_limit);
    EXPECT_EQ(Bytes(b.begin(), b.begin() + 4), (Bytes{0, 0, 1, 0xBA}));
    Bytes joined = a;
    joined.insert(joined.end(), b.begin() + 32, b.end());
    EXPECT_EQ(joined, expected_output(ts));
    EXPECT_EQ(r.bytes_written, int64_t(a.size() + b.size()));

    // A part that alone is over the limit goes into a piece of its own all the same.
    req.file_limit = 1;
    r = run_conversion(req, rec, cancel);
    EXPECT_EQ(r.files.size(), 4u);
    EXPECT_TRUE(fs::exists(third));
}

// A FAT disk: the limit comes from the file system the target's folder lies on. The image is
// loop-mounted; the limit is lowered so that a few hundred kilobytes go over it.
TEST_F(ConversionRunTest, AFatTargetSplitsWhereOtherDisksDoNot)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounting a FAT image needs root";
    fs::path image = dir / "fat.img", mnt = dir / "fat";
    fs::create_directories(mnt);
    std::string cmd = "truncate -s 8M '" + image.string() + "' && mkfs.vfat '" + image.string() +
                      "' >/dev/null 2>&1 && mount -o loop '" + image.string() + "' '" + mnt.string() +
                      "' 2>/dev/null";
    if (std::system(cmd.c_str()) != 0)
        GTEST_SKIP() << "cannot loop-mount a FAT image here (mkfs.vfat, loop devices and the vfat module "
                        "are needed)";
    struct Unmount
    {
        fs::path mnt;
        ~Unmount() { std::system(("umount '" + mnt.string() + "'").c_str()); }
    } unmount{mnt};
    Bytes ts = recording_ts(30);
    write_recording(ts, {40, 70, 95});
    ConversionRequest req = request();
    req.fat_file_limit = int64_t(fs::file_size(part_path(1)) + fs::file_size(part_path(2)));
    EXPECT_EQ(target_file_limit((mnt / "out.mpg").string(), req.fat_file_limit), req.fat_file_limit);
    EXPECT_EQ(run_conversion(req, rec, cancel).files.size(), 1u); // not FAT: one file whatever its size
    req.target = (mnt / "out.mpg").string();
    RunReport r = run_conversion(req, rec, cancel);
    ASSERT_EQ(r.status, RunStatus::Finished) << r.detail;
    EXPECT_EQ(r.files,
              (std::vector<std::string>{(mnt / "out-1.mpg").string(), (mnt / "out-2.mpg").string()}));
}

TEST(TargetFileLimit, OnlyFatLimitsAndPipesNever)
{
    EXPECT_EQ(target_file_limit("/dev/null", 1000), 0);
    EXPECT_EQ(target_file_limit("-", 1000), 0);
    EXPECT_EQ(target_file_limit(fs::temp_directory_path() / "x.mpg", 1000), 0);
    EXPECT_EQ(piece_name("/m/News.mpg", 2), "/m/News-2.mpg");
    EXPECT_EQ(piece_name("out", 1), "out-1");
}

TEST_F(ConversionRunTest, StopDuringPartTwoKeepsWhatWasWritten)
{
    write_recording(recording_ts(30), {40, 95});
    rec.on_part = [&](int part) {
        if (part == 2)
            cancel = true;
    };
    RunReport r = run_conversion(request(), rec, cancel);
    EXPECT_EQ(r.status, RunStatus::Canceled);
    EXPECT_EQ(r.message, "Convert Canceled");
    EXPECT_EQ(r.parts_done, 1);
    EXPECT_GT(r.bytes_written, 0);
    EXPECT_EQ(int64_t(fs::file_size(request().target)), r.bytes_written);

    // Over a file that was there, a stop keeps that file and says so.
    write_file(request().target, Bytes(10, 0x11));
    cancel = false;
    r = run_conversion(request(), rec, cancel);
    EXPECT_EQ(r.status, RunStatus::Canceled);
    EXPECT_EQ(read_file(request().target), Bytes(10, 0x11));
    EXPECT_NE(r.detail.find("was kept as it was"), std::string::npos) << r.detail;
}

TEST_F(ConversionRunTest, TargetProblemsAreReportedAndTheNextRunWorks)
{
    write_recording(recording_ts(5), {});
    ConversionRequest req = request();
    req.target = (dir / "missing" / "out.mpg").string();
    RunReport r = run_conversion(req, rec, cancel);
    EXPECT_EQ(r.status, RunStatus::TargetOpenFailed);
    EXPECT_EQ(r.message, "Can't open the target file");

    // The source itself as the target would be wiped by creating it.
    Bytes before = read_file(part_path(1));
    req.target = part_path(1);
    EXPECT_EQ(run_conversion(req, rec, cancel).status, RunStatus::TargetOpenFailed);
    EXPECT_EQ(read_file(part_path(1)), before);

    EXPECT_EQ(run_conversion(request(), rec, cancel).status, RunStatus::Finished);
}

TEST_F(ConversionRunTest, MissingPartAndForeignFileEndTheRunWithTheirMessages)
{
    write_recording(recording_ts(30), {40, 95});
    fs::remove(part_path(2));
    RunReport r = run_conversion(request(), rec, cancel);
    EXPECT_EQ(r.status, RunStatus::SourceOpenFailed);
    EXPECT_EQ(r.message, "Can't open the source file");
    EXPECT_NE(r.detail.find(part_path(2)), std::string::npos);
    EXPECT_FALSE(fs::exists(request().target)); // a failed run puts nothing in place
}

// Noise, text, a stream without video or audio, and a recording with a damaged part: each says
// what it is, none of them "finished" and none a cancellation nobody asked for.
TEST_F(ConversionRunTest, EachKindOfBadInputHasItsOwnMessage)
{
    ConversionRequest req = request();
    req.source = (dir / "clip.AVR").string();
    auto convert_file = [&](const Bytes& body) {
        write_file(req.source, test::concat({Bytes(AVR_HEADER_SIZE, 0), body}));
        return run_conversion(req, rec, cancel);
    };
    Bytes noise(400000);
    uint32_t x = 12345;
    for (auto& b : noise)
        b = uint8_t((x = x * 1103515245u + 12345u) >> 16);
    std::string text;
    while (text.size() < 20000)
        text += "Good evening. Goals, Games and Gossip at 8 o'clock.\n";
    for (const Bytes& body : {noise, Bytes(text.begin(), text.end())}) {
        RunReport r = convert_file(body);
        EXPECT_EQ(r.status, RunStatus::NotTransportStream);
        EXPECT_EQ(r.message, "Not a transport stream");
        EXPECT_EQ(r.detail, req.source + " holds no MPEG transport stream");
        EXPECT_EQ(final_message(r).find("Parts converted"), std::string::npos) << final_message(r);
    }

    test::TsWriter nulls;
    for (int k = 0; k < 50; ++k)
        nulls.add_null();
    RunReport r = convert_file(nulls.ts);
    EXPECT_EQ(r.status, RunStatus::NoStreams);
    EXPECT_EQ(r.message, "No video or audio found");
    EXPECT_FALSE(fs::exists(req.target));

    // Part 2 of 3 is no transport stream: parts 1 and 3 are converted, and the report says so.
    Bytes ts = recording_ts(30);
    write_recording(ts, {40, 95});
    Bytes head = read_file(part_path(2));
    head.resize(134 + 20);
    write_file(part_path(2), test::concat({head, Bytes(text.begin(), text.end())}));
    r = run_conversion(request(), rec, cancel);
    EXPECT_EQ(r.status, RunStatus::DamagedParts);
    EXPECT_EQ(r.message, "Converted with damaged parts");
    EXPECT_EQ(r.detail, "1 of 3 parts hold no transport stream and were left out: " + part_path(2));
    EXPECT_EQ(r.parts_done, 2);
    EXPECT_EQ(r.parts_damaged, 1);
    EXPECT_GT(fs::file_size(request().target), 0u);
    std::string shown = final_message(r);
    EXPECT_NE(shown.find("Parts converted: 2 of 3, 1 left out as no transport stream"), std::string::npos)
        << shown;
}

TEST_F(ConversionRunTest, RunThatWritesNothingSaysSoAndWhy)
{
    write_recording(recording_ts(6, true), {});
    RunReport r = run_conversion(request(), rec, cancel);
    EXPECT_EQ(r.status, RunStatus::NothingConverted);
    EXPECT_NE(r.message, "Convert finished");
    EXPECT_NE(r.detail.find("MPEG-1"), std::string::npos);
    EXPECT_EQ(r.detail.rfind(part_path(1) + ": ", 0), 0u) << r.detail; // names the recording
    EXPECT_FALSE(fs::exists(request().target));

    // Video only: no audio stream to decide the output by.
    test::TsWriter w;
    for (int k = 0; k < 5; ++k)
        w.add(0x100, test::pes(0xE0, test::concat({test::sequence_header(6000000), Bytes(1000, 1)})));
    write_recording(w.ts, {});
    r = run_conversion(request(), rec, cancel);
    EXPECT_EQ(r.status, RunStatus::NothingConverted);
    EXPECT_NE(r.detail.find("no audio stream"), std::string::npos);
}

// The old target stays whole until a run has something to put in its place: a run that fails, or
// is killed, leaves it as it was; a stopped run puts what it wrote there.
TEST_F(ConversionRunTest, AnOldTargetIsReplacedOnlyByARunThatFinishes)
{
    write_recording(recording_ts(30), {40, 95});
    const std::string target = request().target;
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
    EXPECT_EQ(run_conversion(request(), rec, cancel).status, RunStatus::SourceOpenFailed);
    EXPECT_EQ(read_file(target), old);
    ASSERT_EQ(::mkfifo(part_path(2).c_str(), 0644), 0); // refused, not waited on
    RunReport r = run_conversion(request(), rec, cancel);
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
        run_conversion(request(), killer, no);
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
    r = run_conversion(request(), rec, cancel);
    EXPECT_EQ(r.status, RunStatus::Canceled);
    EXPECT_EQ(read_file(target), old); // a stop is no finish
    EXPECT_EQ(names(), before);        // and the next run cleared away what the killed one left
}

// A part file cut short while it is read (another program, or a disk pulled out) is a read error
// of this run, not the end of the program.
TEST_F(ConversionRunTest, APartCutShortWhileItIsReadEndsTheRunWithAReadError)
{
    write_recording(recording_ts(600), {});
    const std::string part = part_path(1);
    rec.on_progress = [&](int percent) {
        if (percent >= 20 && fs::file_size(part) > 100000)
            fs::resize_file(part, 100000);
    };
    RunReport r = run_conversion(request(), rec, cancel);
    EXPECT_EQ(r.status, RunStatus::ReadFailed);
    EXPECT_NE(r.detail.find("cut short"), std::string::npos) << r.detail;
    EXPECT_FALSE(fs::exists(request().target));
}

TEST_F(ConversionRunTest, FullDiskIsAFailureNotAFinish)
{
    common::testing::TmpfsMount disk(64 * 1024);
    if (!disk.ok())
        GTEST_SKIP() << "cannot mount a tmpfs here: " << disk.error();
    write_recording(recording_ts(60), {});
    ConversionRequest req = request();
    req.target = disk.path() + "/out.mpg";
    RunReport r = run_conversion(req, rec, cancel);
    EXPECT_EQ(r.status, RunStatus::WriteFailed);
    EXPECT_NE(r.message, "Convert finished");
    EXPECT_NE(r.detail.find("No space"), std::string::npos) << r.detail;
}

// A stand-in player on PATH records what it was given: the whole recording on its standard
// input, as a conversion to a file gives it, and "-" for the file to play.
TEST_F(ConversionRunTest, PlayStreamsTheWholeRecordingIntoThePlayer)
{
    Bytes ts = recording_ts(30);
    write_recording(ts, {40, 95});
    const fs::path bin = dir / "bin", apps = dir / "share" / "applications";
    fs::create_directories(bin);
    fs::create_directories(apps);
    auto script = [&](const std::string& name, const std::string& body) {
        std::ofstream(bin / name) << "#!/bin/sh\n" << body;
        fs::permissions(bin / name, fs::perms::owner_all);
    };
    const std::string recorder = "echo \"$@\" > '" + (dir / "args").string() + "'\nexec /bin/cat > '" +
                                 (dir / "played").string() + "'\n";
    script("mpv", recorder);
    PlayerSearch search{bin.string(), {(dir / "share").string()}};
    PlayerChoice choice;
    std::string message;
    ASSERT_TRUE(find_player(search, choice, message)) << message;
    EXPECT_EQ(choice.argv, (std::vector<std::string>{(bin / "mpv").string(), "-"}));
    pid_t player = -1;
    RunReport r = play_recording(part_path(2), choice, rec, cancel, player);
    ASSERT_EQ(r.status, RunStatus::Finished) << r.detail;
    int status = 0;
    ASSERT_EQ(::waitpid(player, &status, 0), player);
    EXPECT_EQ(read_file((dir / "played").string()), expected_output(ts));
    EXPECT_EQ(read_file((dir / "args").string()), (Bytes{'-', '\n'}));

    // The desktop's default for video/mpeg comes first when its command takes a file.
    script("xdg-mime", "echo myplayer.desktop\n");
    script("myplayer", recorder);
    std::ofstream(apps / "myplayer.desktop") << "[Desktop Entry]\nName=My Player\nExec=myplayer --fs %U\n";
    ASSERT_TRUE(find_player(search, choice, message)) << message;
    EXPECT_EQ(choice.argv, (std::vector<std::string>{(bin / "myplayer").string(), "--fs", "-"}));
    std::ofstream(apps / "myplayer.desktop") << "[Desktop Entry]\nExec=myplayer --fs\n"; // no file: no stream
    ASSERT_TRUE(find_player(search, choice, message)) << message;
    EXPECT_EQ(choice.argv[0], (bin / "mpv").string());

    // A player closed at once ends the run, not this process, and is no failure.
    script("mpv", "exit 0\n");
    r = play_recording(part_path(1), choice, rec, cancel, player);
    ::waitpid(player, &status, 0);
    EXPECT_TRUE(r.status == RunStatus::Canceled || r.status == RunStatus::Finished) << r.detail;

    // None at all: the message names the players that work.
    search.path = (dir / "share").string();
    EXPECT_FALSE(find_player(search, choice, message));
    EXPECT_NE(message.find("mpv or vlc"), std::string::npos) << message;
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
    ConversionRequest common = request();
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
