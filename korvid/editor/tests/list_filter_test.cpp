// The filter above every editor list: which rows it keeps, the row numbers they keep, and every
// command (Edit, Del, drag, ">>", "<<", a drop) acting on the rows in view and never on hidden ones.
#include "korvid/editor/tests/channel_fixture.h"

using namespace korvid;
using namespace korvid::testing;

namespace {

TEST(ListFilter, KeepsRowsWithTheTextInAnyColumnWhateverTheLetterCase)
{
    ListFilter f;
    const std::vector<std::string> row = {"007", "Astra 19.2E", "HLBAND", "M\xD6NCHEN"};
    EXPECT_TRUE(f.keeps(row)); // no text keeps everything
    for (const char* kept : {"astra", "ASTRA 1", "19.2e", "band", "007", "m\xF6nchen", "\xD6"}) {
        f.set_text(kept);
        EXPECT_TRUE(f.keeps(row)) << kept;
    }
    // Within one text only, never across two columns; the multiplication sign has no small letter.
    for (const char* dropped : {"2EHL", "Astra 19.2E ", "x", "\xF7", "M\xD6NCHEN!"}) {
        f.set_text(dropped);
        EXPECT_FALSE(f.keeps(row)) << dropped;
    }
    f.set_text("\xD7");
    EXPECT_FALSE(f.keeps({"\xF7"}));
    EXPECT_TRUE(f.keeps({"2\xD7"}));
    // A character the lists cannot show finds nothing, not every row.
    f.set_text(std::string("a\0", 2));
    EXPECT_FALSE(f.keeps(row));
    EXPECT_FALSE(f.keeps({""}));
}

class ListFilterTest : public ChannelFixture
{
protected:
    // Channels 6 to 11 on transponder 0, the news and the films taking turns; group 3 holds them all.
    void add_news_and_films()
    {
        for (const char* name : {"news A", "film B", "news C", "film D", "news E", "film F"})
            put_favourite(db, 3, put_channel(db, SERVICE_TV, 0, name));
        announce_new_database();
    }
    std::vector<std::string> column(const ListState& list, int c) const
    {
        std::vector<std::string> out;
        for (const auto& row : list.rows)
            out.push_back(row.texts[size_t(c)]);
        return out;
    }
    std::vector<std::string> tv_names() const
    {
        std::vector<std::string> out;
        for (int c = 0; c < db.system.chan_count[SERVICE_TV]; ++c)
            out.push_back(name_of(c));
        return out;
    }
    std::vector<std::string> fav_names(int group) const
    {
        std::vector<std::string> out;
        for (uint16_t e : fav_entries(group, SERVICE_TV))
            out.push_back(name_of(e));
        return out;
    }
};

TEST_F(ListFilterTest, SatellitePagesKeepWholeListNumbersAndActOnTheRowInView)
{
    put_satellite(db, 32, "Hotbird 13E", 130);
    put_satellite(db, 33, "Thor 1W", -8);
    put_satellite(db, 34, "Hotbird 2", 130);
    announce_new_database();
    SatellitePage& sat = view.satellite_page();
    sat.set_filter("HOTBIRD");
    EXPECT_EQ(column(sat.list(), 1), (std::vector<std::string>{"Hotbird 13E", "Hotbird 2"}));
    EXPECT_EQ(column(sat.list(), 0), (std::vector<std::string>{"033", "035"}));

    // Edit through a filtered row: the row is not taken for a stale one, and keeps its number.
    sat.click_row(0);
    on_satellite_dialog([](SatelliteDialog& d) { d.type_name("Hotbird 13C"); });
    sat.edit();
    EXPECT_EQ(satellite_name(db, 32), "Hotbird 13C");
    EXPECT_EQ(sat.list().rows[0].texts[0], "033");

    sat.click_row(1);
    prompts.answers.push_back(common::Answer::Yes);
    sat.remove();
    EXPECT_FALSE(satellite_used(db, 34));
    EXPECT_TRUE(satellite_used(db, 32));
    EXPECT_TRUE(satellite_used(db, 33));
    EXPECT_EQ(column(sat.list(), 1), std::vector<std::string>{"Hotbird 13C"});
    EXPECT_CONSISTENT();

    // Every shown text counts ("W" of the degree column), and clearing the text shows every row.
    sat.set_filter("1.0w");
    EXPECT_EQ(column(sat.list(), 1), (std::vector<std::string>{"Sat 07"})); // " 51.0W"
    sat.set_filter("");
    EXPECT_EQ(sat.list().rows.size(), 34u);
    // The searched page filters on its own.
    view.searched_satellite_page().refresh();
    view.searched_satellite_page().set_filter("sat 01");
    EXPECT_EQ(column(view.searched_satellite_page().list(), 1), std::vector<std::string>{"Sat 01"});
}

TEST_F(ListFilterTest, TransponderEditWritesTheFilteredRowsEntry)
{
    TransponderPage& tp = view.transponder_page();
    view.select_tab(EditorView::TAB_TP);
    tp.set_filter("12500");
    EXPECT_EQ(column(tp.list(), 0), (std::vector<std::string>{"003", "006", "009", "012"}));
    tp.click_row(1);
    on_transponder_dialog([](TransponderDialog& d) { d.type_frequency("12600"); });
    tp.edit();
    EXPECT_EQ(db.transponders[5].frequency, 12600);
    EXPECT_EQ(db.transponders[5 + TP_HALF_NUM].frequency, 12600);
    EXPECT_EQ(db.transponders[2].frequency, 12500);
    EXPECT_EQ(tp.list().rows[1].texts[0], "006");
    EXPECT_EQ(tp.list().selected, std::vector<int>{1});
    EXPECT_CONSISTENT();
}

TEST_F(ListFilterTest, ChannelDeleteTakesOnlyTheSelectedVisibleRows)
{
    view.select_tab(EditorView::TAB_TV);
    tv().select_rows({1, 2});
    tv().set_filter("sat 01");
    EXPECT_EQ(column(tv().list(), 1), (std::vector<std::string>{"tv2", "tv3"}));
    EXPECT_EQ(column(tv().list(), 0), (std::vector<std::string>{"003", "004"}));
    // tv1 was selected too, but it is hidden now: only tv2 stays selected, and only tv2 goes.
    EXPECT_EQ(tv().list().selected, std::vector<int>{0});
    prompts.answers.push_back(common::Answer::Yes);
    tv().remove();
    EXPECT_EQ(tv_names(), (std::vector<std::string>{"tv0", "tv1", "tv3", "tv4", "tv5"}));
    EXPECT_EQ(column(tv().list(), 1), std::vector<std::string>{"tv3"});
    EXPECT_EQ(column(tv().list(), 0), std::vector<std::string>{"003"});
    EXPECT_CONSISTENT();

    // A sort orders what is in view; the next keystroke keeps that order.
    tv().set_filter("tv");
    tv().click_name_header();
    tv().set_filter("tv");
    tv().set_filter("t");
    EXPECT_EQ(column(tv().list(), 1), (std::vector<std::string>{"tv5", "tv4", "tv3", "tv1", "tv0"}));
}

// A drop onto a visible row puts the dragged channels, in their order, right after that row's
// channel when they come from above it and right before it when they come from below; the hidden
// channels between keep their order and are never carried along.
TEST_F(ListFilterTest, DragInAFilteredChannelListMovesTheRightChannelsToTheRightPlace)
{
    add_news_and_films();
    view.select_tab(EditorView::TAB_TV);
    tv().set_filter("NEWS");
    ASSERT_EQ(column(tv().list(), 1), (std::vector<std::string>{"news A", "news C", "news E"}));

    tv().select_rows({0, 1});
    ASSERT_TRUE(tv().drag_and_drop(0, 2));
    EXPECT_EQ(tv_names(), (std::vector<std::string>{"tv0", "tv1", "tv2", "tv3", "tv4", "tv5", "film B",
                                                    "film D", "news E", "news A", "news C", "film F"}));
    EXPECT_EQ(column(tv().list(), 1), (std::vector<std::string>{"news E", "news A", "news C"}));
    EXPECT_EQ(column(tv().list(), 0), (std::vector<std::string>{"009", "010", "011"}));
    EXPECT_EQ(fav_names(3),
              (std::vector<std::string>{"news A", "film B", "news C", "film D", "news E", "film F"}));

    tv().select_rows({});
    ASSERT_TRUE(tv().drag_and_drop(2, 0));
    EXPECT_EQ(tv_names(), (std::vector<std::string>{"tv0", "tv1", "tv2", "tv3", "tv4", "tv5", "film B",
                                                    "film D", "news C", "news E", "news A", "film F"}));
    EXPECT_EQ(tv().remembered_item(), 8);
    EXPECT_EQ(tv().list().selected, std::vector<int>{0});
    EXPECT_CONSISTENT();
}

TEST_F(ListFilterTest, FavoritePageDragMovesEntriesAroundHiddenOnes)
{
    add_news_and_films();
    view.select_tab(EditorView::TAB_FAVORITE);
    ASSERT_TRUE(fav().choose_group(3));
    fav().set_filter("news");
    EXPECT_EQ(column(fav().list(), 0), (std::vector<std::string>{"001", "003", "005"}));
    ASSERT_TRUE(fav().drag_and_drop(2, 0));
    EXPECT_EQ(fav_names(3),
              (std::vector<std::string>{"news E", "news A", "film B", "news C", "film D", "film F"}));
    ASSERT_TRUE(fav().drag_and_drop(0, 1));
    EXPECT_EQ(fav_names(3),
              (std::vector<std::string>{"news A", "news E", "film B", "news C", "film D", "film F"}));
    EXPECT_EQ(column(fav().list(), 1), (std::vector<std::string>{"news A", "news E", "news C"}));
    EXPECT_CONSISTENT();
}

TEST_F(ListFilterTest, FavoriteDialogEditsTheWholeListThroughFilteredRows)
{
    add_news_and_films();
    FavoriteDialog d(db, 3, SERVICE_TV, prompts);
    d.set_favorite_filter("FILM");
    ASSERT_EQ(column(d.favorite_list(), 0), (std::vector<std::string>{"film B", "film D", "film F"}));
    d.click_favorite_row(1);
    d.remove_selected();
    EXPECT_EQ(column(d.favorite_list(), 0), (std::vector<std::string>{"film B", "film F"}));

    // A favourite hidden by the filter is still there for ">>".
    d.set_channel_filter("news a");
    ASSERT_EQ(column(d.channel_list(), 0), std::vector<std::string>{"news A"});
    d.click_channel_row(0);
    d.add_selected();
    EXPECT_EQ(last_message(), "Same channel already exist");

    // A drop goes in before the highlighted row's channel in the whole list.
    d.set_channel_filter("TV");
    d.select_channel_rows({0, 4});
    d.drag_over_favorites(1);
    ASSERT_TRUE(d.drop_on_favorites());
    d.set_favorite_filter("");
    EXPECT_EQ(column(d.favorite_list(), 0),
              (std::vector<std::string>{"news A", "film B", "news C", "news E", "tv0", "tv4", "film F"}));
    // ">>" appends after the last channel, hidden or not; a selection the filter hides stays behind.
    d.set_channel_filter("tv");
    d.select_channel_rows({1, 2});
    d.set_channel_filter("tv2");
    EXPECT_EQ(d.channel_list().selected, std::vector<int>{0});
    d.set_favorite_filter("news");
    d.add_selected();
    EXPECT_EQ(column(d.favorite_list(), 0), (std::vector<std::string>{"news A", "news C", "news E"}));
    EXPECT_EQ(d.working_copy()[7], 2);
    EXPECT_EQ(d.working_copy()[8], FavoriteDialog::EMPTY);

    ASSERT_TRUE(d.store(db));
    EXPECT_EQ(fav_names(3), (std::vector<std::string>{"news A", "film B", "news C", "news E", "tv0", "tv4",
                                                      "film F", "tv2"}));
    EXPECT_EQ(db.channels[9].fav_membership, 0); // film D left its only group
    EXPECT_CONSISTENT();
}

} // namespace
