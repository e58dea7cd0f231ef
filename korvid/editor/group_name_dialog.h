#pragma once
// "Rename" on the "Favorite" page: a favourite group's name typed into a one-line dialog and written
// into the group's 12-byte name cell. The receiver reads the cell's first byte as a mark (0x7F keeps
// the group out of its menus, 0x9F is dropped when the name is shown), so a typed name may not begin
// with either; and the cell keeps a terminating zero, so a name has at most 11 characters.
#include "common/prompts.h"
#include "korvid/database/database.h"
#include "korvid/editor/edit_state.h"

#include <string>

namespace korvid {

class GroupNameDialog
{
public:
    static constexpr const char* CAPTION = "Rename";
    static constexpr const char* GROUP_LABEL = "Favorite Group : ";
    static constexpr const char* LABEL_NAME = "Group Name : ";
    static constexpr const char* BUTTON_OK = "OK";
    static constexpr const char* BUTTON_CANCEL = "Cancel";
    static constexpr size_t NAME_CHARS = MAX_FAVNAME_LEN - 1;

    // Opens on the name the group shows (without a 0x9F mark); an empty cell opens empty.
    GroupNameDialog(const Database& db, int group, common::Prompts& prompts);

    int group() const { return m_group; }
    // "%d. %s": the group number and its name as it stands.
    const std::string& heading() const { return m_heading; }
    // Takes any length, so that a name too long is refused with a message rather than cut unseen.
    const EditState& name_edit() const { return m_name; }
    void type_name(const std::string& text) { m_name.type(text); }

    // True when the name fits its cell or is left as the dialog opened (name() then holds it);
    // otherwise shows why not and returns false, and the dialog stays open with the text as typed.
    bool ok();
    const std::string& name() const { return m_result; }

private:
    const int m_group;
    common::Prompts& m_prompts;
    std::string m_heading;
    std::string m_original; // a cell filled to its last byte is shown, and kept, as it is
    EditState m_name;
    std::string m_result;
};

// Null when `name` may be stored in a group's name cell, otherwise the message that says why not.
const char* favourite_group_name_fault(const std::string& name);
// Writes `name` into the group's cell, zero-filled. False, with the cell untouched, when the name
// is refused or when the group already shows exactly this name (the edit changes nothing).
bool store_favourite_group_name(Database& db, int group, const std::string& name);

} // namespace korvid
