#include "engine/object/DirtyRectList.h"

#include "engine/geometry/Geometry.h"

#include <algorithm>

namespace Lumora {
namespace {

Rect Union(const Rect& a, const Rect& b)
{
    return Rect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

} // namespace

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
    if (!taken)
        rects_.push_back(c);
    if (rects_.size() > kCollapseLimit) {
        rects_.clear();
        rects_.push_back(viewport);
    }
}

} // namespace Lumora
