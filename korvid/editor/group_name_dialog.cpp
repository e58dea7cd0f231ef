#include "korvid/editor/group_name_dialog.h"

#include "common/strfmt.h"
#include "korvid/database/channel_texts.h"

#include <cstring>

namespace korvid {

namespace {

constexpr unsigned char HIDDEN_MARK = 0x7F;
constexpr unsigned char SHOWN_MARK = 0x9F;

} // namespace

GroupNameDialog::GroupNameDialog(const Database& db, int group, common::Prompts& prompts)
    : m_group(group)
    , m_prompts(prompts)
{
    const std::string name = favourite_group_name(db, group);
    m_heading = common::strfmt("%d. %s", group + 1, name.c_str());
    m_name.text = name;
    m_original = name;
}

bool GroupNameDialog::ok()
{
    const char* fault = favourite_group_name_fault(m_name.text);
    if (fault && m_name.text != m_original) {
        m_prompts.warning(fault);
        return false;
    }
    m_result = m_name.text;
    return true;
}

const char* favourite_group_name_fault(const std::string& name)
{
    if (name.size() > GroupNameDialog::NAME_CHARS)
        return "The group name is too long: 11 characters at most!";
    if (!name.empty()) {
        const unsigned char first = static_cast<unsigned char>(name.front());
        if (first == HIDDEN_MARK || first == SHOWN_MARK)
            return "The group name cannot begin with the character 0x7F or 0x9F: the receiver reads "
                   "them as marks!";
    }
    // A zero byte would end the name in the cell where the user did not end it.
    if (name.find('\0') != std::string::npos)
        return "The group name cannot contain a zero byte!";
    return nullptr;
}

bool store_favourite_group_name(Database& db, int group, const std::string& name)
{
    if (group < 0 || group >= MAX_FAVGROUP_NUM || favourite_group_name_fault(name))
        return false;
    // A group shown as "News" from a cell "\x9F" "News" keeps its mark when the user leaves the
    // name as it is.
    if (favourite_group_name(db, group) == name)
        return false;
    uint8_t* cell = db.fav_names[group];
    std::memset(cell, 0, MAX_FAVNAME_LEN);
    std::memcpy(cell, name.data(), name.size());
    return true;
}

} // namespace korvid
