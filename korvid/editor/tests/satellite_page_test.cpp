// The "SAT" and "SEARCHED SAT" pages driven as a user would, with the invariant checker after every step.
#include "korvid/editor/tests/editor_fixture.h"

#include <cstring>

using namespace korvid;
using namespace korvid::testing;

namespace {

class SatellitePageTest : public EditorFixture
{
protected:
    void SetUp() override
    {
        load();
        view.first_update();
    }
    SatellitePage& sat() { return view.satellite_page(); }
    SearchedSatellitePage& searched() { return view.searched_satellite_page(); }

    // The user adds a satellite by name, leaving everything else as the dialog offers it.
    void add_named(const std::string& name)
    {
        on_satellite_dialog([name](SatelliteDialog& d) {
            d.type_name(name);
            d.choose_lnb_type(UNI_LNB);
            d.type_degree("010.0E");
        });
        sat().add();
    }
    void fill_free_slots(int from)
    {
        for (int s = from; s < SAT_HALF_NUM; ++s)
            put_satellite(db, s, "Extra " + std::to_string(s), int16_t(s));
    }
};

} // namespace

TEST_F(SatellitePageTest, ListsTheChosenHalfWithItsColumns)
{
    const ListState& list = sat().list();
    ASSERT_EQ(list.rows.size(), 32u);
    EXPECT_EQ(list.columns.size(), 8u);
    EXPECT_EQ(list.columns[7].caption, "Degree");
    EXPECT_EQ(list.rows[0].item_data, 0);
    EXPECT_EQ(list.rows[0].texts,
              (std::vector<std::string>{"001", "Sat 00", "UNI_LNB", "OFF", "HLBAND", "OFF", "0", "100.0W"}));
    EXPECT_EQ(list.text(31, 7), "117.0E");
    EXPECT_EQ(sat().tuner().label(), "TUNER: T1/T2");
    EXPECT_EQ(sat().tuner().combo().entries, (std::vector<std::string>{"T1", "T2"}));
    EXPECT_EQ(sat().tuner().selection(), TUNER_SEL_T1);
    EXPECT_EQ(sat().buttons(),
              (std::vector<PageEntry>{{PageAction::Add, "Add"},
                                      {PageAction::Edit, "Edit"},
                                      {PageAction::Delete, "Del"},
                                      {PageAction::UpdateTransponders, "Update Transponders..."}}));

    sat().click_row(4);
    ASSERT_TRUE(sat().choose_tuner(TUNER_SEL_T2));
    EXPECT_EQ(list.rows.size(), 32u);
    EXPECT_EQ(list.rows[0].item_data, 64);
    EXPECT_TRUE(list.selected.empty());
    EXPECT_EQ(sat().remembered_item(), -1);
    EXPECT_EQ(selection.current_sat, INVALID_SATID);
}

TEST_F(SatellitePageTest, RowClickSetsTheSelectionAndIsRemembered)
{
    selection.current_tp = 5;
    sat().click_row(3);
    EXPECT_EQ(selection.current_sat, 3);
    EXPECT_EQ(selection.current_tp, INVALID_TPID);
    EXPECT_EQ(selection.active_sat_page, 0);
    sat().refresh();
    EXPECT_EQ(sat().list().selected, std::vector<int>{3});
    EXPECT_EQ(sat().list().scroll_to, 3);

    sat().choose_tuner(TUNER_SEL_T2);
    sat().click_row(3);
    EXPECT_EQ(selection.current_sat, 67);
    searched().click_row(0);
    EXPECT_EQ(selection.active_sat_page, 1);
    EXPECT_EQ(selection.current_sat, 3); // satellite 3 lies furthest East of those with channels
    EXPECT_FALSE(doc.is_modified());
}

TEST_F(SatellitePageTest, SearchedListHoldsSatellitesWithChannelsEastFirst)
{
    std::vector<int> ids;
    for (const auto& r : searched().list().rows)
        ids.push_back(r.item_data);
    EXPECT_EQ(ids, (std::vector<int>{3, 2, 1, 0}));
    EXPECT_EQ(searched().list().text(0, 0), "001");
    EXPECT_EQ(searched().buttons(),
              (std::vector<PageEntry>{{PageAction::Edit, "Edit"}, {PageAction::Delete, "Del"}}));
    EXPECT_EQ(searched().context_menu(),
              (std::vector<PageEntry>{{PageAction::Edit, "Edit"}, {PageAction::Delete, "Delete"}}));
    searched().choose_tuner(TUNER_SEL_T2);
    ASSERT_EQ(searched().list().rows.size(), 1u);
    EXPECT_EQ(searched().list().rows[0].item_data, 66);

    // Counts larger than the tables never make the list read past them.
    db.system.chan_count[SERVICE_TV] = 0xFFFF;
    db.system.chan_count[SERVICE_RADIO] = 0xFFFF;
    searched().refresh();
    EXPECT_EQ(searched().list().rows.size(), 1u);
}

TEST_F(SatellitePageTest, AddFillsSlot32AndItsTwin)
{
    on_satellite_dialog([](SatelliteDialog& d) {
        EXPECT_TRUE(d.antenna_button(SatelliteDialog::ANT_T1).checked);
        d.type_name("Thor");
        d.choose_lnb_type(SINGLE_10750);
        d.choose_diseqc(SatelliteDialog::DISEQC_10);
        d.choose_port(1);
        d.type_degree("000.8W");
    });
    sat().add();
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_CONSISTENT();
    EXPECT_TRUE(doc.is_modified());
    const tSatellite& a = db.satellites[32];
    const tSatellite& b = db.satellites[96];
    EXPECT_EQ(a.sat_id, 32);
    EXPECT_EQ(b.sat_id, 96);
    EXPECT_EQ(a.tuner_connection, TUNER_T1);
    EXPECT_EQ(b.tuner_connection, TUNER_T2);
    EXPECT_EQ(satellite_name(db, 32), "Thor");
    EXPECT_EQ(satellite_name(db, 96), "Thor");
    for (const tSatellite* s : {&a, &b}) {
        EXPECT_EQ(s->lnb_type, SINGLE_10750);
        EXPECT_EQ(s->position, -8);
        EXPECT_EQ(s->DiSEqC_Cfg, 0x10);
        EXPECT_EQ(s->DiSEqC_idx, 1);
    }
    ASSERT_EQ(sat().list().rows.size(), 33u);
    EXPECT_EQ(sat().list().selected, std::vector<int>{32});
    EXPECT_EQ(sat().list().scroll_to, 32);
    EXPECT_EQ(selection.current_sat, 32);
    EXPECT_EQ(selection.current_tp, INVALID_TPID);
}

TEST_F(SatellitePageTest, AddWithT2SelectedStillFillsTheFirstHalf)
{
    sat().choose_tuner(TUNER_SEL_T2);
    on_satellite_dialog([](SatelliteDialog& d) {
        // The dialog sees the satellite as the second tuner does.
        EXPECT_TRUE(d.antenna_button(SatelliteDialog::ANT_T2).checked);
        d.type_name("Thor");
        d.choose_lnb_type(UNI_LNB);
    });
    sat().add();
    EXPECT_CONSISTENT();
    EXPECT_EQ(db.satellites[32].tuner_connection, TUNER_T1); // T2 stored as 0 in the first half
    EXPECT_EQ(db.satellites[96].tuner_connection, TUNER_T2);
    EXPECT_EQ(selection.current_sat, 96);
    ASSERT_EQ(sat().list().selected.size(), 1u);
    EXPECT_EQ(sat().list().rows[size_t(sat().list().selected[0])].item_data, 96);
}

TEST_F(SatellitePageTest, AddRefusals)
{
    add_named("Sat 05");
    EXPECT_EQ(last_message(), "Same Name SAT already exist");
    EXPECT_FALSE(satellite_used(db, 32));
    EXPECT_FALSE(doc.is_modified());

    // A name differing only in case is another name when adding.
    add_named("sat 05");
    EXPECT_TRUE(satellite_used(db, 32));
    EXPECT_CONSISTENT();

    doc.set_modified(false);
    dialogs.satellite = nullptr; // the user cancels
    sat().add();
    EXPECT_FALSE(satellite_used(db, 33));
    EXPECT_FALSE(doc.is_modified());

    fill_free_slots(33);
    prompts.shown.clear();
    satellite_dialogs_opened = 0;
    add_named("One too many");
    EXPECT_EQ(prompts.shown, std::vector<std::string>{"All SAT slot is full"});
    EXPECT_EQ(satellite_dialogs_opened, 0);
    EXPECT_CONSISTENT();
}

TEST_F(SatellitePageTest, AddStartsFromWhatTheFreeSlotHolds)
{
    db.satellites[32].lnb_control = 0x40;
    db.satellites[32].carried14 = 0x5C;
    store_satellite_name(db, 32, "Left over");
    std::string offered;
    on_satellite_dialog([&](SatelliteDialog& d) {
        offered = d.name_edit().text;
        EXPECT_TRUE(d.v012_check().checked);
        d.choose_lnb_type(UNI_LNB);
    });
    sat().add();
    EXPECT_EQ(offered, "Left over");
    EXPECT_EQ(db.satellites[32].carried14, 0x5C);
    EXPECT_EQ(db.satellites[96].carried14, 0x5C);
    EXPECT_CONSISTENT();
}

TEST_F(SatellitePageTest, AddInLoopAndTwinModeStoresTheDatabaseWiring)
{
    for (TunerMode mode : {TunerMode::Loop, TunerMode::Twin}) {
        load(mode);
        EXPECT_EQ(sat().tuner().label(), mode == TunerMode::Loop ? "TUNER: LOOP" : "TUNER: TWIN");
        EXPECT_FALSE(sat().tuner().combo().enabled);
        EXPECT_TRUE(sat().tuner().combo().entries.empty());
        EXPECT_EQ(view.tuner_selection(), TUNER_NONE);
        on_satellite_dialog([mode](SatelliteDialog& d) {
            EXPECT_TRUE(d.antenna_button(mode == TunerMode::Loop ? SatelliteDialog::ANT_LOOP
                                                                 : SatelliteDialog::ANT_TWIN)
                            .checked);
            d.type_name("New");
            d.choose_lnb_type(UNI_LNB);
        });
        sat().add();
        EXPECT_CONSISTENT();
        EXPECT_EQ(db.satellites[32].tuner_connection, mode == TunerMode::Loop ? TUNER_LOOP : TUNER_TWIN);
        EXPECT_EQ(db.satellites[96].tuner_connection, TUNER_T2);
        EXPECT_EQ(read_tuner_mode(db), mode);
    }
}

TEST_F(SatellitePageTest, EditStoresTheNameInBothHalves)
{
    sat().click_row(7);
    on_satellite_dialog([](SatelliteDialog& d) {
        d.type_name("Hotbird");
        d.type_degree("013.0E");
    });
    sat().edit();
    EXPECT_CONSISTENT();
    EXPECT_TRUE(doc.is_modified());
    EXPECT_EQ(satellite_name(db, 7), "Hotbird");
    EXPECT_EQ(satellite_name(db, 71), "Hotbird");
    EXPECT_EQ(db.satellites[7].position, 130);
    EXPECT_EQ(db.satellites[71].position, 7 * 70 - 1000); // T1/T2: the twin keeps its own settings
    EXPECT_EQ(sat().list().text(7, 1), "Hotbird");
    EXPECT_EQ(sat().list().text(7, 7), " 13.0E");
    EXPECT_EQ(sat().list().selected, std::vector<int>{7});
}

TEST_F(SatellitePageTest, RenamingOnlyTheLetterCaseStoresNothing)
{
    sat().click_row(2);
    on_satellite_dialog([](SatelliteDialog& d) { d.type_name("SAT 02"); });
    sat().edit();
    EXPECT_EQ(satellite_dialogs_opened, 1);
    EXPECT_EQ(satellite_name(db, 2), "Sat 02");
    EXPECT_FALSE(doc.is_modified());
    EXPECT_TRUE(prompts.shown.empty());

    // With another change the new case goes in too.
    on_satellite_dialog([](SatelliteDialog& d) {
        d.type_name("SAT 02");
        d.set_v012(true);
    });
    sat().edit();
    EXPECT_EQ(satellite_name(db, 2), "SAT 02");
    EXPECT_EQ(satellite_name(db, 66), "SAT 02");
    EXPECT_TRUE(doc.is_modified());
    EXPECT_CONSISTENT();
}

TEST_F(SatellitePageTest, EditRefusesAnotherSatellitesName)
{
    sat().click_row(2);
    on_satellite_dialog([](SatelliteDialog& d) {
        d.type_name("Sat 03");
        d.set_v012(true);
    });
    sat().edit();
    EXPECT_EQ(last_message(), "Same Name SAT already exist");
    EXPECT_EQ(db.satellites[2].lnb_control, 0);
    EXPECT_FALSE(doc.is_modified());

    prompts.shown.clear();
    sat().select_rows({});
    sat().edit();
    sat().select_rows({1, 2});
    sat().edit();
    EXPECT_EQ(prompts.shown, (std::vector<std::string>{"No Item is selected!", "No Item is selected!"}));
}

TEST_F(SatellitePageTest, T2EditChangesOnlyTheSecondHalfButNamesBoth)
{
    sat().choose_tuner(TUNER_SEL_T2);
    sat().click_row(5);
    const tSatellite t1_before = db.satellites[5];
    on_satellite_dialog([](SatelliteDialog& d) {
        EXPECT_TRUE(d.antenna_button(SatelliteDialog::ANT_T2).checked);
        d.type_name("Turksat");
        d.choose_lnb_type(SINGLE_9750);
    });
    sat().edit();
    EXPECT_CONSISTENT();
    EXPECT_EQ(std::memcmp(&t1_before, &db.satellites[5], sizeof t1_before), 0);
    EXPECT_EQ(db.satellites[69].lnb_type, SINGLE_9750);
    EXPECT_EQ(db.satellites[69].tuner_connection, TUNER_T2);
    EXPECT_EQ(db.satellites[69].sat_id, 69);
    EXPECT_EQ(satellite_name(db, 5), "Turksat");
    EXPECT_EQ(satellite_name(db, 69), "Turksat");
    EXPECT_EQ(sat().list().text(5, 2), "9750");
}

TEST_F(SatellitePageTest, SatPageEditFollowsTheActivePagesTuner)
{
    // The searched page was last clicked with T2 chosen there: the "SAT" page then edits T2 records.
    searched().choose_tuner(TUNER_SEL_T2);
    searched().click_row(0);
    EXPECT_EQ(view.tuner_selection(), TUNER_SEL_T2);
    sat().select_rows({4});
    on_satellite_dialog([](SatelliteDialog& d) { d.set_v012(true); });
    sat().edit();
    EXPECT_EQ(db.satellites[68].lnb_control & LNB_CTRL_012V, LNB_CTRL_012V);
    EXPECT_EQ(db.satellites[4].lnb_control & LNB_CTRL_012V, 0);
    EXPECT_CONSISTENT();
}

TEST_F(SatellitePageTest, LoopModeEditCopiesTheSettingsToTheTwin)
{
    load(TunerMode::Loop);
    sat().click_row(6);
    on_satellite_dialog([](SatelliteDialog& d) {
        d.choose_lnb_type(SINGLE_11200);
        d.type_degree("045.0W");
    });
    sat().edit();
    EXPECT_CONSISTENT();
    EXPECT_EQ(db.satellites[6].tuner_connection, TUNER_LOOP);
    EXPECT_EQ(db.satellites[70].tuner_connection, TUNER_T2);
    EXPECT_EQ(db.satellites[70].sat_id, 70);
    EXPECT_EQ(db.satellites[70].lnb_type, SINGLE_11200);
    EXPECT_EQ(db.satellites[70].position, -450);
}

TEST_F(SatellitePageTest, DeleteCascadesThroughTransponderChannelsAndFavourites)
{
    // Satellite 33 with transponders in both halves' worth of entries, TV and radio channels on
    // them, one seen from T2, and favourite memberships; one more channel stays on satellite 1.
    put_satellite(db, 33, "Doomed", 50);
    put_transponder(db, 20, 33, 10800, 22000, 0);
    put_transponder(db, 21, 33, 11800, 27500, 1);
    const int tv_a = put_channel(db, SERVICE_TV, 20, "gone a");
    const int tv_b = put_channel(db, SERVICE_TV, TP_HALF_NUM + 21, "gone b");
    const int tv_keep = put_channel(db, SERVICE_TV, 3, "stays");
    const int radio = put_channel(db, SERVICE_RADIO, 21, "gone r");
    put_favourite(db, 0, tv_a);
    put_favourite(db, 3, tv_b);
    put_favourite(db, 3, tv_keep);
    put_favourite(db, 1, radio);
    announce_new_database();
    EXPECT_CONSISTENT();

    sat().click_row(sat().list().find_item(33));
    prompts.answers.push_back(common::Answer::No);
    sat().remove();
    EXPECT_TRUE(satellite_used(db, 33));
    EXPECT_FALSE(doc.is_modified());

    prompts.answers.push_back(common::Answer::Yes);
    sat().remove();
    EXPECT_CONSISTENT();
    EXPECT_TRUE(doc.is_modified());
    EXPECT_EQ(prompts.shown, (std::vector<std::string>{"Delete it?", "Delete it?"}));
    for (int s : {33, 97}) {
        EXPECT_EQ(db.satellites[s].sat_id, INVALID_SATID);
        EXPECT_EQ(db.satellites[s].position, 0);
        EXPECT_EQ(satellite_name(db, s), "");
    }
    for (int t : {20, 21, 20 + TP_HALF_NUM, 21 + TP_HALF_NUM}) {
        EXPECT_EQ(db.transponders[t].sat_id, INVALID_SATID);
        EXPECT_EQ(db.transponders[t].symbol_rate, 0);
    }
    EXPECT_EQ(db.system.chan_count[SERVICE_TV], 7); // the sample's six and "stays"
    EXPECT_EQ(db.system.chan_count[SERVICE_RADIO], 3);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(db.channels[6].name)), "stays");
    EXPECT_EQ(db.fav_list(3, SERVICE_TV)[0], 6); // followed its channel to its new slot
    EXPECT_EQ(db.system.fav_count[fav_list_index(3, SERVICE_TV)], 1);
    EXPECT_EQ(db.system.fav_count[fav_list_index(1, SERVICE_RADIO)], 1);
    EXPECT_EQ(selection.current_sat, INVALID_SATID);
    EXPECT_EQ(selection.current_tp, INVALID_TPID);
    EXPECT_EQ(sat().list().find_item(33), -1);
    EXPECT_EQ(sat().list().rows.size(), 32u);
}

TEST_F(SatellitePageTest, SearchedPageDeleteRefillsWithoutTheSatellite)
{
    put_satellite(db, 40, "Searched", 1500);
    put_transponder(db, 30, 40, 11111, 27500, 0);
    put_channel(db, SERVICE_TV, 30, "on 40");
    db.satellites[40].positioner = db.satellites[104].positioner = 0x8A;
    db.satellites[40].positioner_position = 7;
    announce_new_database();
    ASSERT_EQ(searched().list().rows[0].item_data, 40); // furthest East
    searched().click_row(0);
    prompts.answers.push_back(common::Answer::Yes);
    searched().remove();
    EXPECT_CONSISTENT();
    EXPECT_EQ(searched().list().find_item(40), -1);
    EXPECT_EQ(searched().list().rows.size(), 4u);
    EXPECT_EQ(db.satellites[40].positioner, 0x88); // only the stored-position mode is cleared here
    EXPECT_EQ(db.satellites[40].positioner_position, 0);
}

TEST_F(SatellitePageTest, DefaultSatellitesAndMissingSelectionsAreRefused)
{
    sat().click_row(31);
    sat().remove();
    sat().select_rows({});
    sat().remove();
    EXPECT_EQ(prompts.shown, (std::vector<std::string>{"You can't delete default SAT", "No Item"}));
    EXPECT_TRUE(satellite_used(db, 31));
    EXPECT_FALSE(doc.is_modified());
    EXPECT_CONSISTENT();
}

TEST_F(SatellitePageTest, AStaleRowEditsNothingAndTheListCatchesUp)
{
    sat().click_row(3);
    // The tables are cleared behind the page's back, as a load that fails its check does.
    db.clear();
    sat().edit();
    sat().remove();
    EXPECT_EQ(satellite_dialogs_opened, 0);
    EXPECT_EQ(prompts.shown, (std::vector<std::string>{"No Item is selected!", "No Item"}));
    EXPECT_TRUE(sat().list().rows.empty());
    for (int s = 0; s < MAX_SAT_NUM; ++s)
        EXPECT_FALSE(satellite_used(db, s)) << s;
    EXPECT_FALSE(doc.is_modified());
}

TEST_F(SatellitePageTest, ANewSatelliteOpensWithItsLnbFrequenciesAndTheNameIsCheckedInTheDialog)
{
    bool first_ok = true;
    SatelliteDialog::Focus focus = SatelliteDialog::FOCUS_NONE;
    on_satellite_dialog([&](SatelliteDialog& d) {
        EXPECT_EQ(d.low_edit().text, "9750");
        EXPECT_EQ(d.high_edit().text, "10600");
        d.type_name("Sat 05");
        first_ok = d.ok();
        focus = d.focus();
        d.type_name("Sat 45E");
    });
    sat().add();
    EXPECT_FALSE(first_ok) << "the clash is found while the dialog is open";
    EXPECT_EQ(focus, SatelliteDialog::FOCUS_NAME);
    EXPECT_EQ(prompts.shown, std::vector<std::string>{"Same Name SAT already exist"});
    EXPECT_EQ(prompts.icon_of("Same Name SAT already exist"), common::Icon::Warning);
    EXPECT_EQ(satellite_name(db, 32), "Sat 45E");
    EXPECT_EQ(db.satellites[32].lnb_freq_high, 10600);
    EXPECT_CONSISTENT();
}
