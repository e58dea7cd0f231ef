#include "dranfel/converter/conversion_run.h"

#include "common/strfmt.h"
#include "dranfel/converter/file_sink.h"
#include "dranfel/storage/file_list.h"
#include "dranfel/storage/recording_name.h"

#include <filesystem>
#include <linux/magic.h>
#include <memory>
#include <sys/stat.h>
#include <sys/statfs.h>

namespace dranfel {

namespace {

constexpr int MAX_PARTS = 1000;

const char* const MSG_FINISHED = "Convert finished";
const char* const MSG_CANCELED = "Convert Canceled";
const char* const MSG_NO_TARGET = "Can't open the target file";
const char* const MSG_NO_SOURCE = "Can't open the source file";
const char* const MSG_FAILED = "Convert failed";
const char* const MSG_NOTHING = "Nothing could be converted";
const char* const MSG_NOT_TS = "Not a transport stream";
const char* const MSG_NO_STREAMS = "No video or audio found";
const char* const MSG_DAMAGED = "Converted with damaged parts";

bool same_file(const std::string& a, const std::string& b)
{
    struct stat sa
    {
    }, sb{};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

std::string nothing_reason(const TsConverter& conv)
{
    const ConversionState& st = conv.state();
    if (st.mode == 0)
        return "no audio stream was found in the recording";
    if (st.mpeg1_chunks > 0)
        return "the recording carries MPEG-1 PES packets, which are not converted";
    if (st.mode == 1 && st.video_bitrate == 0)
        return "no video sequence header with a bit rate was found";
    return "no PES packet of the chosen streams was found";
}

std::string joined(const std::vector<std::string>& names)
{
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

int64_t file_size_or_zero(const std::string& path)
{
    struct stat st
    {
    };
    return ::stat(path.c_str(), &st) == 0 ? int64_t(st.st_size) : 0;
}

// Consecutive parts that go into one output file. A part's file size bounds what it gives: the
// program stream drops 4 bytes of every 188 and adds at most 13 in 2048, and the 32-byte pack
// header fits in the part's own header.
std::vector<std::vector<int>> group_parts(const std::vector<std::string>& paths, int64_t limit)
{
    std::vector<std::vector<int>> groups(1);
    int64_t in_group = 0;
    for (int k = 0; k < int(paths.size()); ++k) {
        int64_t size = limit > 0 ? file_size_or_zero(paths[size_t(k)]) : 0;
        if (!groups.back().empty() && in_group + size > limit && limit > 0) {
            groups.emplace_back();
            in_group = 0;
        }
        groups.back().push_back(k);
        in_group += size;
    }
    return groups;
}

struct Progress
{
    ConversionObserver* observer;
    const std::atomic<bool>* cancel;
    FileSource* source;
    FileSink* sink;
    int64_t size;
    int last_percent;
};

} // namespace

std::string default_target(const std::string& source)
{
    std::filesystem::path p(source);
    p.replace_extension(".mpg");
    return p.string();
}

std::string piece_name(const std::string& target, int k)
{
    std::filesystem::path p(target);
    std::filesystem::path name = p.stem();
    name += "-" + std::to_string(k);
    name += p.extension();
    return (p.parent_path() / name).string();
}

int64_t target_file_limit(const std::string& target, int64_t fat_file_limit)
{
    struct stat st
    {
    };
    if (::stat(target.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        return 0; // a pipe or a device takes whatever comes
    if (target == "-")
        return 0;
    std::filesystem::path folder = std::filesystem::path(target).parent_path();
    if (folder.empty())
        folder = ".";
    struct statfs fs
    {
    };
    if (::statfs(folder.c_str(), &fs) != 0)
        return 0; // the target's creation will say what is wrong with the folder
    return fs.f_type == MSDOS_SUPER_MAGIC ? fat_file_limit : 0;
}

PartPlan plan_parts(const ConversionRequest& request)
{
    PartPlan plan;
    ParsedRecordingName name;
    if (!RecordingName::parse(request.source, name) || name.part <= 0 ||
        !has_extension(request.source, ".avr")) {
        plan.paths.push_back(request.source);
        return plan;
    }
    auto part_path = [&](int k) {
        std::string path = RecordingName::part_file_name(name.prefix, name.title, k, name.date, name.suffix);
        // The parts are written in the case the selected one is: a copy on a disk that keeps
        // case finds its siblings only so.
        std::filesystem::path p(path);
        p.replace_extension(std::filesystem::path(request.source).extension());
        return p.string();
    };
    std::vector<std::string> all;
    int n = RecordingName::part_count_of(part_path(1));
    if (n > 0 && n < MAX_PARTS) {
        for (int k = 1; k <= n; ++k)
            all.push_back(part_path(k));
    } else {
        // No count to go by: the parts that are there, from 1 up to the first gap.
        for (int k = 1; k < MAX_PARTS && std::filesystem::exists(part_path(k)); ++k)
            all.push_back(part_path(k));
    }
    bool selected_is_part = false;
    for (const std::string& p : all)
        selected_is_part = selected_is_part || p == request.source || same_file(p, request.source);
    if (!selected_is_part) {
        plan.paths.push_back(request.source);
        return plan;
    }
    plan.recording_parts = int(all.size());
    if (request.parts == PartsRule::One)
        plan.paths.push_back(request.source);
    else
        plan.paths = std::move(all);
    return plan;
}

RunReport run_conversion(const ConversionRequest& request,
                         ConversionObserver& observer,
                         const std::atomic<bool>& cancel)
{
    RunReport report;
    const TsConverter* engine = nullptr;
    auto finish = [&](RunStatus status, const char* message, std::string detail) {
        if (engine)
            report.findings = engine->findings();
        report.status = status;
        report.message = message;
        report.detail = std::move(detail);
        observer.finished(report);
        return report;
    };

    PartPlan plan = plan_parts(request);
    const std::vector<std::string>& parts = plan.paths;
    report.parts = int(parts.size());
    report.recording_parts = plan.recording_parts;
    report.parts_skipped = plan.recording_parts - report.parts;

    int64_t limit = request.file_limit > 0 ? request.file_limit
                                           : target_file_limit(request.target, request.fat_file_limit);
    std::vector<std::vector<int>> groups = group_parts(parts, limit);
    std::vector<std::string> names;
    for (size_t g = 0; g < groups.size(); ++g)
        names.push_back(groups.size() == 1 ? request.target : piece_name(request.target, int(g) + 1));

    // The target replaces what is at its name when the run ends: never one of its own sources.
    for (const auto& part : parts)
        for (const auto& name : names)
            if (same_file(part, name))
                return finish(RunStatus::TargetOpenFailed, MSG_NO_TARGET,
                              common::strfmt("%s is the source itself", name.c_str()));

    // Each piece is written under a temporary name: an old target stays whole until this run has
    // something to put in its place.
    FileSink sink;
    size_t opened = 1;
    if (!sink.create(names[0]))
        return finish(RunStatus::TargetOpenFailed, MSG_NO_TARGET,
                      common::strfmt("%s: %s", names[0].c_str(), sink.error().c_str()));

    EngineOptions options = request.engine;
    options.diagnostics = request.diagnostics;
    options.memory = &sink;
    TsConverter conv(&FileSink::output, &sink, options);
    engine = &conv;
    FileSource source;
    if (request.payload_in_place.value_or(sink.wants_input_in_place()))
        source.set_keeper(&sink); // the payload is written from the part file's pages
    Progress progress{&observer, &cancel, &source, &sink, 0, -1};
    conv.on_block = [&progress]() {
        if (progress.cancel->load(std::memory_order_relaxed) || progress.sink->failed())
            return false;
        if (progress.size > 0) {
            int percent = int(progress.source->position() * 100 / progress.size);
            if (percent != progress.last_percent) {
                progress.last_percent = percent;
                progress.observer->current_progress(percent);
            }
        }
        return true;
    };

    // A finished or stopped run puts what it wrote under the target's names, in order; a failed
    // one leaves every old target as it was.
    auto wrote = [&] {
        bool ok = sink.close();
        if (ok)
            report.files.assign(names.begin(), names.begin() + long(opened));
        report.bytes_written = sink.written();
        return ok;
    };
    auto dropped = [&] {
        sink.flush();
        report.bytes_written = sink.written();
        sink.discard();
    };
    auto write_failure = [&] {
        std::string name = sink.failed_target().empty() ? names[0] : sink.failed_target();
        return finish(RunStatus::WriteFailed, MSG_FAILED,
                      common::strfmt("Can't write %s: %s", name.c_str(), sink.error().c_str()));
    };

    std::vector<std::string> damaged;
    int n = int(parts.size());
    size_t group = 0;
    for (int k = 1; k <= n; ++k) {
        const std::string& path = parts[size_t(k - 1)];
        if (group + 1 < groups.size() && groups[group + 1].front() == k - 1) {
            // A new piece starts at this part: it gets a pack header of its own, so that each
            // plays by itself; what the repackers hold of the part before goes into it.
            ++group;
            if (!sink.next_file(names[group])) {
                std::string why = sink.error();
                dropped();
                if (sink.failed())
                    return write_failure();
                return finish(RunStatus::TargetOpenFailed, MSG_NO_TARGET,
                              common::strfmt("%s: %s", names[group].c_str(), why.c_str()));
            }
            ++opened;
            conv.start_new_file();
        }
        observer.part_started(k, n, 100 * k / n, path);
        if (!source.open(path)) {
            conv.discard();
            dropped();
            return finish(RunStatus::SourceOpenFailed, MSG_NO_SOURCE,
                          common::strfmt("%s: %s", path.c_str(), source.error().c_str()));
        }
        uint8_t header[AVR_HEADER_SIZE];
        long got = source.read(header, long(sizeof header));
        if (got < 0 || !source.seek(avr_ts_offset(header, got < 0 ? 0 : size_t(got)))) {
            conv.discard();
            dropped();
            return finish(RunStatus::ReadFailed, MSG_FAILED,
                          common::strfmt("Read error in %s: %s", path.c_str(), source.error().c_str()));
        }
        progress.size = source.size();
        progress.last_percent = -1;
        observer.current_progress(0);
        PartResult r = conv.convert_part(source, 0, 0, 1);
        std::string read_error = source.error();
        source.close();
        if (r == PartResult::NotTs) {
            // One unreadable part does not spoil the others; the report names it.
            conv.discard();
            damaged.push_back(path);
            continue;
        }
        if (r == PartResult::End && sink.failed())
            r = PartResult::Canceled; // the sink failure is reported below
        if (r != PartResult::End) {
            conv.discard();
            // A stopped run keeps what it converted only where it replaces nothing: a file that
            // was there is worth more than the start of its replacement.
            const bool kept_old = r == PartResult::Canceled && sink.replaces();
            if (r == PartResult::Canceled && !sink.failed() && !kept_old)
                wrote();
            else
                dropped();
            if (sink.failed())
                return write_failure();
            switch (r) {
            case PartResult::Canceled:
                return finish(RunStatus::Canceled, MSG_CANCELED,
                              kept_old
                                  ? common::strfmt("%s was kept as it was; the part converted was dropped",
                                                   request.target.c_str())
                                  : std::string());
            case PartResult::ReadError:
                return finish(RunStatus::ReadFailed, MSG_FAILED,
                              common::strfmt("Read error in %s: %s", path.c_str(), read_error.c_str()));
            case PartResult::NoMemory:
                return finish(RunStatus::OutOfMemory, MSG_FAILED, "Couldn't allocate memory for ipack");
            case PartResult::NotTs:
            case PartResult::End:
                break;
            }
        }
        ++report.parts_done;
    }
    report.parts_damaged = int(damaged.size());
    conv.finish();
    sink.flush();
    if (report.parts_done == 0 && !damaged.empty()) {
        dropped();
        return finish(RunStatus::NotTransportStream, MSG_NOT_TS,
                      n == 1 ? common::strfmt("%s holds no MPEG transport stream", parts[0].c_str())
                             : common::strfmt("none of the %d parts of %s holds an MPEG transport stream", n,
                                              request.source.c_str()));
    }
    if (sink.written() == 0 && !sink.failed()) {
        // An empty file is no output: an old target is worth more.
        dropped();
        if (conv.audio_pid() == 0 && conv.video_pid() == 0)
            return finish(RunStatus::NoStreams, MSG_NO_STREAMS,
                          common::strfmt("%s: the transport stream carries no video or audio stream",
                                         request.source.c_str()));
        return finish(RunStatus::NothingConverted, MSG_NOTHING,
                      common::strfmt("%s: %s", request.source.c_str(), nothing_reason(conv).c_str()));
    }
    wrote();
    if (sink.failed())
        return write_failure();
    if (!damaged.empty())
        return finish(RunStatus::DamagedParts, MSG_DAMAGED,
                      common::strfmt("%d of %d parts hold no transport stream and were left out: %s",
                                     int(damaged.size()), n, joined(damaged).c_str()));
    if (names.size() > 1)
        return finish(RunStatus::Finished, MSG_FINISHED,
                      common::strfmt("Split at part boundaries into %d files, as one file on the target's "
                                     "disk holds at most %s bytes: %s",
                                     int(names.size()), group_thousands(limit).c_str(),
                                     joined(names).c_str()));
    return finish(RunStatus::Finished, MSG_FINISHED, "");
}

} // namespace dranfel
