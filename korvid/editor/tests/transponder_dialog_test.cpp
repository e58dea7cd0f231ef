// The transponder dialog on its own: opening in both modes, the add-mode list, the integer checks.
#include "korvid/editor/tests/editor_fixture.h"

using namespace korvid;
using namespace korvid::testing;

namespace {

class TransponderDialogTest : public ::testing::Test
{
protected:
    TransponderDialogTest() { fill_sample_database(db); }
    TransponderDialog add_dialog(int shown_sat)
    {
        tTransponder working{};
        working.sat_id = INVALID_SATID;
        return TransponderDialog(db, TransponderDialog::ADD, working, shown_sat, prompts);
    }
    std::unique_ptr<Database> owner = std::make_unique<Database>();
    Database& db = *owner;
    common::ScriptedPrompts prompts;
};

} // namespace

TEST_F(TransponderDialogTest, AddModeOffersTheSatellitesTransponders)
{
    put_satellite(db, 40, "Late", 10);    // Link SAT lists used slots in slot order, mapped to their ids
    TransponderDialog d = add_dialog(65); // the current satellite may be a second-half id
    ASSERT_EQ(d.link_sat_combo().entries.size(), 33u);
    EXPECT_EQ(d.link_sat_ids()[32], 40);
    EXPECT_EQ(d.link_sat_combo().selection, 1);
    EXPECT_TRUE(d.list_visible());
    EXPECT_FALSE(d.buttons_at_bottom());
    EXPECT_EQ(d.frequency_edit().text, "0");
    EXPECT_TRUE(d.polarity_button(TransponderDialog::VER).checked);
    ASSERT_EQ(d.existing_list().rows.size(), 3u);
    EXPECT_EQ(d.existing_list().rows[1].texts,
              (std::vector<std::string>{"002", "12000", "H", "27500", "3/4"}));
    EXPECT_EQ(d.existing_list().columns[3].caption, "Sym Rate");

    ASSERT_TRUE(d.click_existing_row(1));
    EXPECT_EQ(d.frequency_edit().text, "12000");
    EXPECT_EQ(d.symbol_rate_edit().text, "27500");
    EXPECT_EQ(d.fec_combo().selected_text(), "3/4");
    EXPECT_TRUE(d.polarity_button(TransponderDialog::HOR).checked);

    // Another satellite: its list, and the fields start over.
    ASSERT_TRUE(d.choose_link_sat(32));
    EXPECT_TRUE(d.existing_list().rows.empty());
    EXPECT_EQ(d.frequency_edit().text, "0");
    EXPECT_EQ(d.fec_combo().selection, 0);
    EXPECT_TRUE(d.polarity_button(TransponderDialog::VER).checked);
    d.type_frequency("10714");
    d.type_symbol_rate("22000");
    ASSERT_TRUE(d.ok());
    EXPECT_EQ(d.record().sat_id, 40);
    EXPECT_EQ(d.record().frequency, 10714);
    EXPECT_EQ(d.record().sr_offset, 10);
}

TEST_F(TransponderDialogTest, EditModeShowsTheRecordAndKeepsItsSatellite)
{
    TransponderDialog d(db, TransponderDialog::EDIT, db.transponders[4], db.transponders[4].sat_id, prompts);
    EXPECT_EQ(d.link_sat_combo().selected_text(), "Sat 01");
    EXPECT_FALSE(d.link_sat_combo().enabled);
    EXPECT_FALSE(d.choose_link_sat(0));
    EXPECT_FALSE(d.list_visible());
    EXPECT_TRUE(d.buttons_at_bottom());
    EXPECT_EQ(d.frequency_edit().text, "12000");
    EXPECT_TRUE(d.polarity_button(TransponderDialog::HOR).checked);
    EXPECT_FALSE(d.click_existing_row(0));
    ASSERT_TRUE(d.ok());
    EXPECT_EQ(d.record().sat_id, 1);
    EXPECT_EQ(d.record().carried9, 0xA5);
}

TEST_F(TransponderDialogTest, IntegerChecksKeepTheDialogOpen)
{
    TransponderDialog d = add_dialog(0);
    const std::string range = "Please enter an integer between 0 and 65535.";
    struct Case
    {
        const char* freq;
        const char* sr;
        const char* message;
        TransponderDialog::Focus focus; // where the keyboard goes: the first edit at fault
    } cases[] = {{"", "1", "Please enter an integer.", TransponderDialog::FOCUS_FREQUENCY},
                 {"12 000", "1", "Please enter an integer.", TransponderDialog::FOCUS_FREQUENCY},
                 {"12000", "27.5", "Please enter an integer.", TransponderDialog::FOCUS_SYMBOL_RATE},
                 {"65536", "1", range.c_str(), TransponderDialog::FOCUS_FREQUENCY},
                 {"-1", "x", range.c_str(), TransponderDialog::FOCUS_FREQUENCY},
                 {"12000", "99999999999999", range.c_str(), TransponderDialog::FOCUS_SYMBOL_RATE}};
    for (const auto& c : cases) {
        prompts.shown.clear();
        d.type_frequency(c.freq);
        d.type_symbol_rate(c.sr);
        EXPECT_FALSE(d.ok()) << c.freq << " " << c.sr;
        EXPECT_EQ(prompts.shown, std::vector<std::string>{c.message}) << c.freq << " " << c.sr;
        EXPECT_EQ(d.focus(), c.focus) << c.freq << " " << c.sr;
    }
    d.type_frequency(" 65535 ");
    d.type_symbol_rate("0");
    EXPECT_TRUE(d.ok()); // zero is an integer in range; the page judges it
    EXPECT_EQ(d.focus(), TransponderDialog::FOCUS_NONE);
    EXPECT_EQ(d.record().frequency, 65535);

    d.spin_frequency(+1);
    EXPECT_EQ(d.frequency_edit().text, "65535");
    d.spin_symbol_rate(-1);
    EXPECT_EQ(d.symbol_rate_edit().text, "0");
}
