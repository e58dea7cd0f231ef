#include "korvid/editor/favorite_dialog.h"

#include "common/strfmt.h"
#include "korvid/database/channel_texts.h"
#include "korvid/editor/editor_operations.h"

#include <algorithm>
#include <cstring>

namespace korvid {

FavoriteDialog::FavoriteDialog(const Database& db, int group, int type, common::Prompts& prompts)
    : m_db(db)
    , m_group(group)
    , m_type(type)
    , m_prompts(prompts)
{
    const int first = first_slot_of(type), n = slot_count_of(type);
    const uint16_t* list = db.fav_list(group, type);
    for (int i = 0; i < MAX_FAVCHAN_NUM; ++i)
        m_working[size_t(i)] = (list[i] != INVALID_FAVENTRY && list[i] < n) ? first + list[i] : EMPTY;

    m_channels.columns = {{"Name", 0}};
    m_favorites.columns = {{"Name", 0}};
    fill_channels();
    m_members.assign(m_working.begin(), std::find(m_working.begin(), m_working.end(), int(EMPTY)));
    fill_favorites();
}

void FavoriteDialog::fill_channels()
{
    const int first = first_slot_of(m_type), n = slot_count_of(m_type);
    m_channels.clear_rows();
    for (int c = first; c < first + n && channel_used(m_db, c); ++c)
        m_channels.rows.push_back(make_row(c));
    m_channels.apply_filter();
}

bool FavoriteDialog::in_favorites(int global_index) const
{
    return std::find(m_members.begin(), m_members.end(), global_index) != m_members.end();
}

void FavoriteDialog::set_channel_filter(std::string text)
{
    m_channels.change_filter(text, [this] { fill_channels(); });
}

void FavoriteDialog::set_favorite_filter(std::string text)
{
    m_favorites.change_filter(text, [this] { fill_favorites(); });
}

std::string FavoriteDialog::heading() const
{
    return common::strfmt("%d. %s", m_group + 1, favourite_group_name(m_db, m_group).c_str());
}

ListState::Row FavoriteDialog::make_row(int global_index) const
{
    return {global_index, {channel_name(m_db.channels[global_index])}};
}

void FavoriteDialog::show_info(int global_index)
{
    if (global_index == m_last_shown)
        return;
    m_last_shown = global_index;
    const tChannelStructure& ch = m_db.channels[global_index];
    m_info[0] = channel_satellite_name(m_db, ch);
    m_info[1] =
        ch.tp_index < MAX_TP_NUM ? transponder_short_text(m_db.transponders[ch.tp_index]) : std::string();
}

static void set_selection(ListState& list, const std::vector<int>& rows)
{
    list.selected.clear();
    for (int r : rows)
        if (r >= 0 && r < int(list.rows.size()))
            list.selected.push_back(r);
    std::sort(list.selected.begin(), list.selected.end());
    list.selected.erase(std::unique(list.selected.begin(), list.selected.end()), list.selected.end());
}

void FavoriteDialog::select_channel_rows(std::vector<int> rows)
{
    set_selection(m_channels, rows);
    if (!rows.empty() && rows.back() >= 0 && rows.back() < int(m_channels.rows.size()))
        show_info(m_channels.rows[size_t(rows.back())].item_data);
}

void FavoriteDialog::select_favorite_rows(std::vector<int> rows)
{
    set_selection(m_favorites, rows);
    if (!rows.empty() && rows.back() >= 0 && rows.back() < int(m_favorites.rows.size()))
        show_info(m_favorites.rows[size_t(rows.back())].item_data);
}

std::vector<int> FavoriteDialog::selected_channels() const
{
    std::vector<int> out;
    for (int r : m_channels.selected)
        out.push_back(m_channels.rows[size_t(r)].item_data);
    return out;
}

void FavoriteDialog::fill_favorites()
{
    m_favorites.clear_rows();
    for (int g : m_members)
        m_favorites.rows.push_back(make_row(g));
    m_favorites.apply_filter();
}

void FavoriteDialog::rebuild(bool after_addition)
{
    m_working.fill(EMPTY);
    std::copy(m_members.begin(), m_members.end(), m_working.begin());
    fill_favorites();
    if (!after_addition)
        return;
    for (int g : selected_channels()) {
        const int row = m_favorites.find_item(g);
        if (row >= 0)
            m_favorites.selected.push_back(row);
    }
    std::sort(m_favorites.selected.begin(), m_favorites.selected.end());
    if (!m_favorites.selected.empty())
        m_favorites.scroll_to = m_favorites.selected.back();
}

void FavoriteDialog::add_selected()
{
    const std::vector<int> chosen = selected_channels();
    if (chosen.empty())
        return;
    if (chosen.size() == 1) {
        if (m_members.size() >= MAX_FAVCHAN_NUM) {
            m_prompts.warning("Favorite channel at this group is full !");
            return;
        }
        if (in_favorites(chosen.front())) {
            m_prompts.warning("Same channel already exist");
            return;
        }
        m_members.push_back(chosen.front());
        rebuild(true);
        return;
    }
    bool added = false;
    for (int g : chosen) {
        if (m_members.size() >= MAX_FAVCHAN_NUM) {
            m_prompts.warning("Favorite channel at this group is full !");
            break;
        }
        if (in_favorites(g))
            continue;
        m_members.push_back(g);
        added = true;
    }
    rebuild(added);
}

void FavoriteDialog::remove_selected()
{
    if (m_favorites.selected.empty())
        return;
    // Only the rows the user sees and picked leave; a hidden favourite stays.
    for (int g : m_favorites.selected_items())
        m_members.erase(std::remove(m_members.begin(), m_members.end(), g), m_members.end());
    m_favorites.selected.clear();
    rebuild(false);
}

void FavoriteDialog::drag_over_favorites(int row)
{
    m_drop_highlight = (row >= 0 && row < int(m_favorites.rows.size())) ? row : -1;
}

bool FavoriteDialog::drop_on_favorites()
{
    const int at = m_drop_highlight;
    m_drop_highlight = -1;
    const std::vector<int> chosen = selected_channels();
    if (chosen.empty())
        return false;
    if (chosen.size() + m_members.size() > MAX_FAVCHAN_NUM) {
        m_prompts.warning("Favorite item at this group is full !");
        return false;
    }
    if (chosen.size() == 1 && in_favorites(chosen.front())) {
        m_prompts.warning("Same Channel already exist");
        return false;
    }
    auto pos = at < 0 || at >= int(m_favorites.rows.size())
                   ? m_members.end()
                   : std::find(m_members.begin(), m_members.end(), m_favorites.rows[size_t(at)].item_data);
    bool added = false;
    for (int g : chosen) {
        if (in_favorites(g))
            continue;
        pos = m_members.insert(pos, g) + 1;
        added = true;
    }
    m_favorites.selected.clear();
    rebuild(added);
    return added;
}

bool FavoriteDialog::store(Database& db) const
{
    const int first = first_slot_of(m_type), n = slot_count_of(m_type);
    const uint8_t bit = uint8_t(1u << m_group);
    uint16_t* list = db.fav_list(m_group, m_type);
    uint16_t before[MAX_FAVCHAN_NUM];
    std::memcpy(before, list, sizeof before);

    for (int i = 0; i < MAX_FAVCHAN_NUM; ++i) {
        if (list[i] == INVALID_FAVENTRY || list[i] >= n)
            continue;
        tChannelStructure& ch = db.channels[first + list[i]];
        ch.fav_membership &= uint8_t(~bit);
        if (!(ch.fav_membership & CH_FAV_GROUP_MASK))
            ch.fav_membership = 0;
    }
    int count = 0;
    for (int i = 0; i < MAX_FAVCHAN_NUM; ++i) {
        const int g = m_working[size_t(i)];
        if (g == EMPTY) {
            list[i] = INVALID_FAVENTRY;
            continue;
        }
        list[i] = uint16_t(g - first);
        db.channels[g].fav_membership |= uint8_t(bit | CH_FAV_MEMBER);
        ++count;
    }
    const int l = fav_list_index(m_group, m_type);
    db.system.fav_count[l] = uint8_t(count);
    if (std::memcmp(before, list, sizeof before) == 0)
        return false;
    if (count <= db.cursor.fav_cursor[l])
        db.cursor.fav_cursor[l] = uint8_t(count ? count - 1 : 0);
    return true;
}

} // namespace korvid
