// korvid-cli recv-db OUT.ird --port PORT: fetches the receiver's database into a file.
#include "common/cli_commands.h"
#include "korvid/cli/db_transfer_run.h"
#include "korvid/database/codes.h"
#include "korvid/link/transfer/console_report.h"
#include "korvid/link/transfer/db_transfer.h"

#include <unistd.h>

#include <cstdio>
#include <memory>

namespace {

using namespace korvid;

// Exit codes: 0 written, 1 the transfer failed or the image is not a database, 2 usage or file
// errors, 130 interrupted. OUT.ird is written only for a whole image that passes the check.
int run_recv_db(const std::string& path, const std::string& port_arg)
{
    PortChoice port = parse_port_argument(port_arg);
    if (!port.valid) {
        std::fprintf(stderr, "--port takes a device path or COMn, not \"%s\"\n", port_arg.c_str());
        return 2;
    }
    auto db = std::make_unique<Database>();
    db->clear();
    ConsoleReport report(stdout, stderr, ::isatty(STDERR_FILENO));
    report.set_save_path(path);
    CKorvidDoc doc(*db, report);
    DbTransfer transfer(doc, report);
    auto run = run_db_transfer(transfer, report, port, DbDirection::Receive);
    if (!run)
        return 1;
    if (run->interrupted)
        return 130;
    DbTransferOutcome outcome = run->outcome;
    switch (outcome) {
    case DbTransferOutcome::Complete:
        std::printf("Saved %s (buyer 0x%04X, model 0x%04X)\n", path.c_str(), g_BuyerCode, g_ModelCode);
        return 0;
    case DbTransferOutcome::SaveFailed:
        // The message has been printed; the image itself arrived.
        return 2;
    case DbTransferOutcome::WrongSyscode:
    case DbTransferOutcome::Damaged:
        return 1; // the message has been printed; nothing was written
    default:
        break;
    }
    std::string text = report.failure();
    std::fprintf(stderr, "%s\n", text.empty() ? db_outcome_text(outcome) : text.c_str());
    return 1;
}

common::CliCommandRegistration reg{{[](CLI::App& app) {
    auto* cmd = app.add_subcommand("recv-db", "Fetch the receiver's database into a file (Upload DB)");
    auto path = std::make_shared<std::string>();
    auto port = std::make_shared<std::string>();
    cmd->add_option("file", *path, "the .ird file to write")->required();
    cmd->add_option("--port", *port, "serial device path or COMn")->required();
    return std::function<int()>([path, port] { return run_recv_db(*path, *port); });
}}};

} // namespace
