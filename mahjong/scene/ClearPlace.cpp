// The search for the nearest clear place: rings of grid points round the wanted point, nearest
// first, until no ring can hold a point nearer than the best found.
#include "mahjong/scene/ClearPlace.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace Lumora {

bool BoxesOverlap(const Rect& a, const Rect& b)
{
    return std::min(a.right, b.right) > std::max(a.left, b.left) &&
        std::min(a.bottom, b.bottom) > std::max(a.top, b.top);
}

Rect BoxAt(const Rect& box, TablePoint at)
{
    return {box.left + at.x, box.top + at.y, box.right + at.x, box.bottom + at.y};
}

double BoxGap(const Rect& a, const Rect& b)
{
    const int dx = std::max({0, b.left - a.right, a.left - b.right});
    const int dy = std::max({0, b.top - a.bottom, a.top - b.bottom});
    return std::hypot(double(dx), double(dy));
}

std::optional<TablePoint> NearestClearPlace(TablePoint want, const Rect& box, const Rect& area,
                                            std::span<const Rect> keepClear, int step,
                                            const std::function<bool(const Rect&)>& accept)
{
    step = std::max(step, 1);
    const auto fits = [&](TablePoint p) {
        const Rect at = BoxAt(box, p);
        if (at.left < area.left || at.top < area.top || at.right > area.right || at.bottom > area.bottom)
            return false;
        return std::none_of(keepClear.begin(), keepClear.end(), [&](const Rect& k) { return BoxesOverlap(at, k); }) &&
            (!accept || accept(at));
    };
    // Past this ring every point puts the box outside the area.
    const int reach = std::max({want.x - area.left, area.right - want.x, want.y - area.top, area.bottom - want.y}) +
        std::max(box.right - box.left, box.bottom - box.top);
    std::optional<TablePoint> best;
    int64_t bestDistance = 0;
    const auto consider = [&](int dx, int dy) {
        const TablePoint p{want.x + dx * step, want.y + dy * step};
        const int64_t d = int64_t(dx) * dx + int64_t(dy) * dy;
        if (best && (d > bestDistance || (d == bestDistance && (p.y > best->y || (p.y == best->y && p.x >= best->x)))))
            return;
        if (fits(p)) {
            best = p;
            bestDistance = d;
        }
    };
    for (int ring = 0; ring * step <= reach; ++ring) {
        // A ring's points lie at least `ring` steps away: none can beat a best nearer than that.
        if (best && int64_t(ring) * ring > bestDistance)
            break;
        if (ring == 0) {
            consider(0, 0);
            continue;
        }
        for (int k = -ring; k <= ring; ++k) {
            consider(k, -ring);
            consider(k, ring);
            if (k != -ring && k != ring) {
                consider(-ring, k);
                consider(ring, k);
            }
        }
    }
    return best;
}

} // namespace Lumora
