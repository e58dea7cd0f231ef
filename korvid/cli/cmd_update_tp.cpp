// korvid-cli update-tp DB.ird --satellite NAME|POSITION [--from FILE] [--apply] [-o OUT.ird]: a
// satellite's transponders brought up to date from a scan table or a satellites.xml, as "Update
// Transponders..." on the editor's "SAT" page does it. Without --apply it only says what would change.
#include "common/cli/command.h"
#include "common/printable.h"
#include "common/strfmt.h"
#include "korvid/cli/force_option.h"
#include "korvid/database/ird_file.h"
#include "korvid/database/satellite_texts.h"
#include "korvid/database/slots.h"
#include "korvid/database/transponder_list.h"
#include "korvid/editor/transponder_update.h"

#include <cctype>
#include <cstdio>
#include <memory>
#include <strings.h>

// Named rather than anonymous: the program's files are compiled together, and names must not meet.
namespace cmd_update_tp {

using namespace korvid;

// As diff: 0 nothing to change (or, with --apply, written), 1 there is something to change, 2 a
// wrong command line or input that cannot be used.
constexpr int NOTHING_TO_CHANGE = 0;
constexpr int CHANGES = 1;
constexpr int UNUSABLE = 2;

int fail(const std::string& message)
{
    std::fprintf(stderr, "%s\n", common::printable_lines(message).c_str());
    return UNUSABLE;
}

// "13.0E", "13E", "30.5w": tenths of a degree; false when the text is no position.
bool parse_position(const std::string& text, int& position)
{
    if (text.size() < 2)
        return false;
    const char side = char(std::toupper(static_cast<unsigned char>(text.back())));
    std::string number = text.substr(0, text.size() - 1);
    if ((side != 'E' && side != 'W') || number.empty())
        return false;
    if (number.find('.') == std::string::npos)
        number += ".0";
    int16_t tenths = 0;
    // The satellite dialog's own reading of a degree, "013.0E".
    if (!parse_degree(number + char(side), tenths) || !std::isdigit(static_cast<unsigned char>(number[0])))
        return false;
    position = tenths;
    return true;
}

// The first-half slot the user means: a name as the pages show it (letter case ignored when no
// name matches exactly), or a position (the nearest satellite within 0.2 degrees). -1 with a message.
int find_satellite(const Database& db, const std::string& wanted, std::string& message)
{
    int position = 0;
    const bool by_position = parse_position(wanted, position);
    int found = -1, found_distance = SOURCE_POSITION_TOLERANCE + 1, ties = 0;
    for (int s = 0; s < SAT_HALF_NUM; ++s) {
        if (!satellite_used(db, s))
            continue;
        if (by_position) {
            const int d = position_distance(db.satellites[s].position, position);
            if (d < found_distance) {
                found = s;
                found_distance = d;
                ties = 0;
            } else if (d == found_distance) {
                ++ties;
            }
        } else if (satellite_name(db, s) == wanted) {
            return s;
        }
    }
    if (!by_position)
        for (int s = 0; s < SAT_HALF_NUM && found < 0; ++s)
            if (satellite_used(db, s) && strcasecmp(satellite_name(db, s).c_str(), wanted.c_str()) == 0)
                found = s;
    if (found >= 0 && ties > 0) {
        message =
            "more than one satellite is at " + position_text(position) + "; name it with --satellite NAME";
        return -1;
    }
    if (found < 0)
        message = by_position
                      ? "no satellite of the database is within 0.2 degrees of " + position_text(position)
                      : "the database has no satellite named \"" + wanted + "\"";
    return found;
}

struct Args
{
    std::string db, satellite, from, out;
    bool apply = false, all = false, force = false;
};

int run_update_tp(const Args& a)
{
    DatabaseFile file = read_database_file(a.db);
    if (!file.ok())
        return fail(file.message);
    const std::unique_ptr<Database> db = std::move(file.db);
    std::string message;
    const int slot = find_satellite(*db, a.satellite, message);
    if (slot < 0)
        return fail(a.db + ": " + message);
    const std::string name = satellite_name(*db, slot);
    const int position = db->satellites[slot].position;

    std::string path = a.from;
    if (path.empty()) {
        path = find_scan_table(DEFAULT_SCAN_TABLE_FOLDER, position);
        if (path.empty())
            return fail(common::strfmt("no scan table in %s is at %s; name a list with --from FILE",
                                       DEFAULT_SCAN_TABLE_FOLDER, position_text(position).c_str()));
    }
    TransponderList list;
    if (!read_transponder_list(path, list, message))
        return fail(message);
    const int source = choose_source_satellite(list, position, name);
    if (source < 0)
        return fail(common::strfmt("%s lists no satellite within 0.2 degrees of %s, nor one named \"%s\"",
                                   path.c_str(), position_text(position).c_str(), name.c_str()));

    TransponderUpdatePlan plan = plan_transponder_update(*db, slot, list.satellites[size_t(source)]);
    if (a.all)
        for (TransponderChange& c : plan.changes)
            c.ticked = true;
    std::printf("%s from %s (%s, %d transponders, %d already as listed)\n", common::printable(name).c_str(),
                common::printable(plan.source_name).c_str(), position_text(plan.source_position).c_str(),
                plan.source_count, plan.unchanged);
    for (const TransponderChange& c : plan.changes)
        std::printf("%s %s\n", c.ticked ? "[x]" : "[ ]", transponder_change_line(c).c_str());
    for (const std::string& why : plan.left_out)
        std::printf("not offered: %s\n", common::printable(why).c_str());
    if (plan.changes.empty())
        return NOTHING_TO_CHANGE;
    if (!a.apply)
        return CHANGES;

    const TransponderUpdateResult result = apply_transponder_update(*db, plan);
    std::printf("%s\n", transponder_update_summary(result).c_str());
    const std::string out = a.out.empty() ? a.db : a.out;
    std::string reason;
    if (!write_database_file(*db, file.buyer, file.model, out, &reason, force_options(a.force))) {
        fail(ird_save_report(out, reason));
        print_force_hint(reason);
        return UNUSABLE;
    }
    return NOTHING_TO_CHANGE;
}

const common::cli::Registration reg{[] {
    auto a = std::make_shared<Args>();
    common::cli::Command cmd("update-tp",
                             "Update a satellite's transponders from a scan table or satellites.xml: exit 0 "
                             "nothing to change (or written), 1 changes to make, 2 unusable input");
    cmd.positional("file", a->db, "the .ird file");
    cmd.option("--satellite", a->satellite, "the satellite: its name, or its position such as 13.0E or 30.0W")
        .required();
    cmd.option("--from", a->from,
               std::string("the list: a satellites.xml or a scan table (default: the one in ") +
                   DEFAULT_SCAN_TABLE_FOLDER + " at the satellite's position)");
    cmd.flag("--apply", a->apply, "store the changes marked [x] and write the database");
    cmd.flag("--all", a->all, "mark every change, DVB-S2 entries and transponders with channels too");
    cmd.option("-o,--output", a->out, "the .ird file to write (default: the one read)");
    force_flag(cmd, a->force);
    cmd.run = [a] { return run_update_tp(*a); };
    return cmd;
}};

} // namespace cmd_update_tp
