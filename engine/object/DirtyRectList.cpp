#include "engine/object/DirtyRectList.h"

#include "engine/geometry/Geometry.h"

#include <algorithm>
#include <cstdint>

namespace Lumora {
namespace {

inline Rect Union(const Rect& a, const Rect& b)
{
    return Rect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

inline int64_t Area(const Rect& r) { return int64_t(r.right - r.left) * int64_t(r.bottom - r.top); }

} // namespace

void DirtyRectList::Add(const Rect& rect, const Rect& viewport)
{
    Rect c;
    if (!IntersectRect(c, rect, viewport))
        return;
    // A full list also looks for the rectangle that c would grow least, in the same pass.
    const bool full = rects_.size() >= kCollapseLimit;
    size_t cheapest = 0;
    int64_t cheapestGrowth = INT64_MAX;
    for (size_t i = 0; i < rects_.size(); ++i) {
        Rect& e = rects_[i];
        if (c.left <= e.left && c.top <= e.top && c.right >= e.right && c.bottom >= e.bottom) {
            e = c; // c covers e
            return;
        }
        if (e.left <= c.left && e.top <= c.top && e.right >= c.right && e.bottom >= c.bottom)
            return; // e covers c
        // They share a whole edge length: the same columns with no gap between them, or the
        // same rows. Apart, their union would repaint all that lies between.
        if ((c.left == e.left && c.right == e.right && c.top <= e.bottom && e.top <= c.bottom) ||
            (c.top == e.top && c.bottom == e.bottom && c.left <= e.right && e.left <= c.right)) {
            e = Union(c, e);
            return;
        }
        if (full) {
            const int64_t growth = Area(Union(c, e)) - Area(e);
            if (growth < cheapestGrowth) {
                cheapestGrowth = growth;
                cheapest = i;
            }
        }
    }
    if (full)
        rects_[cheapest] = Union(c, rects_[cheapest]);
    else
        rects_.push_back(c);
}

} // namespace Lumora
