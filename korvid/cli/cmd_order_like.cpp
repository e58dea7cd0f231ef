// korvid-cli order-like DB.ird REFERENCE [-o OUT.ird] [--favorites]: the channels of a database
// file put in the order of another database (.ird or the JSON text dump writes), with the summary
// the editor shows before it applies.
#include "common/cli/command.h"
#include "common/printable.h"
#include "korvid/cli/force_option.h"
#include "korvid/database/ird_file.h"
#include "korvid/database/order_like.h"

#include <cstdio>
#include <memory>

// Named rather than anonymous: the program's files are compiled together, and names must not meet.
namespace cmd_order_like {

using namespace korvid;

int run_order_like(
    const std::string& in, const std::string& ref, std::string out, bool favourites, bool force)
{
    DatabaseFile file = read_database_file(in);
    std::string message = file.message;
    std::unique_ptr<Database>& db = file.db;
    const uint16_t buyer = file.buyer, model = file.model;
    std::unique_ptr<Database> reference = file.ok() ? read_reference_database(ref, message) : nullptr;
    if (!file.ok() || !reference) {
        std::fprintf(stderr, "%s\n", common::printable_lines(message).c_str());
        return 1;
    }
    const OrderLikePlan plan = plan_order_like(*db, *reference);
    for (const std::string& line : order_like_summary(plan))
        std::printf("%s\n", common::printable(line).c_str());
    const bool changed = apply_order_like(*db, *reference, plan, favourites);
    // Nothing to write back over the file itself; a named output is written all the same, so that
    // it exists afterwards.
    if (out.empty() && !changed)
        return 0;
    if (out.empty())
        out = in;
    std::string error;
    if (!write_database_file(*db, buyer, model, out, &error, force_options(force))) {
        std::fprintf(stderr, "%s\n", common::printable_lines(ird_save_report(out, error)).c_str());
        print_force_hint(error);
        return 1;
    }
    std::printf("Saved %s\n", common::printable(out).c_str());
    return 0;
}

struct Args
{
    std::string in, ref, out;
    bool favourites = false, force = false;
};

const common::cli::Registration reg{[] {
    auto a = std::make_shared<Args>();
    common::cli::Command cmd("order-like", "Put the channels of a database file in the order of another one");
    cmd.positional("file", a->in, "the .ird file to reorder");
    cmd.positional("reference", a->ref, "the .ird or .json file whose order to take");
    cmd.option("-o,--output", a->out, "the .ird file to write (default: the file itself)");
    cmd.flag("--favorites", a->favourites,
             "take the favourite groups of the matched channels (and the group names) from the reference");
    force_flag(cmd, a->force);
    cmd.run = [a] { return run_order_like(a->in, a->ref, a->out, a->favourites, a->force); };
    return cmd;
}};

} // namespace cmd_order_like
