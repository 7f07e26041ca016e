#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/paint/Blitters.h"
#include "engine/paint/PaintLog.h"

using namespace Lumora;

namespace {

struct Px {
    int b, g, r, a;
};

Px Get(const std::vector<uint32_t>& v, size_t i) {
    const uint32_t p = v[i];
    return {int(p & 255), int(p >> 8 & 255), int(p >> 16 & 255), int(p >> 24)};
}

uint32_t Make(int b, int g, int r, int a) { return uint32_t(b) | uint32_t(g) << 8 | uint32_t(r) << 16 | uint32_t(a) << 24; }

std::vector<uint32_t> RandomPixels(std::mt19937& rng, size_t n, bool withZeroAlpha) {
    std::vector<uint32_t> v(n);
    for (auto& p : v) {
        p = rng();
        if (withZeroAlpha && rng() % 4 == 0) p &= 0x00FFFFFF;
        if (rng() % 5 == 0) p |= 0xFF000000;
    }
    return v;
}

ImageRecord Picture32(int w, int h, std::vector<uint32_t> px, uint32_t flags, int frames = 1) {
    ImageRecord img;
    img.width = uint16_t(w);
    img.height = uint16_t(h);
    img.frames = frames;
    img.flags = flags;
    img.pixels.resize(px.size() * 4);
    std::memcpy(img.pixels.data(), px.data(), img.pixels.size());
    return img;
}

struct Canvas {
    int w, h;
    std::vector<uint32_t> px;
    Surface surface() { return {reinterpret_cast<uint8_t*>(px.data()), w, h, 4, 0xFF00FF}; }
};

DrawParams At(int cx, int cy, int w, int h, double angle = 0) {
    DrawParams p;
    p.x = p.rawX = cx;
    p.y = p.rawY = cy;
    p.width = w;
    p.height = h;
    p.angle = angle;
    return p;
}

// Reference: the alpha-over pixel rule written out per channel.
Px RefAlphaOver(Px d, Px s, double k) {
    if (s.a == 0) return d;
    const int ka = int(k * 255);
    const int a = (k > 0 && k < 1) ? (ka * s.a) >> 8 : s.a;
    if (d.a == 0) return {s.b, s.g, s.r, a};
    return {(a * s.b + (255 - a) * d.b) >> 8, (a * s.g + (255 - a) * d.g) >> 8, (a * s.r + (255 - a) * d.r) >> 8,
            std::max(d.a, a)};
}

} // namespace

namespace {

// Pixels in runs of 1-24, each run of one of the two alphas (-1: random) or of random alphas, so
// groups of eight meet every mix; every byte is often 0 or 255 (the edges of the blend's rounding).
std::vector<uint32_t> RunPixels(std::mt19937& rng, size_t n, const std::array<int, 2>& alphas)
{
    std::vector<uint32_t> v(n);
    for (size_t i = 0; i < n;) {
        const size_t len = 1 + rng() % 24;
        const int alpha = rng() % 3 < 2 ? alphas[rng() % 2] : -1;
        for (size_t end = std::min(n, i + len); i < end; ++i) {
            uint32_t p = rng();
            for (int c = 0; c < 32; c += 8)
                if (rng() % 4 == 0)
                    p = (p & ~(0xFFu << c)) | ((rng() % 2 ? 0xFFu : 0u) << c);
            v[i] = alpha < 0 ? p : (p & 0xFFFFFF) | uint32_t(alpha) << 24;
        }
    }
    return v;
}

} // namespace

TEST(Blitters, AlphaBlitMatchesReferenceOnEveryKindOfGroupClipAndAlpha)
{
    for (bool wide : {true, false}) {
        SetWideBlitsAllowed(wide); // both vector paths and their scalar tails
        std::mt19937 rng(7);
        // Sources random, in opaque and transparent runs, or mostly opaque; destinations random,
        // mostly empty, or in empty and opaque runs.
        for (const std::array<int, 2> src : {std::array{-1, -1}, std::array{255, 0}, std::array{255, 255}})
            for (const std::array<int, 2> dst : {std::array{-1, -1}, std::array{0, 0}, std::array{0, 255}})
                for (int round = 0; round < 40; ++round) {
                    // Widths under eight, of whole groups, and with a tail of every length.
                    const int w = round < 16 ? 1 + round : 1 + int(rng() % 45), h = 1 + int(rng() % 23);
                    const ImageRecord img = Picture32(w, h, RunPixels(rng, size_t(w) * h, src), kImageAlpha);
                    Canvas c{50, 40, RunPixels(rng, 50 * 40, dst)};
                    const auto before = c.px;
                    const int cx = int(rng() % 70) - 10, cy = int(rng() % 60) - 10;
                    const double ks[] = {1.0, 0.5, 0.25, 0.9};
                    const double k = ks[round % 4];
                    DrawParams p = At(cx, cy, w, h);
                    Rect clip{0, 0, 50, 40};
                    if (round % 3 == 0) {
                        p.flags = kDrawClip;
                        p.clip = {int(rng() % 20), int(rng() % 20), 20 + int(rng() % 30), 15 + int(rng() % 25)};
                        clip = {std::max(0, p.clip.left), std::max(0, p.clip.top), std::min(50, p.clip.right),
                                std::min(40, p.clip.bottom)};
                    }
                    Surface s = c.surface();
                    DrawPicture(s, p, img, 0, 0, w, h, k, 0xFF00FF);
                    const int left = cx - (w + 1) / 2, top = cy - (h + 1) / 2;
                    for (int y = 0; y < 40; ++y)
                        for (int x = 0; x < 50; ++x) {
                            Px want = Get(before, size_t(y) * 50 + x);
                            const int sx = x - left, sy = y - top;
                            if (sx >= 0 && sx < w && sy >= 0 && sy < h && x >= clip.left && x < clip.right &&
                                y >= clip.top && y < clip.bottom) {
                                uint32_t sp;
                                std::memcpy(&sp, &img.pixels[(size_t(sy) * w + sx) * 4], 4);
                                want = RefAlphaOver(want, Get({sp}, 0), k);
                            }
                            const Px got = Get(c.px, size_t(y) * 50 + x);
                            ASSERT_TRUE(got.b == want.b && got.g == want.g && got.r == want.r && got.a == want.a)
                                << "source " << src[1] << " destination " << dst[1] << " round " << round << " at " << x
                                << "," << y << (wide ? "" : " (four-pixel path)");
                        }
                }
    }
    SetWideBlitsAllowed(true);
}

TEST(Blitters, HalfAlphaOntoEmptyPixelCopiesColourAndScalesAlpha) {
    Canvas c{4, 4, std::vector<uint32_t>(16, 0)};
    ImageRecord img = Picture32(1, 1, {Make(10, 20, 30, 200)}, kImageAlpha);
    DrawParams p = At(2, 2, 1, 1);  // a 1-pixel box starts one left and up of the centre
    Surface s = c.surface();
    DrawPicture(s, p, img, 0, 0, 1, 1, 0.5, 0xFF00FF);
    EXPECT_EQ(c.px[5], Make(10, 20, 30, (127 * 200) >> 8));
    // 255 x 255 >> 8 is 254: the shift, not a division by 255.
    Canvas d{1, 1, {Make(0, 0, 0, 255)}};
    ImageRecord white = Picture32(1, 1, {Make(255, 255, 255, 255)}, kImageAlpha);
    DrawParams q = At(1, 1, 1, 1);
    Surface ds = d.surface();
    DrawPicture(ds, q, white, 0, 0, 1, 1, 1.0, 0xFF00FF);
    EXPECT_EQ(d.px[0], Make(254, 254, 254, 255));
}

TEST(Blitters, ColourKeyedPictureSkipsTransparentPixelsAndConstantAlphaBlends) {
    // Decoders turn the key 0xFF00FF into A = 0; the 32-bit members skip on A = 0 only.
    ImageRecord img = Picture32(2, 1, {Make(0xFF, 0, 0xFF, 0), Make(100, 100, 100, 255)}, kImageTransparent);
    img.transparent = 0xFF00FF;
    Canvas c{2, 1, {Make(1, 2, 3, 255), Make(200, 0, 50, 255)}};
    DrawParams p = At(1, 1, 2, 1);
    Surface s = c.surface();
    DrawPicture(s, p, img, 0, 0, 2, 1, 1.0, 0xFF00FF);
    EXPECT_EQ(c.px[0], Make(1, 2, 3, 255));
    EXPECT_EQ(c.px[1], Make(100, 100, 100, 255));
    Canvas d{2, 1, {Make(1, 2, 3, 255), Make(200, 0, 50, 255)}};
    Surface ds = d.surface();
    DrawParams q = At(1, 1, 2, 1);
    DrawPicture(ds, q, img, 0, 0, 2, 1, 0.5, 0xFF00FF);
    const int ka = 127;
    EXPECT_EQ(d.px[1], Make((ka * 100 + 128 * 200) >> 8, (ka * 100) >> 8, (ka * 100 + 128 * 50) >> 8, 255));
}

TEST(Blitters, PalettedAlphaCasesWithAndWithoutBackdrop) {
    // Palette: 0 red, 1 green, 2 (the key) blue.
    ImageRecord img;
    img.width = 4;
    img.height = 1;
    img.flags = kImagePaletted | kImageAlpha | kImageTransparent;
    img.transparent = 2;
    img.palette = {255, 0, 0, 0, 255, 0, 0, 0, 255};
    img.paletteSize = 3;
    img.pixels = {0, 255, 1, 128, 2, 255, 0, 127};
    const uint32_t grey = Make(100, 100, 100, 255);
    auto draw = [&](double k, uint32_t backdrop) {
        Canvas c{4, 1, std::vector<uint32_t>(4, grey)};
        DrawParams p = At(2, 1, 4, 1);
        Surface s = c.surface();
        DrawPicture(s, p, img, 0, 0, 4, 1, k, backdrop);
        return c.px;
    };
    // Case 3: opaque with a white backdrop, threshold 128: alpha 127 is skipped, the key too.
    auto px = draw(1.0, 0x80FFFFFF);
    EXPECT_EQ(px[0], Make(0, 0, 254, 255));
    EXPECT_EQ(px[1], Make((128 * 0 + 127 * 255) >> 8, (128 * 255 + 127 * 255) >> 8, (127 * 255) >> 8, 255));
    EXPECT_EQ(px[2], grey);
    EXPECT_EQ(px[3], grey);
    // Case 1: k = 0.5 against the backdrop: a = (127 x alpha) >> 8.
    px = draw(0.5, 0x80FFFFFF);
    int a = (127 * 255) >> 8;
    EXPECT_EQ(px[0], Make((255 - a) * 255 >> 8, (255 - a) * 255 >> 8, (255 * a + (255 - a) * 255) >> 8, 255));
    // Case 2: k = 0.5 onto the buffer.
    px = draw(0.5, 0xFF00FF);
    a = (127 * 128) >> 8;
    EXPECT_EQ(px[1], Make((255 - a) * 100 >> 8, (a * 255 + (255 - a) * 100) >> 8, (255 - a) * 100 >> 8, 255));
    // Case 5 and the mended k <= 0: nothing at all, whatever the backdrop.
    EXPECT_EQ(draw(0.0, 0xFF00FF), std::vector<uint32_t>(4, grey));
    EXPECT_EQ(draw(-0.3, 0xFF00FF), std::vector<uint32_t>(4, grey));
    EXPECT_EQ(draw(0.0, 0x00FFFFFF), std::vector<uint32_t>(4, grey));
    EXPECT_EQ(draw(-1.0, 0x00FFFFFF), std::vector<uint32_t>(4, grey));
}

TEST(Blitters, PalettedWithoutPaletteIsLoggedAndNotDrawn) {
    std::vector<std::string> lines;
    SetPaintLogSink([&](const std::string& l) { lines.push_back(l); });
    ImageRecord img;
    img.width = img.height = 2;
    img.flags = kImagePaletted;
    img.pixels.assign(4, 0);
    Canvas c{2, 2, std::vector<uint32_t>(4, 5)};
    DrawParams p = At(1, 1, 2, 2);
    Surface s = c.surface();
    DrawPicture(s, p, img, 0, 0, 2, 2, 1.0, 0xFF00FF);
    SetPaintLogSink(nullptr);
    EXPECT_EQ(c.px, std::vector<uint32_t>(4, 5));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "256color pic without rgbquad!");
}

namespace {

// Rotation of a w x h opaque picture drawn at centre (cx, cy); expected placement of source
// (col, row) as a quarter turn of the array, shifted by the square's centre convention.
void CheckRightAngle(double angle, int turns) {
    std::mt19937 rng(11 + turns);
    const int w = 9, h = 5;
    std::vector<uint32_t> src(w * h);
    for (auto& p : src) p = rng() | 0xFF000000u;
    const ImageRecord img = Picture32(w, h, src, 0);
    Canvas c{40, 40, std::vector<uint32_t>(1600, 0)};
    DrawParams p = At(20, 20, w, h, angle);
    Surface s = c.surface();
    DrawPicture(s, p, img, 0, 0, w, h, 1.0, 0xFF00FF);
    const int r = int(std::sqrt(4.5 * 4.5 + 2.5 * 2.5)), hx = (w + 1) / 2, hy = (h + 1) / 2;
    std::vector<uint32_t> want(1600, 0);
    for (int row = 0; row < h; ++row)
        for (int col = 0; col < w; ++col) {
            int ox, oy;  // offset from the square's centre
            if (turns == 1) { ox = row - hy; oy = hx - col; }       // numpy rot90(k=1)
            else if (turns == 2) { ox = hx - col; oy = hy - row; }  // rot90(k=2)
            else { ox = hy - row; oy = col - hx; }                  // rot90(k=3)
            const int x = 20 - r + r + ox, y = 20 - r + r + oy;
            if (ox >= -r && ox < r && oy >= -r && oy < r) want[size_t(y) * 40 + x] = src[size_t(row) * w + col];
        }
    EXPECT_EQ(c.px, want) << "angle " << angle;
}

} // namespace

TEST(Blitters, RightAnglesTurnExactly) {
    CheckRightAngle(90, 1);
    CheckRightAngle(180, 2);
    CheckRightAngle(270, 3);
}

TEST(Blitters, QuarterTurnCoversTheRadiusSquare) {
    std::vector<uint32_t> src(64 * 32, Make(1, 2, 3, 255));
    const ImageRecord img = Picture32(64, 32, src, 0);
    Canvas c{100, 100, std::vector<uint32_t>(10000, 0)};
    DrawParams p = At(50, 50, 64, 32, 90);
    Surface s = c.surface();
    DrawPicture(s, p, img, 0, 0, 64, 32, 1.0, 0xFF00FF);
    int minX = 100, maxX = -1, minY = 100, maxY = -1, count = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            if (c.px[size_t(y) * 100 + x]) {
                ++count;
                minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y), maxY = std::max(maxY, y);
            }
    EXPECT_EQ(count, 64 * 32);
    EXPECT_EQ(maxX - minX + 1, 32);  // turned by exactly a quarter
    EXPECT_EQ(maxY - minY + 1, 64);
    EXPECT_GE(minY, 50 - 35);        // inside the 70 x 70 square
    EXPECT_LT(maxY, 50 + 35);
}

TEST(Blitters, SmallAnglesDoNotJumpAwayFromTheCentredBox) {
    std::vector<uint32_t> src(6 * 4, Make(9, 9, 9, 255));
    const ImageRecord img = Picture32(6, 4, src, 0);
    Canvas a{20, 20, std::vector<uint32_t>(400, 0)}, b{20, 20, std::vector<uint32_t>(400, 0)};
    DrawParams p0 = At(10, 10, 6, 4, 0), p1 = At(10, 10, 6, 4, 0.3);
    Surface sa = a.surface(), sb = b.surface();
    DrawPicture(sa, p0, img, 0, 0, 6, 4, 1.0, 0xFF00FF);
    DrawPicture(sb, p1, img, 0, 0, 6, 4, 1.0, 0xFF00FF);
    EXPECT_EQ(a.px, b.px);
}

TEST(Blitters, BlendPixelKeepsTheMoreOpaqueAlpha) {
    uint32_t d = Make(0, 0, 0, 128);
    BlendPixel(d, Make(255, 255, 255, 10), 255);
    EXPECT_EQ(d >> 24, 128u);  // not max(a, 255 - a) = 246
    uint32_t e = Make(0, 0, 0, 0);
    BlendPixel(e, Make(50, 60, 70, 200), 128);
    EXPECT_EQ(e, Make(50, 60, 70, (200 * 128) >> 8));
}

TEST(Blitters, IntegerEnlargementRepeatsPixels) {
    const std::vector<uint32_t> src = {Make(1, 0, 0, 255), Make(2, 0, 0, 255), Make(3, 0, 0, 255), Make(4, 0, 0, 255)};
    const ImageRecord img = Picture32(2, 2, src, 0);
    Canvas c{4, 4, std::vector<uint32_t>(16, 0)};
    DrawParams p = At(2, 2, 4, 4);
    Surface s = c.surface();
    DrawPicture(s, p, img, 0, 0, 2, 2, 1.0, 0xFF00FF);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(c.px[size_t(y) * 4 + x], src[size_t(y / 2) * 2 + x / 2]) << x << "," << y;
    // Bilinear: the corners take the nearest source pixel exactly.
    Canvas d{4, 4, std::vector<uint32_t>(16, 0)};
    DrawParams q = At(2, 2, 4, 4);
    q.flags = kDrawBilinearScale;
    Surface ds = d.surface();
    DrawPicture(ds, q, img, 0, 0, 2, 2, 1.0, 0xFF00FF);
    EXPECT_EQ(d.px[0], src[0]);
    EXPECT_EQ(d.px[15], src[3]);
}

TEST(Blitters, NearestScalingTakesEachPixelFromItsSourcePixel)
{
    // Shrinking, enlarging, one size kept (rows or columns copied), one pixel; a cut-out region.
    const int sizes[][4] = {{48, 48, 36, 36}, {200, 30, 320, 30}, {16, 24, 16, 1}, {16, 8, 16, 34},
                            {8, 16, 178, 16}, {1, 1, 5, 3},       {7, 5, 2, 9},    {5, 7, 5, 7}};
    std::mt19937 rng(5);
    for (const auto& z : sizes) {
        const int pitch = z[0] + 3, rows = z[1] + 2;
        const std::vector<uint32_t> px = RandomPixels(rng, size_t(pitch) * rows, true);
        const BlitSource src{reinterpret_cast<const uint8_t*>(px.data()), pitch, rows, 2, 1, z[0], z[1]};
        const std::vector<uint32_t> got = Scale32Nearest(src, z[2], z[3]);
        const int stepX = z[0] > 1 && z[2] > 1 ? ((z[0] << 10) - 1024) / (z[2] - 1) : 0;
        const int stepY = z[1] > 1 && z[3] > 1 ? ((z[1] << 10) - 1024) / (z[3] - 1) : 0;
        for (int y = 0; y < z[3]; ++y)
            for (int x = 0; x < z[2]; ++x) {
                const int col = std::min((512 + x * stepX) >> 10, z[0] - 1),
                          row = std::min((512 + y * stepY) >> 10, z[1] - 1);
                ASSERT_EQ(got[size_t(y) * z[2] + x], px[size_t(1 + row) * pitch + 2 + col])
                    << z[0] << "x" << z[1] << " " << x << "," << y;
            }
    }
}

TEST(Blitters, SourceRectangleIsCutOnEverySide) {
    std::vector<uint32_t> src(4 * 4 * 2, Make(7, 7, 7, 255));
    const ImageRecord img = Picture32(4, 4, src, 0, 2);
    Canvas c{10, 10, std::vector<uint32_t>(100, 0)};
    Surface s = c.surface();
    DrawParams p = At(5, 5, 4, 4);
    DrawPicture(s, p, img, 0, -8, 4, 4, 1.0, 0xFF00FF);  // a negative frame's source y: nothing read
    DrawPicture(s, p, img, -6, 0, 4, 4, 1.0, 0xFF00FF);
    DrawPicture(s, p, img, 0, 8, 4, 4, 1.0, 0xFF00FF);   // past the last frame
    EXPECT_EQ(c.px, std::vector<uint32_t>(100, 0));
    DrawPicture(s, p, img, 2, 6, 4, 4, 1.0, 0xFF00FF);   // cut to 2 x 2, scaled up to the target
    EXPECT_EQ(c.px[size_t(5) * 10 + 5], Make(7, 7, 7, 255));
}

TEST(Blitters, InvertHandlesBothPalettedLayouts) {
    // 4 x 2 turned by 180: the walk reaches source columns 1-3 of both rows.
    for (bool withAlpha : {false, true}) {
        ImageRecord img;
        img.width = 4;
        img.height = 2;
        img.flags = kImagePaletted | kImageTransparent | (withAlpha ? uint32_t(kImageAlpha) : 0u);
        img.transparent = 1;
        img.palette = {1, 2, 3, 4, 5, 6};
        img.paletteSize = 2;
        const std::vector<uint8_t> index = {0, 1, 0, 0, 0, 0, 1, 0};
        img.pixels = index;
        if (withAlpha) {
            img.pixels.clear();
            for (size_t i = 0; i < index.size(); ++i) {
                img.pixels.push_back(index[i]);
                img.pixels.push_back(i == 3 ? 0 : 255);  // (3, 0) fully transparent
            }
        }
        Canvas c{8, 8, std::vector<uint32_t>(64, Make(0x10, 0x20, 0x30, 0x40))};
        DrawParams p = At(4, 4, 4, 2, 180);
        p.flags = kDrawInvert;
        Surface s = c.surface();
        DrawPicture(s, p, img, 0, 0, 4, 2, 1.0, 0xFF00FF);
        const int inverted = int(std::count(c.px.begin(), c.px.end(), Make(0xEF, 0xDF, 0xCF, 0xFF)));
        EXPECT_EQ(inverted, withAlpha ? 3 : 4);
    }
}

TEST(Blitters, FineRotationStaysInsideAndBlends) {
    std::mt19937 rng(3);
    const int w = 16, h = 10;
    const ImageRecord img = Picture32(w, h, RandomPixels(rng, w * h, false), kImageAlpha);
    Canvas c{30, 30, std::vector<uint32_t>(900, 0)};
    DrawParams p = At(15, 15, w, h, 33);
    p.flags = kDrawFineRotation | kDrawClip;
    p.clip = {5, 5, 25, 25};
    Surface s = c.surface();
    DrawPicture(s, p, img, 0, 0, w, h, 1.0, 0xFF00FF);
    int drawn = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x)
            if (c.px[size_t(y) * 30 + x]) {
                ++drawn;
                EXPECT_TRUE(x >= 5 && x < 25 && y >= 5 && y < 25) << x << "," << y;
            }
    EXPECT_GT(drawn, 100);
}
