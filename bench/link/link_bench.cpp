// A whole database send over a pseudo-terminal pair against receiver-sim: how close the loop
// comes to the time the bytes need on the wire at a given baud rate, and how fast it goes when
// nothing paces it.
#include "common/testing/receiver_sim_process.h"
#include "korvid/link/com_port.h"
#include "korvid/link/exchange_loop.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>

using namespace korvid;

namespace {

// Counts every byte that crosses the line in either direction.
class CountingLine : public SerialLine
{
public:
    explicit CountingLine(SerialLine& inner)
        : m_inner(inner)
    {}
    uint64_t bytes = 0;
    uint32_t Write(const uint8_t* buf, uint32_t len) override
    {
        bytes += len;
        return m_inner.Write(buf, len);
    }
    uint32_t Read(uint8_t* buf, uint32_t count) override
    {
        uint32_t n = m_inner.Read(buf, count);
        bytes += n;
        return n;
    }
    bool ReadByte(uint8_t& out) override
    {
        bool got = m_inner.ReadByte(out);
        bytes += got;
        return got;
    }
    uint32_t QueuedBytes() override { return m_inner.QueuedBytes(); }
    void PurgeRx() override { m_inner.PurgeRx(); }

private:
    SerialLine& m_inner;
};

void send_database(benchmark::State& state, uint32_t size, uint32_t baud)
{
    std::vector<uint8_t> image(size);
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = uint8_t(i * 131 + 7);
    FlashBlockTable blocks;
    ItemTable items;
    fill_database_flash_map(blocks, items);
    uint16_t buyer = 0xFFFF, model = 0xFFFF;
    std::string log = (std::filesystem::temp_directory_path() / "korvid-link-bench-sim.log").string();
    double seconds = 0, wire_seconds = 0;
    for (auto _ : state) {
        std::vector<std::string> args;
        if (baud)
            args = {"--baud", std::to_string(baud)};
        common::testing::SimProcess sim(args, log);
        ::setenv("KORVID_SERIAL_PORTS", sim.path().c_str(), 1);
        CComPort port;
        if (!port.Open(1)) {
            state.SkipWithError("cannot open the pseudo-terminal");
            return;
        }
        CountingLine line(port);
        ExchangeSetup setup;
        setup.payload = image.data();
        setup.payload_size = size;
        setup.block_table = &blocks;
        setup.item_table = &items;
        setup.buyer_code = &buyer;
        setup.model_code = &model;
        std::atomic<bool> running{true};
        ExchangeObserver quiet;
        SteadyLinkClock clock;
        auto t = std::chrono::steady_clock::now();
        ExchangeLoop loop(line, clock, quiet, setup, running);
        ExchangeResult r = loop.run();
        double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
        port.Close();
        if (r.outcome != ExchangeOutcome::Complete || sim.wait(5000) != 0) {
            state.SkipWithError("the exchange did not complete");
            return;
        }
        state.SetIterationTime(s);
        seconds += s;
        // Ten bit times per byte; the exchange is half-duplex, so both directions add up.
        if (baud)
            wire_seconds += double(line.bytes) * 10 / baud;
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * size);
    if (baud)
        state.counters["ratio_to_wire_time"] = seconds / wire_seconds;
}

void BM_DatabaseSendUnpaced(benchmark::State& state)
{
    send_database(state, DB_TRANSFER_SIZE, 0);
}
void BM_SendPaced(benchmark::State& state)
{
    send_database(state, uint32_t(state.range(0)), uint32_t(state.range(1)));
}

} // namespace

BENCHMARK(BM_DatabaseSendUnpaced)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
// 64 KiB at 460800 baud and at 115200 baud (the link's own rate).
BENCHMARK(BM_SendPaced)
    ->Args({65536, 460800})
    ->Args({65536, 115200})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
