// GIF through giflib: frames composed on the logical screen with their disposal, delays in ms;
// paletted when every frame uses one colour table, true colour otherwise.
#include <gif_lib.h>

#include <algorithm>
#include <cstring>

#include "platform/ImageDecode.h"
#include "platform/MemoryReader.h"

namespace platform {
namespace {

int ReadFromMemory(GifFileType* gif, GifByteType* out, int n) {
    return int(static_cast<MemoryReader*>(gif->UserData)->Take(out, size_t(n < 0 ? 0 : n)));
}

struct GifGuard {
    GifFileType* gif = nullptr;
    ~GifGuard() {
        int err;
        if (gif) DGifCloseFile(gif, &err);
    }
};

bool SameMap(const ColorMapObject* a, const ColorMapObject* b) {
    if (a == b) return true;
    if (!a || !b || a->ColorCount != b->ColorCount) return false;
    return std::memcmp(a->Colors, b->Colors, sizeof(GifColorType) * size_t(a->ColorCount)) == 0;
}

uint32_t Le16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }

// Walks the blocks without decoding them, so that no frame's raster is sized from its
// descriptor before it is known to fit: the frames' rasters and the decoded frames together
// stay under the cap, and each frame's pixels are within what its LZW data could code (a code
// is at least 3 bits and stands for at most 4096 pixels).
bool FramesFit(const uint8_t* data, size_t size, uint64_t screenBytes) {
    if (size < 13) return false;
    size_t pos = 13;
    if (data[10] & 0x80) pos += size_t(3) << ((data[10] & 7) + 1);
    uint64_t total = 0;
    // Skips a chain of sub-blocks; returns their byte count, or -1 when the chain is cut.
    auto subBlocks = [&]() -> int64_t {
        int64_t bytes = 0;
        while (pos < size && data[pos] != 0) {
            bytes += data[pos];
            pos += size_t(data[pos]) + 1;
        }
        if (pos >= size) return -1;
        ++pos;
        return bytes;
    };
    while (pos < size) {
        const uint8_t kind = data[pos++];
        if (kind == 0x3B) break;
        if (kind == 0x21) {
            ++pos;  // the extension's label
            if (subBlocks() < 0) return false;
            continue;
        }
        if (kind != 0x2C || pos + 9 > size) return false;
        const uint64_t pixels = uint64_t(Le16(data + pos + 4)) * Le16(data + pos + 6);
        const uint8_t flags = data[pos + 8];
        pos += 9;
        if (flags & 0x80) pos += size_t(3) << ((flags & 7) + 1);
        ++pos;  // the LZW minimum code size
        const int64_t coded = subBlocks();
        if (coded < 0 || pixels > (uint64_t(coded) * 8 / 3 + 1) * 4096) return false;
        total += pixels + screenBytes;
        if (total > kMaxDecodedBytes) return false;
    }
    return true;
}

} // namespace

bool DecodeGif(const uint8_t* data, size_t size, DecodedPicture& out) {
    MemoryReader reader{data, size, 0};
    int err = 0;
    GifGuard g;
    g.gif = DGifOpen(&reader, ReadFromMemory, &err);
    if (!g.gif) return false;
    const uint64_t screenBytes = uint64_t(g.gif->SWidth) * uint64_t(g.gif->SHeight) * 4;
    if (screenBytes == 0 || screenBytes > kMaxDecodedBytes || !FramesFit(data, size, screenBytes)) return false;
    if (DGifSlurp(g.gif) != GIF_OK || g.gif->ImageCount < 1) return false;
    GifFileType* gif = g.gif;
    const uint32_t W = uint32_t(gif->SWidth), H = uint32_t(gif->SHeight), n = uint32_t(gif->ImageCount);
    if (W == 0 || H == 0 || uint64_t(W) * H * n * 4 > kMaxDecodedBytes) return false;

    std::vector<const ColorMapObject*> maps(n);
    std::vector<GraphicsControlBlock> gcb(n);
    bool sameTable = true;
    for (uint32_t f = 0; f < n; ++f) {
        const SavedImage& im = gif->SavedImages[f];
        maps[f] = im.ImageDesc.ColorMap ? im.ImageDesc.ColorMap : gif->SColorMap;
        if (!maps[f]) return false;
        gcb[f] = GraphicsControlBlock{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
        DGifSavedExtensionToGCB(gif, int(f), &gcb[f]);
        sameTable = sameTable && SameMap(maps[f], maps[0]);
    }
    out.width = W;
    out.height = H;
    out.frames = n;
    const int firstKey = gcb[0].TransparentColor;
    const size_t bpp = sameTable ? 1 : 4;
    const size_t frameBytes = size_t(W) * H * bpp;
    out.pixels.resize(frameBytes * n);
    // The canvas starts as, and disposal restores, the key when the first frame has one, else
    // the background colour.
    const uint8_t fillIndex = uint8_t(firstKey >= 0 ? firstKey : gif->SBackGroundColor);
    uint8_t fill[4] = {0, 0, 0, 0};
    if (firstKey < 0 && gif->SColorMap && gif->SBackGroundColor < gif->SColorMap->ColorCount) {
        const GifColorType& c = gif->SColorMap->Colors[gif->SBackGroundColor];
        fill[0] = c.Blue;
        fill[1] = c.Green;
        fill[2] = c.Red;
        fill[3] = 255;
    }
    std::vector<uint8_t> canvas(frameBytes, fillIndex), saved;
    if (!sameTable)
        for (size_t i = 0; i < frameBytes; i += 4) std::memcpy(&canvas[i], fill, 4);
    for (uint32_t f = 0; f < n; ++f) {
        const SavedImage& im = gif->SavedImages[f];
        const GifImageDesc& d = im.ImageDesc;
        if (gcb[f].DisposalMode == DISPOSE_PREVIOUS) saved = canvas;
        const int key = gcb[f].TransparentColor;
        for (int y = 0; y < d.Height; ++y) {
            const int sy = d.Top + y;
            if (sy < 0 || uint32_t(sy) >= H) continue;
            for (int x = 0; x < d.Width; ++x) {
                const int sx = d.Left + x;
                if (sx < 0 || uint32_t(sx) >= W) continue;
                const int index = im.RasterBits[size_t(y) * d.Width + x];
                if (index == key) continue;
                const size_t at = (size_t(sy) * W + sx) * bpp;
                if (sameTable) {
                    canvas[at] = uint8_t(index);
                } else if (index < maps[f]->ColorCount) {
                    const GifColorType& c = maps[f]->Colors[index];
                    canvas[at] = c.Blue;
                    canvas[at + 1] = c.Green;
                    canvas[at + 2] = c.Red;
                    canvas[at + 3] = 255;
                }
            }
        }
        std::memcpy(out.pixels.data() + frameBytes * f, canvas.data(), frameBytes);
        if (gcb[f].DisposalMode == DISPOSE_BACKGROUND) {
            for (int y = std::max(0, d.Top); y < std::min<int>(int(H), d.Top + d.Height); ++y)
                for (int x = std::max(0, d.Left); x < std::min<int>(int(W), d.Left + d.Width); ++x) {
                    uint8_t* p = &canvas[(size_t(y) * W + x) * bpp];
                    if (sameTable) *p = fillIndex;
                    else std::memcpy(p, fill, 4);
                }
        } else if (gcb[f].DisposalMode == DISPOSE_PREVIOUS && !saved.empty()) {
            canvas = saved;
        }
    }
    if (n > 1) {
        out.flags |= DecodedPicture::kAnimated;
        for (uint32_t f = 0; f < n; ++f) out.delays.push_back(gcb[f].DelayTime ? uint32_t(gcb[f].DelayTime) * 10 : 40);
    }
    if (sameTable) {
        out.flags |= DecodedPicture::kPaletted;
        for (int i = 0; i < maps[0]->ColorCount; ++i)
            out.palette.insert(out.palette.end(), {maps[0]->Colors[i].Red, maps[0]->Colors[i].Green, maps[0]->Colors[i].Blue});
        out.transparent = 256;
        if (firstKey >= 0) {
            out.transparent = uint32_t(firstKey);
            if (std::memchr(out.pixels.data(), firstKey, out.pixels.size())) out.flags |= DecodedPicture::kTransparent;
        }
        return true;
    }
    for (size_t i = 3; i < out.pixels.size(); i += 4)
        if (out.pixels[i] == 0) {
            out.flags |= DecodedPicture::kAlpha;
            break;
        }
    return true;
}

} // namespace platform
