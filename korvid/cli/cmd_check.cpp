// korvid-cli check FILE.ird: what in a database would confuse the receiver or the user, one line per
// problem.
#include "common/cli/command.h"
#include "korvid/database/database_check.h"
#include "korvid/database/ird_file.h"

#include <cstdio>
#include <memory>

// Named rather than anonymous: the program's files are compiled together, and names must not meet.
namespace cmd_check {

using namespace korvid;

// 0 sound, 1 any problem (or a file that cannot be read as a database), 2 usage.
int run_check(const std::string& path)
{
    uint16_t buyer = 0, model = 0;
    std::string message;
    auto db = read_database_file(path, buyer, model, message);
    if (!db) {
        std::fprintf(stderr, "%s\n", message.c_str());
        return 1;
    }
    const auto problems = check_database(*db);
    for (const DatabaseProblem& p : problems)
        std::printf("%s\n", problem_line(p).c_str());
    return problems.empty() ? 0 : 1;
}

const common::cli::Registration reg{[] {
    auto path = std::make_shared<std::string>();
    common::cli::Command cmd("check",
                             "Check a database file: one line per problem, exit 1 when there is any");
    cmd.positional("file", *path, "the .ird file");
    cmd.run = [path] { return run_check(*path); };
    return cmd;
}};

} // namespace cmd_check
