// Our own reader of uncompressed BMP files: 1, 4 and 8 bits to palette indexes, 24 and 32
// bits to true colour; rows bottom-up unless the height is negative.
#include <cstdlib>
#include <cstring>

#include "platform/ImageDecode.h"

namespace platform {
namespace {

uint32_t Le(const uint8_t* p, int n) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i) v |= uint32_t(p[i]) << (8 * i);
    return v;
}

} // namespace

bool DecodeBmp(const uint8_t* data, size_t size, DecodedPicture& out) {
    if (size < 26 || data[0] != 'B' || data[1] != 'M') return false;
    const uint32_t pixelOffset = Le(data + 10, 4), headerSize = Le(data + 14, 4);
    if (headerSize < 12 || uint64_t(14) + headerSize > size) return false;
    int64_t w, h;
    uint32_t bpp, compression = 0, colours = 0;
    const bool core = headerSize < 40;
    if (core) {
        w = Le(data + 18, 2);
        h = Le(data + 20, 2);
        bpp = Le(data + 24, 2);
    } else {
        w = int32_t(Le(data + 18, 4));
        h = int32_t(Le(data + 22, 4));
        bpp = Le(data + 28, 2);
        compression = Le(data + 30, 4);
        colours = Le(data + 46, 4);
    }
    const bool bottomUp = h > 0;
    h = std::llabs(h);
    if (w <= 0 || h == 0 || uint64_t(w) * uint64_t(h) * 4 > kMaxDecodedBytes) return false;
    const bool fields32 = compression == 3 && bpp == 32 && headerSize >= 52 && Le(data + 54, 4) == 0xFF0000 &&
                          Le(data + 58, 4) == 0xFF00 && Le(data + 62, 4) == 0xFF;
    if (compression != 0 && !fields32) return false;  // run-coded and odd masks: not used here
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) return false;
    const uint64_t stride = (uint64_t(w) * bpp + 31) / 32 * 4;
    if (uint64_t(pixelOffset) + stride * uint64_t(h) > size) return false;
    out.width = uint32_t(w);
    out.height = uint32_t(h);
    if (bpp <= 8) {
        const uint32_t entrySize = core ? 3 : 4;
        uint32_t entries = colours ? colours : (1u << bpp);
        if (entries > 256) entries = 256;
        const uint64_t paletteAt = 14 + uint64_t(headerSize);
        if (paletteAt + uint64_t(entries) * entrySize > pixelOffset) return false;
        for (uint32_t i = 0; i < entries; ++i) {
            const uint8_t* q = data + paletteAt + i * entrySize;
            out.palette.insert(out.palette.end(), {q[2], q[1], q[0]});
        }
        out.flags = DecodedPicture::kPaletted;
        out.transparent = 256;
    }
    const size_t bytesPerPixel = bpp <= 8 ? 1 : 4;
    out.pixels.resize(size_t(w) * size_t(h) * bytesPerPixel);
    for (int64_t y = 0; y < h; ++y) {
        const uint8_t* row = data + pixelOffset + stride * uint64_t(bottomUp ? h - 1 - y : y);
        uint8_t* dst = out.pixels.data() + size_t(y) * size_t(w) * bytesPerPixel;
        for (int64_t x = 0; x < w; ++x) {
            if (bpp <= 8) {
                const uint64_t bit = uint64_t(x) * bpp;
                const uint32_t shift = 8 - bpp - uint32_t(bit % 8);
                dst[x] = uint8_t((row[bit / 8] >> shift) & ((1u << bpp) - 1));
            } else {
                const uint8_t* p = row + x * (bpp / 8);
                dst[4 * x] = p[0];
                dst[4 * x + 1] = p[1];
                dst[4 * x + 2] = p[2];
                dst[4 * x + 3] = 255;
            }
        }
    }
    return true;
}

} // namespace platform
