#pragma once
// Ctrl-C during a long run of a command-line tool: while a scope lives, SIGINT (and SIGTERM when
// asked) no longer ends the process but raises a flag that the run tests, so that the run can stop
// cleanly (say BYE, remove its partial files) and the tool exits 130. The old handlers come back
// when the scope ends. One scope at a time.
#include <atomic>

namespace common::cli {

class InterruptScope
{
public:
    // `on_signal`, when given, is called from the signal handler itself with `context`; it must be
    // async-signal-safe (storing into a lock-free atomic is).
    explicit InterruptScope(bool also_sigterm = false,
                            void (*on_signal)(void*) = nullptr,
                            void* context = nullptr);
    ~InterruptScope();
    InterruptScope(const InterruptScope&) = delete;
    InterruptScope& operator=(const InterruptScope&) = delete;

    // Raised by the first signal; never lowered while the scope lives.
    const std::atomic<bool>& flag() const;
    bool interrupted() const { return flag().load(); }
};

} // namespace common::cli
