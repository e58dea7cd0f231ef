// dranfel-cli mkdir: a new folder, with the checks of the storage manager's New Folder.
#include "common/cli/command.h"
#include "common/printable.h"
#include "dranfel/storage/commands.h"

#include <cstdio>
#include <memory>

// Named rather than anonymous: the program's files are compiled together, and names must not meet.
namespace cmd_mkdir {

struct Args
{
    std::string parent, name;
};

const common::cli::Registration reg{[] {
    auto args = std::make_shared<Args>();
    common::cli::Command cmd("mkdir", "Make a new folder");
    cmd.positional("PARENT", args->parent, "Parent folder");
    cmd.positional("NAME", args->name, "Name of the new folder");
    cmd.run = [args] {
        dranfel::CommandCheck check = dranfel::check_new_folder(true, args->parent);
        if (!check.proceed) {
            for (const std::string& m : check.messages)
                std::fprintf(stderr, "dranfel-cli: %s\n", common::printable_lines(m).c_str());
            return 1;
        }
        if (args->name.empty()) {
            std::fprintf(stderr, "dranfel-cli: the folder needs a name\n");
            return 1;
        }
        std::string message, reason;
        if (dranfel::make_folder(args->parent, args->name, message, &reason) < 0) {
            std::fprintf(stderr, "dranfel-cli: %s: %s\n", common::printable_lines(message).c_str(),
                         common::printable_lines(reason).c_str());
            return 1;
        }
        return 0;
    };
    return cmd;
}};

} // namespace cmd_mkdir
