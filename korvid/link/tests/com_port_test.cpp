// CComPort on real pseudo-terminals: reads that never wait without end, exclusive use, the port
// table, and a close that keeps the last bytes.
#include "common/testing/pty_pair.h"
#include "common/testing/scripted_prompts.h"
#include "korvid/link/com_port.h"

#include <atomic>
#include <cstdlib>
#include <gmock/gmock.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <memory>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

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
    const std::string busy = "Can not open COM1\n" + pty.path() + ": busy, another program is using it";
    EXPECT_EQ(prompts.shown, (std::vector<std::string>{busy, busy}));
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
    EXPECT_EQ(prompts.shown, (std::vector<std::string>{
                                 "Can not open COM1\n/dev/null: not a serial port",
                                 "Can not open COM2\n/nonexistent/ttyX: no such device",
                                 "Can not open COM9999\nCOM9999: " + no_such_port_reason(),
                             }));
    EXPECT_EQ(port.OpenError(), no_such_port_reason());
    EXPECT_EQ(port.OpenFix(), "");
}

TEST(CComPort, APortTheUserMayNotOpenSaysPermissionDeniedAndHowToGetIt)
{
    // Root opens any device, so in a child process the user without the right is played by nobody
    // (a user who owns the device is refused by its mode alone).
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    ASSERT_EQ(::chmod(pty.path().c_str(), 0), 0);
    ::setenv("KORVID_SERIAL_PORTS", pty.path().c_str(), 1);
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    pid_t pid = ::fork();
    if (pid == 0) {
        ::close(out[0]);
        if (::geteuid() == 0) {
            const passwd* nobody = ::getpwnam("nobody");
            if (!nobody || ::setgroups(0, nullptr) != 0 || ::setgid(nobody->pw_gid) != 0 ||
                ::setuid(nobody->pw_uid) != 0)
                ::_exit(2);
        }
        common::ScriptedPrompts prompts;
        CComPort port(&prompts);
        const bool opened = port.Open(1);
        std::string said;
        for (const std::string& s : prompts.shown)
            said += s + "|";
        ssize_t n = ::write(out[1], said.data(), said.size());
        ::_exit(opened || n != ssize_t(said.size()) ? 1 : 0);
    }
    ::close(out[1]);
    std::string said;
    char buf[512];
    for (ssize_t n; (n = ::read(out[0], buf, sizeof buf)) > 0;)
        said.append(buf, size_t(n));
    ::close(out[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    EXPECT_EQ(said,
              "Can not open COM1\n" + pty.path() +
                  ": permission denied\nAdd yourself to the dialout group: sudo usermod -aG dialout $USER, "
                  "then log in again.|");
}

TEST(PortOpenError, ReasonsInTheUsersWordsAndTheGroupThatMayOpenTheDevice)
{
    // A node whose adapter is gone, a device another user made exclusive, anything else (the
    // rest is met on real devices above).
    EXPECT_EQ(port_open_error(ENXIO, "/dev/ttyUSB0").reason, "no such device");
    EXPECT_EQ(port_open_error(EBUSY, "/dev/ttyUSB0").reason, "busy, another program is using it");
    EXPECT_EQ(port_open_error(EIO, "/dev/ttyUSB0").reason, "Input/output error");
    for (int err : {ENOENT, EBUSY, ENOTTY, EIO})
        EXPECT_EQ(port_open_error(err, "/dev/ttyUSB0").fix, "") << err;
    EXPECT_EQ(port_open_message("Can not open COM3", "/dev/ttyS2", PortOpenError{}), "Can not open COM3");

    // The group named is the device's own when its members may read and write it.
    char path[] = "/tmp/kd-serial-group.XXXXXX";
    int fd = ::mkstemp(path);
    ASSERT_GE(fd, 0);
    ::close(fd);
    ASSERT_EQ(::chmod(path, 0600), 0);
    EXPECT_EQ(serial_group(path), "dialout");
    EXPECT_EQ(serial_group("/nonexistent/ttyUSB0"), "dialout");
    const group* tty = ::getgrnam("tty");
    if (tty && ::chown(path, uid_t(-1), tty->gr_gid) == 0) {
        EXPECT_EQ(serial_group(path), "dialout") << "the group may not read and write it";
        ASSERT_EQ(::chmod(path, 0660), 0);
        EXPECT_EQ(serial_group(path), "tty");
        EXPECT_EQ(port_open_error(EACCES, path).fix,
                  "Add yourself to the tty group: sudo usermod -aG tty $USER, then log in again.");
    }
    ::unlink(path);
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
