// korvid-cli send-db FILE.ird --port PORT: sends a database file to the receiver.
#include "common/cli/command.h"
#include "common/printable.h"
#include "korvid/cli/console_report.h"
#include "korvid/cli/db_transfer_run.h"
#include "korvid/database/codes.h"
#include "korvid/database/ird_file.h"
#include "korvid/link/transfer/db_transfer.h"

#include <cstdio>
#include <memory>
#include <unistd.h>

// Named rather than anonymous: the program's files are compiled together, and names must not meet.
namespace cmd_send_db {

using namespace korvid;

// Exit codes as in every command (README.md): 0 done, 1 a failure, 2 usage, 130 interrupted.
int run_send_db(const std::string& path, const std::string& port_arg, int max_refusals, bool force)
{
    PortChoice port = parse_port_argument(port_arg);
    if (!port.valid) {
        std::fprintf(stderr, "--port takes a device path or COMn, not \"%s\"\n",
                     common::printable(port_arg).c_str());
        return 2;
    }
    DatabaseFile file = read_database_file(path);
    if (!file.db) {
        std::fprintf(stderr, "%s\n", common::printable_lines(file.message).c_str());
        return 1;
    }
    if (!file.ok()) {
        // The window's words for a dropped file with a wrong system code come first.
        std::fprintf(stderr, "syscode case 4(0x%04x)\n%s\n", file.db->system.syscode,
                     common::printable_lines(file.message).c_str());
        return 1;
    }
    g_BuyerCode = file.buyer;
    g_ModelCode = file.model;

    ConsoleReport report(stdout, stderr, ::isatty(STDERR_FILENO));
    CKorvidDoc doc(*file.db, report);
    DbTransfer transfer(doc, report);
    transfer.set_max_refusals(uint32_t(max_refusals));
    // Damage is sent only when asked for; notes are check's business.
    report.set_answer(force, " (--force sends it all the same)");
    auto run = run_db_transfer(transfer, report, port, DbDirection::Send);
    if (!run)
        return 1;
    if (run->interrupted)
        return 130;
    DbTransferOutcome outcome = run->outcome;
    if (outcome == DbTransferOutcome::Complete)
        return 0;
    std::string text = report.failure();
    std::fprintf(stderr, "%s\n",
                 text.empty() ? db_outcome_text(outcome) : common::printable_lines(text).c_str());
    return 1;
}

struct Args
{
    std::string path, port;
    int max_refusals = UNATTENDED_MAX_REFUSALS;
    bool force = false;
};

const common::cli::Registration reg{[] {
    auto a = std::make_shared<Args>();
    common::cli::Command cmd("send-db", "Send a database file to the receiver (Download DB)");
    cmd.positional("file", a->path, "the .ird file to send");
    cmd.option("--port", a->port, "serial device path or COMn").required();
    cmd.option("--max-refusals", a->max_refusals,
               "give up when the receiver refuses one packet N times (0: never)")
        .shown_default("64")
        .range(0, 1000000);
    cmd.flag("--force", a->force, "send a database the check finds damaged");
    cmd.run = [a] { return run_send_db(a->path, a->port, a->max_refusals, a->force); };
    return cmd;
}};

} // namespace cmd_send_db
