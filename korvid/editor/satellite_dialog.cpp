#include "korvid/editor/satellite_dialog.h"

#include "common/strfmt.h"
#include "korvid/database/satellite_texts.h"

#include <cctype>

namespace korvid {

namespace {

std::vector<std::string> port_entries(int count)
{
    std::vector<std::string> ports;
    for (int p = 1; p <= count; ++p)
        ports.push_back(common::strfmt("Port %d", p));
    return ports;
}

// A frequency edit as a 16-bit decimal: the leading digits count, anything else reads as 0.
// False when the digits do not fit 16 bits, rather than storing a wrapped value.
bool read_frequency(const std::string& text, uint16_t& value)
{
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    unsigned long v = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        v = v * 10 + unsigned(text[i] - '0');
        if (v > 0xFFFF)
            return false;
    }
    value = uint16_t(v);
    return true;
}

} // namespace

const char* SatelliteDialog::antenna_button_text(int button)
{
    static const char* const texts[] = {"T1 / T2", "Loop", "Twin", "T1", "T2"};
    return (button >= 0 && button < ANTENNA_BUTTON_NUM) ? texts[button] : "";
}

SatelliteDialog::SatelliteDialog(const tSatellite& record, const std::string& name, common::Prompts& prompts)
    : m_prompts(prompts)
    , m_record(record)
{
    m_name.max_length = NAME_CHARS;
    m_name.text = name;
    m_lnb_type.fill(
        {"UNI_LNB", "5150", "9750", "10000", "10050", "10600", "10750", "11200", "11475", "USER_DEFINE"},
        record.lnb_type);

    // The antenna buttons only show how the record is wired; the wiring is not edited here.
    for (auto& b : m_antenna)
        b = CheckState{false, false};
    if (record.tuner_connection == TUNER_LOOP)
        m_antenna[ANT_LOOP].checked = true;
    else if (record.tuner_connection == TUNER_TWIN)
        m_antenna[ANT_TWIN].checked = true;
    else if (record.tuner_connection == TUNER_T1 || record.tuner_connection == TUNER_T2) {
        m_antenna[ANT_T1T2].checked = true;
        m_antenna[record.sat_id >= SAT_HALF_NUM ? ANT_T2 : ANT_T1].checked = true;
    }

    m_v012.checked = (record.lnb_control & LNB_CTRL_012V) != 0;
    m_power.fill({"ON", "OFF"}, (record.lnb_control & LNB_CTRL_POWER_MASK) == 3 ? 1 : 0);

    m_diseqc.fill({"Off", "DiSEqC 1.0", "DiSEqC 1.1", "DiSEqC 1.2", "USALS"});
    const int sw = record.DiSEqC_Cfg & 0x30;
    if (sw == 0x10 || sw == 0x20) {
        m_diseqc.selection = sw == 0x10 ? DISEQC_10 : DISEQC_11;
        m_port.fill(port_entries(sw == 0x10 ? 4 : 16), record.DiSEqC_idx);
        m_port.enabled = true;
    } else {
        m_port.enabled = false;
        if ((record.positioner & 0x80) && (record.positioner & 0x08))
            m_diseqc.selection = DISEQC_USALS;
        else if (record.positioner & 0x80)
            m_diseqc.selection = DISEQC_12;
        else
            m_diseqc.selection = DISEQC_OFF;
    }

    m_degree.max_length = DEGREE_CHARS;
    m_degree.text = degree_edit_text(record.position);

    m_low.max_length = m_high.max_length = FREQ_CHARS;
    m_low.text = common::strfmt("%d", record.lnb_freq_low);
    m_high.text = common::strfmt("%d", record.lnb_freq_high);
    if (record.lnb_freq_low != record.lnb_freq_high)
        m_k22 = CheckState{false, false};
    else
        m_k22 = CheckState{(record.lnb_control & LNB_CTRL_22K_MASK) == 0x10, true};
    m_low.enabled = m_high.enabled = record.lnb_type == USER_DEFINE;
}

bool SatelliteDialog::choose_lnb_type(int entry)
{
    if (!m_lnb_type.choose(entry))
        return false;
    if (entry == UNI_LNB) {
        m_low.text = "9750";
        m_high.text = "10600";
        m_low.enabled = m_high.enabled = false;
        m_k22 = CheckState{false, false};
    } else if (entry == USER_DEFINE) {
        m_low.enabled = m_high.enabled = true;
    } else {
        const std::string f = common::strfmt("%d", fixed_lnb_frequency(uint8_t(entry)));
        m_low.text = m_high.text = f;
        m_low.enabled = m_high.enabled = false;
        m_k22 = CheckState{true, true};
    }
    return true;
}

void SatelliteDialog::frequencies_changed()
{
    uint16_t low = 0, high = 0;
    const bool readable = read_frequency(m_low.text, low) && read_frequency(m_high.text, high);
    m_k22.enabled = readable && low == high;
}

bool SatelliteDialog::type_low(const std::string& text)
{
    if (!m_low.enabled)
        return false;
    m_low.type(text);
    frequencies_changed();
    return true;
}

bool SatelliteDialog::type_high(const std::string& text)
{
    if (!m_high.enabled)
        return false;
    m_high.type(text);
    frequencies_changed();
    return true;
}

bool SatelliteDialog::choose_lnb_power(int entry)
{
    if (!m_power.choose(entry))
        return false;
    return true;
}

bool SatelliteDialog::set_v012(bool checked)
{
    m_v012.checked = checked;
    return true;
}

bool SatelliteDialog::set_k22(bool checked)
{
    if (!m_k22.enabled)
        return false;
    m_k22.checked = checked;
    return true;
}

void SatelliteDialog::fill_ports(int count, int keep)
{
    m_port.fill(port_entries(count), keep >= 0 && keep < count ? keep : 0);
    m_port.enabled = true;
}

bool SatelliteDialog::choose_diseqc(int mode)
{
    if (mode < DISEQC_OFF || mode > DISEQC_USALS)
        return false;
    m_diseqc.selection = mode;
    if (mode == DISEQC_10 || mode == DISEQC_11) {
        fill_ports(mode == DISEQC_10 ? 4 : 16, m_port.selection);
    } else {
        m_port.empty();
        m_port.enabled = false;
    }
    return true;
}

bool SatelliteDialog::choose_port(int entry)
{
    if (!m_port.choose(entry))
        return false;
    return true;
}

bool SatelliteDialog::click_antenna(int button)
{
    if (button < 0 || button >= ANTENNA_BUTTON_NUM || !m_antenna[button].enabled)
        return false;
    if (button <= ANT_TWIN) {
        for (int b = ANT_T1T2; b <= ANT_TWIN; ++b)
            m_antenna[b].checked = b == button;
        m_antenna[ANT_T1].enabled = m_antenna[ANT_T2].enabled = button == ANT_T1T2;
    } else {
        m_antenna[ANT_T1].checked = button == ANT_T1;
        m_antenna[ANT_T2].checked = button == ANT_T2;
    }
    return true;
}

bool SatelliteDialog::ok()
{
    m_focus = FOCUS_NONE;
    if (m_name.text.empty()) {
        m_prompts.warning("SAT Name is not correct!");
        m_focus = FOCUS_NAME;
        return false;
    }
    tSatellite r = m_record;

    if (m_antenna[ANT_LOOP].checked)
        r.tuner_connection = TUNER_LOOP;
    else if (m_antenna[ANT_TWIN].checked)
        r.tuner_connection = TUNER_TWIN;
    else
        r.tuner_connection = m_antenna[ANT_T2].checked ? TUNER_T2 : TUNER_T1;

    uint16_t low = 0, high = 0;
    if (!read_frequency(m_low.text, low) || !read_frequency(m_high.text, high) || high < low ||
        (low == 0 && high == 0)) {
        m_prompts.warning("Please check LNB value!");
        m_focus = m_low.enabled ? FOCUS_LOW : FOCUS_NONE;
        return false;
    }
    r.lnb_type = lnb_type_from_frequencies(low, high);
    r.lnb_freq_high = high;
    r.lnb_freq_low = low;

    uint8_t ctrl = r.lnb_control & uint8_t(~(LNB_CTRL_22K_MASK | LNB_CTRL_012V | LNB_CTRL_POWER_MASK));
    if (low == high)
        ctrl |= m_k22.checked ? 0x10 : 0x20;
    if (m_v012.checked)
        ctrl |= LNB_CTRL_012V;
    if (m_power.selection == 1)
        ctrl |= 3;
    r.lnb_control = ctrl;

    switch (m_diseqc.selection) {
    case DISEQC_10:
        r.DiSEqC_Cfg = uint8_t((r.DiSEqC_Cfg & ~0x30) | 0x10);
        r.positioner &= uint8_t(~0x80);
        break;
    case DISEQC_11:
        r.DiSEqC_Cfg = uint8_t((r.DiSEqC_Cfg & ~0x30) | 0x20);
        r.positioner &= uint8_t(~0x80);
        break;
    case DISEQC_12:
        r.DiSEqC_Cfg = 0;
        r.positioner = uint8_t((r.positioner | 0x80) & ~0x08);
        break;
    case DISEQC_USALS:
        r.DiSEqC_Cfg = 0;
        r.positioner |= 0x88;
        break;
    default:
        r.DiSEqC_Cfg = 0;
        r.positioner &= uint8_t(~0x80);
        break;
    }
    r.DiSEqC_idx = uint8_t(m_port.has_selection() ? m_port.selection : 0);

    int16_t position = 0;
    if (!parse_degree(m_degree.text, position)) {
        m_prompts.warning("The degree format is wrong");
        m_focus = FOCUS_DEGREE;
        return false;
    }
    r.position = position;

    if (name_taken && name_taken(m_name.text)) {
        m_prompts.warning("Same Name SAT already exist");
        m_focus = FOCUS_NAME;
        return false;
    }

    m_record = r;
    m_result_name = m_name.text;
    return true;
}

} // namespace korvid
