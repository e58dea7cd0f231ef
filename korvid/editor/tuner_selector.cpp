#include "korvid/editor/tuner_selector.h"

namespace korvid {

TunerSelector::TunerSelector()
{
    set_mode(TunerMode::T1T2);
}

void TunerSelector::set_mode(TunerMode mode)
{
    mode_ = mode;
    label_ = tuner_mode_label(mode);
    if (mode == TunerMode::T1T2) {
        combo_.fill({"T1", "T2"}, TUNER_SEL_T1);
        combo_.enabled = true;
    } else {
        combo_.empty();
        combo_.enabled = false;
    }
}

bool TunerSelector::choose(int entry)
{
    return combo_.choose(entry);
}

} // namespace korvid
