#include "korvid/link/serial_line.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace korvid {

namespace {
uint64_t steady_ms()
{
    using namespace std::chrono;
    return uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
} // namespace

uint32_t SteadyLinkClock::now_ms()
{
    return uint32_t(steady_ms());
}

void SteadyLinkClock::pause_ms(uint32_t ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// A fifth of a millisecond: at 921600 baud a 1032-byte packet takes 11 ms on the wire, so the
// wait adds under 2% to it, for a few thousand cheap wake-ups a second while a transfer runs.
void SteadyLinkClock::pause_poll()
{
    std::this_thread::sleep_for(std::chrono::microseconds(200));
}

uint32_t ScaledLinkClock::now_ms()
{
    return uint32_t(steady_ms() * m_factor);
}

void ScaledLinkClock::pause_ms(uint32_t ms)
{
    // Keep at least a tenth of a millisecond so that a polling caller does not spin.
    auto us = std::max<uint64_t>(uint64_t(ms) * 1000 / m_factor, 100);
    std::this_thread::sleep_for(std::chrono::microseconds(us));
}

} // namespace korvid
