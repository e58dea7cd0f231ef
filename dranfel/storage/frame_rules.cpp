#include "dranfel/storage/frame_rules.h"

#include "dranfel/storage/commands.h"

namespace dranfel {

const std::vector<Menu>& menu_bar()
{
    static const std::vector<Menu> menus = {
        {"&File",
         {{ID_NEW_FOLDER, "&New Folder"},
          {ID_SEPARATOR, ""},
          {ID_COPY_TOP_TO_BOTTOM, "Copy from &Top to Bottom"},
          {ID_COPY_BOTTOM_TO_TOP, "Copy from &Bottom to Top"},
          {ID_SEPARATOR, ""},
          {ID_MOVE_TOP_TO_BOTTOM, "Move from To&p to Bottom"},
          {ID_MOVE_BOTTOM_TO_TOP, "Move from Botto&m to Top"},
          {ID_SEPARATOR, ""},
          {ID_DELETE, "&Delete"},
          {ID_SEPARATOR, ""},
          {ID_APP_EXIT, "E&xit"}}},
        {"&Tool", {{ID_CONVERT_AVI, "Convert to &AVI"}, {ID_CONVERT_MP3, "Convert to MP3"}}},
        {"&View", {{ID_VIEW_TOOLBAR, "&Toolbar"}}},
        {"&Help", {{ID_APP_ABOUT, "&About Dranfel..."}}},
    };
    return menus;
}

const std::vector<uint32_t>& toolbar_buttons()
{
    static const std::vector<uint32_t> buttons = {
        ID_NEW_FOLDER, ID_SEPARATOR,          ID_COPY_TOP_TO_BOTTOM, ID_COPY_BOTTOM_TO_TOP,
        ID_SEPARATOR,  ID_MOVE_TOP_TO_BOTTOM, ID_MOVE_BOTTOM_TO_TOP, ID_SEPARATOR,
        ID_DELETE,     ID_SEPARATOR,          ID_CONVERT_AVI,        ID_CONVERT_MP3,
    };
    return buttons;
}

const char* command_tooltip(uint32_t id)
{
    switch (id) {
    case ID_NEW_FOLDER:
        return "Create New Folder";
    case ID_COPY_TOP_TO_BOTTOM:
        return "Copy files from Top to Bottom";
    case ID_COPY_BOTTOM_TO_TOP:
        return "Copy files from Bottom to Top";
    case ID_MOVE_TOP_TO_BOTTOM:
        return "Move files from Top to Bottom";
    case ID_MOVE_BOTTOM_TO_TOP:
        return "Move files from Bottom to Top";
    case ID_DELETE:
        return "Delete files";
    case ID_CONVERT_AVI:
        return "Convert to AVI";
    default:
        return "";
    }
}

const char* command_prompt(uint32_t id)
{
    switch (id) {
    case ID_CONVERT_AVI:
        return "Tool for Converting AVR to AVI";
    case ID_CONVERT_MP3:
        return "Tool for MP3 converting";
    case ID_APP_EXIT:
        return "Quit the application";
    case ID_APP_ABOUT:
        return "Display program information and version number";
    case ID_VIEW_TOOLBAR:
        return "Show or hide the toolbar";
    default:
        return command_tooltip(id);
    }
}

bool focus_in_tree(Focus f, Half* half)
{
    if (f != Focus::TopTree && f != Focus::BottomTree)
        return false;
    if (half)
        *half = f == Focus::TopTree ? Half::Top : Half::Bottom;
    return true;
}

bool focus_in_list(Focus f, Half* half)
{
    if (f != Focus::TopList && f != Focus::BottomList)
        return false;
    if (half)
        *half = f == Focus::TopList ? Half::Top : Half::Bottom;
    return true;
}

bool focus_in_half(Focus f, Half* half)
{
    return focus_in_tree(f, half) || focus_in_list(f, half);
}

uint32_t key_command(CommandKey key, Focus focus)
{
    Half h = Half::Top;
    const bool in_half = focus_in_half(focus, &h);
    switch (key) {
    case CommandKey::Copy:
        return !in_half ? 0 : h == Half::Top ? ID_COPY_TOP_TO_BOTTOM : ID_COPY_BOTTOM_TO_TOP;
    case CommandKey::Move:
        return !in_half ? 0 : h == Half::Top ? ID_MOVE_TOP_TO_BOTTOM : ID_MOVE_BOTTOM_TO_TOP;
    case CommandKey::NewFolder:
        return ID_NEW_FOLDER;
    case CommandKey::Delete:
        // In a tree the key would name a folder, which Delete never removes.
        return focus_in_list(focus) ? ID_DELETE : 0;
    case CommandKey::Refresh:
        return ID_REFRESH;
    }
    return 0;
}

std::vector<MenuItem> context_menu(Half half, bool file_list)
{
    if (!file_list)
        return {{ID_NEW_FOLDER, "&New Folder"}, {ID_REFRESH, "&Refresh"}};
    const bool top = half == Half::Top;
    return {{top ? ID_COPY_TOP_TO_BOTTOM : ID_COPY_BOTTOM_TO_TOP, "&Copy to the Other Half"},
            {top ? ID_MOVE_TOP_TO_BOTTOM : ID_MOVE_BOTTOM_TO_TOP, "&Move to the Other Half"},
            {ID_DELETE, "&Delete"},
            {ID_SEPARATOR, nullptr},
            {ID_PLAY, "&Play"},
            {ID_CONVERT_AVI, "Convert to &AVI"}};
}

bool command_enabled(uint32_t id, const FrameState& s)
{
    auto copy_move = [&](Half from) {
        return copy_move_enabled(s.half(from).folder, s.half(from).row_selected, s.half(other(from)).folder);
    };
    switch (id) {
    case ID_NEW_FOLDER:
        return focus_in_tree(s.focus);
    case ID_COPY_TOP_TO_BOTTOM:
    case ID_MOVE_TOP_TO_BOTTOM:
        return copy_move(Half::Top);
    case ID_COPY_BOTTOM_TO_TOP:
    case ID_MOVE_BOTTOM_TO_TOP:
        return copy_move(Half::Bottom);
    case ID_DELETE: {
        Half h;
        if (!focus_in_list(s.focus, &h))
            return false;
        return delete_enabled(true, s.half(h).row_selected, s.half(h).folder);
    }
    default:
        return true;
    }
}

bool command_checked(uint32_t id, const FrameState& s)
{
    return id == ID_VIEW_TOOLBAR && s.toolbar_shown;
}

} // namespace dranfel
