#pragma once
// The receiver-family codes of the database or code file loaded last; 0xFFFF while none is known.
// They live for the whole run, outside the database image.
#include <cstdint>

namespace korvid {

extern uint16_t g_BuyerCode;
extern uint16_t g_ModelCode;

inline void reset_codes()
{
    g_BuyerCode = 0xFFFF;
    g_ModelCode = 0xFFFF;
}

} // namespace korvid
