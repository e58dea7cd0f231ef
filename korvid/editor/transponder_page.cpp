#include "korvid/editor/transponder_page.h"

#include "common/strfmt.h"
#include "korvid/editor/editor_operations.h"
#include "korvid/editor/transponder_dialog.h"
#include "korvid/editor/transponder_texts.h"
#include "korvid/editor/tuner_mode.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace korvid {

TransponderPage::TransponderPage(EditorContext& ctx)
    : ctx_(ctx)
{
    list_.columns = {{"Num", 100, true},      {"Linked SAT", 120, true}, {"Freq.", 100, true},
                     {"Polarity", 100, true}, {"Sym. Rate", 100, true},  {"FEC", 60, true}};
}

ListState::Row TransponderPage::make_row(int row_number, int index) const
{
    const tTransponder& tp = ctx_.db.transponders[index];
    return {index,
            {common::strfmt("%03d", row_number + 1), satellite_name(ctx_.db, tp.sat_id),
             common::strfmt("%d", tp.frequency), polarity_text(tp.polarisation),
             common::strfmt("%d", tp.symbol_rate), fec_text(tp.fec)}};
}

void TransponderPage::fill_db_combo()
{
    EditorSelection& sel = ctx_.selection();
    std::vector<std::string> names = {"All"};
    db_ids_ = {INVALID_SATID};
    int selected = 0;
    for (int s = 0; s < SAT_HALF_NUM; ++s) {
        if (!satellite_used(ctx_.db, s))
            continue;
        if (ctx_.db.satellites[s].sat_id == sel.current_sat)
            selected = int(names.size());
        names.push_back(satellite_name(ctx_.db, s));
        db_ids_.push_back(ctx_.db.satellites[s].sat_id);
    }
    db_combo_.fill(std::move(names), selected);
    if (selected == 0)
        sel.current_sat = INVALID_SATID;
}

void TransponderPage::fill_list()
{
    const int current = ctx_.selection().current_sat;
    list_.clear_rows();
    for (int t = 0; t < TP_HALF_NUM; ++t) {
        if (!transponder_used(ctx_.db, t))
            continue;
        if (current != INVALID_SATID && same_satellite(ctx_.db.transponders[t].sat_id, current) < 0)
            continue;
        list_.rows.push_back(make_row(int(list_.rows.size()), t));
    }
    if (remembered_ >= 0) {
        const int row = list_.find_item(remembered_);
        list_.select_only(row);
        list_.scroll_to = row;
    }
}

void TransponderPage::refresh()
{
    fill_db_combo();
    fill_list();
}

void TransponderPage::on_new_database()
{
    remembered_ = -1;
    refresh();
}

bool TransponderPage::choose_db(int entry)
{
    if (entry < 0 || entry >= int(db_ids_.size()))
        return false;
    ctx_.selection().current_sat = uint16_t(db_ids_[size_t(entry)]);
    refresh();
    return true;
}

void TransponderPage::select_rows(std::vector<int> rows)
{
    list_.select_rows(std::move(rows));
}

void TransponderPage::click_row(int row)
{
    list_.select_only(row);
    if (list_.single_selection() < 0)
        return;
    const int index = list_.rows[size_t(row)].item_data;
    EditorSelection& sel = ctx_.selection();
    sel.current_tp = uint16_t(ctx_.tuner_selection() == TUNER_SEL_T2 ? index + TP_HALF_NUM : index);
    sel.current_sat = ctx_.db.transponders[sel.current_tp].sat_id;
    remembered_ = index;
}

void TransponderPage::double_click_row(int row)
{
    click_row(row);
    edit();
}

int TransponderPage::find_duplicate(const Database& db, const tTransponder& tp, DuplicateRule rule, int skip)
{
    const bool horizontal = tp.polarisation != 0;
    for (int t = 0; t < TP_HALF_NUM; ++t) {
        const tTransponder& other = db.transponders[t];
        if (t == skip || !transponder_used(db, t) || same_satellite(other.sat_id, tp.sat_id) < 0 ||
            (other.polarisation != 0) != horizontal)
            continue;
        if (rule == DuplicateRule::Exact) {
            if (other.frequency == tp.frequency && other.symbol_rate == tp.symbol_rate)
                return t;
        } else if (std::abs(int(other.frequency) - int(tp.frequency)) <= 3 &&
                   std::abs(int(other.symbol_rate) - int(tp.symbol_rate)) <= 3) {
            return t;
        }
    }
    return -1;
}

void TransponderPage::store_pair(int index, const tTransponder& tp)
{
    ctx_.db.transponders[index] = tp;
    tTransponder twin = tp;
    twin.sat_id = uint8_t(tp.sat_id + SAT_HALF_NUM);
    ctx_.db.transponders[index + TP_HALF_NUM] = twin;
}

static bool valid_values(const tTransponder& tp)
{
    return tp.frequency >= 950 && tp.symbol_rate != 0;
}

void TransponderPage::add()
{
    Database& db = ctx_.db;
    const int entry = find_free_transponder(db);
    if (entry < 0) {
        ctx_.prompts.warning("All Transponder slot is full");
        return;
    }
    tTransponder working{};
    working.sat_id = INVALID_SATID;
    TransponderDialog dialog(db, TransponderDialog::ADD, working, ctx_.selection().current_sat, ctx_.prompts);
    if (!ctx_.dialogs.transponder || !ctx_.dialogs.transponder(dialog))
        return;
    tTransponder rec = dialog.record();
    if (!dialog.link_sat_chosen() || rec.sat_id >= SAT_HALF_NUM) {
        ctx_.prompts.warning("SAT Infomation is not correct");
        return;
    }
    if (!valid_values(rec)) {
        ctx_.prompts.warning("Transponder value is not valid");
        return;
    }
    if (find_duplicate(db, rec, DuplicateRule::Exact, -1) >= 0) {
        ctx_.prompts.warning("Same Transponder already exist");
        return;
    }
    store_pair(entry, rec);

    EditorSelection& sel = ctx_.selection();
    if (sel.current_sat != INVALID_SATID)
        sel.current_sat = rec.sat_id;
    sel.current_tp = uint16_t(entry);
    remembered_ = entry;
    refresh();
    const int row = list_.find_item(entry);
    list_.select_only(row);
    list_.scroll_to = row;
    if (row >= 0) {
        const int index = list_.rows[size_t(row)].item_data;
        sel.current_tp = uint16_t(ctx_.tuner_selection() == TUNER_SEL_T2 ? index + TP_HALF_NUM : index);
        sel.current_sat = db.transponders[sel.current_tp].sat_id;
    }
    ctx_.mark_modified();
}

int TransponderPage::checked_selection()
{
    const int row = list_.single_selection();
    if (row < 0)
        return row;
    const ListState::Row& shown = list_.rows[size_t(row)];
    if (transponder_used(ctx_.db, shown.item_data) && make_row(row, shown.item_data).texts == shown.texts)
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
        ctx_.prompts.warning("No Item is selected!");
        return;
    }
    Database& db = ctx_.db;
    const int entry = list_.rows[size_t(row)].item_data;
    TransponderDialog dialog(db, TransponderDialog::EDIT, db.transponders[entry],
                             db.transponders[entry].sat_id, ctx_.prompts);
    if (!ctx_.dialogs.transponder || !ctx_.dialogs.transponder(dialog))
        return;
    const tTransponder rec = dialog.record();
    if (!valid_values(rec)) {
        ctx_.prompts.warning("Transponder value is not valid");
        return;
    }
    if (find_duplicate(db, rec, DuplicateRule::Within3, entry) >= 0) {
        ctx_.prompts.warning("Same Transponder already exist");
        return;
    }
    const tTransponder before[2] = {db.transponders[entry], db.transponders[entry + TP_HALF_NUM]};
    store_pair(entry, rec);
    ctx_.selection().current_tp = uint16_t(entry);
    list_.rows[size_t(row)] = make_row(row, entry);
    list_.select_only(row);
    if (std::memcmp(&before[0], &db.transponders[entry], sizeof(tTransponder)) != 0 ||
        std::memcmp(&before[1], &db.transponders[entry + TP_HALF_NUM], sizeof(tTransponder)) != 0)
        ctx_.mark_modified();
}

void TransponderPage::remove()
{
    const int row = checked_selection();
    if (row < 0) {
        ctx_.prompts.warning("No Item");
        return;
    }
    if (!ctx_.prompts.ask_yes_no("Delete it?"))
        return;
    Database& db = ctx_.db;
    const int entry = list_.rows[size_t(row)].item_data;
    free_transponder(db, entry);
    free_transponder(db, entry + TP_HALF_NUM);
    delete_channels_on_free_transponders(db);
    refresh();
    compact_after_channel_deletion(db);
    ctx_.selection().current_tp = INVALID_TPID;
    ctx_.mark_modified();
}

} // namespace korvid
