#include "common/cli_commands.h"
#include "dranfel/storage/commands.h"

#include <cstdio>

namespace {

struct Args
{
    std::string parent, name;
};

const common::CliCommandRegistration reg{{[](CLI::App& app) {
    auto args = std::make_shared<Args>();
    auto* sub = app.add_subcommand("mkdir", "Make a new folder");
    sub->add_option("PARENT", args->parent, "Parent folder")->required();
    sub->add_option("NAME", args->name, "Name of the new folder")->required();
    return [args] {
        dranfel::CommandCheck check = dranfel::check_new_folder(true, args->parent);
        if (!check.proceed) {
            for (const std::string& m : check.messages)
                std::fprintf(stderr, "dranfel-cli: %s\n", m.c_str());
            return 1;
        }
        if (args->name.empty()) {
            std::fprintf(stderr, "dranfel-cli: the folder needs a name\n");
            return 1;
        }
        std::string message, reason;
        if (dranfel::make_folder(args->parent, args->name, message, &reason) < 0) {
            std::fprintf(stderr, "dranfel-cli: %s: %s\n", message.c_str(), reason.c_str());
            return 1;
        }
        return 0;
    };
}}};

} // namespace
