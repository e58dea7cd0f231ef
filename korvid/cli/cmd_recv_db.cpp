// korvid-cli recv-db OUT.ird --port PORT: fetches the receiver's database into a file.
#include "common/cli/command.h"
#include "common/printable.h"
#include "korvid/cli/console_report.h"
#include "korvid/cli/db_transfer_run.h"
#include "korvid/cli/force_option.h"
#include "korvid/database/codes.h"
#include "korvid/database/database_check.h"
#include "korvid/database/ird_file.h"
#include "korvid/link/transfer/db_transfer.h"

#include <cstdio>
#include <memory>
#include <unistd.h>

// Named rather than anonymous: the program's files are compiled together, and names must not meet.
namespace cmd_recv_db {

using namespace korvid;

// The check's findings in what arrived, under a line that counts them.
void print_problems(const std::vector<DatabaseProblem>& problems)
{
    if (problems.empty())
        return;
    std::printf("The database check: %s\n", problem_count_text(problems).c_str());
    for (const DatabaseProblem& p : problems)
        std::printf("%s\n", common::printable(problem_line(p)).c_str());
}

// Exit codes as in every command (README.md): 0 written, 1 a failure (the target, the port, the
// transfer, or an image that is not a database), 2 usage, 130 interrupted. OUT.ird is written for
// every whole image with the system code of a database: what the receiver holds is worth keeping
// whatever the database check finds, and its findings are printed after it. The target is checked
// before the receiver is asked.
int run_recv_db(const std::string& path, const std::string& port_arg, bool force)
{
    PortChoice port = parse_port_argument(port_arg);
    if (!port.valid) {
        std::fprintf(stderr, "--port takes a device path or COMn, not \"%s\"\n",
                     common::printable(port_arg).c_str());
        return 2;
    }
    std::string reason;
    if (!check_ird_target(path, reason, force_options(force))) {
        std::fprintf(stderr, "%s\n", common::printable_lines(ird_save_report(path, reason)).c_str());
        print_force_hint(reason);
        return 1;
    }
    auto db = std::make_unique<Database>();
    db->clear();
    ConsoleReport report(stdout, stderr, ::isatty(STDERR_FILENO));
    report.set_save_path(path);
    CKorvidDoc doc(*db, report);
    doc.set_write_options(force_options(force));
    DbTransfer transfer(doc, report);
    auto run = run_db_transfer(transfer, report, port, DbDirection::Receive);
    if (!run)
        return 1;
    if (run->interrupted)
        return 130;
    DbTransferOutcome outcome = run->outcome;
    switch (outcome) {
    case DbTransferOutcome::Complete:
        std::printf("Saved %s (buyer 0x%04X, model 0x%04X)\n", common::printable(path).c_str(), g_BuyerCode,
                    g_ModelCode);
        print_problems(transfer.received_problems());
        return 0;
    case DbTransferOutcome::SaveFailed:
        // "Can't save to this file" has been printed; the image itself arrived.
        std::fprintf(stderr, "%s: %s\n", common::printable(path).c_str(), doc.write_error().c_str());
        return 1;
    case DbTransferOutcome::WrongSyscode:
        return 1; // the message has been printed; nothing was written
    default:
        break;
    }
    std::string text = report.failure();
    std::fprintf(stderr, "%s\n",
                 text.empty() ? db_outcome_text(outcome) : common::printable_lines(text).c_str());
    return 1;
}

struct Args
{
    std::string path, port;
    bool force = false;
};

const common::cli::Registration reg{[] {
    auto a = std::make_shared<Args>();
    common::cli::Command cmd("recv-db", "Fetch the receiver's database into a file (Upload DB)");
    cmd.positional("file", a->path, "the .ird file to write");
    cmd.option("--port", a->port, "serial device path or COMn").required();
    force_flag(cmd, a->force);
    cmd.run = [a] { return run_recv_db(a->path, a->port, a->force); };
    return cmd;
}};

} // namespace cmd_recv_db
