#include "korvid/frame/frame_rules.h"

#include "common/strfmt.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace korvid {

uint32_t button_command(int index)
{
    static const uint32_t ids[BUTTON_COUNT] = {ID_FILE_OPEN,   ID_FILE_SAVE,   ID_GOTO_DOWNLOADER,
                                               ID_GOTO_EDITOR, ID_DOWNLOAD_DB, ID_UPLOAD_DB};
    return index >= 0 && index < BUTTON_COUNT ? ids[index] : 0;
}

const std::vector<int>& visible_buttons(FrameMode mode)
{
    static const std::vector<int> downloader = {0, 3};
    static const std::vector<int> editor = {0, 1, 2, 4, 5};
    return mode == MODE_EDITOR ? editor : downloader;
}

const char* command_prompt(uint32_t id)
{
    switch (id) {
    case ID_FILE_OPEN:
        return "Open an existing document";
    case ID_FILE_SAVE:
        return "Save the active document";
    case ID_SERIAL_PORT:
        return "Select serial port";
    case ID_GOTO_DOWNLOADER:
        return "Goto Software Downloader";
    case ID_GOTO_EDITOR:
        return "Goto Database Editor";
    case ID_DOWNLOAD_DB:
        return "Download DB";
    case ID_UPLOAD_DB:
        return "Upload DB";
    case ID_SHOW_ALL_DB:
        return "Show all data";
    case ID_CHECK_DATABASE:
        return "Check the database for problems";
    case ID_SAVE_CHANNELS:
        return "Save Channels to text file";
    case ID_ORDER_LIKE:
        return "Order the channels like another channel list";
    case ID_USER_INSTRUCTION:
        return "Show User Instruction";
    default:
        return "";
    }
}

const char* command_accelerator(uint32_t id)
{
    switch (id) {
    case ID_FILE_OPEN:
        return "Ctrl+O";
    case ID_FILE_SAVE:
        return "Ctrl+S";
    case ID_FILE_SAVE_AS:
        return "Ctrl+Shift+S";
    case ID_APP_EXIT:
        return "Ctrl+Q";
    case ID_EDIT_UNDO:
        return "Ctrl+Z";
    case ID_EDIT_REDO:
        return "Ctrl+Y";
    default:
        return "";
    }
}

const char* command_alternate_accelerator(uint32_t id)
{
    return id == ID_EDIT_REDO ? "Ctrl+Shift+Z" : "";
}

const char* caption_prompt(CaptionButton which, bool full_screen)
{
    switch (which) {
    case CAPTION_MINIMISE:
        return "Minimize";
    case CAPTION_FULL_SCREEN:
        return full_screen ? "Restore window size" : "Full screen";
    case CAPTION_CLOSE:
        return "Close";
    }
    return "";
}

const char* menu_label_mnemonic_text(int popup)
{
    static const char* const labels[3] = {"&File", "&Configuration", "&Help"};
    return popup >= 0 && popup < 3 ? labels[popup] : "";
}

static const uint32_t ITEM = MF_STRING;

namespace {

// An item text with its accelerator after a tab, as the menu draws it.
std::string with_accelerator(uint32_t id, const char* text)
{
    const char* keys = command_accelerator(id);
    return *keys ? std::string(text) + "\t" + keys : std::string(text);
}

void append_command(MenuEditor& menu, uint32_t id, const char* text)
{
    menu.append(ITEM, id, with_accelerator(id, text).c_str());
}

} // namespace

std::string history_item_text(uint32_t id, const std::string& label)
{
    // Room for a satellite or channel name with its verb; the menu grows no wider than that.
    constexpr size_t MAX_LABEL = 40;
    std::string text = id == ID_EDIT_REDO ? "Redo" : "Undo";
    if (!label.empty()) {
        text += " ";
        text += label.size() > MAX_LABEL ? label.substr(0, MAX_LABEL - 3) + "..." : label;
    }
    return with_accelerator(id, text.c_str());
}

void build_start_menus(MenuEditor& file, MenuEditor& config, MenuEditor& help)
{
    append_command(file, ID_FILE_OPEN, "Open");
    file.append(MF_SEPARATOR, 0, "");
    append_command(file, ID_APP_EXIT, "Exit");
    config.append(ITEM, ID_SERIAL_PORT, "Serial Port");
    help.append(ITEM, ID_APP_ABOUT, "About Korvid...");
    help.append(MF_SEPARATOR, 0, "");
    help.append(ITEM, ID_USER_INSTRUCTION, "User Instruction");
}

void menus_to_editor(MenuEditor& file, MenuEditor& config)
{
    config.remove(ID_SERIAL_PORT);
    config.append(ITEM, ID_SHOW_ALL_DB, "Show All DB Data");
    config.append(ITEM, ID_CHECK_DATABASE, "Check Database");
    config.append(MF_SEPARATOR, 0, "");
    config.append(ITEM, ID_SERIAL_PORT, "Serial Port");

    file.remove(0);
    file.remove(ID_APP_EXIT);
    append_command(file, ID_FILE_SAVE, "Save");
    append_command(file, ID_FILE_SAVE_AS, "Save As...");
    file.append(MF_SEPARATOR, 0, "");
    // Nothing to undo or redo until a change is made; the frame names the change as it comes.
    file.append(ITEM | MF_GRAYED, ID_EDIT_UNDO, history_item_text(ID_EDIT_UNDO, "").c_str());
    file.append(ITEM | MF_GRAYED, ID_EDIT_REDO, history_item_text(ID_EDIT_REDO, "").c_str());
    file.append(MF_SEPARATOR, 0, "");
    file.append(ITEM, ID_ORDER_LIKE, "Order Like...");
    file.append(ITEM, ID_SAVE_CHANNELS, "Save Channels...");
    file.append(MF_SEPARATOR, 0, "");
    append_command(file, ID_APP_EXIT, "Exit");
}

void menus_to_downloader(MenuEditor& file, MenuEditor& config)
{
    config.remove(ID_SHOW_ALL_DB);
    config.remove(ID_CHECK_DATABASE);
    config.remove(0);
    file.remove(ID_FILE_SAVE);
    file.remove(ID_FILE_SAVE_AS);
    file.remove(0);
    file.remove(ID_EDIT_UNDO);
    file.remove(ID_EDIT_REDO);
    file.remove(0);
    file.remove(ID_ORDER_LIKE);
    file.remove(ID_SAVE_CHANNELS);
}

FrameGeometry frame_geometry(int layout, int screen_w, int screen_h, int width, int height)
{
    FrameGeometry g;
    g.top = TOP_BAND;
    if (layout == LAYOUT_DOWNLOADER) {
        g.width = 444;
        g.height = 390;
        g.left = 7;
        g.right = 13;
        g.bottom = 50;
        g.captions = {{CAPTION_MINIMISE, {385, 28, 20, 20}}, {CAPTION_CLOSE, {406, 28, 20, 20}}};
        g.status_top = g.height - 52;
        return g;
    }
    g.left = 10;
    g.right = 16;
    g.bottom = 64;
    if (layout == LAYOUT_FULL) {
        g.width = std::max(screen_w, EDITOR_WIDTH);
        g.height = std::max(screen_h, EDITOR_HEIGHT);
        g.x = 0;
        g.y = 0;
        g.draggable = false;
        const int right_end = g.width - 14;
        const int x0 = right_end - 3 * 18 - 2 * 4;
        for (int i = 0; i < 3; ++i)
            g.captions.push_back({CaptionButton(i), {x0 + i * 22, 38, 18, 18}});
    } else {
        g.width = std::max(width, EDITOR_WIDTH);
        g.height = std::max(height, EDITOR_HEIGHT);
        g.resizable = true;
        // The caption buttons keep their place from the right edge as the window grows.
        const int x0 = g.width - (EDITOR_WIDTH - 608);
        g.captions = {{CAPTION_MINIMISE, {x0, 38, 18, 18}},
                      {CAPTION_FULL_SCREEN, {x0 + 22, 38, 18, 18}},
                      {CAPTION_CLOSE, {x0 + 44, 38, 18, 18}}};
    }
    g.status_top = g.height - 62;
    return g;
}

int resize_edges(const FrameGeometry& g, int x, int y)
{
    if (!g.resizable || x < 0 || y < 0 || x >= g.width || y >= g.height)
        return 0;
    int edges = 0;
    if (x < RESIZE_BORDER)
        edges |= EDGE_LEFT;
    if (x >= g.width - RESIZE_BORDER)
        edges |= EDGE_RIGHT;
    if (y < RESIZE_BORDER)
        edges |= EDGE_TOP;
    if (y >= g.height - RESIZE_BORDER)
        edges |= EDGE_BOTTOM;
    return edges;
}

Rect button_rect(int visible_position)
{
    return {22 + BUTTON_WIDTH * visible_position, BUTTON_ROW_Y, BUTTON_WIDTH, BUTTON_HEIGHT};
}

std::string path_extension(const std::string& path)
{
    return std::filesystem::path(path).extension().string();
}

static bool same_extension(const std::string& a, const char* b)
{
    std::string x = a, y = b;
    auto lower = [](std::string& s) {
        std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    };
    lower(x);
    lower(y);
    return x == y;
}

DropDecision decide_drop(FrameMode mode, const std::vector<std::string>& paths)
{
    DropDecision d;
    if (paths.size() != 1) {
        d.kind = DropDecision::TooMany;
        d.message = "Only one file at a time";
        return d;
    }
    const std::string ext = path_extension(paths.front());
    if (mode == MODE_DOWNLOADER) {
        if (!same_extension(ext, ".mem")) {
            d.kind = DropDecision::Ask;
            d.message = "File Extension is not mem, is it correct file?";
        }
    } else if (!same_extension(ext, ".ird")) {
        d.kind = DropDecision::Ask;
        d.message = "File Extension is not ird, is it correct file?";
    }
    return d;
}

CommandLineFile command_line_file_kind(const std::string& path)
{
    return same_extension(path_extension(path), ".ird") ? CommandLineFile::Database
                                                        : CommandLineFile::CodeFile;
}

std::string user_guide_path(const std::string& program_dir,
                            const std::string& guide_from_program,
                            const std::vector<std::string>& fallbacks,
                            const std::function<bool(const std::string&)>& exists)
{
    if (!program_dir.empty() && !guide_from_program.empty()) {
        const std::string installed = program_dir + "/" + guide_from_program;
        if (exists(installed))
            return installed;
    }
    for (const std::string& f : fallbacks)
        if (!f.empty() && exists(f))
            return f;
    return {};
}

std::string user_guide_missing_message(const std::string& expected)
{
    return "The user guide is not installed.\nIt belongs at " + expected;
}

std::string about_version_line()
{
    // The family tag of the receivers this build serves.
    return common::strfmt("Korvid : %s%s%s%s", "KV", "", "PVR", "-VER 2.3");
}

} // namespace korvid
