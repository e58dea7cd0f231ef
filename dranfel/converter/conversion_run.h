#pragma once
// One conversion run: the part files of a recording, from its first to its last, into one program
// stream file, or into several cut at part boundaries when one file cannot hold it all. Progress
// and the final message go to an observer; nothing here knows of windows.
#include "dranfel/converter/ts_engine.h"

#include <atomic>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace dranfel {

enum class PartsRule
{
    All, // every part of the recording, from part 1 on, whichever part was selected
    One, // only the selected file
};

// The largest file FAT holds: its size field has 32 bits.
constexpr int64_t FAT_FILE_LIMIT = (int64_t(1) << 32) - 1;

enum class RunStatus
{
    Finished,
    Canceled,
    NotTransportStream,
    TargetOpenFailed,
    SourceOpenFailed,
    ReadFailed,
    WriteFailed,
    OutOfMemory,
    NothingConverted,
    NoStreams,    // a transport stream without a video or audio stream
    DamagedParts, // converted, but parts that hold no transport stream were left out
};

struct RunReport
{
    RunStatus status = RunStatus::Finished;
    std::string message;   // the one-line result a user sees
    std::string detail;    // why, when the message alone does not say; may be empty
    int parts = 0;         // parts the run set out to convert
    int parts_done = 0;    // parts converted to their end
    int parts_skipped = 0; // parts of the recording left out because the user asked for one part
    int parts_damaged = 0; // parts left out because they hold no transport stream
    int recording_parts = 0;
    int64_t bytes_written = 0;
    // The files the run put in place: the target, or its numbered pieces when it was split.
    std::vector<std::string> files;
    RunFindings findings; // what the engine found in the parts it read
};

class ConversionObserver
{
public:
    virtual ~ConversionObserver() = default;
    // Before part `part` (1-based) of `parts` is converted; `total_percent` is 100 * part / parts.
    virtual void part_started(int part, int parts, int total_percent, const std::string& path)
    {
        (void)part, (void)parts, (void)total_percent, (void)path;
    }
    // How far the engine has read into the current part, when the percentage changes.
    virtual void current_progress(int percent) { (void)percent; }
    virtual void finished(const RunReport& report) { (void)report; }
};

struct ConversionRequest
{
    std::string source;
    std::string target;
    PartsRule parts = PartsRule::All;
    std::FILE* diagnostics = stderr;
    // What one file may hold on a FAT target; tests lower it rather than write 4 GiB.
    int64_t fat_file_limit = FAT_FILE_LIMIT;
    // Above 0: the most one target file may hold, whatever its file system.
    int64_t file_limit = 0;
    // Whether the payload is written from the part file's pages (true) or copied into its chunk
    // (false); unset, the target decides (FileSink::wants_input_in_place). Tests set it.
    std::optional<bool> payload_in_place;
    EngineOptions engine;
};

struct PartPlan
{
    std::vector<std::string> paths; // the part files to convert, in order
    int recording_parts = 1;        // parts the recording has, converted or not
};

// The part files a request converts: every part the information file counts, or when it cannot
// tell (missing, 0, 1000 or more), every part from 1 on that exists. A name without the part
// marker is a file of its own.
PartPlan plan_parts(const ConversionRequest& request);

// The most one file may hold at `target` (0: no limit of ours to keep to): FAT's limit when the
// target's folder lies on FAT, as statfs tells; nothing for a target that is no regular file.
int64_t target_file_limit(const std::string& target, int64_t fat_file_limit);

// The name of piece `k` (1-based) of a target that is split: NAME-k.EXT.
std::string piece_name(const std::string& target, int k);

// The default target of a source: the same path with the extension ".mpg".
std::string default_target(const std::string& source);

// Runs the conversion on the calling thread. `cancel` is tested once per 1880-byte block.
RunReport run_conversion(const ConversionRequest& request,
                         ConversionObserver& observer,
                         const std::atomic<bool>& cancel);

} // namespace dranfel
