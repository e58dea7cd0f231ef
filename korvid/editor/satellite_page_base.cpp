#include "korvid/editor/satellite_page_base.h"

#include "common/strfmt.h"
#include "korvid/editor/editor_operations.h"
#include "korvid/editor/satellite_dialog.h"
#include "korvid/editor/satellite_texts.h"

#include <algorithm>
#include <cstring>
#include <strings.h>

namespace korvid {

SatellitePageBase::SatellitePageBase(EditorContext& ctx, int page_index)
    : ctx_(ctx)
    , page_index_(page_index)
{
    list_.columns = {{"Num", 50, true},   {"Name", 100, true},  {"LNB type", 80, true}, {"0/12V", 50, true},
                     {"22KHz", 60, true}, {"DiSEqC", 70, true}, {"Port", 50, true},     {"Degree", 70, true}};
}

ListState::Row SatellitePageBase::make_row(int row_number, int sat_id) const
{
    const tSatellite& sat = ctx_.db.satellites[sat_id];
    return {sat_id,
            {common::strfmt("%03d", row_number + 1), satellite_name(ctx_.db, sat_id),
             lnb_type_column_text(sat.lnb_type), v012_column_text(sat), k22_column_text(sat),
             diseqc_column_text(sat), port_column_text(sat), degree_column_text(sat.position)}};
}

void SatellitePageBase::fill_list()
{
    list_.clear_rows();
    for (int id : listed_ids())
        if (id >= 0 && id < INVALID_SATID)
            list_.rows.push_back(make_row(int(list_.rows.size()), id));
    if (remembered_ >= 0)
        select_item(remembered_);
}

int SatellitePageBase::select_item(int sat_id)
{
    const int row = list_.find_item(sat_id);
    list_.select_only(row);
    list_.scroll_to = row;
    return row;
}

void SatellitePageBase::refresh()
{
    fill_list();
}

void SatellitePageBase::on_new_database()
{
    // The selection was reset with the new data; a highlighted row from the old data would mislead.
    remembered_ = -1;
    tuner_.set_mode(read_tuner_mode(ctx_.db));
    fill_list();
}

bool SatellitePageBase::choose_tuner(int entry)
{
    if (!tuner_.choose(entry))
        return false;
    ctx_.selection().current_sat = INVALID_SATID;
    ctx_.selection().current_tp = INVALID_TPID;
    remembered_ = -1;
    fill_list();
    list_.selected.clear();
    return true;
}

void SatellitePageBase::select_rows(std::vector<int> rows)
{
    list_.select_rows(std::move(rows));
}

void SatellitePageBase::click_row(int row)
{
    list_.select_only(row);
    if (list_.single_selection() < 0)
        return;
    const int id = list_.rows[size_t(row)].item_data;
    EditorSelection& sel = ctx_.selection();
    sel.current_sat = uint16_t(tuner_.t2() ? satellite_in_half(id, TUNER_SEL_T2) : id);
    sel.current_tp = INVALID_TPID;
    sel.active_sat_page = uint16_t(page_index_);
    remembered_ = id;
}

void SatellitePageBase::double_click_row(int row)
{
    click_row(row);
    edit();
}

bool SatellitePageBase::row_matches(int row) const
{
    if (row < 0 || row >= int(list_.rows.size()))
        return false;
    const ListState::Row& shown = list_.rows[size_t(row)];
    return satellite_used(ctx_.db, shown.item_data) && make_row(row, shown.item_data).texts == shown.texts;
}

int SatellitePageBase::checked_selection()
{
    const int row = list_.single_selection();
    if (row < 0 || row_matches(row))
        return row;
    // The tables changed under the list (a load that failed its check, a receive): show them as
    // they are instead of writing through a row that names another or a free slot.
    remembered_ = -1;
    fill_list();
    return -1;
}

void SatellitePageBase::edit()
{
    const int row = checked_selection();
    if (row < 0) {
        ctx_.prompts.warning("No Item is selected!");
        return;
    }
    Database& db = ctx_.db;
    const int id = satellite_in_half(list_.rows[size_t(row)].item_data, edit_tuner_selection());
    SatelliteDialog dialog(db.satellites[id], satellite_name(db, id), ctx_.prompts);
    dialog.name_taken = [this, id](const std::string& name) {
        return satellite_name_taken(ctx_.db, name, satellite_t1(id));
    };
    if (!ctx_.dialogs.satellite || !ctx_.dialogs.satellite(dialog))
        return;

    tSatellite rec = dialog.record();
    rec.sat_id = uint8_t(id);
    const std::string& name = dialog.name();
    if (std::memcmp(&rec, &db.satellites[id], sizeof rec) == 0 &&
        strcasecmp(name.c_str(), satellite_name(db, id).c_str()) == 0)
        return; // nothing the receiver would see has changed

    const int t1 = satellite_t1(id);
    if (satellite_name_taken(db, name, t1)) {
        ctx_.prompts.warning("Same Name SAT already exist");
        return;
    }

    store_satellite_name(db, t1, name);
    store_satellite_name(db, t1 + SAT_HALF_NUM, name);
    db.satellites[id] = rec;
    if (tuner_.mode() != TunerMode::T1T2) {
        // Both tuners see the same dish, so the second-half twin takes the same settings.
        tSatellite twin = rec;
        twin.sat_id = uint8_t(t1 + SAT_HALF_NUM);
        twin.tuner_connection = TUNER_T2;
        db.satellites[t1 + SAT_HALF_NUM] = twin;
    }
    const int shown = list_.rows[size_t(row)].item_data;
    list_.rows[size_t(row)] = make_row(row, shown);
    list_.select_only(row);
    ctx_.mark_modified();
}

void SatellitePageBase::remove()
{
    const int row = checked_selection();
    if (row < 0) {
        ctx_.prompts.warning("No Item");
        return;
    }
    const int slot = satellite_t1(list_.rows[size_t(row)].item_data);
    if (slot < 32) {
        ctx_.prompts.warning("You can't delete default SAT");
        return;
    }
    if (!ctx_.prompts.ask_yes_no("Delete it?"))
        return;

    Database& db = ctx_.db;
    for (int s : {slot, slot + SAT_HALF_NUM}) {
        tSatellite& sat = db.satellites[s];
        sat.sat_id = INVALID_SATID;
        sat.position = 0;
        sat.positioner_position = 0;
        sat.positioner &= positioner_kept_on_delete();
        store_satellite_name(db, s, "");
    }
    free_transponders_of_satellite(db, slot);
    delete_channels_on_free_transponders(db);
    compact_after_channel_deletion(db);
    // Refilled only now: the searched list is built from the channels, which are gone only now.
    fill_list();
    ctx_.selection().current_tp = INVALID_TPID;
    ctx_.selection().current_sat = INVALID_SATID;
    ctx_.mark_modified();
}

} // namespace korvid
