// Loading and saving a database whose every slot is used: block copies and one byte-swap pass,
// so each should take a few milliseconds at most.
#include "common/testing/scripted_prompts.h"
#include "korvid/database/ird_file.h"
#include "korvid/database/korvid_doc.h"
#include "korvid/database/tests/test_database.h"

#include <benchmark/benchmark.h>
#include <filesystem>

namespace {

using namespace korvid;

std::string bench_path()
{
    return (std::filesystem::temp_directory_path() / ("kd-bench-" + std::to_string(::getpid()) + ".ird"))
        .string();
}

std::unique_ptr<Database> random_full_database()
{
    auto db = testing::random_database(99);
    db->system.syscode = DB_SYSCODE_VALUE;
    return db;
}

void BM_OpenAndCheckFullDatabase(benchmark::State& state)
{
    std::string path = bench_path();
    write_database_file(*random_full_database(), 0x1234, 0x5678, path);
    auto db = std::make_unique<Database>();
    common::ScriptedPrompts prompts;
    CKorvidDoc doc(*db, prompts);
    for (auto _ : state) {
        prompts.files.push_back(path);
        doc.open_from_menu();
        if (!db->present)
            state.SkipWithError("the database did not load");
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_OpenAndCheckFullDatabase)->Unit(benchmark::kMillisecond);

void BM_PackAndSaveFullDatabase(benchmark::State& state)
{
    std::string path = bench_path();
    auto db = random_full_database();
    common::ScriptedPrompts prompts;
    CKorvidDoc doc(*db, prompts);
    doc.set_file_name(path);
    for (auto _ : state) {
        if (!doc.save())
            state.SkipWithError("save failed");
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_PackAndSaveFullDatabase)->Unit(benchmark::kMillisecond);

void BM_BuildImageForReceiverAndTakeBack(benchmark::State& state)
{
    auto db = random_full_database();
    std::vector<uint8_t> wire(1u << 20, 0);
    common::ScriptedPrompts prompts;
    for (auto _ : state) {
        db->build_image_for_receiver(wire.data());
        benchmark::DoNotOptimize(db->take_back_image(wire.data(), prompts));
    }
}
BENCHMARK(BM_BuildImageForReceiverAndTakeBack)->Unit(benchmark::kMillisecond);

} // namespace
