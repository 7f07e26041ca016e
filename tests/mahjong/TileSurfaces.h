#pragma once
// The four size classes as a test sees them: a surface size, the table rectangle a frame would
// give it, and the class the tiles must take there.
#include "engine/geometry/ObjectGeometry.h"
#include "mahjong/tiles/TileMetrics.h"

#include <array>

namespace mahjongtest {

struct Surface {
    int width, height;
    Lumora::Rect table;
    Lumora::TileSizeClass cls;
};

// The table of a frame with borders of 4, a title of 25 and a side panel beside it.
inline constexpr std::array<Surface, 4> kSurfaces = {{
    {800, 600, {4, 25, 796, 596}, Lumora::kClass800},
    {1024, 768, {4, 25, 820, 764}, Lumora::kClass1024},
    {1366, 768, {4, 25, 1100, 764}, Lumora::kClass1366},
    {1600, 1000, {4, 25, 1300, 996}, Lumora::kClass1600},
}};

} // namespace mahjongtest
