#include "korvid/editor/favorite_page.h"

#include "common/strfmt.h"
#include "korvid/editor/channel_texts.h"
#include "korvid/editor/editor_operations.h"
#include "korvid/editor/favorite_dialog.h"

#include <algorithm>

namespace korvid {

FavoritePage::FavoritePage(EditorContext& ctx)
    : ctx_(ctx)
{
    list_.columns = {{"Num", 50, true}, {"Name", 100, true}, {"SAT", 100, true}, {"TP", 200, false}};
    // Rows move one at a time.
    list_.multiple_selection = false;
    tv_.checked = true;
}

int FavoritePage::group() const
{
    return group_combo_.has_selection() ? chosen_group_ : -1;
}

void FavoritePage::fill_groups()
{
    std::vector<std::string> labels;
    group_numbers_.clear();
    int selected = -1;
    for (int g = 0; g < MAX_FAVGROUP_NUM; ++g) {
        if (favourite_group_hidden(ctx_.db, g))
            continue;
        if (g == chosen_group_)
            selected = int(labels.size());
        labels.push_back(favourite_group_label(ctx_.db, g));
        group_numbers_.push_back(g);
    }
    if (selected < 0 && !group_numbers_.empty()) {
        selected = 0;
        chosen_group_ = group_numbers_.front();
    }
    group_combo_.fill(std::move(labels), selected);
}

void FavoritePage::fill_list()
{
    const Database& db = ctx_.db;
    list_.clear_rows();
    entry_of_row_.clear();
    const int g = group();
    if (g < 0)
        return;
    const int first = first_slot_of(type_), n = slot_count_of(type_);
    const uint16_t* entries = db.fav_list(g, type_);
    for (int i = 0; i < MAX_FAVCHAN_NUM && entries[i] != INVALID_FAVENTRY; ++i) {
        const int c = first + entries[i];
        if (entries[i] >= n || !channel_used(db, c))
            continue;
        const tChannelStructure& ch = db.channels[c];
        list_.rows.push_back(
            {c,
             {common::strfmt("%03d", int(list_.rows.size()) + 1), channel_name(ch),
              channel_satellite_name(db, ch), transponder_short_text(db.transponders[ch.tp_index])}});
        entry_of_row_.push_back(i);
    }
    if (dropped_row_ >= 0 && dropped_row_ < int(list_.rows.size())) {
        list_.select_only(dropped_row_);
        list_.scroll_to = dropped_row_;
    }
}

void FavoritePage::refresh()
{
    fill_groups();
    fill_list();
}

void FavoritePage::on_new_database()
{
    dropped_row_ = -1;
    refresh();
}

bool FavoritePage::choose_group(int entry)
{
    if (!group_combo_.choose(entry))
        return false;
    chosen_group_ = group_numbers_[size_t(entry)];
    fill_list();
    return true;
}

void FavoritePage::choose_type(int type)
{
    type_ = type == SERVICE_RADIO ? SERVICE_RADIO : SERVICE_TV;
    tv_.checked = type_ == SERVICE_TV;
    radio_.checked = type_ == SERVICE_RADIO;
    fill_list();
}

void FavoritePage::select_rows(std::vector<int> rows)
{
    list_.select_rows(std::move(rows));
}

void FavoritePage::modify()
{
    Database& db = ctx_.db;
    if (db.system.chan_count[type_] == 0) {
        ctx_.prompts.warning("There is no channel!");
        return;
    }
    const int g = group();
    if (g < 0)
        return;
    db.compact_favourite_lists();
    FavoriteDialog dialog(db, g, type_, ctx_.prompts);
    if (!ctx_.dialogs.favorite || !ctx_.dialogs.favorite(dialog))
        return;
    if (dialog.store(db))
        ctx_.mark_modified();
    fill_list();
}

bool FavoritePage::drag_and_drop(int drag_row, int drop_row)
{
    const int rows = int(list_.rows.size());
    if (drag_row < 0 || drag_row >= rows)
        return false;
    if (drop_row < 0 || drop_row >= rows)
        drop_row = rows - 1;
    if (drop_row == drag_row)
        return false;
    const int g = group();
    uint16_t* entries = ctx_.db.fav_list(g, type_);
    const int from = entry_of_row_[size_t(drag_row)], to = entry_of_row_[size_t(drop_row)];
    // The dragged entry leaves its place and the entries between close up behind it.
    if (from < to)
        std::rotate(entries + from, entries + from + 1, entries + to + 1);
    else
        std::rotate(entries + to, entries + from, entries + from + 1);
    dropped_row_ = drop_row;
    ctx_.mark_modified();
    fill_list();
    return true;
}

} // namespace korvid
