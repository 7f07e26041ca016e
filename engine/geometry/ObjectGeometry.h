// The geometry block of an engine object (centre, angle, alpha, size, flags, clip) and the
// integer rectangle used by hit tests, dirty rectangles and blitters.
#pragma once
#include <cstdint>

namespace Lumora {

struct Rect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const Rect&) const = default;
};

struct ObjectGeometry {
    double x = 0, y = 0, z = 0;  // centre
    double angle = 0;            // degrees
    double alpha = 1.0;          // 0.0 .. 1.0
    double width = 0, height = 0;
    uint32_t flags = 0;
    uint32_t layer = 0;
    uint32_t active = 0;
    Rect clip;
    uint32_t extra = 0;
    bool operator==(const ObjectGeometry&) const = default;
};

} // namespace Lumora
