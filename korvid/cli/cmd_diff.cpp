// korvid-cli diff A.ird B.ird [--json]: what changed from one database file to another, in the pages'
// terms.
#include "common/cli/command.h"
#include "common/printable.h"
#include "korvid/database/database_diff.h"
#include "korvid/database/ird_file.h"

#include <cstdio>
#include <memory>

// Named rather than anonymous: the program's files are compiled together, and names must not meet.
namespace cmd_diff {

using namespace korvid;

// As diff(1) and cmp(1): 0 the same database, 1 they differ, 2 usage or a file that cannot be read
// as a database.
int run_diff(const std::string& path_a, const std::string& path_b, bool json)
{
    const DatabaseFile a = read_database_file(path_a);
    const DatabaseFile b = a.ok() ? read_database_file(path_b) : DatabaseFile{};
    if (!a.ok() || !b.ok()) {
        std::fprintf(stderr, "%s\n", common::printable_lines(a.ok() ? b.message : a.message).c_str());
        return 2;
    }
    DatabaseDiff diff = diff_databases(*a.db, *b.db);
    diff_codes(diff, a.buyer, a.model, b.buyer, b.model);
    if (json)
        std::fputs(diff_json(diff).c_str(), stdout);
    else
        for (const DiffEntry& e : diff.entries)
            std::printf("%s\n", common::printable(diff_line(e)).c_str());
    return diff.same() ? 0 : 1;
}

struct Args
{
    std::string a, b;
    bool json = false;
};

const common::cli::Registration reg{[] {
    auto args = std::make_shared<Args>();
    common::cli::Command cmd("diff",
                             "Show what changed between two database files: exit 0 same, 1 different");
    cmd.positional("a", args->a, "the first .ird file");
    cmd.positional("b", args->b, "the second .ird file");
    cmd.flag("--json", args->json, "print the differences as JSON");
    cmd.run = [args] { return run_diff(args->a, args->b, args->json); };
    return cmd;
}};

} // namespace cmd_diff
