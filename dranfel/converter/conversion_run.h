#pragma once
// One conversion run: the part files of a recording (or the one selected file) into one program
// stream file. Progress and the final message go to an observer; nothing here knows of windows.
#include "dranfel/converter/ts_engine.h"

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

namespace dranfel {

enum class PartsRule
{
    Auto, // every part on an NTFS source volume, else only the selected file
    All,  // every part of the recording whatever the volume
    One,  // only the selected file
};

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
};

struct RunReport
{
    RunStatus status = RunStatus::Finished;
    std::string message; // the one-line result a user sees
    std::string detail;  // why, when the message alone does not say; may be empty
    int parts = 0;       // parts the run set out to convert
    int parts_done = 0;  // parts converted to their end
    int64_t bytes_written = 0;
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
    PartsRule parts = PartsRule::Auto;
    std::FILE* diagnostics = stderr;
    // The mount table to judge the source volume by; empty reads the running system's.
    std::string mount_table;
    EngineOptions engine;
};

// The part files a request converts, in order.
std::vector<std::string> parts_to_convert(const ConversionRequest& request, bool source_on_ntfs);

// The default target of a source: the same path with the extension ".mpg".
std::string default_target(const std::string& source);

// Runs the conversion on the calling thread. `cancel` is tested once per 1880-byte block.
RunReport run_conversion(const ConversionRequest& request,
                         ConversionObserver& observer,
                         const std::atomic<bool>& cancel);

} // namespace dranfel
