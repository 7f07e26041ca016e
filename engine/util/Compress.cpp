#include "engine/util/Compress.h"

#include <zlib.h>

namespace {

constexpr size_t kMaxInflateRatio = 1032;

} // namespace

std::optional<std::vector<uint8_t>> CompressBuffer(const void* bytes, size_t size)
{
    // compressBound is always enough, so there is no growing and retrying.
    static const uint8_t kEmpty = 0;
    std::vector<uint8_t> out(compressBound(static_cast<uLong>(size)));
    uLongf length = static_cast<uLongf>(out.size());
    const Bytef* source = size ? static_cast<const Bytef*>(bytes) : &kEmpty;
    if (compress(out.data(), &length, source, static_cast<uLong>(size)) != Z_OK)
        return std::nullopt;
    out.resize(length);
    return out;
}

std::optional<std::vector<uint8_t>> UncompressBuffer(const void* bytes, size_t size, size_t plainLength)
{
    if (!bytes || size == 0)
        return std::nullopt;
    // Deflate gives at most 1032 plain bytes per stream byte: a longer announced length comes
    // from a damaged header, and allocating it could exhaust memory.
    if (plainLength / kMaxInflateRatio > size)
        return std::nullopt;
    // One spare byte tells "exactly plainLength" from "longer than announced".
    std::vector<uint8_t> out(plainLength + 1);
    uLongf length = static_cast<uLongf>(out.size());
    if (uncompress(out.data(), &length, static_cast<const Bytef*>(bytes), static_cast<uLong>(size)) != Z_OK ||
        length != plainLength)
        return std::nullopt;
    out.resize(plainLength);
    return out;
}
