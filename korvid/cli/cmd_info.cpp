// korvid-cli info FILE.ird: what a database file holds, in a few lines.
#include "common/cli/command.h"
#include "common/printable.h"
#include "korvid/database/ird_file.h"

#include <cstdio>
#include <cstring>
#include <memory>

// Named rather than anonymous: the program's files are compiled together, and names must not meet.
namespace cmd_info {

using namespace korvid;

int count_used_satellites(const Database& db)
{
    int n = 0;
    for (const auto& s : db.satellites)
        n += s.sat_id != INVALID_SATID;
    return n;
}

int count_used_transponders(const Database& db)
{
    int n = 0;
    for (const auto& t : db.transponders)
        n += t.sat_id != INVALID_SATID;
    return n;
}

int count_channels(const Database& db, int type)
{
    int n = 0;
    for (int i = first_slot_of(type); i < first_slot_of(type) + slot_count_of(type); ++i)
        n += db.channels[i].tp_index != INVALID_TPID;
    return n;
}

int count_favourites(const Database& db, int group, int type)
{
    int n = 0;
    const uint16_t* list = db.fav_list(group, type);
    for (int i = 0; i < MAX_FAVCHAN_NUM; ++i)
        n += list[i] != INVALID_FAVENTRY;
    return n;
}

int run_info(const std::string& path)
{
    const DatabaseFile file = read_database_file(path);
    if (!file.db) {
        std::fprintf(stderr, "%s\n", common::printable_lines(file.message).c_str());
        return 1;
    }
    const Database* db = file.db.get();
    // The codes come first, also for a file whose system code is wrong: they are what tells why.
    std::printf("File:           %s\n", common::printable(path).c_str());
    std::printf("Buyer code:     0x%04X\n", file.buyer);
    std::printf("Model code:     0x%04X\n", file.model);
    std::printf("System code:    0x%04X\n", db->system.syscode);
    if (!file.ok()) {
        std::fprintf(stderr, "%s\n", common::printable_lines(file.message).c_str());
        return 1;
    }
    std::printf("Satellites:     %d of %d slots\n", count_used_satellites(*db), MAX_SAT_NUM);
    std::printf("Transponders:   %d of %d slots\n", count_used_transponders(*db), MAX_TP_NUM);
    std::printf("TV channels:    %d of %d\n", count_channels(*db, SERVICE_TV), MAX_TV_CHAN_NUM);
    std::printf("Radio channels: %d of %d\n", count_channels(*db, SERVICE_RADIO), MAX_RADIO_CHAN_NUM);
    for (int g = 0; g < MAX_FAVGROUP_NUM; ++g) {
        char name[MAX_FAVNAME_LEN + 1] = {};
        std::memcpy(name, db->fav_names[g], MAX_FAVNAME_LEN);
        std::printf("Favourites %d:   TV %d, radio %d  (%s)\n", g + 1, count_favourites(*db, g, SERVICE_TV),
                    count_favourites(*db, g, SERVICE_RADIO), common::printable(name).c_str());
    }
    return 0;
}

const common::cli::Registration reg{[] {
    auto path = std::make_shared<std::string>();
    common::cli::Command cmd("info", "Show the codes and the counts of a database file");
    cmd.positional("file", *path, "the .ird file");
    cmd.run = [path] { return run_info(*path); };
    return cmd;
}};

} // namespace cmd_info
