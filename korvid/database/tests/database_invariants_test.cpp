// The invariant checker must notice each kind of broken promise, or the editor's tests, which run it
// after every step, prove nothing; each line names the record as the pages show it.
#include "korvid/database/database_invariants.h"
#include "korvid/database/tests/test_database.h"

#include <gtest/gtest.h>

using namespace korvid;
using namespace korvid::testing;

namespace {

// Prints every line when the one expected is missing, so a changed wording shows at once.
::testing::AssertionResult reports(const Database& db, const std::string& what)
{
    std::string all;
    for (const auto& line : check_database_invariants(db)) {
        if (line == what)
            return ::testing::AssertionSuccess();
        all += "\n  " + line;
    }
    return ::testing::AssertionFailure() << "not reported: " << what << "\nreported:" << all;
}

void free_transponder_pair(Database& db, int entry)
{
    for (int t : {entry, entry + TP_HALF_NUM}) {
        db.transponders[t].sat_id = INVALID_SATID;
        db.transponders[t].symbol_rate = 0;
    }
}

} // namespace

TEST(DatabaseInvariants, ASoundDatabaseKeepsThemAll)
{
    EXPECT_TRUE(check_database_invariants(*sound_database()).empty());
}

TEST(DatabaseInvariants, SatelliteTwins)
{
    auto db = sound_database();
    store_satellite_name(*db, 1 + SAT_HALF_NUM, "Other");
    EXPECT_TRUE(reports(*db, "SAT 002 \"Hot Bird\" 13.0E: its T2 twin is named \"Other\""));
    db = sound_database();
    db->satellites[1 + SAT_HALF_NUM].sat_id = INVALID_SATID;
    EXPECT_TRUE(reports(*db, "SAT 002 \"Hot Bird\" 13.0E: its T2 twin is not in use"));
}

TEST(DatabaseInvariants, TransponderTwinsAndOwners)
{
    auto db = sound_database();
    db->transponders[1 + TP_HALF_NUM].frequency++;
    EXPECT_TRUE(
        reports(*db, "TP 002 \"Hot Bird\" 10992 V 27500: its T2 twin differs in frequency 10992/10993"));
    db = sound_database();
    db->satellites[1].sat_id = db->satellites[1 + SAT_HALF_NUM].sat_id = INVALID_SATID;
    EXPECT_TRUE(reports(*db, "TP 002 \"Hot Bird\" 10992 V 27500: its satellite (slot 1) is not in use"));
}

TEST(DatabaseInvariants, ChannelsAtTheFrontOnUsedTransponders)
{
    auto db = sound_database();
    db->reset_channel_slot(0);
    EXPECT_TRUE(reports(
        *db,
        "TV 0002 \"ZDF HD\" on 11494 H 22000: stands behind the free slot 0001, where the TV list ends"));
    EXPECT_TRUE(reports(*db, "TV list: the count says 3 channels, but 0 stand at the front"));
    db = sound_database();
    free_transponder_pair(*db, 1);
    EXPECT_TRUE(reports(*db, "RADIO 0001 \"Radio 1\" on 10992 V 0: its transponder is not in use"));
}

TEST(DatabaseInvariants, FavouriteListsAndBits)
{
    auto db = sound_database();
    db->fav_list(0, SERVICE_TV)[0] = INVALID_FAVENTRY;
    EXPECT_TRUE(reports(*db, "Favorite 1 \"Fav1\" TV list: entry 1 is empty, within the count of 2"));
    db = sound_database();
    db->channels[1].fav_membership &= ~0x02;
    EXPECT_TRUE(reports(*db,
                        "TV 0002 \"ZDF HD\" on 11494 H 22000: marked for favourites \" 1\" (0x81), but the "
                        "lists hold it in \" 1, 2\" (0x83)"));
    db = sound_database();
    db->system.fav_count[fav_list_index(2, SERVICE_RADIO)] = 2;
    EXPECT_TRUE(reports(*db, "Favorite 3 \"Fav3\" RADIO list: entry 2 is empty, within the count of 2"));
    db = sound_database();
    db->system.fav_count[fav_list_index(2, SERVICE_RADIO)] = 0;
    EXPECT_TRUE(reports(*db,
                        "Favorite 3 \"Fav3\" RADIO list: 1 entry stands beyond the count of 0, which the "
                        "receiver does not show"));
    db = sound_database();
    db->fav_list(0, SERVICE_TV)[1] = 0;
    EXPECT_TRUE(
        reports(*db, "Favorite 1 \"Fav1\" TV list: holds TV 0001 \"Das Erste HD\" on 11494 H 22000 twice"));
}
