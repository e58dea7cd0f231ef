#pragma once
// satellites.xml, the list of satellites and their transponders that set-top box software keeps:
//   <satellites>
//     <sat name="Hot Bird 13E" flags="0" position="130">
//       <transponder frequency="10719000" symbol_rate="27500000" polarization="1" fec_inner="3"
//                    system="0" modulation="1"/>
// What is accepted, as the lists in circulation write it:
//   position     tenths of a degree, negative West; values above 1800 count from 0 eastwards
//                round the globe (3550 is 5.0W)
//   frequency    Hz from 100,000,000 on, kHz from 100,000 on, else MHz
//   symbol_rate  symbols/s from 100,000 on, else kSymbols/s
//   polarization 0 horizontal, 1 vertical, 2 circular left (stored horizontal), 3 circular right
//                (vertical); or the letters H, V, L, R
//   fec_inner    0 auto, 1 1/2, 2 2/3, 3 3/4, 4 5/6, 5 7/8, 6 8/9, 7 3/5, 8 4/5, 9 9/10, 15 none;
//                or a rate such as "3/4", "auto"; absent: auto
//   system       0 DVB-S, 1 DVB-S2, or the names "DVB-S", "DVB-S2"; absent: DVB-S
// Other elements and attributes (flags, modulation, inversion, pilot, rolloff) are read past. The
// reader knows the XML such a file is made of: the declaration, comments, a DOCTYPE, elements with
// quoted attributes, the five named entities and numeric character references.
#include "korvid/database/transponder_list.h"

#include <string>
#include <string_view>
#include <vector>

namespace korvid {

// False with "PATH:LINE: what is wrong" at the first fault; `satellites` is then left as it was.
bool parse_satellites_xml(std::string_view text,
                          const std::string& path,
                          std::vector<SourceSatellite>& satellites,
                          std::string& error);

} // namespace korvid
