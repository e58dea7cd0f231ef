// dranfel-cli cp and mv: the same command line, one copies and one moves.
#include "common/cli/command.h"
#include "dranfel/cli/transfer.h"

#include <memory>

// Named rather than anonymous: the program's files are compiled together, and names must not meet.
namespace cmd_cp_mv {

struct Args
{
    std::string source, destination;
    std::vector<std::string> names;
    bool force = false;
};

common::cli::CommandMaker
transfer_command(const char* name, const char* description, dranfel::FileOpKind kind)
{
    return [=] {
        auto args = std::make_shared<Args>();
        common::cli::Command cmd(name, description);
        cmd.positional("SRC_DIR", args->source, "Source folder");
        cmd.positional("DST_DIR", args->destination, "Destination folder");
        cmd.positionals("NAME", args->names, "Part-1 .AVR file of a recording, or an .mp3/.mem/.mpg file");
        cmd.flag("-f,--force", args->force,
                 "Replace destination files that have other hard links (they keep the old contents)");
        cmd.run = [args, kind] {
            return dranfel::cli::run_transfer(kind, args->source, args->destination, args->names,
                                              args->force);
        };
        return cmd;
    };
}

const common::cli::Registration copy_reg{transfer_command(
    "cp", "Copy recordings and .mp3/.mem/.mpg files from one folder to another", dranfel::FileOpKind::Copy)};
const common::cli::Registration move_reg{transfer_command(
    "mv", "Move recordings and .mp3/.mem/.mpg files from one folder to another", dranfel::FileOpKind::Move)};

} // namespace cmd_cp_mv
