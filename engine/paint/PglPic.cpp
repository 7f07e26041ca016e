#include "engine/paint/PglPic.h"

namespace Lumora {

const uint8_t* CPglPic::PixelAt(int x, int y) const {
    const ImageRecord* img = info_.image;
    if (!img || !img->IsConsistent() || x < 0 || y < 0 || x >= img->width || y >= img->height) return nullptr;
    const size_t i = img->PixelIndex(x, y, WrapFrame(info_.frame, img->frames));
    return &img->pixels[i * img->BytesPerPixel()];
}

int CPglPic::IsOpaqueAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= info_.width || y >= info_.height) return 0;
    const uint8_t* p = PixelAt(x + info_.srcX, y + info_.srcY);
    if (!p) return 0;
    const ImageRecord* img = info_.image;
    if (!img->IsPaletted()) return p[3] != 0;
    if (p[0] == img->transparent) return 0;
    return img->HasAlpha() ? p[1] != 0 : 1;
}

void CPglPic::MarkChanged() {
    if (info_.image) info_.image->flags |= kImageChanged;
}

void CPglPic::ClearChanged() {
    if (info_.image) info_.image->flags &= ~kImageChanged;
}

uint32_t CPglPic::GetFrameDelay(int64_t i) const {
    const ImageRecord* img = info_.image;
    if (!img || !(img->flags & kImageAnimated) || img->frames == 0 || img->delays.size() < img->frames) return 0;
    return img->delays[WrapFrame(i, img->frames)];
}

uint32_t CPglPic::GetTotalDelay() const {
    const ImageRecord* img = info_.image;
    if (!img || !(img->flags & kImageAnimated) || img->delays.size() < img->frames) return 0;
    uint32_t total = 0;
    for (uint32_t f = 0; f < img->frames; ++f) total += img->delays[f];
    return total;
}

uint32_t CPglPic::GetPixelColour(int x, int y) const {
    const uint8_t* p = PixelAt(x, y);
    if (!p) return 0;
    const ImageRecord* img = info_.image;
    if (!img->IsPaletted()) return uint32_t(p[2]) | uint32_t(p[1]) << 8 | uint32_t(p[0]) << 16;
    if (p[0] >= img->paletteSize) return 0;
    const uint8_t* e = &img->palette[p[0] * 3u];
    return uint32_t(e[0]) | uint32_t(e[1]) << 8 | uint32_t(e[2]) << 16;
}

uint32_t CPglPic::GetPixelAlpha(int x, int y) const {
    const uint8_t* p = PixelAt(x, y);
    if (!p) return 0;
    const ImageRecord* img = info_.image;
    if (!img->IsPaletted()) return p[3];
    if (img->HasAlpha()) return p[1];
    return p[0] == img->transparent ? 0 : 255;
}

uint32_t CPglPic::SetFrame(int64_t i) {
    const ImageRecord* img = info_.image;
    if (!img || img->frames <= 1) return 0;
    const int frame = int(WrapFrame(i, img->frames));
    if (frame != info_.frame) {
        info_.frame = frame;
        MarkChanged();
    }
    return GetFrameDelay(frame);
}

uint32_t CPglPic::AdvanceToTime(uint32_t elapsedMs, int startFrame) {
    const ImageRecord* img = info_.image;
    if (!img || img->frames <= 1) return 0;
    const uint32_t total = GetTotalDelay();
    if (total == 0) return uint32_t(startFrame);  // no timing: nothing to find, keep the frame
    const uint32_t t = elapsedMs % total;
    uint64_t sum = 0;
    // One cycle always reaches the total, which exceeds t, so the walk is bounded.
    for (uint32_t step = 0; step < img->frames; ++step) {
        const uint32_t f = WrapFrame(int64_t(startFrame) + step, img->frames);
        sum += img->delays[f];
        if (sum > t) {
            if (int(f) == info_.frame) return uint32_t(startFrame);
            return SetFrame(f);
        }
    }
    return uint32_t(startFrame);
}

uint32_t CPglPic::NextFrame() {
    const ImageRecord* img = info_.image;
    if (!img || img->frames < 2) return 0;
    info_.frame = int(WrapFrame(int64_t(info_.frame) + 1, img->frames));
    return GetFrameDelay(info_.frame);
}

} // namespace Lumora
