#include "korvid/editor/transponder_page.h"

#include "common/strfmt.h"
#include "korvid/database/transponder_texts.h"
#include "korvid/editor/change_labels.h"
#include "korvid/editor/editor_operations.h"
#include "korvid/editor/transponder_dialog.h"
#include "korvid/editor/tuner_mode.h"

#include <algorithm>
#include <cstring>

namespace korvid {

TransponderPage::TransponderPage(EditorContext& ctx)
    : m_ctx(ctx)
{
    m_list.columns = {{"Num", 100, true},      {"Linked SAT", 120, true}, {"Freq.", 100, true},
                      {"Polarity", 100, true}, {"Sym. Rate", 100, true},  {"FEC", 60, true}};
}

ListState::Row TransponderPage::make_row(int row_number, int index) const
{
    const tTransponder& tp = m_ctx.db.transponders[index];
    return {index,
            {common::strfmt("%03d", row_number + 1), satellite_name(m_ctx.db, tp.sat_id),
             common::strfmt("%d", tp.frequency), polarity_text(tp.polarisation),
             common::strfmt("%d", tp.symbol_rate), fec_text(tp.fec)}};
}

void TransponderPage::fill_db_combo()
{
    EditorSelection& sel = m_ctx.selection();
    std::vector<std::string> names = {"All"};
    m_db_ids = {INVALID_SATID};
    int selected = 0;
    for (int s = 0; s < SAT_HALF_NUM; ++s) {
        if (!satellite_used(m_ctx.db, s))
            continue;
        if (m_ctx.db.satellites[s].sat_id == sel.current_sat)
            selected = int(names.size());
        names.push_back(satellite_name(m_ctx.db, s));
        m_db_ids.push_back(m_ctx.db.satellites[s].sat_id);
    }
    m_db_combo.fill(std::move(names), selected);
    if (selected == 0)
        sel.current_sat = INVALID_SATID;
}

void TransponderPage::fill_list()
{
    const int current = m_ctx.selection().current_sat;
    m_list.clear_rows();
    for (int t = 0; t < TP_HALF_NUM; ++t) {
        if (!transponder_used(m_ctx.db, t))
            continue;
        if (current != INVALID_SATID && same_satellite(m_ctx.db.transponders[t].sat_id, current) < 0)
            continue;
        m_list.rows.push_back(make_row(int(m_list.rows.size()), t));
    }
    m_list.apply_filter();
    if (m_remembered >= 0) {
        const int row = m_list.find_item(m_remembered);
        m_list.select_only(row);
        m_list.scroll_to = row;
    }
}

void TransponderPage::refresh()
{
    fill_db_combo();
    fill_list();
}

void TransponderPage::on_new_database()
{
    m_remembered = -1;
    refresh();
}

void TransponderPage::set_filter(std::string text)
{
    m_list.change_filter(text, [this] { fill_list(); });
}

bool TransponderPage::choose_db(int entry)
{
    if (entry < 0 || entry >= int(m_db_ids.size()))
        return false;
    m_ctx.selection().current_sat = uint16_t(m_db_ids[size_t(entry)]);
    refresh();
    return true;
}

void TransponderPage::select_rows(std::vector<int> rows)
{
    m_list.select_rows(std::move(rows));
}

void TransponderPage::click_row(int row)
{
    m_list.select_only(row);
    if (m_list.single_selection() < 0)
        return;
    const int index = m_list.rows[size_t(row)].item_data;
    EditorSelection& sel = m_ctx.selection();
    sel.current_tp = uint16_t(m_ctx.tuner_selection() == TUNER_SEL_T2 ? index + TP_HALF_NUM : index);
    sel.current_sat = m_ctx.db.transponders[sel.current_tp].sat_id;
    m_remembered = index;
}

void TransponderPage::double_click_row(int row)
{
    click_row(row);
    edit();
}

void TransponderPage::add()
{
    Database& db = m_ctx.db;
    const int entry = find_free_transponder(db);
    if (entry < 0) {
        m_ctx.prompts.warning("All Transponder slot is full");
        return;
    }
    tTransponder working{};
    working.sat_id = INVALID_SATID;
    TransponderDialog dialog(db, TransponderDialog::ADD, working, m_ctx.selection().current_sat,
                             m_ctx.prompts);
    if (!m_ctx.dialogs.transponder || !m_ctx.dialogs.transponder(dialog))
        return;
    tTransponder rec = dialog.record();
    if (!dialog.link_sat_chosen() || rec.sat_id >= SAT_HALF_NUM) {
        m_ctx.prompts.warning("SAT Infomation is not correct");
        return;
    }
    if (!transponder_values_valid(rec)) {
        m_ctx.prompts.warning("Transponder value is not valid");
        return;
    }
    if (find_duplicate_transponder(db, rec, DuplicateRule::Exact, -1) >= 0) {
        m_ctx.prompts.warning("Same Transponder already exist");
        return;
    }
    store_transponder_pair(db, entry, rec);

    EditorSelection& sel = m_ctx.selection();
    if (sel.current_sat != INVALID_SATID)
        sel.current_sat = rec.sat_id;
    sel.current_tp = uint16_t(entry);
    m_remembered = entry;
    refresh();
    const int row = m_list.find_item(entry);
    m_list.select_only(row);
    m_list.scroll_to = row;
    if (row >= 0) {
        const int index = m_list.rows[size_t(row)].item_data;
        sel.current_tp = uint16_t(m_ctx.tuner_selection() == TUNER_SEL_T2 ? index + TP_HALF_NUM : index);
        sel.current_sat = db.transponders[sel.current_tp].sat_id;
    }
    m_ctx.mark_modified(transponder_change_label("Add", rec));
}

int TransponderPage::checked_selection()
{
    const int row = m_list.single_selection();
    if (row < 0)
        return row;
    const ListState::Row& shown = m_list.rows[size_t(row)];
    // "Num" aside: it counts the whole list, which a filtered row number does not know.
    const ListState::Row now = make_row(row, shown.item_data);
    if (transponder_used(m_ctx.db, shown.item_data) &&
        std::equal(now.texts.begin() + 1, now.texts.end(), shown.texts.begin() + 1, shown.texts.end()))
        return row;
    // The tables changed under the list: show them as they are rather than write through a row
    // that names a slot holding something else now.
    on_new_database();
    return -1;
}

void TransponderPage::edit()
{
    const int row = checked_selection();
    if (row < 0) {
        m_ctx.prompts.warning("No Item is selected!");
        return;
    }
    Database& db = m_ctx.db;
    const int entry = m_list.rows[size_t(row)].item_data;
    TransponderDialog dialog(db, TransponderDialog::EDIT, db.transponders[entry],
                             db.transponders[entry].sat_id, m_ctx.prompts);
    if (!m_ctx.dialogs.transponder || !m_ctx.dialogs.transponder(dialog))
        return;
    const tTransponder rec = dialog.record();
    if (!transponder_values_valid(rec)) {
        m_ctx.prompts.warning("Transponder value is not valid");
        return;
    }
    if (find_duplicate_transponder(db, rec, DuplicateRule::Within3, entry) >= 0) {
        m_ctx.prompts.warning("Same Transponder already exist");
        return;
    }
    store_transponder_pair(db, entry, rec);
    m_ctx.selection().current_tp = uint16_t(entry);
    const std::string number = m_list.rows[size_t(row)].texts[0];
    m_list.rows[size_t(row)] = make_row(row, entry);
    m_list.rows[size_t(row)].texts[0] = number;
    m_list.select_only(row);
    m_ctx.mark_modified(transponder_change_label("Edit", db.transponders[entry]));
}

void TransponderPage::remove()
{
    const int row = checked_selection();
    if (row < 0) {
        m_ctx.prompts.warning("No Item");
        return;
    }
    if (!m_ctx.prompts.ask_yes_no("Delete it?"))
        return;
    Database& db = m_ctx.db;
    const int entry = m_list.rows[size_t(row)].item_data;
    const std::string label = transponder_change_label("Delete", db.transponders[entry]);
    delete_transponder_pair(db, entry);
    refresh();
    compact_after_channel_deletion(db);
    m_ctx.selection().current_tp = INVALID_TPID;
    m_ctx.mark_modified(label);
}

} // namespace korvid
