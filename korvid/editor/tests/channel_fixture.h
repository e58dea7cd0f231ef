#pragma once
// The editor fixture with the "TV", "RADIO" and "Favorite" pages attached, and the channel and
// favourite dialogs played by the test.
#include "korvid/database/channel_texts.h"
#include "korvid/editor/channel_dialog.h"
#include "korvid/editor/channel_pages.h"
#include "korvid/editor/favorite_dialog.h"
#include "korvid/editor/tests/editor_fixture.h"

#include <cstring>
#include <functional>

namespace korvid::testing {

class ChannelFixture : public EditorFixture
{
protected:
    ChannelFixture()
    {
        load();
        view.first_update();
    }

    TvChannelPage& tv() { return pages.tv; }
    RadioChannelPage& radio() { return pages.radio; }
    FavoritePage& fav() { return pages.favorite; }

    // Plays the user in the next channel dialog; OK is pressed and, when it refuses, the user cancels.
    void on_channel_dialog(std::function<void(ChannelDialog&)> user)
    {
        dialogs.channel = [this, user](ChannelDialog& d) {
            ++channel_dialogs_opened;
            user(d);
            return d.ok();
        };
    }
    // Plays the user in the next favourite dialog, then presses OK (or Cancel).
    void on_favorite_dialog(std::function<void(FavoriteDialog&)> user, bool press_ok = true)
    {
        dialogs.favorite = [this, user, press_ok](FavoriteDialog& d) {
            ++favorite_dialogs_opened;
            user(d);
            return press_ok && d.ok();
        };
    }

    // Fills TV slots with channels on transponder `tp` until `count` are used.
    void fill_tv(int count, int tp = 0)
    {
        while (db.system.chan_count[SERVICE_TV] < count)
            put_channel(db, SERVICE_TV, tp, "filler");
    }
    std::vector<uint16_t> fav_entries(int group, int type) const
    {
        std::vector<uint16_t> out;
        const uint16_t* list = db.fav_list(group, type);
        for (int i = 0; i < MAX_FAVCHAN_NUM && list[i] != INVALID_FAVENTRY; ++i)
            out.push_back(list[i]);
        return out;
    }
    std::string name_of(int global) const { return channel_name(db.channels[global]); }

    ChannelPages pages{ctx, view};
    int channel_dialogs_opened = 0;
    int favorite_dialogs_opened = 0;
};

} // namespace korvid::testing
