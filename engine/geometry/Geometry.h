// Geometry routines behind hit testing and dirty-rectangle tests: rotation of points, the box an
// object covers, segment crossing, and the play-time text of replays.
#pragma once
#include <span>
#include <string>
#include <vector>

#include "engine/geometry/ObjectGeometry.h"

namespace Lumora {

struct PointD {
    double x = 0, y = 0;
};

constexpr double kPi = 3.14159;

// Truncation after adding 0.5 away from zero.
int Snap(double v);
PointD RotatePoint(int x, int y, int cx, int cy, double angle, bool counter);
Rect BoundingRect(const ObjectGeometry& g);
int SignOfDot(PointD a, PointD b, PointD c);
// 0 apart, 1 crossing (point filled when wanted), 2 an end point lies on the other segment.
int SegmentsIntersect(PointD a, PointD b, PointD c, PointD d, PointD* point);
bool RectMeetsObject(const Rect& rect, const ObjectGeometry& g);
std::string FormatPlayTime(uint32_t ms);
// IntersectRect semantics: an empty result is all zeros and false.
bool IntersectRect(Rect& out, const Rect& a, const Rect& b);
// The area the rectangles cover inside `bounds`, as disjoint pieces: each larger rectangle whole,
// smaller ones cut around what is already covered.
void DisjointCover(std::span<const Rect> rects, const Rect& bounds, std::vector<Rect>& pieces);
inline bool PointInRect(const Rect& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

} // namespace Lumora
