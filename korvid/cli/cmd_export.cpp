// korvid-cli export FILE.ird OUT.txt: the factory tables of a database file, as "Save Channels..."
// writes them.
#include "common/cli/command.h"
#include "common/printable.h"
#include "korvid/cli/force_option.h"
#include "korvid/database/channel_export.h"
#include "korvid/database/ird_file.h"

#include <cstdio>
#include <memory>

// Named rather than anonymous: the program's files are compiled together, and names must not meet.
namespace cmd_export {

using namespace korvid;

int run_export(const std::string& in, const std::string& out, bool force)
{
    std::vector<uint8_t> buffer;
    std::string reason;
    if (load_ird_file(in, buffer, &reason) != IrdLoad::Ok) {
        std::fprintf(stderr, "%s\n", common::printable_lines(ird_load_report(in, reason)).c_str());
        return 1;
    }
    auto db = std::make_unique<Database>();
    uint16_t buyer = 0, model = 0;
    read_database(*db, buffer.data(), buyer, model);
    ChannelExport result = write_channel_tables_file(*db, out, &reason, force_options(force));
    if (result == ChannelExport::CannotCreate) {
        std::fprintf(stderr, "%s\n%s: %s\n",
                     common::printable_lines(channel_export_message(result, out)).c_str(),
                     common::printable(out).c_str(), reason.c_str());
        print_force_hint(reason);
        return 1;
    }
    if (result != ChannelExport::Ok) {
        std::fprintf(stderr, "%s\n", common::printable_lines(channel_export_message(result, out)).c_str());
        return 1;
    }
    return 0;
}

struct Args
{
    std::string in, out;
    bool force = false;
};

const common::cli::Registration reg{[] {
    auto a = std::make_shared<Args>();
    common::cli::Command cmd("export", "Write the factory tables of a database file as source text");
    cmd.positional("file", a->in, "the .ird file");
    cmd.positional("out", a->out, "the text file to write");
    force_flag(cmd, a->force);
    cmd.run = [a] { return run_export(a->in, a->out, a->force); };
    return cmd;
}};

} // namespace cmd_export
