// korvid-cli build IN.json OUT.ird: the database file that a JSON text describes. Anything wrong in
// the text is named by its JSON path, and then nothing is written.
#include "common/cli/command.h"
#include "common/printable.h"
#include "korvid/cli/force_option.h"
#include "korvid/database/database_json.h"

#include <cstdio>
#include <memory>

// Named rather than anonymous: the program's files are compiled together, and names must not meet.
namespace cmd_build {

int run_build(const std::string& in, const std::string& out, bool force)
{
    std::string message;
    if (!korvid::build_database_file(in, out, message, force_options(force))) {
        std::fprintf(stderr, "%s\n", common::printable_lines(message).c_str());
        print_force_hint(message);
        return 1;
    }
    return 0;
}

const common::cli::Registration reg{[] {
    return file_to_file_command("build", "Build a database file from JSON text written by dump", "json",
                                "the JSON file", "the .ird file to write", run_build);
}};

} // namespace cmd_build
