#pragma once
// The receiver keeps every 16-bit field of the database image big-endian; the PC keeps them in
// host order. The swap works on an image, never on the live tables, so that nothing the editor or
// a save sees can be left half-way between the two orders.
#include <cstdint>

namespace korvid {

// Swaps, in a DB_IMAGE_SIZE image, the two bytes of every 16-bit field whose order differs
// between host and receiver; its own inverse.
void swap_image_receiver_order(uint8_t* image);

} // namespace korvid
