#include "korvid/editor/tuner_selector.h"

namespace korvid {

TunerSelector::TunerSelector()
{
    set_mode(TunerMode::T1T2);
}

void TunerSelector::set_mode(TunerMode mode)
{
    m_mode = mode;
    m_label = tuner_mode_label(mode);
    if (mode == TunerMode::T1T2) {
        m_combo.fill({"T1", "T2"}, TUNER_SEL_T1);
        m_combo.enabled = true;
    } else {
        m_combo.empty();
        m_combo.enabled = false;
    }
}

bool TunerSelector::choose(int entry)
{
    return m_combo.choose(entry);
}

} // namespace korvid
