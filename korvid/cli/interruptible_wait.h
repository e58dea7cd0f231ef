#pragma once
// Waiting for a transfer's worker from a terminal, with Ctrl-C turned into the transfer's own
// cancel, so that the receiver hears BYE and the port is released before the tool exits.
#include <cstdint>
#include <functional>

namespace korvid {

// `wait` waits a little and says whether the transfer has ended; on Ctrl-C `cancel` is called once.
// Returns true when interrupted.
bool wait_watching_interrupt(const std::function<bool(uint32_t)>& wait, const std::function<void()>& cancel);

} // namespace korvid
