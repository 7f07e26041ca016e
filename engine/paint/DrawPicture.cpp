// Entry points of the blitters: pick the member for a picture's format, angle, alpha and flags.
#include <algorithm>
#include <cmath>

#include "engine/paint/BlitPixels.h"
#include "engine/geometry/Geometry.h"
#include "engine/paint/PaintLog.h"

namespace Lumora {

Rect GetDestinationBox(DrawParams& p) {
    if (p.angle == 0.0) {
        const int left = p.x - (p.width + 1) / 2, top = p.y - (p.height + 1) / 2;
        return {left, top, left + p.width, top + p.height};
    }
    if (p.radius < 1) p.radius = RotationRadius(p.width, p.height);
    return {p.x - p.radius, p.y - p.radius, p.x + p.radius, p.y + p.radius};
}

Rect IntersectClip(const Surface& surface, const DrawParams& p) {
    // World to window: the clip moves by the same offset as the centre did.
    const int mx = p.x - p.rawX, my = p.y - p.rawY;
    const Rect moved{p.clip.left + mx, p.clip.top + my, p.clip.right + mx, p.clip.bottom + my};
    Rect out;
    IntersectRect(out, Rect{0, 0, surface.width, surface.height}, moved);
    return out;
}

namespace {

struct Prepared {
    BlitTarget target;
    Rect centred;   // the unrotated box, centred on the destination point
    int left = 0, top = 0;  // the rotated square's top-left
    Rect reach;     // every pixel either box can draw
};

// Clip, centred box and rotation square shared by both entries.
Prepared Prepare(const Surface& surface, DrawParams& p) {
    Prepared out;
    out.target.pixels = reinterpret_cast<uint32_t*>(surface.buffer);
    out.target.width = surface.width;
    out.target.height = surface.height;
    out.target.clip = (p.flags & kDrawClip) ? IntersectClip(surface, p) : Rect{0, 0, surface.width, surface.height};
    GetDestinationBox(p);
    if (p.radius < 1) p.radius = RotationRadius(p.width, p.height);
    const int left = p.x - (p.width + 1) / 2, top = p.y - (p.height + 1) / 2;
    out.centred = {left, top, left + p.width, top + p.height};
    out.left = p.x - p.radius;
    out.top = p.y - p.radius;
    out.reach = out.centred;
    if (p.angle != 0.0)
        out.reach = {std::min(left, out.left), std::min(top, out.top), std::max(out.centred.right, out.left + 2 * p.radius),
                     std::max(out.centred.bottom, out.top + 2 * p.radius)};
    return out;
}

// The target clipped to a piece; false when the picture cannot reach that piece. Inline: it runs
// for every piece of a frame for every picture drawn.
[[gnu::always_inline]] inline bool ClipToPiece(const Prepared& pr, const Rect& piece, BlitTarget& t) {
    const Rect& c = pr.target.clip;
    t.clip = {std::max(c.left, piece.left), std::max(c.top, piece.top), std::min(c.right, piece.right),
              std::min(c.bottom, piece.bottom)};
    const Rect& r = pr.reach;
    return std::max(t.clip.left, r.left) < std::min(t.clip.right, r.right) &&
           std::max(t.clip.top, r.top) < std::min(t.clip.bottom, r.bottom);
}

bool ReachesAnyPiece(const Prepared& pr, const DrawParams& p) {
    if (!p.limited) return true;
    BlitTarget t;
    for (const Rect& piece : p.limits)
        if (ClipToPiece(pr, piece, t)) return true;
    return false;
}

// Runs the member once over the whole clip, or once for each limit piece the picture reaches.
template <class Member>
void DrawPieces(const Prepared& pr, const DrawParams& p, Member&& member) {
    if (!p.limited) {
        member(pr.target);
        return;
    }
    BlitTarget t = pr.target;
    for (const Rect& piece : p.limits)
        if (ClipToPiece(pr, piece, t)) member(t);
}

// Cuts the source rectangle to the stacked image on all four sides; false when nothing is left.
bool ClampSource(const ImageRecord& img, int& sx, int& sy, int& w, int& h) {
    const int fullH = img.frames >= 2 ? int(img.height * img.frames) : img.height;
    if (sx < 0) { w += sx; sx = 0; }
    if (sy < 0) { h += sy; sy = 0; }
    w = std::min(w, int(img.width) - sx);
    h = std::min(h, fullH - sy);
    return w > 0 && h > 0;
}

// The source becomes the whole of a scaled copy; its key and palette stay.
void UseScaled(BlitSource& src, const uint8_t* pixels, int w, int h) {
    src.pixels = pixels;
    src.pitch = src.w = w;
    src.height = src.h = h;
    src.x = src.y = 0;
}

} // namespace

void DrawPicture(const Surface& surface, DrawParams& p, const ImageRecord& img, int sx, int sy, int sw, int sh,
                 double k, uint32_t backdrop) {
    if (!surface.buffer || !img.IsConsistent()) return;
    if (!(k > 0)) return;  // a fade below 0 draws nothing, as does 0 (NaN as well)
    if (k > 1) k = 1;
    if (!ClampSource(img, sx, sy, sw, sh)) return;
    if (img.flags & (kImagePaletted | kImageBlock32)) {
        DrawPalettedPicture(surface, p, img, sx, sy, sw, sh, k, backdrop);
        return;
    }
    Prepared pr = Prepare(surface, p);
    BlitSource src{img.pixels.data(), img.width, int(img.height * std::max(1u, img.frames)), sx, sy, sw, sh};
    std::vector<uint32_t> scaled;
    if (p.width != sw || p.height != sh) {
        if (!ReachesAnyPiece(pr, p)) return;  // no scaled copy for a picture drawn nowhere
        scaled = (p.flags & kDrawBilinearScale) ? Scale32Bilinear(src, p.width, p.height)
                                                : Scale32Nearest(src, p.width, p.height);
        if (scaled.empty()) return;
        UseScaled(src, reinterpret_cast<const uint8_t*>(scaled.data()), p.width, p.height);
    }
    const bool transparent = img.flags & kImageTransparent;
    DrawPieces(pr, p, [&](const BlitTarget& t) {
        if ((p.flags & kDrawInvert) && transparent) {
            InvertRotated32(t, pr.left, pr.top, src, p.angle);
            return;
        }
        if (!img.HasAlpha()) {
            if (std::trunc(p.angle) == 0) {
                // Unrotated at the centred box even for angles like 0.3, so turning through 0 never jumps.
                if (transparent || k < 1)
                    Blit32ConstAlpha(t, pr.centred.left, pr.centred.top, src, k, backdrop);
                else
                    CopyRect32(t, pr.centred.left, pr.centred.top, src);
            } else if (p.flags & kDrawFineRotation) {
                BlitRotated32Fine(t, pr.left, pr.top, src, p.angle, k);
            } else {
                BlitRotated32(t, pr.left, pr.top, src, p.angle, k, backdrop);
            }
            return;
        }
        if (p.angle == 0.0) {
            if (p.flags & kDrawOverOpaque)
                Blit32AlphaOverOpaque(t, pr.centred.left, pr.centred.top, src, k, backdrop);
            else
                Blit32Alpha(t, pr.centred.left, pr.centred.top, src, k, backdrop);
        } else if (p.flags & kDrawFineRotation) {
            BlitRotated32Fine(t, pr.left, pr.top, src, p.angle, k);
        } else {
            BlitRotated32Alpha(t, pr.left, pr.top, src, p.angle, k, backdrop);
        }
    });
}

void DrawPalettedPicture(const Surface& surface, DrawParams& p, const ImageRecord& img, int sx, int sy, int w, int h,
                         double k, uint32_t backdrop) {
    if (!surface.buffer || !img.IsConsistent()) return;
    if (!(k > 0)) return;
    if (k > 1) k = 1;
    if ((img.flags & kImageBlock32) || img.paletteSize == 0 || img.palette.size() < size_t(img.paletteSize) * 3) {
        PaintLog("256color pic without rgbquad!");
        return;
    }
    if (!ClampSource(img, sx, sy, w, h)) return;
    Prepared pr = Prepare(surface, p);
    const bool alpha = img.HasAlpha();
    BlitSource src{img.pixels.data(), img.width, int(img.height * std::max(1u, img.frames)), sx, sy, w, h,
                   img.transparent, img.palette.data(), img.paletteSize};
    std::vector<uint8_t> scaled;
    if (p.width != w || p.height != h) {
        if (!ReachesAnyPiece(pr, p)) return;
        scaled = ScalePalettedNearest(src, p.width, p.height, alpha);
        if (scaled.empty()) return;
        UseScaled(src, scaled.data(), p.width, p.height);
    }
    DrawPieces(pr, p, [&](const BlitTarget& t) {
        if ((p.flags & kDrawInvert) && (img.flags & kImageTransparent)) {
            InvertRotatedPaletted(t, pr.left, pr.top, src, p.angle, alpha);
            return;
        }
        if (!alpha) {
            if (std::trunc(p.angle) == 0)
                BlitPaletted(t, pr.centred.left, pr.centred.top, src, k, backdrop);
            else if (p.flags & kDrawFineRotation)
                BlitRotatedPalettedFine(t, pr.left, pr.top, src, p.angle, k);
            else
                BlitRotatedPaletted(t, pr.left, pr.top, src, p.angle, k, backdrop);
            return;
        }
        if (p.angle == 0.0) {
            if (p.flags & kDrawOverOpaque)
                BlitPalettedAlphaOverOpaque(t, pr.centred.left, pr.centred.top, src, k, backdrop);
            else
                BlitPalettedAlpha(t, pr.centred.left, pr.centred.top, src, k, backdrop);
        } else if (p.flags & kDrawFineRotation) {
            BlitRotatedPalettedAlphaFine(t, pr.left, pr.top, src, p.angle, k);
        } else {
            BlitRotatedPalettedAlpha(t, pr.left, pr.top, src, p.angle, k, backdrop);
        }
    });
}

} // namespace Lumora
