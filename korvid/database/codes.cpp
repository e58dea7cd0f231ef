#include "korvid/database/codes.h"

namespace korvid {

uint16_t g_BuyerCode = 0xFFFF;
uint16_t g_ModelCode = 0xFFFF;

} // namespace korvid
