// dranfel-cli cp and mv: the same command line, one copies and one moves.
#include "common/cli_commands.h"
#include "dranfel/cli/transfer.h"

namespace {

struct Args
{
    std::string source, destination;
    std::vector<std::string> names;
};

common::CliCommand transfer_command(const char* name, const char* description, dranfel::FileOpKind kind)
{
    return {[=](CLI::App& app) {
        auto args = std::make_shared<Args>();
        auto* sub = app.add_subcommand(name, description);
        sub->add_option("SRC_DIR", args->source, "Source folder")->required();
        sub->add_option("DST_DIR", args->destination, "Destination folder")->required();
        sub->add_option("NAME", args->names, "Part-1 .AVR file of a recording, or an .mp3/.mem file")->required();
        return std::function<int()>([args, kind] {
            return dranfel::cli::run_transfer(kind, args->source, args->destination, args->names);
        });
    }};
}

const common::CliCommandRegistration copy_reg{transfer_command(
    "cp", "Copy recordings and .mp3/.mem files from one folder to another", dranfel::FileOpKind::Copy)};
const common::CliCommandRegistration move_reg{transfer_command(
    "mv", "Move recordings and .mp3/.mem files from one folder to another", dranfel::FileOpKind::Move)};

} // namespace
