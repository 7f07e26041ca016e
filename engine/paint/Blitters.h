// Software blitters: draw one cached picture into a 32-bit frame buffer with clipping, colour
// key, per-pixel and constant alpha, a backdrop colour, scaling, rotation and palettes.
#pragma once
#include <cstdint>
#include <vector>

#include "engine/paint/ImageRecord.h"
#include "engine/paint/Surface.h"

namespace Lumora {

// Destination of one member: the buffer, its size and the clip rectangle (right/bottom exclusive).
struct BlitTarget {
    uint32_t* pixels = nullptr;
    int32_t width = 0, height = 0;
    Rect clip;
};

// Source region of one member: pixels with pitch (in pixels) and height, the drawn rectangle
// (x, y, w, h), and for paletted sources the transparent index and a palette of R, G, B.
struct BlitSource {
    const uint8_t* pixels = nullptr;
    int32_t pitch = 0, height = 0;
    int32_t x = 0, y = 0, w = 0, h = 0;
    uint32_t key = 256;
    const uint8_t* palette = nullptr;
    uint32_t paletteSize = 0;
};

// Entry points; k is the constant alpha (1.0 opaque), backdrop 0xFF00FF = blend onto the buffer.
void DrawPicture(const Surface& surface, DrawParams& params, const ImageRecord& image, int srcX, int srcY,
                 int srcW, int srcH, double k, uint32_t backdrop);
void DrawPalettedPicture(const Surface& surface, DrawParams& params, const ImageRecord& image, int srcX, int srcY,
                         int w, int h, double k, uint32_t backdrop);

Rect GetDestinationBox(DrawParams& params);
Rect IntersectClip(const Surface& surface, const DrawParams& params);
int RotationRadius(int w, int h);

// Unrotated members, drawn with their top-left at (dx, dy).
void CopyRect32(const BlitTarget& t, int dx, int dy, const BlitSource& s);
void Blit32ConstAlpha(const BlitTarget& t, int dx, int dy, const BlitSource& s, double k, uint32_t backdrop);
void Blit32Alpha(const BlitTarget& t, int dx, int dy, const BlitSource& s, double k, uint32_t backdrop);
void Blit32AlphaOverOpaque(const BlitTarget& t, int dx, int dy, const BlitSource& s, double k, uint32_t backdrop);
void BlitPaletted(const BlitTarget& t, int dx, int dy, const BlitSource& s, double k, uint32_t backdrop);
void BlitPalettedAlpha(const BlitTarget& t, int dx, int dy, const BlitSource& s, double k, uint32_t backdrop);
void BlitPalettedAlphaOverOpaque(const BlitTarget& t, int dx, int dy, const BlitSource& s, double k,
                                 uint32_t backdrop);

// Rotated members: the 2r x 2r destination square starts at (left, top).
void BlitRotated32(const BlitTarget& t, int left, int top, const BlitSource& s, double angle, double k,
                   uint32_t backdrop);
void BlitRotated32Alpha(const BlitTarget& t, int left, int top, const BlitSource& s, double angle, double k,
                        uint32_t backdrop);
void BlitRotated32Fine(const BlitTarget& t, int left, int top, const BlitSource& s, double angle, double k);
void InvertRotated32(const BlitTarget& t, int left, int top, const BlitSource& s, double angle);
void BlitRotatedPaletted(const BlitTarget& t, int left, int top, const BlitSource& s, double angle, double k,
                         uint32_t backdrop);
void BlitRotatedPalettedAlpha(const BlitTarget& t, int left, int top, const BlitSource& s, double angle, double k,
                              uint32_t backdrop);
void BlitRotatedPalettedFine(const BlitTarget& t, int left, int top, const BlitSource& s, double angle, double k);
void BlitRotatedPalettedAlphaFine(const BlitTarget& t, int left, int top, const BlitSource& s, double angle,
                                  double k);
// Both paletted layouts: 1 byte (alpha 255 unless the key) and index-and-alpha pairs.
void InvertRotatedPaletted(const BlitTarget& t, int left, int top, const BlitSource& s, double angle,
                           bool withAlpha);

// Scaling pre-passes into a new zeroed buffer of tw x th pixels.
std::vector<uint32_t> Scale32Nearest(const BlitSource& s, int tw, int th);
std::vector<uint32_t> Scale32Bilinear(const BlitSource& s, int tw, int th);
std::vector<uint8_t> ScalePalettedNearest(const BlitSource& s, int tw, int th, bool withAlpha);

// Lets tests run the four-pixel path of the alpha blit where the eight-pixel one exists.
void SetWideBlitsAllowed(bool allowed);

// Per-pixel helpers of the fine members (16.16 positions inside the source region).
uint32_t SampleBilinear(const BlitSource& s, int32_t x, int32_t y);
uint32_t SampleBilinearPixels(uint32_t p00, uint32_t p10, uint32_t p01, uint32_t p11, int32_t x, int32_t y);
uint32_t SampleNearestClamped(const BlitSource& s, int32_t x, int32_t y);
void BlendPixel(uint32_t& destination, uint32_t source, uint32_t a0);

} // namespace Lumora
