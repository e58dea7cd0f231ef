// korvid-cli send-db FILE.ird --port PORT: sends a database file to the receiver.
#include "common/cli_commands.h"
#include "korvid/cli/db_transfer_run.h"
#include "korvid/database/codes.h"
#include "korvid/database/ird_file.h"
#include "korvid/link/transfer/console_report.h"
#include "korvid/link/transfer/db_transfer.h"

#include <unistd.h>

#include <cstdio>
#include <memory>

namespace {

using namespace korvid;

// Exit codes: 0 done, 1 the transfer failed, 2 usage or file errors, 130 interrupted.
int run_send_db(const std::string& path, const std::string& port_arg, uint32_t max_refusals)
{
    PortChoice port = parse_port_argument(port_arg);
    if (!port.valid) {
        std::fprintf(stderr, "--port takes a device path or COMn, not \"%s\"\n", port_arg.c_str());
        return 2;
    }
    std::vector<uint8_t> buffer;
    IrdLoad loaded = load_ird_file(path, buffer);
    if (loaded != IrdLoad::Ok) {
        std::fprintf(stderr, "%s\n", ird_load_message(loaded, path).c_str());
        return 2;
    }
    auto db = std::make_unique<Database>();
    read_database(*db, buffer.data(), g_BuyerCode, g_ModelCode);
    if (!db->is_valid()) {
        std::fprintf(stderr, "syscode case 4(0x%04x)\nWrong DB : syscode\n", db->system.syscode);
        return 1;
    }
    db->present = true;

    ConsoleReport report(stdout, stderr, ::isatty(STDERR_FILENO));
    CKorvidDoc doc(*db, report);
    DbTransfer transfer(doc, report);
    transfer.set_max_refusals(max_refusals);
    auto run = run_db_transfer(transfer, report, port, DbDirection::Send);
    if (!run)
        return 1;
    if (run->interrupted)
        return 130;
    DbTransferOutcome outcome = run->outcome;
    if (outcome == DbTransferOutcome::Complete)
        return 0;
    std::string text = report.failure();
    std::fprintf(stderr, "%s\n", text.empty() ? db_outcome_text(outcome) : text.c_str());
    return 1;
}

common::CliCommandRegistration reg{{[](CLI::App& app) {
    auto* cmd = app.add_subcommand("send-db", "Send a database file to the receiver (Download DB)");
    auto path = std::make_shared<std::string>();
    auto port = std::make_shared<std::string>();
    cmd->add_option("file", *path, "the .ird file to send")->required();
    cmd->add_option("--port", *port, "serial device path or COMn")->required();
    auto refusals = std::make_shared<uint32_t>(UNATTENDED_MAX_REFUSALS);
    cmd->add_option("--max-refusals", *refusals, "give up when the receiver refuses one packet N times (0: never)")
        ->capture_default_str();
    return std::function<int()>([path, port, refusals] { return run_send_db(*path, *port, *refusals); });
}}};

} // namespace
