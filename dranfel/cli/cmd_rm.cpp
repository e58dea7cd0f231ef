// dranfel-cli rm: deletes recordings (every part and the information file) and .mp3/.mem/.mpg files.
#include "common/cli/command.h"
#include "common/printable.h"
#include "dranfel/cli/transfer.h"
#include "dranfel/storage/file_list.h"

#include <cstdio>
#include <memory>
#include <sys/stat.h>

// Named rather than anonymous: the program's files are compiled together, and names must not meet.
namespace cmd_rm {

struct Args
{
    std::string dir;
    std::vector<std::string> names;
};

const common::cli::Registration reg{[] {
    auto args = std::make_shared<Args>();
    common::cli::Command cmd("rm", "Delete recordings (all their files) and .mp3/.mem/.mpg files");
    cmd.positional("DIR", args->dir, "Folder");
    cmd.positionals("NAME", args->names, "Part-1 .AVR file of a recording, or an .mp3/.mem/.mpg file");
    cmd.run = [args] {
        // Everything is checked before anything is deleted, so a mistyped name deletes nothing.
        for (const std::string& name : args->names) {
            std::string why = dranfel::cli::check_entry_name(name);
            struct stat st;
            if (why.empty() && ::lstat(dranfel::join_path(args->dir, name).c_str(), &st) != 0)
                why = dranfel::join_path(args->dir, name) + ": no such file";
            if (!why.empty()) {
                std::fprintf(stderr, "dranfel-cli: %s\n", common::printable_lines(why).c_str());
                return 1;
            }
        }
        auto errors = dranfel::delete_entries(args->dir, args->names);
        for (const std::string& e : errors)
            std::fprintf(stderr, "dranfel-cli: could not delete %s\n", common::printable_lines(e).c_str());
        return errors.empty() ? 0 : 1;
    };
    return cmd;
}};

} // namespace cmd_rm
