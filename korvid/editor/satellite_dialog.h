#pragma once
// The "Satellite" dialog as a model: the state of every control, opened from a working copy of one
// satellite record and its name, the reactions while the user works in it, and OK, which turns the
// controls back into a record or names what is wrong. A window only mirrors this and forwards input.
#include "common/prompts.h"
#include "korvid/database/records.h"
#include "korvid/editor/check_state.h"
#include "korvid/editor/combo_state.h"
#include "korvid/editor/edit_state.h"

#include <functional>
#include <string>

namespace korvid {

class SatelliteDialog
{
public:
    // The five radio buttons of the "Antenna" group: the wiring, then the tuner of a T1/T2 set-up.
    enum AntennaButton
    {
        ANT_T1T2 = 0,
        ANT_LOOP,
        ANT_TWIN,
        ANT_T1,
        ANT_T2,
        ANTENNA_BUTTON_NUM
    };
    enum DiseqcMode
    {
        DISEQC_OFF = 0,
        DISEQC_10,
        DISEQC_11,
        DISEQC_12,
        DISEQC_USALS
    };
    static constexpr const char* CAPTION = "Satellite";
    // The fixed texts of the dialog's groups, labels and buttons.
    static constexpr const char* GROUP_ANTENNA = "Antenna";
    static constexpr const char* LABEL_NAME = "SAT Name";
    static constexpr const char* GROUP_LNB = "LNB";
    static constexpr const char* LABEL_LNB_TYPE = "LNB Type";
    static constexpr const char* LABEL_FREQ_LOW = "LNB Freq. Low";
    static constexpr const char* LABEL_FREQ_HIGH = "LNB Freq. High";
    static constexpr const char* LABEL_LNB_POWER = "LNB Power";
    static constexpr const char* CHECK_012V = "0/12 V";
    static constexpr const char* CHECK_22K = "22KHz";
    static constexpr const char* GROUP_DISEQC = "DiSEqC";
    static constexpr const char* LABEL_DISEQC = "DiSEqC";
    static constexpr const char* LABEL_DISEQC_PORT = "DiSEqC Port";
    static constexpr const char* GROUP_POSITIONER = "Positioner";
    static constexpr const char* LABEL_DEGREE = "Degree";
    static constexpr const char* BUTTON_OK = "OK";
    static constexpr const char* BUTTON_CANCEL = "Cancel";
    static constexpr size_t NAME_CHARS = 21;
    static constexpr size_t FREQ_CHARS = 5;
    static constexpr size_t DEGREE_CHARS = 6;

    // The control that should have the keyboard after OK was refused.
    enum Focus
    {
        FOCUS_NONE = 0,
        FOCUS_NAME,
        FOCUS_LOW,
        FOCUS_DEGREE
    };

    SatelliteDialog(const tSatellite& record, const std::string& name, common::Prompts& prompts);

    // Set by the page: true when another satellite already carries this name. OK checks it last,
    // so that a clash is reported while the dialog and what was typed are still there.
    std::function<bool(const std::string&)> name_taken;

    static const char* antenna_button_text(int button);
    const CheckState& antenna_button(int button) const { return m_antenna[button]; }
    const EditState& name_edit() const { return m_name; }
    const ComboState& lnb_type_combo() const { return m_lnb_type; }
    const EditState& low_edit() const { return m_low; }
    const EditState& high_edit() const { return m_high; }
    const ComboState& lnb_power_combo() const { return m_power; }
    const CheckState& v012_check() const { return m_v012; }
    const CheckState& k22_check() const { return m_k22; }
    const ComboState& diseqc_combo() const { return m_diseqc; }
    const ComboState& port_combo() const { return m_port; }
    const EditState& degree_edit() const { return m_degree; }
    static const char* degree_hint() { return "( XXX.XE )"; }

    // What the user does. Input to a disabled control is ignored and returns false.
    void type_name(const std::string& text) { m_name.type(text); }
    bool choose_lnb_type(int entry);
    bool type_low(const std::string& text);
    bool type_high(const std::string& text);
    bool choose_lnb_power(int entry);
    bool set_v012(bool checked);
    bool set_k22(bool checked);
    bool choose_diseqc(int mode);
    bool choose_port(int entry);
    void type_degree(const std::string& text) { m_degree.type(text); }
    bool click_antenna(int button);

    // OK: true when the dialog closes and record()/name() hold the result; false when a message was
    // shown and the dialog stays open.
    bool ok();
    Focus focus() const { return m_focus; }

    const tSatellite& record() const { return m_record; }
    const std::string& name() const { return m_result_name; }

private:
    void fill_ports(int count, int keep);
    void frequencies_changed();

    common::Prompts& m_prompts;
    tSatellite m_record;
    std::string m_result_name;

    CheckState m_antenna[ANTENNA_BUTTON_NUM];
    EditState m_name;
    ComboState m_lnb_type;
    EditState m_low, m_high;
    ComboState m_power;
    CheckState m_v012, m_k22;
    ComboState m_diseqc, m_port;
    EditState m_degree;
    Focus m_focus = FOCUS_NONE;
};

} // namespace korvid
