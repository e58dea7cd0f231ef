// The sample database in samples/ is what people see first: it must build, keep the rules the
// editor keeps (twins in step, favourites and membership bits in agreement, channels on real
// transponders), and stay in the canonical form that dump writes.
#include "korvid/database/channel_export.h"
#include "korvid/database/database_check.h"
#include "korvid/database/database_json.h"
#include "korvid/database/ird_file.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

using namespace korvid;

std::string sample_text()
{
    std::ifstream in(std::string(KD_SOURCE_DIR) + "/samples/sample.json", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class SampleDatabase : public ::testing::Test
{
protected:
    void SetUp() override
    {
        text = sample_text();
        built = build_database_from_json(text);
        ASSERT_TRUE(built.db) << built.error;
    }
    const Database& db() const { return *built.db; }
    std::string text;
    DatabaseFromJson built;
};

TEST_F(SampleDatabase, IsInTheFormDumpWrites)
{
    EXPECT_EQ(dump_database_json(db(), built.buyer, built.model), text);
    EXPECT_EQ(db().system.syscode, 0x5A5A);
}

TEST_F(SampleDatabase, FillsTheDefaultSatelliteSlotsWithTheirTwins)
{
    for (int s = 0; s < 32; ++s) {
        const tSatellite& a = db().satellites[s];
        const tSatellite& b = db().satellites[s + SAT_HALF_NUM];
        EXPECT_EQ(a.sat_id, s);
        EXPECT_EQ(b.sat_id, s + SAT_HALF_NUM);
        EXPECT_GT(std::strlen(db().sat_names[s]), 0u);
        EXPECT_STREQ(db().sat_names[s], db().sat_names[s + SAT_HALF_NUM]);
        EXPECT_EQ(a.position, b.position);
        EXPECT_EQ(a.lnb_type, b.lnb_type);
        EXPECT_EQ(a.lnb_freq_low, b.lnb_freq_low);
        EXPECT_EQ(a.DiSEqC_Cfg, b.DiSEqC_Cfg);
        EXPECT_LE(std::abs(a.position), 1800);
    }
    for (int s = 32; s < SAT_HALF_NUM; ++s) {
        EXPECT_EQ(db().satellites[s].sat_id, INVALID_SATID);
        EXPECT_EQ(db().satellites[s + SAT_HALF_NUM].sat_id, INVALID_SATID);
    }
    EXPECT_EQ(db().satellites[0].position, 192);
}

TEST_F(SampleDatabase, TranspondersAreValidAndTwinned)
{
    int used = 0;
    for (int t = 0; t < TP_HALF_NUM; ++t) {
        const tTransponder& a = db().transponders[t];
        const tTransponder& b = db().transponders[t + TP_HALF_NUM];
        if (a.sat_id == INVALID_SATID) {
            EXPECT_EQ(b.sat_id, INVALID_SATID) << t;
            continue;
        }
        ++used;
        ASSERT_LT(a.sat_id, SAT_HALF_NUM) << t;
        EXPECT_NE(db().satellites[a.sat_id].sat_id, INVALID_SATID) << t;
        EXPECT_EQ(b.sat_id, a.sat_id + SAT_HALF_NUM) << t;
        EXPECT_EQ(b.frequency, a.frequency);
        EXPECT_EQ(b.symbol_rate, a.symbol_rate);
        EXPECT_EQ(b.polarisation, a.polarisation);
        EXPECT_GE(a.frequency, 10700);
        EXPECT_LE(a.frequency, 12750);
        EXPECT_GT(a.symbol_rate, 0);
    }
    EXPECT_GE(used, 64) << "a few transponders per satellite";
}

TEST_F(SampleDatabase, ChannelsAndFavouritesAgree)
{
    for (int type : {SERVICE_TV, SERVICE_RADIO}) {
        int count = db().system.chan_count[type];
        EXPECT_GT(count, 5);
        for (int i = 0; i < slot_count_of(type); ++i) {
            const tChannelStructure& ch = db().channels[first_slot_of(type) + i];
            if (i >= count) {
                EXPECT_EQ(ch.tp_index, INVALID_TPID) << "used slots stand at the front";
                continue;
            }
            ASSERT_LT(ch.tp_index, TP_HALF_NUM);
            EXPECT_NE(db().transponders[ch.tp_index].sat_id, INVALID_SATID);
            EXPECT_EQ(ch.video_pid == INVALID_PID, type == SERVICE_RADIO);
            for (int g = 0; g < MAX_FAVGROUP_NUM; ++g) {
                const uint16_t* list = db().fav_list(g, type);
                bool listed = std::find(list, list + MAX_FAVCHAN_NUM, i) != list + MAX_FAVCHAN_NUM;
                EXPECT_EQ(listed, bool(ch.fav_membership & (1 << g))) << "channel " << i << " group " << g;
            }
            EXPECT_EQ(ch.fav_membership != 0, bool(ch.fav_membership & CH_FAV_MEMBER));
        }
    }
    int groups = 0;
    for (int g = 0; g < MAX_FAVGROUP_NUM; ++g) {
        int n = 0;
        for (int type : {SERVICE_TV, SERVICE_RADIO}) {
            const uint16_t* list = db().fav_list(g, type);
            int used = int(std::find(list, list + MAX_FAVCHAN_NUM, INVALID_FAVENTRY) - list);
            EXPECT_EQ(db().system.fav_count[fav_list_index(g, type)], used);
            n += used;
        }
        groups += n > 0;
    }
    EXPECT_EQ(groups, 2);
}

// What people try first: its check informs and a send asks nothing.
TEST_F(SampleDatabase, HasNoDamageAndOnlyNotesOnItsEmptyGroups)
{
    const auto problems = check_database(db());
    EXPECT_EQ(problem_summary(problems, problems.size()), "note: Favorite 3 \"Fav3\": the group is empty\n"
                                                          "note: Favorite 4 \"Fav4\": the group is empty\n");
    EXPECT_EQ(send_check_question(problems), "");
}

TEST_F(SampleDatabase, ExportsEveryChannel)
{
    std::string text = export_channel_tables(db());
    size_t rows = 0;
    for (size_t p = text.find(" }, // "); p != std::string::npos; p = text.find(" }, // ", p + 1))
        ++rows;
    int transponder_rows = 0;
    for (int t = 0; t < TP_HALF_NUM; ++t)
        transponder_rows = db().transponders[t].sat_id != INVALID_SATID ? t + 1 : transponder_rows;
    EXPECT_EQ(rows, size_t(transponder_rows + db().system.chan_count[0] + db().system.chan_count[1]));
}

TEST_F(SampleDatabase, SurvivesFileRoundTrip)
{
    std::vector<uint8_t> file;
    encode_database(db(), built.buyer, built.model, file);
    std::vector<uint8_t> buffer(IRD_WORK_BUFFER_SIZE, 0);
    std::memcpy(buffer.data(), file.data(), file.size());
    auto reread = std::make_unique<Database>();
    uint16_t buyer = 0, model = 0;
    read_database(*reread, buffer.data(), buyer, model);
    DatabaseFromJson again = build_database_from_json(dump_database_json(*reread, buyer, model));
    ASSERT_TRUE(again.db) << again.error;
    std::vector<uint8_t> rebuilt;
    encode_database(*again.db, again.buyer, again.model, rebuilt);
    EXPECT_TRUE(rebuilt == file);
}

} // namespace
