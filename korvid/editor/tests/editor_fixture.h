#pragma once
// The editor as a user meets it, for tests: a sample database, a document, scripted prompts, dialogs
// played by the test, and the editor view with its pages. Every test step can end with
// EXPECT_CONSISTENT(), which runs the invariant checker.
#include "common/testing/scripted_prompts.h"
#include "korvid/database/database_invariants.h"
#include "korvid/database/korvid_doc.h"
#include "korvid/editor/editor_operations.h"
#include "korvid/editor/editor_view.h"
#include "korvid/editor/satellite_dialog.h"
#include "korvid/editor/transponder_dialog.h"
#include "korvid/editor/tuner_mode.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace korvid::testing {

// Sample contents, chosen so that every cascade has something to cascade through:
//  - satellites 0..31 used ("Sat 00".."Sat 31"), twins 64..95, positions (s * 70 - 1000) tenths,
//    tuner connection by `mode` (T1T2: 0 / twin 1; Loop: 2 / 1; Twin: 3 / 1), universal LNB;
//  - transponders on satellites 0 to 3, three each, in entries 0..11 (satellite s gets entries
//    3s..3s+2): 11000/27500 V, 12000/27500 H, 12500/22000 V; twins at +1638;
//  - TV channels 0..5: on entries 0,1,3,4,6 and on 1638+7 (satellite 2 seen from T2);
//  - radio channels 4467..4469 on entries 2, 5, 9;
//  - favourites: group 0 TV {1, 3, 5}, group 2 TV {3}, group 1 radio {1}, with counts and bits.
void fill_sample_database(Database& db, TunerMode mode = TunerMode::T1T2);

// Puts a satellite and its twin into a free pair of slots, as Add would.
void put_satellite(Database& db, int slot, const std::string& name, int16_t position);
// Puts a transponder and its twin into a free pair of entries.
void put_transponder(Database& db, int entry, int sat, uint16_t freq, uint16_t sr, uint8_t pol);
// Appends a channel of a type on a transponder; returns its global index.
int put_channel(Database& db, int type, int tp_index, const char* name);
// Adds a channel (global index) to group g's list of its type.
void put_favourite(Database& db, int group, int global_index);

class EditorFixture : public ::testing::Test
{
protected:
    EditorFixture();
    // Loads the sample (or leaves the database as the test made it) and tells the view, as opening a
    // file does; the document starts unmodified.
    void load(TunerMode mode = TunerMode::T1T2);
    void announce_new_database();

    // Plays the user in the next satellite or transponder dialog: `user` works the controls, then OK
    // is pressed. When OK refuses, the user cancels. Unscripted dialogs are cancelled.
    void on_satellite_dialog(std::function<void(SatelliteDialog&)> user);
    void on_transponder_dialog(std::function<void(TransponderDialog&)> user);

    // The row of a page list with a given item data, or -1.
    static int row_of(const ListState& list, int item);
    std::string last_message() const { return prompts.shown.empty() ? std::string() : prompts.shown.back(); }

    std::unique_ptr<Database> db_owner = std::make_unique<Database>();
    Database& db = *db_owner;
    common::ScriptedPrompts prompts;
    CKorvidDoc doc{db, prompts};
    DialogRunner dialogs;
    EditorSelection selection;
    EditorContext ctx{doc, prompts, dialogs, selection};
    EditorView view{ctx};
    int satellite_dialogs_opened = 0;
    int transponder_dialogs_opened = 0;
};

} // namespace korvid::testing

#define EXPECT_CONSISTENT()                                                                                  \
    do {                                                                                                     \
        const auto broken = ::korvid::check_database_invariants(db);                                         \
        EXPECT_TRUE(broken.empty()) << (broken.empty() ? std::string() : broken.front());                    \
    } while (0)
