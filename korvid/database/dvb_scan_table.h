#pragma once
// The DVB scan tables the distributions install under /usr/share/dvb/dvb-s: one file per satellite,
// a block per carrier. A block begins with a heading in brackets ("[CHANNEL]", or any name) and
// holds KEY = VALUE lines; '#' starts a comment. Taken from a block:
//   DELIVERY_SYSTEM  DVBS or DVBS2 (absent: DVBS); anything else is not satellite reception
//   FREQUENCY        kHz, required
//   SYMBOL_RATE      symbols/s, required
//   POLARIZATION     HORIZONTAL, VERTICAL, or the circular LEFT (stored as horizontal) and RIGHT
//                    (vertical), as an LNB for circular polarisation switches them; required
//   INNER_FEC        AUTO, NONE or a rate such as 3/4 (absent: AUTO)
// Every other key (MODULATION, INVERSION, ROLLOFF, STREAM_ID, PLS_*) is read past.
#include "korvid/database/transponder_list.h"

#include <string>
#include <string_view>

namespace korvid {

// `satellite` gets the transponders; its name and position are the caller's (the file's name).
// False with "PATH:LINE: what is wrong" at the first fault.
bool parse_scan_table(std::string_view text,
                      const std::string& path,
                      SourceSatellite& satellite,
                      std::string& error);

} // namespace korvid
