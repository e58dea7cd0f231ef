// The undo history over whole images: what a step keeps, the memory bound, the way forward that a
// new change ends, and the document's modified flag across saves, undos and redos.
#include "common/scripted_prompts.h"
#include "korvid/database/codes.h"
#include "korvid/database/edit_history.h"
#include "korvid/database/ird_file.h"
#include "korvid/database/korvid_doc.h"
#include "test_database.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <vector>

namespace korvid {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> image_of(const Database& db)
{
    std::vector<uint8_t> image(DB_IMAGE_SIZE, 0);
    db.pack_image(image.data());
    return image;
}

void rename_channel(Database& db, int slot, char c)
{
    db.channels[slot].name[0] = c;
}

TEST(EditHistory, AStepKeepsOnlyTheChangedBytesAndTheOldestGoFirstPastTheLimit)
{
    auto db = testing::sound_random_database(7);
    EditHistory unbounded;
    unbounded.reset(*db, true);
    // Two changes far apart in one step: two small ranges, not the span between them.
    rename_channel(*db, 0, 'x');
    db->transponders[MAX_TP_NUM - 1].frequency ^= 0x5A5A;
    ASSERT_TRUE(unbounded.record(*db, "two fields"));
    EXPECT_LT(unbounded.last_step_bytes(), 512u);
    EXPECT_FALSE(unbounded.record(*db, "nothing")) << "an unchanged image is no step";
    EXPECT_EQ(unbounded.undo_count(), 1u);

    // Every table rewritten still costs no more than the image once over.
    auto other = testing::sound_random_database(8);
    ASSERT_TRUE(unbounded.record(*other, "everything"));
    EXPECT_LE(unbounded.last_step_bytes(), size_t(DB_IMAGE_SIZE + 4096));

    // A limit that holds about four small steps: twenty changes keep the newest ones only.
    const size_t step = unbounded.bytes() - unbounded.last_step_bytes();
    EditHistory bounded(4 * step);
    db = testing::sound_random_database(7);
    bounded.reset(*db, true);
    std::vector<std::vector<uint8_t>> states{image_of(*db)};
    for (int i = 0; i < 20; ++i) {
        rename_channel(*db, i, char('a' + i));
        ASSERT_TRUE(bounded.record(*db, "rename"));
        states.push_back(image_of(*db));
        EXPECT_LE(bounded.bytes(), bounded.limit());
    }
    const size_t kept = bounded.undo_count();
    EXPECT_GE(kept, 2u);
    EXPECT_LT(kept, 20u);
    while (bounded.undo(*db)) {
    }
    EXPECT_EQ(image_of(*db), states[20 - kept]) << "undo stops where the oldest kept step began";
    EXPECT_FALSE(bounded.at_saved()) << "the loaded state went with the dropped steps";
    while (bounded.redo(*db)) {
    }
    EXPECT_EQ(image_of(*db), states[20]);
}

TEST(EditHistory, ANewChangeEndsTheWayForwardAndTheSavedStateOnIt)
{
    auto db = testing::sound_random_database(3);
    EditHistory h;
    h.reset(*db, false);
    EXPECT_FALSE(h.at_saved()) << "a state not on disk is never the saved one";
    rename_channel(*db, 1, 'A');
    h.record(*db, "first");
    rename_channel(*db, 1, 'B');
    h.record(*db, "second");
    h.mark_saved();
    ASSERT_TRUE(h.undo(*db));
    EXPECT_EQ(db->channels[1].name[0], 'A');
    EXPECT_EQ(h.redo_label(), "second");
    EXPECT_EQ(h.undo_label(), "first");

    rename_channel(*db, 1, 'C');
    h.record(*db, "third");
    EXPECT_FALSE(h.can_redo());
    EXPECT_EQ(h.undo_count(), 2u);
    while (h.undo(*db))
        EXPECT_FALSE(h.at_saved());
    EXPECT_EQ(h.undo_label(), "");
    while (h.redo(*db))
        EXPECT_FALSE(h.at_saved()) << "the saved state was on the way that was given up";
    EXPECT_EQ(db->channels[1].name[0], 'C');
}

class DocumentHistory : public ::testing::Test
{
protected:
    void SetUp() override
    {
        reset_codes();
        dir = fs::temp_directory_path() / ("kd-history-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        path = (dir / "list.ird").string();
        ASSERT_TRUE(write_database_file(*testing::small_database(), 0x1234, 0xF1F2, path));
        db->clear();
        doc.on_history_changed = [this] { ++history_changes; };
        prompts.files.push_back(path);
        doc.open_from_menu();
        ASSERT_TRUE(db->present);
    }
    void TearDown() override { fs::remove_all(dir); }

    void change(char c)
    {
        rename_channel(*db, 0, c);
        doc.record_change(std::string("rename to ") + c);
    }

    fs::path dir;
    std::string path;
    common::ScriptedPrompts prompts;
    std::unique_ptr<Database> db = std::make_unique<Database>();
    CKorvidDoc doc{*db, prompts};
    int history_changes = 0;
};

TEST_F(DocumentHistory, TheModifiedFlagIsClearExactlyAtTheStateLastSavedOrLoaded)
{
    const auto loaded = image_of(*db);
    change('a');
    change('b');
    EXPECT_TRUE(doc.is_modified());
    ASSERT_TRUE(doc.undo());
    EXPECT_TRUE(doc.is_modified());
    ASSERT_TRUE(doc.undo());
    EXPECT_FALSE(doc.is_modified()) << "back at the loaded tables";
    EXPECT_EQ(image_of(*db), loaded);
    EXPECT_FALSE(doc.undo());
    ASSERT_TRUE(doc.redo());
    EXPECT_TRUE(doc.is_modified()) << "a redo past the loaded state";

    ASSERT_TRUE(doc.save());
    EXPECT_FALSE(doc.is_modified());
    ASSERT_TRUE(doc.redo());
    EXPECT_TRUE(doc.is_modified()) << "the save moved the mark to where it was made";
    ASSERT_TRUE(doc.undo());
    EXPECT_FALSE(doc.is_modified());
    ASSERT_TRUE(doc.undo());
    EXPECT_TRUE(doc.is_modified()) << "the loaded state is no longer the one on disk";
    EXPECT_EQ(image_of(*db), loaded);

    const int before = history_changes;
    prompts.answers.push_back(common::Answer::No); // the save question before Open
    prompts.files.push_back(path);
    doc.open_from_menu();
    EXPECT_GT(history_changes, before);
    EXPECT_FALSE(doc.history().can_undo()) << "opening a file starts the history again";
    EXPECT_FALSE(doc.history().can_redo());
    EXPECT_FALSE(doc.is_modified());
}

TEST_F(DocumentHistory, AFailedSaveDoesNotMoveTheSavedMark)
{
    change('a');
    ASSERT_TRUE(doc.save_as() == false); // no file chosen
    prompts.files.push_back((dir / "missing" / "x.ird").string());
    EXPECT_FALSE(doc.save_as());
    ASSERT_TRUE(doc.undo());
    EXPECT_FALSE(doc.is_modified()) << "the file still holds the loaded tables";
    ASSERT_TRUE(doc.redo());
    EXPECT_TRUE(doc.is_modified());
}

} // namespace
} // namespace korvid
