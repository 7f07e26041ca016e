#pragma once
// The packager's zlib stream: default-level deflate with a sync flush after every 32 KiB of
// input and no final block, and an inflate that refuses corrupt data and oversized output.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace net {

inline constexpr size_t kDefaultInflateLimit = size_t(16) << 20;

// False (out empty) when zlib fails or the input is empty.
bool ZlibCompress(const uint8_t* in, size_t length, std::vector<uint8_t>& out);

// Accepts a stream that ends in a sync flush as well as a finished one. False (out empty) on
// corrupt data, a stream that wants a dictionary, output beyond `limit` bytes, or no output.
bool ZlibDecompress(const uint8_t* in, size_t length, std::vector<uint8_t>& out, size_t limit = kDefaultInflateLimit);

} // namespace net
