// dranfel-cli ts2pes: converts a recording's transport stream into an MPEG-2 program stream.
#include "common/cli_commands.h"
#include "dranfel/converter/conversion_run.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>

namespace {

// Set from the SIGINT handler; lock-free, so touching it there is safe.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void on_sigint(int) { interrupted.store(true); }

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

    struct sigaction sa{}, old{};
    sa.sa_handler = on_sigint;
    sigemptyset(&sa.sa_mask);
    ::sigaction(SIGINT, &sa, &old);
    TerminalProgress progress(::isatty(STDERR_FILENO) == 1);
    dranfel::RunReport report = dranfel::run_conversion(request, progress, interrupted);
    ::sigaction(SIGINT, &old, nullptr);

    if (report.detail.empty())
        std::printf("%s\n", report.message.c_str());
    else
        std::printf("%s: %s\n", report.message.c_str(), report.detail.c_str());
    if (report.status == dranfel::RunStatus::Canceled && interrupted.load())
        return 130;
    return report.status == dranfel::RunStatus::Finished ? 0 : 1;
}

const common::CliCommandRegistration reg{{[](CLI::App& app) {
    auto args = std::make_shared<Args>();
    auto* sub = app.add_subcommand("ts2pes", "Convert a recording's transport stream into an MPEG-2 program stream");
    sub->add_option("SOURCE", args->source, "Part file (.AVR) of the recording")->required();
    sub->add_option("TARGET", args->target, "Program stream to write (default: SOURCE with the extension .mpg)");
    sub->add_option("--parts", args->parts_text,
                    "auto: every part on an NTFS volume, else only SOURCE; all: every part; one: only SOURCE")
        ->check(CLI::IsMember({"auto", "all", "one"}))
        ->default_str("auto");
    sub->add_flag("-v,--verbose", args->verbose, "Print the stream information lines");
    return [args] { return run(*args); };
}}};

} // namespace
