#pragma once
// Big- and little-endian loads and stores, byte by byte: never by casting a byte pointer to a
// wider type. Shifts work on unsigned values only, so high-bit bytes cannot sign-extend.
#include <bit>
#include <cstdint>

static_assert(std::endian::native == std::endian::little,
              "the in-memory tables are copied to and from little-endian images as whole structs");

namespace common {

inline uint16_t load_be16(const uint8_t* p)
{
    return uint16_t((unsigned(p[0]) << 8) | p[1]);
}
inline uint32_t load_be32(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}
inline void store_be16(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v >> 8);
    p[1] = uint8_t(v);
}
inline void store_be32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}
inline void store_le32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

} // namespace common
