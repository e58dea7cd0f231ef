// The "TP" page and its dialog driven as a user would, with the invariant checker after every step.
#include "korvid/editor/tests/editor_fixture.h"

#include <cstring>

using namespace korvid;
using namespace korvid::testing;

namespace {

class TransponderPageTest : public EditorFixture
{
protected:
    void SetUp() override
    {
        load();
        view.first_update();
        view.select_tab(EditorView::TAB_TP);
    }
    TransponderPage& tp() { return view.transponder_page(); }

    // The user fills the add dialog: satellite entry (or -1 to leave it), frequency, rate, polarity.
    void add(int link_entry, const std::string& freq, const std::string& sr, int pol)
    {
        on_transponder_dialog([=](TransponderDialog& d) {
            if (link_entry >= 0)
                d.choose_link_sat(link_entry);
            d.type_frequency(freq);
            d.type_symbol_rate(sr);
            d.choose_polarity(pol);
            d.choose_fec(2);
        });
        tp().add();
    }
    void edit_row(int row, const std::string& freq, const std::string& sr)
    {
        tp().click_row(row);
        on_transponder_dialog([=](TransponderDialog& d) {
            d.type_frequency(freq);
            d.type_symbol_rate(sr);
        });
        tp().edit();
    }
    int first_free() const { return find_free_transponder(db); }
};

} // namespace

TEST_F(TransponderPageTest, DbComboAndRows)
{
    const ComboState& combo = tp().db_combo();
    ASSERT_EQ(combo.entries.size(), 33u);
    EXPECT_EQ(combo.entries[0], "All");
    EXPECT_EQ(combo.entries[1], "Sat 00");
    EXPECT_EQ(combo.selection, 0);
    EXPECT_EQ(tp().list().rows.size(), 12u);
    EXPECT_EQ(tp().list().rows[4].texts,
              (std::vector<std::string>{"005", "Sat 01", "12000", "HOR", "27500", "3/4"}));

    ASSERT_TRUE(tp().choose_db(3));
    EXPECT_EQ(selection.current_sat, 2);
    ASSERT_EQ(tp().list().rows.size(), 3u);
    EXPECT_EQ(tp().list().rows[0].item_data, 6);
    EXPECT_EQ(tp().list().text(0, 0), "001");

    tp().choose_db(0);
    EXPECT_EQ(selection.current_sat, INVALID_SATID);
    EXPECT_EQ(tp().list().rows.size(), 12u);
    EXPECT_FALSE(doc.is_modified());
}

TEST_F(TransponderPageTest, SatellitePickFiltersAndShowAllClearsIt)
{
    view.select_tab(EditorView::TAB_SAT);
    view.satellite_page().click_row(1);
    view.select_tab(EditorView::TAB_TP);
    EXPECT_EQ(tp().db_combo().selection, 2);
    EXPECT_EQ(tp().list().rows.size(), 3u);
    view.show_all_db_data();
    EXPECT_EQ(selection.current_sat, INVALID_SATID);
    EXPECT_EQ(tp().db_combo().selection, 0);
    EXPECT_EQ(tp().list().rows.size(), 12u);
}

TEST_F(TransponderPageTest, AT2SatelliteSelectionOpensOnAll)
{
    view.select_tab(EditorView::TAB_SAT);
    view.satellite_page().choose_tuner(TUNER_SEL_T2);
    view.satellite_page().click_row(1);
    EXPECT_EQ(selection.current_sat, 65);
    view.select_tab(EditorView::TAB_TP);
    EXPECT_EQ(tp().db_combo().selection, 0);
    EXPECT_EQ(selection.current_sat, INVALID_SATID);
    EXPECT_EQ(tp().list().rows.size(), 12u);
}

TEST_F(TransponderPageTest, RowClickFollowsTheTunerSelection)
{
    tp().click_row(4);
    EXPECT_EQ(selection.current_tp, 4);
    EXPECT_EQ(selection.current_sat, 1);
    view.satellite_page().choose_tuner(TUNER_SEL_T2);
    tp().click_row(4);
    EXPECT_EQ(selection.current_tp, 4 + TP_HALF_NUM);
    EXPECT_EQ(selection.current_sat, 65);
    tp().refresh();
    EXPECT_EQ(tp().list().selected, std::vector<int>{4}); // the remembered row comes back
}

TEST_F(TransponderPageTest, AddDuplicatesAreExact)
{
    tp().choose_db(1); // satellite 0 already has 12000/27500 horizontal
    add(-1, "12000", "27500", TransponderDialog::HOR);
    EXPECT_EQ(last_message(), "Same Transponder already exist");
    EXPECT_FALSE(doc.is_modified());
    EXPECT_EQ(first_free(), 12);

    add(-1, "12000", "27500", TransponderDialog::VER); // the other polarisation is another carrier
    EXPECT_TRUE(transponder_used(db, 12));
    add(-1, "12001", "27500", TransponderDialog::HOR);
    EXPECT_TRUE(transponder_used(db, 13));
    EXPECT_CONSISTENT();
    EXPECT_TRUE(doc.is_modified());
    EXPECT_EQ(db.transponders[13].frequency, 12001);
    EXPECT_EQ(db.transponders[13].polarisation, 1);
    EXPECT_EQ(db.transponders[13].fec, 2);
    EXPECT_EQ(db.transponders[13].sr_offset, 10);
    EXPECT_EQ(db.transponders[13].carried9, 0);
    EXPECT_EQ(db.transponders[13 + TP_HALF_NUM].sat_id, 64);
    // Selection follows the new row.
    EXPECT_EQ(selection.current_tp, 13);
    EXPECT_EQ(selection.current_sat, 0);
    const int row = tp().list().find_item(13);
    EXPECT_EQ(tp().list().selected, std::vector<int>{row});
    EXPECT_EQ(tp().list().scroll_to, row);
}

TEST_F(TransponderPageTest, AddChecksValuesAndSatellite)
{
    add(1, "949", "27500", TransponderDialog::VER);
    EXPECT_EQ(last_message(), "Transponder value is not valid");
    add(1, "11700", "0", TransponderDialog::VER);
    EXPECT_EQ(last_message(), "Transponder value is not valid");
    EXPECT_FALSE(doc.is_modified());
    add(1, "950", "1000", TransponderDialog::VER);
    EXPECT_TRUE(transponder_used(db, 12));
    EXPECT_EQ(db.transponders[12].sat_id, 1);
    EXPECT_CONSISTENT();
    // With "All" shown the new row is picked all the same, and with it its satellite.
    EXPECT_EQ(selection.current_tp, 12);
    EXPECT_EQ(selection.current_sat, 1);
}

TEST_F(TransponderPageTest, AddPreselectsTheDbSatelliteAndAllNeedsAChoice)
{
    tp().choose_db(4); // satellite 3
    int preselected = -2;
    size_t offered = 0;
    on_transponder_dialog([&](TransponderDialog& d) {
        preselected = d.link_sat_combo().selection;
        offered = d.existing_list().rows.size();
        d.click_existing_row(1); // start from 12000/27500 H
        d.spin_frequency(+5);
    });
    tp().add();
    EXPECT_EQ(preselected, 3);
    EXPECT_EQ(offered, 3u);
    ASSERT_TRUE(transponder_used(db, 12));
    EXPECT_EQ(db.transponders[12].frequency, 12005);
    EXPECT_EQ(db.transponders[12].polarisation, 1);
    EXPECT_EQ(db.transponders[12].sat_id, 3);
    EXPECT_EQ(selection.current_sat, 3);
    EXPECT_CONSISTENT();

    doc.set_modified(false);
    tp().choose_db(0);
    on_transponder_dialog([&](TransponderDialog& d) {
        preselected = d.link_sat_combo().selection;
        offered = d.existing_list().rows.size();
        d.type_frequency("11000");
        d.type_symbol_rate("27500");
    });
    tp().add();
    EXPECT_EQ(preselected, -1);
    EXPECT_EQ(offered, 0u);
    EXPECT_EQ(last_message(), "SAT Infomation is not correct");
    EXPECT_FALSE(transponder_used(db, 13));
    EXPECT_FALSE(doc.is_modified());
}

TEST_F(TransponderPageTest, EditDuplicatesAreWithinThree)
{
    tp().choose_db(1);
    add(-1, "12100", "27500", TransponderDialog::HOR); // entry 12, satellite 0
    doc.set_modified(false);
    const int row = tp().list().find_item(12);
    edit_row(row, "12002", "27499");
    EXPECT_EQ(last_message(), "Same Transponder already exist");
    EXPECT_EQ(db.transponders[12].frequency, 12100);
    EXPECT_FALSE(doc.is_modified());

    edit_row(row, "12004", "27500");
    EXPECT_EQ(db.transponders[12].frequency, 12004);
    EXPECT_EQ(db.transponders[12 + TP_HALF_NUM].frequency, 12004);
    EXPECT_EQ(tp().list().text(row, 2), "12004");
    EXPECT_EQ(selection.current_tp, 12);
    EXPECT_TRUE(doc.is_modified());
    EXPECT_CONSISTENT();

    // An entry never counts as its own duplicate.
    doc.set_modified(false);
    edit_row(row, "12005", "27500");
    EXPECT_EQ(db.transponders[12].frequency, 12005);
    edit_row(row, "949", "27500");
    EXPECT_EQ(last_message(), "Transponder value is not valid");
}

TEST_F(TransponderPageTest, EditKeepsTheCarriedByteAndMarksOnlyRealChanges)
{
    db.transponders[1].carried1 = -5;
    doc.restart_history(); // as a file that holds it would open
    tp().click_row(1);
    on_transponder_dialog([](TransponderDialog& d) {
        EXPECT_FALSE(d.link_sat_combo().enabled);
        EXPECT_FALSE(d.list_visible());
        EXPECT_EQ(d.link_sat_combo().selected_text(), "Sat 00");
    });
    tp().edit();
    // Only the signed byte was reset: that is a change.
    EXPECT_TRUE(doc.is_modified());
    EXPECT_EQ(db.transponders[1].carried1, 0);
    EXPECT_EQ(db.transponders[1].carried9, 0xA5);
    EXPECT_CONSISTENT();
    doc.set_modified(false);
    tp().edit();
    EXPECT_FALSE(doc.is_modified());

    tp().select_rows({});
    tp().edit();
    EXPECT_EQ(last_message(), "No Item is selected!");
}

TEST_F(TransponderPageTest, DeleteFreesExactlyThePairAndItsChannels)
{
    auto before_owner = std::make_unique<Database>();
    Database& before = *before_owner;
    std::memcpy(before.transponders, db.transponders, sizeof db.transponders);
    tp().choose_db(2); // satellite 1: entries 3, 4, 5
    tp().click_row(1); // entry 4: TV channel "tv3"
    prompts.answers.push_back(common::Answer::Yes);
    tp().remove();
    EXPECT_CONSISTENT();
    for (int t = 0; t < MAX_TP_NUM; ++t) {
        if (t == 4 || t == 4 + TP_HALF_NUM) {
            EXPECT_EQ(db.transponders[t].sat_id, INVALID_SATID);
            EXPECT_EQ(db.transponders[t].symbol_rate, 0);
            EXPECT_EQ(db.transponders[t].frequency, before.transponders[t].frequency);
        } else {
            EXPECT_EQ(std::memcmp(&db.transponders[t], &before.transponders[t], sizeof(tTransponder)), 0)
                << t;
        }
    }
    EXPECT_EQ(db.system.chan_count[SERVICE_TV], 5);
    for (int c = 0; c < 5; ++c)
        EXPECT_NE(db.channels[c].tp_index, 4);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(db.channels[3].name)), "tv4");
    EXPECT_EQ(selection.current_tp, INVALID_TPID);
    EXPECT_EQ(selection.current_sat, 1); // the satellite stays picked
    EXPECT_EQ(tp().list().rows.size(), 2u);
    EXPECT_TRUE(doc.is_modified());
}

TEST_F(TransponderPageTest, DeletingATransponderSeenFromT2RemovesItsChannelsToo)
{
    // Channel "tv5" is on entry 1638 + 7; deleting row 7 frees both halves.
    const int row = tp().list().find_item(7);
    tp().click_row(row);
    prompts.answers.push_back(common::Answer::Yes);
    tp().remove();
    EXPECT_CONSISTENT();
    EXPECT_EQ(db.system.chan_count[SERVICE_TV], 5);
    // The favourite group 0 lost its third entry (tv5), keeping the others in order.
    EXPECT_EQ(db.system.fav_count[fav_list_index(0, SERVICE_TV)], 2);
    EXPECT_EQ(db.fav_list(0, SERVICE_TV)[0], 1);
    EXPECT_EQ(db.fav_list(0, SERVICE_TV)[1], 3);
}

TEST_F(TransponderPageTest, RefusalsWithoutSelectionOrRoom)
{
    tp().select_rows({});
    tp().remove();
    EXPECT_EQ(last_message(), "No Item");
    tp().click_row(0);
    prompts.answers.push_back(common::Answer::No);
    tp().remove();
    EXPECT_TRUE(transponder_used(db, 0));
    EXPECT_FALSE(doc.is_modified());

    for (int t = 12; t < TP_HALF_NUM; ++t)
        put_transponder(db, t, 5, uint16_t(950 + t), 1000, 0);
    transponder_dialogs_opened = 0;
    add(1, "11000", "1000", 0);
    EXPECT_EQ(last_message(), "All Transponder slot is full");
    EXPECT_EQ(transponder_dialogs_opened, 0);
    EXPECT_CONSISTENT();
}
