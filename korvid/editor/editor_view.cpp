#include "korvid/editor/editor_view.h"

namespace korvid {

EditorView::EditorView(EditorContext& ctx)
    : m_ctx(ctx)
    , m_sat_page(ctx)
    , m_searched_page(ctx)
    , m_tp_page(ctx)
{
    pages_[TAB_SAT] = &m_sat_page;
    pages_[TAB_SEARCHED_SAT] = &m_searched_page;
    pages_[TAB_TP] = &m_tp_page;
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
    created_[tab] = true;
    if (pages_[tab])
        pages_[tab]->on_new_database();
}

void EditorView::first_update()
{
    m_current_tab = TAB_SAT;
    if (!created_[TAB_SAT])
        create_page(TAB_SAT);
}

void EditorView::select_tab(int tab)
{
    if (tab < 0 || tab >= TAB_COUNT)
        return;
    m_current_tab = tab;
    if (!created_[tab])
        create_page(tab);
    else if (pages_[tab])
        pages_[tab]->refresh();
}

void EditorView::on_new_database()
{
    // What was picked belonged to the old tables.
    m_ctx.selection().reset();
    for (int tab = 0; tab < TAB_COUNT; ++tab) {
        created_[tab] = true;
        if (pages_[tab])
            pages_[tab]->on_new_database();
    }
}

void EditorView::show_all_db_data()
{
    m_ctx.selection().reset();
    if (pages_[m_current_tab])
        pages_[m_current_tab]->refresh();
}

} // namespace korvid
