// dranfel-cli ts2pes: converts recordings' transport streams into MPEG-2 program streams.
#include "common/cli/command.h"
#include "dranfel/cli/ts2pes_batch.h"

#include <memory>

// Named rather than anonymous: the program's files are compiled together, and names must not meet.
namespace cmd_ts2pes {

const common::cli::Registration reg{[] {
    auto args = std::make_shared<dranfel::cli::Ts2pesArgs>();
    common::cli::Command cmd("ts2pes", "Convert recordings' transport streams into MPEG-2 program streams");
    cmd.positionals("SOURCE", args->paths,
                    "Part files (.AVR) of the recordings, converted one after another; with one SOURCE, a "
                    "second path that is no .AVR file is its target (default: SOURCE with the extension "
                    ".mpg), and - is standard output");
    cmd.option("-o,--output-dir", args->out_dir, "Folder for the targets (default: beside each SOURCE)");
    cmd.option("--parts", args->parts_text,
               "all: every part of the recording, from part 1 on; one: only SOURCE")
        .one_of({"all", "one"})
        .shown_default("all");
    cmd.flag("-v,--verbose", args->verbose, "Print the stream information lines");
    cmd.run = [args] { return dranfel::cli::run_ts2pes(*args); };
    return cmd;
}};

} // namespace cmd_ts2pes
