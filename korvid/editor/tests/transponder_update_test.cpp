// A satellite's transponders updated from a public list: the same-transponder bounds, the plan
// (what is added, changed, removed, left out, and what starts unticked), the ticked changes stored
// in both tuner halves with the channels of a removed transponder, a full table, and "Update
// Transponders..." on the "SAT" page as one undo step.
#include "korvid/editor/tests/editor_fixture.h"
#include "korvid/editor/transponder_update.h"
#include "korvid/editor/transponder_update_dialog.h"

#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace korvid;
using namespace korvid::testing;

namespace {

SourceTransponder listed(uint32_t freq,
                         uint32_t sr,
                         uint8_t pol,
                         int line,
                         const char* fec = "3/4",
                         DeliverySystem system = DeliverySystem::DvbS)
{
    SourceTransponder tp;
    tp.frequency = freq;
    tp.symbol_rate = sr;
    tp.polarisation = pol;
    tp.line = line;
    tp.system = system;
    EXPECT_TRUE(parse_code_rate(fec, tp));
    return tp;
}

// Satellite 0 of the sample holds entries 0 (11000 V 27500, a TV channel), 1 (12000 H 27500, a TV
// channel in two favourite groups) and 2 (12500 V 22000, a radio channel).
SourceSatellite list_for_sat0()
{
    return {"Sat-100.0W",
            -1000,
            {listed(11002, 27777, 0, 2),                                // entry 0, changed
             listed(12000, 27500, 0, 9),                                // not entry 1: other polarisation
             listed(12500, 22000, 0, 16),                               // entry 2 as it is
             listed(13000, 27500, 1, 23, "3/5", DeliverySystem::DvbS2), // added, unticked
             listed(900, 27500, 0, 30),                                 // below 950 MHz
             listed(12100, 70000, 1, 37),                               // above 65535 kS/s
             listed(12501, 22100, 0, 44)}};                             // line 16 again
}

class TransponderUpdateTest : public EditorFixture
{
protected:
    void SetUp() override
    {
        load();
        view.first_update();
    }
    const TransponderChange*
    find(const TransponderUpdatePlan& plan, TransponderChangeKind kind, int freq) const
    {
        for (const TransponderChange& c : plan.changes)
            if (c.kind == kind &&
                (kind == TransponderChangeKind::Remove ? c.before : c.after).frequency == freq)
                return &c;
        return nullptr;
    }
};

} // namespace

TEST(TransponderMatching, WithinTwoMegahertzAndOnePercentOfTheListsRateOnTheSamePolarisation)
{
    tTransponder held{};
    held.frequency = 11000;
    held.symbol_rate = 27500;
    held.polarisation = 0;
    EXPECT_TRUE(same_listed_transponder(listed(11002, 27500, 0, 1), held));
    EXPECT_TRUE(same_listed_transponder(listed(10998, 27500, 0, 1), held));
    EXPECT_FALSE(same_listed_transponder(listed(11003, 27500, 0, 1), held));
    EXPECT_FALSE(same_listed_transponder(listed(10997, 27500, 0, 1), held));
    EXPECT_TRUE(same_listed_transponder(listed(11000, 27777, 0, 1), held));  // 277 <= 277.77
    EXPECT_FALSE(same_listed_transponder(listed(11000, 27778, 0, 1), held)); // 278 > 277.78
    EXPECT_TRUE(same_listed_transponder(listed(11000, 27228, 0, 1), held));  // 272 <= 272.28
    EXPECT_FALSE(same_listed_transponder(listed(11000, 27227, 0, 1), held)); // 273 > 272.27
    EXPECT_FALSE(same_listed_transponder(listed(11000, 27500, 1, 1), held));
    held.polarisation = 3; // any non-zero value is horizontal
    EXPECT_TRUE(same_listed_transponder(listed(11000, 27500, 1, 1), held));
}

TEST_F(TransponderUpdateTest, ThePlanAddsChangesRemovesAndSaysWhatItLeavesOut)
{
    const TransponderUpdatePlan plan = plan_transponder_update(db, 0, list_for_sat0());
    EXPECT_EQ(plan.sat_name, "Sat 00");
    EXPECT_EQ(plan.source_count, 7);
    EXPECT_EQ(plan.unchanged, 1);
    ASSERT_EQ(plan.changes.size(), 4u);
    std::vector<std::string> lines;
    for (const TransponderChange& c : plan.changes)
        lines.push_back((c.ticked ? "[x] " : "[ ] ") + transponder_change_line(c));
    EXPECT_EQ(lines, (std::vector<std::string>{"[x] add 12000 V 27500 3/4",
                                               "[ ] add 13000 H 27500 2/3 DVB-S2 (list FEC 3/5)",
                                               "[x] change 11000 V 27500 3/4 -> 11002 V 27777 3/4",
                                               "[ ] remove 12000 H 27500 3/4 (1 channel)"}));
    EXPECT_EQ(plan.left_out,
              (std::vector<std::string>{"line 30: 900 V 27500: frequency below 950 MHz",
                                        "line 37: 12100 H 70000: symbol rate above 65535 kS/s",
                                        "line 44: 12501 V 22100: the same transponder as line 16"}));
    const std::vector<std::string> notes = transponder_update_notes(plan);
    EXPECT_EQ(notes.front(), "Sat-100.0W at 100.0W, 7 transponders; 1 already as listed.");
    EXPECT_EQ(notes.size(), 8u); // DVB-S2, FEC, removals with channels, "Not offered" and its three lines

    // A removal of a transponder no channel uses starts ticked.
    db.delete_channel(1); // the TV channel on entry 1
    compact_after_channel_deletion(db);
    const TransponderUpdatePlan again = plan_transponder_update(db, 0, list_for_sat0());
    const TransponderChange* removal = find(again, TransponderChangeKind::Remove, 12000);
    ASSERT_TRUE(removal);
    EXPECT_EQ(removal->channels, 0);
    EXPECT_TRUE(removal->ticked);
}

TEST_F(TransponderUpdateTest, TickedChangesAreStoredInBothHalvesWithTheChannelsOfARemovedOne)
{
    TransponderUpdatePlan plan = plan_transponder_update(db, 0, list_for_sat0());
    for (TransponderChange& c : plan.changes)
        c.ticked = true;
    const int tv_before = db.system.chan_count[SERVICE_TV];
    const TransponderUpdateResult result = apply_transponder_update(db, plan);
    EXPECT_EQ(result.added, 2);
    EXPECT_EQ(result.changed, 1);
    EXPECT_EQ(result.removed, 1);
    EXPECT_EQ(result.channels_deleted, 1);
    EXPECT_EQ(transponder_update_summary(result),
              "Added 2, changed 1, removed 1 transponders (1 channel deleted).");
    EXPECT_CONSISTENT();
    EXPECT_EQ(db.system.chan_count[SERVICE_TV], tv_before - 1);

    // The change keeps what Edit keeps (FEC, the carried byte at 9) in both halves.
    for (int entry : {0, TP_HALF_NUM}) {
        const tTransponder& tp = db.transponders[entry];
        EXPECT_EQ(tp.sat_id, entry == 0 ? 0 : 64);
        EXPECT_EQ(tp.frequency, 11002);
        EXPECT_EQ(tp.symbol_rate, 27777);
        EXPECT_EQ(tp.fec, 3);
        EXPECT_EQ(tp.carried9, 0xA5);
    }
    // Entry 1 was removed and is the first free one: the first addition takes it, the second the
    // first entry after the sample's twelve; both as Add stores them.
    const tTransponder& first = db.transponders[1];
    EXPECT_EQ(first.frequency, 12000);
    EXPECT_EQ(first.polarisation, 0);
    EXPECT_EQ(db.transponders[1 + TP_HALF_NUM].sat_id, 64);
    const tTransponder& second = db.transponders[12];
    EXPECT_EQ(second.frequency, 13000);
    EXPECT_EQ(second.fec, 2);
    EXPECT_EQ(second.sr_offset, 10);
    EXPECT_EQ(second.carried9, 0);
    EXPECT_EQ(db.transponders[12 + TP_HALF_NUM].sat_id, 64);
    EXPECT_EQ(db.transponders[12 + TP_HALF_NUM].frequency, 13000);
}

TEST_F(TransponderUpdateTest, AFullTableStopsAddingAndCountsWhatCouldNotBeAdded)
{
    for (int t = 12; t < TP_HALF_NUM - 1; ++t)
        put_transponder(db, t, 5, uint16_t(1000 + t), 27500, 0);
    SourceSatellite source = list_for_sat0();
    source.transponders.push_back(listed(14000, 27500, 1, 50));
    source.transponders.push_back(listed(14100, 27500, 1, 51));
    TransponderUpdatePlan plan = plan_transponder_update(db, 0, source);
    for (TransponderChange& c : plan.changes)
        c.ticked = c.kind == TransponderChangeKind::Add;
    const TransponderUpdateResult result = apply_transponder_update(db, plan);
    EXPECT_EQ(result.added, 1);
    EXPECT_EQ(result.not_added_full, 3);
    EXPECT_EQ(
        transponder_update_summary(result),
        "Added 1, changed 0, removed 0 transponders.\nAll Transponder slot is full: 3 could not be added.");
    EXPECT_CONSISTENT();
}

TEST_F(TransponderUpdateTest, TheSatPageOffersTheInstalledTableAndStoresOneUndoStep)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("kd-tp-update-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    {
        std::ofstream table(dir / "Sat-100.0W");
        table << "[CHANNEL]\nFREQUENCY = 11002000\nPOLARIZATION = VERTICAL\nSYMBOL_RATE = 27500000\n"
                 "[CHANNEL]\nFREQUENCY = 12000000\nPOLARIZATION = HORIZONTAL\nSYMBOL_RATE = 27500000\n"
                 "[CHANNEL]\nFREQUENCY = 12500000\nPOLARIZATION = VERTICAL\nSYMBOL_RATE = 22000000\n"
                 "[CHANNEL]\nFREQUENCY = 10800000\nPOLARIZATION = VERTICAL\nSYMBOL_RATE = 22000000\n";
        std::ofstream broken(dir / "broken.xml");
        broken << "<satellites>\n<sat name=\"x\">\n";
    }
    SatellitePage& page = view.satellite_page();
    page.set_scan_table_folder(dir.string());
    int previews = 0;
    std::vector<std::string> rows;
    dialogs.transponder_update = [&](TransponderUpdateDialog& d) {
        ++previews;
        rows.clear();
        for (const ListState::Row& r : d.list().rows)
            rows.push_back(r.texts[0] + " " + r.texts[1]);
        return true;
    };

    page.update_transponders();
    EXPECT_EQ(last_message(), "No Item is selected!");

    // Cancel at the question stores nothing.
    page.click_row(0);
    const auto image = [this] {
        std::vector<uint8_t> bytes(DB_IMAGE_SIZE, 0);
        db.pack_image(bytes.data());
        return bytes;
    };
    const std::vector<uint8_t> before = image();
    page.update_transponders();
    EXPECT_EQ(last_message(), "Update the transponders of Sat 00 from the scan table\n" +
                                  (dir / "Sat-100.0W").string() + "?");
    EXPECT_EQ(previews, 0);

    // Another file that does not parse: its file and line, nothing stored.
    prompts.choices = {1};
    prompts.files = {(dir / "broken.xml").string()};
    page.update_transponders();
    EXPECT_EQ(last_message(), "The transponder list could not be read:\n" + (dir / "broken.xml").string() +
                                  ":2: a <sat> without a position");
    EXPECT_EQ(previews, 0);
    EXPECT_FALSE(doc.is_modified());

    const size_t steps = doc.history().undo_count();
    prompts.choices = {0};
    page.update_transponders();
    EXPECT_EQ(previews, 1);
    EXPECT_EQ(rows, (std::vector<std::string>{"Add 10800 V 22000 AUTO",
                                              "Change 11000 V 27500 3/4 -> 11002 V 27500 3/4"}));
    EXPECT_EQ(db.transponders[0].frequency, 11002);
    EXPECT_EQ(db.transponders[12].frequency, 10800);
    EXPECT_CONSISTENT();
    ASSERT_EQ(doc.history().undo_count(), steps + 1);
    EXPECT_EQ(doc.history().undo_label(), "Update transponders of Sat 00");
    ASSERT_TRUE(view.undo());
    EXPECT_TRUE(image() == before);

    // Once stored, the list has nothing more to offer.
    ASSERT_TRUE(view.redo());
    page.click_row(0); // undo and redo forget the picked row
    prompts.choices = {0};
    page.update_transponders();
    EXPECT_EQ(previews, 1);
    EXPECT_EQ(last_message(), "The transponders of Sat 00 are as Sat-100.0W lists them: nothing to change.");
    fs::remove_all(dir);
}
