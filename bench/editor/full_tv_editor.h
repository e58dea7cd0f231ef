#pragma once
// The editor of the channel page benchmarks: a "TV" page over a database whose 4467 TV slots are all
// used, spread over 16 satellites and 320 transponders.
#include "common/strfmt.h"
#include "common/testing/scripted_prompts.h"
#include "korvid/database/channel_texts.h"
#include "korvid/database/korvid_doc.h"
#include "korvid/editor/editor_context.h"
#include "korvid/editor/editor_operations.h"
#include "korvid/editor/tv_channel_page.h"

#include <algorithm>
#include <memory>

namespace korvid::bench {

// What every editor benchmark stands on: a database, its document and the editor's context.
struct EditorBase
{
    std::unique_ptr<Database> db = std::make_unique<Database>();
    common::ScriptedPrompts prompts;
    CKorvidDoc doc{*db, prompts};
    DialogRunner dialogs;
    EditorSelection selection;
    EditorContext ctx{doc, prompts, dialogs, selection};
};

struct Editor : EditorBase
{
    TvChannelPage page{ctx};

    // Every TV slot used, spread over 16 satellites and 320 transponders; with `favourites`, the
    // first 200 channels are in all four groups.
    explicit Editor(bool favourites)
    {
        Database& d = *db;
        d.clear();
        std::fill(std::begin(d.fav_index), std::end(d.fav_index), INVALID_FAVENTRY);
        d.system.syscode = DB_SYSCODE_VALUE;
        for (int s = 0; s < 16; ++s) {
            for (int half = 0; half < 2; ++half) {
                tSatellite& sat = d.satellites[s + half * SAT_HALF_NUM];
                sat = tSatellite{};
                sat.sat_id = uint8_t(s + half * SAT_HALF_NUM);
                sat.position = int16_t(s * 50 - 400);
                store_satellite_name(d, s + half * SAT_HALF_NUM, common::strfmt("Satellite %d", s));
            }
        }
        for (int t = 0; t < 320; ++t) {
            tTransponder tp{};
            tp.sat_id = uint8_t(t % 16);
            tp.frequency = uint16_t(10700 + t * 5);
            tp.symbol_rate = 27500;
            tp.polarisation = uint8_t(t & 1);
            d.transponders[t] = tp;
            tp.sat_id = uint8_t(tp.sat_id + SAT_HALF_NUM);
            d.transponders[t + TP_HALF_NUM] = tp;
        }
        for (int c = 0; c < MAX_TV_CHAN_NUM; ++c) {
            tChannelStructure& ch = d.channels[c];
            ch.tp_index = uint16_t((c % 3 == 0 ? TP_HALF_NUM : 0) + c % 320);
            ch.service_id = uint16_t(c);
            ch.video_pid = uint16_t(0x100 + c % 0x1000);
            ch.audio_pid[0] = uint16_t(0x1100 + c % 0x800);
            ch.pcr_pid = ch.video_pid;
            ch.ttx_pid = uint16_t(TTX_PID_PRESENT | 0x40);
            ch.attributes = uint8_t(c & (CH_ATTR_LOCK | CH_ATTR_SCRAMBLED));
            ch.audio_lang[0] = uint8_t(c % AUDIO_LANGUAGE_NUM);
            store_channel_name(ch, common::strfmt("Channel %d", c));
        }
        d.system.chan_count[SERVICE_TV] = MAX_TV_CHAN_NUM;
        if (favourites) {
            for (int g = 0; g < MAX_FAVGROUP_NUM; ++g) {
                for (int c = 0; c < MAX_FAVCHAN_NUM; ++c) {
                    d.fav_list(g, SERVICE_TV)[c] = uint16_t(c);
                    d.channels[c].fav_membership |= uint8_t(CH_FAV_MEMBER | (1u << g));
                }
                d.system.fav_count[fav_list_index(g, SERVICE_TV)] = MAX_FAVCHAN_NUM;
            }
        }
        page.refresh();
    }
};

} // namespace korvid::bench
