#pragma once
// A pseudo-terminal pair for port tests: the test plays the far end on the master side.
#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace common::testing {

class PtyPair
{
public:
    PtyPair()
    {
        char name[256] = {};
        termios raw{};
        ::cfmakeraw(&raw);
        if (::openpty(&m_master, &m_slave, name, &raw, nullptr) == 0)
            m_path = name;
    }
    ~PtyPair()
    {
        if (m_master >= 0)
            ::close(m_master);
        if (m_slave >= 0)
            ::close(m_slave);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ok() const { return !m_path.empty(); }
    // The far end goes away, as a pulled cable does: the port sees its line hang up.
    void close_far_end()
    {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }
    const std::string& path() const { return m_path; }
    void write(const std::vector<uint8_t>& b) { (void)!::write(m_master, b.data(), b.size()); }
    // Whatever the far end receives within `ms`, up to `max` bytes.
    std::vector<uint8_t> read(size_t max, int ms)
    {
        std::vector<uint8_t> out;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (out.size() < max) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            deadline - std::chrono::steady_clock::now())
                            .count();
            if (left <= 0)
                break;
            pollfd p{m_master, POLLIN, 0};
            if (::poll(&p, 1, int(left)) <= 0 || !(p.revents & POLLIN))
                break;
            uint8_t buf[4096];
            ssize_t n = ::read(m_master, buf, std::min(sizeof buf, max - out.size()));
            if (n <= 0)
                break;
            out.insert(out.end(), buf, buf + n);
        }
        return out;
    }

private:
    int m_master = -1;
    int m_slave = -1; // kept open so the line does not hang up between opens
    std::string m_path;
};

} // namespace common::testing
