// send-db and recv-db of the whole image against receiver-sim pacing the line at a given baud
// rate. A byte on the line takes ten bit times; the ratio is the transfer's time over the wire
// time of every byte that crossed in either direction. 1.00 means the waits between packets add
// nothing.
//
//   korvid_link_transfer_bench [runs] [baud...]     (default: 3 runs at 115200 and 921600)
#include "common/testing/receiver_sim_process.h"
#include "common/testing/scripted_prompts.h"
#include "korvid/database/codes.h"
#include "korvid/database/ird_file.h"
#include "korvid/link/transfer/db_transfer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace korvid;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// Counts every byte that crosses the port, both ways.
class CountingLine : public SerialLine
{
public:
    CountingLine(std::unique_ptr<CComPort> port, uint64_t& count)
        : m_port(std::move(port))
        , m_count(count)
    {}
    uint32_t Write(const uint8_t* buf, uint32_t len) override
    {
        m_count += len;
        return m_port->Write(buf, len);
    }
    uint32_t Read(uint8_t* buf, uint32_t count) override
    {
        uint32_t n = m_port->Read(buf, count);
        m_count += n;
        return n;
    }
    bool ReadByte(uint8_t& out) override
    {
        bool got = m_port->ReadByte(out);
        m_count += got;
        return got;
    }
    uint32_t QueuedBytes() override { return m_port->QueuedBytes(); }
    void PurgeRx() override { m_port->PurgeRx(); }
    bool HungUp() const override { return m_port->HungUp(); }

private:
    std::unique_ptr<CComPort> m_port;
    uint64_t& m_count;
};

struct Run
{
    double seconds = 0;
    uint64_t bytes = 0;
    bool ok = false;
};

Run run_transfer(DbTransfer::Direction dir, uint32_t baud, const fs::path& work)
{
    Run r;
    std::vector<std::string> args{"--baud", std::to_string(baud)};
    if (dir == DbTransfer::Direction::Receive) {
        args.insert(args.end(), {"--exchange", "db-from-receiver", "--image", (work / "image.bin").string()});
    } else {
        args.insert(args.end(), {"--out", (work / "got.bin").string()});
    }
    common::testing::SimProcess sim(args, "/dev/null");
    if (sim.path().empty())
        return r;

    auto db = std::make_unique<Database>();
    common::ScriptedPrompts prompts;
    if (dir == DbTransfer::Direction::Send) {
        std::vector<uint8_t> buf;
        load_ird_file((work / "db.ird").string(), buf);
        read_database(*db, buf.data(), g_BuyerCode, g_ModelCode);
        db->present = true;
    } else {
        prompts.files.push_back((work / "out.ird").string());
    }
    CKorvidDoc doc(*db, prompts);
    DbTransfer t(doc, prompts);
    bool prepared = dir == DbTransfer::Direction::Send ? t.prepare_send({}) : t.prepare_receive({});
    auto port = std::make_unique<CComPort>(&prompts);
    if (!prepared || !port->OpenPath(sim.path(), 1))
        return r;
    SteadyLinkClock clock;
    TransferObserver quiet;
    auto start = Clock::now();
    t.start(std::make_unique<CountingLine>(std::move(port), r.bytes), clock, quiet);
    t.wait(600000);
    r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    r.ok = t.finish() == DbTransferOutcome::Complete && sim.wait() == 0;
    return r;
}

} // namespace

int main(int argc, char** argv)
{
    int runs = argc > 1 ? std::atoi(argv[1]) : 3;
    std::vector<uint32_t> bauds;
    for (int i = 2; i < argc; ++i)
        bauds.push_back(uint32_t(std::strtoul(argv[i], nullptr, 10)));
    if (bauds.empty())
        bauds = {115200, 921600};

    fs::path work = fs::temp_directory_path() / ("korvid_link_bench_" + std::to_string(::getpid()));
    fs::create_directories(work);
    {
        // A full database: every table filled, so nothing on the line is a run of zeros.
        auto db = std::make_unique<Database>();
        std::vector<uint8_t> noise(sizeof(Database));
        uint32_t x = 1;
        uint8_t* raw = reinterpret_cast<uint8_t*>(db->channels);
        for (size_t i = 0; i < sizeof db->channels; ++i)
            raw[i] = uint8_t((x = x * 1103515245 + 12345) >> 24);
        db->system.syscode = DB_SYSCODE_VALUE;
        write_database_file(*db, 0xFFFF, 0xFFFF, (work / "db.ird").string());
        std::vector<uint8_t> image(DB_TRANSFER_BUFFER_SIZE, 0);
        db->build_image_for_receiver(image.data());
        std::ofstream(work / "image.bin", std::ios::binary)
            .write(reinterpret_cast<const char*>(image.data()), DB_IMAGE_SIZE);
    }

    std::printf("%-8s %8s %10s %10s %10s %8s\n", "transfer", "baud", "bytes", "wire s", "took s", "ratio");
    int failures = 0;
    for (uint32_t baud : bauds) {
        for (auto dir : {DbTransfer::Direction::Send, DbTransfer::Direction::Receive}) {
            const char* name = dir == DbTransfer::Direction::Send ? "send-db" : "recv-db";
            double best = 1e9;
            for (int i = 0; i < runs; ++i) {
                Run r = run_transfer(dir, baud, work);
                if (!r.ok) {
                    std::printf("%-8s %8u  failed\n", name, baud);
                    ++failures;
                    continue;
                }
                double wire = double(r.bytes) * 10.0 / baud;
                best = std::min(best, r.seconds / wire);
                std::printf("%-8s %8u %10llu %10.3f %10.3f %8.4f\n", name, baud, (unsigned long long)r.bytes,
                            wire, r.seconds, r.seconds / wire);
            }
            if (best < 1e9)
                std::printf("%-8s %8u best ratio %.4f (target <= 1.03)\n", name, baud, best);
        }
    }
    fs::remove_all(work);
    return failures ? 1 : 0;
}
