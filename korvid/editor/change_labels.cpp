#include "korvid/editor/change_labels.h"

#include "korvid/database/channel_texts.h"
#include "korvid/editor/editor_operations.h"

namespace korvid {

namespace {

std::string joined(const char* verb, const char* what, const std::string& name)
{
    std::string label = std::string(verb) + " " + what;
    if (!name.empty())
        label += " " + name;
    return label;
}

} // namespace

std::string satellite_change_label(const char* verb, const Database& db, int slot)
{
    return joined(verb, "satellite", satellite_name(db, slot));
}

std::string transponder_change_label(const char* verb, const tTransponder& tp)
{
    return joined(verb, "transponder", transponder_short_text(tp));
}

std::string
channels_change_label(const char* verb, const Database& db, const std::vector<int>& global_indexes)
{
    if (global_indexes.size() == 1 && global_indexes.front() >= 0 && global_indexes.front() < MAX_CHAN_NUM)
        return joined(verb, "channel", channel_name(db.channels[global_indexes.front()]));
    return std::string(verb) + " " + std::to_string(global_indexes.size()) + " channels";
}

std::string favourite_change_label(const char* verb, const Database& db, int group)
{
    return std::string(verb) + " " + favourite_group_label(db, group);
}

} // namespace korvid
