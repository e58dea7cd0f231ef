#pragma once
// A program run by a test or a benchmark as a child process: its standard output and error go to
// files (or the output to a pipe the caller reads), and it is killed and reaped if it is still
// running when the object goes.
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace common::testing {

class ChildProcess
{
public:
    struct Output
    {
        std::string stdout_path; // empty: a pipe, read through stdout_fd()
        std::string stderr_path; // empty: the caller's own standard error
    };

    ChildProcess(const std::vector<std::string>& argv, const Output& output)
    {
        int out[2] = {-1, -1};
        if (output.stdout_path.empty() && ::pipe(out) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            int o =
                out[1] >= 0 ? out[1] : ::open(output.stdout_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(o, 1);
            if (!output.stderr_path.empty()) {
                int e = ::open(output.stderr_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
                ::dup2(e, 2);
            }
            if (out[0] >= 0)
                ::close(out[0]);
            std::vector<std::string> args = argv;
            std::vector<char*> av;
            for (auto& a : args)
                av.push_back(a.data());
            av.push_back(nullptr);
            ::execv(av[0], av.data());
            ::_exit(127);
        }
        if (out[1] >= 0)
            ::close(out[1]);
        m_stdout = out[0];
    }
    ~ChildProcess()
    {
        if (m_stdout >= 0)
            ::close(m_stdout);
        if (m_pid > 0 && !m_reaped) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return m_pid; }
    int stdout_fd() const { return m_stdout; }
    void signal(int sig)
    {
        if (m_pid > 0 && !m_reaped)
            ::kill(m_pid, sig);
    }

    // The first line of the piped output; empty when the child ended or said nothing in `limit_ms`.
    std::string read_line(int limit_ms)
    {
        std::string line;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limit_ms);
        while (m_stdout >= 0 && std::chrono::steady_clock::now() < deadline) {
            pollfd p{m_stdout, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0)
                continue;
            char c;
            if (::read(m_stdout, &c, 1) != 1 || c == '\n')
                break;
            line += c;
        }
        return line;
    }

    // Waits for the end: the exit code, or -2 when a signal ended it.
    int wait()
    {
        if (m_reaped)
            return m_code;
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
        return reaped(status);
    }
    // As wait(), but -1 when the child is still running after `limit_ms`.
    int wait(int limit_ms)
    {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limit_ms);
        while (!m_reaped) {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid)
                return reaped(status);
            if (std::chrono::steady_clock::now() >= deadline)
                return -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return m_code;
    }

private:
    int reaped(int status)
    {
        m_reaped = true;
        m_code = WIFEXITED(status) ? WEXITSTATUS(status) : -2;
        return m_code;
    }

    pid_t m_pid = -1;
    int m_stdout = -1;
    bool m_reaped = false;
    int m_code = -1;
};

} // namespace common::testing
