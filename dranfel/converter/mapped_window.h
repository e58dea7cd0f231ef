#pragma once
// Part files are read through memory-mapped windows, which saves the kernel's copy of every byte.
// A mapped page whose file was cut short, or whose disk was pulled, while the window was open
// raises SIGBUS where it is read, which would end the whole program. Windows are mapped and
// unmapped here, so that such a fault in one of them is caught: the page is replaced by zeros and
// a count goes up, which the reader checks at its next step and reports as a read error.
#include <cstddef>
#include <cstdint>
#include <sys/types.h>

namespace dranfel::mapped_window {

// The window [offset, offset + len) of `fd`, read-only; null when it cannot be mapped.
const uint8_t* map(int fd, off_t offset, size_t len);
void unmap(const uint8_t* window, size_t len);

// How many faults in mapped windows were caught since the program started.
uint64_t faults();

} // namespace dranfel::mapped_window
