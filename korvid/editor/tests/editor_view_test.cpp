// The editor view: tabs, when pages are made and refreshed, the tuner selection query and the
// view-wide commands.
#include "korvid/database/ird_file.h"
#include "korvid/editor/tests/editor_fixture.h"

#include <cstdio>

using namespace korvid;
using namespace korvid::testing;

namespace {

// Stands in for a page another part of the editor provides, counting what the view asks of it.
class CountingPage : public EditorPage
{
public:
    int refreshes = 0;
    int new_databases = 0;
    void refresh() override { ++refreshes; }
    void on_new_database() override { ++new_databases; }
};

} // namespace

class EditorViewTest : public EditorFixture
{
};

TEST_F(EditorViewTest, PagesAreMadeWhenFirstNeeded)
{
    CountingPage tv;
    view.attach_page(EditorView::TAB_TV, tv);
    EXPECT_EQ(std::string(EditorView::tab_caption(EditorView::TAB_SEARCHED_SAT)), "SEARCHED SAT");
    EXPECT_EQ(std::string(EditorView::tab_caption(EditorView::TAB_FAVORITE)), "Favorite");

    view.first_update();
    EXPECT_TRUE(view.page_created(EditorView::TAB_SAT));
    EXPECT_FALSE(view.page_created(EditorView::TAB_TP));
    EXPECT_EQ(view.satellite_page().list().rows.size(), 32u);
    EXPECT_TRUE(view.transponder_page().list().rows.empty());

    view.select_tab(EditorView::TAB_TV);
    EXPECT_EQ(view.current_tab(), EditorView::TAB_TV);
    EXPECT_EQ(tv.new_databases, 1);
    view.select_tab(EditorView::TAB_SAT);
    view.select_tab(EditorView::TAB_TV);
    EXPECT_EQ(tv.refreshes, 1);

    // A new database reaches every page, even those never shown.
    fill_sample_database(db);
    put_satellite(db, 50, "Fresh", 0);
    view.on_new_database();
    EXPECT_TRUE(view.page_created(EditorView::TAB_RADIO));
    EXPECT_EQ(tv.new_databases, 2);
    EXPECT_EQ(view.transponder_page().list().rows.size(), 12u);
    EXPECT_EQ(view.transponder_page().db_combo().entries.back(), "Fresh");
    EXPECT_EQ(view.satellite_page().list().rows.size(), 33u);
}

TEST_F(EditorViewTest, TabChangeKeepsTheTunerChoiceAndANewDatabaseRereadsIt)
{
    view.first_update();
    view.satellite_page().choose_tuner(TUNER_SEL_T2);
    view.select_tab(EditorView::TAB_TP);
    view.select_tab(EditorView::TAB_SAT);
    EXPECT_EQ(view.satellite_page().tuner().selection(), TUNER_SEL_T2);
    EXPECT_EQ(view.satellite_page().list().rows[0].item_data, 64);

    view.satellite_page().click_row(2);
    view.select_tab(EditorView::TAB_TP);
    view.transponder_page().click_row(0);
    load(TunerMode::Twin);
    EXPECT_TRUE(view.satellite_page().list().selected.empty());
    EXPECT_TRUE(view.transponder_page().list().selected.empty());
    EXPECT_EQ(view.satellite_page().tuner().label(), "TUNER: TWIN");
    EXPECT_EQ(view.searched_satellite_page().tuner().label(), "TUNER: TWIN");
    EXPECT_EQ(view.satellite_page().list().rows[0].item_data, 0);
    load(TunerMode::T1T2);
    EXPECT_EQ(view.satellite_page().tuner().selection(), TUNER_SEL_T1);
    view.satellite_page().click_row(2);
    load(TunerMode::T1T2);
    EXPECT_TRUE(view.satellite_page().list().selected.empty());
}

TEST_F(EditorViewTest, TunerSelectionQueryFollowsTheActiveSatellitePage)
{
    load();
    view.searched_satellite_page().choose_tuner(TUNER_SEL_T2);
    EXPECT_EQ(view.tuner_selection(), TUNER_SEL_T1);
    view.searched_satellite_page().click_row(0);
    EXPECT_EQ(view.tuner_selection(), TUNER_SEL_T2);
    EXPECT_EQ(ctx.tuner_selection(), TUNER_SEL_T2);
    view.satellite_page().click_row(0);
    EXPECT_EQ(view.tuner_selection(), TUNER_SEL_T1);
}

TEST_F(EditorViewTest, ShowAllClearsTheSelection)
{
    load();
    view.select_tab(EditorView::TAB_TP);
    view.transponder_page().choose_db(2);
    view.transponder_page().click_row(0);
    selection.active_sat_page = 1;
    view.show_all_db_data();
    EXPECT_EQ(selection.current_sat, INVALID_SATID);
    EXPECT_EQ(selection.current_tp, INVALID_TPID);
    EXPECT_EQ(selection.active_sat_page, 0);
    EXPECT_EQ(view.transponder_page().list().rows.size(), 12u);
}

TEST_F(EditorViewTest, ANewDatabaseResetsTheSelectionBeforeThePagesRefresh)
{
    load();
    view.select_tab(EditorView::TAB_TP);
    view.transponder_page().choose_db(2);
    view.transponder_page().click_row(0);
    selection.active_sat_page = 1;
    ASSERT_NE(selection.current_tp, INVALID_TPID);

    // The document announces a loaded or received database; the pages see no stale filter.
    const std::string path = ::testing::TempDir() + "editor_view_new_database.ird";
    ASSERT_TRUE(write_database_file(db, 0x1234, 0x5678, path));
    doc.on_new_database = [this] { view.on_new_database(); };
    doc.open_by_name(path);
    std::remove(path.c_str());
    EXPECT_EQ(selection.current_sat, INVALID_SATID);
    EXPECT_EQ(selection.current_tp, INVALID_TPID);
    EXPECT_EQ(selection.active_sat_page, 0);
    EXPECT_EQ(view.transponder_page().list().rows.size(), 12u);
}

TEST_F(EditorViewTest, TunerModeComesFromTheFirstUsedDefaultSatellite)
{
    fill_sample_database(db);
    EXPECT_EQ(read_tuner_mode(db), TunerMode::T1T2);
    db.satellites[0].sat_id = INVALID_SATID;
    db.satellites[1].tuner_connection = TUNER_TWIN;
    db.satellites[2].tuner_connection = TUNER_LOOP;
    EXPECT_EQ(read_tuner_mode(db), TunerMode::Twin);
    db.satellites[1].tuner_connection = 7; // anything unknown reads as Loop
    EXPECT_EQ(read_tuner_mode(db), TunerMode::Loop);
    for (int s = 0; s < 32; ++s)
        db.satellites[s].sat_id = INVALID_SATID;
    db.satellites[40].sat_id = 40;
    db.satellites[40].tuner_connection = TUNER_TWIN; // only the default slots count
    EXPECT_EQ(read_tuner_mode(db), TunerMode::T1T2);
}
