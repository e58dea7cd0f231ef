// dranfel-cli ts2pes: converts a recording's transport stream into an MPEG-2 program stream.
#include "common/cli/command.h"
#include "common/cli/interrupt_scope.h"
#include "dranfel/converter/conversion_run.h"

#include <unistd.h>

#include <cstdio>
#include <memory>

namespace {

struct Args
{
    std::string source, target;
    std::string parts_text = "auto";
    bool verbose = false;
};

class TerminalProgress : public dranfel::ConversionObserver
{
public:
    explicit TerminalProgress(bool show) : show_(show) {}

    void part_started(int part, int parts, int, const std::string&) override
    {
        part_ = part;
        parts_ = parts;
        percent_ = 0;
        draw();
    }
    void current_progress(int percent) override
    {
        percent_ = percent;
        draw();
    }
    void finished(const dranfel::RunReport&) override
    {
        if (show_ && drawn_)
            std::fputc('\n', stderr);
    }

private:
    void draw()
    {
        if (!show_)
            return;
        std::fprintf(stderr, "\rpart %d of %d, %3d %%", part_, parts_, percent_);
        std::fflush(stderr);
        drawn_ = true;
    }

    bool show_;
    bool drawn_ = false;
    int part_ = 0, parts_ = 0, percent_ = 0;
};

int run(const Args& args)
{
    dranfel::ConversionRequest request;
    request.source = args.source;
    request.target = args.target.empty() ? dranfel::default_target(args.source) : args.target;
    request.parts = args.parts_text == "all"   ? dranfel::PartsRule::All
                    : args.parts_text == "one" ? dranfel::PartsRule::One
                                               : dranfel::PartsRule::Auto;
    request.diagnostics = args.verbose ? stderr : nullptr;

    bool interrupted = false;
    dranfel::RunReport report;
    {
        common::cli::InterruptScope scope;
        TerminalProgress progress(::isatty(STDERR_FILENO) == 1);
        report = dranfel::run_conversion(request, progress, scope.flag());
        interrupted = scope.interrupted();
    }

    if (report.detail.empty())
        std::printf("%s\n", report.message.c_str());
    else
        std::printf("%s: %s\n", report.message.c_str(), report.detail.c_str());
    if (report.status == dranfel::RunStatus::Canceled && interrupted)
        return 130;
    return report.status == dranfel::RunStatus::Finished ? 0 : 1;
}

const common::cli::Registration reg{[] {
    auto args = std::make_shared<Args>();
    common::cli::Command cmd("ts2pes", "Convert a recording's transport stream into an MPEG-2 program stream");
    cmd.positional("SOURCE", args->source, "Part file (.AVR) of the recording");
    cmd.positional("TARGET", args->target, "Program stream to write (default: SOURCE with the extension .mpg)",
                   false);
    cmd.option("--parts", args->parts_text,
               "auto: every part on an NTFS volume, else only SOURCE; all: every part; one: only SOURCE")
        .one_of({"auto", "all", "one"})
        .shown_default("auto");
    cmd.flag("-v,--verbose", args->verbose, "Print the stream information lines");
    cmd.run = [args] { return run(*args); };
    return cmd;
}};

} // namespace
