#pragma once
// Lines for the transfer windows under test: a pseudo-terminal nobody answers on, or the far end
// of a receiver-sim.
#include "korvid/link/com_port.h"
#include "korvid/link/transfer/port_opening.h"

#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <memory>
#include <pty.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace korvid::testing {

// A receiver that never says a word: the transfer probes until it is stopped.
class SilentLine
{
public:
    SilentLine()
    {
        termios raw{};
        ::cfmakeraw(&raw);
        if (::openpty(&m_master, &m_slave, nullptr, &raw, nullptr) != 0)
            m_master = m_slave = -1;
    }
    ~SilentLine()
    {
        if (m_slave >= 0)
            ::close(m_slave);
        if (m_master >= 0)
            ::close(m_master);
    }
    // Hands the master side over once; the port owns it from then on.
    LineOpener opener()
    {
        return [this]() -> std::unique_ptr<SerialLine> {
            auto port = std::make_unique<CComPort>();
            if (m_master < 0 || !port->Attach(m_master))
                return nullptr;
            m_master = -1;
            return port;
        };
    }

private:
    int m_master = -1;
    int m_slave = -1;
};

inline LineOpener path_opener(const std::string& path)
{
    return [path]() -> std::unique_ptr<SerialLine> {
        auto port = std::make_unique<CComPort>();
        if (!port->OpenPath(path, 1))
            return nullptr;
        return port;
    };
}

inline std::vector<uint8_t> read_file(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

inline void write_file(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

} // namespace korvid::testing
