#include "net/ConnectionKeys.h"

// The key table itself is data: net/keys/keyblocks.hex, embedded at build time (see
// net/deps-keys.cmake), so that the client and the game-server stand-in read one definition.
namespace net {
namespace detail {
extern const uint8_t kKeyBlocksData[kKeyBlockCount * kKeyBlockSize];
}

const uint8_t* ConnectionKeyBlock(size_t index)
{
    return index < kKeyBlockCount ? detail::kKeyBlocksData + index * kKeyBlockSize : nullptr;
}

} // namespace net
