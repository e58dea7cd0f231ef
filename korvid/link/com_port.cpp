#include "korvid/link/com_port.h"

#include "common/prompts.h"
#include "common/strfmt.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace korvid {

int g_ComPort = 1;

namespace {

using Clock = std::chrono::steady_clock;

int ms_left(Clock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? int(left) : 0;
}

bool answers_tcgetattr(const std::string& path)
{
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    termios t{};
    bool ok = ::tcgetattr(fd, &t) == 0;
    ::close(fd);
    return ok;
}

// /dev/ttyS10 sorts after /dev/ttyS9.
std::vector<std::string> devices_with_prefix(const char* prefix)
{
    std::vector<std::pair<long, std::string>> found;
    size_t plen = std::char_traits<char>::length(prefix);
    if (DIR* d = ::opendir("/dev")) {
        while (dirent* e = ::readdir(d)) {
            std::string name = e->d_name;
            if (name.size() <= plen || name.compare(0, plen, prefix) != 0)
                continue;
            std::string digits = name.substr(plen);
            if (!std::all_of(digits.begin(), digits.end(),
                             [](char c) { return std::isdigit((unsigned char)c); }))
                continue;
            found.emplace_back(std::strtol(digits.c_str(), nullptr, 10), "/dev/" + name);
        }
        ::closedir(d);
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> out;
    for (auto& f : found)
        out.push_back(f.second);
    return out;
}

} // namespace

std::vector<std::string> build_port_table(const char* env,
                                          const std::vector<std::string>& found,
                                          const std::function<bool(const std::string&)>& is_serial)
{
    std::vector<std::string> table;
    auto add = [&](const std::string& p) {
        if (!p.empty() && std::find(table.begin(), table.end(), p) == table.end())
            table.push_back(p);
    };
    if (env) {
        std::string s = env;
        size_t start = 0;
        while (start <= s.size()) {
            size_t colon = s.find(':', start);
            if (colon == std::string::npos)
                colon = s.size();
            add(s.substr(start, colon - start));
            start = colon + 1;
        }
    }
    for (auto& p : found)
        if (std::find(table.begin(), table.end(), p) == table.end() && is_serial(p))
            add(p);
    return table;
}

std::vector<std::string> serial_port_table()
{
    std::vector<std::string> found;
    for (const char* prefix : {"ttyUSB", "ttyACM", "ttyS"})
        for (auto& p : devices_with_prefix(prefix))
            found.push_back(p);
    return build_port_table(std::getenv("KORVID_SERIAL_PORTS"), found, answers_tcgetattr);
}

std::string no_such_port_reason()
{
    return common::strfmt("no such port (the port table has %zu entries)", serial_port_table().size());
}

std::string port_device(int n)
{
    auto table = serial_port_table();
    if (n < 1 || size_t(n) > table.size())
        return {};
    return table[size_t(n) - 1];
}

int port_number_for(const std::string& arg)
{
    if (arg.size() > 3 && (arg[0] == 'C' || arg[0] == 'c') && (arg[1] == 'O' || arg[1] == 'o') &&
        (arg[2] == 'M' || arg[2] == 'm')) {
        std::string digits = arg.substr(3);
        if (digits.size() <= 4 && std::all_of(digits.begin(), digits.end(),
                                              [](char c) { return std::isdigit((unsigned char)c); })) {
            int n = std::atoi(digits.c_str());
            return n >= 1 ? n : 0;
        }
        return 0;
    }
    auto table = serial_port_table();
    for (size_t i = 0; i < table.size(); ++i)
        if (table[i] == arg)
            return int(i + 1);
    return 0;
}

CComPort::~CComPort()
{
    Close();
}

std::string CComPort::OpenFailureText(const std::string& first_line) const
{
    return port_open_message(first_line, m_tried, m_open_failure);
}

void CComPort::fail_message(int n)
{
    if (m_prompts)
        m_prompts->error(OpenFailureText(common::strfmt("Can not open COM%d", n)));
}

bool CComPort::configure(int fd)
{
    termios t{};
    if (::tcgetattr(fd, &t) != 0)
        return false;
    ::cfmakeraw(&t);
    t.c_cflag &= ~tcflag_t(PARENB | CSTOPB | CSIZE | CRTSCTS);
    t.c_cflag |= CS8 | CLOCAL | CREAD;
    t.c_iflag &= ~tcflag_t(IXON | IXOFF | IXANY);
    // Reads never wait inside the driver; every wait is our own poll with its own limit.
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    ::cfsetispeed(&t, B115200);
    ::cfsetospeed(&t, B115200);
    if (::tcsetattr(fd, TCSANOW, &t) != 0)
        return false;
    ::tcflush(fd, TCIOFLUSH);
    return true;
}

bool CComPort::Open(int n)
{
    Close();
    std::string path = port_device(n);
    if (path.empty()) {
        m_tried = common::strfmt("COM%d", n);
        m_open_failure = PortOpenError{no_such_port_reason(), {}};
        fail_message(n);
        return false;
    }
    return OpenPath(path, n);
}

bool CComPort::OpenPath(const std::string& path, int n)
{
    Close();
    m_open_failure = {};
    m_tried = path;
    m_state = PortState::Opening;
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        m_open_failure = port_open_error(errno, path);
        m_state = PortState::Closed;
        fail_message(n);
        return false;
    }
    // TIOCEXCL keeps other users out, but not root; the lock keeps out every program that locks,
    // ourselves included, whoever runs it.
    int err = 0;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ioctl(fd, TIOCEXCL) != 0)
        err = errno;
    else if (errno = 0; !configure(fd))
        err = errno != 0 ? errno : EIO;
    if (err != 0) {
        m_open_failure = port_open_error(err, path);
        ::close(fd);
        m_state = PortState::Closed;
        fail_message(n);
        return false;
    }
    m_fd = fd;
    m_path = path;
    m_state = PortState::Open;
    return true;
}

bool CComPort::Attach(int fd)
{
    Close();
    if (fd < 0)
        return false;
    m_state = PortState::Opening;
    int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0 || !configure(fd)) {
        m_state = PortState::Closed;
        return false;
    }
    m_fd = fd;
    m_path.clear();
    m_state = PortState::Open;
    return true;
}

// Seen once, kept until Close: the device will not come back under this descriptor.
void CComPort::hung_up()
{
    if (m_state == PortState::Open)
        m_state = PortState::HungUp;
}

void CComPort::Close()
{
    if (m_fd < 0)
        return;
    const bool gone = m_state == PortState::HungUp;
    m_state = PortState::Closing;
    // Let what we wrote (the closing BYE) leave before the device goes; a purge of the output
    // would throw it away. A line that does not drain in time is flushed so close cannot hang.
    auto deadline = Clock::now() + std::chrono::milliseconds(DRAIN_LIMIT_MS);
    for (;;) {
        int pending = 0;
        if (gone || ::ioctl(m_fd, TIOCOUTQ, &pending) != 0 || pending <= 0)
            break;
        if (Clock::now() >= deadline) {
            ::tcflush(m_fd, TCOFLUSH);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ::tcflush(m_fd, TCIFLUSH);
    ::close(m_fd);
    m_fd = -1;
    m_path.clear();
    m_state = PortState::Closed;
}

void CComPort::PurgeRx()
{
    if (m_fd >= 0)
        ::tcflush(m_fd, TCIFLUSH);
}

uint32_t CComPort::Write(const uint8_t* buf, uint32_t len)
{
    if (m_state != PortState::Open)
        return 0;
    auto deadline = Clock::now() + std::chrono::milliseconds(m_write_limit_ms);
    uint32_t done = 0;
    while (done < len) {
        ssize_t n = ::write(m_fd, buf + done, len - done);
        if (n > 0) {
            done += uint32_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            if (errno == EIO)
                hung_up();
            return 0;
        }
        int left = ms_left(deadline);
        if (left == 0)
            return 0;
        pollfd p{m_fd, POLLOUT, 0};
        int r = ::poll(&p, 1, left);
        if (r < 0 && errno != EINTR)
            return 0;
        if (r > 0 && (p.revents & (POLLERR | POLLHUP | POLLNVAL)) && !(p.revents & POLLOUT)) {
            hung_up();
            return 0;
        }
    }
    return 1;
}

uint32_t CComPort::Read(uint8_t* buf, uint32_t count)
{
    if (m_state != PortState::Open || count == 0)
        return 0;
    for (;;) {
        ssize_t n = ::read(m_fd, buf, count);
        if (n > 0)
            return uint32_t(n);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EIO)
            hung_up();
        return 0;
    }
}

bool CComPort::WaitReadable(int ms)
{
    if (m_state != PortState::Open)
        return false;
    auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        pollfd p{m_fd, POLLIN, 0};
        int r = ::poll(&p, 1, ms_left(deadline));
        if (r > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
            // The far end is gone (a pseudo-terminal reports POLLIN with it, and reads then give
            // nothing): what it sent before is still read, then the hang-up is said at once, so
            // that a transfer ends now rather than after its silence limit.
            if (QueuedBytes() > 0)
                return true;
            hung_up();
            return false;
        }
        if (r > 0 && (p.revents & POLLIN))
            return true;
        if (r == 0 || errno != EINTR)
            return false;
    }
}

bool CComPort::ReadByte(uint8_t& out)
{
    out = 0;
    if (m_state != PortState::Open)
        return false;
    if (Read(&out, 1) == 1)
        return true;
    auto deadline = Clock::now() + std::chrono::milliseconds(50);
    while (WaitReadable(ms_left(deadline))) {
        if (Read(&out, 1) == 1)
            return true;
        if (ms_left(deadline) == 0 || m_state != PortState::Open)
            break;
    }
    out = 0;
    return false;
}

uint32_t CComPort::QueuedBytes()
{
    if (m_fd < 0)
        return 0;
    int n = 0;
    if (::ioctl(m_fd, FIONREAD, &n) != 0 || n < 0)
        return 0;
    return uint32_t(n);
}

bool TestPort(int n, common::Prompts* prompts)
{
    CComPort port(prompts);
    if (!port.Open(n))
        return false;
    port.Close();
    return true;
}

} // namespace korvid
