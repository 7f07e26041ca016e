// Pixel rules and source readers shared by the blitter loops (internal to the blitters).
#pragma once
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "engine/paint/Blitters.h"

namespace Lumora::blit {

inline uint32_t Ch(uint32_t p, int i) { return (p >> (8 * i)) & 0xFF; }
inline uint32_t Pack(uint32_t b, uint32_t g, uint32_t r, uint32_t a) { return b | g << 8 | r << 16 | a << 24; }

// What a member needs to know about k and the backdrop, computed once per call.
struct Rule {
    double k = 1;
    uint32_t ka = 255;            // trunc(k * 255)
    bool inner = false;           // the constant-alpha case applies
    bool backdrop = false;
    uint32_t bd = 0;              // backdrop B, G, R as a pixel
    uint32_t threshold = 0;       // TT
    bool strict = true;           // 32-bit members: alpha > TT; paletted: alpha >= TT
};

inline Rule MakeRule(double k, uint32_t backdrop, bool paletted) {
    Rule r;
    r.k = k;
    r.ka = k > 0 ? uint32_t(k * 255) : 0;
    if (r.ka > 255) r.ka = 255;
    r.inner = k > 0 && k < 1;
    r.backdrop = backdrop != 0xFF00FF;
    r.bd = Pack(Ch(backdrop, 2), Ch(backdrop, 1), Ch(backdrop, 0), 255);
    r.threshold = backdrop >> 24;
    r.strict = !paletted;
    return r;
}

inline uint32_t Mix(uint32_t src, uint32_t dst, uint32_t a, uint32_t alphaOut) {
    const uint32_t na = 255 - a;
    return Pack((Ch(src, 0) * a + na * Ch(dst, 0)) >> 8, (Ch(src, 1) * a + na * Ch(dst, 1)) >> 8,
                (Ch(src, 2) * a + na * Ch(dst, 2)) >> 8, alphaOut);
}

// Pictures without an alpha channel: A = 0 (or the key) is skipped by the reader or here.
inline void PutConst(uint32_t& d, uint32_t s, const Rule& r) {
    const uint32_t sa = s >> 24;
    if (sa == 0) return;
    if (r.backdrop && (r.strict ? sa <= r.threshold : sa < r.threshold)) return;
    if (!r.inner) {
        d = s;
        return;
    }
    d = Mix(s, r.backdrop ? r.bd : d, r.ka, 255);
}

inline void PutAlphaOver(uint32_t& d, uint32_t s, const Rule& r) {
    const uint32_t alpha = s >> 24;
    if (r.backdrop) {
        if (r.strict ? alpha <= r.threshold : alpha < r.threshold) return;
        const uint32_t a = r.inner ? (r.ka * alpha) >> 8 : alpha;
        d = Mix(s, r.bd, a, 255);
        return;
    }
    if (alpha < 1) return;
    const uint32_t a = r.inner ? (r.ka * alpha) >> 8 : alpha;
    const uint32_t da = d >> 24;
    if (da == 0) {
        d = (s & 0xFFFFFF) | a << 24;
        return;
    }
    d = Mix(s, d, a, std::max(da, a));
}

inline void PutAlphaOverOpaque(uint32_t& d, uint32_t s, const Rule& r) {
    if ((d >> 24) <= 254) return;
    const uint32_t alpha = s >> 24;
    if (r.backdrop ? (r.strict ? alpha <= r.threshold : alpha < r.threshold) : alpha < 1) return;
    const uint32_t a = r.inner ? (r.ka * alpha) >> 8 : alpha;
    d = Mix(s, d, a, d >> 24);
}

inline void PutInvert(uint32_t& d, uint32_t s) {
    if ((s >> 24) == 0) return;
    d = (~d & 0xFFFFFF) | 0xFF000000u;
}

// Readers: pixel of the source region at (col, row) as B, G, R, A; the key reads as A = 0.
struct Read32 {
    const uint8_t* base;
    int32_t pitch;
    explicit Read32(const BlitSource& s) : base(s.pixels + (size_t(s.y) * s.pitch + s.x) * 4), pitch(s.pitch) {}
    uint32_t operator()(int col, int row) const {
        uint32_t p;
        std::memcpy(&p, base + (size_t(row) * pitch + col) * 4, 4);
        return p;
    }
};

// Expanded palette: entry i as B, G, R, 255; the key index and missing entries as A = 0.
inline std::array<uint32_t, 256> PaletteTable(const BlitSource& s) {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256 && i < s.paletteSize; ++i) {
        const uint8_t* e = s.palette + i * 3;
        t[i] = Pack(e[2], e[1], e[0], i == s.key ? 0 : 255);
    }
    return t;
}

struct ReadPal8 {
    const uint8_t* base;
    int32_t pitch;
    const std::array<uint32_t, 256>* table;
    ReadPal8(const BlitSource& s, const std::array<uint32_t, 256>& t)
        : base(s.pixels + size_t(s.y) * s.pitch + s.x), pitch(s.pitch), table(&t) {}
    uint32_t operator()(int col, int row) const { return (*table)[base[size_t(row) * pitch + col]]; }
};

struct ReadPal16 {
    const uint8_t* base;
    int32_t pitch;
    const std::array<uint32_t, 256>* table;
    ReadPal16(const BlitSource& s, const std::array<uint32_t, 256>& t)
        : base(s.pixels + (size_t(s.y) * s.pitch + s.x) * 2), pitch(s.pitch), table(&t) {}
    uint32_t operator()(int col, int row) const {
        const uint8_t* p = base + (size_t(row) * pitch + col) * 2;
        const uint32_t e = (*table)[p[0]];
        return (e >> 24) ? (e & 0xFFFFFF) | uint32_t(p[1]) << 24 : 0;
    }
};

// Index-and-alpha reader that tells the key apart from a black pixel of alpha 0.
struct KeyedPixel {
    uint32_t px;
    bool key;
};
struct ReadPal16Keyed {
    ReadPal16 inner;
    ReadPal16Keyed(const BlitSource& s, const std::array<uint32_t, 256>& t) : inner(s, t) {}
    KeyedPixel operator()(int col, int row) const {
        const uint8_t* p = inner.base + (size_t(row) * inner.pitch + col) * 2;
        const uint32_t e = (*inner.table)[p[0]];
        return {(e & 0xFFFFFF) | uint32_t(p[1]) << 24, (e >> 24) == 0};
    }
};

// Cuts an unrotated draw at (dx, dy) of w x h from source (sx, sy) to the clip rectangle.
inline bool ClipUnrotated(const Rect& c, int& dx, int& dy, int& w, int& h, int& sx, int& sy) {
    if (dx < c.left) { w -= c.left - dx; sx += c.left - dx; dx = c.left; }
    if (dx + w >= c.right) w = c.right - dx;
    if (dy < c.top) { h -= c.top - dy; sy += c.top - dy; dy = c.top; }
    if (dy + h >= c.bottom) h = c.bottom - dy;
    return w > 0 && h > 0;
}

// Loop over the clipped rectangle of an unrotated member.
template <class Read, class Put>
void Unrotated(const BlitTarget& t, int dx, int dy, const BlitSource& s, Read read, Put put) {
    int w = s.w, h = s.h, sx = 0, sy = 0;
    if (!ClipUnrotated(t.clip, dx, dy, w, h, sx, sy)) return;
    for (int j = 0; j < h; ++j) {
        uint32_t* d = t.pixels + size_t(dy + j) * t.width + dx;
        for (int i = 0; i < w; ++i) put(d[i], read(sx + i, sy + j));
    }
}

// Exact sine and cosine at the four right angles, the 1024 or 65536 scaled values elsewhere.
inline void RotationSteps(double angle, int32_t one, int32_t& c, int32_t& s) {
    if (angle == 0.0) { c = one; s = 0; return; }
    if (angle == 90.0) { c = 0; s = one; return; }
    if (angle == 180.0) { c = -one; s = 0; return; }
    if (angle == 270.0) { c = 0; s = -one; return; }
    const double th = angle * 3.14159 / 180.0;
    c = int32_t(std::cos(th) * one);
    s = int32_t(std::sin(th) * one);
}

// The 1024 fixed-point walk over the 2r x 2r square at (left, top).
template <class Read, class Put>
void Rotated(const BlitTarget& t, int left, int top, const BlitSource& s, double angle, Read read, Put put) {
    const int r = RotationRadius(s.w, s.h);
    if (r == 0) return;
    int32_t c, sn;
    RotationSteps(angle, 1024, c, sn);
    const int hx = (s.w + 1) / 2, hy = (s.h + 1) / 2;
    int64_t rowA = int64_t(r) * (sn - c), rowB = int64_t(r) * (sn + c);
    for (int j = 0; j < 2 * r; ++j, rowA -= sn, rowB -= c) {
        const int py = top + j;
        if (py < t.clip.top || py >= t.clip.bottom) continue;
        int64_t A = rowA, B = rowB;
        uint32_t* d = t.pixels + size_t(py) * t.width;
        for (int i = 0; i < 2 * r; ++i, A += c, B -= sn) {
            const int px = left + i;
            const int col = hx + int(A >> 10), row = hy - int(B >> 10);
            if (col < 0 || col >= s.w || row < 0 || row >= s.h) continue;
            if (px < t.clip.left || px >= t.clip.right) continue;
            put(d[px], read(col, row));
        }
    }
}

inline uint32_t Lerp4(uint32_t p00, uint32_t p10, uint32_t p01, uint32_t p11, uint32_t fx, uint32_t fy) {
    const uint32_t w11 = (fx * fy) >> 8, w01 = fy - w11, w10 = fx - w11, w00 = 256 - fx - fy + w11;
    const uint32_t rb = ((p00 & 0xFF00FF) * w00 + (p10 & 0xFF00FF) * w10 + (p01 & 0xFF00FF) * w01 +
                         (p11 & 0xFF00FF) * w11) >> 8;
    const uint32_t ag = (((p00 >> 8) & 0xFF00FF) * w00 + ((p10 >> 8) & 0xFF00FF) * w10 +
                         ((p01 >> 8) & 0xFF00FF) * w01 + ((p11 >> 8) & 0xFF00FF) * w11) >> 8;
    return (rb & 0xFF00FF) | (ag & 0xFF00FF) << 8;
}

// The 16.16 walk with bilinear sampling inside and nearest samples on the border.
template <class Read>
void Fine(const BlitTarget& t, int left, int top, const BlitSource& s, double angle, double k, Read read) {
    const int r = RotationRadius(s.w, s.h);
    if (r == 0 || !(k > 0)) return;
    int32_t c, sn;
    RotationSteps(angle, 65536, c, sn);
    const uint32_t a0 = std::min<uint32_t>(255, uint32_t(k * 255));
    int64_t rowX = int64_t(sn - c) * r + (int64_t(s.w + 1) << 15);
    int64_t rowY = (int64_t(s.h + 1) << 15) - int64_t(sn + c) * r;
    for (int j = 0; j < 2 * r; ++j, rowX -= sn, rowY += c) {
        const int py = top + j;
        if (py < t.clip.top || py >= t.clip.bottom) continue;
        int64_t X = rowX, Y = rowY;
        uint32_t* d = t.pixels + size_t(py) * t.width;
        for (int i = 0; i < 2 * r; ++i, X += c, Y += sn) {
            const int px = left + i;
            if (px < t.clip.left || px >= t.clip.right) continue;
            const int64_t cx = X >> 16, cy = Y >> 16;
            if (cx < 0 || cx >= s.w || cy < 0 || cy >= s.h) continue;
            uint32_t sample;
            if (cx == 0 || cy == 0 || cx == s.w - 1 || cy == s.h - 1) {
                sample = read(int(cx), int(cy));
            } else {
                const int ix = int(cx), iy = int(cy);
                sample = Lerp4(read(ix, iy), read(ix + 1, iy), read(ix, iy + 1), read(ix + 1, iy + 1),
                               uint32_t(X >> 8) & 255, uint32_t(Y >> 8) & 255);
            }
            BlendPixel(d[px], sample, a0);
        }
    }
}

} // namespace Lumora::blit
