// The database check: each kind of problem gives one line that names the record as the pages show
// it, with its severity; a sound database gives none.
#include "korvid/database/database_check.h"
#include "test_database.h"

#include <functional>
#include <gtest/gtest.h>

namespace korvid {
namespace {

using namespace testing;

bool has(const std::vector<DatabaseProblem>& problems, ProblemSeverity severity, const std::string& text)
{
    for (const DatabaseProblem& p : problems)
        if (p.severity == severity && p.text == text)
            return true;
    return false;
}

std::string all_lines(const std::vector<DatabaseProblem>& problems)
{
    return problem_summary(problems, problems.size());
}

TEST(DatabaseCheck, ASoundDatabaseHasNoProblem)
{
    EXPECT_EQ(all_lines(check_database(*sound_database())), "");
}

TEST(DatabaseCheck, RandomDatabasesThatKeepThePromisesAreNotDamaged)
{
    for (unsigned seed : {1u, 2u, 3u}) {
        const auto problems = check_database(*sound_random_database(seed));
        EXPECT_FALSE(any_damage(problems)) << problem_summary(problems, 3);
    }
}

// What the receiver would trip over: a reference to a free slot, a count that disagrees with what
// it counts, a hole among the used channels.
TEST(DatabaseCheck, WhatTheReceiverWouldTripOverIsDamage)
{
    struct Case
    {
        std::function<void(Database&)> damage;
        const char* line;
    };
    const Case cases[] = {
        {[](Database& db) {
             db.transponders[0].sat_id = db.transponders[TP_HALF_NUM].sat_id = INVALID_SATID;
         },
         "TV 0001 \"Das Erste HD\" on 11494 H 22000: its transponder is not in use"},
        {[](Database& db) { db.transponders[TP_HALF_NUM + 1].sat_id = 70; },
         "TP 002 \"\" 10992 V 27500 (T2): its satellite (slot 70) is not in use"},
        {[](Database& db) { db.system.chan_count[SERVICE_TV] = 2; },
         "TV list: the count says 2 channels, but 3 stand at the front"},
        {[](Database& db) { db.channels[1].tp_index = INVALID_TPID; },
         "TV 0003 \"Rai 1\" on 10992 V 27500: stands behind the free slot 0002, where the TV list ends"},
        {[](Database& db) { db.fav_list(1, SERVICE_TV)[0] = 40; },
         "Favorite 2 \"Fav2\" TV list: entry 1 names the free slot 0041"},
        {[](Database& db) { db.system.fav_count[fav_list_index(0, SERVICE_TV)] = 3; },
         "Favorite 1 \"Fav1\" TV list: entry 3 is empty, within the count of 3"},
    };
    for (const Case& c : cases) {
        auto db = sound_database();
        c.damage(*db);
        const auto problems = check_database(*db);
        EXPECT_TRUE(has(problems, ProblemSeverity::Damaged, c.line)) << all_lines(problems);
        EXPECT_TRUE(any_damage(problems));
    }
}

TEST(DatabaseCheck, AnIndexOutsideItsTableOrNoSystemCodeIsTheOnlyLine)
{
    auto db = sound_database();
    db->channels[2].tp_index = 4000;
    EXPECT_EQ(all_lines(check_database(*db)), "damaged: channel 2 names transponder 4000\n");
    db = sound_database();
    db->system.syscode = 0;
    EXPECT_EQ(all_lines(check_database(*db)), "damaged: the system code is 0x0000, not a database\n");
}

TEST(DatabaseCheck, WhatWouldConfuseTheUserIsANote)
{
    struct Case
    {
        std::function<void(Database&)> change;
        const char* line;
    };
    const Case cases[] = {
        // The twin transponder is the same transponder.
        {[](Database& db) { put_channel(db, SERVICE_TV, TP_HALF_NUM, "ZDF HD", 9); },
         "TV 0004 \"ZDF HD\" on 11494 H 22000: same name as TV 0002 on the same transponder"},
        {[](Database& db) { db.transponders[TP_HALF_NUM + 1].frequency = 10993; },
         "TP 002 \"Hot Bird\" 10992 V 27500: its T2 twin differs in frequency 10992/10993"},
        // Only the bytes no page shows: the line says which, since both tuning texts are equal.
        {[](Database& db) { db.transponders[TP_HALF_NUM].carried9 = 0x5A; },
         "TP 001 \"Astra 19.2E\" 11494 H 22000: its T2 twin differs only in bytes no page shows: byte 9 "
         "(0x00/0x5a)"},
        {[](Database& db) { db.channels[1].fav_membership = 0x81; },
         "TV 0002 \"ZDF HD\" on 11494 H 22000: marked for favourites \" 1\" (0x81), but the lists hold it in "
         "\" 1, 2\" (0x83)"},
        // Kept by the receiver, never shown by it.
        {[](Database& db) {
             db.fav_list(2, SERVICE_RADIO)[3] = 0;
             db.fav_list(2, SERVICE_RADIO)[7] = 0;
         },
         "Favorite 3 \"Fav3\" RADIO list: 2 entries stand beyond the count of 1, which the receiver does not "
         "show"},
        {[](Database& db) { put_satellite(db, 2, "Thor", -8); },
         "SAT 003 \"Thor\" 0.8W: it has no transponder"},
        {[](Database& db) {
             db.fav_list(3, SERVICE_TV)[0] = INVALID_FAVENTRY;
             db.system.fav_count[fav_list_index(3, SERVICE_TV)] = 0;
             db.channels[0].fav_membership = 0x81;
         },
         "Favorite 4 \"Fav4\": the group is empty"},
        {[](Database& db) {
             std::strcpy(reinterpret_cast<char*>(db.fav_names[2]), "Music");
             for (int i = 1; i < MAX_FAVCHAN_NUM; ++i)
                 put_favourite(
                     db, 2,
                     put_channel(db, SERVICE_RADIO, 1, ("R" + std::to_string(i)).c_str(), uint16_t(i)));
         },
         "Favorite 3 \"Music\" RADIO list: the list is full (200 channels); nothing more can be added"},
        {[](Database& db) {
             db.transponders[1].frequency = db.transponders[TP_HALF_NUM + 1].frequency = 3800;
         },
         "TP 002 \"Hot Bird\" 3800 V 27500: 3800 MHz is outside what its LNB (UNI_LNB, 9750/10600 MHz) can "
         "receive"},
        // T1/T2 wiring: the second tuner's copy of a satellite has an LNB of its own.
        {[](Database& db) {
             db.satellites[SAT_HALF_NUM + 1].lnb_type = SINGLE_5150;
             db.satellites[SAT_HALF_NUM + 1].lnb_freq_low = db.satellites[SAT_HALF_NUM + 1].lnb_freq_high =
                 5150;
         },
         "TP 002 \"Hot Bird\" 10992 V 27500 (T2): 10992 MHz is outside what its LNB (5150, 5150 MHz) can "
         "receive"},
    };
    for (const Case& c : cases) {
        auto db = sound_database();
        c.change(*db);
        const auto problems = check_database(*db);
        EXPECT_EQ(all_lines(problems), std::string("note: ") + c.line + "\n");
        EXPECT_FALSE(any_damage(problems));
    }
}

TEST(DatabaseCheck, ATransponderNoChannelUsesIsNoProblem)
{
    auto db = sound_database();
    put_transponder(*db, 2, 1, 11200, 27500, 0);
    EXPECT_EQ(all_lines(check_database(*db)), "");
}

TEST(DatabaseCheck, AnLnbReceivesWhatItShiftsIntoTheTunersBand)
{
    tSatellite uni{};
    uni.lnb_freq_low = 9750;
    uni.lnb_freq_high = 10600;
    EXPECT_FALSE(lnb_receives(uni, 10699));
    EXPECT_TRUE(lnb_receives(uni, 10700));
    EXPECT_TRUE(lnb_receives(uni, 12750));
    EXPECT_FALSE(lnb_receives(uni, 12751));
    tSatellite c_band{};
    c_band.lnb_freq_low = c_band.lnb_freq_high = 5150; // the band lies below the oscillator
    EXPECT_FALSE(lnb_receives(c_band, 2999));
    EXPECT_TRUE(lnb_receives(c_band, 3000));
    EXPECT_TRUE(lnb_receives(c_band, 4200));
    EXPECT_FALSE(lnb_receives(c_band, 4201));
}

TEST(DatabaseCheck, ASummaryNamesTheFirstProblemsAndCountsTheRest)
{
    const std::vector<DatabaseProblem> problems = {
        {ProblemSeverity::Damaged, "a"}, {ProblemSeverity::Note, "b"}, {ProblemSeverity::Note, "c"}};
    EXPECT_EQ(problem_summary(problems, 2), "damaged: a\nnote: b\n... and 1 more\n");
}

} // namespace
} // namespace korvid
