// The .ird file and the document's open and save flows, as a user meets them.
#include "common/testing/scripted_prompts.h"
#include "common/testing/tmpfs_mount.h"
#include "korvid/database/codes.h"
#include "korvid/database/ird_file.h"
#include "korvid/database/korvid_doc.h"
#include "test_database.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>

namespace korvid {
namespace {

namespace fs = std::filesystem;
using common::Answer;
using common::ScriptedPrompts;

std::vector<uint8_t> read_file(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

void write_file(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

class IrdDocument : public ::testing::Test
{
protected:
    void SetUp() override
    {
        reset_codes();
        dir = fs::temp_directory_path() / ("kd-ird-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
        db = std::make_unique<Database>();
        db->clear();
        doc = std::make_unique<CKorvidDoc>(*db, prompts);
        doc->on_new_database = [this] { ++refreshes; };
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string valid_file(const char* name, uint16_t buyer = 0x1234, uint16_t model = 0xF1F2)
    {
        auto src = testing::small_database();
        std::string path = (dir / name).string();
        EXPECT_TRUE(write_database_file(*src, buyer, model, path));
        return path;
    }

    fs::path dir;
    ScriptedPrompts prompts;
    std::unique_ptr<Database> db;
    std::unique_ptr<CKorvidDoc> doc;
    int refreshes = 0;
};

TEST_F(IrdDocument, EmptyDatabaseFileHasNoCodesAndNoSystemCode)
{
    std::string path = (dir / "empty.ird").string();
    ASSERT_TRUE(doc->save_as() == false); // no file chosen: nothing written
    prompts.files.push_back(path);
    ASSERT_TRUE(doc->save());
    auto bytes = read_file(path);
    ASSERT_EQ(bytes.size(), 475140u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xFF);
    EXPECT_EQ(bytes[2], 0xFF);
    EXPECT_EQ(bytes[3], 0xFF);
    EXPECT_EQ(bytes[0x70004], 0);
    EXPECT_EQ(bytes[0x70005], 0);
    EXPECT_TRUE(doc->file_name().empty()) << "Save to a newly chosen name keeps the document's name";

    prompts.files.push_back(path);
    doc->open_from_menu();
    EXPECT_EQ(prompts.shown, (std::vector<std::string>{"syscode case 3(0x0000)", "Wrong DB : syscode"}));
    EXPECT_EQ(prompts.icon_of("Wrong DB : syscode"), common::Icon::Error);
    EXPECT_FALSE(db->present);
    EXPECT_EQ(refreshes, 1) << "the cleared tables are shown as well";
}

TEST_F(IrdDocument, MenuOpenLoadsCodesNameAndAnnouncesTheNewDatabase)
{
    std::string path = valid_file("good.ird");
    prompts.files.push_back(path);
    doc->open_from_menu();
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(g_BuyerCode, 0x1234);
    EXPECT_EQ(g_ModelCode, 0xF1F2);
    EXPECT_EQ(doc->file_name(), path);
    EXPECT_TRUE(db->present);
    EXPECT_EQ(db->satellites[0].position, 192);
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(prompts.busy_depth, 0);
    EXPECT_GT(prompts.busy_calls, 0);
    EXPECT_EQ(prompts.dialogs.at(0).default_extension, ".ird");
    EXPECT_EQ(prompts.dialogs.at(0).filter, "IRD Files (*.ird)|*.ird|All Files (*.*)|*.*||");
}

TEST_F(IrdDocument, CancelInTheSaveQuestionDoesNotStopOpen)
{
    std::string path = valid_file("good.ird");
    db->present = true;
    doc->set_modified();
    prompts.answers.push_back(Answer::Cancel);
    prompts.files.push_back(path);
    doc->open_from_menu();
    EXPECT_EQ(prompts.shown, std::vector<std::string>{"Save changes to file?"});
    EXPECT_EQ(doc->file_name(), path);
    EXPECT_FALSE(doc->is_modified());
}

TEST_F(IrdDocument, OnlyReplacedOrSavedTablesLoseTheModifiedFlag)
{
    db->present = true;
    doc->set_modified();
    prompts.answers = {Answer::No, Answer::No};
    doc->open_from_menu(); // the file dialog is cancelled
    EXPECT_TRUE(doc->is_modified());
    prompts.files.push_back((dir / "missing.ird").string());
    doc->open_from_menu();
    EXPECT_TRUE(doc->is_modified()) << "a file that cannot be read replaces nothing";
    EXPECT_EQ(prompts.icon_of("Save changes to file?"), common::Icon::Question);
    prompts.answers.push_back(Answer::No);
    prompts.files.push_back(valid_file("good.ird"));
    doc->open_from_menu();
    EXPECT_FALSE(doc->is_modified());
}

TEST_F(IrdDocument, TitleNamesTheFileAndMarksUnsavedChanges)
{
    int changes = 0;
    doc->on_title_changed = [&] { ++changes; };
    EXPECT_EQ(doc->title(), "Korvid");
    doc->set_modified();
    EXPECT_EQ(doc->title(), "Untitled* - Korvid");
    prompts.files.push_back(valid_file("list.ird"));
    doc->open_from_menu();
    EXPECT_EQ(doc->title(), "list.ird - Korvid");
    doc->set_modified();
    doc->set_modified();
    EXPECT_EQ(doc->title(), "list.ird* - Korvid");
    EXPECT_EQ(doc->display_name(), "list.ird*");
    EXPECT_TRUE(doc->save());
    EXPECT_EQ(doc->title(), "list.ird - Korvid");
    EXPECT_EQ(changes, 5) << "once per change of name or flag, not per call";
}

TEST_F(IrdDocument, WrongSystemCodeStillReplacesTheCodes)
{
    auto bytes = read_file(valid_file("bad.ird", 0xABCD, 0x0102));
    bytes[0x70004] = 0x12;
    bytes[0x70005] = 0x34;
    write_file((dir / "bad.ird").string(), bytes);
    doc->open_by_name((dir / "bad.ird").string());
    EXPECT_EQ(prompts.shown, (std::vector<std::string>{"syscode case 4(0x3412)", "Wrong DB : syscode"}));
    EXPECT_EQ(g_BuyerCode, 0xABCD);
    EXPECT_EQ(g_ModelCode, 0x0102);
    EXPECT_EQ(db->satellites[0].sat_id, INVALID_SATID) << "the database is cleared";
    EXPECT_TRUE(doc->file_name().empty());
}

TEST_F(IrdDocument, FourByteFileIsCodesAndAnAllZeroImage)
{
    write_file((dir / "four.ird").string(), {0x00, 0x07, 0x80, 0x01});
    doc->open_by_name((dir / "four.ird").string());
    EXPECT_EQ(g_BuyerCode, 0x0007);
    EXPECT_EQ(g_ModelCode, 0x8001);
    EXPECT_EQ(prompts.shown.at(0), "syscode case 4(0x0000)");
}

TEST_F(IrdDocument, DroppedFileKeepsTheNameSoSaveAsksForOne)
{
    std::string path = valid_file("drop.ird");
    doc->open_by_name(path);
    EXPECT_TRUE(db->present);
    EXPECT_TRUE(doc->file_name().empty());
    EXPECT_FALSE(doc->save()) << "the save dialog is cancelled";
    EXPECT_EQ(prompts.dialogs.size(), 1u);
}

TEST_F(IrdDocument, UnreadableAndOversizedFilesChangeNothing)
{
    std::string good = valid_file("good.ird");
    doc->open_by_name(good);
    doc->open_by_name((dir / "missing.ird").string());
    doc->open_by_name(dir.string()); // a folder
    std::vector<uint8_t> big((1u << 20) + 1, 0x5A);
    write_file((dir / "big.ird").string(), big);
    doc->open_by_name((dir / "big.ird").string());
    // A FIFO with nothing writing to it would block the reader for ever: refused at once.
    std::string fifo = (dir / "pipe.ird").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    doc->open_by_name(fifo);
    ASSERT_EQ(prompts.shown.size(), 4u);
    // Each names the file and the reason.
    EXPECT_EQ(prompts.shown[0],
              "Can't open to this file\n" + (dir / "missing.ird").string() + ": No such file or directory");
    EXPECT_EQ(prompts.shown[1],
              "Can't open to this file\n" + dir.string() + ": a folder, not a regular file");
    EXPECT_NE(prompts.shown[2].find("larger than 1 MiB"), std::string::npos);
    EXPECT_EQ(prompts.shown[3], "Can't open to this file\n" + fifo + ": a FIFO, not a regular file");
    EXPECT_EQ(db->satellites[0].position, 192) << "the loaded database is untouched";
    EXPECT_EQ(g_BuyerCode, 0x1234);
}

TEST_F(IrdDocument, ReaderSurvivesTruncatedEmptyAndRandomFiles)
{
    std::mt19937 rng(11);
    auto full = read_file(valid_file("full.ird"));
    const size_t sizes[] = {0, 1, 3, 4, 5, 1000, 0x70005, 475139, 475140, 475141, 1u << 20};
    for (size_t size : sizes) {
        std::vector<uint8_t> bytes(size);
        for (size_t i = 0; i < size; ++i)
            bytes[i] = i < full.size() && (size % 2) ? full[i] : uint8_t(rng());
        write_file((dir / "x.ird").string(), bytes);
        std::vector<uint8_t> buffer;
        ASSERT_EQ(load_ird_file((dir / "x.ird").string(), buffer), IrdLoad::Ok) << size;
        ASSERT_EQ(buffer.size(), IRD_WORK_BUFFER_SIZE);
        for (size_t i = size; i < 475140; ++i)
            ASSERT_EQ(buffer[i], 0) << "missing bytes read as zero";
        doc->open_by_name((dir / "x.ird").string());
    }
}

TEST_F(IrdDocument, SaveAfterReceiveWritesTheChosenFile)
{
    auto src = testing::small_database();
    std::vector<uint8_t> wire(1u << 20, 0);
    src->build_image_for_receiver(wire.data());
    std::string path = (dir / "received.ird").string();
    EXPECT_EQ(doc->save_received(wire.data(), path), 1);
    EXPECT_EQ(doc->file_name(), path);
    EXPECT_TRUE(db->present);
    EXPECT_EQ(refreshes, 1);
    std::vector<uint8_t> expected;
    encode_database(*src, g_BuyerCode, g_ModelCode, expected);
    EXPECT_EQ(read_file(path), expected);

    std::vector<uint8_t> junk(1u << 20, 0);
    EXPECT_EQ(doc->save_received(junk.data(), (dir / "junk.ird").string()), 0);
    EXPECT_FALSE(fs::exists(dir / "junk.ird"));
    EXPECT_EQ(prompts.shown.back(), "Wrong DB : syscode");
}

// A save that fails on a real full or read-only disk must leave the previous file as it was.
void check_failed_save(common::testing::TmpfsMount& mount, bool read_only)
{
    std::string path = mount.path() + "/db.ird";
    auto old = testing::small_database();
    ASSERT_TRUE(write_database_file(*old, 0x0001, 0x0002, path));
    auto before = read_file(path);

    if (read_only)
        ASSERT_TRUE(mount.remount_read_only());
    else
        mount.fill();

    auto db = testing::random_database(21);
    db->system.syscode = DB_SYSCODE_VALUE;
    ScriptedPrompts prompts;
    CKorvidDoc doc(*db, prompts);
    doc.set_file_name(path);
    doc.set_modified();
    EXPECT_FALSE(doc.save());
    EXPECT_EQ(prompts.shown, std::vector<std::string>{"Can't save to this file"});
    EXPECT_EQ(doc.write_error(), read_only ? "Read-only file system" : "No space left on device");
    EXPECT_TRUE(doc.is_modified());
    EXPECT_EQ(read_file(path), before);
    // A receive checks its target first: a read-only disk is known before the transfer.
    std::string reason;
    if (read_only) {
        EXPECT_FALSE(check_ird_target(path, reason));
        EXPECT_EQ(reason, "Read-only file system");
    }
    for (auto& entry : fs::directory_iterator(mount.path()))
        EXPECT_TRUE(entry.path().filename() == "db.ird" || entry.path().filename() == "filler")
            << "left behind: " << entry.path();

    prompts.files.push_back(path);
    EXPECT_FALSE(doc.save_as());
    EXPECT_EQ(prompts.shown.back(), "Failed to save document.");
    EXPECT_EQ(read_file(path), before);
}

TEST(IrdSaveOnBrokenDisk, FullDiskKeepsThePreviousFile)
{
    common::testing::TmpfsMount mount(1 << 20);
    if (!mount.ok())
        GTEST_SKIP() << mount.error();
    check_failed_save(mount, false);
}

TEST(IrdSaveOnBrokenDisk, ReadOnlyDiskKeepsThePreviousFile)
{
    common::testing::TmpfsMount mount(1 << 20);
    if (!mount.ok())
        GTEST_SKIP() << mount.error();
    check_failed_save(mount, true);
}

TEST(IrdSaveOnBrokenDisk, AskSaveChangesKeepsTheWindowOpenWhenTheSaveFails)
{
    common::testing::TmpfsMount mount(1 << 20);
    if (!mount.ok())
        GTEST_SKIP() << mount.error();
    mount.fill();
    auto db = testing::small_database();
    ScriptedPrompts prompts;
    CKorvidDoc doc(*db, prompts);
    doc.set_file_name(mount.path() + "/db.ird");
    doc.set_modified();
    prompts.answers.push_back(Answer::Yes);
    EXPECT_FALSE(doc.ask_save_changes());
    prompts.answers.push_back(Answer::No);
    EXPECT_TRUE(doc.ask_save_changes());
}

} // namespace
} // namespace korvid

// A file the user protected is not replaced: the save says why and offers another name; a file
// with other names (hard links) is replaced only when the user says so.
TEST_F(IrdDocument, AProtectedFileIsKeptAndTheSaveGoesElsewhereOnlyWhenTheUserSays)
{
    const std::string path = valid_file("kept.ird"), elsewhere = (dir / "copy.ird").string(),
                      twin = (dir / "twin.ird").string();
    const auto before = read_file(path);
    ::chmod(path.c_str(), 0444);
    doc->open_by_name(path);
    doc->set_file_name(path);
    doc->set_modified();
    prompts.answers = {common::Answer::No};
    EXPECT_FALSE(doc->save());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0],
              "Can't save to this file\n" + path + ": read-only\n\nSave it under another name?");
    prompts.answers = {common::Answer::Yes};
    prompts.files.push_back(elsewhere);
    EXPECT_TRUE(doc->save());
    EXPECT_EQ(read_file(path), before);
    EXPECT_EQ(doc->file_name(), elsewhere);
    EXPECT_FALSE(doc->is_modified());

    ASSERT_EQ(::link(elsewhere.c_str(), twin.c_str()), 0);
    const auto saved = read_file(elsewhere);
    db->satellites[0].lnb_freq_low ^= 1;
    doc->set_modified();
    prompts.answers = {common::Answer::No};
    EXPECT_FALSE(doc->save());
    EXPECT_EQ(read_file(elsewhere), saved);
    prompts.answers = {common::Answer::Yes};
    EXPECT_TRUE(doc->save());
    EXPECT_NE(read_file(elsewhere), saved);
    EXPECT_EQ(read_file(twin), saved); // the other name keeps what it had
}
