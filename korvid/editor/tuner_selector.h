#pragma once
// The tuner combo of a satellite page together with the mode label beside it. In T1/T2 mode the
// user picks a half; in Loop and Twin mode both tuners see the same dish, so there is nothing to pick.
#include "korvid/editor/combo_state.h"
#include "korvid/editor/tuner_mode.h"

#include <string>

namespace korvid {

class TunerSelector
{
public:
    TunerSelector();

    // Sets the label and the combo for a mode: T1/T2 enables it on "T1", the others empty and disable it.
    void set_mode(TunerMode mode);
    // The user picked an entry; false when the combo is disabled or the entry does not exist.
    bool choose(int entry);

    TunerMode mode() const { return m_mode; }
    const std::string& label() const { return m_label; }
    const ComboState& combo() const { return m_combo; }
    // TUNER_SEL_T1, TUNER_SEL_T2 or TUNER_NONE.
    int selection() const { return m_combo.selection; }
    bool t2() const { return m_combo.selection == TUNER_SEL_T2; }

private:
    TunerMode m_mode = TunerMode::T1T2;
    std::string m_label = "Tuner:";
    ComboState m_combo;
};

} // namespace korvid
