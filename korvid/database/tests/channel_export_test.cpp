#include "common/testing/scripted_prompts.h"
#include "common/testing/tmpfs_mount.h"
#include "korvid/database/channel_export.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <sstream>
#include <vector>

namespace {

using namespace korvid;
namespace fs = std::filesystem;

const std::string RULE = "/" + std::string(112, '*') + "/";
const std::string FIXTURE = std::string(KD_SOURCE_DIR) + "/korvid/database/tests/data/small_export.txt";

std::unique_ptr<Database> cleared_database()
{
    auto db = std::make_unique<Database>();
    db->clear();
    db->system.syscode = DB_SYSCODE_VALUE;
    db->present = true;
    return db;
}

void set_satellite(Database& db,
                   int slot,
                   uint16_t hi,
                   uint16_t lo,
                   uint8_t ctrl,
                   uint8_t type,
                   int16_t pos,
                   const char* name)
{
    tSatellite& s = db.satellites[slot];
    s.lnb_freq_high = hi;
    s.lnb_freq_low = lo;
    s.lnb_control = ctrl;
    s.lnb_type = type;
    s.sat_id = uint8_t(slot);
    s.position = pos;
    std::memset(db.sat_names[slot], 0, sizeof db.sat_names[slot]);
    std::memcpy(db.sat_names[slot], name, std::min(std::strlen(name), sizeof db.sat_names[slot]));
}

void set_transponder(
    Database& db, int slot, uint8_t sat, uint16_t freq, uint16_t sr, uint8_t pol, uint8_t fec)
{
    tTransponder& t = db.transponders[slot];
    t.sat_id = sat;
    t.frequency = freq;
    t.symbol_rate = sr;
    t.polarisation = pol;
    t.fec = fec;
    t.sr_offset = 10;
}

void set_channel(Database& db, int global, uint16_t tp, const char* name, uint8_t fav)
{
    tChannelStructure& c = db.channels[global];
    c.tp_index = tp;
    c.service_id = uint16_t(0x1000 + global);
    c.audio_pid[0] = uint16_t(0x100 + global);
    c.video_pid = global >= MAX_TV_CHAN_NUM ? INVALID_PID : uint16_t(0x200 + global);
    c.pcr_pid = c.video_pid;
    c.ttx_pid = uint16_t(TTX_PID_PRESENT | 0x300);
    c.fav_membership = fav;
    c.audio_lang[0] = 17;
    std::memset(c.name, 0, sizeof c.name);
    std::memcpy(c.name, name, std::min(std::strlen(name), sizeof c.name));
}

// A small database that touches every rule of the export: LNB types, the positioner, carried bytes,
// a second-half twin that must stay out, invalid transponders between valid ones, channels on
// transponders or satellites that are not in use, names of every length, and stale favourites.
std::unique_ptr<Database> small_database()
{
    auto db = cleared_database();
    // Astra at 19.2E: universal LNB, 0/12V on, 22 kHz by band, LNB power on.
    set_satellite(*db, 0, 10600, 9750, 0x40, UNI_LNB, 192, "Astra 1");
    db->satellites[0].DiSEqC_Cfg = 0x10;
    db->satellites[0].positioner = 0x80; // motor without a stored position: exported as 0
    set_satellite(*db, 1, 10600, 10600, 0x10, SINGLE_10600, 130, "Hotbird");
    db->satellites[1].DiSEqC_Cfg = 0x20;
    db->satellites[1].DiSEqC_idx = 3;
    db->satellites[1].tuner_connection = TUNER_LOOP;
    db->satellites[1].positioner = 0x8A; // stored position 7
    db->satellites[1].positioner_position = 7;
    db->satellites[1].carried14 = 3;
    db->satellites[1].carried15 = 9; // always exported as 0
    set_satellite(*db, 2, 11300, 10000, 0x23, 12, -300, "Telstar 11N\xe9 0123456789");
    db->sat_names[2][MAX_SATNAME_LEN] = 'Z'; // the cell's 23rd byte goes out too
    set_satellite(*db, 3, 10750, 10750, 0x00, USER_DEFINE, -50, "Eutelsat 5WB");
    set_satellite(*db, 64, 10600, 9750, 0x40, UNI_LNB, 192, "Astra 1 (T2)");
    std::strcpy(db->sat_names[5], "deleted"); // a name left in an empty slot stays out

    set_transponder(*db, 0, 0, 11494, 22000, 1, 2);
    set_transponder(*db, 1, 5, 11000, 27500, 0, 0); // satellite 5 is not in use
    set_transponder(*db, 2, 1, 10992, 27500, 0, 2);
    db->transponders[2].carried1 = -3;
    db->transponders[2].carried9 = 0xA5;
    set_transponder(*db, 3, 200, 12000, 27500, 0, 3); // an id past the satellite table
    set_transponder(*db, 4, 2, 11515, 29500, 1, 3);
    set_transponder(*db, 1638, 64, 11494, 22000, 1, 2); // twin, second half: not exported

    set_channel(*db, 0, 0, "ARD", 0x81);
    set_channel(*db, 1, 1, "Lost", 0x00);           // its transponder is invalid
    set_channel(*db, 2, 4, "ZDF HD", 0x88);         // group 3 only
    set_channel(*db, 3, 2, "ABCDEFGHIJKLMN", 0x00); // 14 bytes, no terminator
    db->channels[3].attributes = CH_ATTR_MORE_AUDIO | CH_ATTR_CI;
    db->channels[3].ext_audio_index = 0;
    db->channels[3].ci_marker = 1;
    db->channels[3].carried_pid = 0x1234;
    db->channels[3].carried43 = 0x77;        // always exported as 0
    set_channel(*db, 4, 9999, "Wild", 0x81); // transponder index past the table
    set_channel(*db, 6, 1638, "Twin", 0x00); // a channel on the twin transponder
    set_channel(*db, MAX_TV_CHAN_NUM + 0, 2, "Bayern 3", 0x82);
    set_channel(*db, MAX_TV_CHAN_NUM + 5, 0, "X\\\"", 0x00);

    extend_audio& ea = db->ext_audio[0];
    for (auto& pid : ea.pid)
        pid = INVALID_PID;
    ea.pid[0] = 0x100;
    ea.pid[1] = 0x101;
    ea.pid_byte[0] = 0x11;
    ea.pid_byte[25] = 0xFE;
    ea.count = 2;
    ea.in_use = 1;
    db->ext_audio[MAX_EXAUD_NUM - 1].pid[25] = 0xBEEF;
    db->ext_audio[MAX_EXAUD_NUM - 1].count = 0xFF;

    for (auto& e : db->fav_index)
        e = INVALID_FAVENTRY;
    db->fav_list(0, SERVICE_TV)[0] = 0;
    db->fav_list(0, SERVICE_TV)[1] = 1; // used channel, but not a member of group 0
    db->fav_list(0, SERVICE_TV)[2] = 2; // member of group 3 only
    db->fav_list(0, SERVICE_TV)[3] = 4; // used, though its transponder lies past the table
    db->fav_list(3, SERVICE_TV)[0] = 2;
    db->fav_list(1, SERVICE_RADIO)[0] = 0;
    db->fav_list(1, SERVICE_TV)[0] = 5000; // past the TV table
    std::memcpy(db->fav_names[0], "Sport", 5);
    std::memcpy(db->fav_names[1], "News", 4);
    std::memcpy(db->fav_names[3], "Kids12345678", 12);
    return db;
}

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

// The rows of one table: the lines between its header (rule, declaration, rule) and "};".
std::vector<std::string> table_rows(const std::string& text, const std::string& declaration)
{
    auto lines = lines_of(text);
    for (size_t i = 1; i + 1 < lines.size(); ++i) {
        if (lines[i] != declaration)
            continue;
        std::vector<std::string> rows;
        for (size_t j = i + 2; j < lines.size() && lines[j] != "};"; ++j)
            rows.push_back(lines[j]);
        return rows;
    }
    ADD_FAILURE() << "no table " << declaration;
    return {};
}

std::string read_text(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The extended-audio table of the small database is 819 rows of which all but the first and the
// last are the same empty record; the fixture keeps the rows that differ.
std::string without_repeated_audio_rows(const std::string& text)
{
    auto lines = lines_of(text);
    std::string out;
    size_t decl = 0;
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i] == "const extend_audio Factory_ExAudio[MAX_EXAUD_NUM] = {")
            decl = i;
    for (size_t i = 0; i < lines.size(); ++i) {
        bool middle = decl && i >= decl + 4 && i < decl + 1 + MAX_EXAUD_NUM;
        if (middle) {
            EXPECT_EQ(lines[i], lines[decl + 3]) << "extended audio row " << i - decl - 2;
            continue;
        }
        out += lines[i];
        out += '\n';
    }
    return out;
}

TEST(ChannelExport, SmallDatabaseMatchesTheExpectedTextLineByLine)
{
    auto db = small_database();
    std::string text = export_channel_tables(*db);
    std::string got = without_repeated_audio_rows(text);
    if (std::getenv("KD_WRITE_FIXTURES")) {
        std::ofstream(FIXTURE, std::ios::binary) << got;
        GTEST_SKIP() << "fixture written";
    }
    auto expected = lines_of(read_text(FIXTURE));
    auto actual = lines_of(got);
    ASSERT_FALSE(expected.empty()) << FIXTURE;
    for (size_t i = 0; i < std::min(expected.size(), actual.size()); ++i)
        EXPECT_EQ(actual[i], expected[i]) << "line " << i + 1;
    EXPECT_EQ(actual.size(), expected.size());
    // Every line ends with "\n", and the text ends with the empty line after the last table.
    EXPECT_EQ(text.substr(text.size() - 4), "};\n\n");
    EXPECT_EQ(text.find('\r'), std::string::npos);
}

TEST(ChannelExport, RowsFollowTheReceiverColumns)
{
    auto db = small_database();
    std::string text = export_channel_tables(*db);
    auto lines = lines_of(text);
    EXPECT_EQ(lines[0].size(), 114u);
    EXPECT_EQ(lines[0], RULE);
    EXPECT_EQ(lines[1], "const tSatellite Factory_SatInfo[] = {");
    EXPECT_EQ(lines[2], RULE);

    auto sats = table_rows(text, "const tSatellite Factory_SatInfo[] = {");
    ASSERT_EQ(sats.size(), 64u);
    EXPECT_EQ(sats[0].rfind("\t{ 10600,\t 9750,\t0x40,\tUNI_LNB,\t\t", 0), 0u) << sats[0];
    EXPECT_EQ(sats[0], "\t{ 10600,\t 9750,\t0x40,\tUNI_LNB,\t\t0x10,\t 0,\t 0,\t            0,\t "
                       "192,\t0x00,\t 0,\t 0,\t0 },");
    EXPECT_EQ(sats[1], "\t{ 10600,\t10600,\t0x10,\tSINGLE_10600,\t0x20,\t 3,\t 2,\t            1,\t "
                       "130,\t0x02,\t 7,\t 3,\t0 },");
    EXPECT_NE(sats[2].find("\tUSER_DEFINE,\t"), std::string::npos) << "type 12 has no name of its own";
    EXPECT_NE(sats[2].find("\t-300,\t"), std::string::npos);
    EXPECT_NE(sats[4].find("INVALID_SATID,\t"), std::string::npos);
    EXPECT_EQ(sats[63].substr(sats[63].size() - 2), " }");
    EXPECT_EQ(sats[62].substr(sats[62].size() - 3), " },");

    auto names = table_rows(text, "const UI8 Factory_SatName[][MAX_SATNAME_LEN+1] = {");
    ASSERT_EQ(names.size(), 64u);
    EXPECT_EQ(names[0], "\t\"\\x41\\x73\\x74\\x72\\x61\\x20\\x31\",");
    EXPECT_EQ(names[2].size(), 1 + 2 + 23 * 4 + 1u) << "23 escapes: the cell's last byte too";
    EXPECT_NE(names[2].find("\\xe9"), std::string::npos);
    EXPECT_EQ(names[5], "\t\"\",") << "an empty slot's name stays out";
    EXPECT_EQ(names[63], "\t\"\"");

    auto tps = table_rows(text, "const tTransponder Factory_TPInfo[] = {");
    ASSERT_EQ(tps.size(), 5u) << "rows end at the last valid first-half slot";
    EXPECT_EQ(tps[0], "\t{             0,\t0,\t22000,\t11494,\t10,\t1,\t0x02,\t0x00 }, // 00000");
    EXPECT_EQ(tps[1], "\t{ INVALID_SATID,\t0,\t    0,\t    "
                      "0,\tSROFFSET_DEFAULT,\tLNB_POL_VERTICAL,\tFEC_AUTOMATIC,\t0 }, // 00001");
    EXPECT_EQ(tps[2], "\t{             1,\t-3,\t27500,\t10992,\t10,\t0,\t0x02,\t0xa5 }, // 00002");
    EXPECT_EQ(tps[3].rfind("\t{ INVALID_SATID,", 0), 0u) << "satellite id 200 names no satellite";
    EXPECT_EQ(tps[4].substr(tps[4].size() - 12), " }, // 00004");

    auto tv = table_rows(text, "const static tChannelStructure Factory_ChanInfoTV[] = {");
    ASSERT_EQ(tv.size(), 4u) << "channels 1 and 4 have no valid transponder";
    EXPECT_EQ(tv[0],
              "\t{ 0x0000, 0x1000, {0x0100, 0x7fff, 0x7fff, 0x7fff, 0x0200, 0x0200, 0x8300}, 0x00, 0x81, "
              "{0x11, 0xff, 0xff, 0xff}, \"\\x41\\x52\\x44\", " +
                  std::string(11 * 4, ' ') + "0x7fff, 0x0333, 0x00, 0 }, // 00000");
    EXPECT_NE(tv[2].find("\\x4e\", 0x1234, 0x0000, 0x01, 0 }, // 00003"), std::string::npos)
        << "a 14-byte name has no padding; byte 43 goes out as 0";
    EXPECT_EQ(tv[3].substr(tv[3].size() - 12), " }, // 00006");
    auto radio = table_rows(text, "const static tChannelStructure Factory_ChanInfoRadio[] = {");
    ASSERT_EQ(radio.size(), 2u);
    EXPECT_EQ(radio[0].substr(radio[0].size() - 12), " }, // 00000") << "radio rows count from 0";
    EXPECT_NE(radio[1].find("\"\\x58\\x5c\\x22\", "), std::string::npos);
    EXPECT_EQ(radio[1].substr(radio[1].size() - 12), " }, // 00005");
}

TEST(ChannelExport, FavouriteIndexKeepsOnlyRealMembers)
{
    auto db = small_database();
    auto rows = table_rows(export_channel_tables(*db), "const UI16 Factory_FavIndex[] = {");
    ASSERT_EQ(rows.size(), 100u);
    EXPECT_EQ(rows[0],
              "\t0x0000, 0xffff, 0xffff, 0x0004, 0xffff, 0xffff, 0xffff, 0xffff, 0xffff, 0xffff, 0xffff, "
              "0xffff, 0xffff, 0xffff, 0xffff, 0xffff,  // 0016")
        << "entries 1 and 2 of group 0 are stale; 4 is a used slot and a member";
    // Entry 1200 is the first of group 3's TV list: line 75, first column.
    EXPECT_EQ(rows[75].rfind("\t0x0002, 0xffff", 0), 0u) << rows[75];
    // Entry 600, group 1's first radio entry: line 37, ninth column.
    EXPECT_EQ(rows[37].substr(1 + 8 * 8, 6), "0x0000") << rows[37];
    EXPECT_EQ(rows[25].substr(1, 6), "0xffff") << "TV entry 5000 lies past the TV table";
    for (size_t i = 0; i + 1 < rows.size(); ++i) {
        char tail[40];
        std::snprintf(tail, sizeof tail, ",  // %04zu", (i + 1) * 16);
        EXPECT_EQ(rows[i].substr(rows[i].size() - 10), tail) << "line " << i;
    }
    EXPECT_EQ(rows[99].substr(rows[99].size() - 16), ", 0xffff // 1600");

    auto names = table_rows(export_channel_tables(*db), "const char *FactoryFavNames[MAX_FAVGROUP_NUM] = {");
    ASSERT_EQ(names.size(), 4u);
    EXPECT_EQ(names[2], "\t\"\",");
    EXPECT_EQ(names[3], "\t\"\\x4b\\x69\\x64\\x73\\x31\\x32\\x33\\x34\\x35\\x36\\x37\\x38\"")
        << "12 bytes, unterminated";
}

TEST(ChannelExport, EmptyDatabaseGivesEmptyButValidTables)
{
    auto db = cleared_database();
    std::memset(db->fav_index, 0xFF, sizeof db->fav_index);
    std::string text = export_channel_tables(*db);
    auto sats = table_rows(text, "const tSatellite Factory_SatInfo[] = {");
    ASSERT_EQ(sats.size(), 64u);
    for (auto& row : sats)
        EXPECT_NE(row.find("INVALID_SATID,\t"), std::string::npos) << row;
    auto names = table_rows(text, "const UI8 Factory_SatName[][MAX_SATNAME_LEN+1] = {");
    ASSERT_EQ(names.size(), 64u);
    EXPECT_EQ(names[0], "\t\"\",");
    EXPECT_TRUE(table_rows(text, "const tTransponder Factory_TPInfo[] = {").empty());
    EXPECT_TRUE(table_rows(text, "const static tChannelStructure Factory_ChanInfoTV[] = {").empty());
    EXPECT_TRUE(table_rows(text, "const static tChannelStructure Factory_ChanInfoRadio[] = {").empty());
    EXPECT_EQ(table_rows(text, "const extend_audio Factory_ExAudio[MAX_EXAUD_NUM] = {").size(), 819u);
    auto fav = table_rows(text, "const UI16 Factory_FavIndex[] = {");
    ASSERT_EQ(fav.size(), 100u);
    size_t entries = 0;
    for (auto& row : fav)
        for (size_t p = row.find("0xffff"); p != std::string::npos; p = row.find("0xffff", p + 1))
            ++entries;
    EXPECT_EQ(entries, 1600u);
    auto fav_names = table_rows(text, "const char *FactoryFavNames[MAX_FAVGROUP_NUM] = {");
    EXPECT_EQ(fav_names, (std::vector<std::string>{"\t\"\",", "\t\"\",", "\t\"\",", "\t\"\""}));
    // Eight tables, each opened by rule, declaration, rule and closed by "};" and an empty line.
    auto lines = lines_of(text);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), RULE), 16);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "};"), 8);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), ""), 8);
}

TEST(ChannelExport, NoReadOutsideTheTablesWhateverTheBytesSay)
{
    // Random bytes everywhere: ids and indexes past their tables must name nothing. The sanitizer
    // build turns any stray read into a failure.
    auto db = std::make_unique<Database>();
    std::mt19937 rng(7);
    auto* raw = reinterpret_cast<uint8_t*>(db->channels);
    for (size_t i = 0; i < sizeof db->channels; ++i)
        raw[i] = uint8_t(rng());
    for (auto& t : db->transponders)
        t.sat_id = uint8_t(rng());
    for (int s = 0; s < MAX_SAT_NUM; ++s)
        db->satellites[s].sat_id = uint8_t(rng() % 2 ? s : INVALID_SATID);
    for (auto& e : db->fav_index)
        e = uint16_t(rng());
    std::string text = export_channel_tables(*db);
    for (auto& row : table_rows(text, "const static tChannelStructure Factory_ChanInfoTV[] = {")) {
        unsigned tp = std::stoul(row.substr(5, 4), nullptr, 16);
        ASSERT_LT(tp, unsigned(MAX_TP_NUM)) << row;
        ASSERT_LT(db->transponders[tp].sat_id, MAX_SAT_NUM) << row;
    }
}

class ChannelExportFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("kd-export-" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};

TEST_F(ChannelExportFile, WritesTheTextAndReportsSuccess)
{
    auto db = small_database();
    common::ScriptedPrompts prompts;
    std::string path = (dir / "out.txt").string();
    EXPECT_EQ(save_channel_tables(*db, path, prompts), 1);
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(read_text(path), export_channel_tables(*db));
}

TEST_F(ChannelExportFile, WrongSystemCodeWritesNothing)
{
    auto db = small_database();
    db->system.syscode = 0;
    common::ScriptedPrompts prompts;
    std::string path = (dir / "out.txt").string();
    EXPECT_EQ(save_channel_tables(*db, path, prompts), 0);
    EXPECT_EQ(prompts.shown, std::vector<std::string>{"Wrong DB : syscode"});
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(ChannelExportFile, FileThatCannotBeCreatedIsNamed)
{
    auto db = small_database();
    common::ScriptedPrompts prompts;
    std::string path = (dir / "no-such-folder" / "out.txt").string();
    EXPECT_EQ(save_channel_tables(*db, path, prompts), 0);
    EXPECT_EQ(prompts.shown, std::vector<std::string>{"the file, " + path + ", could not be created"});
}

TEST_F(ChannelExportFile, FullDiskLeavesNoCutFileAndKeepsTheOldOne)
{
    common::testing::TmpfsMount disk(256 * 1024);
    if (!disk.ok())
        GTEST_SKIP() << disk.error();
    std::string path = disk.path() + "/channels.txt";
    std::ofstream(path) << "previous export\n";
    auto db = small_database(); // its text is about 400 KB, more than the disk holds
    common::ScriptedPrompts prompts;
    EXPECT_EQ(save_channel_tables(*db, path, prompts), 0);
    EXPECT_EQ(prompts.shown, std::vector<std::string>{"the file, " + path + ", could not be created"});
    EXPECT_EQ(read_text(path), "previous export\n");
    int files = 0;
    for (auto& e : fs::directory_iterator(disk.path()))
        files += e.is_regular_file();
    EXPECT_EQ(files, 1) << "the temporary file was removed";
}

TEST_F(ChannelExportFile, MenuCommandAsksForTheFileOnlyOnTheEditorPageWithADatabase)
{
    auto db = small_database();
    common::ScriptedPrompts prompts;
    std::string path = (dir / "menu.txt").string();
    prompts.files.push_back(path);
    EXPECT_EQ(save_channels_command(*db, false, prompts), 0);
    db->present = false;
    EXPECT_EQ(save_channels_command(*db, true, prompts), 0);
    EXPECT_TRUE(prompts.dialogs.empty());
    db->present = true;
    EXPECT_EQ(save_channels_command(*db, true, prompts), 1);
    ASSERT_EQ(prompts.dialogs.size(), 1u);
    EXPECT_EQ(prompts.dialogs[0].default_extension, "txt");
    EXPECT_EQ(prompts.dialogs[0].filter, "All Files (*.txt)|*.*||");
    EXPECT_TRUE(prompts.dialogs[0].prompt_overwrite);
    EXPECT_TRUE(fs::exists(path));
    // Cancel in the dialog ends the command quietly.
    EXPECT_EQ(save_channels_command(*db, true, prompts), 0);
    EXPECT_TRUE(prompts.shown.empty());
}

} // namespace
