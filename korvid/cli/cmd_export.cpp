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
    const DatabaseFile file = read_database_file(in);
    if (!file.ok()) {
        std::fprintf(stderr, "%s\n", common::printable_lines(file.message).c_str());
        return 1;
    }
    std::string reason;
    ChannelExport result = write_channel_tables_file(*file.db, out, &reason, force_options(force));
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

const common::cli::Registration reg{[] {
    return file_to_file_command("export", "Write the factory tables of a database file as source text",
                                "file", "the .ird file", "the text file to write", run_export);
}};

} // namespace cmd_export
