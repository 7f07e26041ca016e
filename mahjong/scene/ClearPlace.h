#pragma once
// Where a piece of the table's furniture stands (a claim's label, a seat's panel): the point
// nearest a wanted one at which the piece lies inside an area and clear of boxes it must not
// cover (the seats' tiles at their fullest, the panels, the texts). A pure function of its
// arguments: the scene calls it while it lays the table out, tests call it without an engine.
//
// The piece is given as a box relative to the point placed, so that a picture whose ink is only
// a part of it (a label's word stands in its upper half) is placed by that part. What a search
// finds never nearer another hand can be kept for the next (NeverNearerMemo).
#include "engine/geometry/ObjectGeometry.h"
#include "mahjong/scene/TableTypes.h"

#include <algorithm>
#include <compare>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace Lumora {

// True when the boxes share more than their edges. Inline, as BoxAt: the searches' tests ask them
// for many places.
inline bool BoxesOverlap(const Rect& a, const Rect& b)
{
    return std::min(a.right, b.right) > std::max(a.left, b.left) &&
        std::min(a.bottom, b.bottom) > std::max(a.top, b.top);
}
// `box` moved by the point.
inline Rect BoxAt(const Rect& box, TablePoint at)
{
    return {box.left + at.x, box.top + at.y, box.right + at.x, box.bottom + at.y};
}

// The point nearest `want` on a grid of `step` pixels round it at which `box` (relative to the
// point) lies inside `area`, overlaps none of `keepClear` and, when given, `accept` takes the box
// there; of points equally near, the upper, then the left one. Nothing when no point fits.
// `refused` are rectangles of points (edges included) where `accept` is known to turn the box down:
// it is not asked there.
std::optional<TablePoint> NearestClearPlace(TablePoint want, const Rect& box, const Rect& area,
                                            std::span<const Rect> keepClear, int step = 2,
                                            const std::function<bool(const Rect&)>& accept = {},
                                            std::span<const Rect> refused = {});
// An `accept` that, where it turns a box down, may widen `refusedAround` (empty when asked) to the
// rectangle of points about the one asked (edges included) at each of which it would turn its box
// down too: the search passes over them without asking.
using AcceptOrRefuseAround = std::function<bool(const Rect& box, Rect& refusedAround)>;
// As NearestClearPlace above, with such an `accept`.
std::optional<TablePoint> NearestClearPlace(TablePoint want, const Rect& box, const Rect& area,
                                            std::span<const Rect> keepClear, int step,
                                            const AcceptOrRefuseAround& accept, std::span<const Rect> refused = {});
// The nearest such point in any of `areas`: as NearestClearPlace over their union would find it.
std::optional<TablePoint> NearestClearPlaceIn(TablePoint want, const Rect& box, std::span<const Rect> areas,
                                              std::span<const Rect> keepClear, int step,
                                              const std::function<bool(const Rect&)>& accept = {},
                                              std::span<const Rect> refused = {});
std::optional<TablePoint> NearestClearPlaceIn(TablePoint want, const Rect& box, std::span<const Rect> areas,
                                              std::span<const Rect> keepClear, int step,
                                              const AcceptOrRefuseAround& accept, std::span<const Rect> refused = {});
// Whether at every point of `points` (edges included) `box` stands no more than `margin` nearer
// `own` than `other` (BoxGap(at, own) + margin >= BoxGap(at, other)), judged from the corners.
bool NeverNearerBy(const Rect& points, const Rect& box, const Rect& own, const Rect& other, int margin);
// Adds to `out` blocks of the points at which `box` lies inside `area` (a few a side, each split
// up to `splits` times where it may hold points of both kinds) where it is NeverNearerBy the margin
// to `own` than to one of `others`.
void NeverNearerBlocks(const Rect& area, const Rect& box, const Rect& own, std::span<const Rect> others, int margin,
                       std::vector<Rect>& out, int splits = 0);
// NeverNearerBlocks remembered for a round and the round after: a layout that tries smaller
// discards asks again for the same strips, beside hands that have not moved.
class NeverNearerMemo {
public:
    // Starts a round: what the round before the last found is let go.
    void NextRound();
    // As NeverNearerBlocks.
    void Blocks(const Rect& area, const Rect& box, const Rect& own, std::span<const Rect> others, int margin,
                std::vector<Rect>& out, int splits = 0);

private:
    struct Found {
        Rect area, box, own;
        std::vector<Rect> others;
        int margin, splits;
        std::vector<Rect> blocks;
    };
    std::vector<Found> now_, before_;
};
// The distance between two boxes (0 when they meet).
double BoxGap(const Rect& a, const Rect& b);
// The square of BoxGap, exact: searches that weigh many places compare these rather than roots.
inline int64_t SquaredGap(const Rect& a, const Rect& b)
{
    const int64_t dx = std::max({0, b.left - a.right, a.left - b.right});
    const int64_t dy = std::max({0, b.top - a.bottom, a.top - b.bottom});
    return dx * dx + dy * dy;
}
// The root of `nearSquared` plus `margin` (>= 0) against the root of `farSquared`, as
// BoxGap(..) + margin <=> BoxGap(..) would order them, but in whole numbers.
inline std::strong_ordering CompareRootPlus(int64_t nearSquared, int margin, int64_t farSquared)
{
    // sqrt(n) + m against sqrt(f) is 2m sqrt(n) against f - n - m^2, both sides squared once the
    // right one is known not negative. Where the roots are not whole the two sides never come
    // closer than doubles tell apart, so the order is the one the roots in doubles give.
    const int64_t room = farSquared - nearSquared - int64_t(margin) * margin;
    if (room < 0)
        return std::strong_ordering::greater;
    return 4 * int64_t(margin) * margin * nearSquared <=> room * room;
}
// How far about a point short by the margin every point still is (ShortfallReach where it is short).
int ShortReach(int64_t nearSquared, int margin, int64_t farSquared);
// Where a point stands more than `margin` nearer one box than another (nearSquared, farSquared its
// squared gaps to them), how far about it on both axes every point still does; -1 where it does not.
// Inline: the searches ask it for most places they weigh, and most are not short.
inline int ShortfallReach(int64_t nearSquared, int margin, int64_t farSquared)
{
    if (CompareRootPlus(nearSquared, margin, farSquared) <= 0)
        return -1;
    return ShortReach(nearSquared, margin, farSquared);
}
// Whether a piece at `r` (`box` about its place) reads as theirs whose `own` boxes its middle stands
// nearest: nearer the nearer of them than each of `others` (a tie is not). Turned down, `around` takes
// the places about its place where it is turned down too, as a told accept gives them.
bool NearestToOwn(const Rect& r, const Rect& box, std::span<const Rect> own, std::span<const Rect> others, Rect& around);
// `box` grown so that any box sharing more than edges with it lies within `reach` of `box` (by
// BoxGap): a place turned down within reach can be kept clear as this box instead of asked about.
Rect WithinReach(const Rect& box, double reach);

} // namespace Lumora
