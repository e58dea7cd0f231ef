// Undo and redo of every kind of change the pages make, checked on the packed image byte for byte,
// with the invariant checker after every step and the selection left on things that exist.
#include "korvid/editor/tests/channel_fixture.h"

#include <random>

using namespace korvid;
using namespace korvid::testing;

namespace {

class UndoTest : public ChannelFixture
{
protected:
    void SetUp() override { loaded = image(); }

    std::vector<uint8_t> image() const
    {
        std::vector<uint8_t> out(DB_IMAGE_SIZE, 0);
        db.pack_image(out.data());
        return out;
    }
    SatellitePage& sat() { return view.satellite_page(); }
    TransponderPage& tp() { return view.transponder_page(); }

    // The user's action must record exactly one step named `label`; undo must give back the image
    // from before it and redo the one after it.
    void round_trip(const std::string& label, const std::function<void()>& action)
    {
        SCOPED_TRACE(label);
        const auto before = image();
        const size_t steps = doc.history().undo_count();
        action();
        EXPECT_CONSISTENT();
        ASSERT_EQ(doc.history().undo_count(), steps + 1);
        EXPECT_EQ(doc.history().undo_label(), label);
        const auto after = image();
        ASSERT_NE(after, before);
        ASSERT_TRUE(view.undo());
        EXPECT_TRUE(image() == before);
        EXPECT_CONSISTENT();
        EXPECT_EQ(doc.history().redo_label(), label);
        ASSERT_TRUE(view.redo());
        EXPECT_TRUE(image() == after);
        EXPECT_CONSISTENT();
    }
    void add_satellite(const std::string& name)
    {
        on_satellite_dialog([name](SatelliteDialog& d) {
            d.type_name(name);
            d.choose_lnb_type(UNI_LNB);
            d.type_degree("010.0E");
        });
        sat().add();
    }
    void expect_selection_exists()
    {
        EXPECT_TRUE(selection.current_sat == INVALID_SATID || satellite_used(db, selection.current_sat));
        EXPECT_TRUE(selection.current_tp == INVALID_TPID || transponder_used(db, selection.current_tp));
    }

    std::vector<uint8_t> loaded;
};

TEST_F(UndoTest, EveryKindOfChangeComesBackByteForByte)
{
    // A satellite with transponders, channels seen from both tuners and favourites, for the cascade.
    put_satellite(db, 33, "Astra 19.2E", 192);
    put_transponder(db, 20, 33, 11494, 22000, 1);
    put_transponder(db, 21, 33, 11836, 27500, 1);
    const int tv_a = put_channel(db, SERVICE_TV, 20, "Das Erste HD");
    const int tv_b = put_channel(db, SERVICE_TV, TP_HALF_NUM + 21, "ZDF");
    const int radio = put_channel(db, SERVICE_RADIO, 21, "Bayern 3");
    put_favourite(db, 0, tv_a);
    put_favourite(db, 3, tv_b);
    put_favourite(db, 1, radio);
    announce_new_database();
    loaded = image();

    round_trip("Add satellite Thor", [&] { add_satellite("Thor"); });
    round_trip("Edit satellite Thor 5", [&] {
        sat().click_row(sat().list().find_item(32));
        on_satellite_dialog([](SatelliteDialog& d) { d.type_name("Thor 5"); });
        sat().edit();
    });
    round_trip("Delete satellite Astra 19.2E", [&] {
        sat().click_row(sat().list().find_item(33));
        prompts.answers.push_back(common::Answer::Yes);
        sat().remove();
    });

    view.select_tab(EditorView::TAB_TP);
    view.show_all_db_data();
    round_trip("Add transponder 12345/V/27500", [&] {
        on_transponder_dialog([](TransponderDialog& d) {
            d.choose_link_sat(1);
            d.type_frequency("12345");
            d.type_symbol_rate("27500");
            d.choose_polarity(0);
        });
        tp().add();
    });
    round_trip("Delete transponder 11000/V/27500", [&] {
        tp().click_row(tp().list().find_item(3)); // the list shows Sat 01, chosen by the add
        prompts.answers.push_back(common::Answer::Yes);
        tp().remove();
    });

    view.select_tab(EditorView::TAB_TV);
    view.show_all_db_data();
    round_trip("Edit channel Renamed", [&] {
        tv().click_row(0);
        on_channel_dialog([](ChannelDialog& d) { d.type_name("Renamed"); });
        tv().edit();
    });
    round_trip("Move 2 channels", [&] {
        tv().select_rows({0, 1});
        ASSERT_TRUE(tv().drag_and_drop(0, int(tv().list().rows.size()) - 1));
    });
    round_trip("Delete 2 channels", [&] {
        tv().select_rows({1, 2});
        prompts.answers.push_back(common::Answer::Yes);
        tv().remove();
    });

    view.select_tab(EditorView::TAB_FAVORITE);
    round_trip("Change favourites of Fav1", [&] {
        on_favorite_dialog([](FavoriteDialog& d) {
            const auto& rows = d.channel_list().rows;
            for (size_t r = 0; r < rows.size(); ++r)
                if (d.favorite_list().find_item(rows[r].item_data) < 0) {
                    d.click_channel_row(int(r));
                    d.add_selected();
                    break;
                }
        });
        fav().modify();
    });
    round_trip("Move a favourite in Fav1", [&] { ASSERT_TRUE(fav().drag_and_drop(0, 2)); });
    round_trip("Rename favourite group", [&] {
        std::memcpy(db.fav_names[2], "Sports", 6);
        ctx.mark_modified("Rename favourite group");
    });

    // A sort by name only orders the rows: nothing to undo.
    view.select_tab(EditorView::TAB_TV);
    const size_t steps = doc.history().undo_count();
    tv().click_name_header();
    EXPECT_EQ(doc.history().undo_count(), steps);

    // The whole run, taken back, is the loaded file again; the pages show it.
    while (view.undo())
        expect_selection_exists();
    EXPECT_TRUE(image() == loaded);
    EXPECT_FALSE(doc.is_modified());
    EXPECT_NE(tv().list().find_item(tv_a), -1);
    EXPECT_NE(sat().list().find_item(33), -1);
}

TEST_F(UndoTest, TheSelectionLosesOnlyWhatTheUndoTookAway)
{
    add_satellite("Thor");
    ASSERT_EQ(selection.current_sat, 32);
    view.select_tab(EditorView::TAB_TP);
    on_transponder_dialog([](TransponderDialog& d) {
        d.type_frequency("10778");
        d.type_symbol_rate("27500");
    });
    tp().add();
    ASSERT_NE(selection.current_tp, INVALID_TPID);
    ASSERT_TRUE(transponder_used(db, selection.current_tp));

    ASSERT_TRUE(view.undo());
    EXPECT_EQ(selection.current_tp, INVALID_TPID) << "the transponder is gone";
    EXPECT_EQ(selection.current_sat, 32) << "the satellite is still there";
    EXPECT_TRUE(tp().list().rows.empty()) << "the TP page shows Thor's transponders: none now";

    ASSERT_TRUE(view.undo());
    EXPECT_EQ(selection.current_sat, INVALID_SATID);
    EXPECT_EQ(sat().list().find_item(32), -1);
    EXPECT_FALSE(view.undo());
    EXPECT_FALSE(doc.is_modified());
}

// A few hundred edits of every kind, chosen by a seeded generator, taken back to the loaded file
// and done again to the last state.
TEST_F(UndoTest, ASeededRandomRunUndoesToTheLoadedImageAndRedoesToTheLast)
{
    fill_tv(60);
    for (int c = 0; c < 12; ++c)
        put_channel(db, SERVICE_RADIO, 2 + 3 * (c % 3), "radio");
    announce_new_database();
    loaded = image();
    std::mt19937 rng(2112);
    auto pick = [&rng](int n) { return int(rng() % unsigned(n)); };
    prompts.answers.assign(1000, common::Answer::Yes);

    int added_sats = 0;
    for (int i = 0; i < 300; ++i) {
        ChannelPageBase& page = pick(3) ? static_cast<ChannelPageBase&>(tv()) : radio();
        const int rows = int(page.list().rows.size());
        switch (pick(8)) {
        case 0:
        case 1:
            if (rows > 1) {
                page.select_rows({pick(rows)});
                page.drag_and_drop(page.list().selected.front(), pick(rows));
            }
            break;
        case 2:
            if (rows > 1) {
                page.click_row(pick(rows));
                on_channel_dialog([&](ChannelDialog& d) { d.type_name("ch" + std::to_string(i)); });
                page.edit();
            }
            break;
        case 3:
            if (rows > 20) {
                page.select_rows({pick(rows)});
                page.remove();
            }
            break;
        case 4:
            on_favorite_dialog([&](FavoriteDialog& d) {
                d.click_channel_row(pick(int(d.channel_list().rows.size())));
                d.add_selected();
            });
            fav().modify();
            break;
        case 5:
            if (added_sats < 20)
                add_satellite("S" + std::to_string(added_sats++));
            break;
        case 6: {
            sat().click_row(pick(int(sat().list().rows.size())));
            on_satellite_dialog(
                [&](SatelliteDialog& d) { d.type_degree(std::to_string(pick(180)) + ".0E"); });
            sat().edit();
            break;
        }
        default:
            if (pick(4) == 0 && doc.history().can_undo())
                view.undo(); // later changes then end the way forward from here
            break;
        }
    }
    EXPECT_CONSISTENT();
    ASSERT_GT(doc.history().undo_count(), 150u);
    const auto last = image();
    while (view.undo()) {
        expect_selection_exists();
    }
    EXPECT_CONSISTENT();
    EXPECT_TRUE(image() == loaded);
    EXPECT_FALSE(doc.is_modified());
    while (view.redo()) {
    }
    EXPECT_TRUE(image() == last);
    EXPECT_TRUE(doc.is_modified());
    EXPECT_CONSISTENT();
}

} // namespace
