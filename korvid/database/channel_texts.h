#pragma once
// Texts the channel pages, the channel dialog and the favourite page and dialog show for the fields
// of a channel record, and the display names of the favourite groups.
#include "korvid/database/database.h"

#include <string>
#include <vector>

namespace korvid {

// The 63 audio language names in index order; indexes 63 and above name no language.
const std::vector<std::string>& audio_language_names();
// Empty for an index of 63 or more.
std::string audio_language_name(int index);

// The name field, read no further than its 14 bytes (a full name has no terminator).
std::string channel_name(const tChannelStructure& ch);
// Writes a name NUL-padded over the whole field.
void store_channel_name(tChannelStructure& ch, const std::string& name);

// A PID as "%ld" of bits 0-12; empty for INVALID_PID.
std::string pid_column_text(uint16_t pid);
// The teletext PID counts only when bit 15 says it is present.
std::string ttx_column_text(uint16_t pid);
// The first audio PID the "A PID" column shows: the first PID, or with "More Audio" the first valid
// PID of the extended record when that record is in use. INVALID_PID when there is none.
uint16_t shown_audio_pid(const Database& db, const tChannelStructure& ch);
// The audio PIDs of a channel's in-use extended record (its first `count` entries); empty when the
// channel has no "More Audio" or the record is out of range or free.
std::vector<uint16_t> extended_audio_pids(const Database& db, const tChannelStructure& ch);

// "%d/%c/%d": frequency, 'V' or 'H', symbol rate.
std::string transponder_short_text(const tTransponder& tp);
// The satellite name behind a channel's transponder; empty when the transponder is out of range.
std::string channel_satellite_name(const Database& db, const tChannelStructure& ch);
// Groups as " 1, 3" when the membership says the channel is in any group; empty otherwise.
std::string favourite_column_text(uint8_t membership);
// The last of the four language bytes that names a language; empty when none does.
std::string language_column_text(const tChannelStructure& ch);
bool channel_scrambled(const tChannelStructure& ch);
// The "LOCK" column: "lock", or on the radio list "skip" for a channel the receiver skips.
std::string lock_column_text(const tChannelStructure& ch, bool tv);
// The status line of a selected channel: "More Audio, ", "MANUAL, ", "M_VID, " (TV only), "CI ".
std::string channel_status_text(const tChannelStructure& ch, bool tv);

// The values of a channel slot that holds nothing; `carried43` is kept from the slot.
tChannelStructure empty_channel_record(uint8_t carried43);

// A group name cell as text, without a leading 0x9F marker byte.
std::string favourite_group_name(const Database& db, int group);
// The name shown on selectors: the cell's text, or "Fav%d" with the group number when it is empty.
std::string favourite_group_label(const Database& db, int group);
// A cell whose first byte is 0x7F names a group the receiver keeps out of its menus.
bool favourite_group_hidden(const Database& db, int group);

} // namespace korvid
