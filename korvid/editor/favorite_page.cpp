#include "korvid/editor/favorite_page.h"

#include "common/strfmt.h"
#include "korvid/database/channel_texts.h"
#include "korvid/editor/change_labels.h"
#include "korvid/editor/editor_operations.h"
#include "korvid/editor/favorite_dialog.h"
#include "korvid/editor/group_name_dialog.h"

#include <algorithm>

namespace korvid {

FavoritePage::FavoritePage(EditorContext& ctx)
    : m_ctx(ctx)
{
    m_list.columns = {{"Num", 50, true}, {"Name", 100, true}, {"SAT", 100, true}, {"TP", 200, false}};
    // Rows move one at a time.
    m_list.multiple_selection = false;
    m_tv.checked = true;
}

int FavoritePage::group() const
{
    return m_group_combo.has_selection() ? m_chosen_group : -1;
}

void FavoritePage::fill_groups()
{
    std::vector<std::string> labels;
    m_group_numbers.clear();
    int selected = -1;
    for (int g = 0; g < MAX_FAVGROUP_NUM; ++g) {
        if (favourite_group_hidden(m_ctx.db, g))
            continue;
        if (g == m_chosen_group)
            selected = int(labels.size());
        labels.push_back(favourite_group_label(m_ctx.db, g));
        m_group_numbers.push_back(g);
    }
    if (selected < 0 && !m_group_numbers.empty()) {
        selected = 0;
        m_chosen_group = m_group_numbers.front();
    }
    m_group_combo.fill(std::move(labels), selected);
}

void FavoritePage::fill_list()
{
    const Database& db = m_ctx.db;
    m_list.clear_rows();
    m_entry_of_row.clear();
    const int g = group();
    if (g < 0)
        return;
    const int first = first_slot_of(m_type), n = slot_count_of(m_type);
    const uint16_t* entries = db.fav_list(g, m_type);
    for (int i = 0; i < MAX_FAVCHAN_NUM && entries[i] != INVALID_FAVENTRY; ++i) {
        const int c = first + entries[i];
        if (entries[i] >= n || !channel_used(db, c))
            continue;
        const tChannelStructure& ch = db.channels[c];
        m_list.rows.push_back(
            {c,
             {common::strfmt("%03d", int(m_list.rows.size()) + 1), channel_name(ch),
              channel_satellite_name(db, ch), transponder_short_text(db.transponders[ch.tp_index])}});
        m_entry_of_row.push_back(i);
    }
    std::vector<int> entries_shown;
    for (int place : m_list.apply_filter())
        entries_shown.push_back(m_entry_of_row[size_t(place)]);
    m_entry_of_row = std::move(entries_shown);
    if (m_dropped_row >= 0 && m_dropped_row < int(m_list.rows.size())) {
        m_list.select_only(m_dropped_row);
        m_list.scroll_to = m_dropped_row;
    }
}

void FavoritePage::refresh()
{
    fill_groups();
    fill_list();
}

void FavoritePage::on_new_database()
{
    m_dropped_row = -1;
    refresh();
}

bool FavoritePage::choose_group(int entry)
{
    if (!m_group_combo.choose(entry))
        return false;
    m_chosen_group = m_group_numbers[size_t(entry)];
    fill_list();
    return true;
}

void FavoritePage::choose_type(int type)
{
    m_type = type == SERVICE_RADIO ? SERVICE_RADIO : SERVICE_TV;
    m_tv.checked = m_type == SERVICE_TV;
    m_radio.checked = m_type == SERVICE_RADIO;
    fill_list();
}

void FavoritePage::set_filter(std::string text)
{
    m_list.change_filter(text, [this] { fill_list(); });
}

void FavoritePage::select_rows(std::vector<int> rows)
{
    m_list.select_rows(std::move(rows));
}

void FavoritePage::run(PageAction action)
{
    if (action == PageAction::Modify)
        modify();
    else if (action == PageAction::Rename)
        rename();
}

void FavoritePage::modify()
{
    Database& db = m_ctx.db;
    if (db.system.chan_count[m_type] == 0) {
        m_ctx.prompts.warning("There is no channel!");
        return;
    }
    const int g = group();
    if (g < 0)
        return;
    db.compact_favourite_lists();
    FavoriteDialog dialog(db, g, m_type, m_ctx.prompts);
    if (!m_ctx.dialogs.favorite || !m_ctx.dialogs.favorite(dialog))
        return;
    if (dialog.store(db))
        m_ctx.mark_modified(favourite_change_label("Change favourites of", db, g));
    fill_list();
}

void FavoritePage::rename()
{
    const int g = group();
    if (g < 0)
        return;
    GroupNameDialog dialog(m_ctx.db, g, m_ctx.prompts);
    if (!m_ctx.dialogs.group_name || !m_ctx.dialogs.group_name(dialog))
        return;
    const std::string label = favourite_change_label("Rename favourite group", m_ctx.db, g);
    if (!store_favourite_group_name(m_ctx.db, g, dialog.name()))
        return;
    m_ctx.mark_modified(label);
    fill_groups();
}

bool FavoritePage::drag_and_drop(int drag_row, int drop_row)
{
    const int rows = int(m_list.rows.size());
    if (drag_row < 0 || drag_row >= rows)
        return false;
    if (drop_row < 0 || drop_row >= rows)
        drop_row = rows - 1;
    if (drop_row == drag_row)
        return false;
    const int g = group();
    uint16_t* entries = m_ctx.db.fav_list(g, m_type);
    const int from = m_entry_of_row[size_t(drag_row)], to = m_entry_of_row[size_t(drop_row)];
    // The dragged entry leaves its place and the entries between close up behind it.
    if (from < to)
        std::rotate(entries + from, entries + from + 1, entries + to + 1);
    else
        std::rotate(entries + to, entries + from, entries + from + 1);
    m_dropped_row = drop_row;
    m_ctx.mark_modified(favourite_change_label("Move a favourite in", m_ctx.db, g));
    fill_list();
    return true;
}

} // namespace korvid
