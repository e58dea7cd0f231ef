#include "korvid/editor/satellite_page_base.h"

#include "common/strfmt.h"
#include "korvid/database/satellite_texts.h"
#include "korvid/editor/change_labels.h"
#include "korvid/editor/editor_operations.h"
#include "korvid/editor/satellite_dialog.h"

#include <algorithm>
#include <cstring>
#include <strings.h>

namespace korvid {

SatellitePageBase::SatellitePageBase(EditorContext& ctx, int page_index)
    : m_ctx(ctx)
    , m_page_index(page_index)
{
    m_list.columns = {{"Num", 50, true},   {"Name", 100, true}, {"LNB type", 80, true},
                      {"0/12V", 50, true}, {"22KHz", 60, true}, {"DiSEqC", 70, true},
                      {"Port", 50, true},  {"Degree", 70, true}};
}

ListState::Row SatellitePageBase::make_row(int row_number, int sat_id) const
{
    const tSatellite& sat = m_ctx.db.satellites[sat_id];
    return {sat_id,
            {common::strfmt("%03d", row_number + 1), satellite_name(m_ctx.db, sat_id),
             lnb_type_column_text(sat.lnb_type), v012_column_text(sat), k22_column_text(sat),
             diseqc_column_text(sat), port_column_text(sat), degree_column_text(sat.position)}};
}

void SatellitePageBase::fill_list()
{
    m_list.clear_rows();
    for (int id : listed_ids())
        if (id >= 0 && id < INVALID_SATID)
            m_list.rows.push_back(make_row(int(m_list.rows.size()), id));
    m_list.apply_filter();
    if (m_remembered >= 0)
        select_item(m_remembered);
}

int SatellitePageBase::select_item(int sat_id)
{
    const int row = m_list.find_item(sat_id);
    m_list.select_only(row);
    m_list.scroll_to = row;
    return row;
}

void SatellitePageBase::refresh()
{
    fill_list();
}

void SatellitePageBase::set_filter(std::string text)
{
    m_list.change_filter(text, [this] { fill_list(); });
}

void SatellitePageBase::on_new_database()
{
    // The selection was reset with the new data; a highlighted row from the old data would mislead.
    m_remembered = -1;
    m_tuner.set_mode(read_tuner_mode(m_ctx.db));
    fill_list();
}

bool SatellitePageBase::choose_tuner(int entry)
{
    if (!m_tuner.choose(entry))
        return false;
    m_ctx.selection().current_sat = INVALID_SATID;
    m_ctx.selection().current_tp = INVALID_TPID;
    m_remembered = -1;
    fill_list();
    m_list.selected.clear();
    return true;
}

void SatellitePageBase::select_rows(std::vector<int> rows)
{
    m_list.select_rows(std::move(rows));
}

void SatellitePageBase::click_row(int row)
{
    m_list.select_only(row);
    if (m_list.single_selection() < 0)
        return;
    const int id = m_list.rows[size_t(row)].item_data;
    EditorSelection& sel = m_ctx.selection();
    sel.current_sat = uint16_t(m_tuner.t2() ? satellite_in_half(id, TUNER_SEL_T2) : id);
    sel.current_tp = INVALID_TPID;
    sel.active_sat_page = uint16_t(m_page_index);
    m_remembered = id;
}

void SatellitePageBase::double_click_row(int row)
{
    click_row(row);
    edit();
}

bool SatellitePageBase::row_matches(int row) const
{
    if (row < 0 || row >= int(m_list.rows.size()))
        return false;
    const ListState::Row& shown = m_list.rows[size_t(row)];
    if (!satellite_used(m_ctx.db, shown.item_data))
        return false;
    const ListState::Row now = make_row(row, shown.item_data);
    return std::equal(now.texts.begin() + 1, now.texts.end(), shown.texts.begin() + 1, shown.texts.end());
}

int SatellitePageBase::checked_selection()
{
    const int row = m_list.single_selection();
    if (row < 0 || row_matches(row))
        return row;
    // The tables changed under the list (a load that failed its check, a receive): show them as
    // they are instead of writing through a row that names another or a free slot.
    m_remembered = -1;
    fill_list();
    return -1;
}

void SatellitePageBase::run(PageAction action)
{
    // Only "SAT" adds satellites.
    if (action == PageAction::Edit)
        edit();
    else if (action == PageAction::Delete)
        remove();
}

void SatellitePageBase::edit()
{
    const int row = checked_selection();
    if (row < 0) {
        m_ctx.prompts.warning("No Item is selected!");
        return;
    }
    Database& db = m_ctx.db;
    const int id = satellite_in_half(m_list.rows[size_t(row)].item_data, edit_tuner_selection());
    SatelliteDialog dialog(db.satellites[id], satellite_name(db, id), m_ctx.prompts);
    dialog.name_taken = [this, id](const std::string& name) {
        return satellite_name_taken(m_ctx.db, name, satellite_t1(id));
    };
    if (!m_ctx.dialogs.satellite || !m_ctx.dialogs.satellite(dialog))
        return;

    tSatellite rec = dialog.record();
    rec.sat_id = uint8_t(id);
    const std::string& name = dialog.name();
    if (std::memcmp(&rec, &db.satellites[id], sizeof rec) == 0 &&
        strcasecmp(name.c_str(), satellite_name(db, id).c_str()) == 0)
        return; // nothing the receiver would see has changed

    const int t1 = satellite_t1(id);
    if (satellite_name_taken(db, name, t1)) {
        m_ctx.prompts.warning("Same Name SAT already exist");
        return;
    }

    store_satellite_name(db, t1, name);
    store_satellite_name(db, t1 + SAT_HALF_NUM, name);
    db.satellites[id] = rec;
    if (m_tuner.mode() != TunerMode::T1T2) {
        // Both tuners see the same dish, so the second-half twin takes the same settings.
        tSatellite twin = rec;
        twin.sat_id = uint8_t(t1 + SAT_HALF_NUM);
        twin.tuner_connection = TUNER_T2;
        db.satellites[t1 + SAT_HALF_NUM] = twin;
    }
    ListState::Row& shown = m_list.rows[size_t(row)];
    const std::string number = shown.texts[0];
    shown = make_row(row, shown.item_data);
    shown.texts[0] = number;
    m_list.select_only(row);
    m_ctx.mark_modified(satellite_change_label("Edit", db, t1));
}

void SatellitePageBase::remove()
{
    const int row = checked_selection();
    if (row < 0) {
        m_ctx.prompts.warning("No Item");
        return;
    }
    const int slot = satellite_t1(m_list.rows[size_t(row)].item_data);
    if (slot < 32) {
        m_ctx.prompts.warning("You can't delete default SAT");
        return;
    }
    if (!m_ctx.prompts.ask_yes_no("Delete it?"))
        return;

    Database& db = m_ctx.db;
    const std::string label = satellite_change_label("Delete", db, slot);
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
    m_ctx.selection().current_tp = INVALID_TPID;
    m_ctx.selection().current_sat = INVALID_SATID;
    m_ctx.mark_modified(label);
}

} // namespace korvid
