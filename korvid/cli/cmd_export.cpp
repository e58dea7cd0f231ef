// korvid-cli export FILE.ird OUT.txt: the factory tables of a database file, as "Save Channels..."
// writes them.
#include "common/cli_commands.h"
#include "korvid/database/channel_export.h"
#include "korvid/database/ird_file.h"

#include <cstdio>
#include <memory>

namespace {

using namespace korvid;

int run_export(const std::string& in, const std::string& out)
{
    std::vector<uint8_t> buffer;
    IrdLoad loaded = load_ird_file(in, buffer);
    if (loaded != IrdLoad::Ok) {
        std::fprintf(stderr, "%s\n", ird_load_message(loaded, in).c_str());
        return 1;
    }
    auto db = std::make_unique<Database>();
    uint16_t buyer = 0, model = 0;
    read_database(*db, buffer.data(), buyer, model);
    ChannelExport result = write_channel_tables_file(*db, out);
    if (result != ChannelExport::Ok) {
        std::fprintf(stderr, "%s\n", channel_export_message(result, out).c_str());
        return 1;
    }
    return 0;
}

common::CliCommandRegistration reg{{[](CLI::App& app) {
    auto* cmd = app.add_subcommand("export", "Write the factory tables of a database file as source text");
    auto in = std::make_shared<std::string>();
    auto out = std::make_shared<std::string>();
    cmd->add_option("file", *in, "the .ird file")->required();
    cmd->add_option("out", *out, "the text file to write")->required();
    return std::function<int()>([in, out] { return run_export(*in, *out); });
}}};

} // namespace
