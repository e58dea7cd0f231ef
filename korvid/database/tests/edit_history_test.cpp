// The undo history over whole images: what a step keeps, the memory bound, the way forward that a
// new change ends, and the document's modified flag across saves, undos, redos and opens.
#include "common/testing/scripted_prompts.h"
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

TEST(EditHistory, AStepKeepsOnlyTheChangedBytesAndTheOldestGoFirstPastTheLimit)
{
    auto db = testing::sound_random_database(7);
    EditHistory unbounded;
    unbounded.reset(*db, true);
    // Two changes far apart make two small ranges, not the span between them.
    db->channels[0].name[0] ^= 0x55;
    db->transponders[MAX_TP_NUM - 1].frequency ^= 0x5A5A;
    ASSERT_TRUE(unbounded.record(*db, "two fields"));
    EXPECT_LT(unbounded.last_step_bytes(), 256u);
    EXPECT_FALSE(unbounded.record(*db, "nothing")) << "an unchanged image is no step";
    ASSERT_TRUE(unbounded.record(*testing::sound_random_database(8), "everything"));
    EXPECT_LE(unbounded.last_step_bytes(), size_t(DB_IMAGE_SIZE + 4096));

    // Room for about four small steps: of twenty changes only the newest stay.
    EditHistory bounded(4 * (unbounded.bytes() - unbounded.last_step_bytes()));
    db = testing::sound_random_database(7);
    bounded.reset(*db, true);
    std::vector<std::vector<uint8_t>> states{image_of(*db)};
    for (int i = 0; i < 20; ++i) {
        db->channels[i].name[0] = char('a' + i);
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
    for (const char* name : {"A", "B"}) {
        db->channels[1].name[0] = name[0];
        h.record(*db, name);
    }
    h.mark_saved();
    ASSERT_TRUE(h.undo(*db));
    EXPECT_EQ(db->channels[1].name[0], 'A');
    EXPECT_EQ(h.undo_label() + h.redo_label(), "AB");
    db->channels[1].name[0] = 'C';
    h.record(*db, "C");
    EXPECT_FALSE(h.can_redo());
    while (h.undo(*db))
        EXPECT_FALSE(h.at_saved());
    while (h.redo(*db))
        EXPECT_FALSE(h.at_saved()) << "the saved state was on the way given up";
    EXPECT_EQ(db->channels[1].name[0], 'C');
}

TEST(DocumentHistory, AChangeThatLeftTheTablesAsTheyWereIsNoStepAndMarksNothing)
{
    auto db = testing::sound_random_database(5);
    common::ScriptedPrompts prompts;
    CKorvidDoc doc(*db, prompts);
    int announced = 0;
    doc.on_history_changed = [&] { ++announced; };
    EXPECT_FALSE(doc.record_change("nothing"));
    EXPECT_FALSE(doc.is_modified());
    EXPECT_FALSE(doc.history().can_undo());

    db->channels[0].name[0] ^= 0x20;
    EXPECT_TRUE(doc.record_change("rename"));
    EXPECT_TRUE(doc.is_modified());
    ASSERT_TRUE(doc.undo());
    EXPECT_FALSE(doc.record_change("nothing")) << "back at the loaded tables";
    EXPECT_FALSE(doc.is_modified());
    EXPECT_EQ(doc.history().redo_label(), "rename") << "no change, so the way forward stays";
    EXPECT_EQ(announced, 2) << "the rename and its undo";
}

TEST(DocumentHistory, TheModifiedFlagIsClearExactlyAtTheStateLastSavedOrLoaded)
{
    reset_codes();
    const fs::path dir = fs::temp_directory_path() / ("kd-history-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string path = (dir / "list.ird").string();
    ASSERT_TRUE(write_database_file(*testing::small_database(), 0x1234, 0xF1F2, path));
    common::ScriptedPrompts prompts;
    auto db = std::make_unique<Database>();
    CKorvidDoc doc(*db, prompts);
    prompts.files.push_back(path);
    doc.open_from_menu();
    const auto loaded = image_of(*db);
    for (char c : {'a', 'b'}) {
        db->channels[0].name[0] = c;
        doc.record_change("rename");
    }
    std::string flags;
    auto step = [&](bool undo) {
        EXPECT_TRUE(undo ? doc.undo() : doc.redo());
        flags += doc.is_modified() ? 'M' : '-';
    };
    step(true);
    step(true); // back at the loaded tables
    EXPECT_EQ(image_of(*db), loaded);
    EXPECT_FALSE(doc.undo());
    step(false);
    ASSERT_TRUE(doc.save()); // the mark moves to the first change
    step(false);
    step(true);
    step(true);
    prompts.files.push_back((dir / "missing" / "x.ird").string());
    EXPECT_FALSE(doc.save_as()) << "a failed save leaves the mark where it was";
    step(false);
    // undo, undo to the file, redo; save; redo, undo to the save, undo past it; redo to the save.
    EXPECT_EQ(flags, "M-MM-M-");

    prompts.answers.push_back(common::Answer::No); // the save question before Open
    prompts.files.push_back(path);
    doc.open_from_menu();
    EXPECT_FALSE(doc.history().can_undo() || doc.history().can_redo()) << "a file opened starts again";
    EXPECT_FALSE(doc.is_modified());
    fs::remove_all(dir);
}

} // namespace
} // namespace korvid
