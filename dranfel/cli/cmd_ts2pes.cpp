// dranfel-cli ts2pes: converts recordings' transport streams into MPEG-2 program streams.
#include "common/cli_commands.h"
#include "dranfel/cli/ts2pes_batch.h"

namespace {

const common::CliCommandRegistration reg{{[](CLI::App& app) {
    auto args = std::make_shared<dranfel::cli::Ts2pesArgs>();
    auto* sub = app.add_subcommand("ts2pes", "Convert recordings' transport streams into MPEG-2 program streams");
    sub->add_option("SOURCE", args->paths,
                    "Part files (.AVR) of the recordings, converted one after another; with one SOURCE, a second "
                    "path ending in .mpg is its target (default: SOURCE with the extension .mpg)")
        ->required();
    sub->add_option("-o,--output-dir", args->out_dir, "Folder for the targets (default: beside each SOURCE)");
    sub->add_option("--parts", args->parts_text,
                    "auto: every part on an NTFS volume, else only SOURCE; all: every part; one: only SOURCE")
        ->check(CLI::IsMember({"auto", "all", "one"}))
        ->default_str("auto");
    sub->add_flag("-v,--verbose", args->verbose, "Print the stream information lines");
    return [args] { return dranfel::cli::run_ts2pes(*args); };
}}};

} // namespace
