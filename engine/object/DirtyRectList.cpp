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

void DirtyRectList::JoinCheapest(const Rect& c)
{
    size_t best = 0;
    int64_t bestGrowth = INT64_MAX;
    for (size_t i = 0; i < rects_.size() && bestGrowth > 0; ++i) {
        const int64_t growth = Area(Union(c, rects_[i])) - Area(rects_[i]);
        if (growth < bestGrowth) {
            bestGrowth = growth;
            best = i;
        }
    }
    rects_[best] = Union(c, rects_[best]);
}

void DirtyRectList::Add(const Rect& rect, const Rect& viewport)
{
    Rect c;
    if (!IntersectRect(c, rect, viewport))
        return;
    bool taken = false;
    for (Rect& e : rects_) {
        const Rect u = Union(c, e);
        if (u == c) {
            e = c; // c covers e
            taken = true;
            break;
        }
        if (u == e) {
            taken = true; // e covers c
            break;
        }
        if ((c.left == e.left && c.right == e.right) || (c.top == e.top && c.bottom == e.bottom)) {
            e = u; // they share a whole edge length
            taken = true;
            break;
        }
    }
    if (taken)
        return;
    if (rects_.size() < kCollapseLimit)
        rects_.push_back(c);
    else
        JoinCheapest(c);
}

} // namespace Lumora
