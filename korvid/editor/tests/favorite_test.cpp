// The "Favorite" page and dialog driven as a user would, with the invariant checker after every step.
#include "korvid/editor/group_name_dialog.h"
#include "korvid/editor/tests/channel_fixture.h"

using namespace korvid;
using namespace korvid::testing;

namespace {

class FavoriteTest : public ChannelFixture
{
protected:
    void SetUp() override { view.select_tab(EditorView::TAB_FAVORITE); }

    void set_name(int group, const char* name)
    {
        std::memset(db.fav_names[group], 0, MAX_FAVNAME_LEN);
        std::memcpy(db.fav_names[group], name, std::strlen(name));
    }
    std::vector<std::string> row_names(const ListState& list) const
    {
        std::vector<std::string> out;
        for (const auto& row : list.rows)
            out.push_back(row.texts[0 + (list.columns.size() > 1 ? 1 : 0)]);
        return out;
    }
    // 210 TV channels; group 0's TV list then holds channels 1 to `entries` instead of its sample.
    void fill_group0_to(int entries)
    {
        fill_tv(210);
        for (int c : {1, 3, 5})
            db.remove_from_favourites(0x01, SERVICE_TV, c);
        db.compact_favourite_lists();
        for (int c = 1; c <= entries; ++c)
            put_favourite(db, 0, c);
        announce_new_database();
    }
    // Plays the user in the next rename: types `text` over the name and presses OK; when OK refuses,
    // the user cancels. `opened_with` receives the text the dialog opened on.
    void on_rename(std::string text, std::string* opened_with = nullptr)
    {
        dialogs.group_name = [text, opened_with](GroupNameDialog& d) {
            if (opened_with)
                *opened_with = d.name_edit().text;
            d.type_name(text);
            return d.ok();
        };
    }
    std::string cell(int group) const
    {
        return std::string(reinterpret_cast<const char*>(db.fav_names[group]), MAX_FAVNAME_LEN);
    }
};

} // namespace

TEST_F(FavoriteTest, GroupSelectorNames)
{
    set_name(1, "\x9F"
                "News");
    set_name(2, "\x7F"
                "Hidden");
    set_name(3, "Music");
    fav().refresh();
    EXPECT_EQ(fav().group_combo().entries, (std::vector<std::string>{"Fav1", "News", "Music"}));
    EXPECT_EQ(fav().group_numbers(), (std::vector<int>{0, 1, 3}));
    ASSERT_TRUE(fav().choose_group(2));
    EXPECT_EQ(fav().group(), 3);
    fav().refresh(); // the group number, not the entry, survives a refill
    EXPECT_EQ(fav().group_combo().selection, 2);
    EXPECT_EQ(fav().group(), 3);

    FavoriteDialog d0(db, 0, SERVICE_TV, prompts);
    EXPECT_EQ(d0.heading(), "1. ");
    FavoriteDialog d1(db, 1, SERVICE_TV, prompts);
    EXPECT_EQ(d1.heading(), "2. News");
}

TEST_F(FavoriteTest, RowsAndTypes)
{
    EXPECT_EQ(fav().group(), 0);
    ASSERT_EQ(fav().list().rows.size(), 3u);
    EXPECT_EQ(fav().list().rows[1].texts,
              (std::vector<std::string>{"002", "tv3", "Sat 01", "12000/H/27500"}));
    EXPECT_EQ(fav().list().rows[2].item_data, 5);
    fav().choose_type(SERVICE_RADIO);
    EXPECT_TRUE(fav().radio_button().checked);
    EXPECT_TRUE(fav().list().rows.empty());
    fav().choose_group(1);
    ASSERT_EQ(fav().list().rows.size(), 1u);
    EXPECT_EQ(fav().list().rows[0].item_data, MAX_TV_CHAN_NUM + 1);
}

TEST_F(FavoriteTest, ModifyWithoutChannels)
{
    for (int c = MAX_TV_CHAN_NUM; c < MAX_TV_CHAN_NUM + 3; ++c)
        db.delete_channel(c);
    compact_after_channel_deletion(db);
    EXPECT_CONSISTENT();
    fav().choose_type(SERVICE_RADIO);
    on_favorite_dialog([](FavoriteDialog&) {});
    fav().modify();
    EXPECT_EQ(last_message(), "There is no channel!");
    EXPECT_EQ(favorite_dialogs_opened, 0);
}

TEST_F(FavoriteTest, DragRowOntoAnother)
{
    put_favourite(db, 0, 0);
    put_favourite(db, 0, 2);
    fav().refresh();
    const std::vector<uint16_t> before = fav_entries(0, SERVICE_TV); // 1, 3, 5, 0, 2
    EXPECT_FALSE(fav().drag_and_drop(2, 2));
    EXPECT_FALSE(doc.is_modified());
    ASSERT_TRUE(fav().drag_and_drop(0, 3));
    EXPECT_EQ(fav_entries(0, SERVICE_TV),
              (std::vector<uint16_t>{before[1], before[2], before[3], before[0], before[4]}));
    EXPECT_EQ(fav().list().selected, std::vector<int>{3});
    EXPECT_EQ(fav().list().rows[3].item_data, before[0]);
    EXPECT_EQ(fav().list().text(3, 0), "004");
    EXPECT_TRUE(doc.is_modified());
    EXPECT_CONSISTENT();

    // Upwards, and below the last row.
    ASSERT_TRUE(fav().drag_and_drop(4, 0));
    EXPECT_EQ(fav_entries(0, SERVICE_TV),
              (std::vector<uint16_t>{before[4], before[1], before[2], before[3], before[0]}));
    ASSERT_TRUE(fav().drag_and_drop(0, -1));
    EXPECT_EQ(fav_entries(0, SERVICE_TV).back(), before[4]);
    EXPECT_EQ(fav().list().selected, std::vector<int>{4});
    EXPECT_CONSISTENT();
}

TEST_F(FavoriteTest, DialogOpensOnTheStoredList)
{
    on_favorite_dialog([&](FavoriteDialog& d) {
        EXPECT_EQ(d.working_copy()[0], 1);
        EXPECT_EQ(d.working_copy()[3], FavoriteDialog::EMPTY);
        EXPECT_EQ(row_names(d.channel_list()),
                  (std::vector<std::string>{"tv0", "tv1", "tv2", "tv3", "tv4", "tv5"}));
        EXPECT_EQ(row_names(d.favorite_list()), (std::vector<std::string>{"tv1", "tv3", "tv5"}));
        d.click_channel_row(5);
        EXPECT_EQ(d.info_line(0), "Sat 02");
        EXPECT_EQ(d.info_line(1), "12000/H/27500");
        d.click_favorite_row(0);
        EXPECT_EQ(d.info_line(0), "Sat 00");
    });
    fav().modify();
    EXPECT_EQ(favorite_dialogs_opened, 1);
    EXPECT_FALSE(doc.is_modified()); // OK without a change
    EXPECT_CONSISTENT();

    on_favorite_dialog(
        [&](FavoriteDialog& d) {
            d.click_channel_row(0);
            d.add_selected();
        },
        false);
    fav().modify();
    EXPECT_EQ(fav_entries(0, SERVICE_TV), (std::vector<uint16_t>{1, 3, 5}));
    EXPECT_FALSE(doc.is_modified()); // Cancel
}

TEST_F(FavoriteTest, AddAndRemoveWithButtons)
{
    db.cursor.fav_cursor[fav_list_index(0, SERVICE_TV)] = 2;
    on_favorite_dialog([&](FavoriteDialog& d) {
        d.click_channel_row(1);
        d.add_selected();
        EXPECT_EQ(last_message(), "Same channel already exist");
        d.select_channel_rows({0, 1, 2});
        d.add_selected(); // the one present is skipped quietly
        EXPECT_EQ(row_names(d.favorite_list()),
                  (std::vector<std::string>{"tv1", "tv3", "tv5", "tv0", "tv2"}));
        EXPECT_EQ(d.favorite_list().selected, (std::vector<int>{0, 3, 4}));
        d.select_favorite_rows({0, 1, 2});
        d.remove_selected();
        EXPECT_EQ(row_names(d.favorite_list()), (std::vector<std::string>{"tv0", "tv2"}));
        EXPECT_EQ(d.working_copy()[1], 2);
        EXPECT_EQ(d.working_copy()[2], FavoriteDialog::EMPTY);
    });
    fav().modify();
    EXPECT_EQ(fav_entries(0, SERVICE_TV), (std::vector<uint16_t>{0, 2}));
    EXPECT_EQ(db.channels[1].fav_membership, 0); // in no group any more
    EXPECT_EQ(db.channels[3].fav_membership, CH_FAV_MEMBER | 0x04);
    EXPECT_EQ(db.channels[0].fav_membership, CH_FAV_MEMBER | 0x01);
    EXPECT_EQ(db.cursor.fav_cursor[fav_list_index(0, SERVICE_TV)], 1);
    EXPECT_EQ(row_names(fav().list()), (std::vector<std::string>{"tv0", "tv2"}));
    EXPECT_TRUE(doc.is_modified());
    EXPECT_CONSISTENT();

    // Emptying the group clears every bit it gave.
    on_favorite_dialog([&](FavoriteDialog& d) {
        d.select_favorite_rows({0, 1});
        d.remove_selected();
    });
    fav().modify();
    EXPECT_TRUE(fav_entries(0, SERVICE_TV).empty());
    EXPECT_EQ(db.channels[0].fav_membership, 0);
    EXPECT_EQ(db.cursor.fav_cursor[fav_list_index(0, SERVICE_TV)], 0);
    EXPECT_CONSISTENT();
}

TEST_F(FavoriteTest, DropAtAnInsertionPoint)
{
    on_favorite_dialog([&](FavoriteDialog& d) {
        d.click_channel_row(3);
        d.drag_over_favorites(0);
        EXPECT_FALSE(d.drop_on_favorites());
        EXPECT_EQ(last_message(), "Same Channel already exist");
        d.select_channel_rows({0, 3, 4});
        d.drag_over_favorites(1);
        EXPECT_EQ(d.drop_highlight(), 1);
        d.drop_on_channels(); // nothing
        EXPECT_EQ(row_names(d.favorite_list()).size(), 3u);
        d.drag_over_favorites(1);
        EXPECT_TRUE(d.drop_on_favorites());
        EXPECT_EQ(row_names(d.favorite_list()),
                  (std::vector<std::string>{"tv1", "tv0", "tv4", "tv3", "tv5"}));
        d.click_channel_row(2);
        d.drag_over_favorites(-1);
        EXPECT_TRUE(d.drop_on_favorites());
        EXPECT_EQ(row_names(d.favorite_list()).back(), "tv2");
    });
    fav().modify();
    EXPECT_EQ(fav_entries(0, SERVICE_TV), (std::vector<uint16_t>{1, 0, 4, 3, 5, 2}));
    EXPECT_CONSISTENT();
}

TEST_F(FavoriteTest, FullGroupMessages)
{
    fill_group0_to(199);
    on_favorite_dialog([&](FavoriteDialog& d) {
        ASSERT_EQ(d.favorite_list().rows.size(), 199u);
        d.select_channel_rows({200, 201});
        d.drag_over_favorites(-1);
        EXPECT_FALSE(d.drop_on_favorites());
        EXPECT_EQ(last_message(), "Favorite item at this group is full !");
        EXPECT_EQ(d.favorite_list().rows.size(), 199u);
        d.add_selected();
        EXPECT_EQ(last_message(), "Favorite channel at this group is full !");
        EXPECT_EQ(d.favorite_list().rows.size(), 200u);
        EXPECT_EQ(d.favorite_list().rows.back().item_data, 200);
        d.click_channel_row(205);
        d.add_selected();
        EXPECT_EQ(d.favorite_list().rows.size(), 200u);
    });
    const size_t shown = prompts.shown.size();
    fav().modify();
    EXPECT_EQ(prompts.shown.size(), shown + 3);
    EXPECT_EQ(fav_entries(0, SERVICE_TV).size(), 200u);
    EXPECT_EQ(db.system.fav_count[0], 200);
    EXPECT_EQ(db.channels[200].fav_membership, CH_FAV_MEMBER | 0x01);
    EXPECT_EQ(db.channels[201].fav_membership, 0);
    EXPECT_CONSISTENT();
}

TEST_F(FavoriteTest, RenameRefusesWhatTheCellCannotHold)
{
    set_name(1, "News");
    fav().refresh();
    ASSERT_TRUE(fav().choose_group(1));
    const std::string before = cell(1);
    const struct
    {
        std::string typed;
        const char* message;
    } refused[] = {
        {"123456789012", "The group name is too long: 11 characters at most!"},
        {"\x7F"
         "Hidden",
         "The group name cannot begin with the character 0x7F or 0x9F: the receiver reads them as marks!"},
        {"\x9F"
         "Shown",
         "The group name cannot begin with the character 0x7F or 0x9F: the receiver reads them as marks!"},
        {std::string("Ne\0ws", 5), "The group name cannot contain a zero byte!"},
    };
    for (const auto& r : refused) {
        on_rename(r.typed);
        fav().rename();
        EXPECT_EQ(last_message(), r.message);
        EXPECT_EQ(prompts.icon_of(r.message), common::Icon::Warning);
    }
    // A mark anywhere but first is an ordinary byte; eleven characters fill the cell but its zero.
    EXPECT_EQ(favourite_group_name_fault("A\x7F"), nullptr);
    EXPECT_EQ(favourite_group_name_fault("12345678901"), nullptr);
    EXPECT_EQ(cell(1), before);
    EXPECT_FALSE(doc.is_modified());

    // Cancel, and OK on the name as it stands, change nothing either.
    dialogs.group_name = [](GroupNameDialog& d) {
        d.type_name("Other");
        return false;
    };
    fav().rename();
    std::string opened;
    on_rename("News", &opened);
    fav().rename();
    EXPECT_EQ(opened, "News");
    EXPECT_EQ(cell(1), before);
    EXPECT_FALSE(doc.is_modified());
}

TEST_F(FavoriteTest, RenameWritesTheCellAndKeepsTheGroupChosen)
{
    set_name(0, "\x7F"
                "Hidden");
    set_name(2, "\x9F"
                "Sports");
    std::memset(db.fav_names[3], 'x', MAX_FAVNAME_LEN); // a full cell, no zero
    fav().refresh();
    ASSERT_EQ(fav().group_numbers(), (std::vector<int>{1, 2, 3}));
    ASSERT_TRUE(fav().choose_group(1)); // group 2, "Sports"

    // The marked name opens without its mark and keeps it while left alone.
    std::string opened;
    on_rename("Sports", &opened);
    fav().rename();
    EXPECT_EQ(opened, "Sports");
    EXPECT_EQ(db.fav_names[2][0], 0x9F);
    EXPECT_FALSE(doc.is_modified());

    on_rename("Kids 11char");
    fav().rename();
    EXPECT_EQ(cell(2), std::string("Kids 11char\0", 12));
    EXPECT_TRUE(doc.is_modified());
    EXPECT_EQ(fav().group_combo().entries, (std::vector<std::string>{"Fav2", "Kids 11char", "xxxxxxxxxxxx"}));
    EXPECT_EQ(fav().group(), 2);
    EXPECT_EQ(fav().group_combo().selection, 1);
    EXPECT_EQ(FavoriteDialog(db, 2, SERVICE_TV, prompts).heading(), "3. Kids 11char");

    // An empty name brings back the numbered label; a full cell is kept when OK is pressed on it.
    on_rename("");
    fav().rename();
    EXPECT_EQ(cell(2), std::string(12, '\0'));
    EXPECT_EQ(fav().group_combo().entries[1], "Fav3");
    doc.set_modified(false);
    ASSERT_TRUE(fav().choose_group(2));
    on_rename("xxxxxxxxxxxx");
    fav().rename();
    EXPECT_EQ(cell(3), std::string(12, 'x'));
    EXPECT_FALSE(doc.is_modified());
    EXPECT_CONSISTENT();
}
