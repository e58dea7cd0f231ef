#include "korvid/editor/tuner_mode.h"

namespace korvid {

TunerMode read_tuner_mode(const Database& db)
{
    for (int s = 0; s < 32; ++s) {
        const tSatellite& sat = db.satellites[s];
        if (sat.sat_id >= INVALID_SATID)
            continue;
        switch (sat.tuner_connection) {
        case TUNER_T1:
        case TUNER_T2:
            return TunerMode::T1T2;
        case TUNER_TWIN:
            return TunerMode::Twin;
        default:
            return TunerMode::Loop;
        }
    }
    return TunerMode::T1T2;
}

const char* tuner_mode_label(TunerMode mode)
{
    switch (mode) {
    case TunerMode::Loop:
        return "TUNER: LOOP";
    case TunerMode::Twin:
        return "TUNER: TWIN";
    default:
        return "TUNER: T1/T2";
    }
}

} // namespace korvid
