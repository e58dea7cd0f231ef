#include "common/cli/interrupt_scope.h"

#include <cassert>
#include <signal.h>

namespace common::cli {

namespace {

// Touched from the signal handler: lock-free atomics and plain pointers set before the handler is.
std::atomic<bool> g_interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);
void (*g_on_signal)(void*) = nullptr;
void* g_context = nullptr;
bool g_active = false;
bool g_sigterm = false;
struct sigaction g_old_int
{
}, g_old_term{};

extern "C" void on_interrupt(int)
{
    g_interrupted.store(true);
    if (g_on_signal)
        g_on_signal(g_context);
}

} // namespace

InterruptScope::InterruptScope(bool also_sigterm, void (*on_signal)(void*), void* context)
{
    assert(!g_active);
    g_active = true;
    g_interrupted.store(false);
    g_on_signal = on_signal;
    g_context = context;
    g_sigterm = also_sigterm;
    struct sigaction sa
    {
    };
    sa.sa_handler = on_interrupt;
    sigemptyset(&sa.sa_mask);
    ::sigaction(SIGINT, &sa, &g_old_int);
    if (also_sigterm)
        ::sigaction(SIGTERM, &sa, &g_old_term);
}

InterruptScope::~InterruptScope()
{
    ::sigaction(SIGINT, &g_old_int, nullptr);
    if (g_sigterm)
        ::sigaction(SIGTERM, &g_old_term, nullptr);
    g_on_signal = nullptr;
    g_context = nullptr;
    g_active = false;
}

const std::atomic<bool>& InterruptScope::flag() const
{
    return g_interrupted;
}

} // namespace common::cli
