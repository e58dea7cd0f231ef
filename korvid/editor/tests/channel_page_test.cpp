// The "TV" and "RADIO" pages and the channel dialog driven as a user would, with the invariant
// checker after every step.
#include "korvid/editor/tests/channel_fixture.h"

using namespace korvid;
using namespace korvid::testing;

namespace {

class ChannelPageTest : public ChannelFixture
{
protected:
    // Radio columns sit one place left of the TV ones from "A PID" on.
    static constexpr int TV_LOCK = 8, RADIO_LOCK = 7;

    // The user fills the add dialog: "SAT" and "TP Info." entries, the PIDs, then OK.
    void add_on(ChannelPageBase& page,
                int sat_entry,
                int tp_entry,
                const std::string& video,
                const std::string& audio,
                std::vector<int> groups = {})
    {
        on_channel_dialog([=](ChannelDialog& d) {
            d.choose_sat(sat_entry);
            d.choose_tp(tp_entry);
            d.type_name("New");
            d.type_video_pid(video);
            d.type_audio_pid(audio);
            d.type_pcr_pid("100");
            for (int g : groups)
                d.toggle_group(g);
        });
        page.add();
    }
    void edit_row(ChannelPageBase& page, int row, std::function<void(ChannelDialog&)> user)
    {
        page.click_row(row);
        on_channel_dialog(user);
        page.edit();
    }
};

} // namespace

TEST_F(ChannelPageTest, DbComboMergesTwinsAndFilters)
{
    view.select_tab(EditorView::TAB_TV);
    // Satellites 0, 1 and 2 carry TV channels (2 also from T2); East-most first.
    EXPECT_EQ(tv().db_combo().entries, (std::vector<std::string>{"All", "Sat 02", "Sat 01", "Sat 00"}));
    EXPECT_EQ(tv().list().rows.size(), 6u);
    ASSERT_TRUE(tv().choose_db(1));
    EXPECT_EQ(selection.current_sat, 2);
    ASSERT_EQ(tv().list().rows.size(), 2u);
    EXPECT_EQ(tv().list().rows[1].item_data, 5); // the T2 channel of the same satellite
    EXPECT_EQ(tv().list().text(1, 0), "002");

    // No radio channel is on Sat 02: the radio page shows all and the pick is gone.
    view.select_tab(EditorView::TAB_RADIO);
    EXPECT_EQ(radio().db_combo().entries, (std::vector<std::string>{"All", "Sat 03", "Sat 01", "Sat 00"}));
    EXPECT_EQ(radio().db_combo().selection, 0);
    EXPECT_EQ(selection.current_sat, INVALID_SATID);
    ASSERT_TRUE(radio().choose_db(2));
    EXPECT_EQ(radio().list().rows.size(), 1u);
    view.show_all_db_data();
    EXPECT_EQ(radio().list().rows.size(), 3u);
    EXPECT_FALSE(doc.is_modified());
    EXPECT_CONSISTENT();
}

// The "DB" entry of a satellite is the id its channels were first met with; a pick from the other
// tuner half selects an entry only when that very id has one, and otherwise shows everything.
TEST_F(ChannelPageTest, DbChoiceAfterASecondTunerPickNeedsTheSameId)
{
    put_channel(db, SERVICE_TV, TP_HALF_NUM + 9, "t2 only"); // satellite 3 seen from T2 only
    announce_new_database();
    view.select_tab(EditorView::TAB_SAT);
    view.satellite_page().choose_tuner(TUNER_SEL_T2);
    view.satellite_page().click_row(1); // Sat 01 from T2: its channels are all on T1
    EXPECT_EQ(selection.current_sat, 65);
    view.select_tab(EditorView::TAB_TV);
    EXPECT_EQ(tv().db_combo().selection, 0);
    EXPECT_EQ(selection.current_sat, INVALID_SATID);
    EXPECT_EQ(tv().list().rows.size(), 7u);

    view.select_tab(EditorView::TAB_SAT);
    view.satellite_page().click_row(3); // Sat 03 from T2, where its only TV channel is
    EXPECT_EQ(selection.current_sat, 67);
    view.select_tab(EditorView::TAB_TV);
    ASSERT_TRUE(tv().db_combo().has_selection());
    EXPECT_EQ(tv().db_combo().selected_text(), "Sat 03");
    EXPECT_EQ(tv().db_ids()[size_t(tv().db_combo().selection)], 67);
    EXPECT_EQ(selection.current_sat, 67);
    ASSERT_EQ(tv().list().rows.size(), 1u);
    EXPECT_EQ(tv().list().rows[0].item_data, 6);

    // The radio page has no entry for 67 (its Sat 03 channel is on T1): "All", and the pick is gone.
    view.select_tab(EditorView::TAB_RADIO);
    EXPECT_EQ(radio().db_combo().selection, 0);
    EXPECT_EQ(selection.current_sat, INVALID_SATID);
    EXPECT_EQ(radio().list().rows.size(), 3u);
    EXPECT_FALSE(doc.is_modified());
    EXPECT_CONSISTENT();
}

TEST_F(ChannelPageTest, ColumnTexts)
{
    tChannelStructure& ch = db.channels[3];
    ch.attributes = CH_ATTR_LOCK | CH_ATTR_CI;
    ch.ttx_pid = TTX_PID_PRESENT | 0x45;
    ch.pcr_pid = 0x1FFE;
    ch.audio_lang[0] = 17;
    ch.audio_lang[1] = 23;
    ch.audio_lang[2] = 63; // no language
    view.select_tab(EditorView::TAB_TV);
    ASSERT_EQ(tv().list().columns.size(), 12u);
    EXPECT_EQ(tv().list().rows[3].texts,
              (std::vector<std::string>{"004", "tv3", "Sat 01", "12000/H/27500", "259", "515", "8190", "69",
                                        "lock", "1", " 1, 3", "GER"}));
    EXPECT_EQ(tv().list().text(0, 10), "");
    EXPECT_EQ(tv().list().text(0, 7), ""); // teletext without its present bit

    // "More Audio" shows the first valid PID of an extended record in use, nothing when it is free.
    ch.attributes = CH_ATTR_MORE_AUDIO;
    ch.ext_audio_index = 7;
    db.ext_audio[7] = extend_audio{};
    db.ext_audio[7].pid[0] = INVALID_PID;
    db.ext_audio[7].pid[1] = 0x321;
    db.ext_audio[7].count = 2;
    db.ext_audio[7].in_use = 1;
    tv().refresh();
    EXPECT_EQ(tv().list().text(3, 5), "801");
    db.ext_audio[7].in_use = 0;
    tv().refresh();
    EXPECT_EQ(tv().list().text(3, 5), "");

    view.select_tab(EditorView::TAB_RADIO);
    ASSERT_EQ(radio().list().columns.size(), 11u);
    EXPECT_EQ(radio().list().columns[4].caption, "A PID");
    db.channels[MAX_TV_CHAN_NUM].attributes = CH_ATTR_SKIP;
    radio().refresh();
    EXPECT_EQ(radio().list().rows[0].texts, (std::vector<std::string>{"001", "r0", "Sat 00", "12500/V/22000",
                                                                      "563", "", "", "skip", "0", "", ""}));
    db.channels[1].attributes = CH_ATTR_SKIP; // the TV list shows only the lock
    tv().refresh();
    EXPECT_EQ(tv().list().text(1, TV_LOCK), "");
}

TEST_F(ChannelPageTest, StatusLineAndAudioCombo)
{
    tChannelStructure& ch = db.channels[2];
    ch.attributes = CH_ATTR_MORE_AUDIO | CH_ATTR_MANUAL | CH_ATTR_M_VID | CH_ATTR_CI;
    ch.audio_pid[1] = 0xE123;
    ch.ext_audio_index = 5;
    db.ext_audio[5] = extend_audio{};
    db.ext_audio[5].pid[0] = 0x300;
    db.ext_audio[5].pid[1] = 0x301;
    db.ext_audio[5].pid[2] = 0x302;
    db.ext_audio[5].count = 2;
    db.ext_audio[5].in_use = 1;
    view.select_tab(EditorView::TAB_TV);
    tv().click_row(2);
    EXPECT_EQ(tv().status_line(), "More Audio, MANUAL, M_VID, CI ");
    EXPECT_EQ(tv().audio_combo().entries, (std::vector<std::string>{"514", "57635", "768", "769"}));
    EXPECT_EQ(tv().audio_combo().selection, 0);
    EXPECT_EQ(tv().remembered_item(), 2);

    // Hidden by the filter, the row takes its description with it; back in view, it brings it back.
    tv().set_filter("no such channel");
    EXPECT_EQ(tv().status_line(), "");
    EXPECT_TRUE(tv().audio_combo().entries.empty());
    tv().set_filter("");
    EXPECT_EQ(tv().status_line(), "More Audio, MANUAL, M_VID, CI ");

    // Several rows selected: nothing new is described.
    tv().select_rows({0, 1});
    EXPECT_EQ(tv().status_line(), "More Audio, MANUAL, M_VID, CI ");

    db.channels[MAX_TV_CHAN_NUM + 1].attributes = CH_ATTR_M_VID | CH_ATTR_MANUAL;
    view.select_tab(EditorView::TAB_RADIO);
    radio().click_row(1);
    EXPECT_EQ(radio().status_line(), "MANUAL, ");
    EXPECT_EQ(radio().audio_combo().entries, (std::vector<std::string>{"564", "", "", ""}));
    EXPECT_EQ(std::string(radio().audio_label()), " Audio PIDs");

    // A new database forgets the row and what was said about it.
    announce_new_database();
    EXPECT_EQ(radio().remembered_item(), -1);
    EXPECT_TRUE(radio().list().selected.empty());
    EXPECT_EQ(radio().status_line(), "");
}

TEST_F(ChannelPageTest, AddRefusedWhenTheTableIsFull)
{
    fill_tv(MAX_TV_CHAN_NUM);
    view.select_tab(EditorView::TAB_TV);
    on_channel_dialog([](ChannelDialog&) {});
    tv().add();
    EXPECT_EQ(last_message(), "Channel is Full");
    EXPECT_EQ(channel_dialogs_opened, 0);
    EXPECT_FALSE(doc.is_modified());
    EXPECT_CONSISTENT();
}

TEST_F(ChannelPageTest, AddFindsDuplicatesAndLeavesNoFavouriteBehind)
{
    fill_tv(13);
    db.channels[12].video_pid = 512;
    db.channels[12].audio_pid[0] = 0x2000 | 650; // attribute bits do not hide a duplicate
    view.select_tab(EditorView::TAB_TV);
    add_on(tv(), 0, 0, "512", "650", {3});
    EXPECT_EQ(last_message(), "Same Channel exist = 13");
    EXPECT_EQ(db.system.chan_count[SERVICE_TV], 13);
    EXPECT_TRUE(fav_entries(3, SERVICE_TV).empty());
    EXPECT_FALSE(doc.is_modified());
    EXPECT_CONSISTENT();

    // Another video PID on TV is another channel.
    add_on(tv(), 0, 0, "513", "650");
    EXPECT_EQ(db.system.chan_count[SERVICE_TV], 14);
    EXPECT_CONSISTENT();

    // Radio compares audio only and counts its slots from 1.
    const int r3 = put_channel(db, SERVICE_RADIO, 2, "r3");
    ASSERT_EQ(r3, 4470);
    db.channels[r3].audio_pid[0] = 700;
    view.select_tab(EditorView::TAB_RADIO);
    add_on(radio(), 0, 2, "", "700");
    EXPECT_EQ(last_message(), "Same Channel exist = 4");
    EXPECT_EQ(db.system.chan_count[SERVICE_RADIO], 4);
    EXPECT_CONSISTENT();
}

TEST_F(ChannelPageTest, AddOnT2OfAChannelOnT1MarksItSkipped)
{
    view.satellite_page().choose_tuner(TUNER_SEL_T2);
    view.select_tab(EditorView::TAB_RADIO);
    radio().choose_db(3); // Sat 00
    add_on(radio(), 0, 2, "", "563", {0});
    EXPECT_EQ(db.system.chan_count[SERVICE_RADIO], 3);
    EXPECT_TRUE(db.channels[MAX_TV_CHAN_NUM].attributes & CH_ATTR_SKIP);
    EXPECT_FALSE(channel_used(db, MAX_TV_CHAN_NUM + 3));
    EXPECT_TRUE(fav_entries(0, SERVICE_RADIO).empty());
    EXPECT_TRUE(doc.is_modified());
    EXPECT_CONSISTENT();
    // The twin channel is shown, on its own satellite.
    EXPECT_EQ(selection.current_sat, 0);
    const int row = radio().list().find_item(MAX_TV_CHAN_NUM);
    EXPECT_EQ(radio().list().selected, std::vector<int>{row});
    EXPECT_EQ(radio().list().text(row, RADIO_LOCK), "skip");

    // A skipped channel counts as a duplicate from then on.
    add_on(radio(), 0, 2, "", "563");
    EXPECT_EQ(last_message(), "Same Channel exist = 1");
    EXPECT_CONSISTENT();

    // The same PIDs on T1 with the twin on T2 are a plain duplicate when the index is the same.
    view.satellite_page().choose_tuner(TUNER_SEL_T1);
    add_on(radio(), 0, 0, "", "999");
    EXPECT_EQ(db.channels[MAX_TV_CHAN_NUM + 3].tp_index, 0);
    EXPECT_CONSISTENT();
}

TEST_F(ChannelPageTest, NewChannelIsManualWithItsGroups)
{
    view.select_tab(EditorView::TAB_TV);
    on_channel_dialog([](ChannelDialog& d) {
        EXPECT_EQ(std::string(d.caption()), "TV Channel");
        d.choose_sat(1);
        d.type_name("News");
        d.type_video_pid("600");
        d.type_audio_pid("601");
        d.choose_language(17);
        d.toggle_group(0);
        d.toggle_group(3);
    });
    tv().add();
    const tChannelStructure& ch = db.channels[6];
    ASSERT_TRUE(channel_used(db, 6));
    EXPECT_EQ(name_of(6), "News");
    EXPECT_EQ(ch.tp_index, 3);
    EXPECT_EQ(ch.attributes, CH_ATTR_MANUAL);
    EXPECT_EQ(ch.video_pid, 600);
    EXPECT_EQ(ch.audio_pid[0], 601);
    EXPECT_EQ(ch.pcr_pid, 8191);
    EXPECT_EQ(ch.audio_lang[0], 17);
    EXPECT_EQ(db.language_bytes[6], 0xFF);
    EXPECT_EQ(ch.fav_membership, CH_FAV_MEMBER | 0x09);
    EXPECT_EQ(fav_entries(0, SERVICE_TV), (std::vector<uint16_t>{1, 3, 5, 6}));
    EXPECT_EQ(fav_entries(3, SERVICE_TV), (std::vector<uint16_t>{6}));
    EXPECT_EQ(db.system.chan_count[SERVICE_TV], 7);
    EXPECT_EQ(tv().list().selected, std::vector<int>{6});
    EXPECT_EQ(tv().status_line(), "MANUAL, ");
    EXPECT_EQ(tv().list().text(6, 11), "ENG");
    EXPECT_EQ(selection.current_sat, INVALID_SATID); // "All" stays "All"
    EXPECT_TRUE(doc.is_modified());
    EXPECT_CONSISTENT();

    // With a satellite chosen, the selection follows the new channel; Cancel stores nothing.
    tv().choose_db(1);
    add_on(tv(), 3, 0, "700", "701"); // Sat 03, its first transponder
    EXPECT_EQ(selection.current_sat, 3);
    EXPECT_EQ(tv().list().rows.size(), 1u);
    dialogs.channel = [](ChannelDialog&) { return false; };
    tv().add();
    EXPECT_EQ(db.system.chan_count[SERVICE_TV], 8);
    EXPECT_CONSISTENT();
}

TEST_F(ChannelPageTest, FullFavouriteListLeavesTheBitClear)
{
    fill_tv(210);
    for (int c = 10; c < 210; ++c)
        put_favourite(db, 3, c);
    announce_new_database();
    view.select_tab(EditorView::TAB_TV);
    add_on(tv(), 0, 1, "300", "301", {1, 3});
    EXPECT_EQ(db.channels[210].fav_membership, CH_FAV_MEMBER | 0x02);
    EXPECT_EQ(fav_entries(3, SERVICE_TV).size(), 200u);
    EXPECT_EQ(fav_entries(1, SERVICE_TV), std::vector<uint16_t>{210});
    EXPECT_CONSISTENT();
}

TEST_F(ChannelPageTest, EditKeepsOrMarksManual)
{
    tChannelStructure& ch = db.channels[1];
    ch.attributes = CH_ATTR_LOCK | CH_ATTR_SCRAMBLED;
    ch.audio_pid[0] = 0xE000 | 650;
    ch.ttx_pid = TTX_PID_PRESENT | 0x40;
    db.language_bytes[1] = 0xC5;
    doc.restart_history(); // as a file that holds these would open
    view.select_tab(EditorView::TAB_TV);
    const tChannelStructure before = ch;

    edit_row(tv(), 1, [](ChannelDialog& d) {
        EXPECT_EQ(d.audio_pid_edit().text, "650");
        EXPECT_EQ(d.pcr_pid_edit().text, "32767"); // no PCR: the sentinel passes as it is
        EXPECT_TRUE(d.lock_check().checked);
        EXPECT_TRUE(d.scramble_check().checked);
        EXPECT_EQ(d.group_combo().closed_text(), "Fav1");
    });
    EXPECT_EQ(std::memcmp(&before, &ch, sizeof ch), 0);
    EXPECT_EQ(db.language_bytes[1], 0xC5);
    EXPECT_FALSE(doc.is_modified());
    EXPECT_CONSISTENT();

    // Another field changes: the audio attribute bits stay with the unchanged PID.
    edit_row(tv(), 1, [](ChannelDialog& d) { d.type_name("Renamed"); });
    EXPECT_EQ(name_of(1), "Renamed");
    EXPECT_EQ(ch.attributes, CH_ATTR_LOCK | CH_ATTR_SCRAMBLED | CH_ATTR_MANUAL);
    EXPECT_EQ(ch.audio_pid[0], 0xE000 | 650);
    EXPECT_EQ(ch.ttx_pid, TTX_PID_PRESENT | 0x40);
    EXPECT_EQ(tv().list().text(1, 1), "Renamed");
    EXPECT_EQ(tv().list().selected, std::vector<int>{1});
    EXPECT_TRUE(doc.is_modified());
    EXPECT_CONSISTENT();

    // A new PID drops them; the language choice keeps bits 6-7 of the language byte.
    edit_row(tv(), 1, [](ChannelDialog& d) {
        d.type_audio_pid("651");
        d.choose_language(2);
        d.set_scramble(false);
    });
    EXPECT_EQ(ch.audio_pid[0], 651);
    EXPECT_EQ(ch.audio_lang[0], 2);
    EXPECT_EQ(db.language_bytes[1], 0xC2);
    EXPECT_EQ(ch.attributes, CH_ATTR_LOCK | CH_ATTR_MANUAL);
    EXPECT_CONSISTENT();
}

TEST_F(ChannelPageTest, EditKeepsTheTunerHalfAndChangesGroups)
{
    view.select_tab(EditorView::TAB_TV);
    edit_row(tv(), 5, [](ChannelDialog& d) {
        EXPECT_EQ(d.sat_combo().selected_text(), "Sat 02");
        EXPECT_EQ(d.tp_combo().selected_text(), "TP:8 Freq 12000, Pol:H, SR 27500");
        d.toggle_group(0); // leave group 1
        d.toggle_group(1);
    });
    EXPECT_EQ(db.channels[5].tp_index, TP_HALF_NUM + 7);
    EXPECT_EQ(fav_entries(0, SERVICE_TV), (std::vector<uint16_t>{1, 3}));
    EXPECT_EQ(fav_entries(1, SERVICE_TV), std::vector<uint16_t>{5});
    EXPECT_EQ(db.channels[5].fav_membership, CH_FAV_MEMBER | 0x02);
    EXPECT_EQ(tv().list().text(5, 10), " 2");
    EXPECT_CONSISTENT();

    // Radio: no "MANUAL", and a channel of the second tuner stays there.
    db.channels[MAX_TV_CHAN_NUM + 2].tp_index = TP_HALF_NUM + 9;
    view.select_tab(EditorView::TAB_RADIO);
    edit_row(radio(), 2, [](ChannelDialog& d) {
        EXPECT_EQ(std::string(d.caption()), "Radio Channel");
        EXPECT_FALSE(d.video_pid_edit().enabled);
        EXPECT_EQ(d.video_pid_edit().text, "32767");
        d.type_name("Radio 3");
    });
    const tChannelStructure& r = db.channels[MAX_TV_CHAN_NUM + 2];
    EXPECT_EQ(name_of(MAX_TV_CHAN_NUM + 2), "Radio 3");
    EXPECT_EQ(r.tp_index, TP_HALF_NUM + 9);
    EXPECT_EQ(r.video_pid, INVALID_PID);
    EXPECT_EQ(r.attributes & CH_ATTR_MANUAL, 0);
    EXPECT_CONSISTENT();
}

TEST_F(ChannelPageTest, PidRangeChecks)
{
    view.select_tab(EditorView::TAB_TV);
    const tChannelStructure before = db.channels[0];
    edit_row(tv(), 0, [](ChannelDialog& d) { d.type_video_pid("20"); });
    EXPECT_EQ(last_message(), "Please enter an integer between 32 and 8191.");
    edit_row(tv(), 0, [](ChannelDialog& d) { d.type_audio_pid("9000"); });
    EXPECT_EQ(last_message(), "Please enter an integer between 32 and 8191.");
    edit_row(tv(), 0, [](ChannelDialog& d) { d.type_pcr_pid("abc"); });
    EXPECT_EQ(last_message(), "Please enter an integer.");
    EXPECT_EQ(std::memcmp(&before, &db.channels[0], sizeof before), 0);
    EXPECT_FALSE(doc.is_modified());

    // The edges pass.
    edit_row(tv(), 0, [](ChannelDialog& d) {
        d.type_video_pid("32");
        d.type_audio_pid("8191");
    });
    EXPECT_EQ(db.channels[0].video_pid, 32);
    EXPECT_EQ(db.channels[0].audio_pid[0], 8191);
    EXPECT_CONSISTENT();

    ChannelDialog d(db, ChannelDialog::ADD, 6, INVALID_SATID, prompts);
    d.type_name("A name far too long");
    EXPECT_EQ(d.name_edit().text, "A name far to");
    d.spin_audio_pid(-100000);
    EXPECT_EQ(d.audio_pid_edit().text, "32");
    EXPECT_EQ(d.sid_edit().text, "0");
    EXPECT_FALSE(d.sid_edit().enabled);
    EXPECT_EQ(d.language_combo().entries.size(), 63u);
    EXPECT_EQ(d.language_combo().entries.back(), "YIDDISH");
    EXPECT_EQ(d.language_combo().selection, -1);
}

TEST_F(ChannelPageTest, DialogListsAndSelectionMessages)
{
    ChannelDialog d(db, ChannelDialog::ADD, 6, 66, prompts);
    EXPECT_EQ(d.sat_combo().entries.size(), 32u);
    EXPECT_EQ(d.sat_combo().selected_text(), "Sat 02"); // twin of the current satellite
    EXPECT_EQ(d.tp_combo().entries, (std::vector<std::string>{"TP:7 Freq 11000, Pol:V, SR 27500",
                                                              "TP:8 Freq 12000, Pol:H, SR 27500",
                                                              "TP:9 Freq 12500, Pol:V, SR 22000"}));
    d.choose_sat(1);
    EXPECT_EQ(d.tp_combo().entries.front(), "TP:4 Freq 11000, V, SR 27500");
    EXPECT_EQ(d.tp_combo().selection, 0);
    d.choose_sat(10); // a satellite without transponders
    EXPECT_FALSE(d.ok());
    EXPECT_EQ(last_message(), "Transponder is not selected");

    d.toggle_group(2);
    d.toggle_group(0);
    EXPECT_EQ(d.group_combo().closed_text(), "Fav1; Fav3");
    // The locale's separator: a comma beside a decimal point, a semicolon beside a decimal comma or
    // without a locale; one name alone has none.
    d.set_list_separator(list_separator_for("."));
    EXPECT_EQ(d.group_combo().closed_text(), "Fav1, Fav3");
    EXPECT_EQ(list_separator_for(","), ";");
    EXPECT_EQ(list_separator_for(""), ";");
    d.toggle_group(2);
    EXPECT_EQ(d.group_combo().closed_text(), "Fav1");

    // Scramble marks bit 7 on a channel with a CI marker.
    db.channels[0].ci_marker = 1;
    ChannelDialog e(db, ChannelDialog::EDIT, 0, INVALID_SATID, prompts);
    e.set_scramble(true);
    ASSERT_TRUE(e.ok());
    EXPECT_EQ(e.record().attributes, CH_ATTR_CI);

    for (int s = 0; s < MAX_SAT_NUM; ++s)
        db.satellites[s].sat_id = INVALID_SATID;
    ChannelDialog none(db, ChannelDialog::ADD, 6, INVALID_SATID, prompts);
    EXPECT_FALSE(none.ok());
    EXPECT_EQ(last_message(), "Satellite is not selected");
}

TEST_F(ChannelPageTest, DeleteSeveralRows)
{
    view.select_tab(EditorView::TAB_TV);
    tv().select_rows({1, 3, 4});
    prompts.answers.push_back(common::Answer::No);
    tv().remove();
    EXPECT_EQ(last_message(), "Delete these 3 channels ?");
    EXPECT_EQ(db.system.chan_count[SERVICE_TV], 6);
    EXPECT_FALSE(doc.is_modified());

    tv().click_row(5);
    tv().select_rows({1, 3, 4});
    prompts.answers.push_back(common::Answer::Yes);
    tv().remove();
    EXPECT_EQ(db.system.chan_count[SERVICE_TV], 3);
    EXPECT_EQ(name_of(0), "tv0");
    EXPECT_EQ(name_of(1), "tv2");
    EXPECT_EQ(name_of(2), "tv5");
    EXPECT_EQ(fav_entries(0, SERVICE_TV), std::vector<uint16_t>{2});
    EXPECT_TRUE(fav_entries(2, SERVICE_TV).empty());
    EXPECT_EQ(db.system.fav_count[fav_list_index(2, SERVICE_TV)], 0);
    EXPECT_EQ(db.channels[2].fav_membership, CH_FAV_MEMBER | 0x01);
    EXPECT_EQ(tv().list().rows.size(), 3u);
    EXPECT_EQ(tv().status_line(), "");
    EXPECT_EQ(tv().remembered_item(), 2); // tv5 moved down with the gaps
    EXPECT_EQ(tv().list().selected, std::vector<int>{2});
    EXPECT_TRUE(doc.is_modified());
    EXPECT_CONSISTENT();

    tv().select_rows({});
    tv().remove();
    EXPECT_EQ(last_message(), "No Item");
    tv().edit();
    EXPECT_EQ(last_message(), "No item is selected!");
    tv().select_rows({0, 1});
    tv().edit();
    EXPECT_EQ(last_message(), "Only one select!");
}

TEST_F(ChannelPageTest, DragMovesChannelsWithTheirFavourites)
{
    fill_tv(7);
    store_channel_name(db.channels[6], "tv6");
    db.language_bytes[5] = 0x05;
    announce_new_database();
    view.select_tab(EditorView::TAB_TV);
    tv().select_rows({5, 6});
    EXPECT_FALSE(tv().drag_and_drop(5, 6)); // onto itself
    EXPECT_FALSE(doc.is_modified());

    ASSERT_TRUE(tv().drag_and_drop(5, 2));
    std::vector<std::string> names;
    for (int c = 0; c < 7; ++c)
        names.push_back(name_of(c));
    EXPECT_EQ(names, (std::vector<std::string>{"tv0", "tv1", "tv5", "tv6", "tv2", "tv3", "tv4"}));
    EXPECT_EQ(fav_entries(0, SERVICE_TV), (std::vector<uint16_t>{1, 5, 2}));
    EXPECT_EQ(fav_entries(2, SERVICE_TV), std::vector<uint16_t>{5});
    EXPECT_EQ(db.language_bytes[2], 0x05);
    EXPECT_EQ(tv().remembered_item(), 2);
    EXPECT_EQ(tv().list().selected, std::vector<int>{2});
    EXPECT_TRUE(doc.is_modified());
    EXPECT_CONSISTENT();

    // Downwards the channels land after the drop row; a drop below the rows counts as the last row.
    tv().select_rows({0, 1});
    ASSERT_TRUE(tv().drag_and_drop(1, 99));
    names.clear();
    for (int c = 0; c < 7; ++c)
        names.push_back(name_of(c));
    EXPECT_EQ(names, (std::vector<std::string>{"tv5", "tv6", "tv2", "tv3", "tv4", "tv0", "tv1"}));
    EXPECT_EQ(tv().remembered_item(), 6);
    EXPECT_CONSISTENT();
}

TEST_F(ChannelPageTest, SortByNameIsAViewOrder)
{
    store_channel_name(db.channels[2], "Alpha");
    store_channel_name(db.channels[4], "beta");
    view.select_tab(EditorView::TAB_TV);
    tv().click_row(0);
    tv().click_name_header();
    EXPECT_EQ(tv().name_sort(), ChannelPageBase::NameSort::Descending);
    auto order = [&] {
        std::vector<std::string> out;
        for (const auto& row : tv().list().rows)
            out.push_back(row.texts[1] + "#" + row.texts[0]);
        return out;
    };
    EXPECT_EQ(order(), (std::vector<std::string>{"tv5#006", "tv3#004", "tv1#002", "tv0#001", "beta#005",
                                                 "Alpha#003"}));
    EXPECT_EQ(tv().list().selected, std::vector<int>{3}); // tv0 stays selected
    tv().click_name_header();
    EXPECT_EQ(order().front(), "Alpha#003");
    EXPECT_EQ(name_of(2), "Alpha"); // the database keeps its order

    // Add keeps the order the user chose; selecting the tab again returns to slot order.
    add_on(tv(), 0, 1, "900", "901");
    EXPECT_EQ(order()[2], "New#007");
    view.select_tab(EditorView::TAB_TV);
    EXPECT_EQ(tv().name_sort(), ChannelPageBase::NameSort::None);
    EXPECT_EQ(order().front(), "tv0#001");
    EXPECT_FALSE(db.channels[6].attributes & CH_ATTR_SKIP);
    EXPECT_CONSISTENT();
}

TEST_F(ChannelPageTest, DragEqualsTheNeighbourExchanges)
{
    fill_tv(20);
    for (int c = 0; c < 20; ++c) {
        store_channel_name(db.channels[c], ("ch" + std::to_string(c)).c_str());
        db.language_bytes[c] = uint8_t(c);
    }
    for (int c : {4, 9, 15, 7, 2, 0})
        put_favourite(db, 1, c);
    put_favourite(db, 3, 15);
    announce_new_database();
    // The same drag done the slow way, one exchange of neighbours at a time.
    auto ref = std::make_unique<Database>();
    std::memcpy(ref->channels, db.channels, sizeof db.channels);
    std::memcpy(ref->language_bytes, db.language_bytes, sizeof db.language_bytes);
    std::memcpy(ref->fav_index, db.fav_index, sizeof db.fav_index);
    ref->system = db.system;
    int target = 7, moved = 0;
    for (int c : {2, 4}) {
        for (int i = c - moved; i < target; ++i)
            ref->swap_channels(SERVICE_TV, i, i + 1);
        ++moved;
    }
    ++target;
    moved = 0;
    for (int c : {15, 9}) {
        for (int i = c + moved; i > target; --i)
            ref->swap_channels(SERVICE_TV, i - 1, i);
        ++moved;
    }

    view.select_tab(EditorView::TAB_TV);
    tv().select_rows({2, 4, 9, 15});
    ASSERT_TRUE(tv().drag_and_drop(9, 7));
    EXPECT_EQ(std::memcmp(ref->channels, db.channels, sizeof db.channels), 0);
    EXPECT_EQ(std::memcmp(ref->language_bytes, db.language_bytes, sizeof db.language_bytes), 0);
    EXPECT_EQ(std::memcmp(ref->fav_index, db.fav_index, sizeof db.fav_index), 0);
    EXPECT_EQ(name_of(tv().remembered_item()), "ch9");
    EXPECT_CONSISTENT();
}
