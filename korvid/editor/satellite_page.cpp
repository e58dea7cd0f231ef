#include "korvid/editor/satellite_page.h"

#include "common/strfmt.h"
#include "korvid/database/satellite_texts.h"
#include "korvid/editor/change_labels.h"
#include "korvid/editor/editor_operations.h"
#include "korvid/editor/satellite_dialog.h"
#include "korvid/editor/transponder_update.h"
#include "korvid/editor/transponder_update_dialog.h"

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

void SatellitePage::run(PageAction action)
{
    if (action == PageAction::Add)
        add();
    else if (action == PageAction::UpdateTransponders)
        update_transponders();
    else
        SatellitePageBase::run(action);
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
    m_ctx.mark_modified(satellite_change_label("Add", db, slot));
}

std::string SatellitePage::choose_transponder_list(const std::string& sat_name, int position)
{
    common::FileDialogSpec dialog;
    dialog.filter = "Transponder Lists (satellites.xml, scan tables)|*.xml;*E;*W|All Files (*.*)|*.*||";
    const std::string installed = find_scan_table(m_scanTableFolder, position);
    if (installed.empty()) {
        if (!m_ctx.prompts.ask_yes_no(
                common::strfmt("No scan table in %s is at %s.\nChoose a satellites.xml or a "
                               "scan table of %s?",
                               m_scanTableFolder.c_str(), position_text(position).c_str(), sat_name.c_str())))
            return {};
    } else {
        const int answer =
            m_ctx.prompts.ask_choice(common::strfmt("Update the transponders of %s from the scan table\n%s?",
                                                    sat_name.c_str(), installed.c_str()),
                                     {"Use It", "Other File...", "Cancel"}, 0);
        if (answer == 0)
            return installed;
        if (answer != 1)
            return {};
    }
    return m_ctx.prompts.open_file(dialog).value_or(std::string());
}

void SatellitePage::update_transponders()
{
    const int row = checked_selection();
    if (row < 0) {
        m_ctx.prompts.warning("No Item is selected!");
        return;
    }
    Database& db = m_ctx.db;
    const int slot = satellite_t1(m_list.rows[size_t(row)].item_data);
    const std::string name = satellite_name(db, slot);
    const int position = db.satellites[slot].position;
    const std::string path = choose_transponder_list(name, position);
    if (path.empty())
        return;

    TransponderList list;
    std::string error;
    if (!read_transponder_list(path, list, error)) {
        m_ctx.prompts.error("The transponder list could not be read:\n" + error);
        return;
    }
    const int source = choose_source_satellite(list, position, name);
    if (source < 0) {
        m_ctx.prompts.warning(
            common::strfmt("%s lists no satellite within 0.2 degrees of %s, nor one named %s.", path.c_str(),
                           position_text(position).c_str(), name.c_str()));
        return;
    }
    TransponderUpdatePlan plan = plan_transponder_update(db, slot, list.satellites[size_t(source)]);
    plan.source_path = path;
    if (plan.changes.empty()) {
        std::string text = common::strfmt("The transponders of %s are as %s lists them: nothing to change.",
                                          name.c_str(), plan.source_name.c_str());
        for (const std::string& why : plan.left_out)
            text += "\nNot offered: " + why;
        m_ctx.prompts.info(text);
        return;
    }
    TransponderUpdateDialog dialog(std::move(plan));
    if (!m_ctx.dialogs.transponder_update || !m_ctx.dialogs.transponder_update(dialog))
        return;

    const TransponderUpdateResult result = apply_transponder_update(db, dialog.plan());
    if (result.stored()) {
        // A removed entry may have been the current one; the satellite stays picked.
        m_ctx.selection().current_tp = INVALID_TPID;
        m_ctx.mark_modified(transponder_update_label(name));
    }
    if (result.not_added_full > 0 || result.refused_duplicate > 0)
        m_ctx.prompts.warning(transponder_update_summary(result));
}

} // namespace korvid
