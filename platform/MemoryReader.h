// A cursor over bytes in memory, for the decoders' read callbacks.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace platform {

struct MemoryReader {
    const uint8_t* data;
    size_t size;
    size_t pos;
    // Copies up to n bytes; returns how many were there.
    size_t Take(void* out, size_t n) {
        const size_t take = std::min(n, size - pos);
        std::memcpy(out, data + pos, take);
        pos += take;
        return take;
    }
};

} // namespace platform
