// Database-wide operations: clearing, compaction, favourite upkeep, swaps, twins and sorting.
#include "korvid/database/database.h"
#include "test_database.h"

#include <gtest/gtest.h>

namespace korvid {
namespace {

using testing::small_database;
using testing::use_channel;

void add_to_group(Database& db, int global, int group)
{
    int type = service_type_of(global);
    uint16_t* list = db.fav_list(group, type);
    int n = 0;
    while (list[n] != INVALID_FAVENTRY)
        ++n;
    list[n] = uint16_t(relative_index(global));
    db.system.fav_count[fav_list_index(group, type)] = uint8_t(n + 1);
    db.channels[global].fav_membership |= uint8_t(CH_FAV_MEMBER | (1u << group));
}

TEST(DatabaseOperations, ClearGivesEveryChannelSlotItsEmptyValuesAndKeepsByte43)
{
    auto db = testing::random_database(7);
    db->channels[100].carried43 = 0xA7;
    db->transponders[9].frequency = 12345;
    db->clear();
    const tChannelStructure& ch = db->channels[100];
    EXPECT_EQ(ch.tp_index, INVALID_TPID);
    EXPECT_EQ(ch.service_id, 0);
    for (auto pid : ch.audio_pid)
        EXPECT_EQ(pid, INVALID_PID);
    EXPECT_EQ(ch.video_pid, INVALID_PID);
    EXPECT_EQ(ch.pcr_pid, INVALID_PID);
    EXPECT_EQ(ch.ttx_pid, INVALID_PID);
    EXPECT_EQ(ch.attributes, 0);
    EXPECT_EQ(ch.fav_membership, 0);
    EXPECT_EQ(ch.audio_lang[3], 0xFF);
    EXPECT_EQ(0, std::memcmp(ch.name, "no name chan\0\0", 14));
    EXPECT_EQ(ch.carried_pid, INVALID_PID);
    EXPECT_EQ(ch.ext_audio_index, MAX_EXAUD_NUM);
    EXPECT_EQ(ch.ci_marker, 0);
    EXPECT_EQ(ch.carried43, 0xA7);
    EXPECT_EQ(db->transponders[9].sat_id, INVALID_SATID);
    EXPECT_EQ(db->transponders[9].symbol_rate, 0);
    EXPECT_EQ(db->transponders[9].frequency, 12345) << "other transponder fields are kept";
    EXPECT_EQ(db->satellites[64].sat_id, INVALID_SATID);
    EXPECT_EQ(db->system.syscode, 0);
}

TEST(DatabaseOperations, CompactionMovesChannelThreeIntoTheHoleAndRewritesItsFavourites)
{
    auto db = small_database();
    use_channel(*db, 0, "A");
    use_channel(*db, 1, "B");
    use_channel(*db, 3, "D");
    db->language_bytes[3] = 0x45;
    db->language_bytes[2] = 0x03;
    add_to_group(*db, 3, 1);
    add_to_group(*db, 3, 2);
    db->cursor.current_chan[SERVICE_TV] = 7;

    db->compact_channels();

    EXPECT_EQ(0, std::memcmp(db->channels[2].name, "D", 2));
    EXPECT_EQ(db->channels[2].fav_membership, CH_FAV_MEMBER | 0x06);
    EXPECT_EQ(db->fav_list(1, SERVICE_TV)[0], 2);
    EXPECT_EQ(db->fav_list(2, SERVICE_TV)[0], 2);
    EXPECT_EQ(db->channels[3].tp_index, INVALID_TPID);
    EXPECT_EQ(0, std::memcmp(db->channels[3].name, "no name chan", 12));
    EXPECT_EQ(db->language_bytes[2], 0x45);
    EXPECT_EQ(db->language_bytes[3], 0xFF);
    EXPECT_EQ(db->system.chan_count[SERVICE_TV], 3);
    EXPECT_EQ(db->cursor.current_chan[SERVICE_TV], 2) << "the cursor is clamped below the count";
    EXPECT_EQ(db->system.chan_count[SERVICE_RADIO], 0);
    EXPECT_EQ(db->cursor.current_chan[SERVICE_RADIO], 0);
}

TEST(DatabaseOperations, CompactionOfScatteredRadioKeepsOrderAndOfAFullTableMovesNothing)
{
    auto db = small_database();
    const int r = MAX_TV_CHAN_NUM;
    use_channel(*db, r + 10, "R10");
    use_channel(*db, r + 500, "R500");
    use_channel(*db, r + MAX_RADIO_CHAN_NUM - 1, "RLAST");
    add_to_group(*db, r + MAX_RADIO_CHAN_NUM - 1, 0);
    db->compact_channels();
    EXPECT_EQ(0, std::strcmp(reinterpret_cast<char*>(db->channels[r].name), "R10"));
    EXPECT_EQ(0, std::strcmp(reinterpret_cast<char*>(db->channels[r + 1].name), "R500"));
    EXPECT_EQ(0, std::strcmp(reinterpret_cast<char*>(db->channels[r + 2].name), "RLAST"));
    EXPECT_EQ(db->fav_list(0, SERVICE_RADIO)[0], 2);
    EXPECT_EQ(db->system.chan_count[SERVICE_RADIO], 3);

    for (int i = 0; i < MAX_TV_CHAN_NUM; ++i)
        db->channels[i].tp_index = uint16_t(i % MAX_TP_NUM);
    db->channels[4466].service_id = 4466;
    db->compact_channels();
    EXPECT_EQ(db->system.chan_count[SERVICE_TV], MAX_TV_CHAN_NUM);
    EXPECT_EQ(db->channels[4466].service_id, 4466);
}

TEST(DatabaseOperations, RemovingFromTheOnlyGroupClearsTheWholeMembershipByte)
{
    auto db = small_database();
    use_channel(*db, 0, "A");
    use_channel(*db, 1, "B");
    use_channel(*db, 2, "C");
    add_to_group(*db, 0, 2);
    add_to_group(*db, 1, 2);
    add_to_group(*db, 2, 2);
    add_to_group(*db, 2, 3);

    db->remove_from_favourites(0x04, SERVICE_TV, 1);
    EXPECT_EQ(db->channels[1].fav_membership, 0);
    const uint16_t* list = db->fav_list(2, SERVICE_TV);
    EXPECT_EQ(list[0], 0);
    EXPECT_EQ(list[1], 2) << "the hole is closed";
    EXPECT_EQ(list[2], INVALID_FAVENTRY);

    db->remove_from_favourites(0x04, SERVICE_TV, 2);
    EXPECT_EQ(db->channels[2].fav_membership, CH_FAV_MEMBER | 0x08) << "still in group 3";
}

TEST(DatabaseOperations, DeleteChannelLeavesItsGroupsAndMarksItsLanguageByte)
{
    auto db = small_database();
    use_channel(*db, MAX_TV_CHAN_NUM + 4, "RADIO");
    add_to_group(*db, MAX_TV_CHAN_NUM + 4, 0);
    db->language_bytes[MAX_TV_CHAN_NUM + 4] = 0xC5;
    db->delete_channel(MAX_TV_CHAN_NUM + 4);
    EXPECT_EQ(db->channels[MAX_TV_CHAN_NUM + 4].tp_index, INVALID_TPID);
    EXPECT_EQ(db->fav_list(0, SERVICE_RADIO)[0], INVALID_FAVENTRY);
    EXPECT_EQ(db->language_bytes[MAX_TV_CHAN_NUM + 4], 0xC3);
}

TEST(DatabaseOperations, SwapChannelsKeepsFavouritesPointingAtTheSameChannels)
{
    auto db = small_database();
    use_channel(*db, 0, "A");
    use_channel(*db, 1, "B");
    use_channel(*db, 2, "C");
    add_to_group(*db, 0, 0);
    add_to_group(*db, 2, 0);
    add_to_group(*db, 2, 1);
    db->language_bytes[0] = 10;
    db->language_bytes[2] = 20;

    db->swap_channels(SERVICE_TV, 0, 2);
    EXPECT_EQ(0, std::strcmp(reinterpret_cast<char*>(db->channels[0].name), "C"));
    EXPECT_EQ(db->language_bytes[0], 20);
    EXPECT_EQ(db->fav_list(0, SERVICE_TV)[0], 2) << "group 0 still lists A first, now at slot 2";
    EXPECT_EQ(db->fav_list(0, SERVICE_TV)[1], 0);
    EXPECT_EQ(db->fav_list(1, SERVICE_TV)[0], 0) << "only C was in group 1: replaced by its new slot";

    db->swap_favourite_positions(0, SERVICE_TV, 0, 1);
    EXPECT_EQ(db->fav_list(0, SERVICE_TV)[0], 0);
}

TEST(DatabaseOperations, CompactFavouriteListsClosesHolesCountsAndClampsCursors)
{
    auto db = small_database();
    uint16_t* list = db->fav_list(1, SERVICE_RADIO);
    list[3] = 9;
    list[7] = 4;
    db->cursor.fav_cursor[fav_list_index(1, SERVICE_RADIO)] = 50;
    db->cursor.fav_cursor[fav_list_index(0, SERVICE_TV)] = 5;
    db->compact_favourite_lists();
    EXPECT_EQ(list[0], 9);
    EXPECT_EQ(list[1], 4);
    EXPECT_EQ(list[2], INVALID_FAVENTRY);
    EXPECT_EQ(db->system.fav_count[fav_list_index(1, SERVICE_RADIO)], 2);
    EXPECT_EQ(db->cursor.fav_cursor[fav_list_index(1, SERVICE_RADIO)], 1);
    EXPECT_EQ(db->cursor.fav_cursor[fav_list_index(0, SERVICE_TV)], 0);
}

TEST(DatabaseOperations, TwinsAndSatelliteOrder)
{
    EXPECT_EQ(same_satellite(5, 5), 0);
    EXPECT_EQ(same_satellite(5, 69), 1);
    EXPECT_EQ(same_satellite(69, 5), 1);
    EXPECT_EQ(same_satellite(5, 70), -1);
    EXPECT_EQ(same_transponder(0, 1638), 1);
    EXPECT_EQ(same_transponder(1637, 3275), 1);
    EXPECT_EQ(same_transponder(1637, 1638), -1);

    auto db = small_database();
    db->satellites[0].position = -300;
    db->satellites[1].position = 192;
    db->satellites[2].position = 130;
    db->satellites[3].position = 130;
    db->satellites[4].position = 0;
    uint8_t slots[] = {0, 1, 2, 3, 4};
    sort_satellites_by_position(*db, slots, 5);
    EXPECT_EQ(db->satellites[slots[0]].position, 192);
    EXPECT_EQ(slots[1], 2) << "equal positions keep their order";
    EXPECT_EQ(slots[2], 3);
    EXPECT_EQ(slots[3], 4);
    EXPECT_EQ(slots[4], 0);
}

} // namespace
} // namespace korvid
