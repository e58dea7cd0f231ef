#pragma once
// The texts the satellite pages and dialog show for the fields of a satellite record, and the one
// text the user types that the dialog parses (the orbital position).
#include "korvid/database/records.h"

#include <string>

namespace korvid {

// List columns.
std::string lnb_type_column_text(uint8_t lnb_type);
std::string v012_column_text(const tSatellite& sat);
std::string k22_column_text(const tSatellite& sat);
std::string diseqc_column_text(const tSatellite& sat);
std::string port_column_text(const tSatellite& sat);
std::string degree_column_text(int16_t position); // "%3d.%1dE" / "%3d.%1dW"

// The "Degree" edit of the dialog: "%03d.%1d%c", so 192 shows as "019.2E".
std::string degree_edit_text(int16_t position);
// Parses a degree text such as "013.0E" or "030.5w" into tenths of a degree (West negative).
// Returns 1 and sets `position`, or 0 when the format is wrong (the caller shows the message).
int parse_degree(const std::string& text, int16_t& position);

// The LNB type the two local-oscillator frequencies stand for, whatever the combo said.
uint8_t lnb_type_from_frequencies(uint16_t low, uint16_t high);
// The local oscillator of the fixed single-frequency types 1 to 8; 0 for the others.
uint16_t fixed_lnb_frequency(uint8_t lnb_type);
// Gives a record the frequencies its LNB type stands for (9750/10600 for UNI_LNB, the one
// frequency twice for the fixed types); a user-defined LNB keeps what it holds.
void apply_lnb_type_frequencies(tSatellite& sat);

} // namespace korvid
