#pragma once
// The rectangles that changed since the last frame, cut to the viewport and merged as they
// arrive so that a moving object makes one growing rectangle rather than many.
#include "engine/geometry/ObjectGeometry.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace Lumora {

class DirtyRectList {
public:
    // Past this many disjoint rectangles (many scattered moves, or a long time without frames
    // as while the window is minimised) a new rectangle joins the listed one that it grows
    // least, so the list neither grows nor merges ever slower, and a frame of a hundred small
    // moves still repaints little more than their areas. The frame build relies on the limit:
    // one bit per rectangle.
    static constexpr size_t kCollapseLimit = 64;
    // A join may repaint this many pixels, or an eighth of the covered area, that neither covered.
    static constexpr int64_t kJoinSlack = 256;

    void Add(const Rect& rect, const Rect& viewport);
    // Joins overlapping rectangles whose bounding box repaints little besides what they cover (a
    // sprite a few pixels from where it was, a tile and its shadow): the painter covers the area
    // once, in a few whole pieces rather than many slivers cut around the overlaps.
    void JoinOverlapping();
    static void JoinOverlapping(std::vector<Rect>& rects);
    void Clear()
    {
        rects_.clear();
        ++clears_;
    }
    // Rectangles only grow until the list is cleared: what was added since the same count of
    // clears is still covered.
    uint64_t Clears() const { return clears_; }
    bool Empty() const { return rects_.empty(); }
    // The whole view is listed: whatever is added until the next clear changes nothing.
    bool Whole(const Rect& viewport) const { return rects_.size() == 1 && rects_[0] == viewport; }
    const std::vector<Rect>& Rects() const { return rects_; }

private:
    // Four kept rectangles side by side, one edge in each lane.
    using Lanes = int32_t __attribute__((vector_size(16)));
    std::array<Lanes, 4> Edges(size_t base) const;
    void Set(size_t i, const Rect& r);

    std::vector<Rect> rects_;
    uint64_t clears_ = 1;
    // The same rectangles by edge, so that a new one is compared with all of them at once.
    std::array<int32_t, kCollapseLimit> left_{}, top_{}, right_{}, bottom_{};
};

} // namespace Lumora
