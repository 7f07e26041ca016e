// Destination of the software blitters and the parameters of one draw.
#pragma once
#include <cstdint>
#include <span>

#include "engine/geometry/ObjectGeometry.h"

namespace Lumora {

// A 32-bit frame buffer: B, G, R, A bytes per pixel, rows top to bottom, pitch = width.
struct Surface {
    uint8_t* buffer = nullptr;
    int32_t width = 0, height = 0;
    uint32_t bytesPerPixel = 4;
    uint32_t key = 0xFF00FF;
};

enum DrawFlags : uint32_t {
    kDrawClip = 0x2,
    kDrawOverOpaque = 0x8,
    kDrawFineRotation = 0x20,
    kDrawInvert = 0x800,
    kDrawBilinearScale = 0x4000,
};

struct DrawParams {
    double angle = 0;        // degrees
    int32_t x = 0, y = 0;    // destination centre
    int32_t rawX = 0, rawY = 0;
    int32_t width = 0, height = 0;  // target size
    int32_t radius = 0;      // computed on demand when below 1
    uint32_t flags = 0;
    Rect clip;
    // When set, the picture is drawn only inside these disjoint pieces, in the surface's
    // coordinates (a frame's changed area, composed in place over what the screen shows).
    bool limited = false;
    std::span<const Rect> limits;
};

} // namespace Lumora
