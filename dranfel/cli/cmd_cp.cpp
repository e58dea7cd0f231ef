#include "common/cli_commands.h"
#include "dranfel/cli/transfer.h"

namespace {

struct Args
{
    std::string source, destination;
    std::vector<std::string> names;
};

const common::CliCommandRegistration reg{{[](CLI::App& app) {
    auto args = std::make_shared<Args>();
    auto* sub = app.add_subcommand("cp", "Copy recordings and .mp3/.mem files from one folder to another");
    sub->add_option("SRC_DIR", args->source, "Source folder")->required();
    sub->add_option("DST_DIR", args->destination, "Destination folder")->required();
    sub->add_option("NAME", args->names, "Part-1 .AVR file of a recording, or an .mp3/.mem file")->required();
    return [args] {
        return dranfel::cli::run_transfer(dranfel::FileOpKind::Copy, args->source, args->destination, args->names);
    };
}}};

} // namespace
