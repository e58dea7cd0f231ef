#include "common/cli_commands.h"
#include "dranfel/cli/transfer.h"
#include "dranfel/storage/file_list.h"

#include <sys/stat.h>

#include <cstdio>

namespace {

struct Args
{
    std::string dir;
    std::vector<std::string> names;
};

const common::CliCommandRegistration reg{{[](CLI::App& app) {
    auto args = std::make_shared<Args>();
    auto* sub = app.add_subcommand("rm", "Delete recordings (all their files) and .mp3/.mem files");
    sub->add_option("DIR", args->dir, "Folder")->required();
    sub->add_option("NAME", args->names, "Part-1 .AVR file of a recording, or an .mp3/.mem file")->required();
    return [args] {
        // Everything is checked before anything is deleted, so a mistyped name deletes nothing.
        for (const std::string& name : args->names) {
            std::string why = dranfel::cli::check_entry_name(name);
            struct stat st;
            if (why.empty() && ::lstat(dranfel::join_path(args->dir, name).c_str(), &st) != 0)
                why = dranfel::join_path(args->dir, name) + ": no such file";
            if (!why.empty()) {
                std::fprintf(stderr, "dranfel-cli: %s\n", why.c_str());
                return 1;
            }
        }
        auto errors = dranfel::delete_entries(args->dir, args->names);
        for (const std::string& e : errors)
            std::fprintf(stderr, "dranfel-cli: could not delete %s\n", e.c_str());
        return errors.empty() ? 0 : 1;
    };
}}};

} // namespace
