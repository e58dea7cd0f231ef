#include "dranfel/converter/mapped_window.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

namespace dranfel::mapped_window {

namespace {

// The windows open now, read by the signal handler: lock-free slots, a window's start and length.
constexpr int SLOTS = 64;
std::atomic<uintptr_t> g_start[SLOTS];
std::atomic<size_t> g_len[SLOTS];
std::atomic<uint64_t> g_faults{0};
struct sigaction g_previous
{
};
static_assert(std::atomic<uintptr_t>::is_always_lock_free && std::atomic<uint64_t>::is_always_lock_free);

bool ours(uintptr_t address)
{
    for (int i = 0; i < SLOTS; ++i) {
        const uintptr_t start = g_start[i].load();
        if (start != 0 && address >= start && address < start + g_len[i].load())
            return true;
    }
    return false;
}

extern "C" void on_bus_error(int signal, siginfo_t* info, void* context)
{
    const uintptr_t address = reinterpret_cast<uintptr_t>(info->si_addr);
    const uintptr_t page = address - address % uintptr_t(::sysconf(_SC_PAGESIZE));
    // Zeros in place of the page that is gone: the read goes on, and the count tells the reader.
    if (ours(address) && ::mmap(reinterpret_cast<void*>(page), size_t(::sysconf(_SC_PAGESIZE)), PROT_READ,
                                MAP_PRIVATE | MAP_FIXED | MAP_ANONYMOUS, -1, 0) != MAP_FAILED) {
        g_faults.fetch_add(1);
        return;
    }
    // Not a window of ours: what would have happened without us.
    if (g_previous.sa_flags & SA_SIGINFO && g_previous.sa_sigaction) {
        g_previous.sa_sigaction(signal, info, context);
        return;
    }
    if (g_previous.sa_handler != SIG_DFL && g_previous.sa_handler != SIG_IGN && g_previous.sa_handler) {
        g_previous.sa_handler(signal);
        return;
    }
    ::signal(SIGBUS, SIG_DFL);
}

void install_once()
{
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction sa
        {
        };
        sa.sa_sigaction = on_bus_error;
        sa.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&sa.sa_mask);
        ::sigaction(SIGBUS, &sa, &g_previous);
    });
}

} // namespace

const uint8_t* map(int fd, off_t offset, size_t len)
{
    install_once();
    for (int i = 0; i < SLOTS; ++i) {
        uintptr_t free_slot = 0;
        // Claimed before the mapping exists, so that a fault in it always finds its slot.
        if (!g_start[i].compare_exchange_strong(free_slot, uintptr_t(1)))
            continue;
        void* p = ::mmap(nullptr, len, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, offset);
        if (p == MAP_FAILED) {
            g_start[i].store(0);
            return nullptr;
        }
        g_len[i].store(len);
        g_start[i].store(reinterpret_cast<uintptr_t>(p));
        return static_cast<const uint8_t*>(p);
    }
    return nullptr; // every slot taken: the caller reads instead
}

void unmap(const uint8_t* window, size_t len)
{
    if (!window)
        return;
    ::munmap(const_cast<uint8_t*>(window), len);
    for (int i = 0; i < SLOTS; ++i)
        if (g_start[i].load() == reinterpret_cast<uintptr_t>(window)) {
            g_start[i].store(0);
            break;
        }
}

uint64_t faults()
{
    return g_faults.load();
}

} // namespace dranfel::mapped_window
