// korvid-cli flash CODEFILE --port PORT [--boot | --ota] [--dn]: sends receiver software.
#include "common/cli/command.h"
#include "common/printable.h"
#include "common/strfmt.h"
#include "korvid/cli/console_report.h"
#include "korvid/cli/interruptible_wait.h"
#include "korvid/database/codes.h"
#include "korvid/link/transfer/software_download.h"
#include "korvid/link/transfer/transfer_times.h"

#include <cstdio>
#include <memory>
#include <unistd.h>

// Named rather than anonymous: the program's files are compiled together, and names must not meet.
namespace cmd_flash {

using namespace korvid;

struct FlashArgs
{
    std::string file;
    std::string port;
    bool boot = false;
    bool ota = false;
    bool dn = false;
    int max_refusals = UNATTENDED_MAX_REFUSALS;
};

// Exit codes as in every command (README.md): 0 "Transfer Complete..", 1 a failure (the file, the
// port or the transfer), 2 usage, 130 interrupted.
int run_flash(const FlashArgs& a)
{
    PortChoice port = parse_port_argument(a.port);
    if (!port.valid) {
        std::fprintf(stderr, "--port takes a device path or COMn, not \"%s\"\n",
                     common::printable(a.port).c_str());
        return 2;
    }
    ConsoleReport report(stdout, stderr, ::isatty(STDERR_FILENO));
    SteadyLinkClock clock;
    SoftwareDownload download(report, report, clock);
    download.set_boxes(a.ota, a.boot, a.dn);
    download.set_max_refusals(uint32_t(a.max_refusals));
    if (!download.open_chosen(a.file) || !download.take_file(a.file))
        return 1;
    std::printf("%s: %u bytes, buyer 0x%04X, model 0x%04X, expected %s\n", common::printable(a.file).c_str(),
                download.code_size(), g_BuyerCode, g_ModelCode,
                expected_time_figures(download.code_size()).c_str());
    std::fflush(stdout);
    switch (download.start(port_choice_opener(port, &report))) {
    case SoftwareDownload::Start::Started:
        break;
    default:
        return 1;
    }
    bool interrupted =
        wait_watching_interrupt([&](uint32_t ms) { return download.wait(ms); }, [&] { download.stop(); });
    if (interrupted)
        download.wait(60000);
    report.end_progress();
    if (interrupted) {
        std::fprintf(stderr, "Cancelled\n");
        return 130;
    }
    ExchangeResult r = download.result();
    if (r.outcome == ExchangeOutcome::Complete)
        return 0;
    std::string text = report.failure();
    if (text.empty())
        text = r.outcome == ExchangeOutcome::SoftwareIncomplete
                   ? common::strfmt("Transfer incomplete: %u of %u bytes", r.offset, download.code_size())
                   : "Transfer not complete";
    std::fprintf(stderr, "%s\n", common::printable_lines(text).c_str());
    return 1;
}

const common::cli::Registration reg{[] {
    auto a = std::make_shared<FlashArgs>();
    common::cli::Command cmd("flash", "Send receiver software (a code file) to the receiver");
    cmd.positional("file", a->file, "the code file (.mem, .comp)");
    cmd.option("--port", a->port, "serial device path or COMn").required();
    cmd.flag("--boot", a->boot, "boot software").excludes("--ota");
    cmd.flag("--ota", a->ota, "over-the-air software").excludes("--boot");
    cmd.flag("--dn", a->dn, "send even when the receiver's buyer/model codes differ");
    cmd.option("--max-refusals", a->max_refusals,
               "give up when the receiver refuses one packet N times (0: never)")
        .shown_default("64")
        .range(0, 1000000);
    cmd.run = [a] { return run_flash(*a); };
    return cmd;
}};

} // namespace cmd_flash
