// The channel page operations of channel_page_bench.cpp through the "TV" page window, offscreen, as
// the window thread runs them: a full refresh (the model refreshed, the list shown again and painted)
// on a database with every TV slot used, and a drag of 100 selected channels to the end of the list
// (the drop handed to the model, the list shown again and painted). Target: under 50 ms each.
// And one keystroke in the filter box of the same list (target under 30 ms).
// Usage: korvid_editor_channel_page_wnd_bench [Google Benchmark options]
#include "bench/editor/full_tv_editor.h"
#include "korvid/editor/ui/channel_page_wnd.h"
#include "korvid/editor/ui/drag_list.h"
#include "korvid/editor/ui/editor_list.h"
#include "korvid/editor/ui/list_filter_edit.h"

#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <benchmark/benchmark.h>

namespace {

using namespace korvid;
using korvid::bench::Editor;

// The page as the editor shows it: 760 x 400, on screen.
struct Window
{
    Editor editor{false};
    CChannelPageWnd wnd{editor.page};

    Window()
    {
        wnd.resize(760, 400);
        wnd.show();
        paint();
    }
    void paint()
    {
        wnd.list()->horizontalHeader()->viewport()->repaint();
        wnd.list()->viewport()->repaint();
    }
    // The user selects rows [first, first + count) as a sweep of the mouse would.
    void select(int first, int count)
    {
        QAbstractItemModel* model = wnd.list()->model();
        const QItemSelection rows(model->index(first, 0),
                                  model->index(first + count - 1, model->columnCount() - 1));
        wnd.list()->selectionModel()->select(rows, QItemSelectionModel::ClearAndSelect);
    }
};

void BM_RefreshFullTvPageWindow(benchmark::State& state)
{
    Window w;
    for (auto _ : state) {
        w.editor.page.refresh();
        w.wnd.sync();
        w.paint();
    }
    if (w.wnd.list()->model()->rowCount() != MAX_TV_CHAN_NUM)
        state.SkipWithError("the window does not list every channel");
}
BENCHMARK(BM_RefreshFullTvPageWindow)->Unit(benchmark::kMillisecond);

// The first 100 rows dropped on the last row, as the mouse release over it reports; the selection
// and the scrolling to the end that precede it are not timed.
void BM_Drag100ToTheEndWindow(benchmark::State& state)
{
    Window w;
    const int n = MAX_TV_CHAN_NUM;
    for (auto _ : state) {
        state.PauseTiming();
        w.select(0, 100);
        const std::string first = channel_name(w.editor.db->channels[0]);
        CDragList* list = w.wnd.drag_list();
        list->scrollToBottom();
        const QPoint last_row =
            list->viewport()->mapToGlobal(list->visualRect(list->model()->index(n - 1, 1)).center());
        emit list->dragStarted(0);
        state.ResumeTiming();
        emit list->dragDropped(last_row);
        w.paint();
        state.PauseTiming();
        if (channel_name(w.editor.db->channels[n - 100]) != first)
            state.SkipWithError("the drag moved nothing");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Drag100ToTheEndWindow)->Unit(benchmark::kMillisecond);

// "channel 4321" typed into the filter box a character at a time and erased again: 24 keystrokes
// per iteration, each one refilling the model, showing the list again and painting it. "keystroke" is
// the time of one of them.
void BM_FilterKeystrokeWindow(benchmark::State& state)
{
    Window w;
    CListFilterEdit* box = w.wnd.list()->filter_edit();
    const QString typed = QStringLiteral("channel 4321");
    std::vector<QString> steps;
    for (qsizetype n = 1; n <= typed.size(); ++n)
        steps.push_back(typed.left(n));
    for (qsizetype n = typed.size() - 1; n >= 0; --n)
        steps.push_back(typed.left(n));
    for (auto _ : state) {
        int fewest = MAX_TV_CHAN_NUM;
        for (const QString& text : steps) {
            box->setText(text);
            w.paint();
            fewest = std::min(fewest, w.wnd.list()->model()->rowCount());
        }
        if (fewest != 1 || w.wnd.list()->model()->rowCount() != MAX_TV_CHAN_NUM)
            state.SkipWithError("the box did not narrow the list to the one channel typed and back");
    }
    state.counters["keystroke"] = benchmark::Counter(
        double(steps.size()), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_FilterKeystrokeWindow)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
