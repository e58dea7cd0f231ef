// CComPort on real pseudo-terminals: reads that never wait without end, exclusive use, the port
// table, and a close that keeps the last bytes.
#include "common/scripted_prompts.h"
#include "common/testing/pty_pair.h"
#include "korvid/link/com_port.h"

#include <atomic>
#include <cstdlib>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

using namespace korvid;
using namespace common::testing;
using Bytes = std::vector<uint8_t>;
using ms = std::chrono::milliseconds;

namespace {

long since_ms(std::chrono::steady_clock::time_point t)
{
    return long(std::chrono::duration_cast<ms>(std::chrono::steady_clock::now() - t).count());
}

// Waits until the port has `n` bytes queued (a pseudo-terminal hands bytes over asynchronously).
bool wait_queued(CComPort& port, uint32_t n)
{
    auto t = std::chrono::steady_clock::now();
    while (port.QueuedBytes() < n && since_ms(t) < 2000)
        std::this_thread::sleep_for(ms(1));
    return port.QueuedBytes() == n;
}

} // namespace

TEST(CComPort, ReadsTakeWhatIsQueuedAndReadByteWaitsForTheNextByte)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    CComPort port;
    ASSERT_TRUE(port.OpenPath(pty.path(), 1));

    uint8_t buf[16];
    EXPECT_EQ(port.Read(buf, sizeof buf), 0u);
    uint8_t b = 0x55;
    EXPECT_FALSE(port.ReadByte(b));
    EXPECT_EQ(b, 0);

    // Fewer bytes queued than asked for: what is there comes back.
    pty.write({1, 2, 3});
    ASSERT_TRUE(wait_queued(port, 3));
    EXPECT_EQ(port.Read(buf, 10), 3u);

    // A byte written while ReadByte waits is the byte it returns.
    std::atomic<bool> waiting{false};
    std::thread writer([&] {
        while (!waiting.load())
            std::this_thread::yield();
        pty.write({0x82});
    });
    waiting = true;
    bool got = port.ReadByte(b);
    writer.join();
    if (!got) // the writer was held up beyond the 50 ms on a loaded machine
        got = port.ReadByte(b);
    EXPECT_TRUE(got);
    EXPECT_EQ(b, 0x82);
}

TEST(CComPort, FarEndThatGoesAwayLeavesThePortHungUpUntilClosed)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    CComPort port;
    EXPECT_EQ(port.State(), PortState::Closed);
    ASSERT_TRUE(port.OpenPath(pty.path(), 1));
    EXPECT_EQ(port.State(), PortState::Open);
    EXPECT_FALSE(port.HungUp());

    pty.close_far_end();
    uint8_t b = 0x55;
    EXPECT_FALSE(port.ReadByte(b));
    EXPECT_EQ(b, 0);
    EXPECT_EQ(port.State(), PortState::HungUp);
    EXPECT_TRUE(port.HungUp());
    EXPECT_TRUE(port.IsOpen()) << "the device is held until Close";
    // Once hung up, nothing more is read or written.
    EXPECT_EQ(port.WriteByte(0xA0), 0u);
    EXPECT_FALSE(port.ReadByte(b));
    port.Close();
    EXPECT_EQ(port.State(), PortState::Closed);
    EXPECT_FALSE(port.HungUp());
}

TEST(CComPort, QueuedBytesCountsAndPurgeRxEmptiesTheQueue)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    CComPort port;
    EXPECT_EQ(port.QueuedBytes(), 0u); // closed
    ASSERT_TRUE(port.OpenPath(pty.path(), 1));
    pty.write({0xF1, 0xF2, 0xF3, 0xF4, 0xF5});
    ASSERT_TRUE(wait_queued(port, 5));
    uint8_t buf[8];
    EXPECT_EQ(port.Read(buf, 3), 3u);
    EXPECT_EQ(port.QueuedBytes(), 2u);
    port.PurgeRx();
    EXPECT_EQ(port.QueuedBytes(), 0u);
}

TEST(CComPort, LineIsRawBothWays)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    CComPort port;
    ASSERT_TRUE(port.OpenPath(pty.path(), 1));
    // XON, XOFF, CR, LF, ^C, ^D, DEL and high bytes must pass untouched.
    const Bytes control_bytes{0x11, 0x13, 0x0D, 0x0A, 0x03, 0x04, 0x7F, 0xFF, 0x00, 0x1A};
    pty.write(control_bytes);
    ASSERT_TRUE(wait_queued(port, uint32_t(control_bytes.size())));
    Bytes in(control_bytes.size());
    EXPECT_EQ(port.Read(in.data(), uint32_t(in.size())), control_bytes.size());
    EXPECT_EQ(in, control_bytes);
    EXPECT_EQ(port.Write(control_bytes.data(), uint32_t(control_bytes.size())), 1u);
    EXPECT_EQ(pty.read(control_bytes.size(), 1000), control_bytes);
}

TEST(CComPort, CloseDeliversTheLastBytesWritten)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    int lost = 0;
    for (int i = 0; i < 100; ++i) {
        CComPort port;
        ASSERT_TRUE(port.OpenPath(pty.path(), 1));
        port.WriteByte(0xA0);
        port.Close();
        if (pty.read(1, 1000) != Bytes{0xA0})
            ++lost;
    }
    EXPECT_EQ(lost, 0);
}

TEST(CComPort, WriteGivesUpOnALineThatTakesNothing)
{
    PtyPair pty; // nobody reads the far end
    ASSERT_TRUE(pty.ok());
    CComPort port;
    ASSERT_TRUE(port.OpenPath(pty.path(), 1));
    port.SetWriteLimit(200);
    std::vector<uint8_t> big(1 << 20, 0x47);
    EXPECT_EQ(port.Write(big.data(), uint32_t(big.size())), 0u);
    EXPECT_EQ(port.State(), PortState::Open) << "a full line is not a line that hung up";
    CComPort closed;
    EXPECT_EQ(closed.Write(big.data(), 1), 0u);
}

TEST(CComPort, PortIsForOneUserAtATime)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    ::setenv("KORVID_SERIAL_PORTS", pty.path().c_str(), 1);
    common::ScriptedPrompts prompts;
    CComPort first(&prompts);
    ASSERT_TRUE(first.Open(1));
    CComPort second(&prompts);
    EXPECT_FALSE(second.Open(1));
    EXPECT_FALSE(second.IsOpen());
    EXPECT_FALSE(TestPort(1, &prompts));
    EXPECT_EQ(prompts.shown, (std::vector<std::string>{"Can not open COM1", "Can not open COM1"}));
    first.Close();
    EXPECT_TRUE(TestPort(1, &prompts));
    EXPECT_TRUE(second.Open(1));
    EXPECT_EQ(prompts.shown.size(), 2u);
}

TEST(CComPort, OpenFailsWithTheMessageForMissingAndNonSerialDevices)
{
    ::setenv("KORVID_SERIAL_PORTS", "/dev/null:/nonexistent/ttyX", 1);
    common::ScriptedPrompts prompts;
    CComPort port(&prompts);
    EXPECT_FALSE(port.Open(1));    // not a terminal
    EXPECT_FALSE(port.Open(2));    // not there
    EXPECT_FALSE(port.Open(9999)); // beyond the table
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(prompts.shown,
              (std::vector<std::string>{"Can not open COM1", "Can not open COM2", "Can not open COM9999"}));
}

TEST(PortTable, EnvironmentEntriesComeFirstThenTheMachinesSerialDevicesOnce)
{
    auto table = build_port_table("/tmp/a:/dev/ttyUSB0::/tmp/a",
                                  {"/dev/ttyUSB0", "/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyS1"},
                                  [](const std::string& p) { return p != "/dev/ttyS0"; });
    EXPECT_EQ(table, (std::vector<std::string>{"/tmp/a", "/dev/ttyUSB0", "/dev/ttyACM0", "/dev/ttyS1"}));
    EXPECT_TRUE(build_port_table(nullptr, {}, [](const std::string&) { return true; }).empty());
}

TEST(PortTable, ComNumbersMapToEntriesTenAndAboveIncluded)
{
    std::vector<std::unique_ptr<PtyPair>> ptys;
    std::string env;
    for (int i = 0; i < 12; ++i) {
        ptys.push_back(std::make_unique<PtyPair>());
        ASSERT_TRUE(ptys.back()->ok());
        env += (i ? ":" : "") + ptys.back()->path();
    }
    ::setenv("KORVID_SERIAL_PORTS", env.c_str(), 1);
    for (int n : {1, 9, 10, 12})
        EXPECT_EQ(port_device(n), ptys[size_t(n - 1)]->path()) << n;
    EXPECT_EQ(port_device(0), "");
    EXPECT_EQ(port_number_for("COM10"), 10);
    EXPECT_EQ(port_number_for("com3"), 3);
    EXPECT_EQ(port_number_for(ptys[11]->path()), 12);
    EXPECT_EQ(port_number_for("COM0"), 0);
    EXPECT_EQ(port_number_for("COMx"), 0);
    EXPECT_EQ(port_number_for("/no/such/port"), 0);

    // COM12 is the twelfth pseudo-terminal: a byte from its far end arrives there.
    CComPort port;
    ASSERT_TRUE(port.Open(12));
    EXPECT_EQ(port.Device(), ptys[11]->path());
    ptys[11]->write({0x9B});
    uint8_t b = 0;
    EXPECT_TRUE(port.ReadByte(b));
    EXPECT_EQ(b, 0x9B);
}
