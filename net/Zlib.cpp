#include "net/Zlib.h"

#include <zlib.h>

namespace net {
namespace {
constexpr size_t kInputChunk = 32768;
constexpr size_t kDeflateBlock = 4096;
constexpr size_t kInflateBlock = 32768;
} // namespace

bool ZlibCompress(const uint8_t* in, size_t length, std::vector<uint8_t>& out)
{
    out.clear();
    if (in == nullptr || length == 0)
        return false;
    z_stream zs{};
    if (deflateInit(&zs, Z_DEFAULT_COMPRESSION) != Z_OK)
        return false;
    uint8_t block[kDeflateBlock];
    bool ok = true;
    for (size_t pos = 0; pos < length && ok; pos += kInputChunk) {
        const size_t chunk = length - pos < kInputChunk ? length - pos : kInputChunk;
        zs.next_in = const_cast<Bytef*>(in + pos);
        zs.avail_in = static_cast<uInt>(chunk);
        // Every chunk ends on a byte boundary with an empty stored block; the peer reads the
        // stream without waiting for an end.
        do {
            zs.next_out = block;
            zs.avail_out = sizeof block;
            const int r = deflate(&zs, Z_SYNC_FLUSH);
            if (r != Z_OK && r != Z_BUF_ERROR) {
                ok = false;
                break;
            }
            out.insert(out.end(), block, block + (sizeof block - zs.avail_out));
        } while (zs.avail_out == 0);
    }
    deflateEnd(&zs);
    if (!ok)
        out.clear();
    return ok && !out.empty();
}

bool ZlibDecompress(const uint8_t* in, size_t length, std::vector<uint8_t>& out, size_t limit)
{
    out.clear();
    if (in == nullptr || length == 0)
        return false;
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK)
        return false;
    std::vector<uint8_t> block(kInflateBlock);
    zs.next_in = const_cast<Bytef*>(in);
    size_t fed = 0;
    bool ok = true;
    for (;;) {
        if (zs.avail_in == 0 && fed < length) {
            const size_t slice = length - fed < (size_t(1) << 30) ? length - fed : (size_t(1) << 30);
            zs.avail_in = static_cast<uInt>(slice);
            fed += slice;
        }
        zs.next_out = block.data();
        zs.avail_out = static_cast<uInt>(block.size());
        const int r = inflate(&zs, Z_SYNC_FLUSH);
        const size_t produced = block.size() - zs.avail_out;
        if (r == Z_NEED_DICT || r == Z_DATA_ERROR || r == Z_MEM_ERROR || r == Z_STREAM_ERROR ||
            out.size() + produced > limit) {
            ok = false;
            break;
        }
        out.insert(out.end(), block.begin(), block.begin() + static_cast<long>(produced));
        if (r == Z_STREAM_END)
            break;
        // No progress, or all input used with room to spare: the stream simply stops here.
        if (r == Z_BUF_ERROR || (zs.avail_in == 0 && fed == length && zs.avail_out != 0))
            break;
    }
    inflateEnd(&zs);
    if (!ok)
        out.clear();
    return ok && !out.empty();
}

} // namespace net
