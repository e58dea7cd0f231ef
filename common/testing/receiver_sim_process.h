#pragma once
// receiver-sim as a child process on its own pseudo-terminal: started with the given options, it
// prints the path of the far end, which the test opens as its port. The including target defines
// RECEIVER_SIM as the program's path.
#include "common/testing/child_process.h"

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace common::testing {

class SimProcess
{
public:
    SimProcess(std::vector<std::string> args, const std::string& log_path)
        : m_log(log_path)
        , m_child(with_program(std::move(args)), ChildProcess::Output{"", log_path})
    {
        m_path = m_child.read_line(10000);
    }

    const std::string& path() const { return m_path; }
    pid_t pid() const { return m_child.pid(); }
    void kill() { m_child.signal(SIGKILL); }
    // The exit code (-2 when killed by a signal); the simulator ends by itself, its own time-outs
    // included.
    int wait() { return m_child.wait(); }
    // -1 when it has not ended within `limit_ms`.
    int wait(int limit_ms) { return m_child.wait(limit_ms); }
    std::string log() const
    {
        std::ifstream f(m_log);
        std::stringstream s;
        s << f.rdbuf();
        return s.str();
    }

private:
    static std::vector<std::string> with_program(std::vector<std::string> args)
    {
        args.insert(args.begin(), {RECEIVER_SIM, "--pty"});
        return args;
    }

    std::string m_log;
    ChildProcess m_child;
    std::string m_path;
};

} // namespace common::testing
