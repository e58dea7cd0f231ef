// korvid-cli dump FILE.ird OUT.json: the whole database as JSON text, to read, diff and keep under
// version control.
#include "common/cli/command.h"
#include "common/printable.h"
#include "korvid/cli/force_option.h"
#include "korvid/database/database_json.h"

#include <cstdio>
#include <memory>

// Named rather than anonymous: the program's files are compiled together, and names must not meet.
namespace cmd_dump {

int run_dump(const std::string& in, const std::string& out, bool force)
{
    std::string message;
    if (!korvid::dump_database_file(in, out, message, force_options(force))) {
        std::fprintf(stderr, "%s\n", common::printable_lines(message).c_str());
        print_force_hint(message);
        return 1;
    }
    return 0;
}

const common::cli::Registration reg{[] {
    return file_to_file_command("dump",
                                "Write a database file as JSON text that can be read, diffed and built back",
                                "file", "the .ird file", "the JSON file to write", run_dump);
}};

} // namespace cmd_dump
