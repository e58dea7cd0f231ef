// Undo on a database with every slot used (128 satellites, 3276 transponders, 7445 channels, every
// favourite list full). Measured: recording a one-channel rename (the cost every change now pays),
// one undo and one redo of the first channel's deletion and of a satellite deletion that takes 1/64 of
// everything with it, first in the history alone and then with every page of the editor shown again, as
// Ctrl+Z does. The peer is a pack and unpack of the whole image, which an undo step cannot beat by much.
#include "bench/editor/full_tv_editor.h"
#include "common/strfmt.h"
#include "common/testing/scripted_prompts.h"
#include "korvid/database/channel_texts.h"
#include "korvid/database/korvid_doc.h"
#include "korvid/editor/channel_pages.h"
#include "korvid/editor/editor_context.h"
#include "korvid/editor/editor_operations.h"
#include "korvid/editor/editor_view.h"

#include <benchmark/benchmark.h>
#include <memory>
#include <vector>

namespace {

using namespace korvid;

struct FullEditor : korvid::bench::EditorBase
{
    EditorView view{ctx};
    ChannelPages pages{ctx, view};

    FullEditor()
    {
        Database& d = *db;
        d.clear();
        d.system.syscode = DB_SYSCODE_VALUE;
        for (int s = 0; s < SAT_HALF_NUM; ++s) {
            for (int half = 0; half < 2; ++half) {
                tSatellite& sat = d.satellites[s + half * SAT_HALF_NUM];
                sat = tSatellite{};
                sat.sat_id = uint8_t(s + half * SAT_HALF_NUM);
                sat.tuner_connection = half ? TUNER_T2 : TUNER_T1;
                sat.lnb_type = UNI_LNB;
                sat.lnb_freq_low = 9750;
                sat.lnb_freq_high = 10600;
                sat.position = int16_t(s * 25 - 800);
                store_satellite_name(d, s + half * SAT_HALF_NUM, common::strfmt("Satellite %02d", s));
            }
        }
        for (int t = 0; t < TP_HALF_NUM; ++t) {
            tTransponder tp{};
            tp.sat_id = uint8_t(t % SAT_HALF_NUM);
            tp.frequency = uint16_t(10700 + t);
            tp.symbol_rate = 27500;
            tp.polarisation = uint8_t(t & 1);
            d.transponders[t] = tp;
            tp.sat_id = uint8_t(tp.sat_id + SAT_HALF_NUM);
            d.transponders[t + TP_HALF_NUM] = tp;
        }
        for (int type : {SERVICE_TV, SERVICE_RADIO}) {
            const int first = first_slot_of(type), n = slot_count_of(type);
            for (int c = 0; c < n; ++c) {
                tChannelStructure& ch = d.channels[first + c];
                ch.tp_index = uint16_t(c % TP_HALF_NUM);
                ch.service_id = uint16_t(c);
                ch.video_pid = type == SERVICE_TV ? uint16_t(0x100 + c % 0x1000) : INVALID_PID;
                ch.audio_pid[0] = uint16_t(0x1100 + c % 0x800);
                store_channel_name(ch, common::strfmt("Channel %d", c));
            }
            d.system.chan_count[type] = uint16_t(n);
            for (int g = 0; g < MAX_FAVGROUP_NUM; ++g) {
                for (int e = 0; e < MAX_FAVCHAN_NUM; ++e) {
                    const int c = (g * 977 + e * 31) % n;
                    d.fav_list(g, type)[e] = uint16_t(c);
                    d.channels[first + c].fav_membership |= uint8_t(CH_FAV_MEMBER | (1u << g));
                }
                d.system.fav_count[fav_list_index(g, type)] = MAX_FAVCHAN_NUM;
            }
        }
        d.present = true;
        view.on_new_database();
        doc.restart_history();
    }

    // Deletes satellite 40 on the "SAT" page, as the user would.
    bool delete_satellite()
    {
        SatellitePage& sat = view.satellite_page();
        sat.click_row(sat.list().find_item(40));
        prompts.answers.push_back(common::Answer::Yes);
        sat.remove();
        return doc.history().can_undo();
    }
};

void BM_PackAndUnpackImage(benchmark::State& state)
{
    FullEditor e;
    std::vector<uint8_t> image(DB_IMAGE_SIZE, 0);
    for (auto _ : state) {
        e.db->pack_image(image.data());
        e.db->unpack_image(image.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PackAndUnpackImage)->Unit(benchmark::kMicrosecond);

void BM_RecordChannelRename(benchmark::State& state)
{
    FullEditor e;
    int i = 0;
    for (auto _ : state) {
        e.db->channels[i % 100].name[0] = char('A' + (i & 15));
        e.ctx.mark_modified("Edit channel");
        ++i;
    }
    state.counters["step_bytes"] = double(e.doc.history().last_step_bytes());
}
BENCHMARK(BM_RecordChannelRename)->Unit(benchmark::kMicrosecond);

// The first TV channel deleted: every channel after it moves up one slot, the largest step a
// single-channel edit makes. One iteration is one undo and one redo.
void BM_UndoRedoFirstChannelDeletion(benchmark::State& state)
{
    FullEditor e;
    e.view.select_tab(EditorView::TAB_TV);
    e.pages.tv.select_rows({0});
    e.prompts.answers.push_back(common::Answer::Yes);
    e.pages.tv.remove();
    for (auto _ : state) {
        if (!e.doc.undo() || !e.doc.redo())
            state.SkipWithError("nothing to undo");
    }
    state.counters["step_bytes"] = double(e.doc.history().last_step_bytes());
}
BENCHMARK(BM_UndoRedoFirstChannelDeletion)->Unit(benchmark::kMicrosecond);

// One iteration is one undo and one redo of the deletion.
void BM_UndoRedoSatelliteDeletion(benchmark::State& state)
{
    FullEditor e;
    if (!e.delete_satellite())
        state.SkipWithError("the deletion stored nothing");
    const bool with_pages = state.range(0) != 0;
    for (auto _ : state) {
        const bool ok = with_pages ? e.view.undo() && e.view.redo() : e.doc.undo() && e.doc.redo();
        if (!ok)
            state.SkipWithError("nothing to undo");
    }
    state.counters["step_bytes"] = double(e.doc.history().last_step_bytes());
    state.SetLabel(with_pages ? "with every page refilled" : "history only");
}
BENCHMARK(BM_UndoRedoSatelliteDeletion)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
