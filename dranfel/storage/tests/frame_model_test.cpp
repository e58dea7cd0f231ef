// The storage manager's window rules without widgets: which commands apply, the free-space check,
// what the progress dialog shows, the converter's starting paths and the audio tool's meaning here.
#include "dranfel/storage/audio_tool.h"
#include "dranfel/storage/frame_rules.h"
#include "dranfel/storage/progress_state.h"
#include "dranfel/storage/storage_manager.h"
#include "dranfel/storage/tests/recording_fixture.h"
#include "dranfel/storage/transfer_space.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace dranfel;
using namespace storage_test;

namespace {

FrameState state(std::string top, bool top_row, std::string bottom, bool bottom_row, Focus focus)
{
    FrameState s;
    s.half(Half::Top) = {std::move(top), top_row};
    s.half(Half::Bottom) = {std::move(bottom), bottom_row};
    s.focus = focus;
    return s;
}

} // namespace

TEST(FrameRules, CommandsApplyOnlyWhereTheyCanAct)
{
    const FrameState none = state("", false, "", false, Focus::Elsewhere);
    for (uint32_t id : {ID_NEW_FOLDER, ID_COPY_TOP_TO_BOTTOM, ID_COPY_BOTTOM_TO_TOP, ID_MOVE_TOP_TO_BOTTOM,
                        ID_MOVE_BOTTOM_TO_TOP, ID_DELETE})
        EXPECT_FALSE(command_enabled(id, none)) << id;
    for (uint32_t id : {ID_CONVERT_AVI, ID_CONVERT_MP3, ID_APP_ABOUT, ID_APP_EXIT, ID_VIEW_TOOLBAR})
        EXPECT_TRUE(command_enabled(id, none)) << id;

    // Copy and move need a source folder with a selected row and a destination folder.
    const FrameState down = state("/a", true, "/b", false, Focus::Elsewhere);
    EXPECT_TRUE(command_enabled(ID_COPY_TOP_TO_BOTTOM, down));
    EXPECT_TRUE(command_enabled(ID_MOVE_TOP_TO_BOTTOM, down));
    EXPECT_FALSE(command_enabled(ID_COPY_BOTTOM_TO_TOP, down));
    EXPECT_FALSE(command_enabled(ID_COPY_TOP_TO_BOTTOM, state("/a", true, "", false, Focus::Elsewhere)));
    EXPECT_FALSE(command_enabled(ID_MOVE_BOTTOM_TO_TOP, state("/a", false, "/b", false, Focus::Elsewhere)));

    // New Folder follows the focus into a tree; Delete into a list that has a row or a folder.
    EXPECT_TRUE(command_enabled(ID_NEW_FOLDER, state("", false, "", false, Focus::BottomTree)));
    EXPECT_FALSE(command_enabled(ID_NEW_FOLDER, state("/a", false, "", false, Focus::TopList)));
    EXPECT_TRUE(command_enabled(ID_DELETE, state("", false, "/b", false, Focus::BottomList)));
    EXPECT_FALSE(command_enabled(ID_DELETE, state("/a", true, "", false, Focus::BottomList)));
    EXPECT_FALSE(command_enabled(ID_DELETE, state("/a", true, "", false, Focus::TopTree)));

    FrameState hidden = none;
    hidden.toolbar_shown = false;
    EXPECT_TRUE(command_checked(ID_VIEW_TOOLBAR, none));
    EXPECT_FALSE(command_checked(ID_VIEW_TOOLBAR, hidden));
}

// F5 and F6 go from the half the focus is in to the other; Delete acts in a list only.
TEST(FrameRules, KeysGiveTheCommandOfTheFocusedHalf)
{
    EXPECT_EQ(key_command(CommandKey::Copy, Focus::BottomTree), ID_COPY_BOTTOM_TO_TOP);
    EXPECT_EQ(key_command(CommandKey::Move, Focus::TopList), ID_MOVE_TOP_TO_BOTTOM);
    EXPECT_EQ(key_command(CommandKey::Copy, Focus::Elsewhere), 0u);
    EXPECT_EQ(key_command(CommandKey::Delete, Focus::BottomList), ID_DELETE);
    EXPECT_EQ(key_command(CommandKey::Delete, Focus::TopTree), 0u);
    EXPECT_EQ(key_command(CommandKey::Refresh, Focus::Elsewhere), ID_REFRESH);
}

TEST(FrameRules, EveryToolbarButtonIsAMenuCommand)
{
    std::vector<uint32_t> menu_ids;
    for (const Menu& m : menu_bar())
        for (const MenuItem& i : m.items)
            menu_ids.push_back(i.id);
    int buttons = 0;
    for (uint32_t id : toolbar_buttons()) {
        if (id == ID_SEPARATOR)
            continue;
        ++buttons;
        EXPECT_NE(std::find(menu_ids.begin(), menu_ids.end(), id), menu_ids.end()) << id;
        EXPECT_STRNE(command_prompt(id), "") << id;
    }
    EXPECT_EQ(buttons, 8);
    EXPECT_STREQ(command_tooltip(ID_CONVERT_MP3), "");
}

TEST(TransferSpace, SelectionSizeCountsEveryFileAnEntryWrites)
{
    TempDir dir;
    const std::string src = dir.sub("src");
    Recording r = make_recording(src, "News", {1000, 2000, 3000});
    make_recording(src, "Lost", {500}, "200603012015", 0, false);
    write_file(src + "/a.mp3", pattern(700, 1));
    write_file(src + "/b.txt", pattern(700, 1));
    EXPECT_EQ(entry_bytes(src, r.part1), 6000 + int64_t(AVF_FILE_SIZE));
    EXPECT_EQ(entry_bytes(src, "Lost_#001_200603012015.AVR"), 0); // the copy itself says why
    EXPECT_EQ(entry_bytes(src, "a.mp3"), 700);
    EXPECT_EQ(entry_bytes(src, "b.txt"), 0);
    EXPECT_EQ(entry_bytes(src, "gone.mem"), 0);

    FileOpParams p{src, dir.sub("dst"), {r.part1, "a.mp3"}, FileOpKind::Copy};
    EXPECT_EQ(bytes_needed(p), 6700 + int64_t(AVF_FILE_SIZE));
    // A move on one file system frees each entry's sources before the next one is written.
    p.kind = FileOpKind::Move;
    EXPECT_EQ(bytes_needed(p), 6000 + int64_t(AVF_FILE_SIZE));
    EXPECT_GT(free_bytes(src), 0);
    EXPECT_EQ(free_bytes(dir.path() + "/none"), -1);
}

TEST(TransferSpace, RefusalSaysWhatIsNeededAndWhatIsFree)
{
    EXPECT_EQ(space_refusal("/media/usb", 100, 100), "");
    EXPECT_EQ(space_refusal("/media/usb", 5 << 20, -1), ""); // cannot be told: the copy checks its writes
    EXPECT_EQ(space_refusal("/media/usb/REC", int64_t(3) << 30, 1536 << 10),
              "Not enough free space in /media/usb/REC: the selection needs 3.00 GB and 1.5 MB is free.");
    EXPECT_EQ(size_text(1023), "1023 bytes");
    EXPECT_EQ(size_text(1024), "1.0 KB");
    EXPECT_EQ(size_text(int64_t(1) << 40), "1.00 TB");
}

TEST(ProgressState, FollowsTheReportsOfARun)
{
    FileOpParams p{"/a", "/b", {"One_#001_200601010000.AVR", "song.mp3"}, FileOpKind::Copy};
    ProgressState s(p);
    EXPECT_EQ(s.total_text(), "1/2");
    EXPECT_EQ(s.source(), "/a");
    EXPECT_EQ(s.destination(), "/b");
    EXPECT_FALSE(s.apply({2, 1, PROGRESS_FILE_START, 0, 100, 0}));
    EXPECT_FALSE(s.apply({2, 1, PROGRESS_FILE_STEP, 0, 100, 40}));
    EXPECT_EQ(s.file_name(), "One_#001_200601010000.AVR");
    EXPECT_EQ(s.current_position(), 40);
    EXPECT_FALSE(s.apply({2, 1, PROGRESS_FILE_DONE, 0, 100, 100}));
    EXPECT_FALSE(s.apply({2, 2, PROGRESS_FILE_START, 0, 5000, 0}));
    EXPECT_EQ(s.total_text(), "2/2");
    EXPECT_EQ(s.file_name(), "song.mp3");
    EXPECT_EQ(s.total_range(), 2);
    EXPECT_EQ(s.total_position(), 1); // one entry finished, the second under way
    EXPECT_EQ(s.current_range(), 5000);
    EXPECT_EQ(s.current_position(), 0);
    EXPECT_TRUE(s.apply({2, 3, PROGRESS_ALL_DONE, 0, 0, 0}));
    for (int32_t code : {101, 102, 103, 104, 105})
        EXPECT_TRUE(ProgressState(p).apply({2, 1, code, 0, 0, 0})) << code;
}

TEST(ProgressState, SpeedAndTimeLeftOfTheWholeSelection)
{
    TransferRate rate(100 << 20, 1000);
    EXPECT_EQ(rate.text(1 << 20, 1400), ""); // too early to tell
    EXPECT_EQ(rate.text(0, 5000), "");
    EXPECT_EQ(rate.text(20 << 20, 3000), "10.0 MB/s, 0:08 left");
    EXPECT_EQ(rate.text(100 << 20, 11000), "10.0 MB/s, 0:00 left");
    EXPECT_EQ(duration_text(3725), "1:02:05");
    EXPECT_EQ(duration_text(65), "1:05");
}

TEST(StorageManagerRules, ConverterStartsFromTheFocusedListsRecording)
{
    std::vector<SelectedRow> rec = {{"News", "News_#001_200603012015.AVR"}};
    ConverterPaths p = converter_paths(state("/rec", true, "", false, Focus::TopList), rec);
    EXPECT_EQ(p.source, "/rec/News_#001_200603012015.AVR");
    EXPECT_EQ(p.target, "/rec/News_#001_200603012015.mpg");
    EXPECT_EQ(converter_paths(state("/rec", true, "", false, Focus::TopTree), rec).source, "");
    EXPECT_EQ(converter_paths(state("/rec", true, "", false, Focus::TopList), {{"a.MP3", "a.MP3"}}).target,
              "");
    EXPECT_EQ(converter_paths(state("/rec", false, "", false, Focus::TopList), {}).source, "");
}

TEST(AudioTool, RuntimeSocketAndArguments)
{
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved = old ? old : "";
    ::setenv("XDG_RUNTIME_DIR", "/run/user/1000", 1);
    EXPECT_EQ(audio_tool_socket_path(), "/run/user/1000/Melvane");
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(audio_tool_socket_path(), "/tmp/Melvane-" + std::to_string(::getuid()));
    if (old)
        ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    EXPECT_EQ(audio_tool_arguments({"/usr/bin/dranfel", "/media/usb", "x"}),
              (std::vector<std::string>{"/media/usb", "x"}));
    EXPECT_EQ(audio_tool_arguments({"/usr/bin/dranfel"}), std::vector<std::string>{});
}
