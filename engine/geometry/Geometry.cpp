#include "engine/geometry/Geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace Lumora {
namespace {

constexpr double kEpsilon = 0.0000001;

int SignOf(double v) {
    if (std::fabs(v) < kEpsilon) return 0;
    return v > 0 ? 1 : -1;
}

double Cross(PointD o, PointD p, PointD q) {  // (p - o) x (q - o)
    return (p.x - o.x) * (q.y - o.y) - (p.y - o.y) * (q.x - o.x);
}

double Dot(PointD o, PointD p, PointD q) {  // (p - o) . (q - o)
    return (p.x - o.x) * (q.x - o.x) + (p.y - o.y) * (q.y - o.y);
}

} // namespace

int Snap(double v) { return static_cast<int>(v > 0 ? v + 0.5 : v - 0.5); }

PointD RotatePoint(int x, int y, int cx, int cy, double angle, bool counter) {
    if (angle == 0) return {double(x), double(y)};
    const double r = angle * kPi / 180.0, c = std::cos(r), s = std::sin(r);
    const int dx = x - cx, dy = cy - y;
    double nx, ny;
    if (!counter) {
        nx = dx * c + dy * s;
        ny = dy * c - dx * s;
    } else {
        nx = dx * c - dy * s;
        ny = dx * s + dy * c;
    }
    return {double(cx + Snap(nx)), double(cy - Snap(ny))};
}

Rect BoundingRect(const ObjectGeometry& g) {
    Rect b;
    if (g.angle == 0) {
        const int half = (int(g.width) + 1) / 2;
        b.left = int(g.x - half);
        b.top = int(g.y - (int(g.height) + 1) / 2);
        b.right = int(b.left + g.width);
        b.bottom = int(b.top + g.height);
        return b;
    }
    double r = 0;
    if (g.width > 0 && g.height > 0) r = std::sqrt((g.height / 2) * (g.height / 2) + (g.width / 2) * (g.width / 2));
    return {int(g.x - r), int(g.y - r), int(g.x + r), int(g.y + r)};
}

int SignOfDot(PointD a, PointD b, PointD c) { return SignOf(Dot(a, b, c)); }

int SegmentsIntersect(PointD a, PointD b, PointD c, PointD d, PointD* point) {
    const double k1 = Cross(a, b, c), k2 = Cross(a, b, d);
    const int s1 = SignOf(k1), s2 = SignOf(k2);
    const int s3 = SignOf(Cross(c, d, a)), s4 = SignOf(Cross(c, d, b));
    if (s1 * s2 < 0 && s3 * s4 < 0) {
        if (point) {
            point->x = (c.x * k2 - d.x * k1) / (k2 - k1);
            point->y = (c.y * k2 - d.y * k1) / (k2 - k1);
        }
        return 1;
    }
    if ((s1 == 0 && Dot(c, a, b) <= kEpsilon) || (s2 == 0 && Dot(d, a, b) <= kEpsilon) ||
        (s3 == 0 && SignOfDot(a, c, d) <= 0) || (s4 == 0 && SignOfDot(b, c, d) <= 0))
        return 2;
    return 0;
}

bool IntersectRect(Rect& out, const Rect& a, const Rect& b) {
    out = {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    if (out.left >= out.right || out.top >= out.bottom) {
        out = {};
        return false;
    }
    return true;
}

void DisjointCover(std::span<const Rect> rects, const Rect& bounds, std::vector<Rect>& pieces) {
    pieces.clear();
    std::vector<Rect> order;
    order.reserve(rects.size());
    for (const Rect& r : rects) {
        Rect cut;
        if (IntersectRect(cut, r, bounds)) order.push_back(cut);
    }
    auto area = [](const Rect& r) { return int64_t(r.right - r.left) * int64_t(r.bottom - r.top); };
    std::stable_sort(order.begin(), order.end(), [&](const Rect& a, const Rect& b) { return area(a) > area(b); });
    std::vector<Rect> parts, rest;
    for (const Rect& r : order) {
        parts.assign(1, r);
        for (const Rect& p : pieces) {
            rest.clear();
            for (const Rect& f : parts) {
                if (f.left >= p.right || p.left >= f.right || f.top >= p.bottom || p.top >= f.bottom) {
                    rest.push_back(f);
                    continue;
                }
                // What lies above and below p, whole rows, then left and right of it beside p.
                if (f.top < p.top) rest.push_back({f.left, f.top, f.right, p.top});
                if (p.bottom < f.bottom) rest.push_back({f.left, p.bottom, f.right, f.bottom});
                const int top = std::max(f.top, p.top), bottom = std::min(f.bottom, p.bottom);
                if (f.left < p.left) rest.push_back({f.left, top, p.left, bottom});
                if (p.right < f.right) rest.push_back({p.right, top, f.right, bottom});
            }
            parts.swap(rest);
            if (parts.empty()) break;
        }
        pieces.insert(pieces.end(), parts.begin(), parts.end());
    }
}

bool RectMeetsObject(const Rect& rect, const ObjectGeometry& g) {
    const Rect box = BoundingRect(g);
    if (g.angle == 0) {
        Rect tmp;
        return IntersectRect(tmp, rect, box);
    }
    const int cx = int(g.x), cy = int(g.y);
    const int bx[4] = {box.left, box.left, box.right, box.right};
    const int by[4] = {box.top, box.bottom, box.bottom, box.top};
    const int rx[4] = {rect.left, rect.left, rect.right, rect.right};
    const int ry[4] = {rect.top, rect.bottom, rect.bottom, rect.top};
    PointD quad[4], edges[4];
    for (int i = 0; i < 4; ++i) {
        quad[i] = RotatePoint(bx[i], by[i], cx, cy, g.angle, true);
        edges[i] = {double(rx[i]), double(ry[i])};
    }
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            if (SegmentsIntersect(quad[i], quad[(i + 1) % 4], edges[j], edges[(j + 1) % 4], nullptr)) return true;
    if (PointInRect(rect, cx, cy)) return true;
    const PointD rc = RotatePoint((rect.left + rect.right + 1) / 2, (rect.top + rect.bottom + 1) / 2, cx, cy, g.angle, false);
    return PointInRect(box, int(rc.x), int(rc.y));
}

std::string FormatPlayTime(uint32_t ms) {
    char text[32];
    const uint32_t s = (ms / 1000) % 60;
    if (ms < 3600001)
        std::snprintf(text, sizeof text, "%02u:%02u", ms / 60000, s);
    else
        std::snprintf(text, sizeof text, "%02u:%02u:%02u", ms / 3600000, (ms / 60000) % 60, s);
    return text;
}

} // namespace Lumora
