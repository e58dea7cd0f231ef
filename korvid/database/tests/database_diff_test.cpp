// The diff of two databases: records matched by what they are, so that sorts and deletions give
// moves and single removals, edits give their fields before and after, and nothing unseen passes
// for "the same".
#include "korvid/database/database_diff.h"
#include "korvid/database/database_json.h"
#include "korvid/database/record_names.h"
#include "test_database.h"

#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>

namespace korvid {
namespace {

using namespace testing;

std::string lines(const DatabaseDiff& diff)
{
    std::string text;
    for (const DiffEntry& e : diff.entries)
        text += diff_line(e) + "\n";
    return text;
}

TEST(DatabaseDiff, ACopyIsTheSame)
{
    auto db = sample_database();
    EXPECT_TRUE(diff_databases(*db, *copy_of(*db)).same());
}

TEST(DatabaseDiff, ASortedCopyShowsOnlyMoves)
{
    // Each list sorted by name either way, as a user sorts it, with the favourite lists kept in step.
    for (int type : {SERVICE_TV, SERVICE_RADIO})
        for (int order : {1, -1}) {
            auto a = sample_database();
            auto b = copy_of(*a);
            const int first = first_slot_of(type), n = b->system.chan_count[type];
            for (int i = first; i < first + n; ++i)
                for (int j = i + 1; j < first + n; ++j)
                    if (order * std::memcmp(b->channels[j].name, b->channels[i].name, CHAN_NAME_LEN) < 0)
                        b->swap_channels(type, i, j);
            const DatabaseDiff diff = diff_databases(*a, *b);
            ASSERT_FALSE(diff.same());
            for (const DiffEntry& e : diff.entries) {
                EXPECT_EQ(e.kind, service_page_name(type)) << diff_line(e);
                EXPECT_EQ(e.change, DiffChange::Moved) << diff_line(e);
                // Outside the longest kept run but at its own number: no move for the reader.
                EXPECT_NE(e.fields.at(0).before, e.fields.at(0).after) << diff_line(e);
            }
            EXPECT_LT(diff.entries.size(), size_t(n));
        }
}

TEST(DatabaseDiff, ADeletedChannelIsOneRemovalWhateverShiftsBehindIt)
{
    auto a = sound_database();
    auto b = copy_of(*a);
    b->delete_channel(1);
    b->compact_channels();
    b->compact_favourite_lists();
    EXPECT_EQ(lines(diff_databases(*a, *b)),
              "removed: TV \"ZDF HD\" on \"Astra 19.2E\" 11494 H 22000\n"
              "removed: Favorite 1 TV list: TV \"ZDF HD\" on \"Astra 19.2E\" 11494 H 22000\n"
              "removed: Favorite 2 TV list: TV \"ZDF HD\" on \"Astra 19.2E\" 11494 H 22000\n");
    // And the other way round.
    EXPECT_EQ(
        lines(diff_databases(*b, *a)).rfind("added: TV \"ZDF HD\" on \"Astra 19.2E\" 11494 H 22000\n", 0),
        0u);
}

TEST(DatabaseDiff, EditsShowTheirFieldsBeforeAndAfter)
{
    auto a = sound_database();
    auto b = copy_of(*a);
    b->channels[0].audio_pid[0] = 300;                                    // PIDs changed: matched by name
    std::strcpy(reinterpret_cast<char*>(b->channels[2].name), "Rai Uno"); // renamed: matched by its PIDs
    b->transponders[1].frequency = b->transponders[TP_HALF_NUM + 1].frequency = 10993;
    b->satellites[0].position = b->satellites[SAT_HALF_NUM].position = 130;
    std::strcpy(reinterpret_cast<char*>(b->fav_names[1]), "Kids");
    b->swap_favourite_positions(0, SERVICE_TV, 0, 1);
    put_satellite(*b, 2, "Thor", -8);
    EXPECT_EQ(lines(diff_databases(*a, *b)),
              "changed: SAT \"Astra 19.2E\": Degree \"19.2E\" -> \"13.0E\"\n"
              "added: SAT \"Thor\"\n"
              "changed: TP \"Hot Bird\" 10992 V 27500: Freq. \"10992\" -> \"10993\"\n"
              "changed: TV \"Das Erste HD\" on \"Astra 19.2E\" 11494 H 22000: A PID \"201\" -> \"300\"\n"
              "changed: TV \"Rai 1\" on \"Hot Bird\" 10992 V 27500: Name \"Rai 1\" -> \"Rai Uno\"\n"
              "moved: Favorite 1 TV list: TV \"ZDF HD\" on \"Astra 19.2E\" 11494 H 22000: Num 002 -> 001\n"
              "changed: Favorite 2: Name \"Fav2\" -> \"Kids\"\n");
}

TEST(DatabaseDiff, WhatNoPageShowsStillDiffersAndCodesAreCompared)
{
    auto a = sound_database();
    a->region1[0x3FF0] = 0xF1; // image offset 0x6FFF0
    a->region1[0x3FF2] = a->region1[0x3FF3] = 0;
    auto b = copy_of(*a);
    b->region1[0x3FF0] = 0xF2;
    b->region1[0x3FF2] = 0xA1;
    b->region1[0x3FF3] = 0xB2;
    DatabaseDiff diff = diff_databases(*a, *b);
    EXPECT_EQ(lines(diff), "changed: what the pages do not show (3 bytes): 0x6FFF0 \"F1\" -> \"F2\", "
                           "0x6FFF2-0x6FFF3 \"0000\" -> \"A1B2\"\n");
    diff = diff_databases(*a, *a);
    diff_codes(diff, 0x0001, 0x0105, 0x0001, 0x0106);
    EXPECT_EQ(lines(diff), "changed: the file's codes: Model \"0x0105\" -> \"0x0106\"\n");
}

// The reader accepts a channel on a free transponder; it has no key to be matched by, and must
// neither make a file differ from itself nor show as removed and added beside another change.
TEST(DatabaseDiff, AChannelOnAFreeTransponderMatchesItself)
{
    auto a = sample_database();
    a->channels[3].tp_index = MAX_TP_NUM - 1;
    ASSERT_FALSE(transponder_used(*a, MAX_TP_NUM - 1));
    EXPECT_TRUE(diff_databases(*a, *copy_of(*a)).same());
    auto b = copy_of(*a);
    b->channels[0].name[0] ^= 0x20;
    const DatabaseDiff diff = diff_databases(*a, *b);
    ASSERT_EQ(diff.entries.size(), 1u) << lines(diff);
    EXPECT_EQ(diff.entries[0].change, DiffChange::Changed);
}

TEST(DatabaseDiff, JsonHoldsTheSameEntries)
{
    auto a = sound_database();
    auto b = copy_of(*a);
    b->channels[0].attributes |= CH_ATTR_LOCK;
    auto json = nlohmann::json::parse(diff_json(diff_databases(*a, *b)));
    EXPECT_EQ(json["same"], false);
    ASSERT_EQ(json["differences"].size(), 1u);
    const auto& d = json["differences"][0];
    EXPECT_EQ(d["kind"], "TV");
    EXPECT_EQ(d["change"], "changed");
    EXPECT_EQ(d["record"], "TV \"Das Erste HD\" on \"Astra 19.2E\" 11494 H 22000");
    EXPECT_EQ(d["fields"], nlohmann::json::parse(R"([{"field": "LOCK", "before": "", "after": "lock"}])"));
    EXPECT_EQ(nlohmann::json::parse(diff_json(diff_databases(*a, *a))),
              nlohmann::json::parse(R"({"same": true, "differences": []})"));
}

} // namespace
} // namespace korvid
