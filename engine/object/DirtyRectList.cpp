#include "engine/object/DirtyRectList.h"

#include "engine/geometry/Geometry.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

namespace Lumora {
namespace {

inline Rect Union(const Rect& a, const Rect& b)
{
    return Rect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

inline int64_t Area(const Rect& r)
{
    return int64_t(r.right - r.left) * int64_t(r.bottom - r.top);
}

} // namespace

std::array<DirtyRectList::Lanes, 4> DirtyRectList::Edges(size_t base) const
{
    std::array<Lanes, 4> edges;
    std::memcpy(&edges[0], &left_[base], sizeof(Lanes));
    std::memcpy(&edges[1], &top_[base], sizeof(Lanes));
    std::memcpy(&edges[2], &right_[base], sizeof(Lanes));
    std::memcpy(&edges[3], &bottom_[base], sizeof(Lanes));
    return edges;
}

void DirtyRectList::Set(size_t i, const Rect& r)
{
    rects_[i] = r;
    left_[i] = r.left;
    top_[i] = r.top;
    right_[i] = r.right;
    bottom_[i] = r.bottom;
}

void DirtyRectList::Add(const Rect& rect, const Rect& viewport)
{
    Rect c;
    if (!IntersectRect(c, rect, viewport))
        return;
    // The whole view: nothing listed needs keeping, and every rectangle after it is taken by the
    // first test (a re-layout moves every object, each with a rectangle or two).
    if (c == viewport) {
        rects_.clear();
        rects_.push_back(c);
        Set(0, c);
        return;
    }
    // The first listed rectangle that takes c: c covers it, it covers c, or they share a whole
    // edge length (the same columns with no gap between them, or the same rows; apart, their
    // union would repaint all that lies between). Four rectangles are tested at a time without
    // a branch, and the lowest one that takes c wins.
    static_assert(kCollapseLimit % 4 == 0);
    const size_t n = rects_.size();
    const Lanes cl = Lanes{} + c.left, ct = Lanes{} + c.top, cr = Lanes{} + c.right, cb = Lanes{} + c.bottom;
    for (size_t base = 0; base < n; base += 4) {
        const auto [l, t, r, b] = Edges(base);
        const Lanes coversE = (cl <= l) & (ct <= t) & (cr >= r) & (cb >= b);
        const Lanes coveredByE = (l <= cl) & (t <= ct) & (r >= cr) & (b >= cb);
        const Lanes columns = (cl == l) & (cr == r) & (ct <= b) & (t <= cb);
        const Lanes rows = (ct == t) & (cb == b) & (cl <= r) & (l <= cr);
        const Lanes takes = coversE | coveredByE | columns | rows;
        // Past the end of the list the arrays hold stale rectangles: not looked at.
        const uint32_t bits = ((uint32_t(takes[0]) & 1u) | (uint32_t(takes[1]) & 2u) | (uint32_t(takes[2]) & 4u) |
                               (uint32_t(takes[3]) & 8u)) &
            ((1u << std::min<size_t>(4, n - base)) - 1);
        if (bits == 0)
            continue;
        const size_t i = base + size_t(std::countr_zero(bits));
        const Rect& e = rects_[i];
        if (e.left <= c.left && e.top <= c.top && e.right >= c.right && e.bottom >= c.bottom &&
            !(c.left <= e.left && c.top <= e.top && c.right >= e.right && c.bottom >= e.bottom))
            return; // e covers c
        Set(i, Union(c, e)); // c covers e, or they join along an edge
        return;
    }
    if (n < kCollapseLimit) {
        rects_.push_back(c);
        Set(n, c);
        return;
    }
    // A full list: c joins the rectangle it grows least (the first of equals). Every kept
    // rectangle lies in the viewport, so in a viewport of less than 2^31 pixels the areas fit
    // 32 bits and four are compared at a time.
    size_t cheapest = 0;
    if (int64_t(viewport.right - viewport.left) * int64_t(viewport.bottom - viewport.top) < (int64_t{1} << 31)) {
        Lanes best = Lanes{} + INT32_MAX, bestIndex = Lanes{};
        const Lanes step = {0, 1, 2, 3};
        for (size_t base = 0; base < n; base += 4) {
            const auto [l, t, r, b] = Edges(base);
            const Lanes ul = l < cl ? l : cl, ut = t < ct ? t : ct, ur = r > cr ? r : cr, ub = b > cb ? b : cb;
            const Lanes growth = (ur - ul) * (ub - ut) - (r - l) * (b - t);
            const Lanes better = growth < best; // strict: the first of equals stays
            best = better ? growth : best;
            bestIndex = better ? step + int32_t(base) : bestIndex;
        }
        for (int k = 0; k < 4; ++k)
            if (best[k] < best[0] || (best[k] == best[0] && bestIndex[k] < bestIndex[0])) {
                best[0] = best[k];
                bestIndex[0] = bestIndex[k];
            }
        cheapest = size_t(bestIndex[0]);
    } else {
        int64_t cheapestGrowth = INT64_MAX;
        for (size_t i = 0; i < n; ++i) {
            const int64_t grown = int64_t(std::max(right_[i], c.right) - std::min(left_[i], c.left)) *
                int64_t(std::max(bottom_[i], c.bottom) - std::min(top_[i], c.top));
            const int64_t growth = grown - int64_t(right_[i] - left_[i]) * int64_t(bottom_[i] - top_[i]);
            if (growth < cheapestGrowth) {
                cheapestGrowth = growth;
                cheapest = i;
            }
        }
    }
    Set(cheapest, Union(c, rects_[cheapest]));
}

void DirtyRectList::JoinOverlapping()
{
    JoinOverlapping(rects_);
    for (size_t i = 0; i < rects_.size(); ++i)
        Set(i, rects_[i]);
}

void DirtyRectList::JoinOverlapping(std::vector<Rect>& rects)
{
    // A joined box can overlap rectangles already passed over: pass again until nothing joins.
    for (bool joined = true; joined;) {
        joined = false;
        for (size_t i = 0; i < rects.size(); ++i)
            for (size_t j = i + 1; j < rects.size();) {
                const Rect& a = rects[i];
                const Rect& b = rects[j];
                const Rect overlap{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                                   std::min(a.bottom, b.bottom)};
                if (overlap.left >= overlap.right || overlap.top >= overlap.bottom) {
                    ++j;
                    continue;
                }
                const Rect box = Union(a, b);
                const int64_t covered = Area(a) + Area(b) - Area(overlap);
                if (Area(box) - covered > std::max(kJoinSlack, covered / 8)) {
                    ++j;
                    continue;
                }
                rects[i] = box;
                rects[j] = rects.back();
                rects.pop_back();
                joined = true;
            }
    }
}

} // namespace Lumora
