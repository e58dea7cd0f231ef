#include "korvid/editor/channel_page_base.h"

#include "common/strfmt.h"
#include "korvid/database/channel_texts.h"
#include "korvid/editor/change_labels.h"
#include "korvid/editor/channel_dialog.h"
#include "korvid/editor/editor_operations.h"
#include "korvid/editor/tuner_mode.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <strings.h>

namespace korvid {

ChannelPageBase::ChannelPageBase(EditorContext& ctx, int type)
    : m_ctx(ctx)
    , m_type(type)
{
    m_list.columns = {{"Num", 60}, {"Name", 90}, {"SAT", 80}, {"TP", 120}};
    if (tv())
        m_list.columns.push_back({"V PID", 50});
    m_list.columns.insert(m_list.columns.end(), {{"A PID", 50},
                                                 {"PCR PID", 60},
                                                 {"TTXT PID", 80},
                                                 {"LOCK", 50},
                                                 {"SCRAM.", 90},
                                                 {"FAV", 60},
                                                 {"Aud Lang", 90}});
}

std::string ChannelPageBase::lock_text(const tChannelStructure& ch) const
{
    return lock_column_text(ch, tv());
}

ListState::Row ChannelPageBase::make_row(int row_number, int global_index) const
{
    const Database& db = m_ctx.db;
    const tChannelStructure& ch = db.channels[global_index];
    ListState::Row row{global_index, {common::strfmt("%03d", row_number + 1)}};
    std::vector<std::string>& texts = row.texts;
    texts.push_back(channel_name(ch));
    texts.push_back(channel_satellite_name(db, ch));
    texts.push_back(ch.tp_index < MAX_TP_NUM ? transponder_short_text(db.transponders[ch.tp_index])
                                             : std::string());
    if (tv())
        texts.push_back(pid_column_text(ch.video_pid));
    texts.push_back(pid_column_text(shown_audio_pid(db, ch)));
    texts.push_back(pid_column_text(ch.pcr_pid));
    texts.push_back(ttx_column_text(ch.ttx_pid));
    texts.push_back(lock_text(ch));
    texts.push_back(common::strfmt("%ld", long(channel_scrambled(ch) ? 1 : 0)));
    texts.push_back(favourite_column_text(ch.fav_membership));
    texts.push_back(language_column_text(ch));
    return row;
}

void ChannelPageBase::fill_db_combo()
{
    const Database& db = m_ctx.db;
    uint8_t ids[MAX_SAT_NUM];
    int n = 0;
    bool seen[SAT_HALF_NUM] = {};
    const int first = first_slot_of(m_type), end = first + slot_count_of(m_type);
    for (int c = first; c < end && n < MAX_SAT_NUM; ++c) {
        const uint16_t tp = db.channels[c].tp_index;
        if (tp >= INVALID_TPID)
            continue;
        const int sat = db.transponders[tp].sat_id;
        // Twins count once: the first id met of a pair stands for both.
        if (sat >= INVALID_SATID || seen[satellite_t1(sat)])
            continue;
        seen[satellite_t1(sat)] = true;
        ids[n++] = uint8_t(sat);
    }
    sort_satellites_by_position(db, ids, n);

    EditorSelection& sel = m_ctx.selection();
    std::vector<std::string> names = {"All"};
    m_db_ids = {INVALID_SATID};
    int selected = 0;
    for (int i = 0; i < n; ++i) {
        if (!satellite_used(db, ids[i]))
            continue;
        // Only the entry of the very id counts: a satellite picked from the other tuner half has no
        // entry of its own, and the page then shows everything, as the "TP" page does.
        if (selected == 0 && sel.current_sat != INVALID_SATID && ids[i] == sel.current_sat)
            selected = int(names.size());
        names.push_back(satellite_name(db, ids[i]));
        m_db_ids.push_back(ids[i]);
    }
    m_db_combo.fill(std::move(names), selected);
    if (selected == 0)
        sel.current_sat = INVALID_SATID;
}

void ChannelPageBase::fill_list()
{
    const Database& db = m_ctx.db;
    const int current = m_ctx.selection().current_sat;
    const int first = first_slot_of(m_type);
    const int count = std::min<int>(db.system.chan_count[m_type], slot_count_of(m_type));
    m_list.clear_rows();
    m_list.rows.reserve(size_t(count));
    for (int c = first; c < first + count; ++c) {
        if (current != INVALID_SATID) {
            const uint16_t tp = db.channels[c].tp_index;
            if (tp >= MAX_TP_NUM || same_satellite(db.transponders[tp].sat_id, current) < 0)
                continue;
        }
        m_list.rows.push_back(make_row(int(m_list.rows.size()), c));
    }
    apply_sort();
    m_list.apply_filter();
    if (m_remembered >= 0)
        show_item(m_remembered);
}

void ChannelPageBase::apply_sort()
{
    if (m_sort == NameSort::None)
        return;
    const bool descending = m_sort == NameSort::Descending;
    std::stable_sort(m_list.rows.begin(), m_list.rows.end(), [descending](const auto& a, const auto& b) {
        const int cmp = strcasecmp(a.texts[NAME_COLUMN].c_str(), b.texts[NAME_COLUMN].c_str());
        return descending ? cmp > 0 : cmp < 0;
    });
}

void ChannelPageBase::reload()
{
    fill_db_combo();
    fill_list();
}

void ChannelPageBase::refresh()
{
    m_sort = NameSort::None;
    reload();
}

void ChannelPageBase::on_new_database()
{
    m_remembered = -1;
    m_status.clear();
    m_audio_combo.empty();
    refresh();
}

void ChannelPageBase::set_filter(std::string text)
{
    m_list.change_filter(text, [this] { fill_list(); });
}

bool ChannelPageBase::choose_db(int entry)
{
    if (entry < 0 || entry >= int(m_db_ids.size()))
        return false;
    m_ctx.selection().current_sat = uint16_t(m_db_ids[size_t(entry)]);
    reload();
    return true;
}

void ChannelPageBase::describe(int global_index)
{
    const tChannelStructure& ch = m_ctx.db.channels[global_index];
    m_status = channel_status_text(ch, tv());
    m_audio_combo.fill(audio_entries(ch), 0);
}

int ChannelPageBase::show_item(int global_index)
{
    const int row = m_list.find_item(global_index);
    m_list.select_only(row);
    m_list.scroll_to = row;
    if (row >= 0) {
        describe(global_index);
    } else {
        // The channel is out of view (the filter or the satellite hides it): the status line and the
        // audio PIDs no longer speak of a row the user cannot see. It is still remembered, and shown
        // again when it comes back into view.
        m_status.clear();
        m_audio_combo.empty();
    }
    return row;
}

void ChannelPageBase::select_rows(std::vector<int> rows)
{
    m_list.select_rows(std::move(rows));
    const int row = m_list.single_selection();
    if (row < 0)
        return;
    m_remembered = m_list.rows[size_t(row)].item_data;
    describe(m_remembered);
}

void ChannelPageBase::click_row(int row)
{
    select_rows({row});
}

void ChannelPageBase::double_click_row(int row)
{
    click_row(row);
    edit();
}

int ChannelPageBase::first_free_slot() const
{
    const int first = first_slot_of(m_type), end = first + slot_count_of(m_type);
    for (int c = first; c < end; ++c)
        if (m_ctx.db.channels[c].tp_index >= INVALID_TPID)
            return c;
    return -1;
}

ChannelPageBase::SearchResult
ChannelPageBase::search_duplicates(const Database& db, int type, const tChannelStructure& rec)
{
    SearchResult result;
    const uint16_t audio = rec.audio_pid[0] & PID_MASK;
    const int first = first_slot_of(type), end = first + slot_count_of(type);
    for (int c = first; c < end; ++c) {
        const tChannelStructure& cand = db.channels[c];
        if (cand.tp_index >= INVALID_TPID) {
            if (cand.audio_pid[0] == INVALID_PID)
                break;
            continue; // a free slot is nobody's duplicate, whatever its transponder value
        }
        if (same_transponder(cand.tp_index, rec.tp_index) < 0)
            continue;
        if (type == SERVICE_TV && (cand.video_pid & PID_MASK) != (rec.video_pid & PID_MASK))
            continue;
        std::vector<uint16_t> pids = extended_audio_pids(db, cand);
        if (pids.empty())
            pids.assign(cand.audio_pid, cand.audio_pid + AUDIO_PID_NUM);
        // An empty entry is no PID at all and matches nothing.
        const bool match = std::any_of(pids.begin(), pids.end(), [audio](uint16_t p) {
            return p != INVALID_PID && (p & PID_MASK) == audio;
        });
        if (!match)
            continue;
        if ((cand.attributes & CH_ATTR_SKIP) || cand.tp_index == rec.tp_index) {
            result.duplicate = c;
            return result;
        }
        if (result.twin < 0)
            result.twin = c;
    }
    return result;
}

void ChannelPageBase::add()
{
    Database& db = m_ctx.db;
    const int target = first_free_slot();
    if (target < 0) {
        m_ctx.prompts.warning("Channel is Full");
        return;
    }
    EditorSelection& sel = m_ctx.selection();
    ChannelDialog dialog(db, ChannelDialog::ADD, target, sel.current_sat, m_ctx.prompts);
    if (!m_ctx.dialogs.channel || !m_ctx.dialogs.channel(dialog))
        return;
    tChannelStructure rec = dialog.record();
    if (m_ctx.tuner_selection() == TUNER_SEL_T2) {
        if (rec.tp_index < TP_HALF_NUM)
            rec.tp_index = uint16_t(rec.tp_index + TP_HALF_NUM);
    } else if (rec.tp_index >= TP_HALF_NUM) {
        rec.tp_index = uint16_t(rec.tp_index - TP_HALF_NUM);
    }

    const SearchResult found = search_duplicates(db, m_type, rec);
    if (found.duplicate >= 0) {
        const int number = tv() ? found.duplicate + 1 : found.duplicate - (MAX_TV_CHAN_NUM - 1);
        m_ctx.prompts.warning(common::strfmt("Same Channel exist = %d", number));
        return;
    }
    int shown;
    if (found.twin >= 0) {
        // The receiver already has this channel through the other tuner; it is only told to skip it.
        db.channels[found.twin].attributes |= CH_ATTR_SKIP;
        shown = found.twin;
    } else {
        rec.attributes |= CH_ATTR_MANUAL;
        db.channels[target] = rec;
        // Favourites only now, when the slot really holds the channel they point at.
        dialog.store(db);
        db.language_bytes[target] = 0xFF;
        const int first = first_slot_of(m_type);
        int count = db.system.chan_count[m_type];
        while (count < slot_count_of(m_type) && channel_used(db, first + count))
            ++count;
        db.system.chan_count[m_type] = uint16_t(count);
        shown = target;
    }
    // The row to show must be in the filtered list: follow the satellite of the channel shown (for a
    // twin channel that is the twin satellite of the one the user picked).
    if (sel.current_sat != INVALID_SATID)
        sel.current_sat = db.transponders[db.channels[shown].tp_index].sat_id;
    m_remembered = shown;
    reload();
    show_item(shown);
    m_ctx.mark_modified(channels_change_label("Add", db, {shown}));
}

void ChannelPageBase::edit()
{
    if (m_list.selected.empty()) {
        m_ctx.prompts.warning("No item is selected!");
        return;
    }
    if (m_list.selected.size() > 1) {
        m_ctx.prompts.warning("Only one select!");
        return;
    }
    Database& db = m_ctx.db;
    const int row = m_list.selected.front();
    const int index = m_list.rows[size_t(row)].item_data;
    ChannelDialog dialog(db, ChannelDialog::EDIT, index, m_ctx.selection().current_sat, m_ctx.prompts);
    if (!m_ctx.dialogs.channel || !m_ctx.dialogs.channel(dialog))
        return;
    db.channels[index] = edited_record(db.channels[index], dialog.record());
    dialog.store(db);

    const std::string number = m_list.rows[size_t(row)].texts[0];
    m_list.rows[size_t(row)] = make_row(0, index);
    m_list.rows[size_t(row)].texts[0] = number;
    m_list.select_only(row);
    m_list.scroll_to = row;
    m_remembered = index;
    describe(index);
    m_ctx.mark_modified(channels_change_label("Edit", db, {index}));
}

void ChannelPageBase::remove()
{
    if (m_list.selected.empty()) {
        m_ctx.prompts.warning("No Item");
        return;
    }
    // One row keeps the receiver's own question; several say how many, so that a selection larger
    // than the user meant is seen before it goes.
    char question[64] = "Delete it ?";
    if (m_list.selected.size() > 1)
        std::snprintf(question, sizeof question, "Delete these %zu channels ?", m_list.selected.size());
    if (!m_ctx.prompts.ask_yes_no(question))
        return;
    Database& db = m_ctx.db;
    std::vector<int> doomed;
    for (int r : m_list.selected)
        doomed.push_back(m_list.rows[size_t(r)].item_data);
    std::sort(doomed.begin(), doomed.end());
    const std::string label = channels_change_label("Delete", db, doomed);
    for (int c : doomed)
        db.delete_channel(c);
    compact_after_channel_deletion(db);
    // Compaction closes the gaps, so a remembered survivor moves down by the deleted ones before it.
    if (m_remembered >= 0) {
        const auto below = std::lower_bound(doomed.begin(), doomed.end(), m_remembered);
        if (below != doomed.end() && *below == m_remembered)
            m_remembered = -1;
        else
            m_remembered -= int(below - doomed.begin());
    }
    reload();
    m_status.clear();
    m_audio_combo.empty();
    m_ctx.mark_modified(label);
}

void ChannelPageBase::click_name_header()
{
    m_sort = m_sort == NameSort::Descending ? NameSort::Ascending : NameSort::Descending;
    std::vector<int> items;
    for (int r : m_list.selected)
        items.push_back(m_list.rows[size_t(r)].item_data);
    apply_sort();
    m_list.selected.clear();
    for (int item : items)
        m_list.selected.push_back(m_list.find_item(item));
    std::sort(m_list.selected.begin(), m_list.selected.end());
}

bool ChannelPageBase::drag_and_drop(int start_row, int drop_row)
{
    const int n = int(m_list.rows.size());
    if (start_row < 0 || start_row >= n || n == 0)
        return false;
    drop_row = std::clamp(drop_row, 0, n - 1);
    if (drop_row == start_row)
        return false;
    // A drag always carries the row it started on.
    if (!std::binary_search(m_list.selected.begin(), m_list.selected.end(), start_row))
        m_list.select_only(start_row);

    std::vector<int> s;
    for (int r : m_list.selected)
        s.push_back(m_list.rows[size_t(r)].item_data);
    const int start = m_list.rows[size_t(start_row)].item_data;
    int target = m_list.rows[size_t(drop_row)].item_data;
    const int p = int(std::find(s.begin(), s.end(), start) - s.begin());
    const auto t_pos = std::find(s.begin(), s.end(), target);
    if (t_pos != s.end() && int(t_pos - s.begin()) - p == target - start)
        return false; // the selection dropped onto itself

    std::vector<int> ordered = s;
    std::sort(ordered.begin(), ordered.end());
    const auto split = std::upper_bound(ordered.begin(), ordered.end(), target);
    const int b = int(split - ordered.begin());
    // The exchanges run on slot positions first and the records move once afterwards: a long drag
    // makes hundreds of thousands of neighbour exchanges, and each one done on the records would
    // also rescan every favourite list the two channels are in. The outcome is the same.
    Database& db = m_ctx.db;
    const int first = first_slot_of(m_type), slots = slot_count_of(m_type);
    std::vector<int> order(static_cast<size_t>(slots)); // relative slot each position takes its channel from
    for (int i = 0; i < slots; ++i)
        order[size_t(i)] = i;
    long swaps = 0;
    auto swap_slots = [&](int x, int y) {
        std::swap(order[size_t(x - first)], order[size_t(y - first)]);
        ++swaps;
    };
    // Channels before the drop row bubble up to it one neighbour at a time; each one moved pulls the
    // channels between it and the drop row down by one, the later selected ones included.
    int moved = 0;
    for (auto it = ordered.begin(); it != split; ++it) {
        if (*it == target)
            continue;
        for (int i = *it - moved; i < target; ++i)
            swap_slots(i, i + 1);
        ++moved;
    }
    if (b > 0)
        ++target;
    moved = 0;
    for (auto it = ordered.rbegin(); it != std::make_reverse_iterator(split); ++it) {
        for (int i = *it + moved; i > target; --i)
            swap_slots(i - 1, i);
        ++moved;
    }
    if (swaps == 0)
        return false;

    std::vector<tChannelStructure> records(static_cast<size_t>(slots));
    std::vector<uint8_t> languages(static_cast<size_t>(slots));
    std::vector<uint16_t> new_position(static_cast<size_t>(slots));
    for (int i = 0; i < slots; ++i) {
        const int from = order[size_t(i)];
        records[size_t(i)] = db.channels[first + from];
        languages[size_t(i)] = db.language_bytes[first + from];
        new_position[size_t(from)] = uint16_t(i);
    }
    std::copy(records.begin(), records.end(), db.channels + first);
    std::copy(languages.begin(), languages.end(), db.language_bytes + first);
    // Favourite entries follow their channels, as exchanging two channels keeps them.
    for (int g = 0; g < MAX_FAVGROUP_NUM; ++g) {
        uint16_t* list = db.fav_list(g, m_type);
        for (int e = 0; e < MAX_FAVCHAN_NUM; ++e)
            if (list[e] != INVALID_FAVENTRY && list[e] < slots)
                list[e] = new_position[list[e]];
    }
    const int tracked = first + new_position[size_t(start - first)];
    m_remembered = tracked;
    m_ctx.mark_modified(channels_change_label("Move", db, s.size() == 1 ? std::vector<int>{tracked} : s));
    reload();
    return true;
}

} // namespace korvid
