#include "korvid/database/channel_export.h"

#include "common/file_replacement/atomic_file.h"
#include "common/prompts.h"
#include "common/strfmt.h"

#include <iterator>

namespace korvid {

namespace {

using common::appendf;

// "0x%02x" and "0x%04x" without printf: the extended-audio table alone has 42,588 of them.
void put_hex2(std::string& out, unsigned v)
{
    char b[4] = {'0', 'x', common::HEX_DIGITS[(v >> 4) & 15], common::HEX_DIGITS[v & 15]};
    out.append(b, 4);
}

void put_hex4(std::string& out, unsigned v)
{
    char b[6] = {'0',
                 'x',
                 common::HEX_DIGITS[(v >> 12) & 15],
                 common::HEX_DIGITS[(v >> 8) & 15],
                 common::HEX_DIGITS[(v >> 4) & 15],
                 common::HEX_DIGITS[v & 15]};
    out.append(b, 6);
}

// A string as "\x%02x" escapes, up to its first NUL or `limit` bytes. Returns the bytes written.
int put_escaped(std::string& out, const uint8_t* s, int limit)
{
    int n = 0;
    while (n < limit && s[n] != 0) {
        char b[4] = {'\\', 'x', common::HEX_DIGITS[s[n] >> 4], common::HEX_DIGITS[s[n] & 15]};
        out.append(b, 4);
        ++n;
    }
    return n;
}

void put_header(std::string& out, const char* declaration)
{
    static const std::string rule = "/" + std::string(112, '*') + "/\n";
    out += rule;
    out += declaration;
    out += '\n';
    out += rule;
}

void put_footer(std::string& out)
{
    out += "};\n\n";
}

const char* lnb_type_column(uint8_t type)
{
    static const char* const names[] = {
        "UNI_LNB,\t\t",    "SINGLE_5150,\t",  "SINGLE_9750,\t",  "SINGLE_10000,\t", "SINGLE_10050,\t",
        "SINGLE_10600,\t", "SINGLE_10750,\t", "SINGLE_11200,\t", "SINGLE_11475,\t",
    };
    return type < std::size(names) ? names[type] : "USER_DEFINE,\t";
}

// A satellite id names a satellite in use. Ids come from the file, so anything from 0 to 255 may
// stand there; an id past the table names nothing rather than a byte beyond it.
bool satellite_in_use(const Database& db, uint8_t sat_id)
{
    return sat_id != INVALID_SATID && sat_id < MAX_SAT_NUM && db.satellites[sat_id].sat_id != INVALID_SATID;
}

bool transponder_valid(const Database& db, int tp)
{
    return satellite_in_use(db, db.transponders[tp].sat_id);
}

bool channel_exported(const Database& db, int slot)
{
    uint16_t tp = db.channels[slot].tp_index;
    return tp != INVALID_TPID && tp < MAX_TP_NUM && transponder_valid(db, tp);
}

void put_satellites(const Database& db, std::string& out)
{
    put_header(out, "const tSatellite Factory_SatInfo[] = {");
    for (int s = 0; s < SAT_HALF_NUM; ++s) {
        const tSatellite& sat = db.satellites[s];
        appendf(out, "\t{ %5d,\t%5d,\t0x%02x,\t%s", sat.lnb_freq_high, sat.lnb_freq_low, sat.lnb_control,
                lnb_type_column(sat.lnb_type));
        appendf(out, "0x%02x,\t%2d,\t%2d,\t", sat.DiSEqC_Cfg, sat.DiSEqC_idx, sat.tuner_connection);
        if (sat.sat_id == INVALID_SATID)
            out += "INVALID_SATID,\t";
        else
            appendf(out, "%13d,\t", sat.sat_id);
        appendf(out, "%4d,\t", sat.position);
        // Only the stored-position mode travels; the motor and Usals bits are set up on the box.
        bool stored = (sat.positioner & 0x03) == 2;
        appendf(out, "0x%02x,\t%2d,\t", stored ? 2 : 0, stored ? sat.positioner_position : 0);
        appendf(out, "%2d,\t0", sat.carried14);
        out += s == SAT_HALF_NUM - 1 ? " }\n" : " },\n";
    }
    put_footer(out);
}

void put_satellite_names(const Database& db, std::string& out)
{
    put_header(out, "const UI8 Factory_SatName[][MAX_SATNAME_LEN+1] = {");
    for (int s = 0; s < SAT_HALF_NUM; ++s) {
        out += "\t\"";
        if (db.satellites[s].sat_id != INVALID_SATID)
            put_escaped(out, reinterpret_cast<const uint8_t*>(db.sat_names[s]), MAX_SATNAME_LEN + 1);
        out += s == SAT_HALF_NUM - 1 ? "\"\n" : "\",\n";
    }
    put_footer(out);
}

void put_transponders(const Database& db, std::string& out)
{
    put_header(out, "const tTransponder Factory_TPInfo[] = {");
    int last = -1;
    for (int t = 0; t < TP_HALF_NUM; ++t)
        if (transponder_valid(db, t))
            last = t;
    for (int t = 0; t <= last; ++t) {
        const tTransponder& tp = db.transponders[t];
        if (transponder_valid(db, t))
            appendf(out, "\t{ %13d,\t%d,\t%5d,\t%5d,\t%d,\t%d,\t0x%02x,\t0x%02x }, // %05d\n", tp.sat_id,
                    tp.carried1, tp.symbol_rate, tp.frequency, tp.sr_offset, tp.polarisation, tp.fec,
                    tp.carried9, t);
        else
            appendf(out,
                    "\t{ "
                    "INVALID_SATID,\t%d,\t%5d,\t%5d,\tSROFFSET_DEFAULT,\tLNB_POL_VERTICAL,\tFEC_AUTOMATIC,\t%"
                    "d }, "
                    "// %05d\n",
                    0, 0, 0, 0, t);
    }
    put_footer(out);
}

void put_channels(const Database& db, int type, std::string& out)
{
    put_header(out, type == SERVICE_TV ? "const static tChannelStructure Factory_ChanInfoTV[] = {"
                                       : "const static tChannelStructure Factory_ChanInfoRadio[] = {");
    int first = first_slot_of(type);
    for (int i = 0; i < slot_count_of(type); ++i) {
        if (!channel_exported(db, first + i))
            continue;
        const tChannelStructure& ch = db.channels[first + i];
        out += "\t{ ";
        put_hex4(out, ch.tp_index);
        out += ", ";
        put_hex4(out, ch.service_id);
        out += ", {";
        const uint16_t pids[7] = {ch.audio_pid[0], ch.audio_pid[1], ch.audio_pid[2], ch.audio_pid[3],
                                  ch.video_pid,    ch.pcr_pid,      ch.ttx_pid};
        for (int p = 0; p < 7; ++p) {
            put_hex4(out, pids[p]);
            if (p < 6)
                out += ", ";
        }
        out += "}, ";
        put_hex2(out, ch.attributes);
        out += ", ";
        put_hex2(out, ch.fav_membership);
        out += ", {";
        for (int l = 0; l < AUDIO_PID_NUM; ++l) {
            put_hex2(out, ch.audio_lang[l]);
            if (l < AUDIO_PID_NUM - 1)
                out += ", ";
        }
        out += "}, \"";
        int len = put_escaped(out, ch.name, CHAN_NAME_LEN);
        out += "\", ";
        // Four spaces per missing byte: one escape is four characters, so the columns line up.
        out.append(size_t(CHAN_NAME_LEN - len) * 4, ' ');
        put_hex4(out, ch.carried_pid);
        out += ", ";
        put_hex4(out, ch.ext_audio_index);
        out += ", ";
        put_hex2(out, ch.ci_marker);
        appendf(out, ", 0 }, // %05d\n", i);
    }
    put_footer(out);
}

void put_extended_audio(const Database& db, std::string& out)
{
    put_header(out, "const extend_audio Factory_ExAudio[MAX_EXAUD_NUM] = {");
    for (int r = 0; r < MAX_EXAUD_NUM; ++r) {
        const extend_audio& ea = db.ext_audio[r];
        out += "\t{ {";
        for (int p = 0; p < MAX_EXAUD_PIDS; ++p) {
            put_hex4(out, ea.pid[p]);
            if (p < MAX_EXAUD_PIDS - 1)
                out += ", ";
        }
        out += "}, {";
        for (int p = 0; p < MAX_EXAUD_PIDS; ++p) {
            put_hex2(out, ea.pid_byte[p]);
            if (p < MAX_EXAUD_PIDS - 1)
                out += ", ";
        }
        out += "}, ";
        put_hex2(out, ea.count);
        out += ", ";
        put_hex2(out, ea.in_use);
        out += r == MAX_EXAUD_NUM - 1 ? " }\n" : " },\n";
    }
    put_footer(out);
}

// An entry goes out only when the channel it names really is in that group: the receiver trusts
// its factory lists, so a stale entry would put a wrong or empty channel in the list.
bool favourite_exported(const Database& db, int group, int type, uint16_t entry)
{
    if (entry == INVALID_FAVENTRY || entry >= slot_count_of(type))
        return false;
    int slot = first_slot_of(type) + entry;
    const tChannelStructure& ch = db.channels[slot];
    return ch.tp_index != INVALID_TPID && (ch.fav_membership & CH_FAV_MEMBER) &&
           (ch.fav_membership & (1u << group));
}

void put_favourite_index(const Database& db, std::string& out)
{
    put_header(out, "const UI16 Factory_FavIndex[] = {");
    constexpr int total = FAV_LIST_NUM * MAX_FAVCHAN_NUM;
    for (int i = 0; i < total; ++i) {
        if (i > 0)
            out += ", ";
        if (i % 16 == 0) {
            if (i > 0)
                appendf(out, " // %04d\n", i);
            out += '\t';
        }
        int group = i / (2 * MAX_FAVCHAN_NUM);
        int type = (i / MAX_FAVCHAN_NUM) % 2;
        uint16_t entry = db.fav_list(group, type)[i % MAX_FAVCHAN_NUM];
        if (favourite_exported(db, group, type, entry))
            put_hex4(out, entry);
        else
            out += "0xffff";
    }
    appendf(out, " // %04d\n", total);
    put_footer(out);
}

void put_favourite_names(const Database& db, std::string& out)
{
    put_header(out, "const char *FactoryFavNames[MAX_FAVGROUP_NUM] = {");
    for (int g = 0; g < MAX_FAVGROUP_NUM; ++g) {
        out += "\t\"";
        put_escaped(out, db.fav_names[g], MAX_FAVNAME_LEN);
        out += g == MAX_FAVGROUP_NUM - 1 ? "\"\n" : "\",\n";
    }
    put_footer(out);
}

} // namespace

void export_channel_tables(const Database& db, std::string& out)
{
    put_satellites(db, out);
    put_satellite_names(db, out);
    put_transponders(db, out);
    put_channels(db, SERVICE_TV, out);
    put_channels(db, SERVICE_RADIO, out);
    put_extended_audio(db, out);
    put_favourite_index(db, out);
    put_favourite_names(db, out);
}

std::string export_channel_tables(const Database& db)
{
    std::string out;
    out.reserve(1u << 20);
    export_channel_tables(db, out);
    return out;
}

ChannelExport write_channel_tables_file(const Database& db,
                                        const std::string& path,
                                        std::string* reason,
                                        const common::WriteTargetOptions& options)
{
    if (!db.is_valid())
        return ChannelExport::WrongSyscode;
    std::string text = export_channel_tables(db);
    if (!common::write_file_atomically(path, text.data(), text.size(), reason, options))
        return ChannelExport::CannotCreate;
    return ChannelExport::Ok;
}

std::string channel_export_message(ChannelExport result, const std::string& path)
{
    switch (result) {
    case ChannelExport::Ok:
        break;
    case ChannelExport::WrongSyscode:
        return "Wrong DB : syscode";
    case ChannelExport::CannotCreate:
        return common::strfmt("the file, %s, could not be created", path.c_str());
    }
    return {};
}

int save_channel_tables(const Database& db, const std::string& path, common::Prompts& prompts)
{
    prompts.set_busy(true);
    ChannelExport result = write_channel_tables_file(db, path);
    prompts.set_busy(false);
    if (result == ChannelExport::Ok)
        return 1;
    prompts.error(channel_export_message(result, path));
    return 0;
}

common::FileDialogSpec channel_export_dialog()
{
    common::FileDialogSpec dialog;
    dialog.default_extension = "txt";
    dialog.filter = "All Files (*.txt)|*.*||";
    dialog.prompt_overwrite = true;
    return dialog;
}

int save_channels_command(const Database& db, bool on_editor_page, common::Prompts& prompts)
{
    if (!on_editor_page || !db.present)
        return 0;
    auto path = prompts.save_file(channel_export_dialog());
    if (!path)
        return 0;
    return save_channel_tables(db, *path, prompts);
}

} // namespace korvid
