#include "korvid/editor/editor_view.h"

namespace korvid {

EditorView::EditorView(EditorContext& ctx)
    : ctx_(ctx)
    , sat_page_(ctx)
    , searched_page_(ctx)
    , tp_page_(ctx)
{
    pages_[TAB_SAT] = &sat_page_;
    pages_[TAB_SEARCHED_SAT] = &searched_page_;
    pages_[TAB_TP] = &tp_page_;
    ctx_.tuner_selection_query = [this] { return tuner_selection(); };
}

const char* EditorView::tab_caption(int tab)
{
    static const char* const captions[TAB_COUNT] = {"SAT", "SEARCHED SAT", "TP", "TV", "RADIO", "Favorite"};
    return (tab >= 0 && tab < TAB_COUNT) ? captions[tab] : "";
}

int EditorView::tuner_selection() const
{
    return ctx_.selection().active_sat_page == 1 ? searched_page_.tuner().selection()
                                                  : sat_page_.tuner().selection();
}

void EditorView::create_page(int tab)
{
    created_[tab] = true;
    if (pages_[tab])
        pages_[tab]->on_new_database();
}

void EditorView::first_update()
{
    current_tab_ = TAB_SAT;
    if (!created_[TAB_SAT])
        create_page(TAB_SAT);
}

void EditorView::select_tab(int tab)
{
    if (tab < 0 || tab >= TAB_COUNT)
        return;
    current_tab_ = tab;
    if (!created_[tab])
        create_page(tab);
    else if (pages_[tab])
        pages_[tab]->refresh();
}

void EditorView::on_new_database()
{
    // What was picked belonged to the old tables.
    ctx_.selection().reset();
    for (int tab = 0; tab < TAB_COUNT; ++tab) {
        created_[tab] = true;
        if (pages_[tab])
            pages_[tab]->on_new_database();
    }
}

void EditorView::show_all_db_data()
{
    ctx_.selection().reset();
    if (pages_[current_tab_])
        pages_[current_tab_]->refresh();
}

} // namespace korvid
