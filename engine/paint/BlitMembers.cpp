// The members of the blitter family: one loop shape each, with its pixel rule.
#include <cmath>
#include <cstring>

#include "engine/paint/BlitPixels.h"

namespace Lumora {

using namespace blit;

int RotationRadius(int w, int h) {
    if (w <= 0 || h <= 0) return 0;
    return int(std::sqrt((w / 2.0) * (w / 2.0) + (h / 2.0) * (h / 2.0)));
}

void CopyRect32(const BlitTarget& t, int dx, int dy, const BlitSource& s) {
    int w = s.w, h = s.h, sx = s.x, sy = s.y;
    if (!ClipUnrotated(t.clip, dx, dy, w, h, sx, sy)) return;
    // Whole rows on both sides lie end to end: one copy, which the library does at full speed.
    if (w == s.pitch && w == t.width && sx == 0 && dx == 0) {
        std::memcpy(t.pixels + size_t(dy) * t.width, s.pixels + size_t(sy) * s.pitch * 4, size_t(w) * h * 4);
        return;
    }
    for (int j = 0; j < h; ++j)
        std::memcpy(t.pixels + size_t(dy + j) * t.width + dx, s.pixels + (size_t(sy + j) * s.pitch + sx) * 4,
                    size_t(w) * 4);
}

void Blit32ConstAlpha(const BlitTarget& t, int dx, int dy, const BlitSource& s, double k, uint32_t backdrop) {
    if (!(k > 0)) return;
    const Rule r = MakeRule(k, backdrop, false);
    Unrotated(t, dx, dy, s, Read32(s), [&r](uint32_t& d, uint32_t p) { PutConst(d, p, r); });
}

void Blit32AlphaOverOpaque(const BlitTarget& t, int dx, int dy, const BlitSource& s, double k, uint32_t backdrop) {
    if (!(k > 0)) return;
    const Rule r = MakeRule(k, backdrop, false);
    Unrotated(t, dx, dy, s, Read32(s), [&r](uint32_t& d, uint32_t p) { PutAlphaOverOpaque(d, p, r); });
}

void BlitPaletted(const BlitTarget& t, int dx, int dy, const BlitSource& s, double k, uint32_t backdrop) {
    if (!(k > 0)) return;
    const Rule r = MakeRule(k, backdrop, true);
    const auto table = PaletteTable(s);
    Unrotated(t, dx, dy, s, ReadPal8(s, table), [&r](uint32_t& d, uint32_t p) { PutConst(d, p, r); });
}

void BlitPalettedAlpha(const BlitTarget& t, int dx, int dy, const BlitSource& s, double k, uint32_t backdrop) {
    if (!(k > 0)) return;
    const Rule r = MakeRule(k, backdrop, true);
    const auto table = PaletteTable(s);
    Unrotated(t, dx, dy, s, ReadPal16Keyed(s, table), [&r](uint32_t& d, KeyedPixel p) {
        if (!p.key) PutAlphaOver(d, p.px, r);  // the key is skipped even against a backdrop
    });
}

void BlitPalettedAlphaOverOpaque(const BlitTarget& t, int dx, int dy, const BlitSource& s, double k,
                                 uint32_t backdrop) {
    if (!(k > 0)) return;
    const Rule r = MakeRule(k, backdrop, true);
    const auto table = PaletteTable(s);
    Unrotated(t, dx, dy, s, ReadPal16Keyed(s, table), [&r](uint32_t& d, KeyedPixel p) {
        if (!p.key) PutAlphaOverOpaque(d, p.px, r);
    });
}

void BlitRotated32(const BlitTarget& t, int left, int top, const BlitSource& s, double angle, double k,
                   uint32_t backdrop) {
    if (!(k > 0)) return;
    const Rule r = MakeRule(k, backdrop, false);
    Rotated(t, left, top, s, angle, Read32(s), [&r](uint32_t& d, uint32_t p) { PutConst(d, p, r); });
}

void BlitRotated32Alpha(const BlitTarget& t, int left, int top, const BlitSource& s, double angle, double k,
                        uint32_t backdrop) {
    if (!(k > 0)) return;
    const Rule r = MakeRule(k, backdrop, false);
    Rotated(t, left, top, s, angle, Read32(s), [&r](uint32_t& d, uint32_t p) { PutAlphaOver(d, p, r); });
}

void BlitRotated32Fine(const BlitTarget& t, int left, int top, const BlitSource& s, double angle, double k) {
    Fine(t, left, top, s, angle, k, Read32(s));
}

void InvertRotated32(const BlitTarget& t, int left, int top, const BlitSource& s, double angle) {
    Rotated(t, left, top, s, angle, Read32(s), [](uint32_t& d, uint32_t p) { PutInvert(d, p); });
}

void BlitRotatedPaletted(const BlitTarget& t, int left, int top, const BlitSource& s, double angle, double k,
                         uint32_t backdrop) {
    if (!(k > 0)) return;
    const Rule r = MakeRule(k, backdrop, true);
    const auto table = PaletteTable(s);
    Rotated(t, left, top, s, angle, ReadPal8(s, table), [&r](uint32_t& d, uint32_t p) { PutConst(d, p, r); });
}

void BlitRotatedPalettedAlpha(const BlitTarget& t, int left, int top, const BlitSource& s, double angle, double k,
                              uint32_t backdrop) {
    if (!(k > 0)) return;
    const Rule r = MakeRule(k, backdrop, true);
    const auto table = PaletteTable(s);
    Rotated(t, left, top, s, angle, ReadPal16Keyed(s, table), [&r](uint32_t& d, KeyedPixel p) {
        if (!p.key) PutAlphaOver(d, p.px, r);
    });
}

void BlitRotatedPalettedFine(const BlitTarget& t, int left, int top, const BlitSource& s, double angle, double k) {
    const auto table = PaletteTable(s);
    Fine(t, left, top, s, angle, k, ReadPal8(s, table));
}

void BlitRotatedPalettedAlphaFine(const BlitTarget& t, int left, int top, const BlitSource& s, double angle,
                                  double k) {
    const auto table = PaletteTable(s);
    Fine(t, left, top, s, angle, k, ReadPal16(s, table));
}

void InvertRotatedPaletted(const BlitTarget& t, int left, int top, const BlitSource& s, double angle,
                           bool withAlpha) {
    const auto table = PaletteTable(s);
    auto put = [](uint32_t& d, uint32_t p) { PutInvert(d, p); };
    if (withAlpha)
        Rotated(t, left, top, s, angle, ReadPal16(s, table), put);
    else
        Rotated(t, left, top, s, angle, ReadPal8(s, table), put);
}

uint32_t SampleBilinearPixels(uint32_t p00, uint32_t p10, uint32_t p01, uint32_t p11, int32_t x, int32_t y) {
    return Lerp4(p00, p10, p01, p11, uint32_t(x >> 8) & 255, uint32_t(y >> 8) & 255);
}

uint32_t SampleBilinear(const BlitSource& s, int32_t x, int32_t y) {
    const Read32 read(s);
    const int ix = x >> 16, iy = y >> 16;
    return SampleBilinearPixels(read(ix, iy), read(ix + 1, iy), read(ix, iy + 1), read(ix + 1, iy + 1), x, y);
}

uint32_t SampleNearestClamped(const BlitSource& s, int32_t x, int32_t y) {
    int ix = x >> 16, iy = y >> 16;
    const int cx = std::clamp(ix, 0, s.w - 1), cy = std::clamp(iy, 0, s.h - 1);
    const uint32_t p = Read32(s)(cx, cy);
    return (cx != ix || cy != iy) ? p & 0xFFFFFF : p;
}

void BlendPixel(uint32_t& destination, uint32_t source, uint32_t a0) {
    const uint32_t a = ((source >> 24) * a0) >> 8;
    const uint32_t da = destination >> 24;
    if (da == 0) {
        destination = (source & 0xFFFFFF) | a << 24;
        return;
    }
    // The plane keeps the more opaque of its own alpha and the sample's.
    destination = Mix(source, destination, a, std::max(da, a));
}

} // namespace Lumora
