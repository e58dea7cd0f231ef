#pragma once
// The rules of the main window without its widgets: the commands and their prompts, which buttons
// and menu items each mode shows, how the menus change on a mode switch, the window geometry of
// each layout, and what a dropped file leads to. The Qt frame only draws and routes.
#include "korvid/frame/frame_commands.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace korvid {

enum FrameMode : uint8_t
{
    MODE_DOWNLOADER = 0,
    MODE_EDITOR = 1,
};

// Layout kinds: the downloader page, the editor, the editor filling the screen.
constexpr int LAYOUT_DOWNLOADER = 101;
constexpr int LAYOUT_EDITOR = 134;
constexpr int LAYOUT_FULL = 255;

// Menu item flags as the item records keep them.
constexpr uint32_t MF_STRING = 0x0000;
constexpr uint32_t MF_GRAYED = 0x0001;
constexpr uint32_t MF_DISABLED = 0x0002;
constexpr uint32_t MF_OWNERDRAW = 0x0100;
constexpr uint32_t MF_SEPARATOR = 0x0800;

constexpr int BUTTON_COUNT = 6;
constexpr int BUTTON_WIDTH = 52;
constexpr int BUTTON_HEIGHT = 27;
// The command of button n (0 Open, 1 Save, 2 Goto Software Downloader, 3 Goto Database Editor,
// 4 Download DB, 5 Upload DB).
uint32_t button_command(int index);
// The buttons a mode shows, left to right.
const std::vector<int>& visible_buttons(FrameMode mode);
// The status-bar prompt of a command; "" when it has none.
const char* command_prompt(uint32_t id);
// What the status text returns to when the pointer leaves the buttons.
constexpr const char* IDLE_STATUS = "Korvid";
// How often the frame looks where the pointer is while a button or label is lit, in ms.
constexpr int HOVER_TIMER_MS = 30;
// The key of a command as a desktop user expects it ("Ctrl+O"); "" when it has none. The menu
// shows it right-aligned after the item text, and the frame binds the same keys.
const char* command_accelerator(uint32_t id);
// A second key bound to the same command ("Ctrl+Shift+Z" for redo); "" when it has none. Menus
// show only the first.
const char* command_alternate_accelerator(uint32_t id);
// The text of the editor's "Undo"/"Redo" item for the change it would undo or redo ("" when
// none): "Undo Delete satellite Astra 19.2E", a long label shortened with "...", then the key after
// a tab.
std::string history_item_text(uint32_t id, const std::string& label);
// The words a frame button's tooltip shows: a command button's status prompt, and for the caption
// buttons what they do.
enum CaptionButton : int;
const char* caption_prompt(CaptionButton which, bool full_screen);

// The three menu-bar labels with the letter that opens them with Alt ("&File").
const char* menu_label_mnemonic_text(int popup);

// The three popup menus are edited through this, so that the switch rules are the same for the
// owner-drawn menus on screen and for a plain list in a test.
class MenuEditor
{
public:
    virtual ~MenuEditor() = default;
    virtual void append(uint32_t flags, uint32_t id, const char* text) = 0;
    // Removes the first item with this id (0: the first separator); false when there is none.
    virtual bool remove(uint32_t id) = 0;
};

void build_start_menus(MenuEditor& file, MenuEditor& config, MenuEditor& help);
void menus_to_editor(MenuEditor& file, MenuEditor& config);
void menus_to_downloader(MenuEditor& file, MenuEditor& config);

struct Rect
{
    int x = 0, y = 0, w = 0, h = 0;
    bool contains(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
};

enum CaptionButton : int
{
    CAPTION_MINIMISE = 0,
    CAPTION_FULL_SCREEN = 1,
    CAPTION_CLOSE = 2,
};

struct FrameGeometry
{
    int width = 0, height = 0;
    int x = -1, y = -1; // a fixed position (full screen), -1 = keep
    // Client insets from the window edges.
    int top = 0, left = 0, right = 0, bottom = 0;
    // Caption buttons: minimise, full screen (absent in the downloader layout), close.
    std::vector<std::pair<CaptionButton, Rect>> captions;
    int status_top = 0; // top of the status text
    bool draggable = true;
    bool resizable = false; // by its edges and corners
};
// The editor window's first and smallest size: its pages were laid out for it.
constexpr int EDITOR_WIDTH = 699;
constexpr int EDITOR_HEIGHT = 500;
// `screen_w`, `screen_h`: the available screen size, used by the full-screen layout. `width` and
// `height`: the size the user gave the editor window, at least the editor's own.
FrameGeometry
frame_geometry(int layout, int screen_w, int screen_h, int width = EDITOR_WIDTH, int height = EDITOR_HEIGHT);

// The edges a press at x, y of a window of geometry `g` would resize: a sum of EDGE_* flags, 0 for
// none (a window that cannot be resized, or a point away from its edges).
enum ResizeEdge : int
{
    EDGE_LEFT = 1,
    EDGE_TOP = 2,
    EDGE_RIGHT = 4,
    EDGE_BOTTOM = 8,
};
constexpr int RESIZE_BORDER = 6; // pixels of each edge that take a resize
int resize_edges(const FrameGeometry& g, int x, int y);

constexpr int TOP_BAND = 103;
constexpr int BUTTON_ROW_Y = 74;
constexpr int MENU_LABEL_Y = 52;
constexpr int MENU_LABEL_X = 34;
constexpr int MENU_LABEL_GAP = 10;
constexpr int TITLE_X = 32;
// The button drawn n-th from the left.
Rect button_rect(int visible_position);

// A file dropped on the window.
struct DropDecision
{
    enum Kind
    {
        TooMany, // "Only one file at a time"; nothing happens
        Use,     // hand it over at once
        Ask,     // ask `question` (Yes/No) first; No stops
    } kind = Use;
    std::string message;
};
DropDecision decide_drop(FrameMode mode, const std::vector<std::string>& paths);
// The extension of a path with its dot ("" when none), as the drop compares it.
std::string path_extension(const std::string& path);

// "Korvid : %s%s%s%s" with the model-family tag, "", "PVR", "-VER 2.3".
std::string about_version_line();

// What a file named on the command line is taken for: an .ird file is a database, opened in the
// editor as a drop there opens it (so a desktop's "open with Korvid" works); anything else is the
// code file to send.
enum class CommandLineFile
{
    CodeFile,
    Database,
};
CommandLineFile command_line_file_kind(const std::string& path);

// Where the User Instruction command finds the user guide, first that exists:
// - installed: `program_dir` is the installed program's folder, and `guide_from_program` the
//   guide's path relative to it ("../share/doc/korvid/guide.html");
// - then each of `fallbacks` in order (the build folder's guide, the source tree's docs/guide.md),
//   for a program run from its build folder.
// Empty when none exists.
std::string user_guide_path(const std::string& program_dir,
                            const std::string& guide_from_program,
                            const std::vector<std::string>& fallbacks,
                            const std::function<bool(const std::string&)>& exists);
// Shown when the guide is nowhere to be found; `expected` is where the installed one would be.
std::string user_guide_missing_message(const std::string& expected);

} // namespace korvid
