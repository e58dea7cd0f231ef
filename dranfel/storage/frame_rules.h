#pragma once
// The storage manager's main window without its widgets: the command ids, the menus and the
// toolbar in their order, the tooltip and status-bar prompt of each command, and which commands
// are enabled for a given state of the two halves. The Qt frame builds and routes from these.
#include "dranfel/storage/chosen_folder.h"

#include <cstdint>
#include <string>
#include <vector>

namespace dranfel {

constexpr uint32_t ID_NEW_FOLDER = 32771;
constexpr uint32_t ID_COPY_TOP_TO_BOTTOM = 32772;
constexpr uint32_t ID_COPY_BOTTOM_TO_TOP = 32773;
constexpr uint32_t ID_DELETE = 32774;
constexpr uint32_t ID_CONVERT_AVI = 32775;
constexpr uint32_t ID_MOVE_TOP_TO_BOTTOM = 32781;
constexpr uint32_t ID_MOVE_BOTTOM_TO_TOP = 32782;
constexpr uint32_t ID_CONVERT_MP3 = 32785;
constexpr uint32_t ID_APP_EXIT = 57665;
constexpr uint32_t ID_APP_ABOUT = 57664;
constexpr uint32_t ID_VIEW_TOOLBAR = 59392;
constexpr uint32_t ID_SEPARATOR = 0;

constexpr const char* APP_TITLE = "Dranfel";
constexpr const char* ABOUT_CAPTION = "About Dranfel";
constexpr const char* ABOUT_VERSION = "Dranfel Version 2.1.0";
// What the status bar shows when no command is pointed at.
constexpr const char* IDLE_PROMPT = "Ready";
// The per-user settings store.
constexpr const char* SETTINGS_ORGANISATION = "Local AppWizard-Generated Applications";
constexpr const char* SETTINGS_APPLICATION = "Dranfel";

// Kept in a folder tree, not shown, when it has no drives to show.
constexpr const char* NO_DRIVES_REASON = "Error Getting Logical DriveStrings!";

constexpr int TOOLBAR_BUTTON_WIDTH = 64;
constexpr int TOOLBAR_BUTTON_HEIGHT = 42;

struct MenuItem
{
    uint32_t id; // ID_SEPARATOR for a separator
    const char* text;
};

struct Menu
{
    const char* title;
    std::vector<MenuItem> items;
};

// "&File", "&Tool", "&View", "&Help" with their items in order.
const std::vector<Menu>& menu_bar();

// The toolbar's buttons left to right; ID_SEPARATOR between groups.
const std::vector<uint32_t>& toolbar_buttons();

// The tooltip of a toolbar button ("" when it has none) and the status-bar prompt of a command.
const char* command_tooltip(uint32_t id);
const char* command_prompt(uint32_t id);

enum class Half
{
    Top = 0,
    Bottom = 1
};
inline Half other(Half h)
{
    return h == Half::Top ? Half::Bottom : Half::Top;
}

// Where the keyboard focus is, as the commands see it.
enum class Focus
{
    Elsewhere,
    TopTree,
    BottomTree,
    TopList,
    BottomList
};
bool focus_in_tree(Focus f, Half* half = nullptr);
bool focus_in_list(Focus f, Half* half = nullptr);
// The half the focus is in, tree or list; false when it is in neither.
bool focus_in_half(Focus f, Half* half);

// Not menu commands: the keyboard's refresh of both halves, and Play of a list's context menu.
constexpr uint32_t ID_REFRESH = 32790;
constexpr uint32_t ID_PLAY = 32791;

// The keys two-pane file managers give their commands: F5 copies and F6 moves the selection to
// the other half, F7 makes a folder, F8 and Delete delete, Ctrl+R refreshes.
enum class CommandKey
{
    Copy,
    Move,
    NewFolder,
    Delete,
    Refresh
};
// The command a key gives with the focus where it is; 0 when it gives none there.
uint32_t key_command(CommandKey key, Focus focus);

// The context menu of a half's file list (on its rows) or of its folder tree.
std::vector<MenuItem> context_menu(Half half, bool file_list);

struct HalfState
{
    std::string folder; // empty until a tree item is selected
    bool row_selected = false;
    // The same folder with the file system it was chosen on; a command checks it before it
    // writes there, since an unmount may not have reached the window yet.
    ChosenFolder chosen = {};
};

struct FrameState
{
    HalfState halves[2];
    Focus focus = Focus::Elsewhere;
    bool toolbar_shown = true;

    const HalfState& half(Half h) const { return halves[int(h)]; }
    HalfState& half(Half h) { return halves[int(h)]; }
};

bool command_enabled(uint32_t id, const FrameState& state);
// The View > Toolbar check mark.
bool command_checked(uint32_t id, const FrameState& state);

} // namespace dranfel
