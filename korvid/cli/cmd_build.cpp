// korvid-cli build IN.json OUT.ird: the database file that a JSON text describes. Anything wrong in
// the text is named by its JSON path, and then nothing is written.
#include "common/cli/command.h"
#include "korvid/database/database_json.h"

#include <cstdio>
#include <memory>

// Named rather than anonymous: the program's files are compiled together, and names must not meet.
namespace cmd_build {

int run_build(const std::string& in, const std::string& out)
{
    std::string message;
    if (!korvid::build_database_file(in, out, message)) {
        std::fprintf(stderr, "%s\n", message.c_str());
        return 1;
    }
    return 0;
}

struct Args
{
    std::string in, out;
};

const common::cli::Registration reg{[] {
    auto a = std::make_shared<Args>();
    common::cli::Command cmd("build", "Build a database file from JSON text written by dump");
    cmd.positional("json", a->in, "the JSON file");
    cmd.positional("out", a->out, "the .ird file to write");
    cmd.run = [a] { return run_build(a->in, a->out); };
    return cmd;
}};

} // namespace cmd_build
