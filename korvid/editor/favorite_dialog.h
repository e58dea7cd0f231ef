#pragma once
// The "Favorite" dialog as a model: one favourite list (group, type) edited on a working copy by
// moving channels between the "CHANNEL" list and the "FAVORITE" list. Nothing reaches the database
// until the page calls store() after OK; Cancel simply drops the model.
// Each list has its own filter text. The members, not the "FAVORITE" rows, are what the dialog edits:
// with a filter the rows show only part of it, and a hidden favourite stays in it, counts
// towards the 200 and is "already there" for ">>" and a drop.
#include "common/prompts.h"
#include "korvid/database/database.h"
#include "korvid/editor/list_state.h"

#include <array>
#include <string>
#include <vector>

namespace korvid {

class FavoriteDialog
{
public:
    static constexpr const char* CAPTION = "Favorite";
    static constexpr const char* GROUP_LABEL = "Favorite Group : ";
    // A free entry of the working copy.
    static constexpr int EMPTY = MAX_CHAN_NUM;
    using WorkingCopy = std::array<int, MAX_FAVCHAN_NUM>;

    FavoriteDialog(const Database& db, int group, int type, common::Prompts& prompts);

    int group() const { return m_group; }
    int type() const { return m_type; }
    // "%d. %s": the group number and its name.
    std::string heading() const;
    const ListState& channel_list() const { return m_channels; }
    const ListState& favorite_list() const { return m_favorites; }
    // Global channel indexes, EMPTY for free entries.
    const WorkingCopy& working_copy() const { return m_working; }
    // The two info lines: satellite name, then "%d/%c/%d" of the transponder.
    const std::string& info_line(int line) const { return m_info[line ? 1 : 0]; }
    // The "FAVORITE" row shown drop-highlighted while a drag is over the list, -1 none.
    int drop_highlight() const { return m_drop_highlight; }

    // Selection in either list; the info lines describe the last row of `rows` (the one acted on).
    void select_channel_rows(std::vector<int> rows);
    void click_channel_row(int row) { select_channel_rows({row}); }
    void select_favorite_rows(std::vector<int> rows);
    void click_favorite_row(int row) { select_favorite_rows({row}); }
    // The filter box of either list changed; the selected rows that stay in view stay selected.
    void set_channel_filter(std::string text);
    void set_favorite_filter(std::string text);
    // A list got the focus: the next row clicked is described even if it was the last one shown.
    void focus_list() { m_last_shown = -1; }

    // ">>": the selected "CHANNEL" rows go to the end of "FAVORITE".
    void add_selected();
    // "<<": the selected "FAVORITE" rows leave it.
    void remove_selected();
    // A drag of the selected "CHANNEL" rows moves over "FAVORITE"; `row` is the row under the mouse
    // (-1 below the rows).
    void drag_over_favorites(int row);
    // The button is released over "FAVORITE": the channels go in before the highlighted row's
    // channel, or at the end of the working copy when none is highlighted. Returns true when any
    // was added.
    bool drop_on_favorites();
    // Dropping onto "CHANNEL" itself does nothing.
    void drop_on_channels() { m_drop_highlight = -1; }

    // OK closes the dialog; the working copy is then final.
    bool ok() { return true; }
    // Writes the working copy into the list, its count and the memberships. Returns true when any
    // entry changed, which is when the document counts as modified.
    bool store(Database& db) const;

private:
    ListState::Row make_row(int global_index) const;
    bool in_favorites(int global_index) const;
    void fill_channels();
    // The working copy from the members, then the rows again from them.
    void rebuild(bool after_addition);
    void fill_favorites();
    void show_info(int global_index);
    std::vector<int> selected_channels() const;

    const Database& m_db;
    const int m_group;
    const int m_type;
    common::Prompts& m_prompts;
    WorkingCopy m_working;
    // What the "FAVORITE" list holds unfiltered, in order: the working copy up to its first free
    // entry as the dialog opens, and the working copy itself after every change.
    std::vector<int> m_members;
    ListState m_channels;
    ListState m_favorites;
    std::string m_info[2];
    int m_last_shown = -1;
    int m_drop_highlight = -1;
};

} // namespace korvid
