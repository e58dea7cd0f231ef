// korvid-cli dump FILE.ird OUT.json: the whole database as JSON text, to read, diff and keep under
// version control.
#include "common/cli_commands.h"
#include "korvid/database/database_json.h"

#include <cstdio>
#include <memory>

namespace {

int run_dump(const std::string& in, const std::string& out)
{
    std::string message;
    if (!korvid::dump_database_file(in, out, message)) {
        std::fprintf(stderr, "%s\n", message.c_str());
        return 1;
    }
    return 0;
}

common::CliCommandRegistration reg{{[](CLI::App& app) {
    auto* cmd = app.add_subcommand("dump", "Write a database file as JSON text that can be read, diffed and built back");
    auto in = std::make_shared<std::string>();
    auto out = std::make_shared<std::string>();
    cmd->add_option("file", *in, "the .ird file")->required();
    cmd->add_option("out", *out, "the JSON file to write")->required();
    return std::function<int()>([in, out] { return run_dump(*in, *out); });
}}};

} // namespace
