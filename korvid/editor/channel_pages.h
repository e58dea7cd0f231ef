#pragma once
// The "TV", "RADIO" and "Favorite" pages, owned together and attached to the editor view's tabs
// when made. Whoever builds the view builds these beside it and keeps both alive as long.
#include "korvid/editor/editor_view.h"
#include "korvid/editor/favorite_page.h"
#include "korvid/editor/radio_channel_page.h"
#include "korvid/editor/tv_channel_page.h"

namespace korvid {

class ChannelPages
{
public:
    ChannelPages(EditorContext& ctx, EditorView& view)
        : tv(ctx)
        , radio(ctx)
        , favorite(ctx)
    {
        view.attach_page(EditorView::TAB_TV, tv);
        view.attach_page(EditorView::TAB_RADIO, radio);
        view.attach_page(EditorView::TAB_FAVORITE, favorite);
    }
    ChannelPages(const ChannelPages&) = delete;
    ChannelPages& operator=(const ChannelPages&) = delete;

    TvChannelPage tv;
    RadioChannelPage radio;
    FavoritePage favorite;
};

} // namespace korvid
