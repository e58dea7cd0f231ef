#pragma once
// The serial port on POSIX termios: raw 115200 8N1, no flow control, used by one program at a
// time. Port number n (COMn) is the n-th entry of the port table below.
#include "korvid/link/port_open_error.h"
#include "korvid/link/serial_line.h"

#include <functional>
#include <string>
#include <vector>

namespace common {
class Prompts;
}

namespace korvid {

// The selected COM port, 1-based; 1 at start, changed only by the port selection.
extern int g_ComPort;

// The port table: first the paths in KORVID_SERIAL_PORTS (colon-separated), then the serial
// devices of this machine (/dev/ttyUSB*, /dev/ttyACM*, /dev/ttyS* that answer tcgetattr), each
// path once. Built anew on every call, so a plugged adapter shows up without a restart.
std::vector<std::string> serial_port_table();
// The same rule over given inputs: `env` is the variable's value (may be null), `found` the
// devices seen on the machine in their order, `is_serial` the check that a device answers.
std::vector<std::string> build_port_table(const char* env,
                                          const std::vector<std::string>& found,
                                          const std::function<bool(const std::string&)>& is_serial);
// The device of COMn, or "" when the table has no entry n.
std::string port_device(int n);
// Why COMn cannot be opened when the table has no entry n.
std::string no_such_port_reason();
// "COMn" (any case) gives n; a device path gives its place in the table; 0 when neither.
int port_number_for(const std::string& arg);

// Where a port stands. A port that hung up still holds its device until Close; it reads nothing
// and writes nothing from then on.
enum class PortState
{
    Closed,
    Opening,
    Open,
    HungUp,
    Closing,
};

class CComPort : public SerialLine
{
public:
    // `prompts` receives the open failure message; may be null where nobody is to be told.
    explicit CComPort(common::Prompts* prompts = nullptr)
        : m_prompts(prompts)
    {}
    ~CComPort() override;
    CComPort(const CComPort&) = delete;
    CComPort& operator=(const CComPort&) = delete;

    // Opens COMn; on failure shows "Can not open COM%d", with the device, the reason and any fix on
    // the lines beneath (OpenFailureText), and stays closed.
    bool Open(int n);
    // Opens a device by path; `n` is only the number named in the failure message.
    bool OpenPath(const std::string& path, int n);
    // Takes over an already open descriptor (such as a pseudo-terminal's master side) and sets
    // it raw; the port owns and closes it.
    bool Attach(int fd);
    // Sends what was written, drops what was received, releases the device.
    void Close();
    bool IsOpen() const { return m_fd >= 0; }
    // Why the last Open or OpenPath failed ("no such device", "permission denied", busy with
    // another program, not a serial port, or the system's words for anything else) and what the
    // user can do about it; both empty after a success.
    const std::string& OpenError() const { return m_open_failure.reason; }
    const std::string& OpenFix() const { return m_open_failure.fix; }
    // The whole message of the last failure: `first_line`, then the device tried and the reason,
    // then the fix.
    std::string OpenFailureText(const std::string& first_line) const;
    PortState State() const { return m_state; }
    const std::string& Device() const { return m_path; }

    void PurgeRx() override;
    uint32_t Write(const uint8_t* buf, uint32_t len) override;
    uint32_t Read(uint8_t* buf, uint32_t count) override;
    bool ReadByte(uint8_t& out) override;
    uint32_t QueuedBytes() override;

    // Waits up to `ms` for bytes to arrive; true when something is queued. Does not read.
    bool WaitReadable(int ms);
    // True once the other end has gone (a pulled adapter, a pseudo-terminal whose far side closed).
    bool HungUp() const override { return m_state == PortState::HungUp; }

    // Longest time a Write keeps trying before it gives up (a line that takes nothing, such as a
    // port held by flow control or a terminal nobody reads), and the longest wait for the output
    // to drain on Close.
    static constexpr int WRITE_LIMIT_MS = 5000;
    static constexpr int DRAIN_LIMIT_MS = 2000;
    void SetWriteLimit(int ms) { m_write_limit_ms = ms; }

private:
    bool configure(int fd);
    void fail_message(int n);
    void hung_up();

    common::Prompts* m_prompts;
    int m_fd = -1;
    std::string m_path;
    PortOpenError m_open_failure;
    // The device the last open tried ("COMn" when the table had no entry n).
    std::string m_tried;
    PortState m_state = PortState::Closed;
    int m_write_limit_ms = WRITE_LIMIT_MS;
};

// Opens COMn and closes it again; the failure message as Open gives it.
bool TestPort(int n, common::Prompts* prompts);

} // namespace korvid
