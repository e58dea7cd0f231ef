// The invariant checker must notice each kind of broken promise, or the page tests prove nothing;
// each line names the record as the pages show it.
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
            if (line == what)
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
    EXPECT_TRUE(reports("SAT 007 \"Sat 06\" 58.0W: its T2 twin is named \"Other\""));
    fill_sample_database(db);
    db.satellites[75].sat_id = INVALID_SATID;
    EXPECT_TRUE(reports("SAT 012 \"Sat 11\" 23.0W: its T2 twin is not in use"));
}

TEST_F(InvariantTest, TransponderTwinsAndOwners)
{
    db.transponders[2 + TP_HALF_NUM].frequency++;
    EXPECT_TRUE(reports("TP 003 \"Sat 00\" 12500 V 22000: its T2 twin differs in frequency 12500/12501"));
    fill_sample_database(db);
    db.satellites[3].sat_id = db.satellites[67].sat_id = INVALID_SATID;
    EXPECT_TRUE(reports("TP 010 \"Sat 03\" 11000 V 27500: its satellite (slot 3) is not in use"));
}

TEST_F(InvariantTest, ChannelsAtTheFrontOnUsedTransponders)
{
    db.reset_channel_slot(1);
    EXPECT_TRUE(reports(
        "TV 0003 \"tv2\" on 11000 V 27500: stands behind the free slot 0002, where the TV list ends"));
    EXPECT_TRUE(reports("TV list: the count says 6 channels, but 1 stand at the front"));
    fill_sample_database(db);
    free_transponder(db, 5);
    free_transponder(db, 5 + TP_HALF_NUM);
    EXPECT_TRUE(reports("RADIO 0002 \"r1\" on 12500 V 0: its transponder is not in use"));
}

TEST_F(InvariantTest, FavouriteListsAndBits)
{
    db.fav_list(0, SERVICE_TV)[1] = INVALID_FAVENTRY;
    EXPECT_TRUE(reports("Favorite 1 \"Fav1\" TV list: entry 2 is empty, within the count of 3"));
    fill_sample_database(db);
    db.channels[3].fav_membership &= ~0x04;
    EXPECT_TRUE(reports("TV 0004 \"tv3\" on 12000 H 27500: marked for favourites \" 1\" (0x81), but the "
                        "lists hold it in \" 1, 3\" (0x85)"));
    fill_sample_database(db);
    db.system.fav_count[fav_list_index(1, SERVICE_RADIO)] = 2;
    EXPECT_TRUE(reports("Favorite 2 \"Fav2\" RADIO list: entry 2 is empty, within the count of 2"));
    fill_sample_database(db);
    db.system.fav_count[fav_list_index(1, SERVICE_RADIO)] = 0;
    EXPECT_TRUE(reports("Favorite 2 \"Fav2\" RADIO list: 1 entry stands beyond the count of 0, which the "
                        "receiver does not show"));
    fill_sample_database(db);
    db.fav_list(0, SERVICE_TV)[3] = 1;
    db.system.fav_count[0] = 4;
    EXPECT_TRUE(reports("Favorite 1 \"Fav1\" TV list: holds TV 0002 \"tv1\" on 12000 H 27500 twice"));
}
