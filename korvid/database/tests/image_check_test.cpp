// What a received image must keep to be taken for a database: every index in its table, every
// count within its list.
#include "korvid/database/image_check.h"
#include "test_database.h"

#include <functional>
#include <gtest/gtest.h>

namespace korvid {
namespace {

using testing::sound_random_database;

TEST(ImageCheck, SoundDatabasesPassAndEachDamageIsNamed)
{
    for (unsigned seed : {1u, 2u, 3u})
        EXPECT_EQ(damaged_database_reason(*sound_random_database(seed)), "") << seed;
    EXPECT_EQ(damaged_database_reason(*testing::small_database()), "");

    struct Case
    {
        std::function<void(Database&)> damage;
        const char* reason;
    };
    const Case cases[] = {
        {[](Database& db) { db.satellites[5].sat_id = 6; }, "satellite slot 5 carries the id 6"},
        {[](Database& db) { db.transponders[7].sat_id = 200; }, "transponder 7 names satellite 200"},
        {[](Database& db) { db.channels[MAX_CHAN_NUM - 1].tp_index = MAX_TP_NUM + 1; },
         "channel 7444 names transponder 3277"},
        {[](Database& db) { db.channels[3].ext_audio_index = MAX_EXAUD_NUM + 1; },
         "channel 3 names extended audio record 820"},
        {[](Database& db) { db.system.chan_count[SERVICE_RADIO] = MAX_RADIO_CHAN_NUM + 1; },
         "radio channel count 2979"},
        {[](Database& db) { db.cursor.current_chan[SERVICE_TV] = db.system.chan_count[SERVICE_TV]; },
         nullptr},
        {[](Database& db) { db.system.fav_count[fav_list_index(2, SERVICE_TV)] = 201; },
         "favourite group 2 TV count 201"},
        {[](Database& db) { db.fav_list(1, SERVICE_RADIO)[199] = MAX_RADIO_CHAN_NUM; },
         "favourite group 1 radio entry 199 names channel 2978"},
    };
    for (const Case& c : cases) {
        auto db = sound_random_database(4);
        c.damage(*db);
        std::string why = damaged_database_reason(*db);
        if (c.reason)
            EXPECT_EQ(why, c.reason);
        else
            EXPECT_EQ(why.rfind("TV current channel", 0), 0u) << why;
    }
}

} // namespace
} // namespace korvid
