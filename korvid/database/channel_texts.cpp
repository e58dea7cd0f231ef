#include "korvid/database/channel_texts.h"

#include "common/strfmt.h"
#include "korvid/database/slots.h"

#include <algorithm>
#include <cstring>

namespace korvid {

const std::vector<std::string>& audio_language_names()
{
    static const std::vector<std::string> names = {
        "ALBANIAN", "ARAB",    "ARMENIAN",   "AZERBAIJANI", "BALTIC",   "BASQUE",  "BENGALI",  "BULGA",
        "BURMESE",  "CATALAN", "CAUCASIAN",  "CELTIC",      "CHINESE",  "CZECH",   "DANISH",   "DUTCH",
        "EGYPTIAN", "ENG",     "ESTONIAN",   "FINNISH",     "FRA",      "GAELIC",  "GEORGIAN", "GER",
        "GERMANIC", "GREEK",   "HUNGARIAN",  "ICELAND",     "IRISH",    "ITA",     "JAVANESE", "KURDISH",
        "LATIN",    "LATVIAN", "LITHUANIAN", "MACEDONIAN",  "MALAY",    "MALTESE", "MAORI",    "NORWE",
        "OTOMIAN",  "PERSIAN", "POLISH",     "POR",         "ROMANIAN", "RUSSIAN", "SCOTS",    "SERB_CROAT",
        "SLOVAK",   "SOMALI",  "SPA",        "SUDANESE",    "SWEDISH",  "TAGALOG", "THAI",     "TIBETAN",
        "TURKY",    "TURKMEN", "UKRAINIAN",  "URDU",        "UZBEK",    "WELSH",   "YIDDISH"};
    return names;
}

std::string audio_language_name(int index)
{
    return (index >= 0 && index < AUDIO_LANGUAGE_NUM) ? audio_language_names()[size_t(index)] : std::string();
}

std::string channel_name(const tChannelStructure& ch)
{
    const char* p = reinterpret_cast<const char*>(ch.name);
    return std::string(p, strnlen(p, CHAN_NAME_LEN));
}

void store_channel_name(tChannelStructure& ch, const std::string& name)
{
    std::memset(ch.name, 0, CHAN_NAME_LEN);
    std::memcpy(ch.name, name.data(), std::min<size_t>(name.size(), CHAN_NAME_LEN));
}

std::string pid_column_text(uint16_t pid)
{
    return pid == INVALID_PID ? std::string() : common::strfmt("%ld", long(pid & PID_MASK));
}

std::string ttx_column_text(uint16_t pid)
{
    return (pid & TTX_PID_PRESENT) ? common::strfmt("%ld", long(pid & PID_MASK)) : std::string();
}

std::vector<uint16_t> extended_audio_pids(const Database& db, const tChannelStructure& ch)
{
    if (!(ch.attributes & CH_ATTR_MORE_AUDIO) || ch.ext_audio_index >= MAX_EXAUD_NUM)
        return {};
    const extend_audio& ext = db.ext_audio[ch.ext_audio_index];
    if (ext.in_use != 1)
        return {};
    const int n = std::min<int>(ext.count, MAX_EXAUD_PIDS);
    return std::vector<uint16_t>(ext.pid, ext.pid + n);
}

uint16_t shown_audio_pid(const Database& db, const tChannelStructure& ch)
{
    if (!(ch.attributes & CH_ATTR_MORE_AUDIO))
        return ch.audio_pid[0];
    for (uint16_t pid : extended_audio_pids(db, ch))
        if (pid != INVALID_PID)
            return pid;
    return INVALID_PID;
}

std::string transponder_short_text(const tTransponder& tp)
{
    return common::strfmt("%d/%c/%d", tp.frequency, tp.polarisation == 0 ? 'V' : 'H', tp.symbol_rate);
}

std::string channel_satellite_name(const Database& db, const tChannelStructure& ch)
{
    if (ch.tp_index >= MAX_TP_NUM)
        return {};
    return satellite_name(db, db.transponders[ch.tp_index].sat_id);
}

std::string favourite_column_text(uint8_t membership)
{
    if (!(membership & CH_FAV_MEMBER))
        return {};
    std::string text;
    for (int g = 0; g < MAX_FAVGROUP_NUM; ++g)
        if (membership & (1u << g))
            text += common::strfmt(text.empty() ? "%2d" : ",%2d", g + 1);
    return text;
}

std::string language_column_text(const tChannelStructure& ch)
{
    for (int i = AUDIO_PID_NUM - 1; i >= 0; --i)
        if (ch.audio_lang[i] < AUDIO_LANGUAGE_NUM)
            return audio_language_name(ch.audio_lang[i]);
    return {};
}

bool channel_scrambled(const tChannelStructure& ch)
{
    return ch.attributes & (CH_ATTR_SCRAMBLED | CH_ATTR_CI);
}

std::string lock_column_text(const tChannelStructure& ch, bool tv)
{
    if (ch.attributes & CH_ATTR_LOCK)
        return "lock";
    // Only the radio list says which channels the receiver skips.
    if (!tv && (ch.attributes & CH_ATTR_SKIP))
        return "skip";
    return {};
}

std::string channel_status_text(const tChannelStructure& ch, bool tv)
{
    std::string text;
    if (ch.attributes & CH_ATTR_MORE_AUDIO)
        text += "More Audio, ";
    if (ch.attributes & CH_ATTR_MANUAL)
        text += "MANUAL, ";
    if (tv && (ch.attributes & CH_ATTR_M_VID))
        text += "M_VID, ";
    if (ch.attributes & CH_ATTR_CI)
        text += "CI ";
    return text;
}

tChannelStructure empty_channel_record(uint8_t carried43)
{
    tChannelStructure ch{};
    ch.tp_index = INVALID_TPID;
    std::fill(std::begin(ch.audio_pid), std::end(ch.audio_pid), INVALID_PID);
    ch.video_pid = ch.pcr_pid = ch.ttx_pid = INVALID_PID;
    std::memset(ch.audio_lang, 0xFF, sizeof ch.audio_lang);
    store_channel_name(ch, "no name chan");
    ch.carried_pid = INVALID_PID;
    ch.ext_audio_index = MAX_EXAUD_NUM;
    ch.carried43 = carried43;
    return ch;
}

std::string favourite_group_name(const Database& db, int group)
{
    const char* cell = reinterpret_cast<const char*>(db.fav_names[group]);
    std::string name(cell, strnlen(cell, MAX_FAVNAME_LEN));
    if (!name.empty() && static_cast<unsigned char>(name[0]) == 0x9F)
        name.erase(0, 1);
    return name;
}

std::string favourite_group_label(const Database& db, int group)
{
    const std::string name = favourite_group_name(db, group);
    return name.empty() ? common::strfmt("Fav%d", group + 1) : name;
}

bool favourite_group_hidden(const Database& db, int group)
{
    return db.fav_names[group][0] == 0x7F;
}

} // namespace korvid
