// One decoded picture of the paint module's cache (pixels, palette, frames and delays), and the
// information block through which picture handles look at it.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "engine/resource/ResourceKey.h"

namespace Lumora {

enum ImageFlags : uint32_t {
    kImageTransparent = 0x1,
    kImageBlock32 = 0x2,     // a 32-byte block in place of the palette (never drawn)
    kImagePaletted = 0x4,
    kImageAlpha = 0x8,
    kImageAnimated = 0x10,
    kImageAnchor = 0x20,
    kImageChanged = 0x200,
};

constexpr uint32_t kColourKey = 0xFF00FF;
constexpr uint32_t kNoTransparentIndex = 256;

struct ImageRecord {
    uint32_t id = 0;
    uint16_t width = 0;
    uint16_t height = 0;             // of one frame
    std::vector<uint8_t> pixels;     // frames stacked top to bottom (or a grid, see framesPerRow)
    uint32_t transparent = kNoTransparentIndex;  // 0x00BBGGRR, or a palette index
    uint32_t frames = 1;
    uint32_t flags = 0;
    std::vector<uint8_t> palette;    // R, G, B per entry; with kImageBlock32 the 32-byte block
    uint32_t paletteSize = 0;
    std::vector<uint32_t> delays;    // ms per frame, only with kImageAnimated
    uint16_t anchorFirst = 0;
    int16_t anchorSecond = 0;
    uint32_t loaded = 0;
    uint32_t time = 0;
    uint32_t reserved = 0;
    int16_t offsetX = 0, offsetY = 0;
    uint32_t framesPerRow = 1;

    uint32_t Size() const { return static_cast<uint32_t>(pixels.size()); }
    bool IsPaletted() const { return flags & kImagePaletted; }
    bool HasAlpha() const { return flags & kImageAlpha; }
    // Bytes per pixel of the cache layout: 4, or 1 / 2 for palette indexes (with alpha).
    uint32_t BytesPerPixel() const { return IsPaletted() ? (HasAlpha() ? 2 : 1) : 4; }
    // Pixel index (not byte offset) of (x, y) in frame f, honouring a grid of frames.
    size_t PixelIndex(int x, int y, uint32_t f) const;
    // Pixel data agrees with width, height, frames and format; blitting trusts this.
    bool IsConsistent() const;
};

// Eleven-word block that picture handles keep and the paint module fills.
struct PictureInfo {
    uint32_t imageId = 0;
    ImageRecord* image = nullptr;    // shared, not owned
    int32_t srcX = 0, srcY = 0;      // inside one frame
    int32_t width = 0, height = 0;
    int32_t frame = 0;
    uint32_t key = kColourKey;       // backdrop for the blitters; 0xFF00FF = none
    ResourceKey resKey;
    bool operator==(const PictureInfo&) const = default;
};

// One-frame 32-bit copy of a frame (flags lose 0x10 and palette; key and offsets kept).
bool CopyFrame(ImageRecord& out, const ImageRecord& src, uint32_t frame);
void FreeImageRecord(ImageRecord& r);
void CopyImageRecord(const ImageRecord& src, ImageRecord& out, bool withPixels);
// Frame index in [0, n) for any i, negative ones included.
inline uint32_t WrapFrame(int64_t i, uint32_t n) {
    if (n == 0) return 0;
    const int64_t m = i % int64_t(n);
    return static_cast<uint32_t>(m < 0 ? m + n : m);
}

} // namespace Lumora
