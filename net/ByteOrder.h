#pragma once
// Little-endian reads and writes of the 32-bit words that every wire layout of the game
// channel is made of; byte by byte, so alignment and host order never matter.
#include <cstddef>
#include <cstdint>

namespace net {

inline uint32_t ReadLe32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline void WriteLe32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

inline int32_t ReadLe32Signed(const uint8_t* p) { return static_cast<int32_t>(ReadLe32(p)); }

} // namespace net
