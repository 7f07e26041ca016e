// Scaling pre-passes: a source region resized into a new buffer before it is drawn.
#include <algorithm>

#include "engine/paint/BlitPixels.h"

namespace Lumora {

using namespace blit;

std::vector<uint32_t> Scale32Nearest(const BlitSource& s, int tw, int th) {
    if (tw <= 0 || th <= 0 || s.w <= 0 || s.h <= 0) return {};
    std::vector<uint32_t> out(size_t(tw) * th);
    const int stepX = (s.w > 1 && tw > 1) ? ((s.w << 10) - 1024) / (tw - 1) : 0;
    const int stepY = (s.h > 1 && th > 1) ? ((s.h << 10) - 1024) / (th - 1) : 0;
    int posY = 512, last = -1;
    for (int j = 0; j < th; ++j, posY += stepY) {
        const int row = std::min(posY >> 10, s.h - 1);
        uint32_t* o = out.data() + size_t(j) * tw;
        // A row that samples the source row of the row above is a copy of it; at the same width
        // the columns are the source's own (the step is then exactly one pixel).
        if (row == last) {
            std::memcpy(o, o - tw, size_t(tw) * 4);
            continue;
        }
        last = row;
        const uint8_t* src = s.pixels + ((size_t(s.y) + row) * s.pitch + s.x) * 4;
        if (tw == s.w) {
            std::memcpy(o, src, size_t(tw) * 4);
            continue;
        }
        int posX = 512;
        for (int i = 0; i < tw; ++i, posX += stepX)
            std::memcpy(o + i, src + size_t(std::min(posX >> 10, s.w - 1)) * 4, 4);
    }
    return out;
}

std::vector<uint32_t> Scale32Bilinear(const BlitSource& s, int tw, int th) {
    if (tw <= 0 || th <= 0 || s.w <= 0 || s.h <= 0) return {};
    std::vector<uint32_t> out(size_t(tw) * th);
    const Read32 read(s);
    const int64_t stepX = (s.w > 1 && tw > 1) ? ((int64_t(s.w) << 16) - 65536) / (tw - 1) : 0;
    const int64_t stepY = (s.h > 1 && th > 1) ? ((int64_t(s.h) << 16) - 65536) / (th - 1) : 0;
    int64_t posY = 0;
    for (int j = 0; j < th; ++j, posY += stepY) {
        int64_t posX = 0;
        for (int i = 0; i < tw; ++i, posX += stepX) {
            uint32_t& o = out[size_t(j) * tw + i];
            const int ix = int(posX >> 16), iy = int(posY >> 16);
            if (i == 0 || j == 0 || i == tw - 1 || j == th - 1 || ix + 1 >= s.w || iy + 1 >= s.h) {
                // Nearest by rounding: the last column sits a hair before the last source pixel.
                const int nx = int((posX + 32768) >> 16), ny = int((posY + 32768) >> 16);
                const int cx = std::clamp(nx, 0, s.w - 1), cy = std::clamp(ny, 0, s.h - 1);
                o = read(cx, cy);
                if (cx != nx || cy != ny) o &= 0xFFFFFF;
                continue;
            }
            o = Lerp4(read(ix, iy), read(ix + 1, iy), read(ix, iy + 1), read(ix + 1, iy + 1),
                      uint32_t(posX >> 8) & 255, uint32_t(posY >> 8) & 255);
        }
    }
    return out;
}

std::vector<uint8_t> ScalePalettedNearest(const BlitSource& s, int tw, int th, bool withAlpha) {
    if (tw <= 0 || th <= 0 || s.w <= 0 || s.h <= 0) return {};
    const size_t bpp = withAlpha ? 2 : 1;
    std::vector<uint8_t> out(size_t(tw) * th * bpp);
    const int stepX = (s.w << 10) / tw, stepY = (s.h << 10) / th;
    int posY = 0;
    for (int j = 0; j < th; ++j, posY += stepY) {
        const int row = std::min(posY >> 10, s.h - 1);
        int posX = 0;
        for (int i = 0; i < tw; ++i, posX += stepX) {
            const int col = std::min(posX >> 10, s.w - 1);
            const uint8_t* p = s.pixels + ((size_t(s.y) + row) * s.pitch + s.x + col) * bpp;
            uint8_t* o = &out[(size_t(j) * tw + i) * bpp];
            o[0] = p[0];
            if (withAlpha) o[1] = p[1];
        }
    }
    return out;
}

} // namespace Lumora
