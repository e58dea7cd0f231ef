#include "korvid/editor/editor_view.h"

#include "korvid/editor/editor_operations.h"
#include "korvid/editor/order_like_dialog.h"

namespace korvid {

EditorView::EditorView(EditorContext& ctx)
    : m_ctx(ctx)
    , m_sat_page(ctx)
    , m_searched_page(ctx)
    , m_tp_page(ctx)
{
    m_pages[TAB_SAT] = &m_sat_page;
    m_pages[TAB_SEARCHED_SAT] = &m_searched_page;
    m_pages[TAB_TP] = &m_tp_page;
    m_ctx.tuner_selection_query = [this] { return tuner_selection(); };
}

const char* EditorView::tab_caption(int tab)
{
    static const char* const captions[TAB_COUNT] = {"SAT", "SEARCHED SAT", "TP", "TV", "RADIO", "Favorite"};
    return (tab >= 0 && tab < TAB_COUNT) ? captions[tab] : "";
}

int EditorView::tuner_selection() const
{
    return m_ctx.selection().active_sat_page == 1 ? m_searched_page.tuner().selection()
                                                  : m_sat_page.tuner().selection();
}

void EditorView::create_page(int tab)
{
    m_created[tab] = true;
    if (m_pages[tab])
        m_pages[tab]->on_new_database();
}

void EditorView::first_update()
{
    m_current_tab = TAB_SAT;
    if (!m_created[TAB_SAT])
        create_page(TAB_SAT);
}

void EditorView::select_tab(int tab)
{
    if (tab < 0 || tab >= TAB_COUNT)
        return;
    m_current_tab = tab;
    if (!m_created[tab])
        create_page(tab);
    else if (m_pages[tab])
        m_pages[tab]->refresh();
}

void EditorView::on_new_database()
{
    // What was picked belonged to the old tables.
    m_ctx.selection().reset();
    for (int tab = 0; tab < TAB_COUNT; ++tab) {
        m_created[tab] = true;
        if (m_pages[tab])
            m_pages[tab]->on_new_database();
    }
}

void EditorView::show_all_db_data()
{
    m_ctx.selection().reset();
    if (m_pages[m_current_tab])
        m_pages[m_current_tab]->refresh();
}

bool EditorView::undo()
{
    if (!m_ctx.doc.undo())
        return false;
    after_history_step();
    return true;
}

bool EditorView::redo()
{
    if (!m_ctx.doc.redo())
        return false;
    after_history_step();
    return true;
}

bool EditorView::order_like()
{
    if (!order_like_command(m_ctx))
        return false;
    after_history_step();
    return true;
}

void EditorView::after_history_step()
{
    // Unlike a new database, the user's picks stay where they still name something: undoing an
    // edit on the "TP" page should not throw the page back to every transponder.
    EditorSelection& sel = m_ctx.selection();
    const Database& db = m_ctx.db;
    if (sel.current_sat != INVALID_SATID && !satellite_used(db, sel.current_sat)) {
        sel.current_sat = INVALID_SATID;
        sel.current_tp = INVALID_TPID;
    }
    if (sel.current_tp != INVALID_TPID && !transponder_used(db, sel.current_tp))
        sel.current_tp = INVALID_TPID;
    // Rows remembered by slot may name other records now, so every page reads the tables afresh.
    // A hidden page filling its satellite combo drops a satellite it does not list from the shared
    // selection; it fills again under the real selection when its tab is chosen, so only the page
    // on screen may change what is picked.
    const EditorSelection kept = sel;
    for (int tab = 0; tab < TAB_COUNT; ++tab) {
        m_created[tab] = true;
        if (tab != m_current_tab && m_pages[tab]) {
            m_pages[tab]->on_new_database();
            sel = kept;
        }
    }
    if (m_pages[m_current_tab])
        m_pages[m_current_tab]->on_new_database();
}

} // namespace korvid
