#pragma once
// The key table of game connections: four blocks of 128 bytes; a connection picks a block by
// index and keys AES with its first 16 bytes.
#include <cstddef>
#include <cstdint>

namespace net {

inline constexpr size_t kKeyBlockCount = 4;
inline constexpr size_t kKeyBlockSize = 128;
inline constexpr uint32_t kConnectionKeyBits = 128;
inline constexpr size_t kGameKeyBlock = 2;    // the game channel
inline constexpr size_t kDefaultKeyBlock = 0; // what a null key selects

// Null for an index outside the table.
const uint8_t* ConnectionKeyBlock(size_t index);

} // namespace net
