#include "engine/object/DirtyRectList.h"

#include "engine/geometry/Geometry.h"

#include <algorithm>
#include <cstdint>

namespace Lumora {
namespace {

Rect Union(const Rect& a, const Rect& b)
{
    return Rect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

int64_t Area(const Rect& r) { return int64_t(r.right - r.left) * int64_t(r.bottom - r.top); }

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
        const Rect u = Union(c, e);
        if (u == c) {
            e = c; // c covers e
            return;
        }
        if (u == e)
            return; // e covers c
        // Sharing a whole edge length, touching or overlapping: the union adds nothing. Apart,
        // the union would repaint the whole gap (two seats' lights across the table).
        const bool meetAcross = c.left <= e.right && e.left <= c.right;
        const bool meetDown = c.top <= e.bottom && e.top <= c.bottom;
        if ((c.left == e.left && c.right == e.right && meetDown) ||
            (c.top == e.top && c.bottom == e.bottom && meetAcross)) {
            e = u;
            return;
        }
        if (full) {
            const int64_t growth = Area(u) - Area(e);
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
