#pragma once
// The "Transponder" dialog as a model. In add mode it offers the transponders already on the chosen
// satellite as starting points; in edit mode the satellite is fixed and that list is hidden.
// OK only checks that both number edits hold integers from 0 to 65535; the page checks the rest.
#include "common/prompts.h"
#include "korvid/database/database.h"
#include "korvid/editor/check_state.h"
#include "korvid/editor/combo_state.h"
#include "korvid/editor/edit_state.h"
#include "korvid/editor/list_state.h"

#include <vector>

namespace korvid {

class TransponderDialog
{
public:
    enum Mode
    {
        ADD,
        EDIT
    };
    enum Polarity
    {
        VER = 0,
        HOR = 1
    };
    static constexpr const char* CAPTION = "Transponder";
    // The fixed texts of the dialog's labels and buttons.
    static constexpr const char* LABEL_LINK_SAT = "Link SAT";
    static constexpr const char* LABEL_FREQUENCY = "Freq(MHz)";
    static constexpr const char* LABEL_SYMBOL_RATE = "Symbol Rate";
    static constexpr const char* LABEL_FEC = "FEC";
    static constexpr const char* LABEL_POLARITY = "Polarity";
    static constexpr const char* BUTTON_OK = "OK";
    static constexpr const char* BUTTON_CANCEL = "Cancel";
    static const char* polarity_button_text(int p) { return p == VER ? "VER" : "HOR"; }
    static constexpr int SPIN_MIN = 0;
    static constexpr int SPIN_MAX = 65535;
    // Edit mode shrinks the window to this size so the list falls outside it.
    static constexpr int EDIT_WIDTH = 370;
    static constexpr int EDIT_HEIGHT = 280;

    // The edit that should have the keyboard after OK was refused.
    enum Focus
    {
        FOCUS_NONE = 0,
        FOCUS_FREQUENCY,
        FOCUS_SYMBOL_RATE
    };

    // `shown_sat` is the satellite whose twin "Link SAT" preselects (the record's in edit mode, the
    // current satellite in add mode); INVALID_SATID preselects nothing.
    TransponderDialog(
        const Database& db, Mode mode, const tTransponder& working, int shown_sat, common::Prompts& prompts);

    Mode mode() const { return m_mode; }
    const ComboState& link_sat_combo() const { return m_link_sat; }
    // The satellite id behind each "Link SAT" entry.
    const std::vector<int>& link_sat_ids() const { return m_link_ids; }
    const EditState& frequency_edit() const { return m_frequency; }
    const EditState& symbol_rate_edit() const { return m_symbol_rate; }
    const ComboState& fec_combo() const { return m_fec; }
    const CheckState& polarity_button(int p) const { return m_polarity[p]; }
    // The right-hand list of existing transponders; shown in add mode only.
    const ListState& existing_list() const { return m_existing; }
    bool list_visible() const { return m_mode == ADD; }
    // In edit mode OK and Cancel move to the bottom row of the shrunken window.
    bool buttons_at_bottom() const { return m_mode == EDIT; }

    bool choose_link_sat(int entry);
    void type_frequency(const std::string& text) { m_frequency.type(text); }
    void type_symbol_rate(const std::string& text) { m_symbol_rate.type(text); }
    // The spin buttons step the number in their edit, kept within 0 to 65535.
    void spin_frequency(int steps) { spin(m_frequency, steps); }
    void spin_symbol_rate(int steps) { spin(m_symbol_rate, steps); }
    bool choose_fec(int entry);
    void choose_polarity(int p);
    // Copies a row of the list into the fields.
    bool click_existing_row(int row);

    // True when the dialog closes with record() filled; false after an integer message.
    bool ok();
    Focus focus() const { return m_focus; }
    const tTransponder& record() const { return m_record; }
    bool link_sat_chosen() const { return m_link_sat.has_selection(); }

private:
    void fill_existing();
    static void spin(EditState& edit, int steps);

    const Database& m_db;
    const Mode m_mode;
    common::Prompts& m_prompts;
    tTransponder m_record;

    ComboState m_link_sat;
    std::vector<int> m_link_ids;
    EditState m_frequency, m_symbol_rate;
    ComboState m_fec;
    CheckState m_polarity[2];
    ListState m_existing;
    Focus m_focus = FOCUS_NONE;
};

} // namespace korvid
