#pragma once
// The integer check of the dialogs' edit boxes.
#include <string>

namespace korvid {

// Reads an edit as the standard integer check does: optional blanks around an optional sign and
// digits only. False when the text is no integer. Magnitudes saturate at 10,000,000, which every
// caller's range check refuses anyway, so long digit strings cannot overflow.
bool read_integer_text(const std::string& text, long& value);

} // namespace korvid
