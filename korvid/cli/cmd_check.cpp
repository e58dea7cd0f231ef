// korvid-cli check FILE.ird [--strict]: what in a database would make the receiver misbehave
// (damage) or is most likely not meant (notes), one line per problem.
#include "common/cli/command.h"
#include "common/printable.h"
#include "korvid/database/database_check.h"
#include "korvid/database/ird_file.h"

#include <cstdio>
#include <memory>

// Named rather than anonymous: the program's files are compiled together, and names must not meet.
namespace cmd_check {

using namespace korvid;

// 0 no damage (with --strict: no problem at all), 1 damage (or a note with --strict, or a file that
// cannot be read as a database), 2 usage. Notes are printed either way.
int run_check(const std::string& path, bool strict)
{
    const DatabaseFile file = read_database_file(path);
    if (!file.ok()) {
        std::fprintf(stderr, "%s\n", common::printable_lines(file.message).c_str());
        return 1;
    }
    const auto problems = check_database(*file.db);
    for (const DatabaseProblem& p : problems)
        std::printf("%s\n", common::printable(problem_line(p)).c_str());
    return any_damage(problems) || (strict && !problems.empty()) ? 1 : 0;
}

const common::cli::Registration reg{[] {
    struct Args
    {
        std::string path;
        bool strict = false;
    };
    auto a = std::make_shared<Args>();
    common::cli::Command cmd("check", "Check a database file: one line per problem, exit 1 on damage");
    cmd.positional("file", a->path, "the .ird file");
    cmd.flag("--strict", a->strict, "exit 1 on notes too");
    cmd.run = [a] { return run_check(a->path, a->strict); };
    return cmd;
}};

} // namespace cmd_check
