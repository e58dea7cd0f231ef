// korvid-cli build IN.json OUT.ird: the database file that a JSON text describes. Anything wrong in
// the text is named by its JSON path, and then nothing is written.
#include "common/cli_commands.h"
#include "korvid/database/database_json.h"

#include <cstdio>
#include <memory>

namespace {

int run_build(const std::string& in, const std::string& out)
{
    std::string message;
    if (!korvid::build_database_file(in, out, message)) {
        std::fprintf(stderr, "%s\n", message.c_str());
        return 1;
    }
    return 0;
}

common::CliCommandRegistration reg{{[](CLI::App& app) {
    auto* cmd = app.add_subcommand("build", "Build a database file from JSON text written by dump");
    auto in = std::make_shared<std::string>();
    auto out = std::make_shared<std::string>();
    cmd->add_option("json", *in, "the JSON file")->required();
    cmd->add_option("out", *out, "the .ird file to write")->required();
    return std::function<int()>([in, out] { return run_build(*in, *out); });
}}};

} // namespace
