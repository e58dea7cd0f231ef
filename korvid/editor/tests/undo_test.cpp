// Undo and redo of every kind of change the pages make, checked on the packed image byte for byte,
// with the invariant checker after every step and the selection left on things that exist.
#include "korvid/database/ird_file.h"
#include "korvid/editor/group_name_dialog.h"
#include "korvid/editor/order_like_dialog.h"
#include "korvid/editor/tests/channel_fixture.h"

#include <cstdio>
#include <random>

using namespace korvid;
using namespace korvid::testing;

namespace {

class UndoTest : public ChannelFixture
{
protected:
    std::vector<uint8_t> image() const
    {
        std::vector<uint8_t> out(DB_IMAGE_SIZE, 0);
        db.pack_image(out.data());
        return out;
    }
    SatellitePage& sat() { return view.satellite_page(); }

    // The action must record one step named `label`; undo gives back the image from before it and
    // redo the one after it.
    void round_trip(const std::string& label, const std::function<void()>& action)
    {
        SCOPED_TRACE(label);
        const auto before = image();
        const size_t steps = doc.history().undo_count();
        action();
        ASSERT_EQ(doc.history().undo_count(), steps + 1);
        EXPECT_EQ(doc.history().undo_label(), label);
        const auto after = image();
        ASSERT_TRUE(view.undo());
        EXPECT_TRUE(image() == before);
        EXPECT_CONSISTENT();
        ASSERT_TRUE(view.redo());
        EXPECT_TRUE(image() == after);
        EXPECT_CONSISTENT();
    }
    void add_satellite(const std::string& name)
    {
        on_satellite_dialog([name](SatelliteDialog& d) {
            d.type_name(name);
            d.type_degree("010.0E");
        });
        sat().add();
    }
    // The database with its TV channels in the opposite order, as a file; returns its path.
    std::string write_reversed_copy(const std::string& name) const
    {
        Database copy;
        copy.unpack_image(image().data());
        std::vector<int> order(copy.system.chan_count[SERVICE_TV]);
        for (size_t k = 0; k < order.size(); ++k)
            order[k] = int(order.size() - 1 - k);
        EXPECT_TRUE(copy.reorder_channels(SERVICE_TV, order));
        const std::string path = ::testing::TempDir() + name;
        EXPECT_TRUE(write_database_file(copy, 0, 0, path));
        return path;
    }
    void expect_selection_exists()
    {
        EXPECT_TRUE(selection.current_sat == INVALID_SATID || satellite_used(db, selection.current_sat));
        EXPECT_TRUE(selection.current_tp == INVALID_TPID || transponder_used(db, selection.current_tp));
    }
};

TEST_F(UndoTest, EveryKindOfChangeComesBackByteForByte)
{
    // A satellite whose deletion cascades through transponders, channels of both tuners and
    // favourites.
    put_satellite(db, 33, "Astra 19.2E", 192);
    put_transponder(db, 20, 33, 11494, 22000, 1);
    put_favourite(db, 0, put_channel(db, SERVICE_TV, 20, "Das Erste HD"));
    put_favourite(db, 3, put_channel(db, SERVICE_TV, TP_HALF_NUM + 20, "ZDF"));
    put_favourite(db, 1, put_channel(db, SERVICE_RADIO, 20, "Bayern 3"));
    announce_new_database();
    const auto loaded = image();

    round_trip("Add satellite Thor", [&] { add_satellite("Thor"); });
    round_trip("Delete satellite Astra 19.2E", [&] {
        sat().click_row(sat().list().find_item(33));
        prompts.answers.push_back(common::Answer::Yes);
        sat().remove();
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
        tv().drag_and_drop(0, int(tv().list().rows.size()) - 1);
    });
    const size_t steps = doc.history().undo_count();
    tv().click_name_header();
    EXPECT_EQ(doc.history().undo_count(), steps) << "a sort by name orders the rows only";

    view.select_tab(EditorView::TAB_FAVORITE);
    round_trip("Change favourites of Fav1", [&] {
        on_favorite_dialog([](FavoriteDialog& d) {
            d.select_favorite_rows({0});
            d.remove_selected();
        });
        fav().modify();
    });
    round_trip("Move a favourite in Fav1", [&] { fav().drag_and_drop(0, 1); });
    round_trip("Rename favourite group Fav1", [&] {
        dialogs.group_name = [](GroupNameDialog& d) {
            d.type_name("Sports");
            return d.ok();
        };
        fav().rename();
    });
    const std::string reference = write_reversed_copy("reversed.ird");
    round_trip("Order like reversed.ird", [&] {
        prompts.files.push_back(reference);
        dialogs.order_like = [](OrderLikeDialog& d) {
            d.set_favourites(true);
            return true;
        };
        view.order_like();
    });
    std::remove(reference.c_str());

    while (view.undo()) {
    }
    EXPECT_TRUE(image() == loaded);
    EXPECT_FALSE(doc.is_modified());
    EXPECT_NE(sat().list().find_item(33), -1) << "the pages show the restored tables";
}

TEST_F(UndoTest, OrderLikeCancelledOrOnAFileThatIsNoDatabaseRecordsNothing)
{
    int dialogs_shown = 0;
    dialogs.order_like = [&](OrderLikeDialog&) { return ++dialogs_shown, false; };
    prompts.files.push_back(write_reversed_copy("cancelled.ird"));
    EXPECT_FALSE(view.order_like());
    prompts.files.push_back("/nonexistent/list.json");
    EXPECT_FALSE(view.order_like());
    EXPECT_EQ(last_message(), "Can't open /nonexistent/list.json: No such file or directory");
    EXPECT_EQ(dialogs_shown, 1);
    EXPECT_EQ(doc.history().undo_count(), 0u);
    EXPECT_FALSE(doc.is_modified());
}

TEST_F(UndoTest, TheSelectionLosesOnlyWhatTheUndoTookAway)
{
    add_satellite("Thor");
    view.select_tab(EditorView::TAB_TP);
    on_transponder_dialog([](TransponderDialog& d) {
        d.type_frequency("10778");
        d.type_symbol_rate("27500");
    });
    view.transponder_page().add();
    ASSERT_TRUE(transponder_used(db, selection.current_tp));

    ASSERT_TRUE(view.undo());
    EXPECT_EQ(selection.current_tp, INVALID_TPID);
    EXPECT_EQ(selection.current_sat, 32) << "Thor is still there";
    ASSERT_TRUE(view.undo());
    EXPECT_EQ(selection.current_sat, INVALID_SATID);
}

// A few hundred edits of every kind, chosen by a seeded generator with undos among them, taken
// back to the loaded file and done again to the last state.
TEST_F(UndoTest, ASeededRandomRunUndoesToTheLoadedImageAndRedoesToTheLast)
{
    fill_tv(60);
    announce_new_database();
    const auto loaded = image();
    std::mt19937 rng(2112);
    auto pick = [&rng](int n) { return int(rng() % unsigned(n)); };
    prompts.answers.assign(1000, common::Answer::Yes);
    for (int i = 0; i < 300; ++i) {
        ChannelPageBase& page = pick(3) ? static_cast<ChannelPageBase&>(tv()) : radio();
        const int rows = int(page.list().rows.size());
        const int kind = pick(6);
        if (kind == 0 && rows > 1) {
            page.select_rows({pick(rows)});
            page.drag_and_drop(page.list().selected.front(), pick(rows));
        } else if (kind == 1 && rows > 1) {
            page.click_row(pick(rows));
            on_channel_dialog([&](ChannelDialog& d) { d.type_name("ch" + std::to_string(i)); });
            page.edit();
        } else if (kind == 2 && rows > 20) {
            page.select_rows({pick(rows)});
            page.remove();
        } else if (kind == 3) {
            on_favorite_dialog([&](FavoriteDialog& d) {
                d.click_channel_row(pick(int(d.channel_list().rows.size())));
                d.add_selected();
            });
            fav().modify();
        } else if (kind == 4) {
            add_satellite("S" + std::to_string(i));
        } else if (kind == 5) {
            view.undo(); // the next change ends the way forward from here
        }
    }
    while (view.redo()) { // the run may have ended on an undo
    }
    ASSERT_GT(doc.history().undo_count(), 100u);
    const auto last = image();
    while (view.undo())
        expect_selection_exists();
    EXPECT_TRUE(image() == loaded);
    EXPECT_FALSE(doc.is_modified());
    while (view.redo()) {
    }
    EXPECT_TRUE(image() == last);
    EXPECT_CONSISTENT();
}

} // namespace
