// The preview of "Update Transponders...": a scan table of 100 transponders read from text and
// matched against a satellite that holds 100 of its own (every second one moved by a megahertz,
// a quarter of them missing from the list), with every channel slot in use, so the count of the
// channels on each removal runs over the whole table. Target under 100 ms.
#include "korvid/database/transponder_list.h"
#include "korvid/editor/editor_operations.h"
#include "korvid/editor/transponder_update.h"

#include <benchmark/benchmark.h>
#include <memory>
#include <string>

namespace {

using namespace korvid;

void BM_PreviewOf100TransponderList(benchmark::State& state)
{
    auto db = std::make_unique<Database>();
    db->clear();
    db->system.syscode = DB_SYSCODE_VALUE;
    for (int half = 0; half < 2; ++half) {
        db->satellites[half * SAT_HALF_NUM].sat_id = uint8_t(half * SAT_HALF_NUM);
        db->satellites[half * SAT_HALF_NUM].position = 130;
    }
    std::string text;
    for (int i = 0; i < 100; ++i) {
        const uint16_t freq = uint16_t(10700 + 20 * i);
        store_transponder_pair(
            *db, i,
            edited_transponder(tTransponder{}, 0, uint16_t(freq + (i % 2)), 27500, uint8_t(i % 2), 3));
        // The list leaves out every fourth of the database's and has as many new ones.
        const int listed = i % 4 == 3 ? freq + 10 : freq;
        text += "[CHANNEL]\n\tDELIVERY_SYSTEM = DVBS\n\tFREQUENCY = " + std::to_string(listed * 1000) +
                "\n\tPOLARIZATION = " + (i % 2 ? "HORIZONTAL" : "VERTICAL") +
                "\n\tSYMBOL_RATE = 27500000\n\tINNER_FEC = 3/4\n\tINVERSION = AUTO\n\n";
    }
    for (int c = 0; c < MAX_CHAN_NUM; ++c)
        db->channels[c].tp_index = uint16_t(c % 100);
    size_t changes = 0;
    for (auto _ : state) {
        TransponderList list;
        std::string error;
        if (!parse_transponder_list(text, "Bench-13.0E", list, error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        const TransponderUpdatePlan plan = plan_transponder_update(
            *db, 0, list.satellites[size_t(choose_source_satellite(list, 130, "Bench"))]);
        changes = plan.changes.size();
        benchmark::DoNotOptimize(plan.changes.data());
    }
    state.counters["changes"] = double(changes);
}
BENCHMARK(BM_PreviewOf100TransponderList)->Unit(benchmark::kMillisecond);

} // namespace
