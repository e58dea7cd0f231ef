// The main window's rules without a window: buttons and prompts per mode, the menu edits of a mode
// switch, the geometry of the three layouts and what a dropped file leads to.
#include "korvid/frame/frame_rules.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

using namespace korvid;

namespace {

// A menu as a plain list of item records, edited by the same rules as the owner-drawn menus.
class ListMenu : public MenuEditor
{
public:
    using Item = std::tuple<uint32_t, uint32_t, std::string>; // flags, id, text
    std::vector<Item> items;

    void append(uint32_t flags, uint32_t id, const char* text) override
    {
        items.emplace_back(flags, id, text);
    }
    bool remove(uint32_t id) override
    {
        auto it =
            std::find_if(items.begin(), items.end(), [id](const Item& i) { return std::get<1>(i) == id; });
        if (it == items.end())
            return false;
        items.erase(it);
        return true;
    }
    std::vector<std::string> texts() const
    {
        std::vector<std::string> out;
        for (const auto& [flags, id, text] : items)
            out.push_back((flags & MF_SEPARATOR) ? "---" : text);
        return out;
    }
};

using Texts = std::vector<std::string>;

} // namespace

TEST(FrameRules, ButtonsCommandsAndPromptsPerMode)
{
    const uint32_t ids[] = {ID_FILE_OPEN,   ID_FILE_SAVE,   ID_GOTO_DOWNLOADER,
                            ID_GOTO_EDITOR, ID_DOWNLOAD_DB, ID_UPLOAD_DB};
    for (int i = 0; i < BUTTON_COUNT; ++i) {
        EXPECT_EQ(button_command(i), ids[i]);
        EXPECT_STRNE(command_prompt(ids[i]), "") << i;
    }
    EXPECT_EQ(button_command(-1), 0u);
    EXPECT_EQ(button_command(BUTTON_COUNT), 0u);
    EXPECT_STREQ(command_prompt(ID_GOTO_EDITOR), "Goto Database Editor");
    EXPECT_STREQ(command_prompt(ID_UPLOAD_DB), "Upload DB");
    EXPECT_STREQ(command_prompt(ID_APP_EXIT), "");

    EXPECT_EQ(visible_buttons(MODE_DOWNLOADER), (std::vector<int>{0, 3}));
    EXPECT_EQ(visible_buttons(MODE_EDITOR), (std::vector<int>{0, 1, 2, 4, 5}));
    // Buttons are laid out by their place among the shown ones, not by their index.
    const Rect second = button_rect(1);
    EXPECT_EQ(second.x, 22 + BUTTON_WIDTH);
    EXPECT_EQ(second.y, BUTTON_ROW_Y);
    EXPECT_EQ(second.w, BUTTON_WIDTH);
    EXPECT_EQ(second.h, BUTTON_HEIGHT);
}

TEST(FrameRules, ModeSwitchesEditTheMenusAndComeBackToTheStart)
{
    ListMenu file, config, help;
    build_start_menus(file, config, help);
    const auto start = std::make_tuple(file.items, config.items, help.items);
    EXPECT_EQ(file.texts(), (Texts{"Open\tCtrl+O", "---", "Exit\tCtrl+Q"}));
    EXPECT_EQ(config.texts(), (Texts{"Serial Port"}));
    EXPECT_EQ(help.texts(), (Texts{"About Korvid...", "---", "User Instruction"}));

    for (int round = 0; round < 2; ++round) {
        menus_to_editor(file, config);
        EXPECT_EQ(file.texts(),
                  (Texts{"Open\tCtrl+O", "Save\tCtrl+S", "Save As...\tCtrl+Shift+S", "---", "Undo\tCtrl+Z",
                         "Redo\tCtrl+Y", "---", "Order Like...", "Save Channels...", "---", "Exit\tCtrl+Q"}));
        EXPECT_EQ(config.texts(), (Texts{"Show All DB Data", "Check Database", "---", "Serial Port"}));
        menus_to_downloader(file, config);
        EXPECT_EQ(std::make_tuple(file.items, config.items, help.items), start) << "round " << round;
    }
}

TEST(FrameRules, UndoItemsNameTheChangeAndRedoHasTwoKeys)
{
    EXPECT_EQ(history_item_text(ID_EDIT_UNDO, "Delete satellite Astra 19.2E"),
              "Undo Delete satellite Astra 19.2E\tCtrl+Z");
    EXPECT_EQ(history_item_text(ID_EDIT_REDO, "Move 3 channels"), "Redo Move 3 channels\tCtrl+Y");
    const std::string longest = history_item_text(ID_EDIT_UNDO, "Delete satellite " + std::string(60, 'x'));
    EXPECT_EQ(longest, "Undo Delete satellite " + std::string(20, 'x') + "...\tCtrl+Z");
    EXPECT_STREQ(command_alternate_accelerator(ID_EDIT_REDO), "Ctrl+Shift+Z");
    EXPECT_STREQ(command_alternate_accelerator(ID_EDIT_UNDO), "");
}

TEST(FrameRules, GeometryOfTheThreeLayouts)
{
    const FrameGeometry d = frame_geometry(LAYOUT_DOWNLOADER, 1920, 1080);
    EXPECT_EQ(std::tie(d.width, d.height), std::make_tuple(444, 390));
    EXPECT_EQ(std::tie(d.top, d.left, d.right, d.bottom), std::make_tuple(TOP_BAND, 7, 13, 50));
    ASSERT_EQ(d.captions.size(), 2u);
    EXPECT_EQ(d.captions[0].first, CAPTION_MINIMISE);
    EXPECT_EQ(std::tie(d.captions[1].second.x, d.captions[1].second.y), std::make_tuple(406, 28));
    EXPECT_EQ(d.status_top, 390 - 52);
    EXPECT_TRUE(d.draggable);

    const FrameGeometry e = frame_geometry(LAYOUT_EDITOR, 1920, 1080);
    EXPECT_EQ(std::tie(e.width, e.height, e.x, e.y), std::make_tuple(699, 500, -1, -1));
    EXPECT_EQ(std::tie(e.left, e.right, e.bottom), std::make_tuple(10, 16, 64));
    ASSERT_EQ(e.captions.size(), 3u);
    EXPECT_EQ(e.captions[1].first, CAPTION_FULL_SCREEN);
    EXPECT_EQ(e.captions[1].second.x, 630);
    EXPECT_EQ(e.status_top, 500 - 62);
    // Resized, the caption buttons and the status text keep to the right and bottom edges; the
    // window never gets smaller than the pages were laid out for.
    const FrameGeometry big = frame_geometry(LAYOUT_EDITOR, 1920, 1080, 1100, 800);
    EXPECT_EQ(std::tie(big.width, big.height), std::make_tuple(1100, 800));
    EXPECT_EQ(big.captions[1].second.x, 630 + 401);
    EXPECT_EQ(big.status_top, 800 - 62);
    const FrameGeometry tiny = frame_geometry(LAYOUT_EDITOR, 1920, 1080, 300, 200);
    EXPECT_EQ(std::tie(tiny.width, tiny.height), std::make_tuple(699, 500));
    EXPECT_EQ(resize_edges(big, 1099, 799), EDGE_RIGHT | EDGE_BOTTOM);
    EXPECT_EQ(resize_edges(big, 500, 400), 0);

    // Full screen: the screen's size at 0,0, not draggable, the caption buttons 4 pixels apart at
    // the right end of the top band; a screen smaller than the editor keeps the editor's size.
    const FrameGeometry f = frame_geometry(LAYOUT_FULL, 1920, 1080);
    EXPECT_EQ(std::tie(f.width, f.height, f.x, f.y), std::make_tuple(1920, 1080, 0, 0));
    EXPECT_FALSE(f.draggable);
    EXPECT_EQ(resize_edges(f, 0, 0), 0);
    ASSERT_EQ(f.captions.size(), 3u);
    EXPECT_EQ(f.captions[1].second.x - f.captions[0].second.x, 18 + 4);
    EXPECT_LT(f.captions[2].second.x + 18, 1920);
    EXPECT_GT(f.captions[0].second.x, 1920 - 100);
    const FrameGeometry small = frame_geometry(LAYOUT_FULL, 640, 480);
    EXPECT_EQ(std::tie(small.width, small.height), std::make_tuple(699, 500));

    Rect r{10, 20, 5, 5};
    EXPECT_TRUE(r.contains(10, 20));
    EXPECT_FALSE(r.contains(15, 20)); // right and bottom edges are outside
    EXPECT_FALSE(r.contains(10, 25));
}

TEST(FrameRules, DroppedFilesByModeAndExtension)
{
    EXPECT_EQ(decide_drop(MODE_DOWNLOADER, {"/a.mem", "/b.mem"}).kind, DropDecision::TooMany);
    EXPECT_EQ(decide_drop(MODE_EDITOR, {}).message, "Only one file at a time");

    EXPECT_EQ(decide_drop(MODE_DOWNLOADER, {"/x/code.mem"}).kind, DropDecision::Use);
    EXPECT_EQ(decide_drop(MODE_DOWNLOADER, {"/x/CODE.MEM"}).kind, DropDecision::Use);
    const DropDecision bin = decide_drop(MODE_DOWNLOADER, {"/x/code.bin"});
    EXPECT_EQ(bin.kind, DropDecision::Ask);
    EXPECT_EQ(bin.message, "File Extension is not mem, is it correct file?");

    EXPECT_EQ(decide_drop(MODE_EDITOR, {"/x/list.Ird"}).kind, DropDecision::Use);
    const DropDecision mem = decide_drop(MODE_EDITOR, {"/x/code.mem"});
    EXPECT_EQ(mem.kind, DropDecision::Ask);
    EXPECT_EQ(mem.message, "File Extension is not ird, is it correct file?");
    // A dot in a folder name is not an extension.
    EXPECT_EQ(decide_drop(MODE_EDITOR, {"/x.ird/list"}).kind, DropDecision::Ask);
    EXPECT_EQ(path_extension("/x.ird/list"), "");
    EXPECT_EQ(path_extension("/x/a.b.mem"), ".mem");
}

TEST(FrameRules, AFileOnTheCommandLineIsADatabaseOnlyByItsExtension)
{
    EXPECT_EQ(command_line_file_kind("/home/u/Astra 19.2E.ird"), CommandLineFile::Database);
    EXPECT_EQ(command_line_file_kind("LIST.IRD"), CommandLineFile::Database);
    EXPECT_EQ(command_line_file_kind("/tmp/new.mem"), CommandLineFile::CodeFile);
    EXPECT_EQ(command_line_file_kind("/tmp/ird"), CommandLineFile::CodeFile);
    EXPECT_EQ(command_line_file_kind("/tmp/x.ird.mem"), CommandLineFile::CodeFile);
    EXPECT_EQ(command_line_file_kind("/some.ird/file"), CommandLineFile::CodeFile);
}

TEST(FrameRules, TheUserGuideIsTheInstalledOneElseTheBuildsElseTheSources)
{
    std::vector<std::string> present;
    auto exists = [&](const std::string& p) {
        return std::find(present.begin(), present.end(), p) != present.end();
    };
    const std::string from_program = "../share/doc/korvid/guide.html";
    const std::vector<std::string> fallbacks{"/src/build/guide.html", "/src/docs/guide.md"};

    present = {"/usr/bin/../share/doc/korvid/guide.html", "/src/build/guide.html", "/src/docs/guide.md"};
    EXPECT_EQ(user_guide_path("/usr/bin", from_program, fallbacks, exists),
              "/usr/bin/../share/doc/korvid/guide.html");
    present = {"/src/build/guide.html", "/src/docs/guide.md"};
    EXPECT_EQ(user_guide_path("/src/build/korvid/app", from_program, fallbacks, exists),
              "/src/build/guide.html");
    present = {"/src/docs/guide.md"};
    EXPECT_EQ(user_guide_path("/src/build/korvid/app", from_program, fallbacks, exists),
              "/src/docs/guide.md");
    present = {};
    EXPECT_EQ(user_guide_path("/opt/k/bin", from_program, fallbacks, exists), "");
    EXPECT_EQ(user_guide_missing_message("/opt/k/share/doc/korvid/guide.html"),
              "The user guide is not installed.\nIt belongs at /opt/k/share/doc/korvid/guide.html");
}
