#include "korvid/cli/db_transfer_run.h"

#include "korvid/cli/interruptible_wait.h"
#include "korvid/link/transfer/transfer_times.h"

#include <cstdio>

namespace korvid {

std::optional<DbRun>
run_db_transfer(DbTransfer& transfer, ConsoleReport& report, const PortChoice& port, DbDirection direction)
{
    LineOpener open = port_choice_opener(port, &report);
    auto test_port = [&] { return open() != nullptr; };
    bool prepared = direction == DbDirection::Send ? transfer.prepare_send(test_port)
                                                   : transfer.prepare_receive(test_port);
    if (!prepared)
        return std::nullopt;
    auto line = open();
    if (!line) {
        transfer.finish();
        return std::nullopt;
    }
    report.set_expected(expected_time_figures(transfer.image_size()));
    std::printf("%s\n", transfer.expected_text().c_str());
    SteadyLinkClock clock;
    if (!transfer.start(std::move(line), clock, report)) {
        transfer.finish();
        return std::nullopt;
    }
    DbRun run;
    run.interrupted =
        wait_watching_interrupt([&](uint32_t ms) { return transfer.wait(ms); }, [&] { transfer.cancel(); });
    if (run.interrupted)
        transfer.wait(60000);
    run.outcome = transfer.finish();
    report.end_progress();
    if (run.interrupted)
        std::fprintf(stderr, "Cancelled\n");
    return run;
}

} // namespace korvid
