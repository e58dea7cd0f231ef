// Real transport streams made by ffmpeg, converted and checked with ffmpeg and ffprobe: the
// output must be a clean MPEG-2 program stream holding the input's video byte for byte and its
// audio from the first frame written on.
#include "dranfel/converter/conversion_run.h"
#include "dranfel/converter/run_summary.h"
#include "dranfel/converter/tests/ts_builder.h"
#include "dranfel/storage/recording_name.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace dranfel {
namespace {

namespace fs = std::filesystem;
using test::Bytes;

const fs::path WORK = fs::path(KD_BINARY_DIR) / "converter-ffmpeg-test";

// Runs a shell command; its standard output, and its exit status in `status`.
std::string run(const std::string& cmd, int* status = nullptr)
{
    std::string out;
    std::FILE* p = ::popen(cmd.c_str(), "r");
    if (!p) {
        if (status)
            *status = -1;
        return out;
    }
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    int rc = ::pclose(p);
    if (status)
        *status = rc;
    return out;
}

std::string quote(const fs::path& p)
{
    return "'" + p.string() + "'";
}

bool have_ffmpeg()
{
    int a = 0, b = 0;
    run("ffmpeg -version >/dev/null 2>&1", &a);
    run("ffprobe -version >/dev/null 2>&1", &b);
    return a == 0 && b == 0;
}

Bytes read_file(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void write_file(const fs::path& path, const Bytes& b)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

class FfmpegStreams : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (!have_ffmpeg())
            return;
        fs::create_directories(WORK);
        const std::string video = "-f lavfi -i testsrc=size=320x240:rate=25 ";
        const std::string audio = "-f lavfi -i sine=frequency=440:sample_rate=48000 ";
        const std::string tail = " -t 3 -f mpegts ";
        m_made = true;
        for (auto [name, args] :
             {std::pair<const char*, std::string>{
                  "mp2.ts", video + audio + "-c:v mpeg2video -b:v 1500k -c:a mp2 -b:a 192k"},
              {"ac3.ts", video + audio + "-c:v mpeg2video -b:v 1500k -c:a ac3 -b:a 192k"},
              {"radio.ts", audio + "-c:a mp2 -b:a 128k"}}) {
            // Test processes run in parallel: each stream is made once, under a name of its own
            // first, so no process reads a half-written one.
            if (fs::exists(WORK / name))
                continue;
            fs::path tmp = WORK / (std::string(name) + "." + std::to_string(::getpid()) + ".ts");
            int rc = 0;
            run("ffmpeg -v error -y " + args + tail + quote(tmp) + " 2>&1", &rc);
            m_made = m_made && rc == 0;
            if (rc == 0)
                fs::rename(tmp, WORK / name);
        }
    }

    void SetUp() override
    {
        if (!have_ffmpeg())
            GTEST_SKIP() << "ffmpeg and ffprobe are needed to make and check real streams";
        ASSERT_TRUE(m_made) << "ffmpeg could not make the test streams";
        dir = WORK / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir);
        fs::create_directories(dir);
    }

    fs::path part(int k) const
    {
        return RecordingName::part_file_name(dir.string() + "/", "Clip", k, "200603012015", 0);
    }

    // Wraps a transport stream as a recording of `parts` part files cut between packets.
    void make_recording(const fs::path& ts_path, int parts)
    {
        Bytes ts = read_file(ts_path);
        size_t packets = ts.size() / 188;
        for (int k = 1; k <= parts; ++k) {
            size_t from = packets * size_t(k - 1) / size_t(parts) * 188;
            size_t to = k == parts ? ts.size() : packets * size_t(k) / size_t(parts) * 188;
            Bytes file(AVR_HEADER_SIZE, 0);
            file[9] = uint8_t(AVR_HEADER_SIZE);
            file.insert(file.end(), ts.begin() + long(from), ts.begin() + long(to));
            write_file(part(k), file);
        }
        Bytes info(AVF_FILE_SIZE, 0);
        info[AVF_PART_COUNT_OFFSET + 1] = uint8_t(parts);
        write_file(RecordingName::info_file_name(dir.string() + "/", "Clip", "200603012015", 0), info);
    }

    RunReport convert(const fs::path& target, PartsRule rule = PartsRule::All)
    {
        ConversionRequest req;
        req.source = part(1).string();
        req.target = target.string();
        req.parts = rule;
        req.diagnostics = nullptr;
        ConversionObserver quiet;
        std::atomic<bool> cancel{false};
        return run_conversion(req, quiet, cancel);
    }

    static std::string elementary(const fs::path& file, const char* map, const char* format)
    {
        return run("ffmpeg -v error -i " + quote(file) + " -map " + map + " -c copy -f " + format +
                   " - 2>/dev/null");
    }

    // Decoding errors other than the notices about non-increasing DTS, which any program stream
    // without a pack header per packet gets.
    static std::string decode_errors(const fs::path& file)
    {
        std::istringstream lines(run("ffmpeg -v error -i " + quote(file) + " -f null - 2>&1"));
        std::string line, errors;
        while (std::getline(lines, line))
            if (line.find("non monotonically increasing dts") == std::string::npos &&
                line.find("non monotonous DTS") == std::string::npos)
                errors += line + "\n";
        return errors;
    }

    void check_av(const fs::path& ts, const fs::path& out, const char* audio_format, const char* audio_codec)
    {
        std::string probe =
            run("ffprobe -v error -show_entries format=format_name:stream=codec_name -of default=nw=1 " +
                quote(out));
        EXPECT_NE(probe.find("format_name=mpeg\n"), std::string::npos) << probe;
        EXPECT_NE(probe.find("codec_name=mpeg2video"), std::string::npos) << probe;
        EXPECT_NE(probe.find(std::string("codec_name=") + audio_codec), std::string::npos) << probe;
        EXPECT_EQ(decode_errors(out), "");

        Bytes o = read_file(out);
        ASSERT_GT(o.size(), 32u);
        EXPECT_EQ(Bytes(o.begin(), o.begin() + 4), (Bytes{0, 0, 1, 0xBA}));

        std::string vin = elementary(ts, "0:v", "mpeg2video");
        ASSERT_FALSE(vin.empty());
        EXPECT_TRUE(vin == elementary(out, "0:v", "mpeg2video")) << "video differs";

        std::string ain = elementary(ts, "0:a", audio_format);
        std::string aout = elementary(out, "0:a", audio_format);
        ASSERT_FALSE(aout.empty());
        ASSERT_LE(aout.size(), ain.size());
        // Audio finished before the first sequence header is left out; the rest is all there.
        EXPECT_TRUE(ain.compare(ain.size() - aout.size(), aout.size(), aout) == 0) << "audio differs";
        EXPECT_LT(ain.size() - aout.size(), ain.size() / 4);
    }

    static inline bool m_made = false;
    fs::path dir;
};

TEST_F(FfmpegStreams, Mpeg2VideoWithMp2AudioInOneAndInThreeParts)
{
    make_recording(WORK / "mp2.ts", 1);
    ASSERT_EQ(convert(dir / "one.mpg").status, RunStatus::Finished);
    check_av(WORK / "mp2.ts", dir / "one.mpg", "mp2", "mp2");
    Bytes one = read_file(dir / "one.mpg");

    fs::remove_all(dir);
    fs::create_directories(dir);
    make_recording(WORK / "mp2.ts", 3);
    RunReport r = convert(dir / "three.mpg");
    ASSERT_EQ(r.status, RunStatus::Finished);
    EXPECT_EQ(r.parts, 3);
    EXPECT_TRUE(read_file(dir / "three.mpg") == one) << "three parts differ from the uncut stream";
    check_av(WORK / "mp2.ts", dir / "three.mpg", "mp2", "mp2");
}

TEST_F(FfmpegStreams, Ac3AudioOnlyStreamWithVideo)
{
    make_recording(WORK / "ac3.ts", 1);
    ASSERT_EQ(convert(dir / "out.mpg").status, RunStatus::Finished);
    check_av(WORK / "ac3.ts", dir / "out.mpg", "ac3", "ac3");
}

TEST_F(FfmpegStreams, RadioGivesBareAudioPackets)
{
    make_recording(WORK / "radio.ts", 1);
    ASSERT_EQ(convert(dir / "out.mpg").status, RunStatus::Finished);
    Bytes o = read_file(dir / "out.mpg");
    ASSERT_GT(o.size(), 4u);
    EXPECT_EQ(Bytes(o.begin(), o.begin() + 4), (Bytes{0, 0, 1, 0xC0}));
    std::string ain = elementary(WORK / "radio.ts", "0:a", "mp2");
    ASSERT_FALSE(ain.empty());
    EXPECT_TRUE(ain == elementary(dir / "out.mpg", "0:a", "mp2")) << "audio differs";
}

// The command line: three parts with --parts all give what the uncut stream gives.
TEST_F(FfmpegStreams, CommandLineJoinsThePartsLikeTheUncutStream)
{
    fs::path cli = fs::path(KD_BINARY_DIR) / "dranfel/cli/dranfel-cli";
    if (!fs::exists(cli))
        GTEST_SKIP() << "dranfel-cli is not built";
    make_recording(WORK / "mp2.ts", 1);
    fs::rename(part(1), dir / "whole.AVR");
    fs::remove(RecordingName::info_file_name(dir.string() + "/", "Clip", "200603012015", 0));
    make_recording(WORK / "mp2.ts", 3);
    int rc = 0;
    std::string out =
        run(quote(cli) + " ts2pes " + quote(part(1)) + " " + quote(dir / "parts.mpg") + " --parts all", &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(out, "Convert finished\n");
    run(quote(cli) + " ts2pes " + quote(dir / "whole.AVR") + " --parts one", &rc);
    EXPECT_EQ(rc, 0);
    Bytes parts = read_file(dir / "parts.mpg");
    EXPECT_FALSE(parts.empty());
    EXPECT_TRUE(parts == read_file(dir / "whole.mpg"));

    // A file that is no recording: exit status 1 and the reason.
    write_file(dir / "junk.AVR", Bytes(1000, 0));
    out = run(quote(cli) + " ts2pes " + quote(dir / "junk.AVR") + " 2>&1", &rc);
    EXPECT_EQ(WEXITSTATUS(rc), 1);
    EXPECT_NE(out.find("Not a transport stream: " + (dir / "junk.AVR").string() +
                       " holds no MPEG transport stream"),
              std::string::npos)
        << out;
}

double duration_of(const fs::path& file)
{
    std::string d =
        run("ffprobe -v error -show_entries format=duration -of default=nw=1:nk=1 " + quote(file));
    return d.empty() ? 0.0 : std::stod(d);
}

// Four parts on an ordinary disk, converted by default: the target plays as long as the four
// parts together, not as one of them.
TEST_F(FfmpegStreams, CommandLineConvertsEveryPartOnAnyDisk)
{
    fs::path cli = fs::path(KD_BINARY_DIR) / "dranfel/cli/dranfel-cli";
    if (!fs::exists(cli))
        GTEST_SKIP() << "dranfel-cli is not built";
    make_recording(WORK / "mp2.ts", 4);
    double parts = 0;
    for (int k = 1; k <= 4; ++k) {
        Bytes file = read_file(part(k));
        fs::path slice = dir / ("slice" + std::to_string(k) + ".ts");
        write_file(slice, Bytes(file.begin() + long(AVR_HEADER_SIZE), file.end()));
        parts += duration_of(slice);
    }
    int rc = 0;
    std::string out = run(quote(cli) + " ts2pes " + quote(part(3)) + " " + quote(dir / "all.mpg"), &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(out, "Convert finished\n");
    // Each slice starts and ends on a frame of its own: a frame or two either way per cut.
    EXPECT_NEAR(duration_of(dir / "all.mpg"), parts, 0.25);
    EXPECT_GT(duration_of(dir / "all.mpg"), 2.5);
}

// The program stream on standard output, decoded by ffmpeg from the pipe; the words go to
// standard error. A device as the target is written into.
TEST_F(FfmpegStreams, CommandLineWritesToAPipeAndToADevice)
{
    fs::path cli = fs::path(KD_BINARY_DIR) / "dranfel/cli/dranfel-cli";
    if (!fs::exists(cli))
        GTEST_SKIP() << "dranfel-cli is not built";
    make_recording(WORK / "mp2.ts", 2);
    int rc = 0;
    std::string errors =
        run("(" + quote(cli) + " ts2pes " + quote(part(1)) + " - 2> " + quote(dir / "cli.err") +
                "; echo $? > " + quote(dir / "cli.rc") + ") | ffmpeg -v error -i - -f null - 2>&1",
            &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(read_file(dir / "cli.rc"), (Bytes{'0', '\n'}));
    std::istringstream lines(errors);
    std::string line, real;
    while (std::getline(lines, line))
        if (line.find("non monoton") == std::string::npos)
            real += line + "\n";
    EXPECT_EQ(real, "");
    std::ifstream err(dir / "cli.err");
    std::string said((std::istreambuf_iterator<char>(err)), {});
    EXPECT_NE(said.find("Convert finished"), std::string::npos) << said;

    std::string out = run(quote(cli) + " ts2pes " + quote(part(1)) + " /dev/null", &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(out, "Convert finished\n");
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    // Any name is a target, whatever its extension.
    out = run(quote(cli) + " ts2pes " + quote(part(1)) + " " + quote(dir / "film.ps"), &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_GT(fs::file_size(dir / "film.ps"), 0u);
}

// Ctrl-C: exit status 130, and the old target stays as it was. The signal is sent by strace as the
// conversion first maps or reads part 2, so it is sure to arrive mid-run.
TEST_F(FfmpegStreams, CommandLineInterruptKeepsTheTarget)
{
    fs::path cli = fs::path(KD_BINARY_DIR) / "dranfel/cli/dranfel-cli";
    if (!fs::exists(cli))
        GTEST_SKIP() << "dranfel-cli is not built";
    if (run("command -v strace").empty())
        GTEST_SKIP() << "strace is not installed";
    make_recording(WORK / "mp2.ts", 3);
    write_file(dir / "live.mpg", Bytes(100, 0x11));
    // The leak checker of a sanitizer build cannot work under a tracer; it is turned off there.
    std::string status =
        run("ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 "
            "strace -f -qq -o /dev/null -P " +
            quote(part(2)) + " -e trace=mmap,read,pread64 -e inject=mmap,read,pread64:signal=INT:when=1 " +
            quote(cli) + " ts2pes " + quote(part(1)) + " " + quote(dir / "live.mpg") + " --parts all > " +
            quote(dir / "cli.out") + "; echo $?");
    EXPECT_EQ(status, "130\n");
    std::ifstream out(dir / "cli.out");
    std::string line;
    std::getline(out, line);
    EXPECT_EQ(line.rfind("Convert Canceled: ", 0), 0u) << line;
    EXPECT_EQ(read_file(dir / "live.mpg"), Bytes(100, 0x11));
    size_t names = 0;
    for (auto& e : fs::directory_iterator(dir))
        names += e.path().filename().string().rfind(".kdtmp-", 0) == 0;
    EXPECT_EQ(names, 0u);
}

// The run's report against what ffmpeg put into the streams: frame size, frame rate and audio kind.
TEST_F(FfmpegStreams, ReportDescribesTheStreamsFfmpegMade)
{
    make_recording(WORK / "mp2.ts", 3);
    RunReport r = convert(dir / "mp2.mpg");
    ASSERT_EQ(r.status, RunStatus::Finished);
    const RunFindings& f = r.findings;
    EXPECT_EQ(r.parts_done, 3);
    EXPECT_EQ(f.bytes_read, int64_t(fs::file_size(WORK / "mp2.ts")));
    EXPECT_EQ(f.packets, f.bytes_read / 188);
    ASSERT_TRUE(f.has_video);
    EXPECT_EQ(f.video.horizontal_size, 320);
    EXPECT_EQ(f.video.vertical_size, 240);
    EXPECT_DOUBLE_EQ(f.video.frame_rate, 25.0);
    ASSERT_TRUE(f.has_mpeg_audio);
    EXPECT_EQ(f.mpeg_audio.layer, 2);
    EXPECT_EQ(f.mpeg_audio.bit_rate, 192000);
    EXPECT_EQ(f.mpeg_audio.sample_rate, 48000);
    EXPECT_FALSE(f.has_ac3);
    EXPECT_EQ(f.damaged_packets, 0);
    EXPECT_EQ(f.continuity_breaks, 0);
    EXPECT_EQ(f.other_audio_count, 0);
    std::string text = final_message(r);
    EXPECT_EQ(text.rfind("Convert finished\n\nParts converted: 3 of 3\n", 0), 0u) << text;
    EXPECT_NE(text.find("320x240"), std::string::npos) << text;
    EXPECT_NE(text.find("25 fps"), std::string::npos) << text;
    EXPECT_NE(text.find("MPEG audio Layer II, 192 kb/s, 48.0 kHz"), std::string::npos) << text;
    EXPECT_NE(text.find("No damaged or missing transport packets"), std::string::npos) << text;

    fs::remove_all(dir);
    fs::create_directories(dir);
    make_recording(WORK / "ac3.ts", 1);
    r = convert(dir / "ac3.mpg");
    ASSERT_EQ(r.status, RunStatus::Finished);
    ASSERT_TRUE(r.findings.has_ac3);
    EXPECT_EQ(r.findings.ac3.bit_rate, 192000);
    EXPECT_EQ(r.findings.ac3.sample_rate, 48000);
    EXPECT_NE(final_message(r).find("AC-3, 192 kb/s, 48.0 kHz"), std::string::npos) << final_message(r);
}

// Packets marked damaged by the demodulator, packets that went missing, and a second audio stream:
// all counted, the damaged ones skipped.
TEST_F(FfmpegStreams, ReportCountsDamagedAndMissingPacketsAndAudioLeftOut)
{
    fs::path two = WORK / "two-audio.ts";
    if (!fs::exists(two)) {
        fs::path tmp = WORK / ("two-audio." + std::to_string(::getpid()) + ".ts");
        int rc = 0;
        run("ffmpeg -v error -y -f lavfi -i testsrc=size=320x240:rate=25 -f lavfi -i "
            "sine=frequency=440:sample_rate=48000 "
            "-f lavfi -i sine=frequency=660:sample_rate=48000 -map 0 -map 1 -map 2 -c:v mpeg2video -b:v "
            "1500k "
            "-c:a:0 mp2 -b:a:0 192k -c:a:1 ac3 -b:a:1 192k -t 3 -f mpegts " +
                quote(tmp) + " 2>&1",
            &rc);
        ASSERT_EQ(rc, 0);
        fs::rename(tmp, two);
    }
    Bytes ts = read_file(two);
    ConversionRequest probe;
    RunReport clean;
    {
        write_file(dir / "clean.AVR", test::concat({Bytes(AVR_HEADER_SIZE, 0), ts}));
        Bytes hdr = read_file(dir / "clean.AVR");
        hdr[9] = uint8_t(AVR_HEADER_SIZE);
        write_file(dir / "clean.AVR", hdr);
        ConversionRequest req;
        req.source = (dir / "clean.AVR").string();
        req.target = (dir / "clean.mpg").string();
        req.parts = PartsRule::One;
        req.diagnostics = nullptr;
        ConversionObserver quiet;
        std::atomic<bool> cancel{false};
        clean = run_conversion(req, quiet, cancel);
    }
    ASSERT_EQ(clean.status, RunStatus::Finished);
    ASSERT_EQ(clean.findings.other_audio_count, 1);
    EXPECT_EQ(clean.findings.other_audio[0].stream_id, 0xBD);
    EXPECT_NE(final_message(clean).find("Audio left out: PID"), std::string::npos) << final_message(clean);
    EXPECT_EQ(clean.findings.damaged_packets, 0);
    EXPECT_EQ(clean.findings.continuity_breaks, 0);
    int vpid = clean.findings.video_pid;
    int apid = clean.findings.audio_pid;

    // Seven audio packets marked damaged, and every 50th video packet with payload taken out,
    // far enough apart that each is a gap of its own.
    Bytes bad;
    int marked = 0, removed = 0, video_seen = 0, audio_seen = 0;
    for (size_t i = 0; i + 188 <= ts.size(); i += 188) {
        Bytes pkt(ts.begin() + long(i), ts.begin() + long(i + 188));
        int pid = ((pkt[1] & 0x1F) << 8) | pkt[2];
        if (pid == apid && marked < 7 && ++audio_seen % 20 == 0 && (pkt[1] & 0x40) == 0) {
            pkt[1] |= 0x80;
            ++marked;
        }
        if (pid == vpid && (pkt[3] & 0x10) && ++video_seen % 50 == 0 && (pkt[1] & 0x40) == 0) {
            ++removed;
            continue;
        }
        bad.insert(bad.end(), pkt.begin(), pkt.end());
    }
    ASSERT_EQ(marked, 7);
    ASSERT_GT(removed, 3);
    Bytes file = test::concat({Bytes(AVR_HEADER_SIZE, 0), bad});
    file[9] = uint8_t(AVR_HEADER_SIZE);
    write_file(dir / "bad.AVR", file);
    ConversionRequest req;
    req.source = (dir / "bad.AVR").string();
    req.target = (dir / "bad.mpg").string();
    req.parts = PartsRule::One;
    req.diagnostics = nullptr;
    ConversionObserver quiet;
    std::atomic<bool> cancel{false};
    RunReport r = run_conversion(req, quiet, cancel);
    ASSERT_EQ(r.status, RunStatus::Finished);
    EXPECT_EQ(r.findings.damaged_packets, 7);
    // A damaged packet's counter is not trusted, so the packet after it shows a gap as well.
    EXPECT_EQ(r.findings.continuity_breaks, removed + 7);
    std::string text = final_message(r);
    EXPECT_NE(text.find("Skipped as damaged: 7 transport packets"), std::string::npos) << text;
    EXPECT_NE(text.find("Discontinuous: " + std::to_string(removed + 7) + " gaps"), std::string::npos)
        << text;
}

// Several recordings into one folder: each converted with its summary, a failure named at the end
// and in the exit status.
TEST_F(FfmpegStreams, CommandLineConvertsSeveralIntoAFolder)
{
    fs::path cli = fs::path(KD_BINARY_DIR) / "dranfel/cli/dranfel-cli";
    if (!fs::exists(cli))
        GTEST_SKIP() << "dranfel-cli is not built";
    make_recording(WORK / "mp2.ts", 1);
    fs::rename(part(1), dir / "first.AVR");
    make_recording(WORK / "radio.ts", 1);
    fs::rename(part(1), dir / "radio.AVR");
    write_file(dir / "junk.AVR", Bytes(1000, 0));
    fs::create_directories(dir / "out");
    int rc = 0;
    std::string out =
        run(quote(cli) + " ts2pes " + quote(dir / "first.AVR") + " " + quote(dir / "junk.AVR") + " " +
                quote(dir / "radio.AVR") + " -o " + quote(dir / "out") + " 2> " + quote(dir / "err"),
            &rc);
    EXPECT_EQ(WEXITSTATUS(rc), 1);
    EXPECT_EQ(out, (dir / "first.AVR").string() + ": Convert finished\n" + (dir / "junk.AVR").string() +
                       ": Not a transport stream: " + (dir / "junk.AVR").string() +
                       " holds no MPEG transport stream\n" + (dir / "radio.AVR").string() +
                       ": Convert finished\n");
    std::ifstream in(dir / "err");
    std::string err((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(
        err.find("[1/3] " + (dir / "first.AVR").string() + " -> " + (dir / "out" / "first.mpg").string()),
        std::string::npos)
        << err;
    EXPECT_NE(err.find("  Video (PID 256): 320x240"), std::string::npos) << err;
    EXPECT_NE(err.find("  Video: none"), std::string::npos) << err;
    EXPECT_NE(err.find("1 of 3 recordings were not converted:\n  " + (dir / "junk.AVR").string() +
                       ": Not a transport stream"),
              std::string::npos)
        << err;
    EXPECT_GT(fs::file_size(dir / "out" / "first.mpg"), 0u);
    EXPECT_GT(fs::file_size(dir / "out" / "radio.mpg"), 0u);
}

} // namespace
} // namespace dranfel
