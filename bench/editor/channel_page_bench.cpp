// The two channel page operations that scale with the whole table: refreshing a "TV" page whose
// 4467 slots are all used (target under 50 ms), and dragging 100 selected channels from one end of
// the list to the other (target under 200 ms). The drag is measured with the channels in no group
// and with each of them in all four groups, where every swap also rewrites favourite entries.
// Typing in the filter box over the same full list, one keystroke per iteration (target under 30 ms).
#include "bench/editor/full_tv_editor.h"

#include <benchmark/benchmark.h>
#include <numeric>

namespace {

using namespace korvid;
using korvid::bench::Editor;

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
