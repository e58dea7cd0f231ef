// The text forms of a database with every channel slot in use: the factory-table export, the JSON
// dump and the JSON build. Packing the same database into .ird bytes runs beside them as the peer,
// so the figures can be read as ratios on any machine.
#include "korvid/database/channel_export.h"
#include "korvid/database/database_json.h"
#include "korvid/database/ird_file.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

using namespace korvid;

std::unique_ptr<Database> every_slot_database()
{
    auto db = std::make_unique<Database>();
    db->clear();
    db->system.syscode = DB_SYSCODE_VALUE;
    for (int s = 0; s < MAX_SAT_NUM; ++s) {
        tSatellite& sat = db->satellites[s];
        sat.sat_id = uint8_t(s);
        sat.lnb_freq_high = 10600;
        sat.lnb_freq_low = 9750;
        sat.position = int16_t(1800 - 25 * (s % 64));
        std::snprintf(db->sat_names[s], sizeof db->sat_names[s], "Satellite %d", s % 64);
    }
    for (int t = 0; t < MAX_TP_NUM; ++t) {
        tTransponder& tp = db->transponders[t];
        tp.sat_id = uint8_t(t % 64 + (t >= TP_HALF_NUM ? 64 : 0));
        tp.frequency = uint16_t(10700 + t % 2000);
        tp.symbol_rate = 27500;
        tp.sr_offset = 10;
        tp.polarisation = uint8_t(t & 1);
        tp.fec = uint8_t(t % 6);
    }
    for (int c = 0; c < MAX_CHAN_NUM; ++c) {
        tChannelStructure& ch = db->channels[c];
        ch.tp_index = uint16_t(c % TP_HALF_NUM);
        ch.service_id = uint16_t(c + 1);
        ch.audio_pid[0] = uint16_t(0x100 + c % 0x1000);
        ch.video_pid = c < MAX_TV_CHAN_NUM ? uint16_t(0x200 + c % 0x1000) : INVALID_PID;
        ch.pcr_pid = ch.video_pid;
        ch.audio_lang[0] = 17;
        std::snprintf(reinterpret_cast<char*>(ch.name), sizeof ch.name, "Chan %d", c);
        db->language_bytes[c] = 17;
    }
    for (int g = 0; g < MAX_FAVGROUP_NUM; ++g)
        for (int type : {SERVICE_TV, SERVICE_RADIO})
            for (int p = 0; p < MAX_FAVCHAN_NUM; ++p) {
                int rel = g * MAX_FAVCHAN_NUM + p;
                db->fav_list(g, type)[p] = uint16_t(rel);
                db->channels[first_slot_of(type) + rel].fav_membership |= uint8_t(CH_FAV_MEMBER | (1 << g));
            }
    for (int r = 0; r < MAX_EXAUD_NUM; ++r) {
        db->ext_audio[r].in_use = 1;
        db->ext_audio[r].count = 2;
        for (auto& pid : db->ext_audio[r].pid)
            pid = INVALID_PID;
    }
    return db;
}

const Database& database()
{
    static auto db = every_slot_database();
    return *db;
}

void BM_PackIrdPeer(benchmark::State& state)
{
    std::vector<uint8_t> out;
    for (auto _ : state) {
        encode_database(database(), 1, 2, out);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_PackIrdPeer)->Unit(benchmark::kMillisecond);

void BM_ExportChannelTables(benchmark::State& state)
{
    size_t bytes = 0;
    for (auto _ : state) {
        std::string text = export_channel_tables(database());
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["text_bytes"] = double(bytes);
}
BENCHMARK(BM_ExportChannelTables)->Unit(benchmark::kMillisecond);

void BM_DumpJson(benchmark::State& state)
{
    size_t bytes = 0;
    for (auto _ : state) {
        std::string text = dump_database_json(database(), 1, 2);
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["text_bytes"] = double(bytes);
}
BENCHMARK(BM_DumpJson)->Unit(benchmark::kMillisecond);

void BM_BuildJson(benchmark::State& state)
{
    std::string text = dump_database_json(database(), 1, 2);
    for (auto _ : state) {
        DatabaseFromJson built = build_database_from_json(text);
        if (!built.db)
            state.SkipWithError(built.error.c_str());
        benchmark::DoNotOptimize(built.db.get());
    }
}
BENCHMARK(BM_BuildJson)->Unit(benchmark::kMillisecond);

} // namespace
