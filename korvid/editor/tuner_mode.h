#pragma once
// How the receiver's two tuner inputs are wired, as the database says it.
#include "korvid/database/database.h"

namespace korvid {

enum class TunerMode
{
    T1T2,
    Loop,
    Twin
};

// Read from the first used satellite among the default slots 0 to 31; T1/T2 when there is none.
TunerMode read_tuner_mode(const Database& db);
// The text the satellite pages put in place of their "Tuner:" label.
const char* tuner_mode_label(TunerMode mode);

// Tuner selection values as the pages hand them around.
constexpr int TUNER_NONE = -1;
constexpr int TUNER_SEL_T1 = 0;
constexpr int TUNER_SEL_T2 = 1;

} // namespace korvid
