#include "dranfel/cli/ts2pes_batch.h"

#include "common/cli/interrupt_scope.h"
#include "common/printable.h"
#include "common/strfmt.h"
#include "dranfel/converter/batch_run.h"
#include "dranfel/converter/run_summary.h"
#include "dranfel/storage/file_list.h"
#include "dranfel/storage/recording_name.h"

#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace dranfel::cli {

namespace {

std::string result_line(const RunReport& report)
{
    return report.detail.empty() ? report.message : report.message + ": " + report.detail;
}

// One line per recording on standard error: redrawn in place on a terminal as the parts and
// percentages go by, written once when it starts elsewhere.
class TerminalProgress : public BatchObserver
{
public:
    TerminalProgress(bool redraw, bool several, std::FILE* results)
        : m_redraw(redraw)
        , m_several(several)
        , m_results(results)
    {}

    void item_started(int index, int count, const BatchItem& item) override
    {
        // Formatted rather than joined: GCC 12 at -O3 sees an overlapping copy in "[" + string.
        m_head = m_several ? common::strfmt("[%d/%d] ", index, count) : std::string();
        m_head += common::printable(item.source) + " -> " + common::printable(item.target);
        m_source = item.source;
        m_part = m_parts = m_percent = 0;
        if (!m_redraw)
            std::fprintf(stderr, "%s\n", m_head.c_str());
        draw();
    }
    void part_started(int part, int parts, int, const std::string&) override
    {
        m_part = part;
        m_parts = parts;
        m_percent = 0;
        draw();
    }
    void current_progress(int percent) override
    {
        m_percent = percent;
        draw();
    }
    void item_finished(int, int, const BatchItem&, const RunReport& report) override
    {
        if (m_redraw)
            std::fprintf(stderr, "\r\033[K%s: %s\n", m_head.c_str(),
                         common::printable_lines(report.message).c_str());
        for (const std::string& line : summary_lines(report))
            std::fprintf(stderr, "  %s\n", common::printable_lines(line).c_str());
        std::fflush(stderr);
        if (m_several)
            std::fprintf(m_results, "%s: %s\n", common::printable(m_source).c_str(),
                         common::printable_lines(result_line(report)).c_str());
        else
            std::fprintf(m_results, "%s\n", common::printable_lines(result_line(report)).c_str());
        std::fflush(m_results);
    }

private:
    void draw()
    {
        if (!m_redraw)
            return;
        if (m_parts > 0)
            std::fprintf(stderr, "\r\033[K%s: part %d of %d, %3d %%", m_head.c_str(), m_part, m_parts,
                         m_percent);
        else
            std::fprintf(stderr, "\r\033[K%s", m_head.c_str());
        std::fflush(stderr);
    }

    bool m_redraw;
    bool m_several;
    std::FILE* m_results;
    std::string m_head;
    std::string m_source;
    int m_part = 0, m_parts = 0, m_percent = 0;
};

// The program stream itself goes to standard output: every word for the user goes elsewhere.
bool is_standard_output(const std::string& path)
{
    return path == "-" || path == "/dev/stdout" || path == "/proc/self/fd/1" || path == "/dev/fd/1";
}

} // namespace

int run_ts2pes(const Ts2pesArgs& args)
{
    std::vector<BatchItem> items;
    if (args.paths.size() == 2 && args.out_dir.empty() && !has_extension(args.paths[1], ".avr")) {
        items.push_back({args.paths[0], args.paths[1]});
    } else {
        std::string error;
        if (!args.out_dir.empty() && !std::filesystem::is_directory(args.out_dir)) {
            std::fprintf(stderr, "%s is not a folder\n", common::printable(args.out_dir).c_str());
            return 2;
        }
        if (!plan_batch(args.paths, args.out_dir, items, error)) {
            std::fprintf(stderr, "%s\n", common::printable_lines(error).c_str());
            return 2;
        }
    }

    ConversionRequest request;
    request.parts = args.parts_text == "one" ? PartsRule::One : PartsRule::All;
    request.diagnostics = args.verbose ? stderr : nullptr;

    bool several = items.size() > 1;
    bool interrupted = false;
    BatchResult result;
    {
        common::cli::InterruptScope scope;
        bool to_stdout = false;
        for (const BatchItem& item : items)
            to_stdout = to_stdout || is_standard_output(item.target);
        TerminalProgress progress(::isatty(STDERR_FILENO) == 1, several, to_stdout ? stderr : stdout);
        result = run_batch(items, request, progress, scope.flag());
        interrupted = scope.interrupted();
    }

    if (several && !result.failures.empty()) {
        std::fprintf(stderr, "%zu of %zu recordings were not converted:\n",
                     result.failures.size() + size_t(result.not_started), items.size());
        for (const BatchFailure& f : result.failures)
            std::fprintf(stderr, "  %s: %s\n", common::printable(f.item.source).c_str(),
                         common::printable_lines(result_line(f.report)).c_str());
        for (size_t i = items.size() - size_t(result.not_started); i < items.size(); ++i)
            std::fprintf(stderr, "  %s: not started\n", common::printable(items[i].source).c_str());
    }
    if (result.stopped && interrupted)
        return 130;
    return result.failures.empty() ? 0 : 1;
}

} // namespace dranfel::cli
