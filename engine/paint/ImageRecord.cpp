#include "engine/paint/ImageRecord.h"

#include <cstring>

namespace Lumora {

size_t ImageRecord::PixelIndex(int x, int y, uint32_t f) const {
    const size_t W = width, H = height, k = framesPerRow;
    if (k > 1) return ((H * (f / k) + size_t(y)) * k + f % k) * W + size_t(x);
    return (H * f + size_t(y)) * W + size_t(x);
}

bool ImageRecord::IsConsistent() const {
    if (frames == 0) return false;
    const uint64_t need = uint64_t(width) * height * frames * BytesPerPixel();
    if (pixels.size() < need) return false;
    if (IsPaletted() && palette.size() < size_t(paletteSize) * 3) return false;
    if ((flags & kImageAnimated) && delays.size() < frames) return false;
    return true;
}

bool CopyFrame(ImageRecord& out, const ImageRecord& src, uint32_t frame) {
    if (!src.IsConsistent()) return false;
    frame = WrapFrame(frame, src.frames);
    ImageRecord r;
    r.width = src.width;
    r.height = src.height;
    r.transparent = src.transparent;
    r.flags = src.flags & ~(kImageAnimated | kImagePaletted | kImageBlock32);
    r.offsetX = src.offsetX;
    r.offsetY = src.offsetY;
    r.anchorFirst = src.anchorFirst;
    r.anchorSecond = src.anchorSecond;
    r.pixels.resize(size_t(src.width) * src.height * 4);
    uint8_t* d = r.pixels.data();
    for (int y = 0; y < src.height; ++y) {
        for (int x = 0; x < src.width; ++x, d += 4) {
            const size_t i = src.PixelIndex(x, y, frame);
            if (!src.IsPaletted()) {
                std::memcpy(d, &src.pixels[i * 4], 4);
                continue;
            }
            const uint32_t bpp = src.BytesPerPixel();
            const uint8_t index = src.pixels[i * bpp];
            const uint8_t* p = index < src.paletteSize ? &src.palette[index * 3u] : nullptr;
            d[0] = p ? p[2] : 0;
            d[1] = p ? p[1] : 0;
            d[2] = p ? p[0] : 0;
            if (bpp == 2)
                d[3] = src.pixels[i * 2 + 1];
            else
                d[3] = (src.flags & kImageTransparent) && index == src.transparent ? 0 : 255;
        }
    }
    if (src.IsPaletted()) {
        r.flags |= kImageAlpha;  // the key became A = 0
        r.transparent = kColourKey;
    }
    out = std::move(r);
    return true;
}

void FreeImageRecord(ImageRecord& r) { r = ImageRecord{}; r.frames = 0; r.transparent = 0; }

void CopyImageRecord(const ImageRecord& src, ImageRecord& out, bool withPixels) {
    out = src;
    if (!withPixels) out.pixels.clear();
    out.framesPerRow = 1;
}

} // namespace Lumora
