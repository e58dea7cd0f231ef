#include "dranfel/converter/conversion_run.h"

#include "common/strfmt.h"
#include "dranfel/converter/file_sink.h"
#include "dranfel/converter/source_volume.h"
#include "dranfel/storage/recording_name.h"

#include <filesystem>
#include <sys/stat.h>

namespace dranfel {

namespace {

constexpr int MAX_PARTS = 1000;

const char* const MSG_FINISHED = "Convert finished";
const char* const MSG_CANCELED = "Convert Canceled";
const char* const MSG_NO_TARGET = "Can't open the target file";
const char* const MSG_NO_SOURCE = "Can't open the source file";
const char* const MSG_FAILED = "Convert failed";
const char* const MSG_NOTHING = "Nothing could be converted";

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

std::vector<std::string> parts_to_convert(const ConversionRequest& request, bool source_on_ntfs)
{
    std::vector<std::string> parts;
    bool follow = request.parts == PartsRule::All || (request.parts == PartsRule::Auto && source_on_ntfs);
    int n = follow ? RecordingName::part_count_of(request.source) : 1;
    ParsedRecordingName name;
    // A name without the part marker cannot address its siblings; converting the selected file n
    // times over would only repeat it.
    if (!follow || n <= 0 || n >= MAX_PARTS || !RecordingName::parse(request.source, name) ||
        name.part <= 0) {
        parts.push_back(request.source);
        return parts;
    }
    for (int k = 1; k <= n; ++k)
        parts.push_back(RecordingName::part_file_name(name.prefix, name.title, k, name.date, name.suffix));
    return parts;
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

    bool ntfs = request.parts == PartsRule::Auto &&
                (request.mount_table.empty() ? source_on_ntfs(request.source)
                                             : source_on_ntfs(request.mount_table, request.source));
    std::vector<std::string> parts = parts_to_convert(request, ntfs);
    report.parts = int(parts.size());

    // The target replaces what is at its name when the run ends: never one of its own sources.
    for (const auto& part : parts)
        if (same_file(part, request.target))
            return finish(RunStatus::TargetOpenFailed, MSG_NO_TARGET,
                          common::strfmt("%s is the source itself", request.target.c_str()));
    // Written under a temporary name: an old target stays whole until this run has something to
    // put in its place.
    FileSink sink;
    if (!sink.create(request.target))
        return finish(RunStatus::TargetOpenFailed, MSG_NO_TARGET,
                      common::strfmt("%s: %s", request.target.c_str(), sink.error().c_str()));

    EngineOptions options = request.engine;
    options.diagnostics = request.diagnostics;
    TsConverter conv(&FileSink::output, &sink, options);
    engine = &conv;
    FileSource source;
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

    // A finished or stopped run puts what it wrote under the target's name; a failed one leaves
    // the old target as it was.
    auto wrote = [&] {
        sink.close();
        report.bytes_written = sink.written();
    };
    auto dropped = [&] {
        sink.flush();
        report.bytes_written = sink.written();
        sink.discard();
    };
    int n = int(parts.size());
    for (int k = 1; k <= n; ++k) {
        const std::string& path = parts[size_t(k - 1)];
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
                return finish(
                    RunStatus::WriteFailed, MSG_FAILED,
                    common::strfmt("Can't write %s: %s", request.target.c_str(), sink.error().c_str()));
            switch (r) {
            case PartResult::Canceled:
                return finish(RunStatus::Canceled, MSG_CANCELED,
                              kept_old
                                  ? common::strfmt("%s was kept as it was; the part converted was dropped",
                                                   request.target.c_str())
                                  : std::string());
            case PartResult::NotTs:
                return finish(RunStatus::NotTransportStream, MSG_CANCELED,
                              common::strfmt("%s holds no transport stream", path.c_str()));
            case PartResult::ReadError:
                return finish(RunStatus::ReadFailed, MSG_FAILED,
                              common::strfmt("Read error in %s: %s", path.c_str(), read_error.c_str()));
            case PartResult::NoMemory:
                return finish(RunStatus::OutOfMemory, MSG_FAILED, "Couldn't allocate memory for ipack");
            case PartResult::End:
                break;
            }
        }
        report.parts_done = k;
    }
    conv.finish();
    sink.flush();
    if (sink.written() == 0 && !sink.failed()) {
        // An empty file is no output: an old target is worth more.
        dropped();
        return finish(RunStatus::NothingConverted, MSG_NOTHING,
                      common::strfmt("%s: %s", request.source.c_str(), nothing_reason(conv).c_str()));
    }
    wrote();
    if (sink.failed())
        return finish(RunStatus::WriteFailed, MSG_FAILED,
                      common::strfmt("Can't write %s: %s", request.target.c_str(), sink.error().c_str()));
    return finish(RunStatus::Finished, MSG_FINISHED, "");
}

} // namespace dranfel
