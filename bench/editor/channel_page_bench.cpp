// The two channel page operations that scale with the whole table: refreshing a "TV" page whose
// 4467 slots are all used (target under 50 ms), and dragging 100 selected channels from one end of
// the list to the other (target under 200 ms). The drag is measured with the channels in no group
// and with each of them in all four groups, where every swap also rewrites favourite entries.
// Typing in the filter box over the same full list, one keystroke per iteration (target under 30 ms).
#include "common/scripted_prompts.h"
#include "common/strfmt.h"
#include "korvid/database/korvid_doc.h"
#include "korvid/editor/channel_texts.h"
#include "korvid/editor/editor_context.h"
#include "korvid/editor/editor_operations.h"
#include "korvid/editor/tv_channel_page.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <memory>
#include <numeric>

namespace {

using namespace korvid;

struct Editor
{
    std::unique_ptr<Database> db = std::make_unique<Database>();
    common::ScriptedPrompts prompts;
    CKorvidDoc doc{*db, prompts};
    DialogRunner dialogs;
    EditorSelection selection;
    EditorContext ctx{doc, prompts, dialogs, selection};
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

void BM_RefreshFullTvPage(benchmark::State& state)
{
    Editor editor(false);
    for (auto _ : state) {
        editor.page.refresh();
        benchmark::DoNotOptimize(editor.page.list().rows.data());
    }
    if (editor.page.list().rows.size() != size_t(MAX_TV_CHAN_NUM))
        state.SkipWithError("the page does not list every channel");
    state.counters["rows"] = double(editor.page.list().rows.size());
}
BENCHMARK(BM_RefreshFullTvPage)->Unit(benchmark::kMillisecond);

// One drag per iteration: the first 100 rows onto the last row, then the last 100 rows onto the
// first, so every drag moves its channels across the whole list.
void BM_Drag100AcrossWholeList(benchmark::State& state)
{
    Editor editor(state.range(0) != 0);
    const int n = MAX_TV_CHAN_NUM;
    std::vector<int> top(100), bottom(100);
    std::iota(top.begin(), top.end(), 0);
    std::iota(bottom.begin(), bottom.end(), n - 100);
    bool down = true;
    for (auto _ : state) {
        if (down) {
            editor.page.select_rows(top);
            if (!editor.page.drag_and_drop(0, n - 1))
                state.SkipWithError("the drag moved nothing");
        } else {
            editor.page.select_rows(bottom);
            if (!editor.page.drag_and_drop(n - 1, 0))
                state.SkipWithError("the drag moved nothing");
        }
        down = !down;
    }
    state.SetLabel(state.range(0) ? "dragged channels in all four groups" : "no favourites");
}
BENCHMARK(BM_Drag100AcrossWholeList)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// "channel 4321" typed a character at a time and erased again, so that the filter goes from keeping
// every row to keeping one and back: 24 keystrokes per iteration, each one rebuilding the list.
// "keystroke" is the time of one of them.
void BM_FilterKeystrokeFullTvPage(benchmark::State& state)
{
    Editor editor(false);
    const std::string typed = "channel 4321";
    std::vector<std::string> steps;
    for (size_t n = 1; n <= typed.size(); ++n)
        steps.push_back(typed.substr(0, n));
    for (size_t n = typed.size() - 1; n > 0; --n)
        steps.push_back(typed.substr(0, n));
    steps.push_back({});
    for (auto _ : state) {
        size_t fewest = SIZE_MAX;
        for (const std::string& text : steps) {
            editor.page.set_filter(text);
            fewest = std::min(fewest, editor.page.list().rows.size());
        }
        if (fewest != 1 || editor.page.list().rows.size() != size_t(MAX_TV_CHAN_NUM))
            state.SkipWithError("the filter did not narrow the list to the one channel typed and back");
    }
    state.counters["keystroke"] = benchmark::Counter(
        double(steps.size()), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_FilterKeystrokeFullTvPage)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
