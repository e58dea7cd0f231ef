#pragma once
// receiver-sim as a child process on its own pseudo-terminal: started with the given options,
// it prints the path of the far end, which the test opens as its port.
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace korvid::testing {

class SimProcess
{
public:
    explicit SimProcess(std::vector<std::string> args, const std::string& log_path)
        : m_log(log_path)
    {
        int out[2];
        if (::pipe(out) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(out[1], 1);
            FILE* err = std::fopen(log_path.c_str(), "w");
            if (err)
                ::dup2(fileno(err), 2);
            ::close(out[0]);
            ::close(out[1]);
            std::vector<char*> argv;
            static std::string exe = RECEIVER_SIM;
            argv.push_back(exe.data());
            argv.push_back(const_cast<char*>("--pty"));
            for (auto& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(exe.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        // The first line is the path of the far end.
        std::string line;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline) {
            pollfd p{out[0], POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0)
                continue;
            char c;
            if (::read(out[0], &c, 1) != 1)
                break;
            if (c == '\n')
                break;
            line += c;
        }
        ::close(out[0]);
        m_path = line;
    }
    ~SimProcess()
    {
        if (m_pid > 0 && !m_reaped) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }

    const std::string& path() const { return m_path; }
    pid_t pid() const { return m_pid; }
    void kill() { ::kill(m_pid, SIGKILL); }

    // The exit code, or -1 when it has not ended within `ms`, -2 when killed by a signal.
    int wait(int ms)
    {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        for (;;) {
            int status = 0;
            pid_t r = ::waitpid(m_pid, &status, WNOHANG);
            if (r == m_pid) {
                m_reaped = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
            }
            if (std::chrono::steady_clock::now() >= deadline)
                return -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    std::string log() const
    {
        std::ifstream f(m_log);
        std::stringstream s;
        s << f.rdbuf();
        return s.str();
    }

private:
    pid_t m_pid = -1;
    bool m_reaped = false;
    std::string m_path;
    std::string m_log;
};

} // namespace korvid::testing
