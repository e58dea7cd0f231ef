// "Order Like": a shuffled copy ordered like its original gives the original back byte for byte; the
// three rules pair what they should and no more; what nothing pairs keeps its order at the end; the
// favourite groups come over only when asked; the check finds nothing new.
#include "korvid/database/database_check.h"
#include "korvid/database/order_like.h"
#include "test_database.h"

#include <cstring>
#include <gtest/gtest.h>
#include <numeric>

namespace korvid {
namespace {

using namespace testing;

std::vector<uint8_t> image(const Database& db)
{
    std::vector<uint8_t> out(DB_IMAGE_SIZE, 0);
    db.pack_image(out.data());
    return out;
}

std::vector<std::string> names(const Database& db, int type)
{
    std::vector<std::string> out;
    for (int c = first_slot_of(type); c < first_slot_of(type) + db.system.chan_count[type]; ++c)
        out.emplace_back(reinterpret_cast<const char*>(db.channels[c].name),
                         strnlen(reinterpret_cast<const char*>(db.channels[c].name), CHAN_NAME_LEN));
    return out;
}

TEST(OrderLike, AShuffledSampleOrderedLikeTheOriginalIsTheOriginalAgain)
{
    const auto original = sample_database();
    ASSERT_TRUE(original);
    original->cursor.current_chan[SERVICE_TV] = 5; // the current channel follows its channel
    for (bool favourite_groups : {false, true}) {
        auto shuffled = copy_of(*original);
        std::mt19937 rng(7);
        for (int type : {SERVICE_TV, SERVICE_RADIO}) {
            std::vector<int> order(shuffled->system.chan_count[type]);
            std::iota(order.begin(), order.end(), first_slot_of(type));
            std::shuffle(order.begin(), order.end(), rng);
            ASSERT_TRUE(shuffled->reorder_channels(type, order));
            for (int g = 0; g < MAX_FAVGROUP_NUM; ++g) {
                const int count = shuffled->system.fav_count[fav_list_index(g, type)];
                std::reverse(shuffled->fav_list(g, type), shuffled->fav_list(g, type) + count);
            }
        }
        ASSERT_NE(shuffled->cursor.current_chan[SERVICE_TV], 5);
        ASSERT_NE(image(*shuffled), image(*original));
        EXPECT_EQ(check_database(*shuffled).size(), check_database(*original).size());

        const OrderLikePlan plan = plan_order_like(*shuffled, *original);
        for (int type : {SERVICE_TV, SERVICE_RADIO}) {
            const OrderLikeCounts& c = plan.counts[type];
            EXPECT_EQ(c.matched(), original->system.chan_count[type]);
            EXPECT_EQ(c.unmatched + c.reference_unmatched, 0);
            EXPECT_GT(c.moved, 0);
        }
        EXPECT_TRUE(apply_order_like(*shuffled, *original, plan, favourite_groups));
        if (favourite_groups) {
            EXPECT_EQ(image(*shuffled), image(*original));
            continue;
        }
        // The channels, their languages and the current channel are back; the lists still name
        // the channels they named, in the order the user gave them.
        EXPECT_EQ(0, std::memcmp(shuffled->channels, original->channels, sizeof original->channels));
        EXPECT_EQ(0, std::memcmp(shuffled->language_bytes, original->language_bytes,
                                 sizeof original->language_bytes));
        EXPECT_EQ(shuffled->cursor.current_chan[SERVICE_TV], 5);
        const int count = original->system.fav_count[0];
        ASSERT_GT(count, 1);
        EXPECT_TRUE(std::equal(original->fav_list(0, SERVICE_TV), original->fav_list(0, SERVICE_TV) + count,
                               std::reverse_iterator(shuffled->fav_list(0, SERVICE_TV) + count)));
        EXPECT_EQ(check_database(*shuffled).size(), check_database(*original).size());
    }
}

// The database: one satellite, two transponders; the reference names the satellite otherwise (same
// position) and keeps its transponders in other entries, so nothing can be paired by slot.
struct RulesCase
{
    std::unique_ptr<Database> db = sound_database(), ref = sound_database();
    int exact, renamed_pids, moved_tp, dup1, dup2, lone;

    RulesCase()
    {
        for (Database* d : {db.get(), ref.get()}) {
            d->system.chan_count[SERVICE_TV] = 0;
            for (int c = 0; c < MAX_TV_CHAN_NUM; ++c)
                d->reset_channel_slot(c);
            std::memset(d->fav_index, 0xFF, sizeof d->fav_index);
            std::memset(d->system.fav_count, 0, sizeof d->system.fav_count);
            d->channels[MAX_TV_CHAN_NUM].fav_membership = 0;
        }
        put_satellite(*ref, 5, "Astra 1KR", 192);
        put_satellite(*ref, 0, "Other", 100);
        put_transponder(*ref, 7, 5, 11494, 22000, 1); // db's entry 0
        put_transponder(*ref, 8, 5, 12000, 27500, 0);
        put_transponder(*db, 2, 0, 12000, 27500, 0);

        exact = put_channel(*db, SERVICE_TV, 0, "Das Erste", 1);
        renamed_pids = put_channel(*db, SERVICE_TV, 0, "ZDF", 2);
        dup1 = put_channel(*db, SERVICE_TV, 0, "Dup", 3);
        moved_tp = put_channel(*db, SERVICE_TV, 0, "Arte", 4);
        dup2 = put_channel(*db, SERVICE_TV, 2, "Dup", 5);
        lone = put_channel(*db, SERVICE_TV, 2, "Lone", 6);
        put_favourite(*db, 0, lone);
        put_favourite(*db, 0, exact);
        put_favourite(*db, 1, renamed_pids);
        put_favourite(*db, 2, MAX_TV_CHAN_NUM);
        put_favourite(*db, 3, MAX_TV_CHAN_NUM);

        // Reference order: Arte (on the other transponder), ZDF (other PIDs), Das Erste; its "Dup"
        // is on a third transponder, so only the name could pair it, and the name is not unique.
        put_channel(*ref, SERVICE_TV, 8, "Arte", 40);
        put_channel(*ref, SERVICE_TV, 7, "ZDF", 22);
        const int ref_exact = put_channel(*ref, SERVICE_TV, 7, "Das Erste", 1);
        put_channel(*ref, SERVICE_TV, 0, "Dup", 3);
        put_favourite(*ref, 0, ref_exact);
        put_favourite(*ref, 2, MAX_TV_CHAN_NUM);
        std::memcpy(ref->fav_names[0], "Mine", 5);
    }
};

TEST(OrderLike, ThreeRulesInTurnAndTheUnmatchedKeepTheirOrderAfterTheMatched)
{
    RulesCase t;
    ASSERT_TRUE(check_database(*t.db).empty()) << problem_summary(check_database(*t.db), 5);
    const OrderLikePlan plan = plan_order_like(*t.db, *t.ref);
    const OrderLikeCounts& tv = plan.counts[SERVICE_TV];
    EXPECT_EQ(tv.by_rule[0], 1);
    EXPECT_EQ(tv.by_rule[1], 1);
    EXPECT_EQ(tv.by_rule[2], 1);
    EXPECT_EQ(tv.unmatched, 3);
    EXPECT_EQ(tv.reference_unmatched, 1);
    EXPECT_EQ(plan.order[SERVICE_TV],
              (std::vector<int>{t.moved_tp, t.renamed_pids, t.exact, t.dup1, t.dup2, t.lone}));
    EXPECT_EQ(
        order_like_summary(plan),
        (std::vector<std::string>{
            "TV: 3 of 6 channels matched (1 by transponder, name and PIDs, 1 by name and transponder, 1 "
            "by name alone), 3 not",
            "RADIO: 1 of 1 channel matched (1 by transponder, name and PIDs)",
            "Not matched: TV \"Dup\" on \"Astra 19.2E\" 11494 H 22000",
            "Not matched: TV \"Dup\" on \"Astra 19.2E\" 12000 V 27500",
            "Not matched: TV \"Lone\" on \"Astra 19.2E\" 12000 V 27500",
            "1 channel of the reference matches none here",
            "3 channels change place",
        }));

    ASSERT_TRUE(apply_order_like(*t.db, *t.ref, plan, false));
    EXPECT_EQ(names(*t.db, SERVICE_TV),
              (std::vector<std::string>{"Arte", "ZDF", "Das Erste", "Dup", "Dup", "Lone"}));
    // The favourites follow their channels to their new slots.
    EXPECT_EQ(t.db->fav_list(0, SERVICE_TV)[0], 5);
    EXPECT_EQ(t.db->fav_list(0, SERVICE_TV)[1], 2);
    EXPECT_EQ(t.db->fav_list(1, SERVICE_TV)[0], 1);
    EXPECT_TRUE(check_database(*t.db).empty()) << problem_summary(check_database(*t.db), 5);
    // Ordered once, the list is in the reference's order: a second time changes nothing.
    EXPECT_FALSE(apply_order_like(*t.db, *t.ref, plan_order_like(*t.db, *t.ref), false));
}

TEST(OrderLike, FavouriteGroupsTooTakeTheReferencesForMatchedChannelsAndKeepTheOthers)
{
    RulesCase t;
    ASSERT_TRUE(apply_order_like(*t.db, *t.ref, plan_order_like(*t.db, *t.ref), true));
    // Group 1: the reference's "Das Erste" (now slot 2), then the unmatched "Lone" (slot 5) kept.
    // Group 2: ZDF was matched and the reference has it in no group, so it leaves.
    EXPECT_EQ(t.db->system.fav_count[fav_list_index(0, SERVICE_TV)], 2);
    EXPECT_EQ(t.db->fav_list(0, SERVICE_TV)[0], 2);
    EXPECT_EQ(t.db->fav_list(0, SERVICE_TV)[1], 5);
    EXPECT_EQ(t.db->system.fav_count[fav_list_index(1, SERVICE_TV)], 0);
    EXPECT_EQ(t.db->channels[1].fav_membership, 0);
    EXPECT_EQ(t.db->channels[2].fav_membership, CH_FAV_MEMBER | 1);
    EXPECT_EQ(t.db->channels[5].fav_membership, CH_FAV_MEMBER | 1);
    // The radio channel was in groups 3 and 4; the reference has it in 3 only.
    EXPECT_EQ(t.db->channels[MAX_TV_CHAN_NUM].fav_membership, CH_FAV_MEMBER | 4);
    EXPECT_STREQ(reinterpret_cast<const char*>(t.db->fav_names[0]), "Mine");
    // Nothing new for the check but the groups 2 and 4 that are empty now.
    for (const DatabaseProblem& p : check_database(*t.db))
        EXPECT_NE(p.text.find("the group is empty"), std::string::npos) << p.text;
}

} // namespace
} // namespace korvid
