#include "korvid/editor/favorite_dialog.h"

#include "common/strfmt.h"
#include "korvid/editor/channel_texts.h"
#include "korvid/editor/editor_operations.h"

#include <algorithm>
#include <cstring>

namespace korvid {

FavoriteDialog::FavoriteDialog(const Database& db, int group, int type, common::Prompts& prompts)
    : db_(db)
    , group_(group)
    , type_(type)
    , prompts_(prompts)
{
    const int first = first_slot_of(type), n = slot_count_of(type);
    const uint16_t* list = db.fav_list(group, type);
    for (int i = 0; i < MAX_FAVCHAN_NUM; ++i)
        working_[size_t(i)] = (list[i] != INVALID_FAVENTRY && list[i] < n) ? first + list[i] : EMPTY;

    channels_.columns = {{"Name", 0}};
    favorites_.columns = {{"Name", 0}};
    for (int c = first; c < first + n && channel_used(db, c); ++c)
        channels_.rows.push_back(make_row(c));
    for (int g : working_) {
        if (g == EMPTY)
            break;
        favorites_.rows.push_back(make_row(g));
    }
}

std::string FavoriteDialog::heading() const
{
    return common::strfmt("%d. %s", group_ + 1, favourite_group_name(db_, group_).c_str());
}

ListState::Row FavoriteDialog::make_row(int global_index) const
{
    return {global_index, {channel_name(db_.channels[global_index])}};
}

void FavoriteDialog::show_info(int global_index)
{
    if (global_index == last_shown_)
        return;
    last_shown_ = global_index;
    const tChannelStructure& ch = db_.channels[global_index];
    info_[0] = channel_satellite_name(db_, ch);
    info_[1] =
        ch.tp_index < MAX_TP_NUM ? transponder_short_text(db_.transponders[ch.tp_index]) : std::string();
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
    set_selection(channels_, rows);
    if (!rows.empty() && rows.back() >= 0 && rows.back() < int(channels_.rows.size()))
        show_info(channels_.rows[size_t(rows.back())].item_data);
}

void FavoriteDialog::select_favorite_rows(std::vector<int> rows)
{
    set_selection(favorites_, rows);
    if (!rows.empty() && rows.back() >= 0 && rows.back() < int(favorites_.rows.size()))
        show_info(favorites_.rows[size_t(rows.back())].item_data);
}

std::vector<int> FavoriteDialog::selected_channels() const
{
    std::vector<int> out;
    for (int r : channels_.selected)
        out.push_back(channels_.rows[size_t(r)].item_data);
    return out;
}

void FavoriteDialog::rebuild(bool after_addition)
{
    working_.fill(EMPTY);
    for (size_t i = 0; i < favorites_.rows.size() && i < working_.size(); ++i)
        working_[i] = favorites_.rows[i].item_data;
    favorites_.clear_rows();
    for (int g : working_) {
        if (g == EMPTY)
            break;
        favorites_.rows.push_back(make_row(g));
    }
    if (!after_addition)
        return;
    for (int g : selected_channels()) {
        const int row = favorites_.find_item(g);
        if (row >= 0)
            favorites_.selected.push_back(row);
    }
    std::sort(favorites_.selected.begin(), favorites_.selected.end());
    if (!favorites_.selected.empty())
        favorites_.scroll_to = favorites_.selected.back();
}

void FavoriteDialog::add_selected()
{
    const std::vector<int> chosen = selected_channels();
    if (chosen.empty())
        return;
    if (chosen.size() == 1) {
        if (favorites_.rows.size() >= MAX_FAVCHAN_NUM) {
            prompts_.warning("Favorite channel at this group is full !");
            return;
        }
        if (in_favorites(chosen.front())) {
            prompts_.warning("Same channel already exist");
            return;
        }
        favorites_.rows.push_back(make_row(chosen.front()));
        rebuild(true);
        return;
    }
    bool added = false;
    for (int g : chosen) {
        if (favorites_.rows.size() >= MAX_FAVCHAN_NUM) {
            prompts_.warning("Favorite channel at this group is full !");
            break;
        }
        if (in_favorites(g))
            continue;
        favorites_.rows.push_back(make_row(g));
        added = true;
    }
    rebuild(added);
}

void FavoriteDialog::remove_selected()
{
    if (favorites_.selected.empty())
        return;
    for (auto it = favorites_.selected.rbegin(); it != favorites_.selected.rend(); ++it)
        favorites_.rows.erase(favorites_.rows.begin() + *it);
    favorites_.selected.clear();
    rebuild(false);
}

void FavoriteDialog::drag_over_favorites(int row)
{
    drop_highlight_ = (row >= 0 && row < int(favorites_.rows.size())) ? row : -1;
}

bool FavoriteDialog::drop_on_favorites()
{
    const int at = drop_highlight_;
    drop_highlight_ = -1;
    const std::vector<int> chosen = selected_channels();
    if (chosen.empty())
        return false;
    if (chosen.size() + favorites_.rows.size() > MAX_FAVCHAN_NUM) {
        prompts_.warning("Favorite item at this group is full !");
        return false;
    }
    if (chosen.size() == 1 && in_favorites(chosen.front())) {
        prompts_.warning("Same Channel already exist");
        return false;
    }
    size_t pos = at < 0 ? favorites_.rows.size() : size_t(at);
    bool added = false;
    for (int g : chosen) {
        if (in_favorites(g))
            continue;
        favorites_.rows.insert(favorites_.rows.begin() + long(pos++), make_row(g));
        added = true;
    }
    favorites_.selected.clear();
    rebuild(added);
    return added;
}

bool FavoriteDialog::store(Database& db) const
{
    const int first = first_slot_of(type_), n = slot_count_of(type_);
    const uint8_t bit = uint8_t(1u << group_);
    uint16_t* list = db.fav_list(group_, type_);
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
        const int g = working_[size_t(i)];
        if (g == EMPTY) {
            list[i] = INVALID_FAVENTRY;
            continue;
        }
        list[i] = uint16_t(g - first);
        db.channels[g].fav_membership |= uint8_t(bit | CH_FAV_MEMBER);
        ++count;
    }
    const int l = fav_list_index(group_, type_);
    db.system.fav_count[l] = uint8_t(count);
    if (std::memcmp(before, list, sizeof before) == 0)
        return false;
    if (count <= db.cursor.fav_cursor[l])
        db.cursor.fav_cursor[l] = uint8_t(count ? count - 1 : 0);
    return true;
}

} // namespace korvid
