#include "korvid/editor/transponder_dialog.h"

#include "common/strfmt.h"
#include "korvid/database/transponder_texts.h"
#include "korvid/editor/editor_operations.h"
#include "korvid/editor/integer_text.h"

#include <cctype>

namespace korvid {

namespace {

enum class IntegerText
{
    Ok,
    NotInteger,
    OutOfRange
};

IntegerText read_integer(const std::string& text, long& value)
{
    if (!read_integer_text(text, value))
        return IntegerText::NotInteger;
    if (value < TransponderDialog::SPIN_MIN || value > TransponderDialog::SPIN_MAX)
        return IntegerText::OutOfRange;
    return IntegerText::Ok;
}

} // namespace

TransponderDialog::TransponderDialog(
    const Database& db, Mode mode, const tTransponder& working, int shown_sat, common::Prompts& prompts)
    : m_db(db)
    , m_mode(mode)
    , m_prompts(prompts)
    , m_record(working)
{
    std::vector<std::string> names;
    int preselect = -1;
    for (int s = 0; s < SAT_HALF_NUM; ++s) {
        if (!satellite_used(db, s))
            continue;
        if (preselect < 0 && shown_sat < INVALID_SATID && same_satellite(s, shown_sat) >= 0)
            preselect = int(names.size());
        names.push_back(satellite_name(db, s));
        m_link_ids.push_back(db.satellites[s].sat_id);
    }
    m_link_sat.fill(std::move(names), preselect);
    m_fec.fill(fec_entries(), 0);
    m_existing.columns = {{"No", 45}, {"Freq.", 60}, {"POL", 40}, {"Sym Rate", 80}, {"FEC", 60}};
    // A row is a starting point to copy from; several at once would mean nothing.
    m_existing.multiple_selection = false;

    if (mode == EDIT) {
        m_link_sat.enabled = false;
        m_frequency.text = common::strfmt("%d", working.frequency);
        m_symbol_rate.text = common::strfmt("%d", working.symbol_rate);
        m_fec.selection = working.fec < m_fec.entries.size() ? working.fec : -1;
        choose_polarity(working.polarisation ? HOR : VER);
    } else {
        m_frequency.text = "0";
        m_symbol_rate.text = "0";
        choose_polarity(VER);
        if (shown_sat < INVALID_SATID)
            fill_existing();
    }
}

void TransponderDialog::fill_existing()
{
    m_existing.clear_rows();
    if (!m_link_sat.has_selection())
        return;
    const int sat = m_link_ids[size_t(m_link_sat.selection)];
    for (int t = 0; t < TP_HALF_NUM; ++t) {
        const tTransponder& tp = m_db.transponders[t];
        if (!transponder_used(m_db, t) || same_satellite(tp.sat_id, sat) < 0)
            continue;
        m_existing.rows.push_back(
            {t,
             {common::strfmt("%03d", int(m_existing.rows.size()) + 1), common::strfmt("%d", tp.frequency),
              polarity_letter(tp.polarisation), common::strfmt("%d", tp.symbol_rate), fec_text(tp.fec)}});
    }
}

bool TransponderDialog::choose_link_sat(int entry)
{
    if (!m_link_sat.choose(entry))
        return false;
    fill_existing();
    choose_polarity(VER);
    m_frequency.text = "0";
    m_symbol_rate.text = "0";
    m_fec.selection = 0;
    return true;
}

bool TransponderDialog::choose_fec(int entry)
{
    if (!m_fec.choose(entry))
        return false;
    return true;
}

void TransponderDialog::choose_polarity(int p)
{
    m_polarity[VER].checked = p == VER;
    m_polarity[HOR].checked = p != VER;
}

bool TransponderDialog::click_existing_row(int row)
{
    if (!list_visible() || row < 0 || row >= int(m_existing.rows.size()))
        return false;
    m_existing.select_only(row);
    const tTransponder& tp = m_db.transponders[m_existing.rows[size_t(row)].item_data];
    choose_polarity(tp.polarisation ? HOR : VER);
    m_symbol_rate.text = common::strfmt("%d", tp.symbol_rate);
    m_frequency.text = common::strfmt("%d", tp.frequency);
    m_fec.selection = tp.fec < m_fec.entries.size() ? tp.fec : -1;
    return true;
}

void TransponderDialog::spin(EditState& edit, int steps)
{
    long v = 0;
    if (read_integer(edit.text, v) == IntegerText::NotInteger)
        v = 0;
    v += steps;
    v = std::max<long>(SPIN_MIN, std::min<long>(SPIN_MAX, v));
    edit.text = common::strfmt("%ld", v);
}

bool TransponderDialog::ok()
{
    long values[2] = {0, 0};
    const EditState* edits[2] = {&m_frequency, &m_symbol_rate};
    const Focus at[2] = {FOCUS_FREQUENCY, FOCUS_SYMBOL_RATE};
    m_focus = FOCUS_NONE;
    for (int i = 0; i < 2; ++i) {
        switch (read_integer(edits[i]->text, values[i])) {
        case IntegerText::NotInteger:
            m_focus = at[i];
            m_prompts.warning("Please enter an integer.");
            return false;
        case IntegerText::OutOfRange:
            m_focus = at[i];
            m_prompts.warning(
                common::strfmt("Please enter an integer between %d and %d.", SPIN_MIN, SPIN_MAX));
            return false;
        case IntegerText::Ok:
            break;
        }
    }
    tTransponder r = m_record;
    if (m_link_sat.has_selection())
        r.sat_id = uint8_t(m_link_ids[size_t(m_link_sat.selection)]);
    else if (m_mode == ADD)
        r.sat_id = INVALID_SATID;
    // In edit mode without a match the transponder stays on its own satellite: it cannot move.
    m_record = edited_transponder(r, r.sat_id, uint16_t(values[0]), uint16_t(values[1]),
                                  m_polarity[HOR].checked ? 1 : 0,
                                  uint8_t(m_fec.has_selection() ? m_fec.selection : 0));
    return true;
}

} // namespace korvid
