// The invariant checker must notice each kind of broken promise, or the page tests prove nothing.
#include "korvid/editor/tests/editor_fixture.h"

using namespace korvid;
using namespace korvid::testing;

namespace {

class InvariantTest : public ::testing::Test
{
protected:
    InvariantTest() { fill_sample_database(db); }
    bool reports(const char* what)
    {
        for (const auto& line : check_database_invariants(db))
            if (line.find(what) != std::string::npos)
                return true;
        return false;
    }
    std::unique_ptr<Database> owner = std::make_unique<Database>();
    Database& db = *owner;
};

} // namespace

TEST_F(InvariantTest, SampleIsConsistent)
{
    EXPECT_CONSISTENT();
}

TEST_F(InvariantTest, SatelliteTwins)
{
    store_satellite_name(db, 70, "Other");
    EXPECT_TRUE(reports("its twin \"Other\""));
    fill_sample_database(db);
    db.satellites[75].sat_id = INVALID_SATID;
    EXPECT_TRUE(reports("satellite 11 used=1 but its twin 75 used=0"));
}

TEST_F(InvariantTest, TransponderTwinsAndOwners)
{
    db.transponders[2 + TP_HALF_NUM].frequency++;
    EXPECT_TRUE(reports("transponder 2 and its twin 1640 differ"));
    fill_sample_database(db);
    db.satellites[3].sat_id = db.satellites[67].sat_id = INVALID_SATID;
    EXPECT_TRUE(reports("transponder 9 refers to satellite 3"));
}

TEST_F(InvariantTest, ChannelsAtTheFrontOnUsedTransponders)
{
    db.reset_channel_slot(1);
    EXPECT_TRUE(reports("type 0: slot 2 is in use after the free slot 1"));
    EXPECT_TRUE(reports("channel count 6 but 1 used slots"));
    fill_sample_database(db);
    free_transponder(db, 5);
    free_transponder(db, 5 + TP_HALF_NUM);
    EXPECT_TRUE(reports("channel 4468 refers to transponder 5, which is free"));
}

TEST_F(InvariantTest, FavouriteListsAndBits)
{
    db.fav_list(0, SERVICE_TV)[1] = INVALID_FAVENTRY;
    EXPECT_TRUE(reports("favourite list 0/0 has a hole at 1"));
    fill_sample_database(db);
    db.channels[3].fav_membership &= ~0x04;
    EXPECT_TRUE(reports("channel 3 has membership 0x81 but the lists say 0x85"));
    fill_sample_database(db);
    db.system.fav_count[fav_list_index(1, SERVICE_RADIO)] = 2;
    EXPECT_TRUE(reports("favourite list 1/1 count 2 but 1 entries"));
    fill_sample_database(db);
    db.fav_list(0, SERVICE_TV)[3] = 1;
    db.system.fav_count[0] = 4;
    EXPECT_TRUE(reports("holds channel 1 twice"));
}
