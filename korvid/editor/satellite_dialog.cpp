#include "korvid/editor/satellite_dialog.h"

#include "common/strfmt.h"
#include "korvid/editor/satellite_texts.h"

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
    : prompts_(prompts)
    , record_(record)
{
    name_.max_length = NAME_CHARS;
    name_.text = name;
    lnb_type_.fill(
        {"UNI_LNB", "5150", "9750", "10000", "10050", "10600", "10750", "11200", "11475", "USER_DEFINE"},
        record.lnb_type);

    // The antenna buttons only show how the record is wired; the wiring is not edited here.
    for (auto& b : antenna_)
        b = CheckState{false, false};
    if (record.tuner_connection == TUNER_LOOP)
        antenna_[ANT_LOOP].checked = true;
    else if (record.tuner_connection == TUNER_TWIN)
        antenna_[ANT_TWIN].checked = true;
    else if (record.tuner_connection == TUNER_T1 || record.tuner_connection == TUNER_T2) {
        antenna_[ANT_T1T2].checked = true;
        antenna_[record.sat_id >= SAT_HALF_NUM ? ANT_T2 : ANT_T1].checked = true;
    }

    v012_.checked = (record.lnb_control & LNB_CTRL_012V) != 0;
    power_.fill({"ON", "OFF"}, (record.lnb_control & LNB_CTRL_POWER_MASK) == 3 ? 1 : 0);

    diseqc_.fill({"Off", "DiSEqC 1.0", "DiSEqC 1.1", "DiSEqC 1.2", "USALS"});
    const int sw = record.DiSEqC_Cfg & 0x30;
    if (sw == 0x10 || sw == 0x20) {
        diseqc_.selection = sw == 0x10 ? DISEQC_10 : DISEQC_11;
        port_.fill(port_entries(sw == 0x10 ? 4 : 16), record.DiSEqC_idx);
        port_.enabled = true;
    } else {
        port_.enabled = false;
        if ((record.positioner & 0x80) && (record.positioner & 0x08))
            diseqc_.selection = DISEQC_USALS;
        else if (record.positioner & 0x80)
            diseqc_.selection = DISEQC_12;
        else
            diseqc_.selection = DISEQC_OFF;
    }

    degree_.max_length = DEGREE_CHARS;
    degree_.text = degree_edit_text(record.position);

    low_.max_length = high_.max_length = FREQ_CHARS;
    low_.text = common::strfmt("%d", record.lnb_freq_low);
    high_.text = common::strfmt("%d", record.lnb_freq_high);
    if (record.lnb_freq_low != record.lnb_freq_high)
        k22_ = CheckState{false, false};
    else
        k22_ = CheckState{(record.lnb_control & LNB_CTRL_22K_MASK) == 0x10, true};
    low_.enabled = high_.enabled = record.lnb_type == USER_DEFINE;
}

bool SatelliteDialog::choose_lnb_type(int entry)
{
    if (!lnb_type_.choose(entry))
        return false;
    if (entry == UNI_LNB) {
        low_.text = "9750";
        high_.text = "10600";
        low_.enabled = high_.enabled = false;
        k22_ = CheckState{false, false};
    } else if (entry == USER_DEFINE) {
        low_.enabled = high_.enabled = true;
    } else {
        const std::string f = common::strfmt("%d", fixed_lnb_frequency(uint8_t(entry)));
        low_.text = high_.text = f;
        low_.enabled = high_.enabled = false;
        k22_ = CheckState{true, true};
    }
    return true;
}

void SatelliteDialog::frequencies_changed()
{
    uint16_t low = 0, high = 0;
    const bool readable = read_frequency(low_.text, low) && read_frequency(high_.text, high);
    k22_.enabled = readable && low == high;
}

bool SatelliteDialog::type_low(const std::string& text)
{
    if (!low_.enabled)
        return false;
    low_.type(text);
    frequencies_changed();
    return true;
}

bool SatelliteDialog::type_high(const std::string& text)
{
    if (!high_.enabled)
        return false;
    high_.type(text);
    frequencies_changed();
    return true;
}

bool SatelliteDialog::choose_lnb_power(int entry)
{
    if (!power_.choose(entry))
        return false;
    return true;
}

bool SatelliteDialog::set_v012(bool checked)
{
    v012_.checked = checked;
    return true;
}

bool SatelliteDialog::set_k22(bool checked)
{
    if (!k22_.enabled)
        return false;
    k22_.checked = checked;
    return true;
}

void SatelliteDialog::fill_ports(int count, int keep)
{
    port_.fill(port_entries(count), keep >= 0 && keep < count ? keep : 0);
    port_.enabled = true;
}

bool SatelliteDialog::choose_diseqc(int mode)
{
    if (mode < DISEQC_OFF || mode > DISEQC_USALS)
        return false;
    diseqc_.selection = mode;
    if (mode == DISEQC_10 || mode == DISEQC_11) {
        fill_ports(mode == DISEQC_10 ? 4 : 16, port_.selection);
    } else {
        port_.empty();
        port_.enabled = false;
    }
    return true;
}

bool SatelliteDialog::choose_port(int entry)
{
    if (!port_.choose(entry))
        return false;
    return true;
}

bool SatelliteDialog::click_antenna(int button)
{
    if (button < 0 || button >= ANTENNA_BUTTON_NUM || !antenna_[button].enabled)
        return false;
    if (button <= ANT_TWIN) {
        for (int b = ANT_T1T2; b <= ANT_TWIN; ++b)
            antenna_[b].checked = b == button;
        antenna_[ANT_T1].enabled = antenna_[ANT_T2].enabled = button == ANT_T1T2;
    } else {
        antenna_[ANT_T1].checked = button == ANT_T1;
        antenna_[ANT_T2].checked = button == ANT_T2;
    }
    return true;
}

bool SatelliteDialog::ok()
{
    focus_ = FOCUS_NONE;
    if (name_.text.empty()) {
        prompts_.warning("SAT Name is not correct!");
        focus_ = FOCUS_NAME;
        return false;
    }
    tSatellite r = record_;

    if (antenna_[ANT_LOOP].checked)
        r.tuner_connection = TUNER_LOOP;
    else if (antenna_[ANT_TWIN].checked)
        r.tuner_connection = TUNER_TWIN;
    else
        r.tuner_connection = antenna_[ANT_T2].checked ? TUNER_T2 : TUNER_T1;

    uint16_t low = 0, high = 0;
    if (!read_frequency(low_.text, low) || !read_frequency(high_.text, high) || high < low ||
        (low == 0 && high == 0)) {
        prompts_.warning("Please check LNB value!");
        focus_ = low_.enabled ? FOCUS_LOW : FOCUS_NONE;
        return false;
    }
    r.lnb_type = lnb_type_from_frequencies(low, high);
    r.lnb_freq_high = high;
    r.lnb_freq_low = low;

    uint8_t ctrl = r.lnb_control & uint8_t(~(LNB_CTRL_22K_MASK | LNB_CTRL_012V | LNB_CTRL_POWER_MASK));
    if (low == high)
        ctrl |= k22_.checked ? 0x10 : 0x20;
    if (v012_.checked)
        ctrl |= LNB_CTRL_012V;
    if (power_.selection == 1)
        ctrl |= 3;
    r.lnb_control = ctrl;

    switch (diseqc_.selection) {
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
    r.DiSEqC_idx = uint8_t(port_.has_selection() ? port_.selection : 0);

    int16_t position = 0;
    if (!parse_degree(degree_.text, position)) {
        prompts_.warning("The degree format is wrong");
        focus_ = FOCUS_DEGREE;
        return false;
    }
    r.position = position;

    if (name_taken && name_taken(name_.text)) {
        prompts_.warning("Same Name SAT already exist");
        focus_ = FOCUS_NAME;
        return false;
    }

    record_ = r;
    result_name_ = name_.text;
    return true;
}

} // namespace korvid
