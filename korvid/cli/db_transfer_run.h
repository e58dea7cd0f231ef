#pragma once
// The part of send-db and recv-db that is the same: open the port, run the prepared transfer on
// its worker with the terminal report, and let Ctrl-C cancel it cleanly.
#include "korvid/cli/console_report.h"
#include "korvid/link/transfer/db_transfer.h"
#include "korvid/link/transfer/port_opening.h"

#include <optional>

namespace korvid {

enum class DbDirection
{
    Send,
    Receive
};

struct DbRun
{
    DbTransferOutcome outcome = DbTransferOutcome::NotRun;
    bool interrupted = false;
};

// nullopt when the transfer never started (its message has been shown).
std::optional<DbRun>
run_db_transfer(DbTransfer& transfer, ConsoleReport& report, const PortChoice& port, DbDirection direction);

} // namespace korvid
