#include "korvid/editor/satellite_page.h"

#include "korvid/database/satellite_texts.h"
#include "korvid/editor/editor_operations.h"
#include "korvid/editor/satellite_dialog.h"

namespace korvid {

SatellitePage::SatellitePage(EditorContext& ctx)
    : SatellitePageBase(ctx, 0)
{}

std::vector<int> SatellitePage::listed_ids() const
{
    std::vector<int> ids;
    const int first = m_tuner.t2() ? SAT_HALF_NUM : 0;
    for (int s = first; s < first + SAT_HALF_NUM; ++s)
        if (satellite_used(m_ctx.db, s))
            ids.push_back(m_ctx.db.satellites[s].sat_id);
    return ids;
}

void SatellitePage::add()
{
    Database& db = m_ctx.db;
    const int slot = find_free_satellite_slot(db);
    if (slot < 0) {
        m_ctx.prompts.warning("All SAT slot is full");
        return;
    }
    // Loop and Twin leave no tuner to pick; a new satellite then carries the database's own wiring,
    // so that it reads the same as the default satellites.
    const int selection = edit_tuner_selection();
    uint8_t connection = TUNER_T1;
    if (m_tuner.mode() == TunerMode::Loop)
        connection = TUNER_LOOP;
    else if (m_tuner.mode() == TunerMode::Twin)
        connection = TUNER_TWIN;

    tSatellite working = db.satellites[slot];
    // A free slot may hold a type with no frequencies to match; OK would refuse it as it opens.
    apply_lnb_type_frequencies(working);
    working.tuner_connection = connection == TUNER_T1 && selection == TUNER_SEL_T2 ? TUNER_T2 : connection;
    working.sat_id = uint8_t(satellite_in_half(slot, selection));
    SatelliteDialog dialog(working, satellite_name(db, slot), m_ctx.prompts);
    dialog.name_taken = [this](const std::string& name) { return satellite_name_taken(m_ctx.db, name, -1); };
    if (!m_ctx.dialogs.satellite || !m_ctx.dialogs.satellite(dialog))
        return;

    tSatellite rec = dialog.record();
    rec.sat_id = uint8_t(slot);
    rec.tuner_connection = connection;
    const std::string& name = dialog.name();
    if (satellite_name_taken(db, name, -1)) {
        m_ctx.prompts.warning("Same Name SAT already exist");
        return;
    }

    db.satellites[slot] = rec;
    store_satellite_name(db, slot, name);
    tSatellite twin = rec;
    twin.sat_id = uint8_t(slot + SAT_HALF_NUM);
    twin.tuner_connection = TUNER_T2;
    db.satellites[slot + SAT_HALF_NUM] = twin;
    store_satellite_name(db, slot + SAT_HALF_NUM, name);

    const int shown = satellite_in_half(slot, m_tuner.selection());
    m_remembered = shown;
    fill_list();
    select_item(shown);
    m_ctx.selection().current_sat = uint16_t(shown);
    m_ctx.selection().current_tp = INVALID_TPID;
    m_ctx.mark_modified();
}

} // namespace korvid
