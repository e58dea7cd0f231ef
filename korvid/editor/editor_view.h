#pragma once
// The editor view as a model: the six tabs, which pages exist yet, the current tab, the tuner
// selection query the pages share, and the view-wide commands. The satellite and transponder pages
// live here; the channel and favourite pages are attached by whoever builds them.
#include "korvid/editor/editor_context.h"
#include "korvid/editor/editor_page.h"
#include "korvid/editor/satellite_page.h"
#include "korvid/editor/searched_satellite_page.h"
#include "korvid/editor/transponder_page.h"

namespace korvid {

class EditorView
{
public:
    enum Tab
    {
        TAB_SAT = 0,
        TAB_SEARCHED_SAT,
        TAB_TP,
        TAB_TV,
        TAB_RADIO,
        TAB_FAVORITE,
        TAB_COUNT
    };
    static constexpr int LAYOUT_WIDTH = 760;
    static constexpr int LAYOUT_HEIGHT = 400;

    // Wires the context's tuner selection query to this view's satellite pages.
    explicit EditorView(EditorContext& ctx);
    EditorView(const EditorView&) = delete;
    EditorView& operator=(const EditorView&) = delete;

    static const char* tab_caption(int tab);
    // The tab `step` places after `tab` (before it when negative), going round past either end, as
    // Ctrl+Tab and Ctrl+Shift+Tab move.
    static int neighbour_tab(int tab, int step) { return ((tab + step) % TAB_COUNT + TAB_COUNT) % TAB_COUNT; }

    SatellitePage& satellite_page() { return m_sat_page; }
    SearchedSatellitePage& searched_satellite_page() { return m_searched_page; }
    TransponderPage& transponder_page() { return m_tp_page; }
    // Gives the view the page of a tab it does not own (TV, RADIO, Favorite).
    void attach_page(int tab, EditorPage& page) { m_pages[tab] = &page; }
    EditorPage* page(int tab) { return (tab >= 0 && tab < TAB_COUNT) ? m_pages[tab] : nullptr; }

    int current_tab() const { return m_current_tab; }
    bool page_created(int tab) const { return tab >= 0 && tab < TAB_COUNT && m_created[tab]; }

    // The view is first shown: only the "SAT" page is made and filled.
    void first_update();
    // A tab was chosen: its page is made if need be, then refreshed.
    void select_tab(int tab);
    // A database was loaded or received: the selection is reset, every page is made and refreshed.
    void on_new_database();
    // "Show All DB Data": no satellite, no transponder, first satellite page; the current tab refreshes.
    void show_all_db_data();
    // Ctrl+Z and Ctrl+Y: the tables go one step back or forward in the document's history, every
    // page shows them again, and the selection keeps what still exists. False when there was no
    // step to take.
    bool undo();
    bool redo();
    // File > "Order Like...": the channels put in the order of another database
    // (order_like_dialog.h), then every page shows them again as after an undo. False when nothing
    // changed.
    bool order_like();
    // 0 T1, 1 T2, -1 none: the selector of the satellite page named by the active satellite page.
    int tuner_selection() const;

private:
    void create_page(int tab);
    // The tables changed under the pages (an undo, a redo, a reorder of every channel).
    void after_history_step();

    EditorContext& m_ctx;
    SatellitePage m_sat_page;
    SearchedSatellitePage m_searched_page;
    TransponderPage m_tp_page;
    EditorPage* m_pages[TAB_COUNT] = {};
    bool m_created[TAB_COUNT] = {};
    int m_current_tab = TAB_SAT;
};

} // namespace korvid
